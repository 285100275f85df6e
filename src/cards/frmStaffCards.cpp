#include "cards/frmStaffCards.h"

#include "cards/GuestCardStore.h"
#include "cards/GuestRules.h"
#include "components/cardserver/CardsIntf.h"
#include "session/Services.h"
#include "session/UserCreation.h"
#include "settings/clsSystemParams.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace {

constexpr qint32 kStaffBlock = 100;
constexpr qint32 kPrivateBlock = 113;
constexpr qint32 kRangeKind = 100;
constexpr int16_t kNoPrivateRoom = 23110;

int selectedNumber(const QComboBox *box)
{
    return box->currentIndex() < 0 ? 0 : box->currentData().toInt();
}

void selectNumber(QComboBox *box, qint32 number)
{
    const int index = box->findData(number);
    if (index >= 0)
        box->setCurrentIndex(index);
}

} // namespace

// Employee

const StaffDialogKind frmEmployeeCard::kKind = {.objectName = "frmEmployeeCard",
                                                .cardNameID = 260,
                                                .windowNumber = 19,
                                                .prompt = 22700,
                                                .errorCode = 4160,
                                                .helpContext = 1006,
                                                .placementKey = "dlgEmployee",
                                                .clearKey = "fEmployeeClear",
                                                .receiptKey = "fEmployeeReceipt",
                                                .track2Key = "fEmployeeTrack2"};

frmEmployeeCard::frmEmployeeCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers,
                                 Session &session, FrameWindows &frameWindows, QWidget *parent)
    : StaffCardDialog(program, db, cardServers, session, frameWindows, kKind, parent)
{
    buildControls();
    finishOpening();
}

// Supervisor

const StaffDialogKind frmSupervisorCard::kKind = {.objectName = "frmSupervisorCard",
                                                  .cardNameID = 261,
                                                  .windowNumber = 21,
                                                  .prompt = 23100,
                                                  .errorCode = 4160,
                                                  .helpContext = 1007,
                                                  .placementKey = "dlgSupervisor",
                                                  .clearKey = "fSupervisorClear",
                                                  .receiptKey = "fSupervisorReceipt",
                                                  .track2Key = "fSupervisorTrack2"};

frmSupervisorCard::frmSupervisorCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers,
                                     Session &session, FrameWindows &frameWindows, QWidget *parent)
    : StaffCardDialog(program, db, cardServers, session, frameWindows, kKind, parent)
{
    buildControls();
    finishOpening();
}

void frmSupervisorCard::addOwnRows()
{
    m_cboStaffPrivate = new QComboBox(m_fraCard);
    m_cboStaffPrivate->setObjectName(QStringLiteral("cboStaffPrivate"));
    addRow("lblStaffPrivate", 28407, m_cboStaffPrivate);
    m_cboStaffPrivate->addItem(GetText(kNoPrivateRoom), 0);
    for (const StaffCardStore::Door &door : store().privateRooms())
        addPrivateRoom(door);
    m_cboStaffPrivate->setCurrentIndex(0);
}

std::pair<int, int> frmSupervisorCard::defaultHours()
{
    return {m_db.SystemParams->DefaultSupervisorTimeZoneFrom(), m_db.SystemParams->DefaultSupervisorTimeZoneTo()};
}

void frmSupervisorCard::addPrivateRoom(const StaffCardStore::Door &door)
{
    // Keyed by the private-room number; the door ID rides along for door changes.
    m_cboStaffPrivate->addItem(door.name, door.number);
    m_cboStaffPrivate->setItemData(m_cboStaffPrivate->count() - 1, door.doorID, Qt::UserRole + 1);
}

void frmSupervisorCard::addFurtherBlocks(CardsIntf &cards)
{
    const qint32 number = selectedNumber(m_cboStaffPrivate);
    if (number == 0)
        return;
    cards.BeginBlock(kPrivateBlock);
    cards.AddDoorRange(kRangeKind, number, number);
}

void frmSupervisorCard::showOwnBlock(qint32 block, qint32 first, qint32)
{
    if (block == kPrivateBlock)
        selectNumber(m_cboStaffPrivate, first);
}

void frmSupervisorCard::doorsChanged(qint32 first, qint32 last, bool removed)
{
    const qint32 chosen = m_cboStaffPrivate->currentData(Qt::UserRole + 1).toInt();
    for (int index = m_cboStaffPrivate->count() - 1; index > 0; --index) {
        const qint32 door = m_cboStaffPrivate->itemData(index, Qt::UserRole + 1).toInt();
        if (door >= first && door <= last)
            m_cboStaffPrivate->removeItem(index);
    }
    if (!removed && first == last) {
        for (const StaffCardStore::Door &door : store().privateRooms(first))
            addPrivateRoom(door);
    }
    const int index = m_cboStaffPrivate->findData(chosen, Qt::UserRole + 1);
    m_cboStaffPrivate->setCurrentIndex(chosen != 0 && index > 0 ? index : 0);
}

// Common area

