#include "cards/frmPowerDownCard.h"

#include "cards/CardIssue.h"
#include "cards/LockModeStore.h"
#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "session/Services.h"
#include "settings/clsSystemParams.h"
#include "texts/Texts.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr qint32 kPowerDownBlock = 107;
constexpr qint32 kRangeKind = 100;
constexpr int16_t kRetrySkipStop = 17007;
constexpr int kRetry = 0;
constexpr int kSkip = 1;

} // namespace

const StaffDialogKind frmPowerDownCard::kKind = {.objectName = "frmPowerDownCard",
                                                 .cardNameID = 267,
                                                 .windowNumber = 36,
                                                 .prompt = 22100,
                                                 .errorCode = 4144,
                                                 .helpContext = 1010,
                                                 .placementKey = "dlgPowerDown",
                                                 .user = false,
                                                 .timeWindow = false,
                                                 .commonRoom = false,
                                                 .doors = false,
                                                 .expiry = false};

frmPowerDownCard::frmPowerDownCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers,
                                   Session &session, FrameWindows &frameWindows, QWidget *parent)
    : StaffCardDialog(program, db, cardServers, session, frameWindows, kKind, parent)
{
    buildControls();
    // The days here are how long the locks run without power, not a validity.
    findChild<QLabel *>(QStringLiteral("lblNumDays"))->setText(QString::number(28555));
    m_txtNumDays->setMaxLength(2);
    m_fields->setRowStretch(m_fields->rowCount(), 1);
    finishOpening();
}

bool frmPowerDownCard::findRooms(const LockModeRules::RoomRange &range)
{
    if (LockModeStore(table()).guestRoomSpan(range.from, range.to))
        return true;
    fail(-31232, m_txtRoomFrom);
    return false;
}

bool frmPowerDownCard::issueOwnRun()
{
    const LockModeRules::RoomRange range = LockModeRules::PowerDownRange(m_txtRoomFrom->text(), m_txtRoomTo->text());
    if (range.error != 0) {
        fail(range.error, m_txtRoomFrom);
        return true;
    }
    const LockModeRules::Block block = LockModeRules::PowerDownBlock(m_txtNumDays->text());
    if (block.error != 0) {
        fail(block.error, m_txtNumDays);
        return true;
    }
    if (!findRooms(range))
        return true;
    // Group authorisation looks the rooms up once more, as they stand just before the run.
    if (m_db.SystemParams->EnableGroupAuth() && !findRooms(range))
        return true;
    if (IsCardDialogAvailable(m_program, m_session, m_kind.cardNameID, shownTables(), true, this))
        runRooms(range, block.values.front());
    return true;
}

void frmPowerDownCard::runRooms(const LockModeRules::RoomRange &range, qint32 hours)
{
    CardIssue issue(m_program, m_cardServers, m_session, this, m_kind.errorCode);
    issue.setPollInterval(pollInterval());
    issue.setIssueCommand(m_cmdMakeCard);
    issue.setValidCardIsError(true);
    issue.setLockInputs([this](bool locked) { setInputsLocked(locked); });
    if (!issue.begin())
        return;
    m_issue = &issue;
    {
        // Its own table: the query stays open for the whole run, beside the dialog's look-ups.
        RecordTable doors(*m_db.database);
        LockModeStore::RoomWalk walk(doors, range.from, range.to);
        const QString title = GetText(m_kind.prompt) + QStringLiteral(" - ");
        while (walk.atRoom() && issue.newCard()) {
            const qint32 room = walk.room();
            CardsIntf &cards = issue.cards();
            cards.BeginBlock(kPowerDownBlock);
            cards.AddBlockValue(hours);
            cards.AddDoorRange(kRangeKind, room, room);
            cards.SetCardField(QStringLiteral("mainGuestRoom"), room);
            CardFields fields;
            fields.cardNameID = m_kind.cardNameID;
            fields.userID = 0;
            fields.issueTime = fields.startTime = serverNow();
            fields.expireTime = NoExpiry;
            if (!issue.setFields(fields))
                break;
            const CardIssue::Outcome outcome = issue.encode(title + QString::number(room), true);
            if (outcome == CardIssue::Outcome::Closing) {
                if (issue.dialogOpen())
                    m_issue = nullptr;
                return;
            }
            if (!issue.dialogOpen() || outcome == CardIssue::Outcome::Cancelled)
                break;
            if (outcome == CardIssue::Outcome::Done) {
                walk.next();
                continue;
            }
            // The next room would meet these failures just the same.
            if (CardIssue::endsRun(issue.lastStatus()))
                break;
            MessageRequest question;
            question.textNumber = -32488;
            question.style = MessageStyle::Question;
            question.buttons = MessageButtons::AbortRetryIgnore;
            question.buttonNumbers = {kRetrySkipStop};
            const int answer = m_program.messages->show(question, this);
            if (answer == kSkip)
                walk.next();
            else if (answer != kRetry)
                break;
        }
    }
    issue.waitUntilReady();
    if (!issue.dialogOpen())
        return;
    m_issue = nullptr;
    issue.finish();
}

void frmPowerDownCard::showOwnBlock(qint32 block, qint32 first, qint32 last)
{
    if (block != kPowerDownBlock)
        return;
    m_txtRoomFrom->setText(QString::number(first));
    m_txtRoomTo->setText(QString::number(last));
    setDaysText(QString::number(m_cardServers.firstCardsIntf->GetNextValue() / 24));
}
