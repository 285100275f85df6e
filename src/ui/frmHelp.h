#pragma once

#include <QUrl>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QSplitter;
class QTextBrowser;

// The help window: a page browser with a search pane that lists the pages holding every word
// typed into it.
class frmHelp : public QWidget
{
    Q_OBJECT
public:
    explicit frmHelp(QString helpDirectory, QWidget *parent = nullptr);

    // False when the page does not exist.
    bool showPage(const QString &topic);
    void showSearch();

    QUrl currentPage() const;
    // Pages whose text holds every word of the query, as file names, in file-name order.
    QStringList search(const QString &query) const;

private:
    void runSearch();

    QString m_directory;
    QTextBrowser *m_browser;
    QWidget *m_searchPane;
    QLineEdit *m_txtSearch;
    QListWidget *m_lstResults;
};
