#include "admin/frmUserList.h"

#include "admin/UserRegister.h"
#include "components/cardserver/CardServerStatus.h"
#include "components/cardserver/CardsIntf.h"
#include "components/cardserver/RegistrationNumber.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "core/OleDate.h"
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

#include <QComboBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kWindowNumber = 1;
constexpr int kHelpContext = 1202;
constexpr int kDefaultSearchDelayMs = 400;
constexpr int kFirstFreeFieldEntry = 3;
constexpr int kFreeFieldCount = 4;
constexpr int kSurnameEntry = 1;
constexpr int16_t kCaption = 27000;
constexpr int16_t kListText = 27014;
constexpr int16_t kNoStaffCard = -31477;
constexpr int16_t kStaffCardsUnread = -29879;
constexpr int16_t kNoStoredImage = -29878;
constexpr int16_t kStateSearching = 3;
constexpr int16_t kStateReadingCard = 9;
constexpr qint32 kEmployeeCard = 260;
const QString kColumnKey = QStringLiteral("tlvUsersCol");
const QString kColumns = QStringLiteral("alphaID,surname,firstname,address1,address2,zipcode,city,userID");

// Menu keys of the list's context menu.
const QString kMenuRoot = QStringLiteral("U0");
const QString kMenuAdd = QStringLiteral("UA");
const QString kMenuRemove = QStringLiteral("UR");
const QString kMenuProperties = QStringLiteral("UP");
const QString kMenuCards = QStringLiteral("UC");
const QString kMenuStaffCard = QStringLiteral("US");

QString freeFieldCaption(const DatabaseServices &db, int index)
{
    return db.SystemParams ? db.SystemParams->NotDefined(index) : GetText(16120);
}

} // namespace

frmUserList::frmUserList(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                         FrameWindows &frameWindows, QWidget *parent)
    : QWidget(parent), m_program(program), m_db(db), m_cardServers(cardServers), m_session(session),
      m_frameWindows(frameWindows), m_tlvUsers(new RecordGrid(*db.database, this)), m_lblSearchField(new QLabel(this)),
      m_cboSearchField(new QComboBox(this)), m_lblSearch(new QLabel(this)), m_txtSearch(new QLineEdit(this)),
      m_cmdAdd(CommandButton(this, "cmdAdd", 27006)), m_cmdRemove(CommandButton(this, "cmdRemove", 27007)),
      m_cmdProperties(CommandButton(this, "cmdProperties", 27008)), m_cmdPrint(CommandButton(this, "cmdPrint", 27009)),
      m_cmdSelect(CommandButton(this, "cmdSelect", 27010)), m_cmdClose(CommandButton(this, "cmdClose", 27011)),
      m_printMenu(std::make_unique<ListPrintMenu>(*m_tlvUsers, *program.messages, GetText(kCaption))), m_popup(this)
{
    setObjectName(QStringLiteral("frmUserList"));
    setWindowTitle(GetText(kCaption));
    buildControls();
    setUpGrid();

    m_searchTimer.setSingleShot(true);
    m_searchTimer.setInterval(kDefaultSearchDelayMs);
    connect(&m_searchTimer, &QTimer::timeout, this, &frmUserList::runSearch);
    connect(m_cboSearchField, &QComboBox::currentIndexChanged, this, [this](int entry) {
        if (entry < 0)
            m_txtSearch->clear();
        restartSearch();
    });
    connect(m_txtSearch, &QLineEdit::textEdited, this, &frmUserList::restartSearch);
    connect(m_txtSearch, &QLineEdit::returnPressed, this, [this] {
        m_searchTimer.stop();
        runSearch();
    });
    connect(m_tlvUsers->selectionModel(), &QItemSelectionModel::selectionChanged, this, &frmUserList::updateButtons);
    connect(m_tlvUsers, &QAbstractItemView::activated, this, [this] {
        if (m_caller && m_cmdSelect->isEnabled())
            cmdSelect_Click();
        else if (m_cmdProperties->isEnabled())
            cmdProperties_Click();
    });
    m_tlvUsers->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_tlvUsers, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { ShowListMenu(m_tlvUsers->viewport()->mapToGlobal(pos)); });
    connect(m_cmdAdd, &QPushButton::clicked, this, &frmUserList::cmdAdd_Click);
    connect(m_cmdRemove, &QPushButton::clicked, this, &frmUserList::cmdRemove_Click);
    connect(m_cmdProperties, &QPushButton::clicked, this, &frmUserList::cmdProperties_Click);
    connect(m_cmdSelect, &QPushButton::clicked, this, &frmUserList::cmdSelect_Click);
    connect(m_cmdPrint, &QPushButton::clicked, this,
            [this] { ShowListMenu(m_cmdPrint->mapToGlobal(QPoint(0, m_cmdPrint->height())), true); });
    connect(m_cmdClose, &QPushButton::clicked, this, [this] { UnloadWindow(this); });

    m_session.notify.SubscribeUsers(this, Notify::handleOf(this));
    updateButtons();
    restartSearch();
}

