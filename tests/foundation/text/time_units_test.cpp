#include "foundation/text/TimeUnits.h"

#include "tests/support/ScopedTimeZone.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

TEST(TimeUnits, FixedUnitsAddSeconds)
{
    const time_t start = 1700000000;
    struct Case
    {
        int count;
        int unit;
        int64_t seconds;
    };
    const Case cases[] = {
        {5, kTimeUnitSeconds, 5},       {-5, kTimeUnitSeconds, -5},   {2, kTimeUnitMinutes, 120},
        {3, kTimeUnitHours, 10800},     {1, kTimeUnitDays, 86400},    {2, kTimeUnitWeeks, 1209600},
        {5000, kTimeUnitWeeks, 3024000000LL}, // past 32 bits
        {9, 7, 0},                      {9, -1, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AddTimeUnits(start, c.count, c.unit), start + c.seconds) << c.count << " of unit " << c.unit;
    EXPECT_EQ(AddSeconds(start, -1700000000), 0);
}

TEST(TimeUnits, CalendarStepsClipTheDay)
{
    ScopedTimeZone zone("Europe/Berlin");
    struct Case
    {
        int from[3];
        int count;
        int unit;
        int to[3];
    };
    const Case cases[] = {
        {{2023, 1, 31}, 1, kTimeUnitMonths, {2023, 2, 28}},
        {{2024, 1, 31}, 1, kTimeUnitMonths, {2024, 2, 29}},
        {{2024, 3, 31}, 1, kTimeUnitMonths, {2024, 4, 30}},
        {{2024, 11, 15}, 3, kTimeUnitMonths, {2025, 2, 15}},
        {{2024, 1, 15}, -2, kTimeUnitMonths, {2023, 11, 15}},
        {{2024, 5, 10}, 24, kTimeUnitMonths, {2026, 5, 10}},
        {{2024, 2, 29}, 1, kTimeUnitYears, {2025, 2, 28}},
        {{2024, 2, 29}, 4, kTimeUnitYears, {2028, 2, 29}},
        {{2024, 2, 29}, 76, kTimeUnitYears, {2100, 2, 28}},
    };
    for (const auto& c : cases)
    {
        const time_t from = LocalTimeByMktime(c.from[0], c.from[1], c.from[2], 13, 45, 30);
        EXPECT_EQ(AddTimeUnits(from, c.count, c.unit), LocalTimeByMktime(c.to[0], c.to[1], c.to[2], 13, 45, 30))
            << c.from[0] << "-" << c.from[1] << "-" << c.from[2] << " + " << c.count << " of unit " << c.unit;
    }
}

TEST(TimeUnits, MonthStepKeepsLocalTimeAcrossDaylightSaving)
{
    ScopedTimeZone zone("Europe/Berlin");
    const time_t march = LocalTimeByMktime(2024, 3, 15, 12, 0, 0); // winter time
    const time_t april = AddTimeUnits(march, 1, kTimeUnitMonths);
    EXPECT_EQ(april - march, 31 * 86400 - 3600);
    struct tm local = {};
    ASSERT_NE(localtime_r(&april, &local), nullptr);
    EXPECT_EQ(local.tm_hour, 12);
    EXPECT_EQ(local.tm_mday, 15);
}
