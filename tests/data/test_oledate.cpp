#include "components/recordtable/TableDefs.h"
#include "core/OleDate.h"
#include "texts/LocaleFormat.h"

#include <gtest/gtest.h>

namespace {

constexpr double kSecond = 1.0 / 86400.0;

TEST(OleDate, KnownDatesAndTheirNumbers)
{
    struct Case
    {
        QDate date;
        QTime time;
        double ole;
    };
    const Case cases[] = {
        {QDate(1899, 12, 30), QTime(0, 0), 0.0},
        {QDate(1899, 12, 31), QTime(12, 0), 1.5},
        {QDate(1900, 1, 1), QTime(6, 0), 2.25},
        {QDate(1970, 1, 2), QTime(0, 0), OleDate::kEarliestSearchDay},
        {QDate(2036, 1, 1), QTime(0, 0), NoExpiry},
        {QDate(2024, 5, 2), QTime(18, 0), 45414.75},
        // Before the epoch the fraction counts forward from that day's midnight.
        {QDate(1899, 12, 29), QTime(6, 0), -1.25},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.date.toString(Qt::ISODate).toStdString());
        EXPECT_DOUBLE_EQ(OleDate::fromDateTime(c.date, c.time), c.ole);
        EXPECT_EQ(OleDate::toDate(c.ole), c.date);
        EXPECT_EQ(OleDate::toTime(c.ole), c.time);
    }
}

TEST(OleDate, AroundMidnight)
{
    const double may2 = OleDate::fromDate(QDate(2024, 5, 2));
    struct Case
    {
        double ole;
        QDateTime expected;
    };
    const Case cases[] = {
        {may2 - kSecond, QDateTime(QDate(2024, 5, 1), QTime(23, 59, 59))},
        {may2, QDateTime(QDate(2024, 5, 2), QTime(0, 0))},
        {may2 + kSecond, QDateTime(QDate(2024, 5, 2), QTime(0, 0, 1))},
        // Stored values a hair below midnight belong to the next day, never to a "24:00".
        {may2 - 1e-10, QDateTime(QDate(2024, 5, 2), QTime(0, 0))},
        {may2 + 0.999999999, QDateTime(QDate(2024, 5, 3), QTime(0, 0))},
        {may2 + 0.5004, QDateTime(QDate(2024, 5, 2), QTime(12, 0, 34, 560))},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.expected.toString(Qt::ISODateWithMs).toStdString());
        EXPECT_EQ(OleDate::toDateTime(c.ole), c.expected);
    }
}

TEST(OleDate, EndOfDayIsTheLastSecondOfThatDay)
{
    const double may2 = OleDate::fromDate(QDate(2024, 5, 2));
    EXPECT_DOUBLE_EQ(OleDate::endOfDay(may2), may2 + 0.999988425925926);
    EXPECT_EQ(OleDate::toDateTime(OleDate::endOfDay(may2)), QDateTime(QDate(2024, 5, 2), QTime(23, 59, 59)));
    // A bound that already carries a time of day still ends that same day.
    EXPECT_DOUBLE_EQ(OleDate::endOfDay(may2 + 0.75), may2 + 0.999988425925926);
    // An event at 23:59:59 on the day is inside the widened bound, midnight after it is not.
    const double lastSecond = OleDate::fromDateTime(QDate(2024, 5, 2), QTime(23, 59, 59));
    EXPECT_LE(lastSecond, OleDate::endOfDay(may2));
    EXPECT_GT(OleDate::fromDate(QDate(2024, 5, 3)), OleDate::endOfDay(may2));
}

TEST(OleDate, WholeDayMath)
{
    const double noon = OleDate::fromDateTime(QDate(2024, 2, 28), QTime(12, 0));
    EXPECT_DOUBLE_EQ(OleDate::wholeDay(noon), OleDate::fromDate(QDate(2024, 2, 28)));
    EXPECT_EQ(OleDate::daysBetween(noon, OleDate::fromDateTime(QDate(2024, 3, 1), QTime(0, 1))), 2);
    EXPECT_EQ(OleDate::daysBetween(noon, noon + 0.4), 0);
    EXPECT_EQ(OleDate::daysBetween(noon + 1, noon), -1);
}

