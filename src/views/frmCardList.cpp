#include "views/frmCardList.h"

#include "cards/CardKinds.h"
#include "cards/CardNames.h"
#include "components/cardserver/CardRecordState.h"
#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "session/Workstation.h"
#include "settings/clsSystemParams.h"
#include "texts/Texts.h"
#include "ui/BusyIndicator.h"
#include "ui/ChildWindow.h"
#include "ui/FormTexts.h"
#include "ui/FrameHost.h"
#include "ui/WindowPlacement.h"
#include "ui/grid/ListPrintMenu.h"
#include "ui/grid/RecordGrid.h"
#include "ui/grid/RecordGridModel.h"
#include "views/CardKindWindows.h"
#include "views/ListPrintPopup.h"
#include "views/frmCardSearchFilters.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kWindowNumber = 7;
constexpr int kOpenCardFunction = 10;
constexpr int kHelpContext = 1201;
constexpr int16_t kCaption = 20800;
constexpr int16_t kListText = 20803;
constexpr int16_t kKindWithoutWindow = -32254;
constexpr int16_t kStateSearching = 3;   // -31999
constexpr int16_t kStateReadingCard = 9; // -31991
constexpr int kDefaultWidth = 13500;     // twips: 900 x 480 pixels at 96 dpi
constexpr int kDefaultHeight = 7200;
const QString kWindowKey = QStringLiteral("dlgCardList");
const QString kColumnKey = QStringLiteral("tlvCardsCol");
const QString kMenuRoot = QStringLiteral("C0");

} // namespace

frmCardList::frmCardList(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                         FrameWindows &frameWindows, QWidget *parent)
    : QWidget(parent), m_program(program), m_db(db), m_cardServers(cardServers), m_session(session),
      m_frameWindows(frameWindows), m_tlvCards(new RecordGrid(*db.database, this)),
      m_cmdSearch(CommandButton(this, "cmdSearch", 20830)), m_cmdSelect(CommandButton(this, "cmdSelect", 20805)),
      m_cmdPrint(CommandButton(this, "cmdPrint", 20831)), m_cmdClose(CommandButton(this, "cmdClose", 20832)),
      m_printMenu(std::make_unique<ListPrintMenu>(*m_tlvCards, *program.messages, GetText(kCaption))), m_popup(this)
{
    setObjectName(QStringLiteral("frmCardList"));
    setWindowTitle(GetText(kCaption));
    if (m_db.SystemParams && m_db.SystemParams->FiveDigits())
        m_filters.roomTo = 99999;
    buildControls();
    setUpGrid();

    connect(m_tlvCards, &QAbstractItemView::activated, this, [this] {
        if (m_cmdSelect->isEnabled())
            cmdSelect_Click();
    });
    WirePrintPopup(m_tlvCards, m_cmdPrint, m_popup, *m_printMenu, kMenuRoot);
    connect(m_cmdSearch, &QPushButton::clicked, this, &frmCardList::cmdSearch_Click);
    connect(m_cmdSelect, &QPushButton::clicked, this, &frmCardList::cmdSelect_Click);
    connect(m_cmdClose, &QPushButton::clicked, this, &frmCardList::unload);

    m_session.notify.SubscribeUsers(this, Notify::handleOf(this));
    m_session.notify.SubscribeDoors(this, Notify::handleOf(this));
    m_cmdPrint->setEnabled(false);
    updateSelect();
}

frmCardList::~frmCardList()
{
    m_session.notify.UnsubscribeUsers(Notify::handleOf(this));
    m_session.notify.UnsubscribeDoors(Notify::handleOf(this));
    if (m_shown &&
        SaveWindowPlacement(m_program.registry, this, kWindowKey, LiteralErrorBox(*m_program.messages, nullptr)))
        SaveGridLayout(m_program.registry, m_tlvCards, kColumnKey, LiteralErrorBox(*m_program.messages, nullptr));
    m_session.openDialogs.reset(kWindowNumber);
}

void frmCardList::buildControls()
{
    m_tlvCards->setObjectName(QStringLiteral("tlvCards"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdSearch);
    buttons->addWidget(m_cmdPrint);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdSelect);
    buttons->addWidget(m_cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tlvCards, 1);
    layout->addLayout(buttons);
    setTabOrder(m_tlvCards, m_cmdSearch);
    setTabOrder(m_cmdSearch, m_cmdPrint);
    setTabOrder(m_cmdPrint, m_cmdSelect);
    setTabOrder(m_cmdSelect, m_cmdClose);
    RestoreWindowPlacement(m_program.registry, this, kWindowKey, kDefaultWidth, kDefaultHeight);
}

