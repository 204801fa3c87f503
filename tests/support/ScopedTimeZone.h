#pragma once
// Sets TZ for one test and puts the old zone back afterwards.

#include <cstdlib>
#include <ctime>
#include <string>

class ScopedTimeZone
{
public:
    explicit ScopedTimeZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
        {
            m_old = old;
            m_had = true;
        }
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (m_had)
            setenv("TZ", m_old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::string m_old;
    bool m_had = false;
};

// A local wall-clock time as time_t by the C library (mktime), daylight
// saving decided by the zone in force.
inline time_t LocalTimeByMktime(int year, int month, int day, int hour, int minute, int second)
{
    tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    parts.tm_isdst = -1;
    return mktime(&parts);
}
