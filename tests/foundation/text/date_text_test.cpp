#include "foundation/text/DateText.h"

#include "tests/support/ScopedTimeZone.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <string>

namespace
{
std::string Iso(const COleDateTime& date)
{
    return date.Format("%Y-%m-%d %H:%M:%S");
}
} // namespace

TEST(MonthFromNameTest, EnglishFrenchAndOtherNames)
{
    const struct
    {
        const char* name;
        int month;
    } cases[] = {
        {"Jan", 1},  {"Feb", 2},  {"feb", 2},  {"FEB", 2},   {"Fev", 2},    {"Avr", 4},  {"Mai", 5},
        {"Dec", 12}, {"Mars", 3}, {"juin", 6}, {"Juil", 7},  {"Aout", 8},   {"Sept", 9}, {"Janv", -1},
        {"Ja", -1},  {"", -1},    {"Xyz", -1}, {"June", -1}, {"Janua", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MonthFromName(c.name), c.month) << '"' << c.name << '"';
}

// The forms of RFC 6265, 5.1.1 and those servers really send.
TEST(ParseCookieDateTest, ReadsTheUsualFormsAsUtc)
{
    const struct
    {
        const char* text;
        const char* utc;
    } cases[] = {
        {"Sun, 06 Nov 1994 08:49:37 GMT", "1994-11-06 08:49:37"},  // RFC 1123
        {"Sunday, 06-Nov-94 08:49:37 GMT", "1994-11-06 08:49:37"}, // RFC 850
        {"Sun Nov  6 08:49:37 1994", "1994-11-06 08:49:37"},       // asctime
        {"Wed, 09 Jun 2021 10:18:14 GMT", "2021-06-09 10:18:14"},
        {"Thu, 01-Jan-1970 00:00:01 GMT", "1970-01-01 00:00:01"},
        {"Fri, 31 Dec 9999 23:59:59 GMT", "9999-12-31 23:59:59"},
        // Two-digit years: 70 to 99 in the 1900s, 0 to 69 in the 2000s.
        {"Tue, 31-Dec-69 23:59:59 GMT", "2069-12-31 23:59:59"},
        {"Thu, 01-Jan-70 00:00:00 GMT", "1970-01-01 00:00:00"},
        {"Sat, 01-Jan-00 00:00:00 GMT", "2000-01-01 00:00:00"},
        // Fields in any order, any delimiters, tokens with trailing letters.
        {"08:49:37 1994 Nov 6", "1994-11-06 08:49:37"},
        {"6th November 1994, 8:49:37pm", "1994-11-06 08:49:37"},
        {"Sun/06/Nov/1994 08:49:37+0000", "1994-11-06 08:49:37"},
        {"  Thu, 29 Feb 2024 1:2:3 UTC  ", "2024-02-29 01:02:03"},
    };
    for (const auto& c : cases)
    {
        COleDateTime date;
        ASSERT_TRUE(ParseCookieDate(c.text, date)) << c.text;
        EXPECT_EQ(Iso(date), c.utc) << c.text;
    }
}

TEST(ParseHttpDateTest, ReadsTheThreeFormsAndHttpTwoDigitYears)
{
    const struct
    {
        const char* text;
        int currentYear;
        const char* utc; // null: refused
    } cases[] = {
        {"Sun, 06 Nov 1994 08:49:37 GMT", 2026, "1994-11-06 08:49:37"},
        {"Sunday, 06-Nov-94 08:49:37 GMT", 2026, "1994-11-06 08:49:37"},
        {"Sun Nov  6 08:49:37 1994", 2026, "1994-11-06 08:49:37"},
        {"Nov 16 08:49:37 1994", 2026, "1994-11-16 08:49:37"},
        {"06 Nov 1994 08:49:37", 2026, "1994-11-06 08:49:37"},
        {"Tue, 30 Jun 2015 23:59:60 GMT", 2026, "2015-06-30 23:59:59"},
        // Two-digit years: no more than 50 years ahead, else a century back.
        {"Thursday, 06-Jul-76 08:49:37 GMT", 2026, "2076-07-06 08:49:37"},
        {"Monday, 06-Jul-77 08:49:37 GMT", 2026, "1977-07-06 08:49:37"},
        {"Friday, 06-Jul-60 08:49:37 GMT", 2026, "2060-07-06 08:49:37"},
        {"Sunday, 06-Jul-25 08:49:37 GMT", 2026, "2025-07-06 08:49:37"},
        {"Sunday, 06-Jul-25 08:49:37 GMT", 2080, "2125-07-06 08:49:37"},
        {"Saturday, 06-Jul-99 08:49:37 GMT", 2050, "2099-07-06 08:49:37"},
        {"Saturday, 06-Jul-01 08:49:37 GMT", 1990, "2001-07-06 08:49:37"},
        // Anything else is left to the other readers.
        {"Dec 31 2024 11:59:59 PM", 2026, nullptr},
        {"12/31/2024 23:59:59", 2026, nullptr},
        {"Sun, 06 Nov 994 08:49:37 GMT", 2026, nullptr},
        {"Sun, 31 Nov 1994 08:49:37 GMT", 2026, nullptr},
        {"Sun, 06 Nov 1994 24:00:00 GMT", 2026, nullptr},
        {"Sun Nov  6 1994 08:49:37", 2026, nullptr},
        {"", 2026, nullptr},
    };
    for (const auto& c : cases)
    {
        COleDateTime date(2000, 1, 1, 0, 0, 0);
        const bool ok = ParseHttpDate(c.text, c.currentYear, date);
        EXPECT_EQ(ok, c.utc != nullptr) << c.text;
        EXPECT_EQ(Iso(date), c.utc ? c.utc : "2000-01-01 00:00:00") << c.text;
    }
}

TEST(ParseCookieDateTest, RefusesMissingOrImpossibleFields)
{
    const char* cases[] = {
        "",
        "GMT",
        "06 Nov 1994",                // no time
        "Sun, 06 1994 08:49:37 GMT",  // no month
        "Sun, Nov 1994 08:49:37 GMT", // no day
        "Sun, 06 Nov 08:49:37 GMT",   // no year
        "30 Feb 2021 00:00:00",       // no such day
        "29 Feb 2023 00:00:00",       // not a leap year
        "32 Jan 2021 00:00:00",       // day out of range
        "0 Jan 2021 00:00:00",        //
        "1 Jan 1600 00:00:00",        // before 1601
        "1 Jan 2021 24:00:00",        // hour out of range
        "1 Jan 2021 12:60:00",        //
        "1 Jan 2021 12:00:60",        //
        "100 Jan 2021 00:00:00",      // a three-digit day is no day
        "1 Jan 20210 00:00:00",       // a five-digit year is no year
        "1 Jan 2021 123:00:00",       // three-digit hour is no time
        "\x01\x02\x7f\xff",
    };
    for (const char* text : cases)
    {
        COleDateTime date(1.5);
        EXPECT_FALSE(ParseCookieDate(text, date)) << text;
        EXPECT_EQ(date.GetValue(), 1.5) << text << ": left alone on failure";
    }
}

TEST(GetCurrentTimeUtcTest, IsTheSystemClockInUtcWhateverTheZone)
{
    for (const char* zone : {"CET-1CEST,M3.5.0,M10.5.0/3", "EST5EDT,M3.2.0,M11.1.0", "UTC0"})
    {
        ScopedTimeZone tz(zone);
        const time_t before = std::time(nullptr);
        time_t got = 0;
        ASSERT_TRUE(GetCurrentTimeUtc().ToTimeT(got, false)) << zone;
        const time_t after = std::time(nullptr);
        EXPECT_GE(got, before) << zone;
        EXPECT_LE(got, after) << zone;
    }
}
