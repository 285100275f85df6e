#include "frame/frmMain.h"

#include "platform/MessageDialog.h"
#include "session/Workstation.h"
#include "texts/Texts.h"
#include "ui/WindowPlacement.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QStatusBar>

namespace {
const QString kWindowKey = QStringLiteral("dlgMain");
// Default size of a first start, in twips: 800 x 600 pixels at 96 DPI.
constexpr int32_t kDefaultWidth = 12000;
constexpr int32_t kDefaultHeight = 9000;
} // namespace

frmMain::frmMain(Workstation &workstation, QWidget *parent) : QMainWindow(parent), m_ws(workstation)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(GetText(15010));
    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("mdiClient"));
    setCentralWidget(m_mdi);
    statusBar()->setObjectName(QStringLiteral("sbStatusBar"));
    statusBar()->setVisible(m_ws.LocalParams.ShowStatusbar());
}

void frmMain::showEvent(QShowEvent *event)
{
    if (!m_placed) {
        m_placed = true;
        RestoreWindowPlacement(m_ws.registry, this, kWindowKey, kDefaultWidth, kDefaultHeight);
        if (m_ws.LocalParams.WindowState() == 2)
            setWindowState(windowState() | Qt::WindowMaximized);
    }
    QMainWindow::showEvent(event);
}

void frmMain::closeEvent(QCloseEvent *event)
{
    m_ws.applicationClosing = true;
    // A maximised frame keeps its normal placement for the next start.
    m_ws.LocalParams.setWindowState(isMaximized() ? 2 : 0);
    if (!isMaximized() && !isMinimized())
        SaveWindowPlacement(m_ws.registry, this, kWindowKey,
                            [](const QString &text, DialogStyle style, const QString &title,
                               const QStringList &buttons) { return ShowMessageDialog(text, style, title, buttons); });
    m_ws.LocalParams.WriteLocalParameters();
    event->accept();
}
