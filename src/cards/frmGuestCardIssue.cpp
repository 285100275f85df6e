// The issue and group commands of the guest card dialog.
#include "cards/CardIssue.h"
#include "cards/GuestCardEncode.h"
#include "cards/frmGroupCheckIn.h"
#include "cards/frmGuestCard.h"
#include "components/cardserver/CardServerStatus.h"
#include "components/cardserver/CardsIntf.h"
#include "core/OleDate.h"
#include "session/Services.h"
#include "settings/clsSystemParams.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

constexpr int16_t kYesNo = 17001;
constexpr int16_t kMakeSkipStop = 17005;
constexpr int16_t kRetrySkipStop = 17007;
constexpr int16_t kClose = 16103;
constexpr int16_t kCancel = 16118;
const QString kGroupRoomText = QStringLiteral("--->");

} // namespace

int frmGuestCard::ask(ProgramServices &program, int16_t text, int16_t buttons, const QVariantList &arguments,
                      QWidget *parent)
{
    MessageRequest question;
    question.textNumber = text;
    question.arguments = arguments;
    question.style = MessageStyle::Question;
    question.buttons = buttons == kYesNo ? MessageButtons::YesNo : MessageButtons::AbortRetryIgnore;
    question.buttonNumbers = {buttons};
    return program.messages->show(question, parent);
}

void frmGuestCard::cmdMakeCard_Click()
{
    if (m_joiner && !roomEntryValidated())
        validateRoomEntry();
    if (m_session.cardOperationInProgress) {
        m_program.messages->error(-31197, {}, {}, this);
        return;
    }
    QList<qint32> rooms;
    qint32 kind = 0;
    double startTime = 0;
    double expireTime = 0;
    if (validateIssue(rooms, kind, startTime, expireTime))
        runIssue(rooms, kind, startTime, expireTime);
}

bool frmGuestCard::validateIssue(QList<qint32> &rooms, qint32 &kind, double &startTime, double &expireTime)
{
    const clsSystemParams &params = *m_db.SystemParams;
    qint32 room = 0;
    if (!m_groupMode) {
        const QString entry = m_txtRoomNumber->text().trimmed();
        if (!entry.isEmpty()) {
            room = store().guestRoom(entry, params.WingCodes());
            if (room == 0) {
                fail(-31182, m_txtRoomNumber);
                return false;
            }
            m_room = room;
            if (m_joiner && roomCheck(room, true) != GuestRules::RoomCheck::ValidCard) {
                fail(-31184, m_txtRoomNumber);
                return false;
            }
        } else if (m_joiner) {
            fail(-31207, m_txtRoomNumber);
            return false;
        } else if (ask(m_program, -32510, kYesNo, {}, this) != 0) {
            m_txtRoomNumber->setFocus();
            return false;
        }
    }

    if (!validateStay())
        return false;

    if (!m_joiner && !m_groupMode && room != 0 && roomCheck(room, false) == GuestRules::RoomCheck::ValidCard &&
        ask(m_program, -32505, kYesNo, {}, this) == 1) {
        m_txtRoomNumber->setFocus();
        return false;
    }

    kind = cardNameID();
    if (!validateExpiry(serverNow(), startTime, expireTime))
        return false;

    rooms = m_groupMode ? m_groupRooms : QList<qint32>{room};
    if (!m_groupMode && room == 0 && tickedCommonRooms().isEmpty()) {
        fail(-31188, m_lvwCommonRooms);
        return false;
    }
    return IsDialogAvailable();
}

bool frmGuestCard::validateStay()
{
    if (m_txtNumNights->text().trimmed().isEmpty()) {
        fail(-31200, m_txtNumNights);
        return false;
    }
    if (m_txtNumCards->text().toInt() == 0) {
        fail(-31172, m_txtNumCards);
        return false;
    }
    if (m_txtNumCards->text().toInt() > CardsIntf::MaxCopies) {
        fail(-29889, m_txtNumCards);
        return false;
    }
    return checkIssueTo(m_txtIssueTo);
}

bool frmGuestCard::validateExpiry(double now, double &startTime, double &expireTime)
{
    startTime = 0;
    // An emptied check-out box leaves the nights to set the expiry; the operator's maximum
    // bounds it all the same.
    QLineEdit *expiryBox = m_txtNumNights;
    if (!m_txtCheckOut->text().trimmed().isEmpty()) {
        const std::optional<double> checkOut = GuestRules::ParseCheckOut(m_txtCheckOut->text());
        if (!checkOut) {
            fail(-31199, m_txtCheckOut);
            return false;
        }
        if ((*checkOut - now) * 1440.0 < 0) {
            fail(-31173, m_txtCheckOut);
            return false;
        }
        expiryBox = m_txtCheckOut;
        expireTime = *checkOut;
    } else {
        expireTime = GuestRules::CheckOutAfterNights(now, m_txtNumNights->text().toInt(), currentCheckOutHour());
    }
    if (!m_session.authority.CheckCardValidity(cardNameID(), now, expireTime)) {
        expiryBox->setFocus();
        return false;
    }
    return true;
}

void frmGuestCard::setIssueLock(bool locked)
{
    setInputsLocked(locked);
    m_cmdClose->setText(GetText(locked ? kCancel : kClose));
}

void frmGuestCard::addRoomBlock(CardsIntf &cards, qint32 room, bool joiner, const QList<qint32> &connected)
{
    AddGuestRoomBlock(cards, room, joiner, connected);
}

