#include "platform/core/OleDateTime.h"

#include "platform/core/LocalTimeConversion.h"
#include "platform/core/NumericLocale.h"
#include "platform/core/Text.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <vector>

namespace
{
// 1899-12-30 is 25569 days before 1970-01-01.
constexpr double kEpochOffsetDays = 25569.0;
constexpr double kMinDate = -657434.0;      // 0100-01-01
constexpr double kMaxDate = 2958465.999999; // 9999-12-31 23:59:59

struct Civil
{
    int64_t year;
    unsigned month, day;
};

Civil CivilFromDays(int64_t z)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {y + (m <= 2), m, d};
}

const char* const kMonthNames[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                   "jul", "aug", "sep", "oct", "nov", "dec"};

int MonthFromWord(std::string_view word)
{
    if (word.size() < 3)
        return 0;
    for (int i = 0; i < 12; ++i)
    {
        if (EqualsNoCase(word.substr(0, 3), kMonthNames[i]))
            return i + 1;
    }
    return 0;
}

struct Token
{
    bool number;
    std::string text;
    char sepAfter; // the first separator character after the token, or 0
};

std::vector<Token> Tokenize(std::string_view s)
{
    std::vector<Token> out;
    size_t i = 0;
    while (i < s.size())
    {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (std::isdigit(c) || std::isalpha(c))
        {
            const bool number = std::isdigit(c) != 0;
            size_t j = i;
            while (j < s.size() && (number ? std::isdigit(static_cast<unsigned char>(s[j]))
                                           : std::isalpha(static_cast<unsigned char>(s[j]))))
                ++j;
            Token t{number, std::string(s.substr(i, j - i)), 0};
            if (j < s.size() && !std::isalnum(static_cast<unsigned char>(s[j])))
                t.sepAfter = s[j];
            out.push_back(std::move(t));
            i = j;
        }
        else
        {
            ++i;
        }
    }
    return out;
}
} // namespace

int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

COleDateTime::COleDateTime(double days) : m_dt(days)
{
    m_status = (std::isfinite(days) && days >= kMinDate - 1 && days <= kMaxDate) ? valid : invalid;
}

COleDateTime::COleDateTime(int year, int month, int day, int hour, int minute, int second)
{
    SetDateTime(year, month, day, hour, minute, second);
}

bool COleDateTime::SetDateTime(int year, int month, int day, int hour, int minute, int second)
{
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
        hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
    {
        m_dt = 0.0;
        m_status = invalid;
        return false;
    }
    const double linear = static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month),
                                                            static_cast<unsigned>(day))) +
                          kEpochOffsetDays + (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
    m_dt = FromLinear(linear);
    m_status = valid;
    return true;
}

double COleDateTime::ToLinear() const
{
    if (m_dt >= 0)
        return m_dt;
    // -1.25 means one day back, then 6 hours forward: -0.75 on the line.
    const double whole = std::trunc(m_dt);
    return whole + (whole - m_dt);
}

double COleDateTime::FromLinear(double days)
{
    if (days >= 0)
        return days;
    const double whole = std::floor(days);
    return whole - (days - whole);
}

bool COleDateTime::GetParts(int& year, int& month, int& day, int& hour, int& minute, int& second) const
{
    if (m_status != valid || !std::isfinite(m_dt) || m_dt < kMinDate - 1 || m_dt > kMaxDate)
        return false;
    const double linear = ToLinear();
    // Round to the nearest second on the linear line.
    const auto totalSeconds = static_cast<int64_t>(std::llround(linear * 86400.0));
    int64_t days = totalSeconds / 86400;
    int64_t secs = totalSeconds % 86400;
    if (secs < 0)
    {
        secs += 86400;
        --days;
    }
    const Civil c = CivilFromDays(days - static_cast<int64_t>(kEpochOffsetDays));
    year = static_cast<int>(c.year);
    month = static_cast<int>(c.month);
    day = static_cast<int>(c.day);
    hour = static_cast<int>(secs / 3600);
    minute = static_cast<int>((secs / 60) % 60);
    second = static_cast<int>(secs % 60);
    return true;
}

namespace
{
int Part(const COleDateTime& d, int which)
{
    int p[6];
    if (!d.GetParts(p[0], p[1], p[2], p[3], p[4], p[5]))
        return -1;
    return p[which];
}
} // namespace

int COleDateTime::GetYear() const { return Part(*this, 0); }
int COleDateTime::GetMonth() const { return Part(*this, 1); }
int COleDateTime::GetDay() const { return Part(*this, 2); }
int COleDateTime::GetHour() const { return Part(*this, 3); }
int COleDateTime::GetMinute() const { return Part(*this, 4); }
int COleDateTime::GetSecond() const { return Part(*this, 5); }

int COleDateTime::GetDayOfWeek() const
{
    int y, mo, d, h, mi, s;
    if (!GetParts(y, mo, d, h, mi, s))
        return 0;
    const int64_t days = DaysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d));
    // 1970-01-01 was a Thursday (5 in 1..7 from Sunday).
    int64_t w = (days + 4) % 7;
    if (w < 0)
        w += 7;
    return static_cast<int>(w) + 1;
}

