#include "views/EventReadoutWindows.h"

#include "components/cardserver/CardServerStatus.h"
#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "session/Services.h"
#include "settings/clsLocalParams.h"
#include "settings/clsSystemParams.h"
#include "texts/Texts.h"
#include "ui/BusyIndicator.h"
#include "ui/ChildWindow.h"
#include "ui/FormTexts.h"
#include "ui/WindowPlacement.h"
#include "ui/grid/RecordGrid.h"
#include "ui/grid/RecordGridModel.h"
#include "views/EventListQuery.h"
#include "views/frmEventList.h"

#include <QEventLoop>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kReadoutListNumber = 5;
constexpr int kGetEventsNumber = 41;
constexpr int kHelpContext = 1206;
constexpr int kReadFunction = 6;
constexpr int16_t kStateReading = 10; // -31990
constexpr int16_t kReadFailed = -31196;
constexpr int kTimeRole = Qt::UserRole;

// The events of one read-out: the read-out list's lower list and the handheld's list.
void setUpReadoutEvents(RecordGrid &grid, const QString &computerName)
{
    QStringList captions;
    for (int16_t n = 25420; n <= 25427; ++n)
        captions << GetText(n).replace(QLatin1Char(','), QLatin1Char(' '));
    const QLatin1String fields[] = {Field::cardName,   Field::registrationNumber,
                                    Field::eventTime,  Field::eventName,
                                    Field::alphaID,    Field::surname,
                                    Field::firstname,  Field::issueOperatorAlphaID,
                                    Field::repeatFlag, Field::eventCode};
    QStringList names;
    for (QLatin1String field : fields)
        names << field;
    grid.GridComputerName(computerName);
    grid.BindTable(TableId::EventView);
    grid.SetCaptions(captions.join(QLatin1Char(',')));
    grid.SetColumns(names.join(QLatin1Char(',')));
    ApplyEventColumnFormats(grid);
    for (QLatin1String text :
         {Field::cardName, Field::alphaID, Field::surname, Field::firstname, Field::issueOperatorAlphaID})
        grid.SetEmptyText(GetText(16128), text);
    const int widths[] = {110, 80, 125, 150, 90, 100, 100, 90};
    for (int column = 0; column < int(std::size(widths)); ++column)
        grid.setColumnWidth(column, widths[column]);
}

QSplitter *twoLists(QWidget *parent, QWidget *upper, QWidget *lower)
{
    auto *split = new QSplitter(Qt::Vertical, parent);
    split->setObjectName(QStringLiteral("splList"));
    split->addWidget(upper);
    split->addWidget(lower);
    split->setChildrenCollapsible(false);
    return split;
}

} // namespace

void RestoreSplit(Registry &registry, QSplitter *split, const QString &valueName)
{
    int32_t upper = 0;
    if (registry.ReadLong(valueName, upper) && upper > 0)
        split->setSizes({upper, std::max(1, split->height() - upper)});
}

void SaveSplit(Registry &registry, const QSplitter *split, const QString &valueName)
{
    const QList<int> sizes = split->sizes();
    if (!sizes.isEmpty() && sizes.first() > 0)
        registry.WriteLong(valueName, sizes.first());
}

frmReadoutList::frmReadoutList(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent)
    : QWidget(parent), m_program(program), m_db(db), m_session(session),
      m_tlvReadouts(new RecordGrid(*db.database, this)), m_tlvEvents(new RecordGrid(*db.database, this)),
      m_cmdClose(CommandButton(this, "cmdClose", 20832))
{
    setObjectName(QStringLiteral("frmReadoutList"));
    setWindowTitle(GetText(16088));
    m_tlvReadouts->setObjectName(QStringLiteral("tlvReadouts"));
    m_tlvEvents->setObjectName(QStringLiteral("tlvEvents"));
    m_split = twoLists(this, m_tlvReadouts, m_tlvEvents);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_split, 1);
    layout->addLayout(buttons);
    RestoreWindowPlacement(m_program.registry, this, QStringLiteral("dlgReadoutList"), 12000, 7200);

    m_tlvReadouts->GridComputerName(m_program.ComputerName);
    m_tlvReadouts->BindTable(TableId::ReadoutView);
    m_tlvReadouts->SetCaptions(GetText(25441) + QLatin1Char(',') + GetText(25440));
    m_tlvReadouts->SetColumns(QStringList{Field::doorName, Field::readoutTime, Field::doorID}.join(QLatin1Char(',')));
    m_tlvReadouts->SetDateColumn(Field::readoutTime);
    m_tlvReadouts->SetEmptyText(GetText(16128), Field::doorName);
    m_tlvReadouts->setColumnWidth(0, 200);
    m_tlvReadouts->setColumnWidth(1, 140);
    setUpReadoutEvents(*m_tlvEvents, m_program.ComputerName);
    RestoreSplit(m_program.registry, m_split, QStringLiteral("splitReadoutList"));

    connect(m_tlvReadouts->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &frmReadoutList::readoutChosen);
    connect(m_tlvReadouts->gridModel(), &QAbstractItemModel::modelReset, this, [this] {
        // After each query the newest read-out is chosen, so the lower list shows its events.
        if (m_tlvReadouts->gridModel()->rowCount() > 0)
            m_tlvReadouts->selectRow(0);
        else
            m_tlvEvents->ClearGrid();
    });
    connect(m_cmdClose, &QPushButton::clicked, this, &frmReadoutList::unload);
    RefreshTableList();
}

