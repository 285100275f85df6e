#pragma once

#include <QChar>
#include <QList>
#include <QLocale>
#include <QString>

#include <cstdint>
#include <optional>

class CardsIntf;
class RecordTable;

// The rules of the guest and joiner card dialog that need no window: room numbers with wing
// codes, the room box's format, nights and check-out, the issue-to name and the room check.
namespace GuestRules {

// The room box: 4 characters, 5 with five-digit rooms, 6 when wing codes come on top.
int RoomNumberMaxLength(bool fiveDigits, bool wingCodes);

// What CheckRoomList leaves in the room box: an entry longer than the maximum or not numeric is
// emptied, except with five digits and wing codes, where a wing entry is kept.
QString CheckRoomEntry(const QString &entry, bool fiveDigits, bool wingCodes);

// The character a key types into the room box, or a null QChar when the key is swallowed: digits;
// with wing codes also letters, lower case taken as upper case.
QChar FilterRoomKey(QChar key, bool wingCodes);

// True for an entry of digits only.
bool IsNumericEntry(const QString &entry);

// The full room number of an entry; 0 when it names no room (unknown wing, a number out of the
// wing's range, an empty text).
int32_t ParseRoomEntry(RecordTable &table, const QString &entry, bool wingCodes);

// A door of the system a guest card may be made for (category G, L or A).
bool IsValidRoom(RecordTable &table, int32_t room);

struct WingSplit
{
    QString wingCode; // "" when the room lies in no wing
    int32_t number = 0;
    QString text() const { return wingCode + QString::number(number); }
};

// The wing of a guest room (category G or L) and its number within the wing.
WingSplit SplitRoom(RecordTable &table, int32_t room);

// The hour of the default check-out, from NormalCheckOut in minutes after midnight.
int DefaultCheckOutHour(int32_t normalCheckOut);

// The check-out nights after now at the given hour (minutes 00).
double CheckOutAfterNights(double now, int nights, int hour);
// Whole days from now to the check-out.
int NightsUntil(double now, double checkOut);
// "short date", a blank and the time without seconds.
QString CheckOutText(double checkOut, const QLocale &locale = QLocale());
// A check-out typed as a short date with or without a time; nullopt when it is none.
std::optional<double> ParseCheckOut(const QString &text, const QLocale &locale = QLocale());

struct IssueToName
{
    int16_t error = 0; // message text number; 0 when the entry is good
    QString surname;
    QString firstname;
    // The box as rewritten: the surname alone, or surname, ", " and first name.
    QString boxText() const;
};

// The surname before the first comma and the first name after it, both trimmed; a second comma
// gives -31156, either part over 32 characters -31128.
IssueToName ParseIssueTo(const QString &text);

struct RoomRange
{
    int32_t first = 0;
    int32_t last = 0;
    bool contains(int32_t door) const { return door >= first && door <= last; }
    bool operator==(const RoomRange &) const = default;
};

// What the room check found about the valid card of a room.
struct RoomCheck
{
    enum Result { NoCard = 0, OtherMainRoom = 1, ValidCard = 2 };
    int result = NoCard;
    int32_t registrationNumber = 0;
    double expireTime = 0;
    bool imageLoaded = false;      // the card's image is on the second card server
    QList<int32_t> connectedRooms; // block-97 rooms besides the main room, at most seven
    QList<RoomRange> commonRanges; // block-98 ranges
};

inline constexpr int MaxConnectedRooms = 7;

// The valid card of the room now: guest mode only asks whether there is one; joiner mode reads
// the guest card's image (with Family on only when not silent) for its connected and common rooms.
RoomCheck CheckRoom(RecordTable &table, CardsIntf &second, int32_t room, double now, bool joiner, bool family,
                    bool silent);

} // namespace GuestRules