COleDateTime COleDateTime::GetCurrentTime()
{
    return FromTimeT(std::time(nullptr), true);
}

COleDateTime COleDateTime::FromTimeT(time_t t, bool local)
{
    tm parts{};
    if (!(local ? localtime_r(&t, &parts) : gmtime_r(&t, &parts)))
    {
        COleDateTime bad;
        bad.m_status = invalid;
        return bad;
    }
    return COleDateTime(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min,
                        parts.tm_sec);
}

bool COleDateTime::ToTimeT(time_t& t, bool local) const
{
    int y, mo, d, h, mi, s;
    if (!GetParts(y, mo, d, h, mi, s))
        return false;
    if (!local)
    {
        t = static_cast<time_t>(DaysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d)) * 86400 +
                                h * 3600 + mi * 60 + s);
        return true;
    }
    t = LocalPartsToTimeT(y, mo, d, h, mi, s);
    return true;
}

COleDateTime COleDateTime::LocalToUtc() const
{
    time_t t;
    if (!ToTimeT(t, true))
        return *this;
    return FromTimeT(t, false);
}

COleDateTime COleDateTime::UtcToLocal() const
{
    time_t t;
    if (!ToTimeT(t, false))
        return *this;
    return FromTimeT(t, true);
}

std::string COleDateTime::Format(const char* format) const
{
    int y, mo, d, h, mi, s;
    if (!format || !GetParts(y, mo, d, h, mi, s))
        return std::string();
    tm parts{};
    parts.tm_year = y - 1900;
    parts.tm_mon = mo - 1;
    parts.tm_mday = d;
    parts.tm_hour = h;
    parts.tm_min = mi;
    parts.tm_sec = s;
    parts.tm_wday = GetDayOfWeek() - 1;
    parts.tm_yday = static_cast<int>(DaysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d)) -
                                     DaysFromCivil(y, 1, 1));
    parts.tm_isdst = -1;
    // Month and day names must not follow the user's locale: these texts go
    // into logs, stores and protocol headers.
    char buffer[512];
    const size_t n = strftime_l(buffer, sizeof buffer, format, &parts, GetCLocale());
    return std::string(buffer, n);
}

bool COleDateTime::ParseDateTime(std::string_view text)
{
    m_dt = 0.0;
    m_status = invalid;
    const std::vector<Token> tokens = Tokenize(text);
    int month = 0;
    bool pm = false, am = false;
    size_t dateTokens = 0;
    int year = 0, mon = 0, day = 0;
    std::vector<int> timeParts;

    // Date part: the first three tokens that are numbers or a month word.
    size_t i = 0;
    std::vector<int> date;
    int monthPos = -1;
    for (; i < tokens.size() && dateTokens < 3; ++i)
    {
        const Token& t = tokens[i];
        if (t.number)
        {
            if (t.text.size() > 9)
                return false;
            date.push_back(std::stoi(t.text));
            ++dateTokens;
            if (t.sepAfter == ':') // a time where a date was expected
                return false;
        }
        else if ((month = MonthFromWord(t.text)) != 0)
        {
            monthPos = static_cast<int>(date.size());
            date.push_back(month);
            ++dateTokens;
        }
        // week-day names and other words are skipped
    }
    if (date.size() != 3)
        return false;

    if (monthPos == 0) // "Dec 31 2024"
    {
        mon = date[0];
        day = date[1];
        year = date[2];
    }
    else if (monthPos == 1) // "31 Dec 2024"
    {
        day = date[0];
        mon = date[1];
        year = date[2];
    }
    else if (monthPos < 0 && tokens[0].text.size() == 4) // "2024-12-31"
    {
        year = date[0];
        mon = date[1];
        day = date[2];
    }
    else if (monthPos < 0) // "12/31/2024", the English order
    {
        mon = date[0];
        day = date[1];
        year = date[2];
    }
    else
    {
        return false;
    }
    if (year < 100)
        year += year < 50 ? 2000 : 1900;

    for (; i < tokens.size(); ++i)
    {
        const Token& t = tokens[i];
        if (t.number)
        {
            if (t.text.size() > 2 || timeParts.size() >= 3)
                return false;
            timeParts.push_back(std::stoi(t.text));
        }
        else if (EqualsNoCase(t.text, "PM"))
            pm = true;
        else if (EqualsNoCase(t.text, "AM"))
            am = true;
        else if (EqualsNoCase(t.text, "T") || EqualsNoCase(t.text, "GMT") || EqualsNoCase(t.text, "UTC") ||
                 EqualsNoCase(t.text, "Z"))
            continue;
        else
            return false;
    }
    if (timeParts.size() == 1)
        return false;
    int hour = timeParts.size() > 0 ? timeParts[0] : 0;
    const int minute = timeParts.size() > 1 ? timeParts[1] : 0;
    const int second = timeParts.size() > 2 ? timeParts[2] : 0;
    if (am || pm)
    {
        if (hour < 1 || hour > 12)
            return false;
        hour = hour % 12 + (pm ? 12 : 0);
    }
    return SetDateTime(year, mon, day, hour, minute, second);
}