frmReadoutList::~frmReadoutList()
{
    if (m_shown) {
        SaveSplit(m_program.registry, m_split, QStringLiteral("splitReadoutList"));
        SaveWindowPlacement(m_program.registry, this, QStringLiteral("dlgReadoutList"),
                            LiteralErrorBox(*m_program.messages, nullptr));
    }
    m_session.openDialogs.reset(kReadoutListNumber);
}

void frmReadoutList::RefreshTableList()
{
    const ListQuery query = buildReadoutListQuery();
    m_tlvReadouts->RunQuery(query.where, query.orderBy);
    for (const QVariant &value : query.parameters)
        m_tlvReadouts->AddQueryParameter(value);
}

void frmReadoutList::readoutChosen()
{
    const QVariant door = m_tlvReadouts->SelectedValue(Field::doorID);
    const QVariant time = m_tlvReadouts->SelectedValue(Field::readoutTime);
    if (door.isNull() || time.isNull()) {
        m_tlvEvents->ClearGrid();
        return;
    }
    const ListQuery query = buildReadoutEventsQuery(door.toInt(), time.toDouble());
    m_tlvEvents->RunQuery(query.where, query.orderBy);
    for (const QVariant &value : query.parameters)
        m_tlvEvents->AddQueryParameter(value);
}

int frmReadoutList::HelpContextID() const
{
    return kHelpContext;
}

void frmReadoutList::Activate()
{
    m_session.openDialogs.set(kReadoutListNumber);
    EvaluateAuthority();
}

void frmReadoutList::EvaluateAuthority()
{
    if (!m_session.authority.HasRight(TableId::LockEvents, Authority::Read))
        unload();
}

bool frmReadoutList::IsDialogAvailable()
{
    return m_session.authority.IsTableDialogAvailable(TableId::LockEvents, this);
}

void frmReadoutList::unload()
{
    UnloadWindow(this);
}

void frmReadoutList::showEvent(QShowEvent *event)
{
    m_shown = true;
    QWidget::showEvent(event);
}

frmGetEvents::frmGetEvents(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                           QWidget *parent)
    : QWidget(parent), m_program(program), m_db(db), m_cardServers(cardServers), m_session(session),
      m_lvwSources(new QTreeWidget(this)), m_tlvEvents(new RecordGrid(*db.database, this)),
      m_cmdRead(CommandButton(this, "cmdRead", 28801)), m_cmdClose(CommandButton(this, "cmdClose", 20832))
{
    setObjectName(QStringLiteral("frmGetEvents"));
    setWindowTitle(GetText(19010));
    m_lvwSources->setObjectName(QStringLiteral("lvwSources"));
    m_lvwSources->setRootIsDecorated(false);
    m_lvwSources->setHeaderLabels({GetText(25441), GetText(25440)});
    m_lvwSources->header()->resizeSection(0, 200);
    m_tlvEvents->setObjectName(QStringLiteral("tlvEvents"));
    m_split = twoLists(this, m_lvwSources, m_tlvEvents);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdRead);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_split, 1);
    layout->addLayout(buttons);
    RestoreWindowPlacement(m_program.registry, this, QStringLiteral("dlgGetEvents"), 12000, 7200);
    setUpReadoutEvents(*m_tlvEvents, m_program.ComputerName);
    RestoreSplit(m_program.registry, m_split, QStringLiteral("splitGetEvents"));

    connect(m_lvwSources, &QTreeWidget::currentItemChanged, this, &frmGetEvents::sourceChosen);
    connect(m_cmdRead, &QPushButton::clicked, this, &frmGetEvents::cmdRead_Click);
    connect(m_cmdClose, &QPushButton::clicked, this, &frmGetEvents::unload);
}

