#include "cards/RoomCardRules.h"

#include "cards/GuestRules.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "core/OleDate.h"

#include <cmath>

namespace RoomCardRules {

namespace {

constexpr int32_t kSuiteReach = 4;
constexpr qsizetype kLeftRooms = 4;
constexpr int32_t kLastFourDigitRoom = 9999;
constexpr int32_t kLastFiveDigitRoom = 99999;
// A thousandth of a minute absorbs the rounding of the day fractions.
constexpr double kMinuteSlack = 0.001;

} // namespace

DoorSpan SuiteSearchSpan(int32_t mainRoom, bool fiveDigits)
{
    const int32_t top = fiveDigits ? kLastFiveDigitRoom : kLastFourDigitRoom;
    return {std::max(mainRoom - kSuiteReach, 0), std::min(mainRoom + kSuiteReach, top)};
}

SuiteNeighbours SplitSuiteNeighbours(const QList<SuiteRoom> &found, int32_t mainRoom)
{
    SuiteNeighbours neighbours;
    for (const SuiteRoom &room : found) {
        if (room.doorID == mainRoom)
            continue;
        (neighbours.left.size() < kLeftRooms ? neighbours.left : neighbours.right).push_back(room);
    }
    return neighbours;
}

SuiteNeighbours FindSuiteNeighbours(RecordTable &table, int32_t mainRoom, bool fiveDigits)
{
    const DoorSpan span = SuiteSearchSpan(mainRoom, fiveDigits);
    QList<SuiteRoom> found;
    table.SelectTable(TableId::Doors);
    table.OpenQuery(QString(Field::doorID) + QStringLiteral(" >= ? and ") + Field::doorID +
                        QStringLiteral(" <= ? and ") + Field::doorCategory + QStringLiteral(" in(?,?,?)"),
                    QString(Field::doorID));
    table.AddParameter(span.first);
    table.AddParameter(span.last);
    for (const char *category : {"G", "L", "A"})
        table.AddParameter(QString::fromLatin1(category));
    for (; table.Status() == RecordStatus::Ok; table.MoveNext())
        found.push_back({table.GetField(Field::doorID).toInt(), table.GetField(Field::doorName).toString()});
    table.CloseQuery();
    return SplitSuiteNeighbours(found, mainRoom);
}

bool IsRoomOccupied(RecordTable &table, int32_t doorID, double now)
{
    table.SelectTable(TableId::DoorCardView);
    // As the guest card's room check: a cancelled card (status 0) leaves the room vacant.
    table.OpenQuery(QString(Field::doorID) + QStringLiteral(" = ? and ") + Field::expireTime +
                        QStringLiteral(" > ? and status <> 0"),
                    QString(Field::startTime));
    table.AddParameter(doorID);
    table.AddParameter(now);
    const bool occupied = table.Status() == RecordStatus::Ok;
    table.CloseQuery();
    return occupied;
}

ArrivalCheck CheckArrival(const QString &checkInText, const QString &checkOutText, int nights, int checkOutHour,
                          double now, double maxValidityMinutes)
{
    ArrivalCheck check;
    const auto refuse = [&check](int16_t error, ArrivalCheck::Box focus) {
        check.error = error;
        check.focus = focus;
        return check;
    };
    if (checkInText.trimmed().isEmpty())
        return refuse(-31190, ArrivalCheck::CheckIn);
    const std::optional<double> checkIn = GuestRules::ParseCheckOut(checkInText);
    if (!checkIn)
        return refuse(-31199, ArrivalCheck::CheckIn);
    // The box holds whole minutes: a check-in typed for the current minute is not in the past.
    if (*checkIn < std::floor(now * 1440.0) / 1440.0)
        return refuse(-31173, ArrivalCheck::CheckIn);
    check.checkIn = *checkIn;
    if (checkOutText.trimmed().isEmpty()) {
        check.checkOut = GuestRules::CheckOutAfterNights(*checkIn, nights, checkOutHour);
    } else {
        const std::optional<double> checkOut = GuestRules::ParseCheckOut(checkOutText);
        if (!checkOut)
            return refuse(-31199, ArrivalCheck::CheckOut);
        check.checkOut = *checkOut;
    }
    if (check.checkOut < check.checkIn)
        return refuse(-31226, ArrivalCheck::CheckOut);
    if ((check.checkOut - check.checkIn) * 1440.0 > maxValidityMinutes + kMinuteSlack)
        return refuse(-31225, ArrivalCheck::CheckOut);
    return check;
}

double OneTimeExpiry(double now, int hours)
{
    const int hour = OleDate::toTime(now).hour() + hours;
    return OleDate::wholeDay(now) + hour / 24 + (hour % 24) / 24.0;
}

std::optional<int> OneTimeHours(const QString &text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return static_cast<int>(std::lround(value));
}

std::optional<int> HoursUntil(double now, double expiry)
{
    const int hours = static_cast<int>((expiry - now) * 24.0 + kMinuteSlack / 60.0);
    if (hours < 1)
        return std::nullopt;
    return hours;
}

DoorRangeEntry ParseDoorRange(const QString &fromText, const QString &toText)
{
    DoorRangeEntry range;
    const QString from = fromText.trimmed();
    const QString to = toText.trimmed();
    if (from.isEmpty() || to.isEmpty()) {
        range.error = -31228;
        return range;
    }
    range.from = from.toInt();
    range.to = to.toInt();
    if (range.to < range.from) {
        std::swap(range.from, range.to);
        range.swapped = true;
    }
    return range;
}

bool HasDoorInRange(RecordTable &table, int32_t from, int32_t to)
{
    table.SelectTable(TableId::Doors);
    table.OpenQuery(QString(Field::doorID) + QStringLiteral(" >= ? and ") + Field::doorID + QStringLiteral(" <= ?"),
                    QString(Field::doorID));
    table.AddParameter(from);
    table.AddParameter(to);
    const bool found = table.Status() == RecordStatus::Ok;
    table.CloseQuery();
    return found;
}

} // namespace RoomCardRules
