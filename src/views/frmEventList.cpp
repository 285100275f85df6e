#include "views/frmEventList.h"

#include "components/recordtable/FieldNames.h"
#include "components/recordtable/TableDefs.h"
#include "session/Services.h"
#include "texts/Texts.h"
#include "ui/BusyIndicator.h"
#include "ui/ChildWindow.h"
#include "ui/FormTexts.h"
#include "ui/WindowPlacement.h"
#include "ui/grid/ListPrintMenu.h"
#include "ui/grid/RecordGrid.h"
#include "views/ListPrintPopup.h"
#include "views/frmEventSearchFilters.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kWindowNumber = 4;
constexpr int kHelpContext = 1205;
constexpr int16_t kCaption = 16087;
constexpr int16_t kStateSearching = 3; // -31999
const QString kWindowKey = QStringLiteral("dlgEventList");
const QString kColumnKey = QStringLiteral("tlvEventsCol");
const QString kMenuRoot = QStringLiteral("E0");

} // namespace

frmEventList::frmEventList(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent)
    : QWidget(parent), m_program(program), m_db(db), m_session(session),
      m_tlvEvents(new RecordGrid(*db.database, this)), m_cmdSearch(CommandButton(this, "cmdSearch", 20830)),
      m_cmdPrint(CommandButton(this, "cmdPrint", 20831)), m_cmdClose(CommandButton(this, "cmdClose", 20832)),
      m_printMenu(std::make_unique<ListPrintMenu>(*m_tlvEvents, *program.messages, GetText(kCaption))), m_popup(this)
{
    setObjectName(QStringLiteral("frmEventList"));
    setWindowTitle(GetText(kCaption));
    m_tlvEvents->setObjectName(QStringLiteral("tlvEvents"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdSearch);
    buttons->addWidget(m_cmdPrint);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tlvEvents, 1);
    layout->addLayout(buttons);
    RestoreWindowPlacement(m_program.registry, this, kWindowKey, 13500, 7200);
    setUpGrid();

    WirePrintPopup(m_tlvEvents, m_cmdPrint, m_popup, *m_printMenu, kMenuRoot);
    connect(m_cmdSearch, &QPushButton::clicked, this, &frmEventList::cmdSearch_Click);
    connect(m_cmdClose, &QPushButton::clicked, this, &frmEventList::unload);
    m_cmdPrint->setEnabled(false);
}

frmEventList::~frmEventList()
{
    if (m_shown &&
        SaveWindowPlacement(m_program.registry, this, kWindowKey, LiteralErrorBox(*m_program.messages, nullptr)))
        SaveGridLayout(m_program.registry, m_tlvEvents, kColumnKey, LiteralErrorBox(*m_program.messages, nullptr));
    m_session.openDialogs.reset(kWindowNumber);
}

void frmEventList::setUpGrid()
{
    const QLatin1String fields[] = {Field::doorName,  Field::cardName,  Field::registrationNumber,
                                    Field::eventTime, Field::eventName, Field::readoutTime,
                                    Field::alphaID,   Field::surname,   Field::firstname,
                                    Field::repeatFlag};
    QStringList names;
    for (QLatin1String field : fields)
        names << field;
    QStringList captions;
    for (int16_t n = 21201; n <= 21209; ++n)
        captions << GetText(n).replace(QLatin1Char(','), QLatin1Char(' '));
    m_tlvEvents->GridComputerName(m_program.ComputerName);
    m_tlvEvents->BindTable(TableId::EventView);
    m_tlvEvents->SetCaptions(captions.join(QLatin1Char(',')));
    m_tlvEvents->SetColumns(names.join(QLatin1Char(',')));
    ApplyEventColumnFormats(*m_tlvEvents);
    for (QLatin1String text : {Field::doorName, Field::cardName, Field::alphaID, Field::surname, Field::firstname})
        m_tlvEvents->SetEmptyText(GetText(16128), text);
    const int widths[] = {120, 110, 90, 125, 160, 125, 90, 110, 100};
    for (int column = 0; column < int(std::size(widths)); ++column)
        m_tlvEvents->setColumnWidth(column, widths[column]);
    RestoreGridLayout(m_program.registry, m_tlvEvents, kColumnKey);
}