void frmGuestCard::runIssue(const QList<qint32> &rooms, qint32 kind, double startTime, double expireTime)
{
    // The dialog may be closed while a poll yields; after each encode nothing of it is touched
    // before the run has checked that it is still open.
    ProgramServices &program = m_program;
    DatabaseServices &db = m_db;
    Session &session = m_session;
    const QString track2 =
        m_chkTrack2->isChecked() ? Track2::BuildTrack2(true, *db.SystemParams, m_track2Prompt) : QString();
    CardIssue issue(m_program, m_cardServers, m_session, this, m_setup.errorCode);
    issue.setPollInterval(m_pollInterval);
    issue.addPlainStatus(CardServerStatus::Reserved67900037);
    issue.setValidCardIsError(m_setup.validCardIsError);
    issue.setIssueCommand(m_cmdMakeCard);
    issue.setLockInputs([this](bool locked) { setIssueLock(locked); });
    if (!issue.begin())
        return;
    m_issue = &issue;

    const bool group = m_groupMode;
    const bool joiner = m_joiner;
    const QList<qint32> connected = m_connectedRooms;
    const QList<qint32> common = tickedCommonRooms();
    const qint32 numCards = m_txtNumCards->text().toInt();
    bool stopped = false;
    qint32 lastStatus = -1;

    for (qsizetype i = 0; i < rooms.size() && !stopped; ++i) {
        const qint32 room = rooms.at(i);
        if (group && roomCheck(room, false) == GuestRules::RoomCheck::ValidCard) {
            const int answer = ask(program, -32500, kMakeSkipStop, {QString::number(room)}, this);
            if (answer == 1)
                continue;
            if (answer == 2) {
                stopped = true;
                break;
            }
        }
        double expire = expireTime;
        const QString description = dialogTitle() + QStringLiteral(", ") + roomText(room);
        const qint32 userID = issueToUser(m_txtIssueTo);
        for (;;) {
            const auto blocks = [&](CardsIntf &cards) {
                addRoomBlock(cards, room, joiner, connected);
                AddCommonRoomBlock(cards, common);
            };
            const auto fields = [&]() {
                CardFields f;
                f.cardNameID = kind;
                f.userID = userID;
                f.issueTime = serverNow();
                f.startTime = startTime > 0 ? startTime : f.issueTime;
                f.expireTime = expire;
                f.track2 = track2;
                f.numCards = numCards;
                return f;
            };
            const std::optional<CardIssue::Outcome> encoded =
                EncodeGuestCard(issue, blocks, fields, description, group);
            if (!encoded) {
                stopped = true;
                break;
            }
            const CardIssue::Outcome outcome = *encoded;
            if (outcome == CardIssue::Outcome::Closing) {
                if (issue.dialogOpen())
                    m_issue = nullptr;
                return;
            }
            lastStatus = issue.lastStatus();
            if (!issue.dialogOpen() || outcome == CardIssue::Outcome::Cancelled) {
                stopped = true;
                break;
            }
            if (outcome == CardIssue::Outcome::Done)
                break;
            if (outcome == CardIssue::Outcome::ValidCardInEncoder) {
                if (!issue.reencode())
                    break;
                expire = issue.validCardExpireTime();
                const double now = serverNow();
                m_txtCheckOut->setText(GuestRules::CheckOutText(expire));
                setNights(QString::number(GuestRules::NightsUntil(now, expire)));
                if (!session.authority.CheckCardValidity(kind, now, expire))
                    break;
                continue;
            }
            if (CardIssue::endsRun(lastStatus)) {
                stopped = true;
                break;
            }
            const int answer = ask(program, -32488, kRetrySkipStop, {}, this);
            if (answer == 0)
                continue;
            if (answer == 2)
                stopped = true;
            break;
        }
    }

    issue.waitUntilReady();
    if (!issue.dialogOpen())
        return;
    m_issue = nullptr;
    if (!stopped && !issue.cancelled() && lastStatus == 0) {
        if (m_chkClearFields->isChecked() || m_groupMode) {
            m_txtRoomNumber->clear();
            m_txtRoomNumber->setEnabled(true);
            m_groupMode = false;
            m_groupRooms.clear();
            m_room = 0;
            m_roomValidated = false;
        }
        if (m_chkClearFields->isChecked())
            clearFields();
    }
    issue.finish();
}

void frmGuestCard::clearFields()
{
    m_txtCheckOut->clear();
    UpdateCheckOutTime();
    resetNights();
    m_txtNumCards->setText(QStringLiteral("1"));
    m_txtIssueTo->clear();
    m_surname.clear();
    m_firstname.clear();
    untickAll();
}

void frmGuestCard::cmdGroupCheckIn_Click()
{
    QList<qint32> rooms;
    bool chosen = false;
    if (m_groupChooser) {
        chosen = m_groupChooser(rooms);
    } else {
        frmGroupCheckIn dialog(m_program, m_db, m_session, this);
        dialog.exec();
        if (dialog.Result() && dialog.NumDoors() > 0) {
            chosen = true;
            rooms = dialog.GetSelectedDoors();
        }
    }
    if (chosen && !rooms.isEmpty()) {
        m_groupMode = true;
        m_groupRooms = rooms;
        m_txtRoomNumber->setText(kGroupRoomText);
        m_txtRoomNumber->setEnabled(false);
        m_cmdMakeCard->setFocus();
        return;
    }
    if (!GuestRules::IsNumericEntry(m_txtRoomNumber->text()))
        m_txtRoomNumber->clear();
    m_txtRoomNumber->setEnabled(true);
    m_txtRoomNumber->setFocus();
}