void frmCardList::setUpGrid()
{
    const bool family = m_db.SystemParams && m_db.SystemParams->Family();
    QStringList fields = {Field::registrationNumber,
                          Field::status,
                          Field::alphaID,
                          Field::surname,
                          Field::firstname,
                          Field::cardName,
                          Field::issueTime,
                          Field::startTime,
                          Field::expireTime,
                          Field::cancelTime,
                          Field::mainGuestRoom,
                          Field::issueOperatorAlphaID,
                          Field::cancelOperatorAlphaID};
    QStringList captions;
    for (int16_t n = 20810; n <= 20822; ++n)
        captions << GetText(n).replace(QLatin1Char(','), QLatin1Char(' '));
    if (family) {
        fields << Field::numberOfIdenticallyIssuedCards;
        captions << GetText(20823).replace(QLatin1Char(','), QLatin1Char(' '));
    }
    m_tlvCards->GridComputerName(m_program.ComputerName);
    m_tlvCards->GridOption(false);
    m_tlvCards->BindTable(TableId::CardView);
    m_tlvCards->SetCaptions(captions.join(QLatin1Char(',')));
    m_tlvCards->SetColumns(fields.join(QLatin1Char(',')));
    m_tlvCards->SetCardNumberColumn(Field::registrationNumber);
    for (QLatin1String date : {Field::issueTime, Field::startTime, Field::expireTime, Field::cancelTime})
        m_tlvCards->SetDateColumn(date);
    for (QLatin1String text :
         {Field::alphaID, Field::surname, Field::firstname, Field::cardName, Field::issueOperatorAlphaID})
        m_tlvCards->SetEmptyText(GetText(16128), text);
    m_tlvCards->SetEmptyText(GetText(16125), Field::cancelOperatorAlphaID);
    for (int status : {0, 1, 2, 3, 4, 5, CardRecordState::NotYetIssued, CardRecordState::NeverIssued})
        m_tlvCards->SetValueText(Field::status, status, GetText(CardStatusTextNumber(status, NoExpiry, 0)));
    m_tlvCards->SetValueText(Field::mainGuestRoom, 0, GetText(20804));
    m_tlvCards->SetValueText(Field::expireTime, NoExpiry, GetText(16131));
    m_tlvCards->SetListText(GetText(kListText));
    // Widths that show a date with its time until the operator sets his own.
    const int widths[] = {100, 100, 90, 120, 110, 120, 125, 125, 125, 125, 70, 90, 90, 60};
    for (int column = 0; column < int(fields.size()); ++column)
        m_tlvCards->setColumnWidth(column, widths[column]);
    RestoreGridLayout(m_program.registry, m_tlvCards, kColumnKey);
}

void frmCardList::setChoiceRequest(const ChoiceRequest &request)
{
    if (m_caller)
        disconnect(m_caller, &QObject::destroyed, this, nullptr);
    m_caller = request.caller;
    m_handBack = request.caller ? request.handBack : nullptr;
    m_autoClose = request.autoClose;
    QString title = GetText(kCaption);
    if (request.caller) {
        connect(request.caller, &QObject::destroyed, this, [this] { setChoiceRequest({}); });
        title += QStringLiteral(" (") + request.caller->windowTitle() + QLatin1Char(')');
    }
    setWindowTitle(title);
    m_cmdSelect->setText(GetText(request.caller ? 20806 : 20805));
    updateSelect();
}

int frmCardList::HelpContextID() const
{
    return kHelpContext;
}

void frmCardList::updateSelect()
{
    if (m_caller)
        m_cmdSelect->setEnabled(m_rows > 0);
    else
        m_cmdSelect->setEnabled(m_session.authority.HasFunction(kOpenCardFunction));
}

void frmCardList::Activate()
{
    m_session.openDialogs.set(kWindowNumber);
    EvaluateAuthority();
}

void frmCardList::EvaluateAuthority()
{
    if (!m_session.authority.HasRight(TableId::Cards, Authority::Read)) {
        unload();
        return;
    }
    updateSelect();
}

bool frmCardList::IsDialogAvailable()
{
    return m_session.authority.IsTableDialogAvailable(TableId::Cards, this);
}

void frmCardList::ClearCardNameFilters()
{
    m_filters.kinds.reset();
    m_filters.kindFilterActive = false;
}

void frmCardList::SetCardNameFilters()
{
    for (int i = 0; i < CardSearchFilters::kKindCount; ++i) {
        const qint32 kind = CardSearchFilters::kFirstKind + i;
        m_filters.setKind(kind, m_session.authority.MayIssueCardKind(kind) ||
                                    m_session.authority.MayIssueCardKind(kind, Authority::ReferenceSet));
    }
    m_filters.kindFilterActive = true;
}

void frmCardList::SetCardNameFilter(qint32 kind)
{
    if (kind < CardSearchFilters::kFirstKind || kind >= CardSearchFilters::kFirstKind + CardSearchFilters::kKindCount)
        return;
    if (!m_session.authority.MayIssueCardKind(kind) &&
        !m_session.authority.MayIssueCardKind(kind, Authority::ReferenceSet))
        return;
    m_filters.setKind(kind, true);
    m_filters.kindFilterActive = true;
}

void frmCardList::SetSearchFilters(const CardSearchFilters &filters)
{
    const auto kinds = m_filters.kinds;
    const bool kindFilterActive = m_filters.kindFilterActive;
    m_filters = filters;
    m_filters.kinds = kinds;
    m_filters.kindFilterActive = kindFilterActive;
}

