#include "cards/frmCancelCard.h"

#include "cards/CancelCardStore.h"
#include "cards/CardIssue.h"
#include "cards/CardKinds.h"
#include "components/cardserver/CardServerStatus.h"
#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/TableDefs.h"
#include "session/Services.h"
#include "session/Workstation.h"
#include "settings/clsSystemParams.h"
#include "ui/ChildWindow.h"
#include "ui/FormTexts.h"
#include "ui/FrameHost.h"
#include "ui/WindowNumbers.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace {

constexpr qint32 kCancelBlock = 109;
constexpr qint32 kRangeKind = 100;
constexpr int16_t kButtonsYesNo = 17001;

} // namespace

const StaffDialogKind frmCancelCard::kKind = {.objectName = "frmCancelCard",
                                              .cardNameID = 269,
                                              .windowNumber = 22,
                                              .prompt = 21400,
                                              .errorCode = 4496,
                                              .helpContext = 1101,
                                              .placementKey = "dlgCancel",
                                              .roomRange = false,
                                              .timeWindow = false,
                                              .commonRoom = false,
                                              .doors = false};

frmCancelCard::frmCancelCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                             FrameWindows &frameWindows, QWidget *parent)
    : StaffCardDialog(program, db, cardServers, session, frameWindows, kKind, parent)
{
    buildControls();
    inputsUnlocked();
    finishOpening();
}

void frmCancelCard::addOwnRows()
{
    m_txtRegNumber = makeBox("txtRegNumber");
    m_txtRegNumber->setMaxLength(8);
    // Typed digits show as the card list shows them.
    connect(m_txtRegNumber, &QLineEdit::textEdited, this, [this](const QString &text) {
        const int cursor = m_txtRegNumber->cursorPosition();
        m_txtRegNumber->setText(text.toUpper());
        m_txtRegNumber->setCursorPosition(cursor);
    });
    m_cmdCardList = CommandButton(m_fraCard, "cmdCardList", 28501);
    addRow("lblRegNumber", 28500, m_txtRegNumber, m_cmdCardList);
    connect(m_cmdCardList, &QPushButton::clicked, this, &frmCancelCard::cmdCardList_Click);
}

QList<qint32> frmCancelCard::shownTables() const
{
    return {TableId::Users};
}

void frmCancelCard::inputsUnlocked()
{
    // The validity is the lost card's: shown, never typed.
    m_txtNumDays->setReadOnly(true);
    m_txtExpirationDate->setReadOnly(true);
}

void frmCancelCard::RegistrationNumber(qint32 registrationNumber)
{
    m_txtRegNumber->setText(RegistrationNumberText(quint32(registrationNumber)));
    m_txtRegNumber->setFocus();
}

void frmCancelCard::cmdCardList_Click()
{
    FrameHost *host = m_frameWindows.frameHost;
    if (!host)
        return;
    QPointer<frmCancelCard> self(this);
    ChoiceRequest request;
    request.caller = this;
    request.handBack = [self](qint32 chosen) {
        if (self)
            self->RegistrationNumber(chosen);
    };
    // An open list is brought forward; otherwise the search comes first, and cancelling it opens
    // nothing.
    if (m_session.openDialogs.test(size_t(WindowNumber::of(WindowKinds::CardList.name)))) {
        OpenChild(host, WindowKinds::CardList, [&request](CardListWindow &list) { list.setChoiceRequest(request); });
        return;
    }
    const std::optional<CardSearchFilters> chosen =
        m_frameWindows.windows.searchCards({std::nullopt, CardSearchPreset::None}, this);
    if (!chosen || !self)
        return;
    CardListWindow *list = OpenChild(host, WindowKinds::CardList);
    if (!list)
        return;
    ApplyCardSearch(*list, *chosen);
    list->StartSearch();
    if (self)
        list->setChoiceRequest(request);
}

StaffCardDialog::OwnExpiry frmCancelCard::ownExpiry(double &expiry)
{
    const std::optional<quint32> number = CancelCardRules::ParseCardNumber(m_txtRegNumber->text().trimmed());
    if (!number) {
        fail(-31181, m_txtRegNumber);
        return OwnExpiry::Refused;
    }
    const std::optional<std::pair<quint32, double>> copy = CancelCardStore(table()).latestCopy(*number);
    if (!copy) {
        m_program.messages->information(-31104, {}, this);
        MessageRequest question;
        question.textNumber = -32504;
        question.style = MessageStyle::Question;
        question.buttons = MessageButtons::YesNo;
        question.buttonNumbers = {kButtonsYesNo};
        if (m_program.messages->show(question, this) != 0) {
            m_txtRegNumber->setFocus();
            return OwnExpiry::Refused;
        }
    }
    m_target = CancelCardRules::TargetOf(*number, copy);
    const double now = serverNow();
    m_txtExpirationDate->setText(StaffRules::ExpiryText(m_target.expiry));
    setDaysText(StaffRules::DaysText(now, m_target.expiry));
    if (const int16_t error =
            CancelCardRules::CheckExpiry(now, m_target.expiry, m_session.authority.MaxCardValidity(cardNameID()))) {
        fail(error, m_txtRegNumber);
        return OwnExpiry::Refused;
    }
    expiry = m_target.expiry;
    return OwnExpiry::Given;
}

void frmCancelCard::addBlocks(CardsIntf &cards)
{
    cards.BeginBlock(kCancelBlock);
    cards.AddBlockValue(qint32(m_target.value));
    cards.AddDoorRange(kRangeKind, 0, m_db.SystemParams->FiveDigits() ? 99999 : 9999);
}

void frmCancelCard::prepareIssue(CardIssue &issue)
{
    issue.setStatusMessage(CardServerStatus::Reserved67890030, -31149);
}

void frmCancelCard::afterCard()
{
    // A number without a card row changes no row.
    if (!m_target.found)
        return;
    QString error;
    const int32_t code =
        CancelCardStore(table()).markCancelled(m_target.value, serverNow(), m_session.logon.CurrentOperatorID, error);
    // The cancel card is written either way; the operator learns that its row was not marked.
    if (code != 0)
        m_program.messages->errorWithCode(code, error, this);
}

void frmCancelCard::showOwnBlock(qint32 block, qint32, qint32)
{
    if (block == kCancelBlock)
        m_txtRegNumber->setText(RegistrationNumberText(quint32(m_cardServers.firstCardsIntf->GetNextValue())));
}
