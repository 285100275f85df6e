#include "frame/frmMain.h"

#include "components/cardserver/CardsIntf.h"
#include "frame/FrameIcons.h"
#include "frame/frmNavWindow.h"
#include "session/Workstation.h"
#include "settings/clsSystemParams.h"
#include "settings/frmEncoderSetup.h"
#include "texts/Texts.h"
#include "ui/ChildWindow.h"
#include "ui/FormTexts.h"
#include "ui/HelpViewer.h"
#include "ui/Twips.h"
#include "ui/WindowNumbers.h"
#include "ui/WindowPlacement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QSessionManager>
#include <QStatusBar>
#include <QToolBar>

using namespace FrameCommands;

namespace {

const QString kWindowKey = QStringLiteral("dlgMain");
constexpr int32_t kDefaultWidth = 9600; // twips
constexpr int32_t kDefaultHeight = 7200;

// The toolbar in its order: key, tool tip, the command it runs, its image. "" is a separator.
struct ToolButton
{
    const char *key;
    int16_t toolTip;
    const char *command;
    const char *image;
};
const ToolButton kToolButtons[] = {
    {"TB1", 19000, "mnuViewNavWindow", "Nav"},
    {"TBS1", 0, "", ""},
    {"TB4", 19003, "mnuViewCardList", "MagCard"},
    {"TB5", 19004, "mnuViewUserList", "Users"},
    {"TB6", 19005, "mnuViewDoorList", "Doors"},
    {"TB10", 19011, "mnuViewDoorAreaList", "DoorAreas"},
    {"TB7", 19006, "mnuViewEventList", "Events"},
    {"TB11", 19014, "mnuViewOperatorList", "Operators"},
    {"TBS2", 0, "", ""},
    {"TB8", 19008, "mnuToolsVerifyMagCard", "Verify"},
    {"TB9", 19010, "mnuToolsReadoutsFromHCU", "Handheld"},
    {"TB3", 0, "mnuFileExit", "Exit"},
};

QKeySequence shortcutOf(const Command &command)
{
    switch (command.action) {
    case Action::HelpContents:
        return QKeySequence(Qt::Key_F1);
    case Action::LogOn:
        return QKeySequence(Qt::Key_F3);
    case Action::LogOff:
        return QKeySequence(Qt::Key_F4);
    case Action::VerifyCard:
        return QKeySequence(Qt::Key_F5);
    default:
        break;
    }
    if (QLatin1String(command.name) == QLatin1String("mnuToolsReadoutsFromHCU"))
        return QKeySequence(Qt::Key_F7);
    return {};
}

int16_t menuText(Menu menu)
{
    for (const MenuDef &def : menus()) {
        if (def.menu == menu)
            return def.text;
    }
    return 0;
}

} // namespace

frmMain::frmMain(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                 StartupFacts &facts, FrameWindows &frameWindows, QWidget *parent)
    : QMainWindow(parent), m_program(program), m_db(db), m_cardServers(cardServers), m_session(session), m_facts(facts),
      m_frameWindows(frameWindows), m_popup(this),
      m_help(std::make_unique<HelpViewer>(facts.HelpFilePath.isEmpty() ? HelpViewer::folderBeside(program.ProgramPath)
                                                                       : facts.HelpFilePath))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("15010"));
    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("mdiClient"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->viewport()->installEventFilter(this);
    setCentralWidget(m_mdi);
    // A modal dialog shadows the frame's F1 shortcut; the frame still answers F1 for it.
    qApp->installEventFilter(this);

    buildMenus();
    buildToolbar();
    buildStatusBar();
    ApplyFormTexts(this);

    m_nav = new frmNavWindow(
        m_program, m_session, [this](const Command &command) { return availabilityOf(command); },
        [this](const Command &command) { runCommand(command); }, this);
    addDockWidget(Qt::LeftDockWidgetArea, m_nav);
    m_nav->hide();

    connect(m_mdi, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *sub) {
        if (sub && sub->widget())
            activateChild(sub->widget());
    });
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &manager) {
        // The system ends the session: the same question, as a plain yes/no box.
        if (!manager.allowsInteraction())
            return;
        MessageRequest request;
        request.textNumber = -32512;
        request.arguments = {GetText(15010)};
        request.style = MessageStyle::Question;
        request.titleNumber = -32768;
        request.buttons = MessageButtons::YesNo;
        request.defaultButton = 1;
        const bool yes = m_program.messages->show(request, this) == 0;
        manager.release();
        if (!yes) {
            manager.cancel();
            return;
        }
        m_cardServers.firstCardsIntf.reset();
        m_cardServers.secondCardsIntf.reset();
    });

    // The encoder selection is the frame's own command; the logon and the card dialogs open it by kind.
    if (!m_frameWindows.windows.has(QStringLiteral("frmEncoderSetup"))) {
        DatabaseServices *db = &m_db;
        ProgramServices *program = &m_program;
        m_frameWindows.windows.addDialog(
            QStringLiteral("frmEncoderSetup"), [db, program](QWidget *parent) -> QDialog * {
                return db->database ? CreateEncoderSetup(*db->database, program->LocalParams, parent) : nullptr;
            });
    }
    m_previousBusy = m_session.frame.busy;
    m_session.frame.busy = this;
    m_session.frame.setApplicationTitle = [this]() { SetApplicationTitle(); };
    m_frameWindows.frameHost = this;
    m_session.frame.setupMenus = [this]() {
        SetupMenus();
        SetupToolbar();
    };
    m_session.notify.setOpenWindows([this]() {
        QList<QObject *> windows;
        const QList<QMdiSubWindow *> subs = m_mdi->subWindowList(QMdiArea::CreationOrder);
        for (QMdiSubWindow *sub : subs) {
            if (sub->widget())
                windows << sub->widget();
        }
        return windows;
    });
    load();
}

