#include "foundation/text/TimeUnits.h"

#include "platform/core/OleDateTime.h"

#include <algorithm>
#include <climits>

namespace
{
time_t AddMonths(time_t time, int64_t months)
{
    struct tm local = {};
    if (!localtime_r(&time, &local))
        return time;
    const int64_t total = (int64_t{local.tm_year} + 1900) * 12 + local.tm_mon + months;
    // Floor division keeps the month in 0..11 for totals below zero too.
    int64_t year = total / 12;
    int64_t month = total % 12;
    if (month < 0)
    {
        month += 12;
        --year;
    }
    if (year - 1900 < INT_MIN || year - 1900 > INT_MAX)
        return time;

    struct tm target = {};
    target.tm_year = static_cast<int>(year - 1900);
    target.tm_mon = static_cast<int>(month);
    target.tm_mday = std::min(local.tm_mday, DaysInMonth(static_cast<int>(year), static_cast<int>(month) + 1));
    target.tm_hour = local.tm_hour;
    target.tm_min = local.tm_min;
    target.tm_sec = local.tm_sec;
    target.tm_wday = -1;
    target.tm_isdst = -1; // let the tz database say whether daylight saving applies then
    const time_t result = mktime(&target);
    // -1 is also a valid time (one second before 1970); tm_wday tells them apart.
    if (result == static_cast<time_t>(-1) && target.tm_wday < 0)
        return time;
    return result;
}
} // namespace

time_t AddSeconds(time_t time, int64_t seconds)
{
    return time + static_cast<time_t>(seconds);
}

time_t AddTimeUnits(time_t time, int count, int unit)
{
    switch (unit)
    {
    case kTimeUnitSeconds:
        return AddSeconds(time, count);
    case kTimeUnitMinutes:
        return AddSeconds(time, int64_t{count} * 60);
    case kTimeUnitHours:
        return AddSeconds(time, int64_t{count} * 3600);
    case kTimeUnitDays:
        return AddSeconds(time, int64_t{count} * 86400);
    case kTimeUnitWeeks:
        return AddSeconds(time, int64_t{count} * 604800);
    case kTimeUnitMonths:
        return AddMonths(time, count);
    case kTimeUnitYears:
        return AddMonths(time, int64_t{count} * 12);
    default:
        return time;
    }
}
