#include "GuestCardFixture.h"
#include "cards/StaffCardStore.h"
#include "cards/StaffRules.h"
#include "core/OleDate.h"

using namespace StaffRules;

namespace {

TEST(StaffRulesTest, TheDailyWindowOfEmployeeCards)
{
    const struct
    {
        const char *from, *to;
        int16_t error;
        TimeWindow::Box focus;
        int first, last;
    } rows[] = {
        {"", "", 0, TimeWindow::From, 0, 24},
        {"8:00 AM", "12:00 AM", 0, TimeWindow::From, 8, 24},
        {"6", "23", -31204, TimeWindow::From, 6, 23},
        {"10", "9", -31193, TimeWindow::From, 10, 9},
        {"7", "7", 0, TimeWindow::From, 7, 7},
        {"", "9", -31205, TimeWindow::From, 0, 24},
        {"8", "noon", -31194, TimeWindow::To, 8, 24},
        {"0", "0", 0, TimeWindow::From, 0, 24},
        {"6:45 AM", "22:10", 0, TimeWindow::From, 6, 22},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.from) + " to " + row.to);
        const TimeWindow window = DailyWindow(QLatin1String(row.from), QLatin1String(row.to));
        EXPECT_EQ(window.error, row.error);
        if (row.error == 0 || row.error == -31204 || row.error == -31193) {
            EXPECT_EQ(window.from, row.first);
            EXPECT_EQ(window.to, row.last);
        } else {
            EXPECT_EQ(window.focus, row.focus);
        }
    }
}

TEST(StaffRulesTest, AOneShotWindowMayPassMidnightAndEndsTheCard)
{
    const double now = 45444.5; // 2024-06-01 12:00
    const double today = OleDate::wholeDay(now);
    const struct
    {
        const char *from, *to;
        int16_t error;
        double expiry;
    } rows[] = {
        {"22", "6", 0, today + 1 + 6 / 24.0}, {"6", "23", -31203, 0},  {"13", "18", 0, today + 18 / 24.0},
        {"23", "1", 0, today + 1 + 1 / 24.0}, {"12", "12", -31203, 0}, {"", "6", -31205, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.from) + " to " + row.to);
        const TimeWindow window = OneShotWindow(QLatin1String(row.from), QLatin1String(row.to), now);
        EXPECT_EQ(window.error, row.error);
        if (row.error == 0) {
            EXPECT_DOUBLE_EQ(window.expiry, row.expiry);
        }
    }
}

TEST(StaffRulesTest, DaysAndExpiryFollowEachOther)
{
    const double now = 45444.5 + 10 / 1440.0; // 2024-06-01 12:10
    const double today = OleDate::wholeDay(now);
    EXPECT_EQ(ExpiryText(today + 3 + 17.5 / 24), QStringLiteral("5:00 PM 6/4/24")) << "the hour without minutes";
    EXPECT_EQ(HourText(25), QStringLiteral("1:00 AM")) << "a default window wraps past midnight";
    const struct
    {
        const char *typed;
        int days;
        std::optional<double> expiry;
        const char *daysShown;
    } rows[] = {
        {"5:00 PM 6/4/24", 0, today + 3 + 17 / 24.0, "3"},
        {"6/4/24 5:45 PM", 0, today + 3 + 17 / 24.0, "3"},
        {"6/10/24", 0, today + 9, "9"},
        {"8:00 AM", 2, today + 2 + 8 / 24.0, "2"},
        {"11:00 AM", 0, today + 11 / 24.0, ""},
        {"someday", 0, std::nullopt, ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.typed);
        const std::optional<double> expiry = ParseExpiry(QLatin1String(row.typed), now, row.days);
        ASSERT_EQ(expiry.has_value(), row.expiry.has_value());
        if (!expiry)
            continue;
        EXPECT_DOUBLE_EQ(*expiry, *row.expiry);
        EXPECT_EQ(DaysText(now, *expiry), QLatin1String(row.daysShown));
    }
    EXPECT_EQ(CheckExpiry(now, now - 1 / 1440.0, 60), -31173);
    EXPECT_EQ(CheckExpiry(now, now + 60 / 1440.0, 60), 0);
    EXPECT_EQ(CheckExpiry(now, now + 61 / 1440.0, 60), -31225);
}

TEST_P(GuestCardTest, AStaffRangeOpensItsDoorsOrTheIntervalsItEncloses)
{
    addDoor({.id = 100001,
             .name = QStringLiteral("Wing east"),
             .category = QStringLiteral("O"),
             .intervalStart = 300,
             .intervalStop = 350});
    RecordTable table(db);
    StaffCardStore store(table);
    const struct
    {
        qint32 first, last;
        bool intervals, opens;
    } rows[] = {
        {101, 101, true, true},  {300, 399, true, true},  {300, 399, false, false},
        {301, 399, true, false}, {200, 349, true, false}, {1000, 2000, true, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.first << ".." << row.last << " intervals " << row.intervals);
        EXPECT_EQ(store.rangeOpensDoors(row.first, row.last, row.intervals), row.opens);
    }
    EXPECT_EQ(store.userName(addUser(QStringLiteral("U1"), QString(), QStringLiteral("Ann"))), QStringLiteral("Ann"));
    EXPECT_EQ(store.userName(addUser(QStringLiteral("U2"), QStringLiteral("Lee"), QStringLiteral("Bo"))),
              QStringLiteral("Lee, Bo"));
    EXPECT_FALSE(store.userName(99999).has_value());
    EXPECT_FALSE(store.operatorTemplate(addUser(QStringLiteral("U3"))).has_value()) << "a user, no operator";
    EXPECT_TRUE(store.operatorTemplate(deskID).has_value());
}

} // namespace
