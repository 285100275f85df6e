#include "cards/GuestRules.h"
#include "cards/RoomCardRules.h"

#include <gtest/gtest.h>

namespace {

using namespace RoomCardRules;
using GuestRules::CheckOutText;

constexpr double kNoon = 45444.5; // 2024-06-01 12:00
constexpr double kHour = 1.0 / 24;

TEST(RoomCardRulesTest, TheSuiteSearchReachesFourRoomsEitherSideWithinTheRoomNumbers)
{
    const struct
    {
        int32_t room;
        bool fiveDigits;
        DoorSpan span;
    } rows[] = {{103, false, {99, 107}},
                {2, false, {0, 6}},
                {9997, false, {9993, 9999}},
                {9997, true, {9993, 10001}},
                {99998, true, {99994, 99999}}};
    for (const auto &row : rows)
        EXPECT_EQ(SuiteSearchSpan(row.room, row.fiveDigits), row.span) << row.room << " " << row.fiveDigits;
}

TEST(RoomCardRulesTest, FourNeighboursGoLeftAndTheRestRightWithoutTheMainRoom)
{
    const auto rooms = [](std::initializer_list<int32_t> doors) {
        QList<SuiteRoom> list;
        for (int32_t door : doors)
            list.push_back({door, QStringLiteral("Room %1").arg(door)});
        return list;
    };
    const SuiteNeighbours full = SplitSuiteNeighbours(rooms({99, 100, 101, 102, 103, 104, 105, 106, 107}), 103);
    EXPECT_EQ(full.left, rooms({99, 100, 101, 102}));
    EXPECT_EQ(full.right, rooms({104, 105, 106, 107}));
    const SuiteNeighbours low = SplitSuiteNeighbours(rooms({1, 2, 3, 4, 5, 6}), 2);
    EXPECT_EQ(low.left, rooms({1, 3, 4, 5}));
    EXPECT_EQ(low.right, rooms({6}));
}

TEST(RoomCardRulesTest, AOneTimeCardRunsFromTheCurrentWholeHour)
{
    const double day = 45444;
    const struct
    {
        double now;
        int hours;
        double expiry;
    } rows[] = {
        {day + 22 * kHour + 40.0 / 1440, 3, day + 1 + kHour}, // 22:40 for 3 hours: tomorrow 01:00
        {kNoon, 1, day + 13 * kHour},
        {day + 23 * kHour + 59.0 / 1440, 49, day + 3},
    };
    for (const auto &row : rows)
        EXPECT_DOUBLE_EQ(OneTimeExpiry(row.now, row.hours), row.expiry) << row.hours;

    EXPECT_EQ(OneTimeHours(QString()), std::nullopt) << "empty hours empty the expiry";
    EXPECT_EQ(HoursUntil(kNoon, kNoon + 3.5 * kHour), 3);
    EXPECT_EQ(HoursUntil(kNoon, kNoon + 0.9 * kHour), std::nullopt) << "below one hour leaves the box empty";
}

TEST(RoomCardRulesTest, TheDoorRangeIsSwappedWhenGivenDownwards)
{
    const DoorRangeEntry upwards = ParseDoorRange(QStringLiteral("101"), QStringLiteral("108"));
    const DoorRangeEntry downwards = ParseDoorRange(QStringLiteral("108"), QStringLiteral("101"));
    EXPECT_EQ(QList<int32_t>({upwards.from, upwards.to, downwards.from, downwards.to}),
              QList<int32_t>({101, 108, 101, 108}));
    EXPECT_EQ(QList<bool>({upwards.swapped, downwards.swapped}), QList<bool>({false, true}));
    EXPECT_EQ(ParseDoorRange(QString(), QStringLiteral("108")).error, -31228);
    EXPECT_EQ(ParseDoorRange(QStringLiteral("101"), QStringLiteral(" ")).error, -31228);
}

TEST(RoomCardRulesTest, AFutureArrivalIsCheckedCheckInFirstThenCheckOut)
{
    const double checkIn = 45446 + 14 * kHour; // in two days at 14:00
    const QString in = CheckOutText(checkIn);
    const QString out = CheckOutText(checkIn + 3);
    const double week = 7 * 1440;
    const QString bad = QStringLiteral("soon");
    const struct
    {
        const char *what;
        QString checkIn;
        QString checkOut;
        double maxMinutes;
        int16_t error;
        ArrivalCheck::Box focus;
    } rows[] = {
        {"no check-in", QString(), bad, week, -31190, ArrivalCheck::CheckIn},
        {"a check-in that is no date", bad, bad, week, -31199, ArrivalCheck::CheckIn},
        {"a check-in in the past", CheckOutText(kNoon - kHour), bad, week, -31173, ArrivalCheck::CheckIn},
        {"a check-out that is no date", in, bad, 1, -31199, ArrivalCheck::CheckOut},
        {"a check-out before the check-in", in, CheckOutText(checkIn - kHour), 1, -31226, ArrivalCheck::CheckOut},
        {"longer than the operator may give", in, out, 3 * 1440 - 1, -31225, ArrivalCheck::CheckOut},
        {"the longest the operator may give", in, out, 3 * 1440, 0, ArrivalCheck::None},
        {"a check-in in the current minute", CheckOutText(kNoon), out, week, 0, ArrivalCheck::None},
    };
    for (const auto &row : rows) {
        const ArrivalCheck check = CheckArrival(row.checkIn, row.checkOut, 2, 11, kNoon + 20.0 / 86400, row.maxMinutes);
        EXPECT_EQ(check.error, row.error) << row.what;
        EXPECT_EQ(check.focus, row.focus) << row.what;
    }
    // Without a check-out the nights count from the check-in.
    const ArrivalCheck byNights = CheckArrival(in, QString(), 2, 11, kNoon, week);
    EXPECT_EQ(byNights.error, 0);
    EXPECT_DOUBLE_EQ(byNights.checkIn, checkIn);
    EXPECT_DOUBLE_EQ(byNights.checkOut, 45448 + 11 * kHour);
}

} // namespace
