#include "ostrelle-db/FillModel.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace FillModel;

namespace {

TEST(FillModel, WeekdaysOfKnownDates)
{
    EXPECT_EQ(weekday(0), 6);       // 1899-12-30, a Saturday
    EXPECT_EQ(weekday(45413.9), 3); // 2024-05-01 21:36, a Wednesday
    EXPECT_EQ(weekday(45417), 0);   // 2024-05-05, a Sunday
}

TEST(FillModel, OnlyHoursWithWeightAreHandedOut)
{
    std::array<double, 24> afternoon{};
    afternoon[14] = 1;
    afternoon[15] = 3;
    const TimeDensity density(45000, 45100, afternoon);
    int fifteen = 0;
    for (int i = 0; i < 400; ++i) {
        const double t = density.at((i + 0.5) / 400);
        const int hour = static_cast<int>(std::fmod(t, 1.0) * 24);
        ASSERT_TRUE(hour == 14 || hour == 15) << t;
        fifteen += hour == 15;
    }
    // Three quarters of the weight lies in the fifteenth hour.
    EXPECT_NEAR(fifteen, 300, 20);
}

TEST(FillModel, SummerAndWeekendsAreBusier)
{
    // 2024-07-13 is a Saturday in summer, 2024-02-06 a Tuesday in winter.
    EXPECT_GT(TimeDensity::dayWeight(45486), 1.3 * TimeDensity::dayWeight(45328));
}

} // namespace
