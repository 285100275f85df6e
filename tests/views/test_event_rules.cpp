#include "views/EventListQuery.h"

#include <gtest/gtest.h>

namespace {

const QList<qint32> kAllOffered = {256, 258, 259, 266, 260, 267, 268, 257, 276, 261, 273};

struct SearchCase
{
    const char *name;
    EventSearchEntry entry;
    EventSearchCheck::Problem problem;
    int badDate = -1;
};

void PrintTo(const SearchCase &c, std::ostream *os)
{
    *os << c.name;
}

class EventSearchCheckTest : public testing::TestWithParam<SearchCase>
{
};

TEST_P(EventSearchCheckTest, RefusesBadDatesAndSearchesWiderThanFiveDays)
{
    const EventSearchCheck check = checkEventSearch(GetParam().entry);
    EXPECT_EQ(check.problem, GetParam().problem);
    EXPECT_EQ(check.badDate, GetParam().badDate);
}

// 2024-06-01 to 2024-06-06 spans 5 days, to 2024-06-07 six.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Entries, EventSearchCheckTest, testing::Values(
    SearchCase{"EmptyWithAllKinds", {.tickedKinds = kAllOffered}, EventSearchCheck::Problem::TooWide},
    SearchCase{"EmptyWithNoKind", {}, EventSearchCheck::Problem::TooWide},
    SearchCase{"EmptyWithOneKind", {.tickedKinds = {260}}, EventSearchCheck::Problem::None},
    SearchCase{"EmptyWithADoor", {.doorID = 101, .tickedKinds = kAllOffered}, EventSearchCheck::Problem::None},
    SearchCase{"DoorZeroIsADoor", {.doorID = 0, .tickedKinds = kAllOffered}, EventSearchCheck::Problem::None},
    SearchCase{"FiveDays", {.dates = {"2024-06-01", "2024-06-06", "", ""}, .tickedKinds = kAllOffered}, EventSearchCheck::Problem::None},
    SearchCase{"SixDays", {.dates = {"2024-06-01", "2024-06-07", "", ""}, .tickedKinds = kAllOffered}, EventSearchCheck::Problem::TooWide},
    SearchCase{"OnlyAFromDateRunsTo2036", {.dates = {"2024-06-01", "", "", ""}, .tickedKinds = {256, 258}}, EventSearchCheck::Problem::TooWide},
    SearchCase{"ReadoutDatesDoNotNarrowTheEvents", {.dates = {"", "", "2024-06-01", "2024-06-01"}, .tickedKinds = kAllOffered}, EventSearchCheck::Problem::TooWide},
    SearchCase{"BadDateBeforeTheWidthCheck", {.dates = {"2024-06-01", "2024-06-02", "2024-13-45", ""}}, EventSearchCheck::Problem::BadDate, EventSearchEntry::ReadoutFrom}),
    [](const testing::TestParamInfo<SearchCase> &info) { return std::string(info.param.name); });
// clang-format on

TEST(EventSearchCheck, ACardNumberStandsForEveryCopyAndEmptyFieldsForTheOpenBounds)
{
    EventSearchEntry entry{.registrationFrom = QStringLiteral("1234"), .registrationTo = QStringLiteral("1234")};
    entry.tickedKinds = {256};
    EventSearchFilters f = checkEventSearch(entry).filters;
    EXPECT_EQ(f.registrationFrom, 0x123400);
    EXPECT_EQ(f.registrationTo, 0x1234FF);
    EXPECT_EQ(f.doorID, EventSearchFilters::kNoDoor);
    EXPECT_EQ(f.eventFrom, 25570.0); // 1970-01-02
    EXPECT_EQ(f.readoutTo, 49675.0); // 2036-01-01
    EXPECT_TRUE(f.kindFilterActive && f.hasKind(256) && !f.hasKind(258));

    f = checkEventSearch({.registrationTo = QStringLiteral("1")}).filters;
    EXPECT_EQ(f.registrationFrom, 0);
    EXPECT_EQ(f.registrationTo, 0x1FF);
    EXPECT_FALSE(f.kindFilterActive);
}

} // namespace