frmUserList::~frmUserList()
{
    m_session.notify.UnsubscribeUsers(Notify::handleOf(this));
    SaveGridLayout(m_program.registry, m_tlvUsers, kColumnKey, LiteralErrorBox(*m_program.messages, nullptr));
    m_session.openDialogs.reset(kWindowNumber);
}

void frmUserList::buildControls()
{
    m_tlvUsers->setObjectName(QStringLiteral("tlvUsers"));
    m_lblSearchField->setObjectName(QStringLiteral("lblSearchField"));
    m_lblSearchField->setText(GetText(27004));
    m_lblSearchField->setBuddy(m_cboSearchField);
    m_cboSearchField->setObjectName(QStringLiteral("cboSearchField"));
    m_lblSearch->setObjectName(QStringLiteral("lblSearch"));
    m_lblSearch->setText(GetText(27005));
    m_lblSearch->setBuddy(m_txtSearch);
    m_txtSearch->setObjectName(QStringLiteral("txtSearch"));
    for (int entry = 0; entry < UserSearchFieldCount; ++entry)
        m_cboSearchField->addItem(QString(), entry);
    UpdateComboboxItems();
    m_cboSearchField->setCurrentIndex(kSurnameEntry);
    m_cmdSelect->setVisible(false);

    auto *search = new QHBoxLayout;
    search->addWidget(m_lblSearchField);
    search->addWidget(m_cboSearchField, 1);
    search->addSpacing(12);
    search->addWidget(m_lblSearch);
    search->addWidget(m_txtSearch, 2);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {m_cmdAdd, m_cmdRemove, m_cmdProperties, m_cmdPrint})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdSelect);
    buttons->addWidget(m_cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(search);
    layout->addWidget(m_tlvUsers, 1);
    layout->addLayout(buttons);

    setTabOrder(m_cboSearchField, m_txtSearch);
    setTabOrder(m_txtSearch, m_tlvUsers);
    setTabOrder(m_tlvUsers, m_cmdAdd);
    setTabOrder(m_cmdAdd, m_cmdRemove);
    setTabOrder(m_cmdRemove, m_cmdProperties);
    setTabOrder(m_cmdProperties, m_cmdPrint);
    setTabOrder(m_cmdPrint, m_cmdSelect);
    setTabOrder(m_cmdSelect, m_cmdClose);
    resize(760, 420);
}

void frmUserList::setUpGrid()
{
    m_tlvUsers->GridComputerName(m_program.ComputerName);
    m_tlvUsers->GridOption(true);
    m_tlvUsers->BindTable(TableId::UserView);
    m_tlvUsers->SetCaptions(captions());
    m_tlvUsers->SetColumns(kColumns);
    m_tlvUsers->SetListText(GetText(kListText));
    RestoreGridLayout(m_program.registry, m_tlvUsers, kColumnKey);
}

QString frmUserList::captions() const
{
    QStringList list{GetText(27001), GetText(27002), GetText(27003)};
    for (int index = 0; index < kFreeFieldCount; ++index) {
        // The grid splits its captions at commas.
        list << freeFieldCaption(m_db, index).replace(QLatin1Char(','), QLatin1Char(' '));
    }
    return list.join(QLatin1Char(','));
}

void frmUserList::setChoiceRequest(const ChoiceRequest &request)
{
    if (m_caller)
        disconnect(m_caller, &QObject::destroyed, this, nullptr);
    m_caller = request.caller;
    m_request = request.caller ? request : ChoiceRequest{};
    QString title = GetText(kCaption);
    if (request.caller) {
        connect(request.caller, &QObject::destroyed, this, [this] { setChoiceRequest({}); });
        title += QStringLiteral(" (") + request.caller->windowTitle() + QLatin1Char(')');
    }
    setWindowTitle(title);
    m_cmdSelect->setVisible(request.caller != nullptr);
    updateButtons();
}

int frmUserList::HelpContextID() const
{
    return kHelpContext;
}

bool frmUserList::IsDialogAvailable()
{
    return m_session.authority.IsTableDialogAvailable(TableId::Users, this);
}

void frmUserList::Activate()
{
    m_session.openDialogs.set(kWindowNumber);
    EvaluateAuthority();
}

void frmUserList::EvaluateAuthority()
{
    if (!m_session.authority.HasRight(TableId::Users, Authority::Read)) {
        UnloadWindow(this);
        return;
    }
    updateButtons();
}