frmMain::~frmMain()
{
    if (m_session.frame.busy == this)
        m_session.frame.busy = m_previousBusy;
    m_session.frame.setApplicationTitle = nullptr;
    m_session.frame.setupMenus = nullptr;
    if (m_frameWindows.frameHost == this)
        m_frameWindows.frameHost = nullptr;
    m_session.notify.setOpenWindows(nullptr);
}

void frmMain::load()
{
    BuildContextMenu();
    // A first start fills most of the screen: the front desk works in this window all day.
    int32_t width = kDefaultWidth;
    int32_t height = kDefaultHeight;
    if (const QScreen *screen = this->screen()) {
        const QRect available = screen->availableGeometry();
        width = std::max(width, pixelsToTwips(available.width() * 9 / 10, twipsPerPixelX(this)));
        height = std::max(height, pixelsToTwips(available.height() * 9 / 10, twipsPerPixelY(this)));
    }
    RestoreWindowPlacement(m_program.registry, this, kWindowKey, width, height);
    if (m_program.LocalParams.WindowState() == 2)
        setWindowState(windowState() | Qt::WindowMaximized);
    m_toolbar->setVisible(m_program.LocalParams.ShowToolbar());
    action(QStringLiteral("mnuViewToolbar"))->setChecked(m_program.LocalParams.ShowToolbar());
    statusBar()->setVisible(m_program.LocalParams.ShowStatusbar());
    action(QStringLiteral("mnuViewStatusBar"))->setChecked(m_program.LocalParams.ShowStatusbar());
    SetApplicationTitle();
    SetupMenus();
    SetupToolbar();
    m_nav->RestorePlacement();
    resizeDocks({m_nav}, {m_nav->width()}, Qt::Horizontal);
    if (m_program.LocalParams.AutoLaunchNavWindow())
        showNavWindow();
    SetBusyState(0);
}

void frmMain::buildMenus()
{
    for (const MenuDef &def : menus()) {
        QMenu *menu = menuBar()->addMenu(QString::number(def.text));
        menu->setObjectName(QLatin1String(def.name));
        menu->setSeparatorsCollapsible(true);
        menu->menuAction()->setObjectName(QLatin1String(def.name));
        m_menus.insert(def.menu, menu);
    }
    for (const Command &command : all()) {
        QMenu *menu = m_menus.value(command.menu);
        if (command.separatorBefore)
            menu->addSeparator();
        QAction *item = menu->addAction(QString::number(command.text));
        item->setObjectName(QLatin1String(command.name));
        item->setShortcut(shortcutOf(command));
        item->setShortcutContext(Qt::ApplicationShortcut);
        const Command *row = &command;
        connect(item, &QAction::triggered, this, [this, row]() { runCommand(*row); });
        m_actions.insert(QLatin1String(command.name), item);
    }
    action(QStringLiteral("mnuViewToolbar"))->setCheckable(true);
    action(QStringLiteral("mnuViewStatusBar"))->setCheckable(true);
    // Laid out hidden or disabled until SetupMenus decides (the common-area card stays hidden).
    action(QStringLiteral("mnuFileOverride"))->setVisible(false);
    action(QStringLiteral("mnuACardsCommonArea"))->setVisible(false);
    action(QStringLiteral("mnuHelpSearch"))->setEnabled(false);

    m_windowMenu = m_menus.value(Menu::Window);
    connect(m_windowMenu, &QMenu::aboutToShow, this, &frmMain::updateWindowMenu);
}

