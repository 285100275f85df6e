#include "views/CardKindWindows.h"
#include "views/CardSearchRules.h"

#include <gtest/gtest.h>

namespace {

TEST(CardSearchRules, DatesTypedInTheSearch)
{
    const struct
    {
        const char *text;
        std::optional<double> day;
    } rows[] = {
        {"5/31/2024", 45443.0},          {"5/31/24", 45443.0},
        {"2024-05-31", 45443.0},         {" 1/2/1970 ", 25570.0},
        {"12/31/69", 25568.0 + 36525.0}, // two-digit years are this century's
        {"2/30/2024", std::nullopt},     {"31.05.2024", std::nullopt},
        {"tomorrow", std::nullopt},      {"", std::nullopt},
    };
    for (const auto &row : rows) {
        const std::optional<double> day = parseSearchDate(QLatin1String(row.text));
        EXPECT_EQ(day.has_value(), row.day.has_value()) << row.text;
        if (day && row.day) {
            EXPECT_DOUBLE_EQ(*day, *row.day) << row.text;
        }
    }
    EXPECT_EQ(parseSearchDate(formatSearchDate(45443.75)), std::optional<double>(45443.0));
}

TEST(CardSearchRules, CardNumbersAreOneToFiveHexadecimalDigits)
{
    const struct
    {
        const char *text;
        std::optional<qint32> number;
    } rows[] = {{"1A", 0x1A},         {"1a", 0x1A},
                {"FFFFF", 0xFFFFF},   {"0", 0},
                {"", std::nullopt},   {"100000", std::nullopt},
                {"1G", std::nullopt}, {"-1", std::nullopt}};
    for (const auto &row : rows)
        EXPECT_EQ(parseCardNumber(QLatin1String(row.text)), row.number) << row.text;
}

TEST(CardSearchRules, EstimatesTheShareOfTheDateWindow)
{
    const CardTotals thousandDays{60000, 45000.0, 46000.0, true};
    const struct
    {
        const char *what;
        CardTotals totals;
        double window;
        qint64 rows;
        bool tooLarge;
    } rows[] = {
        {"no cards", CardTotals{}, 1000.0, 0, false},
        {"the whole span", thousandDays, 1000.0, 60000, true},
        {"a window wider than the span counts as the span", thousandDays, 11000.0, 60000, true},
        {"a tenth of the span", thousandDays, 100.0, 6000, false},
        {"just at the limit", thousandDays, 2500.0 / 3.0, 50000, false},
        {"all cards on one day", CardTotals{50001, 45000.0, 45000.0, true}, 1.0, 50001, true},
    };
    for (const auto &row : rows) {
        const SearchEstimate e = estimateSearch(row.totals, row.window);
        EXPECT_EQ(e.rows, row.rows) << row.what;
        EXPECT_EQ(e.tooLarge, row.tooLarge) << row.what;
    }
    EXPECT_EQ(estimateSearch(thousandDays, 1000.0).allowedDays, 833);
}

TEST(CardKindWindows, EveryKindWithAWindowAndTheFunctionCardsFunction)
{
    const struct
    {
        qint32 kind;
        const char *window;
        int function;
    } rows[] = {{256, "frmGuestCard", -1},
                {257, "frmGuestCard", -1},
                {259, "frmFutureArrivalCard", -1},
                {269, "frmCancelCard", -1},
                {270, "frmOperatorCard", -1},
                {271, "frmFunctionCard", 0},
                {276, "frmMaintenanceCard", -1},
                {277, "frmFunctionCard", 1},
                {278, "frmFunctionCard", 2},
                {279, "frmFunctionCard", 3},
                {280, "", -1},
                {255, "", -1}};
    for (const auto &row : rows) {
        const CardKindWindow w = cardKindWindow(row.kind);
        EXPECT_EQ(w.kind, QLatin1String(row.window)) << row.kind;
        EXPECT_EQ(w.function, row.function) << row.kind;
    }
}

} // namespace
