#include "cards/CardIssue.h"

#include "cards/CardKinds.h"
#include "components/cardserver/CardServerStatus.h"
#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "platform/BusySignal.h"
#include "session/Services.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int16_t kBusyWaitingForEncoder = 12; // status text -31988
constexpr int16_t kButtonsYesNo = 17001;

QString shortText(const QString &text)
{
    return text.section(QLatin1Char('|'), 0, 0);
}

QString longText(const QString &text)
{
    return text.contains(QLatin1Char('|')) ? text.section(QLatin1Char('|'), 1) : text;
}

// A plain qint16 would become an int QVariant, and the card a 32-bit field.
QVariant int16Field(int value)
{
    return QVariant::fromValue(static_cast<qint16>(value));
}

void yieldFor(int ms)
{
    QEventLoop wait;
    QTimer::singleShot(ms, &wait, &QEventLoop::quit);
    wait.exec();
}

} // namespace

CardIssue::CardIssue(ProgramServices &program, CardServers &cardServers, Session &session, QObject *dialog,
                     QWidget *dialogWidget, int32_t errorCode)
    : m_program(program), m_cardServers(cardServers), m_session(session), m_dialog(dialog),
      m_dialogWidget(dialogWidget), m_errorCode(errorCode)
{
}

CardIssue::CardIssue(ProgramServices &program, CardServers &cardServers, Session &session)
    : CardIssue(program, cardServers, session, nullptr, nullptr, 0)
{
}

CardIssue::~CardIssue()
{
    // A handler that returns early still leaves the workstation able to make the next card.
    if (m_running)
        finish();
}

CardsIntf &CardIssue::cards()
{
    return *m_cardServers.firstCardsIntf;
}

bool CardIssue::isPlainStatus(int32_t status)
{
    using namespace CardServerStatus;
    static constexpr int32_t plain[] = {RecordStatus::NotConnected,
                                        NoEncoder,
                                        NoCard,
                                        Reserved67890011,
                                        WriteFailed,
                                        NotOperatorCard,
                                        DeviceNotReady,
                                        RangeExhausted,
                                        NotStored,
                                        DeviceBusy,
                                        NoReadout,
                                        Reserved6790003A,
                                        Reserved6790005F};
    for (int32_t s : plain) {
        if (s == status)
            return true;
    }
    return false;
}

bool CardIssue::endsRun(int32_t status)
{
    using namespace CardServerStatus;
    // A written card whose record could not be completed is in the operator's hand: he deals with
    // it (the long text says how) before another card is made.
    return status == RangeExhausted || status == NotStored || status == NoRange || status == ImageIncomplete ||
           status == CardErased || status == NotConfirmed;
}

bool CardIssue::begin()
{
    if (m_session.cardOperationInProgress) {
        error(-31197);
        return false;
    }
    m_session.cardOperationInProgress = true;
    m_running = true;
    m_cancelled = false;
    if (m_lock)
        m_lock(true);
    return true;
}

bool CardIssue::selectEncoder()
{
    const int32_t number = m_device != 0 ? m_device : m_program.LocalParams.MagCardEncoderID();
    if (number == 0)
        return false;
    cards().SelectDevice(number);
    return cards().GetStatus() != CardServerStatus::NoEncoder;
}

bool CardIssue::newCard()
{
    cards().NewCard();
    if (selectEncoder())
        return true;
    if (windowless()) {
        m_failureText = shortText(cards().GetStatusText(cards().GetStatus()));
        return false;
    }
    if (m_encoderSetup)
        m_encoderSetup();
    else
        m_cardServers.ChooseEncoder(parent());
    return selectEncoder();
}

bool CardIssue::setFields(const CardFields &fields)
{
    CardsIntf &c = cards();
    const int32_t kind = fields.cardNameID;
    // A staff card left without an expiry is not bounded by the maximum; its dialog decides that.
    const double from = std::max(fields.issueTime, fields.startTime);
    if (fields.expireTime != NoExpiry && windowless() &&
        !m_session.authority.WithinCardValidity(kind, from, fields.expireTime)) {
        m_failureText = GetText(-31225);
        return false;
    }
    if (fields.expireTime != NoExpiry && !m_session.authority.CheckCardValidity(kind, from, fields.expireTime))
        return false;
    const bool guestDialog = kind == CardKinds::Guest || kind == CardKinds::Joiner;
    const CardKind *known = CardKinds::find(kind);
    c.SetImageOptionA(0);
    if (guestDialog)
        c.SetCardField(QStringLiteral("cardNameID"), kind);
    c.SetImageOptionB(0);
    if (!guestDialog)
        c.SetCardField(QStringLiteral("cardNameID"), kind);
    c.SetCardField(QStringLiteral("userID"), fields.userID);
    c.SetCardField(QStringLiteral("issueTime"), fields.issueTime);
    c.SetCardField(QStringLiteral("startTime"), fields.startTime);
    c.SetCardField(QStringLiteral("expireTime"), fields.expireTime);
    c.SetCardField(QStringLiteral("batteryWarningFlag"), int16Field(CardKinds::hasBatteryWarning(kind) ? 1 : 0));
    c.SetCardField(QStringLiteral("track2"), fields.track2);
    // Room cards set their main room with the room block; the cancel card names its copy count
    // first.
    const bool countFirst = kind == 269;
    if (countFirst)
        c.SetCardField(QStringLiteral("numCards"), int16Field(1));
    if (!known || !known->roomCard)
        c.SetCardField(QStringLiteral("mainGuestRoom"), int16Field(0));
    if (CardKinds::hasLongNumCards(kind))
        c.SetCardField(QStringLiteral("numCards"), fields.numCards);
    else if (!countFirst)
        c.SetCardField(QStringLiteral("numCards"), int16Field(1));
    if (CardKinds::hasTextFamilyFlag(kind))
        c.SetCardField(QStringLiteral("familyFlag"), QStringLiteral("1"));
    else if (kind == 258)
        c.SetCardField(QStringLiteral("familyFlag"), int16Field(1));
    return true;
}

