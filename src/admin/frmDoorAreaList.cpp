#include "admin/frmDoorAreaList.h"

#include "admin/MasterDataRemoval.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/TableDefs.h"
#include "session/Workstation.h"
#include "ui/FrameHost.h"

frmDoorAreaList::frmDoorAreaList(ProgramServices &program, DatabaseServices &db, Session &session,
                                 FrameWindows &frameWindows, QWidget *parent)
    : MasterDataList({"frmDoorAreaList",
                      "tlvDoorAreas",
                      3,
                      TableId::DoorGroups,
                      TableId::DoorGroupView,
                      29510,
                      {29511, 29503},
                      QStringLiteral("doorGroupName,noteText,doorGroupID"),
                      QStringLiteral("tlvDoorAreasCol"),
                      false},
                     program, db, session, frameWindows, parent)
{
    m_session.notify.SubscribeDoorGroups(this, Notify::handleOf(this));
    runSearch();
}

frmDoorAreaList::~frmDoorAreaList()
{
    m_session.notify.UnsubscribeDoorGroups(Notify::handleOf(this));
}

MasterDataList::Query frmDoorAreaList::query(const QString &) const
{
    return {QString(Field::doorGroupID) + QStringLiteral(" >= ?"), Field::doorGroupName, {0}};
}

void frmDoorAreaList::addRecord()
{
    OpenChild(m_frameWindows.frameHost, WindowKinds::DoorAreaData,
              [](DoorAreaDataWindow &window) { window.NewRecord(); });
}

void frmDoorAreaList::removeRows(const QList<int> &rows)
{
    QList<DoorAreaRow> areas;
    for (int row : rows)
        areas.append({rowValue(row, Field::doorGroupID).toInt(), rowValue(row, Field::doorGroupName).toString()});
    const RemovalContext context{*m_db.database,      *m_program.messages,  m_session.notify,
                                 m_session.authority, m_session.frame.busy, this};
    // Each area removed is announced, and the announcement refreshes this list.
    RemoveDoorAreas(context, areas);
}

void frmDoorAreaList::openRow(int row)
{
    const qint32 doorGroupID = rowValue(row, Field::doorGroupID).toInt();
    OpenChild(m_frameWindows.frameHost, WindowKinds::DoorAreaData,
              [doorGroupID](DoorAreaDataWindow &window) { window.setDoorGroupID(doorGroupID); });
}