const StaffDialogKind frmCommonAreaCard::kKind = {.objectName = "frmCommonAreaCard",
                                                  .cardNameID = 274,
                                                  .windowNumber = 31,
                                                  .prompt = 24100,
                                                  .errorCode = 4336,
                                                  .helpContext = 0,
                                                  .placementKey = "dlgCommonArea",
                                                  .clearKey = "fCommonAreaClear",
                                                  .receiptKey = "fCommonAreaReceipt",
                                                  .roomRange = false,
                                                  .commonRoom = false};

frmCommonAreaCard::frmCommonAreaCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers,
                                     Session &session, FrameWindows &frameWindows, QWidget *parent)
    : StaffCardDialog(program, db, cardServers, session, frameWindows, kKind, parent)
{
    buildControls();
    finishOpening();
}

void frmCommonAreaCard::addOwnRows()
{
    m_cboCommonRooms = new QComboBox(m_fraCard);
    m_cboCommonRooms->setObjectName(QStringLiteral("cboCommonRooms"));
    addRow("lblCommonRooms", 28408, m_cboCommonRooms);
    fillCommonRooms();
}

void frmCommonAreaCard::fillCommonRooms()
{
    const qint32 chosen = selectedNumber(m_cboCommonRooms);
    m_cboCommonRooms->clear();
    for (const StaffCardStore::Door &door : store().commonRooms())
        m_cboCommonRooms->addItem(door.name, door.number);
    m_cboCommonRooms->setCurrentIndex(chosen ? m_cboCommonRooms->findData(chosen) : -1);
}

std::pair<int, int> frmCommonAreaCard::defaultHours()
{
    return {m_db.SystemParams->DefaultCommonAreaTimeZoneFrom(), m_db.SystemParams->DefaultCommonAreaTimeZoneTo()};
}

bool frmCommonAreaCard::checkDoors()
{
    const qint32 number = selectedNumber(m_cboCommonRooms);
    const std::optional<StaffCardStore::Door> door = number ? store().commonRoom(number) : std::nullopt;
    if (!door) {
        fail(-31188, m_cboCommonRooms);
        return false;
    }
    m_door = door->doorID;
    return true;
}

void frmCommonAreaCard::addBlocks(CardsIntf &cards)
{
    cards.BeginBlock(kStaffBlock);
    cards.AddBlockValue(0);
    cards.AddBlockValue(m_window.from);
    cards.AddBlockValue(m_window.to);
    cards.AddDoorRange(kRangeKind, m_door, m_door);
}

void frmCommonAreaCard::showOwnBlock(qint32 block, qint32 first, qint32)
{
    if (block != kStaffBlock)
        return;
    for (const StaffCardStore::Door &door : store().commonRooms()) {
        if (door.doorID == first)
            selectNumber(m_cboCommonRooms, door.number);
    }
}

// Maintenance

const StaffDialogKind frmMaintenanceCard::kKind = {.objectName = "frmMaintenanceCard",
                                                   .cardNameID = 276,
                                                   .windowNumber = 32,
                                                   .prompt = 24000,
                                                   .errorCode = 4176,
                                                   .helpContext = 1009,
                                                   .placementKey = "dlgMaintenance",
                                                   .clearKey = "fMaintenanceClear",
                                                   .receiptKey = "fMaintenanceReceipt",
                                                   .days = false};

frmMaintenanceCard::frmMaintenanceCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers,
                                       Session &session, FrameWindows &frameWindows, QWidget *parent)
    : StaffCardDialog(program, db, cardServers, session, frameWindows, kKind, parent)
{
    buildControls();
    finishOpening();
}

std::pair<int, int> frmMaintenanceCard::defaultHours()
{
    const int hour = currentHour();
    return {hour, hour + m_db.SystemParams->DefaultMaintenanceHours()};
}

// Service

const StaffDialogKind frmServiceCard::kKind = {.objectName = "frmServiceCard",
                                               .cardNameID = 273,
                                               .windowNumber = 30,
                                               .prompt = 23200,
                                               .errorCode = 4192,
                                               .helpContext = 1008,
                                               .placementKey = "dlgService",
                                               .clearKey = "fServiceClear",
                                               .receiptKey = "fServiceReceipt",
                                               .user = false,
                                               .roomRange = false,
                                               .days = false};

frmServiceCard::frmServiceCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers,
                               Session &session, FrameWindows &frameWindows, QWidget *parent)
    : frmServiceCard(program, db, cardServers, session, frameWindows, kKind, -31206, parent)
{
}

frmServiceCard::frmServiceCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers,
                               Session &session, FrameWindows &frameWindows, const StaffDialogKind &kind,
                               int16_t roomNotFound, QWidget *parent)
    : StaffCardDialog(program, db, cardServers, session, frameWindows, kind, parent), m_roomNotFound(roomNotFound)
{
    buildControls();
    finishOpening();
    EvaluateIssueTo();
}

