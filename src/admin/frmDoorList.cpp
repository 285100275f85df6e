#include "admin/frmDoorList.h"

#include "admin/MasterDataRemoval.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/TableDefs.h"
#include "session/Workstation.h"
#include "ui/FrameHost.h"

frmDoorList::frmDoorList(ProgramServices &program, DatabaseServices &db, Session &session, FrameWindows &frameWindows,
                         QWidget *parent)
    : MasterDataList({"frmDoorList",
                      "tlvDoors",
                      2,
                      TableId::Doors,
                      TableId::DoorView,
                      29000,
                      {29001, 29002, 29003, 29503},
                      QStringLiteral("doorName,doorID,doorCategory,noteText,doorGroupID"),
                      QStringLiteral("tlvDoorsCol"),
                      true},
                     program, db, session, frameWindows, parent)
{
    m_session.notify.SubscribeDoors(this, Notify::handleOf(this));
    m_session.notify.SubscribeDoorGroups(this, Notify::handleOf(this));
    runSearch();
}

frmDoorList::~frmDoorList()
{
    m_session.notify.UnsubscribeDoors(Notify::handleOf(this));
    m_session.notify.UnsubscribeDoorGroups(Notify::handleOf(this));
}

MasterDataList::Query frmDoorList::query(const QString &searchText) const
{
    if (searchText.isEmpty())
        return {QString(Field::doorID) + QStringLiteral(" > ?"), Field::doorID, {0}};
    return {QString(Field::doorName) + QStringLiteral(" like ?"), Field::doorName, {searchText + QLatin1Char('%')}};
}

void frmDoorList::addRecord()
{
    OpenChild(m_frameWindows.frameHost, WindowKinds::DoorData, [](DoorDataWindow &window) { window.NewRecord(); });
}

void frmDoorList::removeRows(const QList<int> &rows)
{
    QList<DoorRow> doors;
    for (int row : rows)
        doors.append({rowValue(row, Field::doorID).toInt(), rowValue(row, Field::doorName).toString()});
    const RemovalContext context{*m_db.database,      *m_program.messages,  m_session.notify,
                                 m_session.authority, m_session.frame.busy, this};
    if (!RemoveDoors(context, doors).isEmpty())
        m_session.notify.NotifyDoorsRefresh();
}

void frmDoorList::openRow(int row)
{
    const qint32 doorID = rowValue(row, Field::doorID).toInt();
    OpenChild(m_frameWindows.frameHost, WindowKinds::DoorData,
              [doorID](DoorDataWindow &window) { window.setDoorID(doorID); });
}
