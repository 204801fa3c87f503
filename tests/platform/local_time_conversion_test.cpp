#include "platform/core/LocalTimeConversion.h"

#include "tests/support/ScopedTimeZone.h"

#include <gtest/gtest.h>

#include <iterator>
#include <utility>

namespace
{

struct CLocalCase
{
    int year, month, day, hour, minute, second;
    time_t utc;
};

// Berlin changed to summer time on 2024-03-31 at 02:00 local (01:00 UTC)
// and back on 2024-10-27 at 03:00 local (01:00 UTC).
const CLocalCase kBerlin2024[] = {
    {2024, 1, 15, 12, 0, 0, 1705316400},   // winter, +1
    {2024, 3, 30, 12, 0, 0, 1711796400},   // the day before the change
    {2024, 3, 31, 1, 30, 0, 1711845000},   // half an hour before it
    {2024, 3, 31, 3, 30, 0, 1711848600},   // half an hour after it, +2
    {2024, 4, 2, 12, 0, 0, 1712052000},    // summer
    {2024, 7, 1, 0, 0, 0, 1719784800},     // the UTC date is the day before
    {2024, 10, 26, 12, 0, 0, 1729936800},  // the day before the change back
    {2024, 10, 27, 4, 0, 0, 1729998000},   // an hour after it, +1 again
    {2024, 10, 28, 12, 0, 0, 1730113200},  // winter
    {2024, 12, 31, 23, 59, 59, 1735685999} // the UTC date is the same
};

time_t Convert(const CLocalCase& c)
{
    return LocalPartsToTimeT(c.year, c.month, c.day, c.hour, c.minute, c.second);
}

// Each date three times: the first finds its span, the others are answered
// from the spans already known, forwards and backwards over the changes.
TEST(LocalTimeConversion, FollowsDaylightSavingInBerlin)
{
    ScopedTimeZone zone("Europe/Berlin");
    for (int round = 0; round < 3; ++round)
    {
        for (const CLocalCase& c : kBerlin2024)
            EXPECT_EQ(Convert(c), c.utc) << round << ": " << c.month << "-" << c.day << " " << c.hour;
        for (auto at = std::rbegin(kBerlin2024); at != std::rend(kBerlin2024); ++at)
            EXPECT_EQ(Convert(*at), at->utc) << round << ": " << at->month << "-" << at->day << " " << at->hour;
    }
}

// Every local time of three years, in steps that fall on every hour and
// minute in turn, the missing hour in spring and the doubled one in autumn
// among them: the same instant as mktime's.
TEST(LocalTimeConversion, AgreesWithMktimeThroughTheYears)
{
    ScopedTimeZone zone("Europe/Berlin");
    int checked = 0;
    for (int year = 2023; year <= 2025; ++year)
    {
        for (int month = 1; month <= 12; ++month)
        {
            for (int day = 1; day <= 28; ++day)
            {
                for (int hour = day % 4; hour < 24; hour += 4)
                {
                    const int minute = (day * 7 + hour) % 60;
                    const int second = (day * 13 + hour) % 60;
                    ASSERT_EQ(LocalPartsToTimeT(year, month, day, hour, minute, second),
                              LocalTimeByMktime(year, month, day, hour, minute, second))
                        << year << "-" << month << "-" << day << " " << hour << ":" << minute;
                    ++checked;
                }
            }
        }
    }
    // The hours of the two changes themselves.
    for (const auto& [month, day] : {std::pair{3, 31}, std::pair{10, 27}})
        for (int hour = 0; hour < 5; ++hour)
            for (int minute = 0; minute < 60; minute += 15)
                ASSERT_EQ(LocalPartsToTimeT(2024, month, day, hour, minute, 0),
                          LocalTimeByMktime(2024, month, day, hour, minute, 0))
                    << month << "-" << day << " " << hour << ":" << minute;
    EXPECT_GT(checked, 2000);
}

// The spans found in one zone are not used in another.
TEST(LocalTimeConversion, FollowsAChangeOfZone)
{
    {
        ScopedTimeZone zone("Europe/Berlin");
        EXPECT_EQ(LocalPartsToTimeT(2024, 7, 1, 12, 0, 0), 1719828000);
        EXPECT_EQ(LocalPartsToTimeT(2024, 7, 1, 12, 0, 0), 1719828000);
    }
    ScopedTimeZone zone("America/New_York");
    EXPECT_EQ(LocalPartsToTimeT(2024, 7, 1, 12, 0, 0), 1719849600);
    EXPECT_EQ(LocalPartsToTimeT(2024, 7, 1, 12, 0, 0), 1719849600);
}

} // namespace
