#pragma once
// The date type of the stores and property values: a day count since
// 1899-12-30 00:00 with the time of day as the fraction (the "OLE date").
// Before that day the integer part is negative and the fraction still counts
// forward from midnight: -1.25 is 1899-12-29 06:00. Valid from year 100 to
// 9999; values are rounded to whole seconds when split into parts.

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

class COleDateTime
{
public:
    enum DateTimeStatus
    {
        valid = 0,
        invalid = 1,
    };

    COleDateTime() = default;
    explicit COleDateTime(double days);
    COleDateTime(int year, int month, int day, int hour, int minute, int second);

    // Now, in local time.
    static COleDateTime GetCurrentTime();
    // A time_t as local time (local true) or as UTC.
    static COleDateTime FromTimeT(time_t t, bool local = true);

    // Sets from parts; an impossible date (month 13, 30 February, 29 February
    // 2100) makes the value invalid and returns false.
    bool SetDateTime(int year, int month, int day, int hour, int minute, int second);

    // Reads the forms people and servers write in English: "12/31/2024
    // 23:59:59", "2024-12-31 23:59:59" or "2024-12-31T23:59:59", "31 Dec
    // 2024 23:59:59", "Dec 31 2024", with optional seconds and AM/PM, or a
    // date alone. Anything else leaves the value invalid and returns false.
    bool ParseDateTime(std::string_view text);

    // Splits into parts; false for an invalid or out-of-range value.
    bool GetParts(int& year, int& month, int& day, int& hour, int& minute, int& second) const;
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const; // 1 Sunday .. 7 Saturday, 0 when invalid

    // The value read as local time (local true) or as UTC, to a time_t; false when invalid.
    bool ToTimeT(time_t& t, bool local = true) const;
    // Conversions between local time and UTC through the tz database,
    // daylight saving included. An invalid value stays invalid.
    COleDateTime LocalToUtc() const;
    COleDateTime UtcToLocal() const;

    // strftime with the "C" locale's names; empty for an invalid value.
    std::string Format(const char* format) const;

    bool IsValid() const { return m_status == valid; }
    double GetValue() const { return m_dt; }

    bool operator==(const COleDateTime& other) const { return m_status == other.m_status && m_dt == other.m_dt; }
    bool operator<(const COleDateTime& other) const { return ToLinear() < other.ToLinear(); }
    // Difference in days, on the linear time line.
    double operator-(const COleDateTime& other) const { return ToLinear() - other.ToLinear(); }

    double m_dt = 0.0;
    DateTimeStatus m_status = valid;

private:
    // The OLE encoding is not linear below zero; this is a plain day count.
    double ToLinear() const;
    static double FromLinear(double days);
};

// Days from 1970-01-01 of a civil date (proleptic Gregorian); exact for every year.
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day);
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
