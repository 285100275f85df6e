#include "cards/GuestCardStore.h"

#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"

namespace {

constexpr qint32 kLastAnonymousUser = 1;

} // namespace

qint32 GuestCardStore::guestRoom(const QString &entry, bool wingCodes)
{
    const qint32 room = GuestRules::ParseRoomEntry(m_table, entry, wingCodes);
    return room != 0 && GuestRules::IsValidRoom(m_table, room) ? room : 0;
}

GuestRules::WingSplit GuestCardStore::splitRoom(qint32 room)
{
    return GuestRules::SplitRoom(m_table, room);
}

GuestRules::RoomCheck GuestCardStore::checkRoom(CardsIntf &second, qint32 room, double now, bool joiner, bool family,
                                                bool silent)
{
    return GuestRules::CheckRoom(m_table, second, room, now, joiner, family, silent);
}

GuestCardStore::Door GuestCardStore::currentDoor()
{
    return Door{m_table.GetField(Field::doorID).toInt(), m_table.GetField(Field::doorName).toString(),
                m_table.GetField(Field::commonRoom).toInt()};
}

QList<GuestCardStore::Door> GuestCardStore::commonRooms()
{
    QList<Door> doors;
    m_table.SelectTable(TableId::Doors);
    m_table.OpenQuery(QString(Field::commonRoom) + QStringLiteral(" >= ? and ") + Field::commonRoom +
                          QStringLiteral(" <= ?"),
                      QString(Field::doorName));
    m_table.AddParameter(kFirstCommonRoom);
    m_table.AddParameter(kLastCommonRoom);
    for (; m_table.Status() == RecordStatus::Ok; m_table.MoveNext())
        doors << currentDoor();
    m_table.CloseQuery();
    return doors;
}

QList<GuestCardStore::Door> GuestCardStore::commonRoomsBetween(qint32 firstDoorID, qint32 lastDoorID)
{
    QList<Door> doors;
    m_table.SelectTable(TableId::Doors);
    m_table.OpenQuery(QString(Field::doorID) + QStringLiteral(" >= ? and ") + Field::doorID +
                          QStringLiteral(" <= ? and ") + Field::commonRoom + QStringLiteral(" >= ? and ") +
                          Field::commonRoom + QStringLiteral(" <= ?"),
                      QString(Field::doorID));
    for (qint32 value : {firstDoorID, lastDoorID, kFirstCommonRoom, kLastCommonRoom})
        m_table.AddParameter(value);
    for (; m_table.Status() == RecordStatus::Ok; m_table.MoveNext())
        doors << currentDoor();
    m_table.CloseQuery();
    return doors;
}

std::optional<GuestCardStore::Door> GuestCardStore::door(qint32 doorID)
{
    m_table.SelectTable(TableId::Doors);
    m_table.SetField(Field::doorID, doorID);
    m_table.FindRecord();
    if (m_table.Status() != RecordStatus::Ok)
        return std::nullopt;
    return currentDoor();
}

QString GuestCardStore::issueToText(qint32 userID)
{
    if (userID <= kLastAnonymousUser)
        return QString();
    m_table.SelectTable(TableId::Users);
    m_table.SetField(Field::userID, userID);
    m_table.FindRecord();
    if (m_table.Status() != RecordStatus::Ok)
        return QString();
    GuestRules::IssueToName parts;
    parts.surname = m_table.GetField(Field::surname).toString();
    parts.firstname = m_table.GetField(Field::firstname).toString();
    return parts.boxText();
}
