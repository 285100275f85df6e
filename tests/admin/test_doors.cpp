#include "SessionFixture.h"
#include "admin/DoorStore.h"
#include "admin/MasterDataRemoval.h"
#include "components/recordtable/RecordTable.h"

namespace {

DoorEntry entry(qint32 first, qint32 last, const char *category, const char *name = "", qint32 area = 1)
{
    DoorEntry e;
    e.first = first;
    e.last = last;
    e.category = QLatin1String(category);
    e.name = QLatin1String(name);
    e.doorGroupID = area;
    return e;
}

TEST(DoorRules, EntriesAreCheckedInTheDialogsOrder)
{
    const struct
    {
        DoorEntry e;
        const char *rooms; // start-stop of E, N and Z doors
        int16_t message;
    } rows[] = {
        {entry(0, 0, "G"), "", -29819},
        {entry(110, 109, "G"), "", -29818},
        {entry(100, 1100, "G"), "", -29818},
        {entry(100, 1099, "G"), "", 0},
        {entry(99999, 100000, "L"), "", -29817},
        {entry(100000, 100000, "E", "Lift"), "101-130", 0},
        {entry(9001, 9002, "C", "Pool"), "", -29816},
        {entry(9001, 9002, "V", "Lounge"), "", -29816},
        {entry(9001, 9001, "O", " "), "", -29815},
        {entry(9001, 9001, "A", "Gate", 0), "", -29814},
        {entry(9001, 9001, "Z", "Zone"), "130-101", -29813},
        {entry(9001, 9001, "N", "Wing"), "101-x", -29813},
        {entry(9001, 9001, "N", "Wing"), "101-100000", -29813},
    };
    for (const auto &row : rows) {
        DoorEntry e = row.e;
        const QStringList rooms = QString::fromLatin1(row.rooms).split(QLatin1Char('-'));
        e.intervalStart = rooms.value(0);
        e.intervalStop = rooms.value(1);
        e.commonRoom = e.privateRoom = 1;
        EXPECT_EQ(CheckDoorEntry(e).message, row.message) << e.first << " " << e.category.toStdString();
    }
}

TEST(DoorRules, GuestRoomsAreNamedUnderTheirWing)
{
    const QList<WingRow> wings{{QStringLiteral("A"), WingNumberFromText(QStringLiteral("12"))},
                               {QStringLiteral("B"), WingNumberFromText(QStringLiteral("3"))}};
    const struct
    {
        DoorEntry e;
        qint32 doorID;
        const char *name;
    } rows[] = {
        {entry(12345, 12345, "G"), 12345, "A345"},         {entry(30007, 30009, "L"), 30008, "B8"},
        {entry(13000, 13000, "G"), 13000, "13000"},        {entry(1, 3, "A", "Store "), 2, "Store 2"},
        {entry(12345, 12345, "C", "Pool"), 12345, "Pool"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(DoorNameFor(row.e, row.doorID, wings), QLatin1String(row.name)) << row.doorID;
}

class DoorTest : public SessionTest, public clsIDoors
{
protected:
    void Add(int32_t) override {}
    void AddRange(int32_t, int32_t) override {}
    void Update(int32_t, int32_t) override {}
    void Remove(int32_t first, int32_t last) override { removed.append({first, last}); }
    void Refresh() override {}

    QList<std::pair<int32_t, int32_t>> removed;
    DoorStore store{db};
};

TEST_P(DoorTest, SavingRefusesStoredNumbersAndTakenCommonRooms)
{
    addDoorGroup(1, QStringLiteral("Floor"));
    addWing(QStringLiteral("A"), 1, -1);
    addDoor({.id = 9001, .name = QStringLiteral("Pool"), .category = QStringLiteral("C"), .commonRoom = 3});
    EXPECT_TRUE(SaveNewDoors(store, entry(10101, 10103, "G"), QStringLiteral("north")).outcome.saved);
    EXPECT_EQ(rowCount(TableId::Doors, QStringLiteral("doorName = ?"), {QStringLiteral("A102")}), 1);
    EXPECT_EQ(rowCount(TableId::Notes), 3) << "each door owns its note";

    DoorEntry gym = entry(9002, 9002, "O", "Gym");
    gym.commonRoom = 3;
    const struct
    {
        DoorSave save;
        int16_t message;
        QVariantList arguments;
    } rows[] = {
        {SaveNewDoors(store, entry(10100, 10101, "G"), {}), -29812, {10101}},
        {SaveNewDoors(store, gym, {}), -29811, {3, QStringLiteral("Pool")}},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(row.save.outcome.message, row.message);
        EXPECT_EQ(row.save.outcome.arguments, row.arguments);
    }
    EXPECT_EQ(rowCount(TableId::Doors), 4) << "a refused interval stores none of its doors";

    DoorStore::Door pool;
    ASSERT_TRUE(store.load(9001, pool).ok());
    pool.entry.doorGroupID = 1;
    EXPECT_TRUE(UpdateDoor(store, pool).outcome.saved) << "a door keeps its own common room";
}

TEST_P(DoorTest, DoorsThatValidCardsOpenAreAskedAboutAndRunsAreAnnounced)
{
    for (qint32 id : {101, 102, 103, 104})
        addDoor(id, QString::number(id));
    addCard({.registrationNumber = 0x100, .rooms = {103}, .issueTime = now - 1, .expireTime = now + 1});
    addCard({.registrationNumber = 0x200, .status = 0, .rooms = {104}, .issueTime = now - 1, .expireTime = now + 1});
    ws->session.notify.SubscribeDoors(this, Notify::handleOf(this));
    messages->expect(-29808, 1).expect(-29809, 1);
    const QList<DoorRow> rows{{101, "101"}, {102, "102"}, {103, "103"}, {104, "104"}};
    const RemovalContext context{db, *messages, ws->session.notify, ws->session.authority};
    EXPECT_EQ(RemoveDoors(context, rows), QList<qint32>({101, 102, 104})) << "104's card is cancelled";
    EXPECT_EQ(removed, (QList<std::pair<int32_t, int32_t>>{{101, 102}, {104, 104}}));
    EXPECT_EQ(rowCount(TableId::Doors), 1);
    ws->session.notify.UnsubscribeDoors(Notify::handleOf(this));
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Engines, DoorTest, ::testing::Values("sqlite", "postgresql"));
