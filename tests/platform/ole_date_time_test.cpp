#include "platform/core/OleDateTime.h"

#include "tests/support/ScopedTimeZone.h"

#include <gtest/gtest.h>

#include <cstdlib>


TEST(OleDateTime, KnownValues)
{
    struct Case
    {
        int y, mo, d, h, mi, s;
        double value;
    };
    // Values as the OLE date type defines them.
    const Case cases[] = {
        {1899, 12, 30, 0, 0, 0, 0.0},    {1900, 1, 1, 0, 0, 0, 2.0},        {1899, 12, 29, 6, 0, 0, -1.25},
        {1970, 1, 1, 0, 0, 0, 25569.0},  {2000, 1, 1, 12, 0, 0, 36526.5},   {1899, 12, 30, 18, 0, 0, 0.75},
        {9999, 12, 31, 0, 0, 0, 2958465.0}, {100, 1, 1, 0, 0, 0, -657434.0},
    };
    for (const Case& c : cases)
    {
        const COleDateTime date(c.y, c.mo, c.d, c.h, c.mi, c.s);
        ASSERT_TRUE(date.IsValid());
        EXPECT_DOUBLE_EQ(date.m_dt, c.value) << c.y << "-" << c.mo << "-" << c.d;
        int y, mo, d, h, mi, s;
        ASSERT_TRUE(COleDateTime(c.value).GetParts(y, mo, d, h, mi, s));
        EXPECT_EQ((std::vector<int>{y, mo, d, h, mi, s}), (std::vector<int>{c.y, c.mo, c.d, c.h, c.mi, c.s}));
    }
}

TEST(OleDateTime, ImpossibleDatesAreInvalid)
{
    EXPECT_FALSE(COleDateTime(2100, 2, 29, 0, 0, 0).IsValid());
    EXPECT_TRUE(COleDateTime(2000, 2, 29, 0, 0, 0).IsValid());
    EXPECT_FALSE(COleDateTime(2024, 13, 1, 0, 0, 0).IsValid());
    EXPECT_FALSE(COleDateTime(2024, 4, 31, 0, 0, 0).IsValid());
    EXPECT_FALSE(COleDateTime(2024, 1, 1, 24, 0, 0).IsValid());
    EXPECT_EQ(COleDateTime(2024, 13, 1, 0, 0, 0).Format("%Y"), "");
}

TEST(OleDateTime, ParseEnglishForms)
{
    const struct
    {
        const char* text;
        const char* expected; // "" when the text must not parse
    } cases[] = {
        {"12/31/2024 23:59:59", "2024-12-31 23:59:59"},
        {"2024-12-31 23:59", "2024-12-31 23:59:00"},
        {"2024-12-31T01:02:03Z", "2024-12-31 01:02:03"},
        {"Tue, 31 Dec 2024 08:09:10 GMT", "2024-12-31 08:09:10"},
        {"Dec 31 2024", "2024-12-31 00:00:00"},
        {"1/2/2003 1:05 PM", "2003-01-02 13:05:00"},
        {"12/31/2024 12:00 AM", "2024-12-31 00:00:00"},
        {"2/30/2024", ""},
        {"", ""},
        {"hello", ""},
        {"12:30:00", ""},
    };
    for (const auto& c : cases)
    {
        COleDateTime date;
        const bool ok = date.ParseDateTime(c.text);
        EXPECT_EQ(ok, *c.expected != 0) << c.text;
        EXPECT_EQ(date.Format("%Y-%m-%d %H:%M:%S"), c.expected) << c.text;
    }
}

TEST(OleDateTime, LocalAndUtcFollowDaylightSaving)
{
    ScopedTimeZone zone("Europe/Berlin");
    const COleDateTime winter(2024, 1, 15, 12, 0, 0);
    const COleDateTime summer(2024, 7, 15, 12, 0, 0);
    EXPECT_EQ(winter.LocalToUtc().Format("%H:%M"), "11:00");
    EXPECT_EQ(summer.LocalToUtc().Format("%H:%M"), "10:00");
    EXPECT_EQ(summer.LocalToUtc().UtcToLocal(), summer);

    time_t t = 0;
    ASSERT_TRUE(COleDateTime(1970, 1, 1, 0, 0, 0).ToTimeT(t, false));
    EXPECT_EQ(t, 0);
    EXPECT_EQ(COleDateTime::FromTimeT(86400 * 365, false).Format("%Y-%m-%d"), "1971-01-01");
}

TEST(OleDateTime, FormatUsesEnglishNames)
{
    EXPECT_EQ(COleDateTime(2024, 3, 5, 7, 8, 9).Format("%a, %d %b %Y %H:%M:%S"), "Tue, 05 Mar 2024 07:08:09");
}
