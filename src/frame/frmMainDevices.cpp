#include "cards/CardNames.h"
#include "components/cardserver/CardServerStatus.h"
#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "frame/frmMain.h"
#include "session/Workstation.h"
#include "settings/clsSystemParams.h"
#include "texts/Texts.h"

#include <QAction>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

using namespace FrameCommands;

namespace {

constexpr int32_t kHandheldErrorCode = 4320;
constexpr int32_t kVerifyErrorCode = 4672;

bool isCardRead(int32_t status)
{
    using namespace CardServerStatus;
    return status == BusyNextCard || status == BusyEjecting || (status >= CardRead && status <= CardReadReserved);
}

// The card server's text for a status is "short|long".
QString shortText(const QString &text)
{
    return text.section(QLatin1Char('|'), 0, 0);
}

QString longText(const QString &text)
{
    return text.contains(QLatin1Char('|')) ? text.section(QLatin1Char('|'), 1) : text;
}

// Keeps the card-operation flag and the menu item for the length of one operation.
class CardOperation
{
public:
    CardOperation(Session &session, QAction *item) : m_session(session), m_item(item)
    {
        m_session.cardOperationInProgress = true;
        if (m_item)
            m_item->setEnabled(false);
    }
    ~CardOperation()
    {
        m_session.cardOperationInProgress = false;
        if (m_item)
            m_item->setEnabled(true);
    }
    CardOperation(const CardOperation &) = delete;
    CardOperation &operator=(const CardOperation &) = delete;

private:
    Session &m_session;
    QPointer<QAction> m_item;
};

} // namespace

int32_t frmMain::pollCardServer(const std::function<bool(int32_t status)> &busy)
{
    CardsIntf &cards = *m_cardServers.firstCardsIntf;
    int32_t status = cards.GetStatus();
    ++m_polls;
    while (busy(status) && !m_session.applicationClosing) {
        // Yield to the window system between two polls.
        QEventLoop wait;
        QTimer::singleShot(m_pollInterval, &wait, &QEventLoop::quit);
        wait.exec();
        status = cards.GetStatus();
    }
    --m_polls;
    cards.SetActive(0);
    return status;
}

void frmMain::showCardServerError(int32_t status, int32_t errorCode, std::initializer_list<int32_t> withoutCode)
{
    const QString text = m_cardServers.firstCardsIntf->GetStatusText(status);
    for (int32_t plain : withoutCode) {
        if (status == plain) {
            MessageRequest request;
            request.appendix = shortText(text);
            request.replacesText = true;
            request.style = MessageStyle::Error;
            m_program.messages->show(request, this);
            return;
        }
    }
    m_program.messages->errorWithCode(errorCode, longText(text), this);
}

void frmMain::setupHandheld()
{
    if (m_session.cardOperationInProgress || !m_cardServers.firstCardsIntf)
        return;
    if (m_program.LocalParams.HCUID() == 0) {
        OpenDeviceSetup();
        if (m_program.LocalParams.HCUID() == 0)
            return;
    }
    if (!m_session.authority.IsFunctionAllowed(9, 2))
        return;
    MessageRequest question;
    question.textNumber = -32246;
    question.style = MessageStyle::Question;
    question.titleNumber = -32766;
    question.buttonNumbers = {17009};
    if (m_program.messages->show(question, this) != 0)
        return;

    int32_t status = 0;
    {
        CardOperation operation(m_session, action(QStringLiteral("mnuFileSetupHCU")));
        CardsIntf &cards = *m_cardServers.firstCardsIntf;
        cards.NewCard();
        cards.SetActive(1);
        cards.SelectDevice(m_program.LocalParams.HCUID());
        cards.SetupDevice(16124);
        status = pollCardServer([](int32_t s) { return s == CardServerStatus::Busy; });
        if (m_session.applicationClosing) {
            m_session.cardOperationInProgress = false;
            unloadAfterPoll();
            return;
        }
        if (status == 0)
            m_program.messages->information(-32247, {}, this);
        else if (status == CardServerStatus::Cancelled)
            m_program.messages->information(-31196, {}, this);
        else
            showCardServerError(status, kHandheldErrorCode,
                                {RecordStatus::NotConnected, CardServerStatus::NoEncoder, CardServerStatus::NotHandheld,
                                 CardServerStatus::SetupFailed});
    }
    SetupMenus();
}

void frmMain::verifyCard()
{
    if (!m_cardServers.firstCardsIntf)
        return;
    const bool allowedForAll = m_db.SystemParams && m_db.SystemParams->AllowVerifyMagCard();
    if (!allowedForAll && !m_session.authority.IsFunctionAllowed(10, 2))
        return;
    if (m_session.cardOperationInProgress)
        return;

    int32_t status = 0;
    {
        CardOperation operation(m_session, nullptr);
        CardsIntf &cards = *m_cardServers.firstCardsIntf;
        cards.SelectDevice(m_program.LocalParams.MagCardEncoderID());
        cards.SetActive(1);
        cards.ReadCard(GetText(16123));
        status = pollCardServer([](int32_t s) {
            return s == CardServerStatus::Ok || s == CardServerStatus::Busy || s == CardServerStatus::BusyReading;
        });
        if (m_session.applicationClosing) {
            m_session.cardOperationInProgress = false;
            unloadAfterPoll();
            return;
        }
    }
    if (isCardRead(status))
        showCardRead();
    else if (status == CardServerStatus::Cancelled)
        m_program.messages->information(-31196, {}, this);
    else
        showCardServerError(status, kVerifyErrorCode,
                            {RecordStatus::NotConnected, CardServerStatus::NoEncoder, CardServerStatus::NotHandheld,
                             CardServerStatus::DeviceBusy, CardServerStatus::NoReadout});
}

void frmMain::showCardRead()
{
    const QVariant field = m_cardServers.firstCardsIntf->GetCardField(QStringLiteral("cardNameID"));
    const bool hasKind = field.isValid() && !field.toString().isEmpty();
    const int32_t kind = hasKind ? field.toInt() : 0;
    const Command *command = hasKind ? commandForCardKind(kind) : nullptr;
    if (command && m_frameWindows.windows.has(QLatin1String(command->kind))) {
        const QString windowKind = QLatin1String(command->kind);
        FrameChild *window = dynamic_cast<FrameChild *>(childWindow(windowKind));
        const bool created = window == nullptr;
        if (created)
            window = m_frameWindows.windows.create(windowKind, nullptr);
        if (auto *card = dynamic_cast<CardWindow *>(window)) {
            if (command->argumentKind == Argument::Joiner)
                card->setJoiner(command->argument != 0);
            else if (command->argumentKind == Argument::Function)
                card->SetFunction(command->argument);
            card->ReadCardImageBag();
            showChild(windowKind, window, created);
            return;
        }
        if (created)
            delete window;
    }
    // No dialog shows this kind: name it from the card names, or by its number.
    const QString name = hasKind && m_db.database ? CardKindName(*m_db.database, kind)
                                                  : QStringLiteral("(") + field.toString() + QStringLiteral(")");
    MessageRequest request;
    request.textNumber = -32256;
    request.arguments = {name};
    request.style = MessageStyle::Information;
    request.titleNumber = -32766;
    request.buttonNumbers = {17000};
    m_program.messages->show(request, this);
}