frmGetEvents::~frmGetEvents()
{
    if (m_shown) {
        SaveSplit(m_program.registry, m_split, QStringLiteral("splitGetEvents"));
        SaveWindowPlacement(m_program.registry, this, QStringLiteral("dlgGetEvents"),
                            LiteralErrorBox(*m_program.messages, nullptr));
    }
    m_session.openDialogs.reset(kGetEventsNumber);
}

bool frmGetEvents::cmdRead_Click()
{
    CardsIntf *cards = m_cardServers.firstCardsIntf.get();
    if (!cards || m_session.cardOperationInProgress)
        return false;
    const bool allowedForAll = m_db.SystemParams && m_db.SystemParams->AllowReadFromHCU();
    if (!allowedForAll && !m_session.authority.IsFunctionAllowed(kReadFunction, 2))
        return false;

    m_session.cardOperationInProgress = true;
    m_cmdRead->setEnabled(false);
    cards->NewCard();
    cards->SetActive(1);
    cards->SelectDevice(m_program.LocalParams.HCUID());
    cards->ReadDevice(GetText(-31990));
    SetBusyState(m_session.frame.busy, kStateReading);
    qint32 status = cards->GetStatus();
    while (CardServerStatus::isBusy(status) && !m_session.applicationClosing) {
        QEventLoop wait;
        QTimer::singleShot(m_pollInterval, &wait, &QEventLoop::quit);
        wait.exec();
        status = cards->GetStatus();
    }
    cards->SetActive(0);
    SetBusyState(m_session.frame.busy, 0);
    m_session.cardOperationInProgress = false;
    m_cmdRead->setEnabled(true);
    if (status != CardServerStatus::Ok) {
        MessageRequest request;
        request.textNumber = kReadFailed;
        request.appendix = cards->GetStatusText(status).section(QLatin1Char('|'), -1);
        request.style = MessageStyle::Exclamation;
        m_program.messages->show(request, this);
        return false;
    }

    m_lvwSources->clear();
    m_tlvEvents->LoadReadData(cards->GetReadData());
    for (int i = 1; i <= m_tlvEvents->SourceCount(); ++i) {
        if (m_tlvEvents->SourceKind(i) != 2)
            continue;
        const qint32 door = m_tlvEvents->SourceDoor(i);
        const double time = m_tlvEvents->SourceTime(i);
        RecordTable doors(*m_db.database);
        doors.SelectTable(TableId::Doors);
        doors.SetField(Field::doorID, door);
        doors.FindRecord();
        QString name = doors.Status() == RecordStatus::Ok ? doors.GetField(Field::doorName).toString() : QString();
        if (name.isEmpty())
            name = QString::number(door);
        auto *item = new QTreeWidgetItem(m_lvwSources, {name, RecordGridModel::formatDateTime(time)});
        item->setData(0, kTimeRole, time);
    }
    if (m_lvwSources->topLevelItemCount() > 0)
        m_lvwSources->setCurrentItem(m_lvwSources->topLevelItem(0));
    return true;
}

void frmGetEvents::sourceChosen()
{
    const QTreeWidgetItem *item = m_lvwSources->currentItem();
    if (item)
        m_tlvEvents->ShowSource(item->data(0, kTimeRole).toDouble());
}

void frmGetEvents::RefreshTableList()
{
    sourceChosen();
}

int frmGetEvents::HelpContextID() const
{
    return kHelpContext;
}

void frmGetEvents::Activate()
{
    m_session.openDialogs.set(kGetEventsNumber);
    EvaluateAuthority();
}

void frmGetEvents::EvaluateAuthority()
{
    const bool allowedForAll = m_db.SystemParams && m_db.SystemParams->AllowReadFromHCU();
    if (!allowedForAll && !m_session.authority.HasFunction(kReadFunction))
        unload();
}

bool frmGetEvents::IsDialogAvailable()
{
    return m_cardServers.firstCardsIntf != nullptr;
}

void frmGetEvents::unload()
{
    UnloadWindow(this);
}

void frmGetEvents::showEvent(QShowEvent *event)
{
    m_shown = true;
    QWidget::showEvent(event);
}
