#include "GuestCardFixture.h"
#include "cards/LockModeRules.h"
#include "cards/LockModeStore.h"
#include "components/recordtable/RecordTable.h"

using namespace LockModeRules;

namespace {

TEST(LockModeRulesTest, StandOpenHoursAndPowerDownDaysGiveTheBlock)
{
    const struct
    {
        const char *what;
        Block block;
        Block expected;
    } rows[] = {
        {"next use", StandOpenBlock(StandOpen::NextUse, QStringLiteral("99")), {0, 103, {}}},
        {"until midnight", StandOpenBlock(StandOpen::UntilMidnight, QString()), {0, 102, {192}}},
        {"1 hour", StandOpenBlock(StandOpen::ForHours, QStringLiteral("1")), {0, 102, {1}}},
        {"63 hours", StandOpenBlock(StandOpen::ForHours, QStringLiteral("63")), {0, 102, {63}}},
        {"64 hours", StandOpenBlock(StandOpen::ForHours, QStringLiteral("64")), {-31185, 0, {}}},
        {"0 hours", StandOpenBlock(StandOpen::ForHours, QStringLiteral("0")), {-31185, 0, {}}},
        {"no hours", StandOpenBlock(StandOpen::ForHours, QString()), {-31185, 0, {}}},
        {"power down 1 day", PowerDownBlock(QStringLiteral("1")), {0, 107, {24}}},
        {"power down 10 days", PowerDownBlock(QStringLiteral("10")), {0, 107, {240}}},
        {"power down 11 days", PowerDownBlock(QStringLiteral("11")), {-31212, 0, {}}},
        {"power down 0 days", PowerDownBlock(QStringLiteral("0")), {-31212, 0, {}}},
        {"power down no days", PowerDownBlock(QString()), {-31212, 0, {}}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(row.block.error, row.expected.error);
        EXPECT_EQ(row.block.type, row.expected.type);
        EXPECT_EQ(row.block.values, row.expected.values);
    }
}

TEST(LockModeRulesTest, RangesOfThePowerDownAndTheDoorCheckSkip)
{
    const struct
    {
        const char *from, *to;
        RoomRange range;
        bool skip;
    } rows[] = {
        {"", "105", {-31207, 0, 0}, false}, {"101", "", {0, 101, 101}, false}, {"101", "108", {0, 101, 108}, false},
        {"0", "0", {0, 0, 0}, true},        {"0", "", {0, 0, 0}, true},        {"0", "5", {0, 0, 5}, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.from) + " to " + row.to);
        const RoomRange range = PowerDownRange(QLatin1String(row.from), QLatin1String(row.to));
        EXPECT_EQ(range.error, row.range.error);
        EXPECT_EQ(range.from, row.range.from);
        EXPECT_EQ(range.to, row.range.to);
        if (range.error == 0) {
            EXPECT_EQ(SkipsDoorCheck(range.from, range.to), row.skip);
        }
    }
}

// The hotel: guest rooms 101 to 108 (G), common rooms 901 to 903 (C), 12345 (G) and 29999 (L).
TEST_P(GuestCardTest, TheLockModeStoreFindsAndWalksGuestRoomsOnly)
{
    addDoor(109, QStringLiteral("Lobby"), QStringLiteral("A"));
    const struct
    {
        qint32 from, to;
        QList<qint32> rooms;
    } rows[] = {
        {100, 110, {101, 102, 103, 104, 105, 106, 107, 108, 109}},
        {104, 106, {104, 105, 106}},
        {900, 999, {}},
        {200, 12344, {}},
        {900, 30000, {12345, 29999}},
    };
    RecordTable table(db);
    for (const auto &row : rows) {
        SCOPED_TRACE(std::to_string(row.from) + " to " + std::to_string(row.to));
        const auto span = LockModeStore(table).guestRoomSpan(row.from, row.to);
        ASSERT_EQ(span.has_value(), !row.rooms.isEmpty());
        if (span) {
            EXPECT_EQ(*span, std::make_pair(row.rooms.front(), row.rooms.back()));
        }
        QList<qint32> walked;
        for (LockModeStore::RoomWalk walk(table, row.from, row.to); walk.atRoom(); walk.next())
            walked << walk.room();
        EXPECT_EQ(walked, row.rooms);
    }
}

} // namespace
