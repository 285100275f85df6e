#pragma once

#include <QtGlobal>

#include <optional>
#include <utility>

class RecordTable;

// The door look-ups of the lock-mode cards on the dialog's table: whether a range holds guest
// rooms, and the walk over them of the power-down run.
class LockModeStore
{
public:
    explicit LockModeStore(RecordTable &table) : m_table(table) {}

    // The first and last guest room (categories G, L, A) of the range; nothing when it has none.
    std::optional<std::pair<qint32, qint32>> guestRoomSpan(qint32 from, qint32 to);

    // The guest rooms of a range in doorID order, on a query held open until the walk ends.
    class RoomWalk
    {
    public:
        RoomWalk(RecordTable &table, qint32 from, qint32 to);
        ~RoomWalk();
        RoomWalk(const RoomWalk &) = delete;
        RoomWalk &operator=(const RoomWalk &) = delete;

        bool atRoom() const { return m_atRoom; }
        qint32 room() const { return m_room; }
        void next();

    private:
        void read();

        RecordTable &m_table;
        bool m_atRoom = false;
        qint32 m_room = 0;
    };

private:
    std::optional<qint32> endRoom(qint32 from, qint32 to, bool last);

    RecordTable &m_table;
};
