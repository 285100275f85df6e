#pragma once

#include <QList>
#include <QPointer>
#include <QString>

class QWidget;
class frmHelp;

// The installation's help: HTML pages in the "help" folder beside the program, shown in help
// windows. The client opens a named topic, the table of contents and the search page, and closes
// every help window at exit.
class HelpViewer
{
public:
    static const QString ContentsPage; // "contents.htm"
    static const QString FolderName;   // "help"

    explicit HelpViewer(QString helpDirectory);
    ~HelpViewer();
    HelpViewer(const HelpViewer &) = delete;
    HelpViewer &operator=(const HelpViewer &) = delete;

    // The help folder beside a program, and whether the help is installed there.
    static QString folderBeside(const QString &programPath);
    static bool isInstalled(const QString &programPath);

    QString directory() const { return m_directory; }
    // Each returns an empty text on success, else the description of the error.
    // A topic may carry an anchor ("page.htm#Anchor").
    QString DisplayTopic(const QString &topic);
    QString DisplayContents();
    QString DisplaySearch();
    void CloseAll();

    // The open help window, if any.
    frmHelp *window() const;

private:
    frmHelp *ensureWindow();

    QString m_directory;
    QPointer<frmHelp> m_window;
};