int32_t CardIssue::poll()
{
    int32_t status = cards().GetStatus();
    while (CardServerStatus::isBusy(status) && !m_cancelled && !m_session.applicationClosing) {
        yieldFor(m_pollInterval);
        // The frame may release the card servers while we yield to it.
        if (m_session.applicationClosing || !m_cardServers.firstCardsIntf)
            break;
        // A dialog closed meanwhile ends the run like a cancel.
        if (!windowless() && m_dialog.isNull())
            m_cancelled = true;
        status = cards().GetStatus();
    }
    return status;
}

CardIssue::Outcome CardIssue::encode(const QString &description, bool batch)
{
    m_reencode = false;
    if (batch)
        cards().SetBatchMode(1);
    cards().EncodeCard(description);
    const int32_t status = poll();
    m_lastStatus = status;

    if (m_session.applicationClosing || !m_cardServers.firstCardsIntf) {
        m_session.cardOperationInProgress = false;
        m_running = false;
        if (m_dialog && m_closeDialog)
            m_closeDialog();
        return Outcome::Closing;
    }
    if (CardServerStatus::isBusy(status) || status == CardServerStatus::Cancelled) {
        m_cancelled = true;
        cards().SetActive(0);
        if (windowless())
            m_failureText = GetText(-31196);
        else
            m_program.messages->information(-31196, {}, parent());
        return Outcome::Cancelled;
    }
    if (status == CardServerStatus::Ok)
        return Outcome::Done;
    if (status == CardServerStatus::ValidCardInEncoder && !m_validCardIsError) {
        m_validExpire = cards().GetCardExpireTime();
        if (windowless()) {
            m_reencode = m_validCardAnswer;
            return Outcome::ValidCardInEncoder;
        }
        MessageRequest question;
        question.textNumber = -32507;
        question.arguments = {CardDateTimeText(m_validExpire)};
        question.style = MessageStyle::Question;
        question.buttons = MessageButtons::YesNo;
        question.buttonNumbers = {kButtonsYesNo};
        m_reencode = m_program.messages->show(question, parent()) == 0;
        return Outcome::ValidCardInEncoder;
    }
    cards().SetActive(0);
    for (const auto &[known, message] : m_statusMessages) {
        if (known == status) {
            error(message);
            return Outcome::Failed;
        }
    }
    showError(status);
    return Outcome::Failed;
}

void CardIssue::showError(int32_t status)
{
    const QString text = cards().GetStatusText(status);
    if (windowless()) {
        m_failureText = shortText(text);
        return;
    }
    bool plain = isPlainStatus(status);
    for (int32_t extra : m_extraPlain)
        plain = plain || extra == status;
    if (!plain) {
        m_program.messages->errorWithCode(m_errorCode, longText(text), parent());
        return;
    }
    MessageRequest request;
    request.appendix = shortText(text);
    request.replacesText = true;
    request.style = MessageStyle::Error;
    m_program.messages->show(request, parent());
}

void CardIssue::error(int16_t text)
{
    if (windowless())
        m_failureText = GetText(text);
    else
        m_program.messages->error(text, {}, {}, parent());
}

void CardIssue::waitUntilReady()
{
    SetBusyState(m_session.frame.busy, kBusyWaitingForEncoder);
    while (m_cardServers.firstCardsIntf && !m_session.applicationClosing && !cards().IsReady())
        yieldFor(m_pollInterval);
    SetBusyState(m_session.frame.busy, 0);
    if (!m_cardServers.firstCardsIntf)
        return;
    cards().SetActive(0);
    cards().SetBatchMode(0);
}

void CardIssue::finish()
{
    if (m_cardServers.firstCardsIntf)
        cards().SetBatchMode(0);
    if (m_dialog) {
        if (m_lock)
            m_lock(false);
        if (m_issueCommand && m_focusIssueCommand)
            m_focusIssueCommand();
    }
    m_session.cardOperationInProgress = false;
    m_running = false;
}
