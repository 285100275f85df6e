#pragma once

#include "components/recordtable/RecordTable.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

// The door look-ups of the group check-in: door areas and their guest rooms (categories G, L, A).
class GroupCheckInStore
{
public:
    struct Area
    {
        qint32 doorGroupID = 0;
        QString name;
    };
    struct Room
    {
        qint32 doorID = 0;
        qint32 doorGroupID = 0;
        QString name;
    };

    explicit GroupCheckInStore(RecordDatabase &db) : m_table(db) {}

    // Every door area in name order.
    QList<Area> areas();
    // The area's name; nothing when it is gone.
    std::optional<QString> areaName(qint32 doorGroupID);
    // The guest rooms of an area in doorID order.
    QList<Room> roomsOfArea(qint32 doorGroupID);
    // The guest rooms with a doorID in the range, in doorID order.
    QList<Room> roomsBetween(qint32 firstDoorID, qint32 lastDoorID);
    // The door as a guest room; nothing when it is gone or of another category.
    std::optional<Room> room(qint32 doorID);

private:
    Room currentRoom();

    RecordTable m_table;
};