void frmUserList::RefreshTableList()
{
    if (m_querying || m_searchTimer.isActive())
        return; // the search about to run reads the rows anyway
    m_tlvUsers->ReloadGrid();
    m_rows = m_tlvUsers->RowTotal();
    updateButtons();
}

void frmUserList::UpdateColumnNames()
{
    m_tlvUsers->SetCaptions(captions());
}

void frmUserList::UpdateComboboxItems()
{
    for (int entry = 0; entry < kFirstFreeFieldEntry; ++entry)
        m_cboSearchField->setItemText(entry, GetText(int16_t(27001 + entry)));
    for (int index = 0; index < kFreeFieldCount; ++index)
        m_cboSearchField->setItemText(kFirstFreeFieldEntry + index, freeFieldCaption(m_db, index));
}

void frmUserList::Add(int32_t, int16_t)
{
    RefreshTableList();
}

void frmUserList::Update(int32_t)
{
    RefreshTableList();
}

void frmUserList::Remove(int32_t)
{
    RefreshTableList();
}

void frmUserList::Refresh()
{
    RefreshTableList();
}

void frmUserList::restartSearch()
{
    m_searchTimer.start();
}

void frmUserList::runSearch()
{
    const int entry = m_cboSearchField->currentIndex();
    const UserListQuery query = BuildUserListQuery(entry, entry < 0 ? QString() : m_txtSearch->text());
    m_querying = true;
    updateButtons();
    SetBusyState(m_session.frame.busy, kStateSearching);
    m_tlvUsers->ClearGrid();
    m_tlvUsers->RunQuery(query.where, query.orderBy);
    for (const QVariant &value : query.parameters)
        m_tlvUsers->AddQueryParameter(value);
    m_rows = m_tlvUsers->RowTotal();
    SetBusyState(m_session.frame.busy, 0);
    m_querying = false;
    updateButtons();
}

void frmUserList::updateButtons()
{
    const Authority &rights = m_session.authority;
    const bool rows = !m_querying && m_rows > 0;
    const bool selected = !m_querying && selectedUserID() > 0;
    m_cmdAdd->setEnabled(rights.HasRight(TableId::Users, Authority::Write));
    m_cmdRemove->setEnabled(rows && rights.HasRight(TableId::Users, Authority::Delete));
    m_cmdProperties->setEnabled(rows);
    m_cmdPrint->setEnabled(rows);
    m_cmdSelect->setEnabled(m_caller && selected);
}

qint32 frmUserList::selectedUserID() const
{
    if (!m_tlvUsers->selectionModel() || !m_tlvUsers->selectionModel()->hasSelection())
        return 0;
    return m_tlvUsers->SelectedValue(Field::userID).toInt();
}

void frmUserList::cmdAdd_Click()
{
    if (!m_cmdAdd->isEnabled())
        return;
    // Chosen for a caller, the new user goes straight back to that caller.
    ChoiceRequest request = m_request;
    request.caller = m_caller;
    OpenChild(m_frameWindows.frameHost, WindowKinds::UserData, [&request](UserDataWindow &window) {
        window.setChoiceRequest(request);
        window.NewRecord();
    });
}

void frmUserList::cmdRemove_Click()
{
    const qint32 userID = selectedUserID();
    if (!m_cmdRemove->isEnabled() || userID <= 0)
        return;
    const QString alphaID = m_tlvUsers->SelectedValue(Field::alphaID).toString();
    const RemoveOutcome outcome = RemoveUser(m_program, m_db, m_session, userID, alphaID, RemoveOneUser, this);
    if (outcome == RemoveOutcome::Removed || outcome == RemoveOutcome::RemovedAll)
        m_session.notify.NotifyUsersRefresh();
}

void frmUserList::cmdProperties_Click()
{
    const qint32 userID = selectedUserID();
    if (!m_cmdProperties->isEnabled() || userID <= 0)
        return;
    OpenChild(m_frameWindows.frameHost, WindowKinds::UserData, [userID](UserDataWindow &window) {
        window.setChoiceRequest({});
        window.setUserID(userID);
    });
}

void frmUserList::cmdSelect_Click()
{
    const qint32 userID = selectedUserID();
    if (!m_caller || userID <= 0)
        return;
    QPointer<QWidget> caller = m_caller;
    const ChoiceRequest request = m_request;
    setChoiceRequest({});
    if (request.handBack)
        request.handBack(userID);
    BringWindowForward(caller);
    if (request.autoClose)
        UnloadWindow(this);
}