// Berlin: clocks go forward at 2024-03-31 02:00 and back at 2024-10-27 03:00.
TEST(OleDate, DaylightSavingChangesDoNotBendTheDayLength)
{
    const QTimeZone berlin("Europe/Berlin");
    ASSERT_TRUE(berlin.isValid());

    // 24 elapsed hours across the spring change end one wall-clock hour later the next day.
    const QDateTime before(QDate(2024, 3, 30), QTime(12, 0), berlin);
    const QDateTime after = before.addSecs(24 * 3600);
    EXPECT_EQ(after.time(), QTime(13, 0));
    EXPECT_NEAR(OleDate::fromDateTime(after) - OleDate::fromDateTime(before), 1.0 + 1.0 / 24, 1e-9);

    // The same wall time on consecutive days is one whole day apart in both directions.
    for (const QDate &day : {QDate(2024, 3, 30), QDate(2024, 10, 26)}) {
        const double a = OleDate::fromDateTime(QDateTime(day, QTime(8, 0), berlin));
        const double b = OleDate::fromDateTime(QDateTime(day.addDays(1), QTime(8, 0), berlin));
        EXPECT_DOUBLE_EQ(b - a, 1.0);
    }

    // Times around the changes come back as the same wall time in the zone.
    const QDateTime walls[] = {
        QDateTime(QDate(2024, 3, 31), QTime(1, 59, 59), berlin),
        QDateTime(QDate(2024, 3, 31), QTime(3, 0), berlin),
        QDateTime(QDate(2024, 10, 27), QTime(2, 30), berlin),
        QDateTime(QDate(2024, 10, 27), QTime(3, 0), berlin),
    };
    for (const QDateTime &wall : walls) {
        SCOPED_TRACE(wall.toString(Qt::ISODate).toStdString());
        const QDateTime back = OleDate::toDateTime(OleDate::fromDateTime(wall), berlin);
        EXPECT_EQ(back.date(), wall.date());
        EXPECT_EQ(back.time(), wall.time());
    }
}

TEST(OleDate, LocalTimeConversionUsesTheWallClock)
{
    // The test process runs in Europe/Berlin: summer and winter noon are both 0.5.
    for (const QDate &day : {QDate(2024, 1, 15), QDate(2024, 7, 15)}) {
        const QDateTime noon(day, QTime(12, 0));
        EXPECT_DOUBLE_EQ(OleDate::fromDateTime(noon) - OleDate::fromDate(day), 0.5);
        EXPECT_EQ(OleDate::toDateTime(OleDate::fromDateTime(noon)), noon);
    }
    // The same instant seen in UTC is stored as UTC's wall time.
    const QDateTime utc(QDate(2024, 7, 15), QTime(10, 0), Qt::UTC);
    EXPECT_DOUBLE_EQ(OleDate::fromDateTime(utc), OleDate::fromDate(QDate(2024, 7, 15)) + 10.0 / 24);
    EXPECT_DOUBLE_EQ(OleDate::fromDateTime(utc.toLocalTime()), OleDate::fromDate(QDate(2024, 7, 15)) + 12.0 / 24);
}

// The C locale's short time carries seconds; the program never shows them.
TEST(OleDate, ShortTimeFormatDropsSecondsInEveryLocale)
{
    const double value = OleDate::fromDateTime(QDate(2024, 5, 2), QTime(18, 7, 45));
    const struct
    {
        QLocale locale;
        const char *expected;
    } cases[] = {
        {QLocale::c(), "18:07"},
        {QLocale(QLocale::English, QLocale::UnitedStates), "6:07 PM"},
        {QLocale(QLocale::German, QLocale::Germany), "18:07"},
        {QLocale(QLocale::Finnish, QLocale::Finland), "18.07"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        QString shown = OleDate::formatShortTime(value, c.locale);
        shown.replace(QChar(0x202f), QLatin1Char(' ')); // Qt's US locale uses a narrow no-break space
        EXPECT_EQ(shown, QString::fromLatin1(c.expected));
        EXPECT_FALSE(ShortTimeFormat(c.locale).contains(QLatin1Char('s')));
    }
}

} // namespace
