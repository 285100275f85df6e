#include "admin/frmDeviceStatus.h"

#include "admin/DeviceRules.h"
#include "admin/DeviceStatus.h"
#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "core/OleDate.h"
#include "session/Authority.h"
#include "session/Workstation.h"
#include "texts/Messages.h"
#include "texts/Texts.h"
#include "ui/ChildWindow.h"
#include "ui/FormTexts.h"
#include "ui/WindowPlacement.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kWindowNumber = 42;
constexpr int16_t kCaption = 29240;
constexpr int16_t kStartFailed = -29787;
constexpr int16_t kStopFailed = -29786;
constexpr int32_t kDefaultWidth = 13000; // twips
constexpr int32_t kDefaultHeight = 4800;
const QString kWindowKey = QStringLiteral("dlgDeviceStatus");
const QString kColumnKey = QStringLiteral("lvwDeviceStatusCol");
enum Column { NameColumn, TypeColumn, PlaceColumn, StateColumn, SlotColumn };
constexpr int kIdRole = Qt::UserRole;
constexpr int kTypeRole = Qt::UserRole + 1;

int16_t typeText(qint32 deviceType)
{
    switch (deviceType) {
    case DeviceType::Encoder:
        return 29213;
    case DeviceType::Handheld:
        return 29214;
    case DeviceType::PmsInterface:
        return 29215;
    default:
        return 29257;
    }
}

int16_t stateText(DeviceState::State state)
{
    using State = DeviceState::State;
    switch (state) {
    case State::Answers:
        return 29246;
    case State::NotReady:
        return 29247;
    case State::FolderMissing:
        return 29248;
    case State::Stopped:
        return 29249;
    case State::UnknownDevice:
        return 29257;
    case State::Listening:
        return 29530;
    case State::Connecting:
        return 29531;
    case State::Linked:
        return 29532;
    case State::Broken:
        return 29533;
    case State::NoStateReported:
        break;
    }
    return 29250;
}

// A PMS link's state and since when: "Linked since ...".
QString stateColumn(const DeviceState &state)
{
    const QString text = GetText(stateText(state.state));
    if (state.since == 0)
        return text;
    return FormatText(GetText(29534), {text, OleDate::formatShortDate(state.since) + QLatin1Char(' ') +
                                                 OleDate::formatShortTime(state.since)});
}

// A PMS link's port with the PMS's address: "127.0.0.1:5010, PMS at 10.0.0.5:4711".
QString placeColumn(const DeviceState &state)
{
    return state.peer.isEmpty() ? state.place : FormatText(GetText(29535), {state.place, state.peer});
}

QString slotText(DeviceState::Slot slot)
{
    switch (slot) {
    case DeviceState::Slot::Empty:
        return GetText(29252);
    case DeviceState::Slot::Blank:
        return GetText(29253);
    case DeviceState::Slot::Card:
        return GetText(29251);
    case DeviceState::Slot::NotShown:
        break;
    }
    return QString();
}

} // namespace

frmDeviceStatus::frmDeviceStatus(ProgramServices &program, DatabaseServices &db, CardServers &cardServers,
                                 Session &session, QWidget *parent)
    : QWidget(parent), m_program(program), m_db(db), m_cardServers(cardServers), m_session(session),
      m_lvwDevices(new QTreeWidget(this)), m_cmdStart(CommandButton(this, "cmdStart", 29254)),
      m_cmdStop(CommandButton(this, "cmdStop", 29255)), m_cmdRefresh(CommandButton(this, "cmdRefresh", 29256)),
      m_cmdClose(CommandButton(this, "cmdClose", 27011)), m_tmrRefresh(new QTimer(this))
{
    setObjectName(QStringLiteral("frmDeviceStatus"));
    setWindowTitle(GetText(kCaption));
    m_lvwDevices->setObjectName(QStringLiteral("lvwDevices"));
    m_lvwDevices->setRootIsDecorated(false);
    m_lvwDevices->setHeaderLabels({GetText(29241), GetText(29242), GetText(29243), GetText(29244), GetText(29245)});
    m_tmrRefresh->setObjectName(QStringLiteral("tmrRefresh"));
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {m_cmdStart, m_cmdStop, m_cmdRefresh})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_lvwDevices, 1);
    layout->addLayout(buttons);
    RestoreWindowPlacement(program.registry, this, kWindowKey, kDefaultWidth, kDefaultHeight);
    for (const auto &[column, width] :
         {std::pair{NameColumn, 170}, {TypeColumn, 120}, {PlaceColumn, 260}, {StateColumn, 200}})
        m_lvwDevices->setColumnWidth(column, width);
    RestoreColumnWidths(program.registry, m_lvwDevices, kColumnKey);

    connect(m_lvwDevices, &QTreeWidget::currentItemChanged, this, &frmDeviceStatus::updateButtons);
    connect(m_cmdStart, &QPushButton::clicked, this, [this] { startOrStop(true); });
    connect(m_cmdStop, &QPushButton::clicked, this, [this] { startOrStop(false); });
    connect(m_cmdRefresh, &QPushButton::clicked, this, &frmDeviceStatus::RefreshStatus);
    connect(m_cmdClose, &QPushButton::clicked, this, [this] { UnloadWindow(this); });
    connect(m_tmrRefresh, &QTimer::timeout, this, &frmDeviceStatus::RefreshStatus);
    m_session.notify.SubscribeDevices(this, Notify::handleOf(this));
    RefreshStatus();
    m_tmrRefresh->start(RefreshMs);
}

