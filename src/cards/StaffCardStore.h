#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

class RecordTable;

// The look-ups of the staff and operator card dialogs on the dialog's table: the doors a range
// opens, the common and private rooms, the card's user and operator.
class StaffCardStore
{
public:
    // Door IDs from here on are door intervals: entrances that serve a range of rooms.
    static constexpr qint32 kFirstInterval = 100000;

    struct Door
    {
        qint32 doorID = 0;
        QString name;
        qint32 number = 0; // its common-room or private-room number
    };

    explicit StaffCardStore(RecordTable &table) : m_table(table) {}

    // A door in the range, or, with intervals, a door interval whose rooms lie inside the range.
    bool rangeOpensDoors(qint32 first, qint32 last, bool intervals);

    // The door with that common-room number; with doorID only when it is that door.
    std::optional<Door> commonRoom(qint32 number, std::optional<qint32> doorID = std::nullopt);
    // Common rooms 1 to 8 in name order.
    QList<Door> commonRooms();
    // Private rooms 1 to 15 in name order; one door when doorID is given.
    QList<Door> privateRooms(std::optional<qint32> doorID = std::nullopt);

    // "surname, firstname" (either alone when the other is empty, text 16128 for neither);
    // nothing when the user is gone.
    std::optional<QString> userName(qint32 userID);
    // The operator's template name; nothing when the user is no operator.
    std::optional<QString> operatorTemplate(qint32 userID);

private:
    QList<Door> numberedDoors(QLatin1String field, qint32 first, qint32 last, std::optional<qint32> doorID);

    RecordTable &m_table;
};
