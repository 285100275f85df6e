#include "ui/frmHelp.h"

#include "texts/Texts.h"

#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

frmHelp::frmHelp(QString helpDirectory, QWidget *parent)
    : QWidget(parent, Qt::Window), m_directory(std::move(helpDirectory)), m_browser(new QTextBrowser),
      m_searchPane(new QWidget), m_txtSearch(new QLineEdit), m_lstResults(new QListWidget)
{
    setObjectName(QStringLiteral("frmHelp"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(GetText(15010));
    m_browser->setObjectName(QStringLiteral("brwHelp"));
    m_browser->setSearchPaths({m_directory});
    m_browser->setOpenExternalLinks(true);
    m_txtSearch->setObjectName(QStringLiteral("txtSearch"));
    m_txtSearch->setClearButtonEnabled(true);
    m_lstResults->setObjectName(QStringLiteral("lstResults"));

    auto *paneLayout = new QVBoxLayout(m_searchPane);
    paneLayout->setContentsMargins(0, 0, 0, 0);
    paneLayout->addWidget(m_txtSearch);
    paneLayout->addWidget(m_lstResults);
    m_searchPane->hide();

    auto *splitter = new QSplitter(this);
    splitter->addWidget(m_searchPane);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 3);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(splitter);
    resize(760, 560);

    connect(m_txtSearch, &QLineEdit::returnPressed, this, &frmHelp::runSearch);
    connect(m_lstResults, &QListWidget::itemActivated, this,
            [this](QListWidgetItem *item) { showPage(item->data(Qt::UserRole).toString()); });
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this]() {
        setWindowTitle(m_browser->documentTitle().isEmpty() ? GetText(15010) : m_browser->documentTitle());
    });
}

bool frmHelp::showPage(const QString &topic)
{
    const QString page = topic.section(QLatin1Char('#'), 0, 0);
    const QString anchor = topic.section(QLatin1Char('#'), 1);
    const QString path = QDir(m_directory).filePath(page);
    if (!QFile::exists(path))
        return false;
    QUrl url = QUrl::fromLocalFile(path);
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    m_browser->setSource(url);
    return true;
}

void frmHelp::showSearch()
{
    m_searchPane->show();
    m_txtSearch->setFocus();
    m_txtSearch->selectAll();
}

QUrl frmHelp::currentPage() const
{
    return m_browser->source();
}

QStringList frmHelp::search(const QString &query) const
{
    const QStringList words = query.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    QStringList found;
    if (words.isEmpty())
        return found;
    const QStringList pages =
        QDir(m_directory).entryList({QStringLiteral("*.htm"), QStringLiteral("*.html")}, QDir::Files, QDir::Name);
    for (const QString &page : pages) {
        QFile file(QDir(m_directory).filePath(page));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        QTextDocument document;
        document.setHtml(QString::fromUtf8(file.readAll()));
        const QString text = document.toPlainText();
        bool all = true;
        for (const QString &word : words)
            all = all && text.contains(word, Qt::CaseInsensitive);
        if (all)
            found << page;
    }
    return found;
}

void frmHelp::runSearch()
{
    m_lstResults->clear();
    const QStringList pages = search(m_txtSearch->text());
    for (const QString &page : pages) {
        QFile file(QDir(m_directory).filePath(page));
        QString title = page;
        if (file.open(QIODevice::ReadOnly)) {
            QTextDocument document;
            document.setHtml(QString::fromUtf8(file.readAll()));
            const QString documentTitle = document.metaInformation(QTextDocument::DocumentTitle);
            if (!documentTitle.isEmpty())
                title = documentTitle;
        }
        auto *item = new QListWidgetItem(title, m_lstResults);
        item->setData(Qt::UserRole, page);
    }
}
