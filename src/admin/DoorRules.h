#pragma once

#include "admin/WingRules.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <cstdint>

// What a door's category asks of the door dialog, and the checks of a door entry, free of widgets
// and the database.

struct DoorCategory
{
    char code;
    int16_t caption;
    bool named;       // the name is typed; guest rooms and apartments are named after their number
    bool guestRoom;   // G and L: the rooms guest cards, occupancy lists and override numbers work on
    bool commonRoom;  // a common-room number 1 to 8
    bool privateRoom; // a private-room number 1 to 15
    bool interval;    // serves a range of rooms
};

// The categories in the order the door dialog offers them.
const QList<DoorCategory> &DoorCategories();
// Null for a code that is no category.
const DoorCategory *FindDoorCategory(const QString &code);

// Door numbers from here on are door intervals, as the staff cards know them.
inline constexpr qint32 kFirstDoorInterval = 100000;
// At most this many doors are entered at once.
inline constexpr qint32 kMaxDoorsAtOnce = 1000;

// What the door dialog holds: one door (last == first) or an interval of doors.
struct DoorEntry
{
    qint32 first = 0;
    qint32 last = 0;
    QString category = QStringLiteral("G");
    QString name;
    qint32 doorGroupID = 0;
    qint32 commonRoom = 0;
    qint32 privateRoom = 0;
    QString intervalStart;
    QString intervalStop;
    qint32 overrideIncrement = 0; // below 16: the dialog's box offers no more
};

// The first failed check of an entry: a text number and the field to go to (0: none failed).
struct DoorCheck
{
    enum class Field { None, Number, Last, Category, Name, Area, CommonRoom, PrivateRoom, Interval };
    int16_t message = 0;
    Field field = Field::None;
};
DoorCheck CheckDoorEntry(const DoorEntry &entry);

// A wing row as the door names need it.
struct WingRow
{
    QString code;
    WingNumber number;
};
// The name a door gets: a guest room or apartment is named after the wing whose range holds it
// ("A345"), or by its plain number; a named door of an interval gets its number after the name.
QString DoorNameFor(const DoorEntry &entry, qint32 doorID, const QList<WingRow> &wings);
