#include "cards/GroupCheckInStore.h"

#include "components/recordtable/FieldNames.h"
#include "components/recordtable/TableDefs.h"

#include <QStringList>

namespace {

const QStringList kGuestCategories = {QStringLiteral("G"), QStringLiteral("L"), QStringLiteral("A")};

} // namespace

GroupCheckInStore::Room GroupCheckInStore::currentRoom()
{
    return Room{m_table.GetField(Field::doorID).toInt(), m_table.GetField(Field::doorGroupID).toInt(),
                m_table.GetField(Field::doorName).toString()};
}

QList<GroupCheckInStore::Area> GroupCheckInStore::areas()
{
    QList<Area> areas;
    m_table.SelectTable(TableId::DoorGroups);
    m_table.OpenQuery(QString(), QString(Field::doorGroupName));
    for (; m_table.Status() == RecordStatus::Ok; m_table.MoveNext())
        areas << Area{m_table.GetField(Field::doorGroupID).toInt(), m_table.GetField(Field::doorGroupName).toString()};
    m_table.CloseQuery();
    return areas;
}

std::optional<QString> GroupCheckInStore::areaName(qint32 doorGroupID)
{
    m_table.SelectTable(TableId::DoorGroups);
    m_table.SetField(Field::doorGroupID, doorGroupID);
    m_table.FindRecord();
    if (m_table.Status() != RecordStatus::Ok)
        return std::nullopt;
    return m_table.GetField(Field::doorGroupName).toString();
}

QList<GroupCheckInStore::Room> GroupCheckInStore::roomsOfArea(qint32 doorGroupID)
{
    QList<Room> rooms;
    const QString category = QString(Field::doorCategory) + QStringLiteral(" = ?");
    m_table.SelectTable(TableId::Doors);
    m_table.OpenQuery(QString(Field::doorGroupID) + QStringLiteral(" = ? and (") + category + QStringLiteral(" or ") +
                          category + QStringLiteral(" or ") + category + QLatin1Char(')'),
                      QString(Field::doorID));
    m_table.AddParameter(doorGroupID);
    for (const QString &guestCategory : kGuestCategories)
        m_table.AddParameter(guestCategory);
    for (; m_table.Status() == RecordStatus::Ok; m_table.MoveNext())
        rooms << currentRoom();
    m_table.CloseQuery();
    return rooms;
}

QList<GroupCheckInStore::Room> GroupCheckInStore::roomsBetween(qint32 firstDoorID, qint32 lastDoorID)
{
    QList<Room> rooms;
    m_table.SelectTable(TableId::Doors);
    m_table.OpenQuery(QString(Field::doorID) + QStringLiteral(" >= ? and ") + Field::doorID + QStringLiteral(" <= ?"),
                      QString(Field::doorID));
    m_table.AddParameter(firstDoorID);
    m_table.AddParameter(lastDoorID);
    for (; m_table.Status() == RecordStatus::Ok; m_table.MoveNext()) {
        if (kGuestCategories.contains(m_table.GetField(Field::doorCategory).toString()))
            rooms << currentRoom();
    }
    m_table.CloseQuery();
    return rooms;
}

std::optional<GroupCheckInStore::Room> GroupCheckInStore::room(qint32 doorID)
{
    m_table.SelectTable(TableId::Doors);
    m_table.SetField(Field::doorID, doorID);
    m_table.FindRecord();
    if (m_table.Status() != RecordStatus::Ok ||
        !kGuestCategories.contains(m_table.GetField(Field::doorCategory).toString()))
        return std::nullopt;
    return currentRoom();
}
