#pragma once

#include <QList>
#include <QString>

#include <cstdint>
#include <optional>

class RecordTable;

// The rules of the suite, future-arrival and one-time card dialogs that need no window. What
// they share with the guest card (room entry, check-out, issue-to name) is in GuestRules.
namespace RoomCardRules {

// Suite: the doors searched around a main room, four on either side, kept within the room
// numbers of the installation (9999, or 99999 with five-digit rooms).
struct DoorSpan
{
    int32_t first = 0;
    int32_t last = 0;
    bool operator==(const DoorSpan &) const = default;
};
DoorSpan SuiteSearchSpan(int32_t mainRoom, bool fiveDigits);

struct SuiteRoom
{
    int32_t doorID = 0;
    QString name;
    bool operator==(const SuiteRoom &) const = default;
};
struct SuiteNeighbours
{
    QList<SuiteRoom> left;
    QList<SuiteRoom> right;
};
// The guest rooms found in the span, in doorID order, shared out: the main room skipped, the
// first four to the left list, the rest to the right.
SuiteNeighbours SplitSuiteNeighbours(const QList<SuiteRoom> &found, int32_t mainRoom);
// The guest rooms (categories G, L, A) of the span around the main room, shared out.
SuiteNeighbours FindSuiteNeighbours(RecordTable &table, int32_t mainRoom, bool fiveDigits);
// True when the door has a card whose expiry lies after now (the first such in start order).
bool IsRoomOccupied(RecordTable &table, int32_t doorID, double now);

// Future arrival: the check-in and check-out in the order they are checked. An empty check-out
// falls back to the nights after check-in at the check-out hour.
struct ArrivalCheck
{
    enum Box { None, CheckIn, CheckOut };
    int16_t error = 0; // message text number; 0 when both are good
    Box focus = None;
    double checkIn = 0;
    double checkOut = 0;
};
ArrivalCheck CheckArrival(const QString &checkInText, const QString &checkOutText, int nights, int checkOutHour,
                          double now, double maxValidityMinutes);

// One-time card: the expiry after a number of hours counted from the current whole hour.
double OneTimeExpiry(double now, int hours);
// The hours box: empty gives nothing, otherwise the value rounded to a whole number.
std::optional<int> OneTimeHours(const QString &text);
// The whole hours from now until an expiry; nothing when below one.
std::optional<int> HoursUntil(double now, double expiry);

struct DoorRangeEntry
{
    int16_t error = 0; // -31228 when a box is empty
    int32_t from = 0;
    int32_t to = 0;
    bool swapped = false;
};
// The door range of the two room boxes, swapped when the last is below the first.
DoorRangeEntry ParseDoorRange(const QString &fromText, const QString &toText);
// True when the Doors table holds a door in the range.
bool HasDoorInRange(RecordTable &table, int32_t from, int32_t to);

} // namespace RoomCardRules
