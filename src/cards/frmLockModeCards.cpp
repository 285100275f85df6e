#include "cards/frmLockModeCards.h"

#include "cards/LockModeStore.h"
#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/TableDefs.h"
#include "session/Services.h"
#include "texts/Texts.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

constexpr qint32 kRangeKind = 100;
constexpr qint32 kStandOpenNextUse = 103;
constexpr qint32 kUntilMidnight = 192;

// What the four dialogs share in their kind: a user, a range, days and expiry, nothing else.
constexpr StaffDialogKind lockModeKind(const char *objectName, qint32 cardNameID, int windowNumber, int16_t prompt,
                                       int32_t errorCode, int helpContext, const char *placementKey)
{
    return {.objectName = objectName,
            .cardNameID = cardNameID,
            .windowNumber = windowNumber,
            .prompt = prompt,
            .errorCode = errorCode,
            .helpContext = helpContext,
            .placementKey = placementKey,
            .timeWindow = false,
            .commonRoom = false,
            .doors = false};
}

} // namespace

LockModeCardDialog::LockModeCardDialog(ProgramServices &program, DatabaseServices &db, CardServers &cardServers,
                                       Session &session, FrameWindows &frameWindows, const StaffDialogKind &kind,
                                       QWidget *parent)
    : StaffCardDialog(program, db, cardServers, session, frameWindows, kind, parent)
{
}

void LockModeCardDialog::keepRowsTogether()
{
    // Few rows: the space left over goes below them, not between them.
    m_fields->setRowStretch(m_fields->rowCount(), 1);
}

QList<qint32> LockModeCardDialog::shownTables() const
{
    return {TableId::Users};
}

bool LockModeCardDialog::checkDoors()
{
    const qint32 from = m_txtRoomFrom->text().toInt();
    const qint32 to = m_txtRoomTo->text().toInt();
    if (LockModeRules::SkipsDoorCheck(from, to) || store().rangeOpensDoors(from, to, false))
        return true;
    fail(-31179, m_txtRoomFrom);
    return false;
}

void LockModeCardDialog::addBlocks(CardsIntf &cards)
{
    const LockModeRules::Block block = modeBlock();
    cards.BeginBlock(block.type);
    for (qint32 value : block.values)
        cards.AddBlockValue(value);
    cards.AddDoorRange(kRangeKind, m_txtRoomFrom->text().toInt(), m_txtRoomTo->text().toInt());
}

void LockModeCardDialog::showOwnBlock(qint32 block, qint32 first, qint32 last)
{
    // The card's one block holds its one range.
    m_txtRoomFrom->setText(QString::number(first));
    m_txtRoomTo->setText(QString::number(last));
    showMode(block, *m_cardServers.firstCardsIntf);
}

// Clearance

const StaffDialogKind frmClearanceCard::kKind =
    lockModeKind("frmClearanceCard", 262, 23, 21500, 4128, 1102, "dlgClearance");

frmClearanceCard::frmClearanceCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers,
                                   Session &session, FrameWindows &frameWindows, QWidget *parent)
    : LockModeCardDialog(program, db, cardServers, session, frameWindows, kKind, parent)
{
    buildControls();
    keepRowsTogether();
    finishOpening();
}

bool frmClearanceCard::checkDoors()
{
    if (LockModeStore(table()).guestRoomSpan(m_txtRoomFrom->text().toInt(), m_txtRoomTo->text().toInt()))
        return true;
    fail(-31232, m_txtRoomFrom);
    return false;
}

// Stand-open

const StaffDialogKind frmStandOpenCard::kKind =
    lockModeKind("frmStandOpenCard", 263, 27, 22800, 4112, 1103, "dlgStandOpen");

frmStandOpenCard::frmStandOpenCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers,
                                   Session &session, FrameWindows &frameWindows, QWidget *parent)
    : LockModeCardDialog(program, db, cardServers, session, frameWindows, kKind, parent)
{
    buildControls();
    keepRowsTogether();
    finishOpening();
}

