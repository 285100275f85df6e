#include "frame/frmNavWindow.h"

#include "frame/FrameIcons.h"
#include "session/Services.h"
#include "settings/clsSystemParams.h"
#include "texts/Texts.h"
#include "ui/ChildWindow.h"
#include "ui/FormTexts.h"
#include "ui/WindowPlacement.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QTabBar>
#include <QVBoxLayout>

namespace {

const QString kWindowKey = QStringLiteral("dlgNavWin");
constexpr int32_t kDefaultWidth = 3300; // twips
constexpr int32_t kDefaultHeight = 7200;

struct Entry
{
    int number; // the key is "N" + number
    int16_t text;
    const char *command;
};

// Cards by card kind, in the order of the tab; the operator card (270) follows the menu's rule.
const Entry kCards[] = {
    {256, 16050, "mnuACardsGuest"},
    {257, 16051, "mnuACardsJoiner"},
    {258, 16052, "mnuACardsSuite"},
    {259, 16053, "mnuACardsFutureArrival"},
    {266, 16060, "mnuACardsOneTime"},
    {269, 16063, "mnuFCardsCancel"},
    {262, 16056, "mnuFCardsClearance"},
    {263, 16057, "mnuFCardsStandOpen"},
    {264, 16058, "mnuFCardsPrivacy"},
    {265, 16059, "mnuFCardsBlocking"},
    {272, 16066, "mnuFCardsLocking"},
    {260, 16054, "mnuACardsEmployee"},
    {261, 16055, "mnuACardsSupervisor"},
    {273, 16067, "mnuACardsService"},
    {276, 16070, "mnuACardsMaintenance"},
    {271, 16065, "mnuFCardsCommunication"},
    {277, 16068, "mnuFCardsBatteryAlarm"},
    {278, 16071, "mnuFCardsClearCancelList"},
    {279, 16072, "mnuFCardsClearReadoutList"},
    {270, 16064, "mnuFCardsOperator"},
    {267, 16061, "mnuACardsPowerDown"},
    {268, 16062, "mnuACardsEmergency"},
    {275, 16069, "mnuFCardsSystemID"},
};

// Lists by list number; the command carries the table whose read right shows it.
const Entry kLists[] = {
    {1, 16080, "mnuViewCardList"},     {2, 16081, "mnuViewUserList"},       {3, 16082, "mnuViewDoorList"},
    {4, 16083, "mnuViewDoorAreaList"}, {8, 16087, "mnuViewEventList"},      {9, 16088, "mnuViewReadoutList"},
    {5, 16084, "mnuViewOperatorList"}, {7, 16086, "mnuViewOpTemplateList"}, {10, 16089, "mnuViewCameraList"},
    {11, 16090, "mnuViewSubCameras"},  {6, 16085, "mnuViewDeviceList"},     {12, 16091, "mnuViewWingCodeList"},
};

const Entry kReports[] = {
    {16140, 16140, "mnuViewSysSettings"},   {16141, 16141, "mnuViewCardList"},
    {16142, 16142, "mnuViewExpiringCards"}, {16144, 16144, "mnuViewOccupiedRooms"},
    {16145, 16145, "mnuViewVacantRooms"},
};

struct TabDef
{
    std::span<const Entry> entries;
    const char *image;
};

TabDef tabDef(frmNavWindow::Tab tab)
{
    switch (tab) {
    case frmNavWindow::CardsTab:
        return {kCards, "MagCard"};
    case frmNavWindow::ListsTab:
        return {kLists, "Table"};
    case frmNavWindow::ReportsTab:
        break;
    }
    return {kReports, "Report"};
}

QString keyOf(const Entry &entry)
{
    return QStringLiteral("N") + QString::number(entry.number);
}

} // namespace

