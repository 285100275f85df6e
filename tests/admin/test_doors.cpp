#include "SessionFixture.h"
#include "admin/DoorStore.h"
#include "admin/MasterDataRemoval.h"
#include "admin/OperatorStore.h"
#include "components/recordtable/RecordTable.h"
#include "session/Authority.h"

#include <tuple>

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

namespace {

TEST(OperatorRules, PasswordsFollowThePinParameters)
{
    const struct
    {
        int32_t pinMin;
        bool mandatory, stored;
        const char *typed, *repeated;
        int16_t message;
        bool change;
    } rows[] = {
        {6, true, false, "", "", -29804, false},
        {6, true, true, "", "", 0, false},
        {6, false, false, "", "", 0, false},
        {6, false, false, "secret", "secreT", -29803, false},
        {6, false, false, "12345", "12345", -29802, false},
        {6, false, false, "123456", "123456", 0, true},
        {9, false, false, "1234", "1234", 0, true},
        {3, false, false, "123", "123", -29802, false},
    };
    for (const auto &row : rows) {
        const PasswordCheck check = CheckPassword(QLatin1String(row.typed), QLatin1String(row.repeated),
                                                  PasswordRulesOf(row.pinMin, row.mandatory), row.stored);
        EXPECT_EQ(check.message, row.message) << row.typed;
        EXPECT_EQ(check.change, row.change) << row.typed;
    }
}

TEST(OperatorRules, RightsOnOperatorsAndPasswords)
{
    const struct
    {
        qint32 operators, passwords;
        bool stored, hasPassword;
        OperatorRights expected; // save, update, password, remove
    } rows[] = {
        {3, 2, false, false, {true, false, true, false}}, {3, 4, false, false, {true, false, false, false}},
        {5, 2, true, true, {false, true, false, false}},  {5, 4, true, true, {false, true, true, false}},
        {9, 0, true, false, {false, false, false, true}}, {9, 7, true, true, {false, false, false, false}},
        {9, 8, true, true, {false, false, false, true}},
    };
    for (const auto &row : rows) {
        const OperatorRights r = OperatorRightsOf(row.operators, row.passwords, row.stored, row.hasPassword);
        EXPECT_EQ(std::tie(r.save, r.update, r.password, r.remove),
                  std::tie(row.expected.save, row.expected.update, row.expected.password, row.expected.remove))
            << row.operators << "/" << row.passwords;
    }
}

TEST_P(DoorTest, OperatorsAreSavedWithAHashedPasswordAndNeverRemoveThemselves)
{
    addTemplate(310, QStringLiteral("Night desk"));
    logOnDesk({{Authority::TableRightsBase + TableId::Operators, 15}});
    OperatorStore ops(db);
    OperatorStore::Operator op{.userID = 0, .operatorTemplateID = 310, .expireTime = NoExpiry};
    const PasswordRules rules{6, true};
    EXPECT_EQ(SaveOperator(ops, op, false, {}, {}, rules, now).outcome.message, -29807);
    op.userID = deskID;
    EXPECT_EQ(SaveOperator(ops, op, false, {}, {}, rules, now).outcome.message, -29806);
    ASSERT_TRUE(ops.load(deskID, op).ok());
    op.operatorTemplateID = 310;
    EXPECT_EQ(SaveOperator(ops, op, true, {}, {}, rules, now).outcome.message, 0) << "a stored password stays";
    op.expireTime = now - 1;
    EXPECT_EQ(SaveOperator(ops, op, true, {}, {}, rules, now).outcome.message, -29801);
    op.expireTime = NoExpiry;
    EXPECT_TRUE(
        SaveOperator(ops, op, true, QStringLiteral("night-pw"), QStringLiteral("night-pw"), rules, now).outcome.saved);
    EXPECT_EQ(rowCount(TableId::Passwords, QStringLiteral("password = ?"), {QStringLiteral("night-pw")}), 0);
    EXPECT_EQ(rowCount(TableId::Operators, QStringLiteral("operatorTemplateID = ?"), {310}), 1);

    messages->expect(-29800);
    const RemovalContext context{db, *messages, ws->session.notify, ws->session.authority};
    EXPECT_TRUE(RemoveOperators(context, {{deskID, QStringLiteral("desk")}}, deskID).isEmpty());
    EXPECT_TRUE(hasRow(TableId::Operators, QStringLiteral("userID"), deskID));
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Engines, DoorTest, ::testing::Values("sqlite", "postgresql"));