frmDeviceStatus::~frmDeviceStatus()
{
    m_session.notify.UnsubscribeDevices(Notify::handleOf(this));
    m_session.openDialogs.reset(kWindowNumber);
}

void frmDeviceStatus::RefreshStatus()
{
    const qint32 current = m_lvwDevices->currentItem() ? m_lvwDevices->currentItem()->data(0, kIdRole).toInt() : 0;
    CardsIntf *cards = m_cardServers.secondCardsIntf.get();
    struct Row
    {
        qint32 deviceID;
        qint32 deviceType;
        QString name;
        QString port;
    };
    QList<Row> rows;
    RecordTable view(*m_db.database);
    view.SelectTable(TableId::DeviceView);
    view.OpenQuery(QString(), Field::deviceName);
    for (; view.Status() == RecordStatus::Ok; view.MoveNext())
        rows.append({view.GetField(Field::deviceID).toInt(), view.GetField(Field::deviceType).toInt(),
                     view.GetField(Field::deviceName).toString(), view.GetField(Field::portName).toString()});
    view.CloseQuery();

    m_lvwDevices->clear();
    for (const Row &row : rows) {
        const DeviceState state = QueryDeviceState(
            cards, row.deviceID, row.deviceType, row.port,
            row.deviceType == DeviceType::PmsInterface ? readPmsLinkRow(*m_db.database, row.deviceID) : std::nullopt);
        auto *item = new QTreeWidgetItem(m_lvwDevices, {row.name, GetText(typeText(row.deviceType)), placeColumn(state),
                                                        stateColumn(state), slotText(state.slot)});
        if (!state.lastRecords.isEmpty())
            item->setToolTip(StateColumn,
                             GetText(29536) + QLatin1Char('\n') + state.lastRecords.join(QLatin1Char('\n')));
        item->setData(0, kIdRole, row.deviceID);
        item->setData(0, kTypeRole, row.deviceType);
        if (row.deviceID == current)
            m_lvwDevices->setCurrentItem(item);
    }
    updateButtons();
}

void frmDeviceStatus::startOrStop(bool start)
{
    QTreeWidgetItem *item = m_lvwDevices->currentItem();
    CardsIntf *cards = m_cardServers.secondCardsIntf.get();
    if (!item || !cards || !(start ? m_cmdStart : m_cmdStop)->isEnabled())
        return;
    const qint32 deviceID = item->data(0, kIdRole).toInt();
    const qint32 status = start ? cards->StartDevice(deviceID) : cards->StopDevice(deviceID);
    if (status != 0)
        m_program.messages->error(start ? kStartFailed : kStopFailed, {item->text(NameColumn)},
                                  cards->GetStatusText(status).section(QLatin1Char('|'), 1), this);
    RefreshStatus();
}

void frmDeviceStatus::updateButtons()
{
    const QTreeWidgetItem *item = m_lvwDevices->currentItem();
    const bool mayChange = item && m_cardServers.secondCardsIntf && IsVirtualDevice(item->data(0, kTypeRole).toInt()) &&
                           m_session.authority.HasRight(TableId::Devices, Authority::Edit);
    m_cmdStart->setEnabled(mayChange);
    m_cmdStop->setEnabled(mayChange);
}

bool frmDeviceStatus::IsDialogAvailable()
{
    return m_session.authority.IsTableDialogAvailable(TableId::DeviceView, this);
}

void frmDeviceStatus::Activate()
{
    m_session.openDialogs.set(kWindowNumber);
    EvaluateAuthority();
}

void frmDeviceStatus::EvaluateAuthority()
{
    if (!m_session.authority.HasRight(TableId::DeviceView, Authority::Read)) {
        UnloadWindow(this);
        return;
    }
    updateButtons();
}

void frmDeviceStatus::closeEvent(QCloseEvent *event)
{
    m_tmrRefresh->stop();
    SaveWindowPlacement(m_program.registry, this, kWindowKey, LiteralErrorBox(*m_program.messages, nullptr));
    SaveColumnWidths(m_program.registry, m_lvwDevices, kColumnKey, LiteralErrorBox(*m_program.messages, nullptr));
    QWidget::closeEvent(event);
}

void frmDeviceStatus::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        UnloadWindow(this);
        return;
    }
    QWidget::keyPressEvent(event);
}