frmNavWindow::frmNavWindow(ProgramServices &program, Session &session, AvailabilityFn availability, RunFn run,
                           QWidget *parent)
    : QDockWidget(parent), m_program(program), m_session(session), m_availability(std::move(availability)),
      m_run(std::move(run)), m_tabNav(new QTabBar), m_lvwNav(new QListWidget)
{
    setObjectName(QStringLiteral("frmNavWindow"));
    setWindowTitle(QStringLiteral("28000"));
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    m_tabNav->setObjectName(QStringLiteral("tabNav"));
    m_tabNav->addTab(QStringLiteral("28001"));
    m_tabNav->addTab(QStringLiteral("28002"));
    m_tabNav->addTab(QStringLiteral("28003"));
    m_tabNav->setExpanding(true);
    m_tabNav->setDrawBase(false);
    m_lvwNav->setObjectName(QStringLiteral("lvwNav"));
    m_lvwNav->setIconSize(QSize(24, 24));
    m_lvwNav->setSpacing(2);
    m_lvwNav->setUniformItemSizes(true);
    m_lvwNav->setSelectionMode(QAbstractItemView::SingleSelection);

    auto *body = new QWidget;
    body->setObjectName(QStringLiteral("fraNav"));
    auto *layout = new QVBoxLayout(body);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(0);
    layout->addWidget(m_tabNav);
    layout->addWidget(m_lvwNav);
    setWidget(body);
    ApplyFormTexts(this);

    // While the workstation keeps it shown, the window offers no close button.
    setFeatures(m_program.LocalParams.AlwaysShowNavWindow() ? QDockWidget::NoDockWidgetFeatures
                                                            : QDockWidget::DockWidgetClosable);

    connect(m_tabNav, &QTabBar::currentChanged, this, &frmNavWindow::Rebuild);
    connect(m_lvwNav, &QListWidget::itemClicked, this, &frmNavWindow::itemChosen);
    m_lvwNav->installEventFilter(this);
}

void frmNavWindow::Rebuild()
{
    const Tab tab = currentTab();
    const TabDef def = tabDef(tab);
    const QIcon icon = FrameIcon(QLatin1String(def.image));
    m_lvwNav->clear();
    for (const Entry &entry : def.entries) {
        const FrameCommands::Command *command = FrameCommands::byName(QLatin1String(entry.command));
        if (!command)
            continue;
        const Availability availability = m_availability ? m_availability(*command) : Availability();
        if (!availability.visible)
            continue;
        auto *item = new QListWidgetItem(icon, GetText(entry.text), m_lvwNav);
        item->setData(Qt::UserRole, keyOf(entry));
        if (!availability.enabled)
            item->setFlags(item->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
    }
}

void frmNavWindow::setCurrentTab(Tab tab)
{
    m_tabNav->setCurrentIndex(tab);
}

frmNavWindow::Tab frmNavWindow::currentTab() const
{
    const int index = m_tabNav->currentIndex();
    return index == ListsTab ? ListsTab : index == ReportsTab ? ReportsTab : CardsTab;
}

void frmNavWindow::RestorePlacement()
{
    RestoreWindowPlacement(m_program.registry, this, kWindowKey, kDefaultWidth, kDefaultHeight);
}

void frmNavWindow::SavePlacement()
{
    SaveWindowPlacement(m_program.registry, this, kWindowKey, LiteralErrorBox(*m_program.messages, this));
}

const FrameCommands::Command *frmNavWindow::commandOf(Tab tab, const QString &key)
{
    for (const Entry &entry : tabDef(tab).entries) {
        if (keyOf(entry) == key)
            return FrameCommands::byName(QLatin1String(entry.command));
    }
    return nullptr;
}

void frmNavWindow::closeEvent(QCloseEvent *event)
{
    if (m_program.LocalParams.AlwaysShowNavWindow() && !m_session.applicationClosing) {
        event->ignore();
        return;
    }
    QDockWidget::closeEvent(event);
}

bool frmNavWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Enter opens the current entry as a click does.
    if (watched == m_lvwNav && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            itemChosen(m_lvwNav->currentItem());
            return true;
        }
    }
    return QDockWidget::eventFilter(watched, event);
}

void frmNavWindow::itemChosen(QListWidgetItem *item)
{
    if (!item || !(item->flags() & Qt::ItemIsEnabled))
        return;
    if (const FrameCommands::Command *command = commandOf(currentTab(), item->data(Qt::UserRole).toString());
        command && m_run)
        m_run(*command);
}
