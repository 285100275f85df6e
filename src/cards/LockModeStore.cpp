#include "cards/LockModeStore.h"

#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"

namespace {

void openGuestRooms(RecordTable &table, qint32 from, qint32 to, bool descending)
{
    const QString id = QString(Field::doorID);
    const QString category = QString(Field::doorCategory) + QStringLiteral(" = ?");
    table.SelectTable(TableId::Doors);
    table.OpenQuery(id + QStringLiteral(" >= ? and ") + id + QStringLiteral(" <= ? and (") + category +
                        QStringLiteral(" or ") + category + QStringLiteral(" or ") + category + QLatin1Char(')'),
                    descending ? id + QStringLiteral(" desc") : id);
    table.AddParameter(from);
    table.AddParameter(to);
    for (const char *kind : {"G", "L", "A"})
        table.AddParameter(QString::fromLatin1(kind));
}

} // namespace

std::optional<qint32> LockModeStore::endRoom(qint32 from, qint32 to, bool last)
{
    openGuestRooms(m_table, from, to, last);
    std::optional<qint32> room;
    if (m_table.Status() == RecordStatus::Ok)
        room = m_table.GetField(Field::doorID).toInt();
    m_table.CloseQuery();
    return room;
}

std::optional<std::pair<qint32, qint32>> LockModeStore::guestRoomSpan(qint32 from, qint32 to)
{
    const std::optional<qint32> first = endRoom(from, to, false);
    const std::optional<qint32> last = first ? endRoom(from, to, true) : std::nullopt;
    if (!first || !last)
        return std::nullopt;
    return std::make_pair(*first, *last);
}

LockModeStore::RoomWalk::RoomWalk(RecordTable &table, qint32 from, qint32 to) : m_table(table)
{
    openGuestRooms(m_table, from, to, false);
    read();
}

LockModeStore::RoomWalk::~RoomWalk()
{
    m_table.CloseQuery();
}

void LockModeStore::RoomWalk::next()
{
    m_table.MoveNext();
    read();
}

void LockModeStore::RoomWalk::read()
{
    m_atRoom = m_table.Status() == RecordStatus::Ok;
    m_room = m_atRoom ? m_table.GetField(Field::doorID).toInt() : 0;
}
