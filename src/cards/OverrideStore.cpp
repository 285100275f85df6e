#include "cards/OverrideStore.h"

#include "components/recordtable/FieldNames.h"
#include "components/recordtable/TableDefs.h"

OverrideStore::Result OverrideStore::result()
{
    const qint32 status = m_doors.Status();
    return {status, status == RecordStatus::Ok ? QString() : m_doors.ErrorText(status)};
}

OverrideStore::RowOutcome OverrideStore::saveRow(const RoomOverride &row, int offset)
{
    m_doors.SelectTable(TableId::Doors);
    m_doors.OpenQuery(QString(Field::doorID) + QStringLiteral(" = ? and ") + Field::trueRoom + QStringLiteral(" = ?"),
                      QString());
    m_doors.AddParameter(row.door.toInt());
    m_doors.AddParameter(row.room.toInt());
    const bool found = m_doors.Status() == RecordStatus::Ok;
    m_doors.CloseQuery();
    if (!found)
        return RowOutcome::DoorNotFound;
    m_doors.SelectTable(TableId::Doors);
    m_doors.SetField(Field::doorID, row.door.toInt());
    m_doors.FindRecord();
    if (m_doors.Status() == RecordStatus::Ok) {
        m_doors.SetField(Field::lastOverrideNumber, OverrideAfterOffset(row.overrideNumber, offset));
        m_doors.UpdateRecord();
    }
    return m_doors.Status() == RecordStatus::Ok ? RowOutcome::Saved : RowOutcome::UpdateFailed;
}

OverrideStore::Result OverrideStore::operatorTemplate(qint32 userID, qint32 &operatorTemplateID)
{
    m_doors.SelectTable(TableId::Operators);
    m_doors.SetField(Field::userID, userID);
    m_doors.FindRecord();
    operatorTemplateID = m_doors.Status() == RecordStatus::Ok ? m_doors.GetField(Field::operatorTemplateID).toInt() : 0;
    return result();
}

OverrideStore::Result OverrideStore::setIncrement(int step)
{
    m_doors.ExecuteCommand(QStringLiteral("update Doors set ") + Field::overrideIncrement + QStringLiteral(" = ") +
                           QString::number(step));
    return result();
}
