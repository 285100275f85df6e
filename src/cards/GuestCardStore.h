#pragma once

#include "cards/GuestRules.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

class CardsIntf;
class RecordTable;

// The look-ups of the guest card dialog: its rooms, the common rooms it may tick and the name a
// card was issued to, on the dialog's table.
class GuestCardStore
{
public:
    static constexpr qint32 kFirstCommonRoom = 1;
    static constexpr qint32 kLastCommonRoom = 8;
    static bool isCommonRoom(qint32 number) { return number >= kFirstCommonRoom && number <= kLastCommonRoom; }

    struct Door
    {
        qint32 doorID = 0;
        QString name;
        qint32 commonRoom = 0; // its common-room number, if any
    };

    explicit GuestCardStore(RecordTable &table) : m_table(table) {}

    // The room a room-box entry names, 0 when it is none a guest card may be made for.
    qint32 guestRoom(const QString &entry, bool wingCodes);
    GuestRules::WingSplit splitRoom(qint32 room);
    // The room's valid card, its image read on the second card server.
    GuestRules::RoomCheck checkRoom(CardsIntf &second, qint32 room, double now, bool joiner, bool family, bool silent);

    // The common rooms in name order.
    QList<Door> commonRooms();
    // The common rooms with a doorID in the range, in doorID order.
    QList<Door> commonRoomsBetween(qint32 firstDoorID, qint32 lastDoorID);
    // Any door; nothing when it is gone.
    std::optional<Door> door(qint32 doorID);

    // The issue-to box text of a user ("" for the anonymous users 0 and 1 and for one gone).
    QString issueToText(qint32 userID);

private:
    Door currentDoor();

    RecordTable &m_table;
};
