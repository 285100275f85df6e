#include "ui/HelpViewer.h"

#include "ui/frmHelp.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

const QString HelpViewer::ContentsPage = QStringLiteral("contents.htm");
const QString HelpViewer::FolderName = QStringLiteral("help");

HelpViewer::HelpViewer(QString helpDirectory) : m_directory(std::move(helpDirectory)) {}

HelpViewer::~HelpViewer()
{
    CloseAll();
}

QString HelpViewer::folderBeside(const QString &programPath)
{
    return QDir(programPath).filePath(FolderName);
}

bool HelpViewer::isInstalled(const QString &programPath)
{
    return QFileInfo(QDir(folderBeside(programPath)).filePath(ContentsPage)).isFile();
}

QString HelpViewer::DisplayTopic(const QString &topic)
{
    const QString page = topic.section(QLatin1Char('#'), 0, 0);
    if (!QFileInfo(QDir(m_directory).filePath(page)).isFile())
        return QStringLiteral("The help page '%1' was not found in %2.")
            .arg(page, QDir::toNativeSeparators(m_directory));
    frmHelp *window = ensureWindow();
    // A modal dialog blocks every window but its own: while one is open, help is a window of it.
    if (QWidget *modal = QApplication::activeModalWidget(); window->parentWidget() != modal && modal != window)
        window->setParent(modal, Qt::Window);
    window->showPage(topic);
    window->show();
    window->raise();
    window->activateWindow();
    return {};
}

QString HelpViewer::DisplayContents()
{
    return DisplayTopic(ContentsPage);
}

QString HelpViewer::DisplaySearch()
{
    const QString error = DisplayContents();
    if (error.isEmpty())
        m_window->showSearch();
    return error;
}

void HelpViewer::CloseAll()
{
    if (m_window) {
        m_window->close();
        delete m_window;
    }
}

frmHelp *HelpViewer::ensureWindow()
{
    if (!m_window) {
        m_window = new frmHelp(m_directory);
        // A new help window opens in the middle of the screen, not over the frame's corner.
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            QRect placed = m_window->frameGeometry();
            placed.moveCenter(screen->availableGeometry().center());
            m_window->move(placed.topLeft());
        }
    }
    return m_window;
}

frmHelp *HelpViewer::window() const
{
    return m_window;
}
