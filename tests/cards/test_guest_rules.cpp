#include "GuestCardFixture.h"
#include "cards/GuestCardStore.h"
#include "cards/GuestRules.h"
#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/RecordTable.h"
#include "core/OleDate.h"

using namespace GuestRules;

namespace {

TEST(GuestRulesTest, TheRoomBoxLengthAndWhatCheckRoomListKeeps)
{
    const struct
    {
        bool fiveDigits, wingCodes;
        const char *entry;
        int maxLength;
        const char *kept;
    } rows[] = {
        {false, false, "1234", 4, "1234"},   {false, false, "12345", 4, ""}, {true, false, "12345", 5, "12345"},
        {true, false, "123456", 5, ""},      {false, true, "A345", 4, ""},   {true, true, "A345", 6, "A345"},
        {true, true, "AB1234", 6, "AB1234"}, {false, false, "12a", 4, ""},   {false, false, "", 4, ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.entry);
        EXPECT_EQ(RoomNumberMaxLength(row.fiveDigits, row.wingCodes), row.maxLength);
        EXPECT_EQ(CheckRoomEntry(QLatin1String(row.entry), row.fiveDigits, row.wingCodes), QLatin1String(row.kept));
    }
}

TEST(GuestRulesTest, TheRoomBoxTakesDigitsAndWithWingCodesLetters)
{
    const struct
    {
        char key;
        bool wingCodes;
        char typed; // 0: swallowed
    } rows[] = {{'7', false, '7'}, {'A', false, 0}, {'A', true, 'A'}, {'q', true, 0},
                {'-', true, 0},    {' ', true, 0},  {'/', false, 0},  {'0', true, '0'}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.key);
        const QChar typed = FilterRoomKey(QLatin1Char(row.key), row.wingCodes);
        EXPECT_EQ(typed, row.typed ? QChar(QLatin1Char(row.typed)) : QChar());
    }
}

TEST(GuestRulesTest, TheDefaultCheckOutHourComesFromNormalCheckOut)
{
    const struct
    {
        int32_t minutes;
        int hour;
    } rows[] = {{660, 11}, {1439, 23}, {1440, 0}, {0, 0}, {1500, 1}, {2940, 1}};
    for (const auto &row : rows)
        EXPECT_EQ(DefaultCheckOutHour(row.minutes), row.hour) << row.minutes;
}

TEST(GuestRulesTest, NightsAndCheckOutFollowEachOther)
{
    const double now = 45444.5; // 2024-06-01 12:00
    const double checkOut = CheckOutAfterNights(now, 3, 11);
    EXPECT_DOUBLE_EQ(checkOut, 45447.0 + 11.0 / 24);
    EXPECT_EQ(NightsUntil(now, checkOut), 3);
    EXPECT_EQ(NightsUntil(now, CheckOutAfterNights(now, 0, 23)), 0);
    // The early hours of the next day are one night.
    EXPECT_EQ(NightsUntil(now, CheckOutAfterNights(now, 1, 0)), 1);
}

TEST(GuestRulesTest, ACheckOutIsTypedAsAShortDateWithOrWithoutATime)
{
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QLocale de(QLocale::German, QLocale::Germany);
    const QLocale c = QLocale::c(); // its short time carries seconds
    const double june3at11 = 45446.0 + 11.0 / 24;
    const struct
    {
        QLocale locale;
        const char *text;
        std::optional<double> value;
    } rows[] = {
        {us, "6/3/24 11:00 AM", june3at11}, {us, "6/3/24 11:00", june3at11},    {us, "6/3/24", 45446.0},
        {de, "03.06.24 11:00", june3at11},  {c, "3 Jun 2024 11:00", june3at11}, {c, "3 Jun 2024 11:00:00", june3at11},
        {us, "13/40/24", std::nullopt},     {us, "tomorrow", std::nullopt},     {us, "", std::nullopt},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        const std::optional<double> value = ParseCheckOut(QLatin1String(row.text), row.locale);
        ASSERT_EQ(value.has_value(), row.value.has_value());
        if (value) {
            EXPECT_NEAR(*value, *row.value, 1e-6);
        }
    }
    for (const QLocale &locale : {us, de, c}) {
        const QString text = CheckOutText(june3at11, locale);
        EXPECT_FALSE(text.contains(QStringLiteral(":00:00"))) << "no seconds: " << text.toStdString();
        const std::optional<double> back = ParseCheckOut(text, locale);
        ASSERT_TRUE(back.has_value()) << text.toStdString();
        EXPECT_NEAR(*back, june3at11, 1e-6) << "the box reads its own text";
    }
}