void frmMain::buildToolbar()
{
    m_toolbar = new QToolBar(QStringLiteral("TB"), this);
    m_toolbar->setObjectName(QStringLiteral("TB"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setIconSize(QSize(24, 24));
    m_toolbar->toggleViewAction()->setEnabled(false);
    addToolBar(Qt::TopToolBarArea, m_toolbar);
    for (const ToolButton &button : kToolButtons) {
        if (!*button.command) {
            m_toolbar->addSeparator()->setObjectName(QLatin1String(button.key));
            continue;
        }
        QAction *tool = m_toolbar->addAction(FrameIcon(QLatin1String(button.image)), QString());
        tool->setObjectName(QLatin1String(button.key));
        if (button.toolTip)
            tool->setToolTip(QString::number(button.toolTip));
        const Command *row = byName(QLatin1String(button.command));
        connect(tool, &QAction::triggered, this, [this, row]() { runCommand(*row); });
        m_toolActions.insert(QLatin1String(button.key), tool);
    }
}

void frmMain::buildStatusBar()
{
    statusBar()->setObjectName(QStringLiteral("sbStatusBar"));
    m_statusPanel = new QLabel(statusBar());
    m_statusPanel->setObjectName(QStringLiteral("pnlStatus"));
    statusBar()->addWidget(m_statusPanel, 1);
}

QAction *frmMain::action(const QString &name) const
{
    return m_actions.value(name);
}

RuleContext frmMain::ruleContext() const
{
    RuleContext context;
    const Authority &authority = m_session.authority;
    context.right = [&authority](Rule rule, int32_t code, bool referenceSet) {
        const Authority::Set set = referenceSet ? Authority::ReferenceSet : Authority::OperatorSet;
        switch (rule) {
        case Rule::Read:
            return authority.HasRight(code, Authority::Read, set);
        case Rule::Write:
            return authority.HasRight(code, Authority::Write, set);
        case Rule::CardKind:
            return authority.MayIssueCardKind(code, set);
        case Rule::Function:
            return authority.HasFunction(code, set);
        default:
            return false;
        }
    };
    if (const clsSystemParams *params = m_db.SystemParams.get()) {
        context.grayIfNotAllowed = params->GrayIfNotAllowed();
        context.wingCodes = params->WingCodes();
        context.needOpCardAtLogon = params->NeedOpCardAtLogon();
        context.allowVerifyMagCard = params->AllowVerifyMagCard();
        context.allowReadFromHCU = params->AllowReadFromHCU();
    }
    context.helpAvailable = m_facts.HelpAvailable;
    context.operatorClassFlags = m_session.logon.OperatorClassFlags;
    return context;
}

Availability frmMain::availabilityOf(const Command &command) const
{
    return Evaluate(command, ruleContext());
}

void frmMain::SetApplicationTitle()
{
    const QString title = FormatText(GetText(21900), {GetText(15010)});
    const QString property = m_db.SystemParams ? m_db.SystemParams->PropertyName() : QString();
    setWindowTitle(property.isEmpty() ? title : title + QStringLiteral(" - ") + property);
}

void frmMain::SetupMenus()
{
    const RuleContext context = ruleContext();
    QMap<Menu, bool> anyVisible;
    for (const Command &command : all()) {
        QAction *item = action(QLatin1String(command.name));
        const Availability availability = Evaluate(command, context);
        if (availability.touched) {
            item->setVisible(availability.visible);
            item->setEnabled(availability.enabled);
        }
        anyVisible[command.menu] = anyVisible.value(command.menu) || item->isVisible();
    }
    // A top-level menu without a visible item goes from the menu bar.
    for (auto it = m_menus.cbegin(); it != m_menus.cend(); ++it)
        it.value()->menuAction()->setVisible(anyVisible.value(it.key()));
    // The card server's own work is refused while it runs, whatever the rights say.
    if (m_session.cardOperationInProgress)
        action(QStringLiteral("mnuFileSetupHCU"))->setEnabled(false);
    m_nav->Rebuild();
    BuildContextMenu();
}

void frmMain::SetupToolbar()
{
    const RuleContext context = ruleContext();
    for (const ToolButton &button : kToolButtons) {
        if (!*button.command)
            continue;
        if (const Command *command = byName(QLatin1String(button.command)))
            m_toolActions.value(QLatin1String(button.key))->setEnabled(Evaluate(*command, context).enabled);
    }
}

void frmMain::BuildContextMenu()
{
    m_popup.CreateRoot(QStringLiteral("HIDDEN"), RootKey);
    const RuleContext context = ruleContext();
    QString group;
    bool toolsStarted = false;
    for (const Command &command : all()) {
        if (!command.inContextMenu)
            continue;
        const Availability availability = Evaluate(command, context);
        if (!availability.visible)
            continue;
        const QString groupKey = contextGroupKey(command.menu);
        if (groupKey.isEmpty() && !toolsStarted) {
            toolsStarted = true;
            m_popup.AddItem(RootKey, QStringLiteral("-"), QStringLiteral("-"));
        } else if (!groupKey.isEmpty() && groupKey != group) {
            group = groupKey;
            m_popup.AddItem(RootKey, groupKey, GetText(menuText(command.menu)));
        }
        m_popup.AddItem(groupKey.isEmpty() ? RootKey : groupKey, QLatin1String(command.key), GetText(command.text),
                        availability.enabled);
    }
}

void frmMain::SetBusyState(int16_t state, int16_t percent)
{
    SetBusyPointer(state != 0);
    m_statusPanel->setText(BusyStateText(state, percent));
}

void frmMain::showContextMenu(const QPoint &globalPos)
{
    const QString key = m_popup.Show(RootKey, globalPos);
    if (!key.isEmpty())
        RunCommand(key);
}

void frmMain::RunCommand(const QString &key)
{
    if (key == NavWindowKey) {
        showNavWindow();
        return;
    }
    if (const Command *command = byKey(key))
        runCommand(*command);
}

void frmMain::showNavWindow()
{
    m_nav->show();
    m_nav->raise();
    m_nav->Rebuild();
}

void frmMain::updateWindowMenu()
{
    // The Window menu lists the open child windows below its arrangement items.
    for (QAction *item : std::as_const(m_windowListActions)) {
        m_windowMenu->removeAction(item);
        delete item;
    }
    m_windowListActions.clear();
    const QList<QMdiSubWindow *> subs = m_mdi->subWindowList(QMdiArea::CreationOrder);
    if (subs.isEmpty())
        return;
    m_windowListActions << m_windowMenu->addSeparator();
    int number = 1;
    for (QMdiSubWindow *sub : subs) {
        QAction *item = m_windowMenu->addAction(QStringLiteral("&%1 %2").arg(number++).arg(sub->windowTitle()));
        item->setCheckable(true);
        item->setChecked(sub == m_mdi->activeSubWindow());
        connect(item, &QAction::triggered, this, [this, sub]() { m_mdi->setActiveSubWindow(sub); });
        m_windowListActions << item;
    }
}

QWidget *frmMain::childWindow(const QString &kind) const
{
    const QList<QMdiSubWindow *> subs = m_mdi->subWindowList();
    for (QMdiSubWindow *sub : subs) {
        if (sub->property("kind").toString() == kind && sub->widget())
            return sub->widget();
    }
    return nullptr;
}

void frmMain::activateChild(QWidget *child)
{
    if (auto *frameChild = dynamic_cast<FrameChild *>(child))
        frameChild->Activate();
}

void frmMain::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        if (QMdiSubWindow *sub = m_mdi->activeSubWindow(); sub && sub->widget())
            activateChild(sub->widget());
    }
    QMainWindow::changeEvent(event);
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_F1 &&
        static_cast<QKeyEvent *>(event)->modifiers() == Qt::NoModifier) {
        QWidget *modal = QApplication::activeModalWidget();
        auto *target = qobject_cast<QWidget *>(watched);
        if (modal && target && (modal == target || modal->isAncestorOf(target))) {
            showHelp(false);
            return true;
        }
    }
    if (watched == m_mdi->viewport() && event->type() == QEvent::ContextMenu) {
        showContextMenu(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (m_unloaded) {
        event->accept();
        return;
    }
    if (!m_unloading) {
        m_session.applicationClosing = true;
        MessageRequest request;
        request.textNumber = -32512;
        request.arguments = {GetText(15010)};
        request.style = MessageStyle::Question;
        request.buttonNumbers = {17001};
        if (m_program.messages->show(request, this) != 0) {
            m_session.applicationClosing = false;
            event->ignore();
            return;
        }
        // A running poll sees the flag, ends and unloads the frame itself.
        if (m_polls > 0) {
            event->ignore();
            return;
        }
    }
    if (!childWindowsClosed()) {
        m_session.applicationClosing = false;
        m_unloading = false;
        event->ignore();
        return;
    }
    unload();
    event->accept();
}

bool frmMain::childWindowsClosed()
{
    m_mdi->closeAllSubWindows();
    return m_mdi->subWindowList().isEmpty();
}

void frmMain::unload()
{
    m_unloaded = true;
    const MessageDialogFn errorBox = LiteralErrorBox(*m_program.messages, this);
    m_program.LocalParams.setWindowState(isMaximized() ? 2 : 0);
    SaveWindowPlacement(m_program.registry, this, kWindowKey, errorBox);
    if (m_facts.HelpAvailable)
        m_help->CloseAll();
    m_program.LocalParams.setShowToolbar(!m_toolbar->isHidden());
    m_program.LocalParams.setShowStatusbar(!statusBar()->isHidden());
    m_program.LocalParams.WriteLocalParameters();
    m_nav->SavePlacement();
    m_nav->close();
    m_program.texts.UnloadTextLibrary();
    m_facts.clientSemaphore.Close();
}

void frmMain::unloadAfterPoll()
{
    m_unloading = true;
    close();
}