void frmUserList::searchCards()
{
    if (selectedUserID() <= 0)
        return;
    // The user's names; the operator narrows kinds, state and dates in the dialog.
    CardSearchFilters start;
    start.alphaID = m_tlvUsers->SelectedValue(Field::alphaID).toString();
    start.surname = m_tlvUsers->SelectedValue(Field::surname).toString();
    start.firstname = m_tlvUsers->SelectedValue(Field::firstname).toString();
    start.statusGroup = 0;
    start.issueFrom = start.startFrom = start.expiryFrom = OleDate::kEarliestSearchDay;
    start.issueTo = start.startTo = start.expiryTo = NoExpiry;
    start.registrationTo = 0x7fffffff;
    start.roomTo = m_db.SystemParams && m_db.SystemParams->FiveDigits() ? 99999 : 9999;
    const std::optional<CardSearchFilters> chosen =
        m_frameWindows.windows.searchCards({start, CardSearchPreset::None}, this);
    if (!chosen)
        return;
    CardListWindow *list = OpenChild(m_frameWindows.frameHost, WindowKinds::CardList);
    if (!list)
        return;
    ApplyCardSearch(*list, *chosen);
    list->StartSearch();
}

void frmUserList::openStaffCard()
{
    const qint32 userID = selectedUserID();
    if (userID <= 0)
        return;
    RecordTable cards(*m_db.database);
    const double now = cards.ServerNow();
    StaffCard card;
    const qint32 status = cards.Status() == RecordStatus::Ok ? FindStaffCard(cards, userID, now, card) : cards.Status();
    if (status == RecordStatus::NoRecord) {
        m_program.messages->information(kNoStaffCard, {}, this);
        return;
    }
    if (status != RecordStatus::Ok) {
        m_program.messages->error(kStaffCardsUnread, {}, cards.ErrorText(status), this);
        return;
    }
    CardsIntf *intf = m_cardServers.firstCardsIntf.get();
    if (!intf)
        return;
    intf->NewCard();
    SetBusyState(m_session.frame.busy, kStateReadingCard);
    const qint32 loaded = intf->LoadCard(card.registrationNumber);
    SetBusyState(m_session.frame.busy, 0);
    // The server's status for a missing image is also its "no further range" status, whose text
    // would mislead here.
    if (loaded == CardServerStatus::CardNotFound) {
        m_program.messages->error(kNoStoredImage, {FormatRegistrationNumber(quint32(card.registrationNumber))}, {},
                                  this);
        return;
    }
    if (loaded != 0) {
        MessageRequest request;
        request.style = MessageStyle::Error;
        request.appendix = intf->GetStatusText(loaded).section(QLatin1Char('|'), -1);
        request.replacesText = true;
        m_program.messages->show(request, this);
        return;
    }
    const QString kind =
        card.cardNameID == kEmployeeCard ? QStringLiteral("frmEmployeeCard") : QStringLiteral("frmSupervisorCard");
    if (CardWindow *dialog = OpenChild(m_frameWindows.frameHost, WindowKinds::card(kind)))
        dialog->ReadCardImageBag();
}

void frmUserList::ShowListMenu(const QPoint &globalPos, bool printOnly)
{
    const bool selected = !m_querying && selectedUserID() > 0;
    m_popup.Clear();
    m_popup.CreateRoot(QStringLiteral("HIDDEN"), kMenuRoot);
    if (!printOnly) {
        m_popup.AddItem(kMenuRoot, kMenuAdd, m_cmdAdd->text(), m_cmdAdd->isEnabled());
        m_popup.AddItem(kMenuRoot, kMenuRemove, m_cmdRemove->text(), m_cmdRemove->isEnabled() && selected);
        m_popup.AddItem(kMenuRoot, kMenuProperties, m_cmdProperties->text(), m_cmdProperties->isEnabled() && selected);
        m_popup.AddItem(kMenuRoot, QStringLiteral("U1"), QStringLiteral("-"));
        m_popup.AddItem(kMenuRoot, kMenuCards, GetText(27012), selected);
        m_popup.AddItem(kMenuRoot, kMenuStaffCard, GetText(27013), selected);
        m_popup.AddItem(kMenuRoot, QStringLiteral("U2"), QStringLiteral("-"));
    }
    m_printMenu->AddItems(m_popup, kMenuRoot);
    runMenuKey(m_popup.Show(kMenuRoot, globalPos));
}

void frmUserList::runMenuKey(const QString &key)
{
    if (key.isEmpty() || m_printMenu->Run(key))
        return;
    if (key == kMenuAdd)
        cmdAdd_Click();
    else if (key == kMenuRemove)
        cmdRemove_Click();
    else if (key == kMenuProperties)
        cmdProperties_Click();
    else if (key == kMenuCards)
        searchCards();
    else if (key == kMenuStaffCard)
        openStaffCard();
}

void frmUserList::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        UnloadWindow(this);
        return;
    }
    QWidget::keyPressEvent(event);
}