TEST(GuestRulesTest, TheIssueToNameIsSurnameCommaFirstName)
{
    const QString thirtyTwo(32, QLatin1Char('x'));
    const struct
    {
        QString text;
        int16_t error;
        const char *surname;
        const char *firstname;
        const char *box;
    } rows[] = {
        {QStringLiteral("Miller"), 0, "Miller", "", "Miller"},
        {QStringLiteral("  Miller ,  Ann "), 0, "Miller", "Ann", "Miller, Ann"},
        {QStringLiteral("Miller,"), 0, "Miller", "", "Miller"},
        {QStringLiteral("Miller, Ann, Jr"), -31156, "", "", ""},
        {thirtyTwo + QStringLiteral(", Ann"), 0, "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx", "Ann", nullptr},
        {thirtyTwo + QStringLiteral("y"), -31128, "", "", ""},
        {QStringLiteral("Miller, ") + thirtyTwo + QStringLiteral("y"), -31128, "", "", ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text.toStdString());
        const IssueToName name = ParseIssueTo(row.text);
        EXPECT_EQ(name.error, row.error);
        if (row.error != 0)
            continue;
        EXPECT_EQ(name.surname, QLatin1String(row.surname));
        EXPECT_EQ(name.firstname, QLatin1String(row.firstname));
        if (row.box) {
            EXPECT_EQ(name.boxText(), QLatin1String(row.box));
        }
    }
}

TEST_P(GuestCardTest, RoomEntriesAreParsedWithTheWingRules)
{
    addDoor(1234, QStringLiteral("Room 1234"), QStringLiteral("A"));
    addDoor(12346, QStringLiteral("Lift"), QStringLiteral("E"));
    RecordTable t(*ws->db.database);
    const struct
    {
        const char *entry;
        bool wingCodes;
        int32_t room;
        bool valid;
    } rows[] = {
        {"105", false, 105, true},      {"105", true, 105, true},     {"A345", true, 12345, true},
        {"A1000", true, 0, false},      {"A999", true, 12999, false}, {"B9999", true, 29999, true},
        {"B10000", true, 0, false},     {"C12", true, 0, false},      {"A34X", true, 0, false},
        {"A345", false, 0, false},      {"12345", true, 12345, true}, {"1234", false, 1234, true},
        {"12346", false, 12346, false}, {"", true, 0, false},         {"999", false, 999, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.entry);
        const int32_t room = ParseRoomEntry(t, QLatin1String(row.entry), row.wingCodes);
        EXPECT_EQ(room, row.room);
        EXPECT_EQ(IsValidRoom(t, room), row.valid);
        EXPECT_EQ(GuestCardStore(t).guestRoom(QLatin1String(row.entry), row.wingCodes), row.valid ? row.room : 0);
    }
}

TEST_P(GuestCardTest, AGuestRoomIsShownWithItsWingCode)
{
    addDoor(1234, QStringLiteral("Apartment"), QStringLiteral("A"));
    RecordTable t(*ws->db.database);
    const struct
    {
        int32_t room;
        const char *text;
    } rows[] = {{12345, "A345"}, {29999, "B9999"}, {105, "105"}, {1234, "1234"}, {555, "555"}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.room);
        EXPECT_EQ(SplitRoom(t, row.room).text(), QLatin1String(row.text));
    }
}