void ApplyEventColumnFormats(RecordGrid &grid)
{
    grid.SetDateColumn(Field::eventTime);
    grid.SetDateColumn(Field::readoutTime);
    grid.SetCardNumberColumn(Field::registrationNumber);
    grid.SetFlagSuffix(Field::eventName, QStringLiteral(" (*)"), QString(), Field::repeatFlag);
}

int frmEventList::HelpContextID() const
{
    return kHelpContext;
}

void frmEventList::Activate()
{
    m_session.openDialogs.set(kWindowNumber);
    EvaluateAuthority();
}

void frmEventList::EvaluateAuthority()
{
    if (!m_session.authority.HasRight(TableId::LockEvents, Authority::Read))
        unload();
}

bool frmEventList::IsDialogAvailable()
{
    return m_session.authority.IsTableDialogAvailable(TableId::LockEvents, this);
}

void frmEventList::ClearCardNameFilters()
{
    m_filters.kinds.reset();
    m_filters.kindFilterActive = false;
}

void frmEventList::SetCardNameFilter(qint32 kind)
{
    if (kind < EventSearchFilters::kFirstKind ||
        kind >= EventSearchFilters::kFirstKind + EventSearchFilters::kKindCount)
        return;
    m_filters.setKind(kind, true);
    m_filters.kindFilterActive = true;
}

void frmEventList::SetCardNameFilters()
{
    m_filters.kinds.set();
    m_filters.kindFilterActive = true;
}

void frmEventList::SetSearchFilters(const EventSearchFilters &filters)
{
    const auto kinds = m_filters.kinds;
    const bool active = m_filters.kindFilterActive;
    m_filters = filters;
    m_filters.kinds = kinds;
    m_filters.kindFilterActive = active;
}

bool frmEventList::AskSearchFilters()
{
    frmEventSearchFilters dialog(m_program, m_db, m_session, this);
    if (m_shown)
        dialog.SetOldFilters(m_filters);
    if (m_runSearchDialog)
        m_runSearchDialog(dialog);
    else
        dialog.exec();
    const std::optional<EventSearchFilters> &chosen = dialog.chosen();
    if (!chosen)
        return false;
    ClearCardNameFilters();
    for (int i = 0; i < EventSearchFilters::kKindCount; ++i)
        if (chosen->kinds.test(size_t(i)))
            SetCardNameFilter(EventSearchFilters::kFirstKind + i);
    SetSearchFilters(*chosen);
    return true;
}

void frmEventList::StartSearch()
{
    if (!m_session.authority.EnsureLogonShared(true))
        return;
    m_cmdPrint->setEnabled(false);
    SetBusyState(m_session.frame.busy, kStateSearching);
    const ListQuery query = buildEventListQuery(m_filters);
    m_tlvEvents->ClearGrid();
    m_tlvEvents->RunQuery(query.where, query.orderBy);
    for (const QVariant &value : query.parameters)
        m_tlvEvents->AddQueryParameter(value);
    const qint32 rows = m_tlvEvents->RowTotal();
    SetBusyState(m_session.frame.busy, 0);
    if (rows > 0) {
        m_tlvEvents->setFocus();
        m_tlvEvents->selectRow(0);
        m_cmdPrint->setEnabled(true);
    } else {
        m_cmdSearch->setFocus();
    }
}

void frmEventList::RefreshTableList()
{
    m_tlvEvents->ReloadGrid();
    m_cmdPrint->setEnabled(m_tlvEvents->RowTotal() > 0);
}

void frmEventList::cmdSearch_Click()
{
    if (AskSearchFilters())
        StartSearch();
}

void frmEventList::unload()
{
    UnloadWindow(this);
}

void frmEventList::showEvent(QShowEvent *event)
{
    m_shown = true;
    QWidget::showEvent(event);
}