void frmCardList::StartSearch()
{
    m_cmdPrint->setEnabled(false);
    m_cmdSelect->setEnabled(false);
    SetBusyState(m_session.frame.busy, kStateSearching);
    const CardListQuery query = buildCardListQuery(m_filters);
    m_tlvCards->ClearGrid();
    m_tlvCards->SetDoorFilter(m_filters.doorID, m_filters.intervalStart, m_filters.intervalStop);
    m_tlvCards->RunQuery(query.where, QString());
    for (const QVariant &value : query.parameters)
        m_tlvCards->AddQueryParameter(value);
    m_rows = m_tlvCards->RowTotal();
    SetBusyState(m_session.frame.busy, 0);
    if (m_rows <= 0) {
        m_cmdSearch->setFocus();
    } else {
        m_tlvCards->setFocus();
        m_tlvCards->selectRow(0);
        m_cmdPrint->setEnabled(true);
    }
    updateSelect();
}

void frmCardList::RefreshTableList()
{
    m_tlvCards->ReloadGrid();
    m_rows = m_tlvCards->RowTotal();
    m_cmdPrint->setEnabled(m_rows > 0);
    updateSelect();
}

void frmCardList::Add(int32_t, int16_t) {}

void frmCardList::Update(int32_t)
{
    RefreshTableList();
}

void frmCardList::Remove(int32_t) {}

void frmCardList::Refresh()
{
    RefreshTableList();
}

void frmCardList::Add(int32_t) {}

void frmCardList::AddRange(int32_t, int32_t) {}

void frmCardList::Update(int32_t, int32_t)
{
    RefreshTableList();
}

void frmCardList::Remove(int32_t, int32_t) {}

void frmCardList::cmdSearch_Click()
{
    frmCardSearchFilters dialog(m_program, m_db, m_session, this);
    dialog.prepare({m_filters, CardSearchPreset::None});
    if (m_runSearchDialog)
        m_runSearchDialog(dialog);
    else
        dialog.exec();
    if (const std::optional<CardSearchFilters> chosen = dialog.chosen()) {
        ApplyCardSearch(*this, *chosen);
        StartSearch();
    }
}

void frmCardList::cmdSelect_Click()
{
    if (!m_cmdSelect->isEnabled())
        return;
    if (m_caller)
        handBack();
    else
        openCard();
}

void frmCardList::handBack()
{
    const QVariant number = m_tlvCards->SelectedValue(Field::registrationNumber);
    if (number.isNull())
        return;
    QPointer<QWidget> caller = m_caller;
    const auto handBack = m_handBack;
    const bool autoClose = m_autoClose;
    setChoiceRequest({});
    if (handBack)
        handBack(number.toInt());
    BringWindowForward(caller);
    if (autoClose)
        unload();
}

void frmCardList::openCard()
{
    const QVariant number = m_tlvCards->SelectedValue(Field::registrationNumber);
    CardsIntf *intf = m_cardServers.firstCardsIntf.get();
    if (number.isNull() || !intf || !m_session.authority.IsFunctionAllowed(kOpenCardFunction, 2))
        return;
    intf->NewCard();
    SetBusyState(m_session.frame.busy, kStateReadingCard);
    intf->LoadCard(number.toInt());
    SetBusyState(m_session.frame.busy, 0);
    if (intf->GetStatus() != 0)
        return;
    const qint32 cardNameID = intf->GetCardField(Field::cardNameID).toInt();
    const CardKindWindow target = cardKindWindow(cardNameID);
    if (target.kind.isEmpty() || !m_frameWindows.windows.has(target.kind)) {
        showKindWithoutWindow(cardNameID);
        return;
    }
    const int function = target.function;
    const auto prepare = [function](CardWindow &window) {
        if (function >= 0)
            window.SetFunction(function);
    };
    const WindowKind<CardWindow> kind = WindowKinds::card(target.kind);
    CardWindow *window = nullptr;
    if (m_frameWindows.frameHost) {
        window = m_frameWindows.frameHost->open(kind, prepare);
    } else if ((window = m_frameWindows.windows.create(kind))) {
        // Without a frame the window stands alone.
        WidgetOf(window)->setAttribute(Qt::WA_DeleteOnClose);
        prepare(*window);
    }
    if (!window)
        return;
    window->ReadCardImageBag();
    BringWindowForward(WidgetOf(window));
}

void frmCardList::showKindWithoutWindow(qint32 cardNameID)
{
    const QString name = CardKindName(*m_db.database, cardNameID);
    MessageRequest request;
    request.textNumber = kKindWithoutWindow;
    request.arguments = {name};
    request.style = MessageStyle::Information;
    request.titleNumber = -32766;
    request.buttonNumbers = {17000};
    m_program.messages->show(request, this);
}

void frmCardList::unload()
{
    UnloadWindow(this);
}

void frmCardList::showEvent(QShowEvent *event)
{
    m_shown = true;
    QWidget::showEvent(event);
}

void frmCardList::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        unload();
        return;
    }
    QWidget::keyPressEvent(event);
}