TEST_P(GuestCardTest, TheCommonRoomsAreTheDoorsNumberedOneToEight)
{
    addDoor(908, QStringLiteral("Sauna"), QStringLiteral("C"), 8);
    addDoor(909, QStringLiteral("Roof"), QStringLiteral("C"), 9);
    RecordTable t(*ws->db.database);
    GuestCardStore store(t);
    QStringList names;
    for (const GuestCardStore::Door &door : store.commonRooms())
        names << door.name + QString::number(door.commonRoom);
    EXPECT_EQ(names, (QStringList{"Bar3", "Gym2", "Pool1", "Sauna8"}));
    QList<qint32> doors;
    for (const GuestCardStore::Door &door : store.commonRoomsBetween(902, 909))
        doors << door.doorID;
    EXPECT_EQ(doors, (QList<qint32>{902, 903, 908}));
    ASSERT_TRUE(store.door(909).has_value());
    EXPECT_FALSE(GuestCardStore::isCommonRoom(store.door(909)->commonRoom));
    EXPECT_FALSE(store.door(4711).has_value());
}

TEST_P(GuestCardTest, TheRoomCheckFindsTheValidCardOfTheRoom)
{
    // Room 105's guest card opens 101 to 108 and the pool and bar; room B9999's card has expired.
    const double expiry = now + 2;
    const qint32 guest = storeCard(256, 105, 101, 108, {1, 3}, expiry);
    storeCard(256, 29999, 29999, 29999, {}, now - 0.5);
    CardsIntf &second = *ws->cardServers.secondCardsIntf;
    RecordTable t(*ws->db.database);
    const QList<int32_t> connected = {101, 102, 103, 104, 106, 107, 108};
    const QList<RoomRange> common = {{1, 1}, {3, 3}};
    const struct
    {
        const char *what;
        int32_t room;
        bool joiner, family, silent;
        int result;
        bool loaded;
        QList<int32_t> connected;
        QList<RoomRange> common;
    } rows[] = {
        {"guest mode", 105, false, false, false, RoomCheck::ValidCard, false, {}, {}},
        {"no card", 12345, false, false, false, RoomCheck::NoCard, false, {}, {}},
        {"expired card", 29999, true, false, false, RoomCheck::NoCard, false, {}, {}},
        {"joiner of the main room", 105, true, false, false, RoomCheck::ValidCard, true, connected, common},
        {"joiner, silent", 105, true, false, true, RoomCheck::ValidCard, true, connected, common},
        {"joiner of a connected room", 103, true, false, false, RoomCheck::OtherMainRoom, true, {}, {}},
        {"family joiner", 103, true, true, false, RoomCheck::ValidCard, true, {}, common},
        {"family joiner, silent", 103, true, true, true, RoomCheck::ValidCard, false, {}, {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        const RoomCheck check = CheckRoom(t, second, row.room, now, row.joiner, row.family, row.silent);
        EXPECT_EQ(check.result, row.result);
        EXPECT_EQ(check.imageLoaded, row.loaded);
        EXPECT_EQ(check.connectedRooms, row.connected);
        EXPECT_EQ(check.commonRanges, row.common);
        if (row.result != RoomCheck::NoCard) {
            EXPECT_EQ(check.registrationNumber, guest);
            EXPECT_DOUBLE_EQ(check.expireTime, expiry);
        }
    }
}

TEST_P(GuestCardTest, AtMostSevenConnectedRoomsAreTakenFromAGuestCard)
{
    storeCard(256, 110, 101, 120, {}, now + 1);
    addDoor(110, QStringLiteral("Room 110"), QStringLiteral("G"));
    RecordTable t(*ws->db.database);
    const RoomCheck check = CheckRoom(t, *ws->cardServers.secondCardsIntf, 110, now, true, false, true);
    EXPECT_EQ(check.result, RoomCheck::ValidCard);
    EXPECT_EQ(check.connectedRooms, (QList<int32_t>{101, 102, 103, 104, 105, 106, 107}));
}

} // namespace
