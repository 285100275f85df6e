#include "SessionFixture.h"
#include "cards/OverrideStore.h"
#include "cards/RoomOverrides.h"
#include "components/recordtable/RecordTable.h"

namespace {

// A room-file record: room digits, status byte, override byte, door digits.
QByteArray record(const char *room, char status, quint8 overrideNumber, const char *door)
{
    QByteArray r(25, '\x7f');
    r.replace(0, 4, room);
    r[4] = status;
    r[10] = char(overrideNumber);
    r.replace(20, 5, door);
    return r;
}

TEST(RoomFile, WholeRecordsAfterTheHeaderWithStatusZeroAndDigitsCount)
{
    const QByteArray header(150, 'H');
    const QByteArray good = record("0101", 0, 250, "00101");
    const struct
    {
        const char *what;
        QByteArray file;
        std::optional<QList<RoomOverride>> rooms;
    } rows[] = {
        {"header only", header, std::nullopt},
        {"174 bytes", header + good.left(24), std::nullopt},
        {"175 bytes", header + good, QList<RoomOverride>{{"00101", "0101", 250}}},
        {"trailing part ignored", header + good + record("0102", 0, 7, "00102") + good.left(24),
         QList<RoomOverride>{{"00101", "0101", 250}, {"00102", "0102", 7}}},
        {"status not 0", header + record("0101", 1, 3, "00101"), QList<RoomOverride>{}},
        {"room not digits", header + record("01A1", 0, 3, "00101"), QList<RoomOverride>{}},
        {"door not digits", header + record("0101", 0, 3, "0010 "), QList<RoomOverride>{}},
        {"empty", QByteArray(), std::nullopt},
    };
    for (const auto &row : rows)
        EXPECT_EQ(ParseRoomFile(row.file), row.rooms) << row.what;
}

TEST(RoomOverrideRules, ArithmeticStepsAndTemplates)
{
    for (const auto &[number, offset, result] : {std::tuple{250, 10, 4}, {255, 1, 0}, {5, 15, 20}, {0, 0, 0}})
        EXPECT_EQ(OverrideAfterOffset(number, offset), result) << number << "+" << offset;
    const std::pair<const char *, std::optional<int>> steps[] = {
        {"0", 0}, {"15", 15}, {"015", 15}, {"16", std::nullopt}, {"99", {}}, {"99999999999", {}}, {"0000000000016", {}},
    };
    for (const auto &[typed, step] : steps)
        EXPECT_EQ(OverrideStep(QLatin1String(typed)), step) << typed;
    for (const auto &[templateID, may] : {std::pair{299, false}, {300, true}, {999, true}, {1000, false}})
        EXPECT_EQ(TemplateMaySaveOverrides(templateID), may) << templateID;
}

class OverrideStoreTest : public SessionTest
{
};

TEST_P(OverrideStoreTest, ARowReachesOnlyTheDoorWithItsRoomNumber)
{
    addDoor(101, QStringLiteral("101"));
    RecordTable t(db);
    t.SelectTable(TableId::Doors);
    t.SetField(QStringLiteral("doorID"), 101);
    t.FindRecord();
    t.SetField(QStringLiteral("trueRoom"), 1101);
    t.SetField(QStringLiteral("lastOverrideNumber"), 9);
    t.UpdateRecord();
    ASSERT_STATUS(t, RecordStatus::Ok);
    const auto stored = [&] {
        t.SelectTable(TableId::Doors);
        t.SetField(QStringLiteral("doorID"), 101);
        t.FindRecord();
        return t.GetField(QStringLiteral("lastOverrideNumber")).toInt();
    };
    OverrideStore store(db);
    EXPECT_EQ(store.saveRow({"00101", "1102", 250}, 10), OverrideStore::RowOutcome::DoorNotFound);
    EXPECT_EQ(store.saveRow({"00102", "1101", 250}, 10), OverrideStore::RowOutcome::DoorNotFound);
    EXPECT_EQ(stored(), 9);
    EXPECT_EQ(store.saveRow({"00101", "1101", 250}, 10), OverrideStore::RowOutcome::Saved);
    EXPECT_EQ(stored(), 4);
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Engines, OverrideStoreTest, ::testing::Values("sqlite", "postgresql"));
