#include "cards/frmFunctionCards.h"

#include "cards/CardIssue.h"
#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/TableDefs.h"
#include "session/Services.h"
#include "settings/clsSystemParams.h"
#include "texts/Texts.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

namespace {

constexpr qint32 kFunctionBlock = 112;
constexpr qint32 kEmergencyBlock = 108;
constexpr qint32 kSystemIDBlock = 114;
constexpr qint32 kRangeKind = 100;
constexpr qint32 kAllDoors = 99999;
constexpr int kClearList = 2; // the function whose card also says what it clears

// Per function: its card kind, title, first block value and help topic.
struct Function
{
    qint32 cardNameID;
    int16_t caption;
    qint32 blockValue;
    int helpContext;
};
constexpr Function kFunctions[] = {
    {271, 20600, 16, 1107}, {277, 20601, 1, 1108}, {278, 20602, 2, 1109}, {279, 20603, 4, 0}};

qint32 lastRoom(DatabaseServices &db)
{
    return db.SystemParams && db.SystemParams->FiveDigits() ? 99999 : 9999;
}

} // namespace

// Function card

const StaffDialogKind frmFunctionCard::kKind = {.objectName = "frmFunctionCard",
                                                .cardNameID = 271,
                                                .windowNumber = 25,
                                                .prompt = 20600,
                                                .errorCode = 4304,
                                                .helpContext = 1107,
                                                .placementKey = "dlgFunction",
                                                .timeWindow = false,
                                                .commonRoom = false,
                                                .doors = false};

frmFunctionCard::frmFunctionCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers,
                                 Session &session, FrameWindows &frameWindows, QWidget *parent)
    : StaffCardDialog(program, db, cardServers, session, frameWindows, kKind, parent)
{
    buildControls();
    finishOpening();
    SetFunction(0);
}

void frmFunctionCard::addOwnRows()
{
    m_fraClear = new QGroupBox(QString::number(28502), m_fraCard);
    m_fraClear->setObjectName(QStringLiteral("fraClear"));
    auto *options = new QVBoxLayout(m_fraClear);
    for (int i = 0; i < 3; ++i) {
        m_optClear[i] = new QRadioButton(QString::number(28503 + i), m_fraClear);
        m_optClear[i]->setObjectName(QStringLiteral("optClear_%1").arg(i));
        options->addWidget(m_optClear[i]);
        addInput(m_optClear[i]);
    }
    m_optClear[0]->setChecked(true);
    m_fields->addWidget(m_fraClear, m_fields->rowCount(), 0, 1, 4);
}

qint32 frmFunctionCard::cardNameID() const
{
    return kFunctions[m_function].cardNameID;
}

int frmFunctionCard::HelpContextID() const
{
    return kFunctions[m_function].helpContext;
}

QString frmFunctionCard::dialogTitle() const
{
    return GetText(kFunctions[m_function].caption);
}

QList<qint32> frmFunctionCard::shownTables() const
{
    return {TableId::Users};
}

void frmFunctionCard::SetFunction(int function)
{
    if (function < 0 || function >= int(std::size(kFunctions)))
        return;
    m_function = function;
    for (QLineEdit *box : {m_txtRoomFrom, m_txtRoomTo, m_txtNumDays, m_txtExpirationDate})
        box->clear();
    m_expiryValid = true;
    RemoveUser(m_userID);
    setWindowTitle(dialogTitle());
    m_fraClear->setVisible(function == kClearList);
    if (function == 0)
        showAllRooms();
    inputsUnlocked();
}

void frmFunctionCard::showAllRooms()
{
    m_txtRoomFrom->setText(QStringLiteral("0"));
    m_txtRoomTo->setText(QString::number(lastRoom(m_db)));
}

void frmFunctionCard::CheckRoomList()
{
    StaffCardDialog::CheckRoomList();
    if (m_function == 0 && m_txtRoomFrom && !showsReadBack())
        showAllRooms();
}

void frmFunctionCard::inputsUnlocked()
{
    // The communication card always covers every room.
    const bool fixed = m_function == 0 || inputsLocked();
    m_txtRoomFrom->setReadOnly(fixed);
    m_txtRoomTo->setReadOnly(fixed);
}

bool frmFunctionCard::checkDoors()
{
    if (m_function == 0)
        return true;
    if (!store().rangeOpensDoors(m_txtRoomFrom->text().toInt(), m_txtRoomTo->text().toInt(), false)) {
        fail(-31179, m_txtRoomFrom);
        return false;
    }
    return true;
}