void frmServiceCard::addOwnRows()
{
    m_txtRoomNumber = makeBox("txtRoomNumber");
    m_txtIssueToName = makeBox("txtIssueTo");
    m_txtIssueToName->setMaxLength(2 * 32 + 2);
    addRow("lblRoomNumber", 28300, m_txtRoomNumber);
    const int row = addRow("lblIssueTo", 28400, m_txtIssueToName);
    m_lblIssueTo = qobject_cast<QLabel *>(m_fields->itemAtPosition(row, 0)->widget());
    setIssueToControls(m_lblIssueTo, m_txtIssueToName);
    connect(m_txtRoomNumber, &QLineEdit::textChanged, this, [this] { m_roomResolved = false; });
    connect(m_txtIssueToName, &QLineEdit::textChanged, this, [this] { m_issueToResolved = false; });
}

void frmServiceCard::CheckRoomList()
{
    if (!m_txtRoomNumber)
        return;
    const bool five = m_db.SystemParams->FiveDigits();
    const bool wings = m_db.SystemParams->WingCodes();
    m_txtRoomNumber->setMaxLength(GuestRules::RoomNumberMaxLength(five, wings));
    m_txtRoomNumber->setText(GuestRules::CheckRoomEntry(m_txtRoomNumber->text(), five, wings));
}

std::pair<int, int> frmServiceCard::defaultHours()
{
    const int hour = currentHour();
    return {hour, hour + m_db.SystemParams->DefaultServiceHours()};
}

bool frmServiceCard::resolveRoom()
{
    const bool wings = m_db.SystemParams->WingCodes();
    GuestCardStore rooms(table());
    m_room = rooms.guestRoom(m_txtRoomNumber->text(), wings);
    if (m_room != 0)
        m_txtRoomNumber->setText(wings ? rooms.splitRoom(m_room).text() : QString::number(m_room));
    m_roomResolved = m_room != 0;
    return m_roomResolved;
}

bool frmServiceCard::resolveIssueTo()
{
    const GuestRules::IssueToName name = GuestRules::ParseIssueTo(m_txtIssueToName->text());
    if (name.error != 0) {
        fail(name.error, m_txtIssueToName);
        return false;
    }
    if (!m_issueToResolved || name.surname != m_surname || name.firstname != m_firstname) {
        m_surname = name.surname;
        m_firstname = name.firstname;
        m_issueToUser = 0;
    }
    m_txtIssueToName->setText(name.boxText());
    m_issueToResolved = true;
    return true;
}

bool frmServiceCard::checkOwnInputs()
{
    if (m_txtRoomNumber->text().trimmed().isEmpty()) {
        fail(-31207, m_txtRoomNumber);
        return false;
    }
    if (!m_roomResolved && !resolveRoom()) {
        fail(m_roomNotFound, m_txtRoomNumber);
        return false;
    }
    if (m_db.SystemParams->IssueTo() == 0)
        return true;
    if (m_txtIssueToName->text().trimmed().isEmpty()) {
        fail(-31155, m_txtIssueToName);
        return false;
    }
    return resolveIssueTo();
}

void frmServiceCard::addBlocks(CardsIntf &cards)
{
    cards.BeginBlock(kStaffBlock);
    cards.AddBlockValue(0);
    cards.AddBlockValue(m_window.from);
    cards.AddBlockValue(m_window.to);
    cards.AddDoorRange(kRangeKind, m_room, m_room);
    if (m_chkCommonRoom->isChecked()) {
        cards.BeginBlock(98);
        cards.AddDoorRange(kRangeKind, 1, 1);
    }
}

qint32 frmServiceCard::cardUser()
{
    if (m_txtIssueToName->text().trimmed().isEmpty())
        return 1;
    if (m_issueToUser == 0)
        m_issueToUser = CreateUserFromName(m_program, m_db, m_session, m_surname, m_firstname, this);
    return m_issueToUser;
}

void frmServiceCard::clearOwnFields()
{
    m_txtRoomNumber->clear();
    m_txtIssueToName->clear();
    m_room = 0;
}

void frmServiceCard::showOwnBlock(qint32 block, qint32 first, qint32)
{
    if (block == kStaffBlock)
        showRoom(first);
}

void frmServiceCard::showRoom(qint32 room)
{
    m_room = room;
    m_txtRoomNumber->setText(m_db.SystemParams->WingCodes() ? GuestCardStore(table()).splitRoom(room).text()
                                                            : QString::number(room));
    m_roomResolved = true;
}

bool frmServiceCard::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_txtRoomNumber && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const QString text = key->text();
        if (text.size() == 1 && text.at(0).isPrint() && !(key->modifiers() & Qt::ControlModifier)) {
            const QChar typed = GuestRules::FilterRoomKey(text.at(0), m_db.SystemParams->WingCodes());
            if (!typed.isNull() && !m_txtRoomNumber->isReadOnly())
                m_txtRoomNumber->insert(typed);
            return true;
        }
    } else if (event->type() == QEvent::FocusOut && !inputsLocked()) {
        if (watched == m_txtRoomNumber && !m_roomResolved && !m_txtRoomNumber->text().trimmed().isEmpty())
            resolveRoom();
        else if (watched == m_txtIssueToName && !m_txtIssueToName->text().trimmed().isEmpty())
            resolveIssueTo();
    }
    return StaffCardDialog::eventFilter(watched, event);
}
