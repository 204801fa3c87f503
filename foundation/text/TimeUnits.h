#pragma once
// Calendar arithmetic on times in whole seconds (time_t), as the task
// scheduler steps its repeating entries. The days of a month come from
// DaysInMonth of platform/core/OleDateTime.h (Gregorian leap years).

#include <cstdint>
#include <ctime>

// The units of AddTimeUnits.
enum TimeUnit
{
    kTimeUnitSeconds = 0,
    kTimeUnitMinutes = 1,
    kTimeUnitHours = 2,
    kTimeUnitDays = 3,
    kTimeUnitWeeks = 4,
    kTimeUnitMonths = 5,
    kTimeUnitYears = 6,
};

time_t AddSeconds(time_t time, int64_t seconds);

// Units 0-4 add count times 1, 60, 3600, 86400 or 604800 seconds. Units 5
// and 6 step the local calendar by count months or years, keeping the local
// time of day and clipping the day to the last day of the new month (January
// 31 plus one month is February 28 or 29). Any other unit, or a calendar step
// that leaves the range the C library can represent, gives time unchanged.
time_t AddTimeUnits(time_t time, int count, int unit);