void frmFunctionCard::addBlocks(CardsIntf &cards)
{
    cards.BeginBlock(kFunctionBlock);
    cards.AddBlockValue(kFunctions[m_function].blockValue);
    if (m_function == kClearList)
        cards.AddBlockValue(m_optClear[0]->isChecked() ? 0 : m_optClear[1]->isChecked() ? 1 : 2);
    // The communication card covers every room, whatever its boxes show.
    if (m_function == 0)
        cards.AddDoorRange(kRangeKind, 0, lastRoom(m_db));
    else
        cards.AddDoorRange(kRangeKind, m_txtRoomFrom->text().toInt(), m_txtRoomTo->text().toInt());
}

void frmFunctionCard::showOwnBlock(qint32 block, qint32 first, qint32 last)
{
    if (block != kFunctionBlock)
        return;
    m_txtRoomFrom->setText(QString::number(first));
    m_txtRoomTo->setText(QString::number(last));
    CardsIntf &cards = *m_cardServers.firstCardsIntf;
    cards.GetNextValue();
    if (m_function == kClearList) {
        const qint32 choice = cards.GetNextValue();
        m_optClear[std::clamp(choice, 0, 2)]->setChecked(true);
    }
}

// Cards without rooms or validity of their own

QList<qint32> FixedValidityCard::shownTables() const
{
    return {TableId::Users};
}

StaffCardDialog::OwnExpiry FixedValidityCard::ownExpiry(double &expiry)
{
    expiry = NoExpiry;
    return OwnExpiry::Given;
}

void FixedValidityCard::showNoExpiry()
{
    m_txtNumDays->setMaxLength(32767); // a text, not a number of days
    setDaysText(GetText(16130));
    m_txtExpirationDate->setText(GetText(16131));
}

void FixedValidityCard::inputsUnlocked()
{
    m_txtNumDays->setReadOnly(true);
    m_txtExpirationDate->setReadOnly(true);
}

void FixedValidityCard::showCard(const CardReadBack &card)
{
    StaffCardDialog::showCard(card);
    showNoExpiry();
}

// System ID

const StaffDialogKind frmSystemIDCard::kKind = {.objectName = "frmSystemIDCard",
                                                .cardNameID = 275,
                                                .windowNumber = 28,
                                                .prompt = 23000,
                                                .errorCode = 4640,
                                                .helpContext = 0,
                                                .placementKey = "dlgSysID",
                                                .roomRange = false,
                                                .timeWindow = false,
                                                .commonRoom = false,
                                                .doors = false};

frmSystemIDCard::frmSystemIDCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers,
                                 Session &session, FrameWindows &frameWindows, QWidget *parent)
    : FixedValidityCard(program, db, cardServers, session, frameWindows, kKind, parent)
{
    buildControls();
    inputsUnlocked();
    finishOpening();
    showNoExpiry();
}

void frmSystemIDCard::addBlocks(CardsIntf &cards)
{
    cards.BeginBlock(kSystemIDBlock);
    cards.AddDoorRange(kRangeKind, 0, lastRoom(m_db));
}

// Emergency

const StaffDialogKind frmEmergencyCard::kKind = {.objectName = "frmEmergencyCard",
                                                 .cardNameID = 268,
                                                 .windowNumber = 24,
                                                 .prompt = 21600,
                                                 .errorCode = 4096,
                                                 .helpContext = 1011,
                                                 .placementKey = "dlgEmergency",
                                                 .receiptKey = "fEmergencyReceipt",
                                                 .roomRange = false,
                                                 .timeWindow = false,
                                                 .commonRoom = false,
                                                 .doors = false};

frmEmergencyCard::frmEmergencyCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers,
                                   Session &session, FrameWindows &frameWindows, QWidget *parent)
    : FixedValidityCard(program, db, cardServers, session, frameWindows, kKind, parent)
{
    buildControls();
    inputsUnlocked();
    finishOpening();
    showNoExpiry();
}

void frmEmergencyCard::prepareIssue(CardIssue &)
{
    m_program.messages->information(-32255, {}, this);
    m_pass = 0;
    m_first = -1;
}

void frmEmergencyCard::addBlocks(CardsIntf &cards)
{
    cards.BeginBlock(kEmergencyBlock);
    cards.AddDoorRange(kRangeKind, 0, kAllDoors);
}

bool frmEmergencyCard::anotherCard()
{
    if (++m_pass > 1)
        return false;
    m_first = m_cardServers.firstCardsIntf->GetRegistrationNumber();
    return true;
}
