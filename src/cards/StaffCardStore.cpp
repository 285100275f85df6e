#include "cards/StaffCardStore.h"

#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "texts/Texts.h"

namespace {

constexpr int16_t kNoName = 16128;
constexpr qint32 kLastCommonRoom = 8;
constexpr qint32 kLastPrivateRoom = 15;

} // namespace

bool StaffCardStore::rangeOpensDoors(qint32 first, qint32 last, bool intervals)
{
    m_table.SelectTable(TableId::Doors);
    m_table.OpenQuery(QString(Field::doorID) + QStringLiteral(" >= ? and ") + Field::doorID + QStringLiteral(" <= ?"),
                      QString(Field::doorID));
    m_table.AddParameter(first);
    m_table.AddParameter(last);
    bool found = m_table.Status() == RecordStatus::Ok;
    m_table.CloseQuery();
    if (found || !intervals)
        return found;
    // The interval bounds are stored as text; they are compared as numbers here, the same on
    // every database engine.
    m_table.OpenQuery(QString(Field::doorID) + QStringLiteral(" >= ?"), QString(Field::doorID));
    m_table.AddParameter(kFirstInterval);
    for (; !found && m_table.Status() == RecordStatus::Ok; m_table.MoveNext()) {
        bool startOk = false;
        bool stopOk = false;
        const qint32 start = m_table.GetField(Field::roomIntervalStart).toString().trimmed().toInt(&startOk);
        const qint32 stop = m_table.GetField(Field::roomIntervalStop).toString().trimmed().toInt(&stopOk);
        found = startOk && stopOk && start >= first && stop <= last;
    }
    m_table.CloseQuery();
    return found;
}

QList<StaffCardStore::Door> StaffCardStore::numberedDoors(QLatin1String field, qint32 first, qint32 last,
                                                          std::optional<qint32> doorID)
{
    QList<Door> doors;
    const QString name = field;
    QString filter = name + QStringLiteral(" >= ? and ") + name + QStringLiteral(" <= ?");
    if (doorID)
        filter = QString(Field::doorID) + QStringLiteral(" = ? and ") + filter;
    m_table.SelectTable(TableId::Doors);
    m_table.OpenQuery(filter, QString(Field::doorName));
    if (doorID)
        m_table.AddParameter(*doorID);
    m_table.AddParameter(first);
    m_table.AddParameter(last);
    for (; m_table.Status() == RecordStatus::Ok; m_table.MoveNext())
        doors << Door{m_table.GetField(Field::doorID).toInt(), m_table.GetField(Field::doorName).toString(),
                      m_table.GetField(name).toInt()};
    m_table.CloseQuery();
    return doors;
}

std::optional<StaffCardStore::Door> StaffCardStore::commonRoom(qint32 number, std::optional<qint32> doorID)
{
    const QList<Door> doors = numberedDoors(Field::commonRoom, number, number, doorID);
    if (doors.isEmpty())
        return std::nullopt;
    return doors.front();
}

QList<StaffCardStore::Door> StaffCardStore::commonRooms()
{
    return numberedDoors(Field::commonRoom, 1, kLastCommonRoom, std::nullopt);
}

QList<StaffCardStore::Door> StaffCardStore::privateRooms(std::optional<qint32> doorID)
{
    return numberedDoors(Field::privateRoom, 1, kLastPrivateRoom, doorID);
}

std::optional<QString> StaffCardStore::userName(qint32 userID)
{
    m_table.SelectTable(TableId::Users);
    m_table.SetField(Field::userID, userID);
    m_table.FindRecord();
    if (m_table.Status() != RecordStatus::Ok)
        return std::nullopt;
    const QString surname = m_table.GetField(Field::surname).toString();
    const QString firstname = m_table.GetField(Field::firstname).toString();
    if (surname.isEmpty() && firstname.isEmpty())
        return GetText(kNoName);
    if (surname.isEmpty() || firstname.isEmpty())
        return surname + firstname;
    return surname + QStringLiteral(", ") + firstname;
}

std::optional<QString> StaffCardStore::operatorTemplate(qint32 userID)
{
    m_table.SelectTable(TableId::OperatorView);
    m_table.SetField(Field::userID, userID);
    m_table.FindRecord();
    if (m_table.Status() != RecordStatus::Ok)
        return std::nullopt;
    return m_table.GetField(Field::operatorTemplateName).toString();
}
