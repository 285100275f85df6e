#include "GuestCardFixture.h"
#include "cards/LockModeRules.h"
#include "cards/LockModeStore.h"
#include "components/recordtable/RecordTable.h"

using namespace LockModeRules;

namespace {

TEST(LockModeRulesTest, StandOpenHoursAndPowerDownDaysAreBounded)
{
    const struct
    {
        const char *what;
        Block block;
        Block expected;
    } rows[] = {
        {"stand-open 64 hours", StandOpenBlock(StandOpen::ForHours, QStringLiteral("64")), {-31185, 0, {}}},
        {"stand-open 0 hours", StandOpenBlock(StandOpen::ForHours, QStringLiteral("0")), {-31185, 0, {}}},
        {"stand-open 1 hour", StandOpenBlock(StandOpen::ForHours, QStringLiteral("1")), {0, 102, {1}}},
        {"power-down 10 days", PowerDownBlock(QStringLiteral("10")), {0, 107, {240}}},
        {"power-down 11 days", PowerDownBlock(QStringLiteral("11")), {-31212, 0, {}}},
        {"power-down 0 days", PowerDownBlock(QStringLiteral("0")), {-31212, 0, {}}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(std::tie(row.block.error, row.block.type, row.block.values),
                  std::tie(row.expected.error, row.expected.type, row.expected.values));
    }
}

TEST(LockModeRulesTest, PowerDownRangesAndTheDoorCheckSkip)
{
    const struct
    {
        const char *from, *to;
        int16_t error;
        qint32 first, last;
        bool skip;
    } rows[] = {
        {"", "105", -31207, 0, 0, true}, {"101", "", 0, 101, 101, false}, {"101", "108", 0, 101, 108, false},
        {"0", "", 0, 0, 0, true},        {"0", "5", 0, 0, 5, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.from) + " to " + row.to);
        const RoomRange range = PowerDownRange(QLatin1String(row.from), QLatin1String(row.to));
        EXPECT_EQ(std::tie(range.error, range.from, range.to), std::tie(row.error, row.first, row.last));
        EXPECT_EQ(SkipsDoorCheck(range.from, range.to), row.skip);
    }
}

// Guest rooms 101 to 108 and 12345 (G), 29999 (L), a lobby 109 (A); common rooms 901 to 903 between.
TEST_P(GuestCardTest, TheLockModeStoreFindsAndWalksGuestRoomsOnly)
{
    addDoor(109, QStringLiteral("Lobby"), QStringLiteral("A"));
    RecordTable table(db);
    EXPECT_EQ(LockModeStore(table).guestRoomSpan(104, 30000), std::make_pair(104, 29999));
    EXPECT_EQ(LockModeStore(table).guestRoomSpan(900, 999), std::nullopt);
    QList<qint32> walked;
    for (LockModeStore::RoomWalk walk(table, 104, 30000); walk.atRoom(); walk.next())
        walked << walk.room();
    EXPECT_EQ(walked, (QList<qint32>{104, 105, 106, 107, 108, 109, 12345, 29999}));
}

} // namespace
