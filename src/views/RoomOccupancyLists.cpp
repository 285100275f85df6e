#include "views/RoomOccupancyLists.h"

#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "session/Services.h"
#include "settings/clsSystemParams.h"
#include "texts/Texts.h"
#include "ui/BusyIndicator.h"
#include "ui/ChildWindow.h"
#include "ui/FormTexts.h"
#include "ui/WindowPlacement.h"
#include "ui/grid/ListPrintMenu.h"
#include "ui/grid/RecordGrid.h"
#include "views/ListPrintPopup.h"
#include "views/RoomListQuery.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int16_t kReportTitle = 20701;
constexpr int16_t kListText = 20702;
const QString kMenuRoot = QStringLiteral("R0");

struct ListSetup
{
    int windowNumber;
    int helpContext;
    int16_t caption;
    const char *name;
    const char *windowKey;
    const char *columnKey;
};

const ListSetup &setupOf(RoomOccupancyList::Kind kind)
{
    static const ListSetup vacant{13, 1213, 16145, "frmVacantRoomsList", "dlgVacantRoomsList", "tlvVacantRoomsCol"};
    static const ListSetup occupied{
        12, 1212, 16144, "frmOccupiedRoomsList", "dlgOccupiedRoomsList", "tlvOccupiedRoomsCol"};
    return kind == RoomOccupancyList::Kind::Vacant ? vacant : occupied;
}

QString joined(const QList<QLatin1String> &fields)
{
    QStringList names;
    for (QLatin1String field : fields)
        names << field;
    return names.join(QLatin1Char(','));
}

QString captions(const QList<int16_t> &numbers)
{
    QStringList texts;
    for (int16_t n : numbers)
        texts << GetText(n).replace(QLatin1Char(','), QLatin1Char(' '));
    return texts.join(QLatin1Char(','));
}

} // namespace

RoomOccupancyList::RoomOccupancyList(Kind kind, ProgramServices &program, DatabaseServices &db, Session &session,
                                     QWidget *parent)
    : QWidget(parent), m_kind(kind), m_program(program), m_db(db), m_session(session),
      m_tlvRooms(new RecordGrid(*db.database, this)), m_cmdPrint(CommandButton(this, "cmdPrint", 20831)),
      m_cmdClose(CommandButton(this, "cmdClose", 20832)),
      m_printMenu(std::make_unique<ListPrintMenu>(*m_tlvRooms, *program.messages, GetText(kReportTitle))), m_popup(this)
{
    const ListSetup &setup = setupOf(kind);
    setObjectName(QLatin1String(setup.name));
    setWindowTitle(GetText(setup.caption));
    m_tlvRooms->setObjectName(QStringLiteral("tlvRooms"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdPrint);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tlvRooms, 1);
    layout->addLayout(buttons);
    RestoreWindowPlacement(m_program.registry, this, QLatin1String(setup.windowKey), 10500, 6000);

    WirePrintPopup(m_tlvRooms, m_cmdPrint, m_popup, *m_printMenu, kMenuRoot);
    connect(m_cmdClose, &QPushButton::clicked, this, &RoomOccupancyList::unload);

    SetBusyPointer(true);
    setUpGrid();
    SetBusyPointer(false);
    m_cmdPrint->setEnabled(m_tlvRooms->RowTotal() > 0);
}

RoomOccupancyList::~RoomOccupancyList()
{
    const ListSetup &setup = setupOf(m_kind);
    if (m_shown && SaveWindowPlacement(m_program.registry, this, QLatin1String(setup.windowKey),
                                       LiteralErrorBox(*m_program.messages, nullptr)))
        SaveGridLayout(m_program.registry, m_tlvRooms, QLatin1String(setup.columnKey),
                       LiteralErrorBox(*m_program.messages, nullptr));
    m_session.openDialogs.reset(size_t(setup.windowNumber));
}

void RoomOccupancyList::setUpGrid()
{
    const bool issueTo = m_db.SystemParams && m_db.SystemParams->IssueTo() != 0;
    m_tlvRooms->GridComputerName(m_program.ComputerName);
    m_tlvRooms->BindTable(TableId::RoomView);
    if (m_kind == Kind::Vacant) {
        m_tlvRooms->SetCaptions(captions({20710, 20718}));
        m_tlvRooms->SetColumns(joined({Field::doorName, Field::lastOverrideNumber, Field::expireTime, Field::doorID}));
    } else {
        QList<QLatin1String> fields = {Field::doorName, Field::expireTime, Field::registrationNumber, Field::status};
        QList<int16_t> titles = {20710, 20711, 20712, 20713};
        QList<QLatin1String> empty = {Field::cardName, Field::issueOperatorAlphaID};
        if (issueTo) {
            fields << Field::alphaID << Field::surname << Field::firstname;
            titles << 20714 << 20715 << 20716;
            empty << Field::alphaID << Field::surname << Field::firstname;
        }
        fields << Field::cardName << Field::lastOverrideNumber << Field::issueOperatorAlphaID << Field::doorID;
        titles << 20717 << 20718 << 20719;
        m_tlvRooms->SetCaptions(captions(titles));
        m_tlvRooms->SetColumns(joined(fields));
        for (int status = 0; status <= 5; ++status)
            m_tlvRooms->SetValueText(Field::status, status, GetText(int16_t(16000 + status)));
        for (QLatin1String field : empty)
            m_tlvRooms->SetEmptyText(GetText(16128), field);
        m_tlvRooms->SetDateColumn(Field::expireTime);
        m_tlvRooms->SetCardNumberColumn(Field::registrationNumber);
    }
    // Widths that show a date with its time until the operator sets his own.
    const bool vacant = m_kind == Kind::Vacant;
    const QList<int> widths = vacant    ? QList<int>{120, 110}
                              : issueTo ? QList<int>{80, 125, 80, 80, 90, 110, 100, 110, 80, 90}
                                        : QList<int>{80, 125, 80, 80, 110, 80, 90};
    for (int column = 0; column < int(widths.size()); ++column)
        m_tlvRooms->setColumnWidth(column, widths.at(column));
    RestoreGridLayout(m_program.registry, m_tlvRooms, QLatin1String(setupOf(m_kind).columnKey));
    m_tlvRooms->SetListText(GetText(kListText));
    RecordTable clock(*m_db.database);
    const double now = clock.ServerNow();
    const ListQuery query = m_kind == Kind::Vacant ? buildVacantRoomsQuery(now) : buildOccupiedRoomsQuery(now);
    m_tlvRooms->RunQuery(query.where, query.orderBy);
    for (const QVariant &value : query.parameters)
        m_tlvRooms->AddQueryParameter(value);
}

int RoomOccupancyList::HelpContextID() const
{
    return setupOf(m_kind).helpContext;
}

void RoomOccupancyList::Activate()
{
    m_session.openDialogs.set(size_t(setupOf(m_kind).windowNumber));
    EvaluateAuthority();
}

void RoomOccupancyList::EvaluateAuthority()
{
    if (!m_session.authority.HasRight(TableId::Cards, Authority::Read))
        unload();
}

bool RoomOccupancyList::IsDialogAvailable()
{
    return m_session.authority.IsTableDialogAvailable(TableId::Cards, this);
}

void RoomOccupancyList::unload()
{
    UnloadWindow(this);
}

void RoomOccupancyList::showEvent(QShowEvent *event)
{
    m_shown = true;
    QWidget::showEvent(event);
}