void frmStandOpenCard::addOwnRows()
{
    m_fraStandOpenType = new QGroupBox(QString::number(28550), m_fraCard);
    m_fraStandOpenType->setObjectName(QStringLiteral("fraStandOpenType"));
    auto option = [this](const char *name, int16_t caption) {
        auto *button = new QRadioButton(QString::number(caption), m_fraStandOpenType);
        button->setObjectName(QLatin1String(name));
        addInput(button);
        return button;
    };
    m_optNextUse = option("optNextUse", 28551);
    m_optUntilMidnight = option("optUntilMidnight", 28552);
    m_optForHours = option("optForHours", 28553);
    m_txtForHours = makeBox("txtForHours");
    m_txtForHours->setMaxLength(2);
    m_txtForHours->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_txtForHours));
    m_txtForHours->setEnabled(false);
    addInput(m_txtForHours);
    auto *hours = new QHBoxLayout;
    hours->addWidget(m_optForHours);
    hours->addWidget(m_txtForHours, 1);
    auto *layout = new QVBoxLayout(m_fraStandOpenType);
    layout->addWidget(m_optNextUse);
    layout->addWidget(m_optUntilMidnight);
    layout->addLayout(hours);
    m_fields->addWidget(m_fraStandOpenType, m_fields->rowCount(), 0, 1, 4);
    m_optNextUse->setChecked(true);
    connect(m_optForHours, &QRadioButton::toggled, m_txtForHours, &QLineEdit::setEnabled);
    // Choosing the hours asks for them at once.
    connect(m_optForHours, &QRadioButton::clicked, m_txtForHours, [this] { m_txtForHours->setFocus(); });
}

LockModeRules::StandOpen frmStandOpenCard::chosenMode() const
{
    if (m_optForHours->isChecked())
        return LockModeRules::StandOpen::ForHours;
    return m_optUntilMidnight->isChecked() ? LockModeRules::StandOpen::UntilMidnight
                                           : LockModeRules::StandOpen::NextUse;
}

LockModeRules::Block frmStandOpenCard::modeBlock()
{
    return LockModeRules::StandOpenBlock(chosenMode(), m_txtForHours->text());
}

bool frmStandOpenCard::checkOwnInputs()
{
    if (modeBlock().error == 0)
        return true;
    fail(modeBlock().error, m_txtForHours);
    return false;
}

void frmStandOpenCard::showMode(qint32 block, CardsIntf &cards)
{
    if (block == kStandOpenNextUse) {
        m_optNextUse->setChecked(true);
        m_txtForHours->clear();
        return;
    }
    const qint32 value = cards.GetNextValue();
    (value == kUntilMidnight ? m_optUntilMidnight : m_optForHours)->setChecked(true);
    m_txtForHours->setText(value == kUntilMidnight ? QString() : QString::number(value));
}

// Blocking

const StaffDialogKind frmBlockingCard::kKind =
    lockModeKind("frmBlockingCard", 265, 20, 21300, 4544, 1105, "dlgBlocking");

frmBlockingCard::frmBlockingCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers,
                                 Session &session, FrameWindows &frameWindows, QWidget *parent)
    : LockModeCardDialog(program, db, cardServers, session, frameWindows, kKind, parent)
{
    buildControls();
    keepRowsTogether();
    finishOpening();
}

void frmBlockingCard::addOwnRows()
{
    m_cboBlock = new QComboBox(m_fraCard);
    m_cboBlock->setObjectName(QStringLiteral("cboBlock"));
    addRow("lblBlock", 28554, m_cboBlock);
    for (const LockModeRules::BlockingKind &kind : LockModeRules::BlockingKinds())
        m_cboBlock->addItem(GetText(kind.text), kind.value);
    m_cboBlock->setCurrentIndex(0);
}

LockModeRules::Block frmBlockingCard::modeBlock()
{
    return {0, 105, {m_cboBlock->currentData().toInt()}};
}

void frmBlockingCard::showMode(qint32, CardsIntf &cards)
{
    m_cboBlock->setCurrentIndex(m_cboBlock->findData(cards.GetNextValue()));
}

// Locking

const StaffDialogKind frmLockingCard::kKind = lockModeKind("frmLockingCard", 272, 29, 21700, 4432, 1106, "dlgLocking");

frmLockingCard::frmLockingCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers,
                               Session &session, FrameWindows &frameWindows, QWidget *parent)
    : LockModeCardDialog(program, db, cardServers, session, frameWindows, kKind, parent)
{
    buildControls();
    keepRowsTogether();
    finishOpening();
}
