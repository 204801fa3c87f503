#include "transfer/ftp/FtpListing.h"

#include "tests/support/FileContents.h"
#include "tests/support/ScopedTimeZone.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{

class CRecordingSink : public CListingSink
{
public:
    explicit CRecordingSink(int style = kListingStyleUnknown)
    {
        m_style = style;
        // The fixtures were captured on this day; dates without a year are
        // read against it.
        m_now = COleDateTime(2026, 12, 10, 15, 20, 0);
    }

    void OnListingEntry(const CFtpListingEntry& entry) override { m_entries.push_back(entry); }

    std::vector<CFtpListingEntry> m_entries;
};

std::string DateText(const COleDateTime& date)
{
    return date.IsValid() ? date.Format("%Y-%m-%d %H:%M") : "invalid";
}

// What one line must give; a null name means the line is skipped.
struct LineCase
{
    const char* line;
    const char* name;
    int kind;
    int64_t size;
    const char* date;
    const char* attributes;
};

void ExpectLine(bool (*parse)(CListingSink&, std::string_view), const LineCase& c)
{
    SCOPED_TRACE(c.line);
    CRecordingSink sink;
    const bool reported = parse(sink, c.line);
    EXPECT_EQ(reported, !sink.m_entries.empty());
    if (!c.name)
    {
        EXPECT_FALSE(reported);
        return;
    }
    ASSERT_TRUE(reported);
    ASSERT_EQ(1u, sink.m_entries.size());
    const CFtpListingEntry& entry = sink.m_entries[0];
    EXPECT_EQ(c.name, entry.m_name);
    EXPECT_EQ(c.kind, entry.m_kind);
    EXPECT_EQ(c.size, entry.m_size);
    EXPECT_EQ(c.date, DateText(entry.m_date));
    EXPECT_EQ(c.attributes, entry.m_attributes);
}

std::string Fixture(const std::string& name)
{
    return ReadWhole(std::string(TW_FIXTURES_DIR) + "/ftp/" + name);
}

// Both real servers list the same folder; see tests/fixtures/ftp/README.md.
const LineCase kCapturedFolder[] = {
    {"", " leading-blank.txt", kEntryFile, 2, "2026-12-10 15:11", "-rw-r--r--"},
    {"", ".", kEntryFolder, 4096, "2026-12-10 15:11", "drwxr-xr-x"},
    {"", "..", kEntryFolder, 4096, "2026-12-10 15:11", "drwxr-xr-x"},
    // A regular file keeps " -> " in its name; only a link's target is cut.
    {"", "arrow -> in name.txt", kEntryFile, 2, "2026-12-10 15:11", "-rw-r--r--"},
    {"", "empty dir", kEntryFolder, 4096, "2026-12-10 15:11", "drwxr-xr-x"},
    {"", "empty.txt", kEntryFile, 0, "2026-12-10 15:11", "-rw-r--r--"},
    {"", "huge.iso", kEntryFile, 5000000000LL, "2021-02-28 00:00", "-rw-r--r--"},
    {"", "link-to-dir", kEntrySymbolicLink, 3, "2026-12-10 15:11", "lrwxrwxrwx"},
    {"", "link-to-small", kEntrySymbolicLink, 9, "2010-07-04 00:00", "lrwxrwxrwx"},
    {"", "name with  two blanks.txt", kEntryFile, 6, "2026-11-20 09:15", "-rw-r--r--"},
    {"", "one-mb.bin", kEntryFile, 1048576, "1999-12-31 00:00", "-rw-r--r--"},
    {"", "pub", kEntryFolder, 4096, "2026-12-10 15:11", "drwxr-xr-x"},
    {"", "small.bin", kEntryFile, 1234, "2004-03-05 00:00", "-rw-r--r--"},
    {"", "trailing-blank.txt ", kEntryFile, 2, "2026-12-10 15:11", "-rw-r--r--"},
};

class CapturedListingTest : public testing::TestWithParam<const char*>
{
};

TEST_P(CapturedListingTest, EveryEntryOfTheRealServerIsRead)
{
    const std::string listing = Fixture(GetParam());
    ASSERT_FALSE(listing.empty());
    CRecordingSink sink;
    ParseFtpListing(sink, listing);
    EXPECT_EQ(kListingStyleUnix, sink.m_style);
    ASSERT_EQ(std::size(kCapturedFolder), sink.m_entries.size());
    for (size_t i = 0; i < sink.m_entries.size(); ++i)
    {
        const LineCase& want = kCapturedFolder[i];
        const CFtpListingEntry& got = sink.m_entries[i];
        SCOPED_TRACE(want.name);
        EXPECT_EQ(want.name, got.m_name);
        EXPECT_EQ(want.kind, got.m_kind);
        EXPECT_EQ(want.size, got.m_size);
        EXPECT_EQ(want.date, DateText(got.m_date));
        EXPECT_EQ(want.attributes, got.m_attributes);
    }
}

INSTANTIATE_TEST_SUITE_P(Servers, CapturedListingTest,
                         testing::Values("vsftpd-list.txt", "pure-ftpd-list.txt"));

TEST(FtpListingTest, DatesWithoutAYearAreNeverInTheFuture)
{
    struct Case
    {
        COleDateTime now;
        const char* listed;
        const char* date;
    };
    const Case cases[] = {
        {COleDateTime(2026, 12, 10, 15, 20, 0), "Dec 10 15:11", "2026-12-10 15:11"},
        // In January, last autumn's files show their time, not their year.
        {COleDateTime(2027, 1, 5, 8, 0, 0), "Dec 10 15:11", "2026-12-10 15:11"},
        {COleDateTime(2027, 1, 5, 8, 0, 0), "Nov 20 09:15", "2026-11-20 09:15"},
        // A server a time zone ahead may list a file a day ahead of us.
        {COleDateTime(2027, 1, 5, 8, 0, 0), "Jan  6 12:00", "2027-01-06 12:00"},
        {COleDateTime(2027, 1, 5, 8, 0, 0), "Jan  8 12:00", "2026-01-08 12:00"},
        // 29 February of a leap year, listed in the year after.
        {COleDateTime(2025, 1, 10, 8, 0, 0), "Feb 29 10:00", "2024-02-29 10:00"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.listed);
        CRecordingSink sink;
        sink.m_now = c.now;
        ASSERT_TRUE(ParseUnixListingLine(sink, std::string("-rw-r--r--   1 ftp ftp 5 ") + c.listed + " x"));
        EXPECT_EQ(c.date, DateText(sink.m_entries.at(0).m_date));
    }
}

TEST(FtpListingTest, UnixLayoutsOfOtherServers)
{
    const LineCase cases[] = {
        // Numeric dates; a short year is this year's.
        {"-rw-r--r--   1 owner  group   1234 2004/03/05 14:27 numeric.txt", "numeric.txt", kEntryFile, 1234,
         "2004-03-05 14:27", "-rw-r--r--"},
        {"-rw-r--r-- 1 o g 10 98/03/05 14:27 short-year", "short-year", kEntryFile, 10, "2026-03-05 14:27",
         "-rw-r--r--"},
        // No link count, day before month, left-aligned year.
        {"-rw-r--r--   owner  group   77 Mar  5 12:34 nolinks", "nolinks", kEntryFile, 77, "2026-03-05 12:34",
         "-rw-r--r--"},
        {"-rw-r--r-- 1 owner group 55 5 Mar 12:34 dayfirst", "dayfirst", kEntryFile, 55, "2026-03-05 12:34",
         "-rw-r--r--"},
        {"-rw-r--r-- 1 owner group 55 5 Mar 2004 dayfirst-year", "dayfirst-year", kEntryFile, 55,
         "2004-03-05 00:00", "-rw-r--r--"},
        {"-rw-r--r--   1 owner group 1234 Mar 5 2004  padded.bin", "padded.bin", kEntryFile, 1234,
         "2004-03-05 00:00", "-rw-r--r--"},
        {"-rw-r--r--   1 owner group 1234 Mar  5  2004  lead.bin", " lead.bin", kEntryFile, 1234,
         "2004-03-05 00:00", "-rw-r--r--"},
        // Link, "ls -F" folder, French month.
        {"lrwxrwxrwx 1 owner group 9 Jul  4  2010 link -> target", "link", kEntrySymbolicLink, 9,
         "2010-07-04 00:00", "lrwxrwxrwx"},
        {"lrwxrwxrwx 1 owner group 9 Jul  4  2010 link-to-dir -> pub/", "link-to-dir", kEntrySymbolicLink, 9,
         "2010-07-04 00:00", "lrwxrwxrwx"},
        {"drwxr-xr-x 2 owner group 4096 Mar 5 12:34 folder/", "folder", kEntryFolder, 4096,
         "2026-03-05 12:34", "drwxr-xr-x"},
        {"-rw-r--r-- 1 owner group 3 Fev 7 2001 fr", "fr", kEntryFile, 3, "2001-02-07 00:00", "-rw-r--r--"},
        // Owner and size run together, or group and size.
        {"-rw-r--r-- 1 ownernam123456789 Mar 5 12:34 runon.txt", "runon.txt", kEntryFile, 123456789,
         "2026-03-05 12:34", "-rw-r--r--"},
        {"-rw-r--r-- 1 owner group12345 Mar 5 12:34 joined.txt", "joined.txt", kEntryFile, 12345,
         "2026-03-05 12:34", "-rw-r--r--"},
        {"-rw-r--r-- 1 owner group00000 Mar 5 12:34 zero.txt", nullptr, 0, 0, "", ""},
        // Month and time without a day; month and year.
        {"-rw-r--r-- 1 owner group 321 Mar 12:34 monthtime.txt", "monthtime.txt", kEntryFile, 321,
         "2026-03-01 12:34", "-rw-r--r--"},
        {"-rw-r--r-- 1 owner group 321 Mar 2004 monthyear.txt", "monthyear.txt", kEntryFile, 321,
         "2004-03-01 00:00", "-rw-r--r--"},
        // The twelve-hour clock.
        {"-rw-r--r-- 1 owner group 321 Mar 10:30pm ampm.txt", "ampm.txt", kEntryFile, 321, "2026-03-01 22:30",
         "-rw-r--r--"},
        {"-rw-r--r-- 1 owner group 321 Mar 12:15am midnight", "midnight", kEntryFile, 321, "2026-03-01 00:15",
         "-rw-r--r--"},
        {"-rw-r--r-- 1 owner group 321 Mar 12:15PM noon", "noon", kEntryFile, 321, "2026-03-01 12:15",
         "-rw-r--r--"},
        {"-rw-r--r-- 1 owner group 321 Mar 10:30xm bad", nullptr, 0, 0, "", ""},
        // An unknown date, an impossible one, and a size of -1.
        {"-rw-r--r-- 1 owner group 10 ??? 0 0 unknown.txt", "unknown.txt", kEntryFile, 10, "invalid",
         "-rw-r--r--"},
        {"-rw-r--r-- 1 owner group 10 Feb 30 2004 feb30", "feb30", kEntryFile, 10, "invalid", "-rw-r--r--"},
        {"-rw-r--r-- 1 owner group -1 Mar 5 2004 minus", "minus", kEntryFile, 4294967295LL,
         "2004-03-05 00:00", "-rw-r--r--"},
        // Out of range, other kinds, no name.
        {"-rw-r--r-- 1 owner group 10 Mar 32 12:34 day32", nullptr, 0, 0, "", ""},
        {"-rw-r--r-- 1 owner group 10 Mar 5 12:60 minute60", nullptr, 0, 0, "", ""},
        {"-rw-r--r-- 1 owner group 10 Mar 5 -2004 negative-year", nullptr, 0, 0, "", ""},
        {"crw-rw-rw- 1 root root 1, 3 Mar 5 12:34 null", nullptr, 0, 0, "", ""},
        {"prw-r--r-- 1 root root 0 Mar 5 12:34 fifo", nullptr, 0, 0, "", ""},
        {" -rw-r--r-- 1 owner group 5 Mar 5 12:34 indented", nullptr, 0, 0, "", ""},
        {"-rw-r--r-- 1 owner group 5 Mar 5 12:34 ", nullptr, 0, 0, "", ""},
        {"drwxr-xr-x 2 owner group 4096 Mar 5 12:34 /", nullptr, 0, 0, "", ""},
        {"lrwxrwxrwx 1 owner group 9 Mar 5 12:34 -> target", "-> target", kEntrySymbolicLink, 9,
         "2026-03-05 12:34", "lrwxrwxrwx"},
        {"total 12", nullptr, 0, 0, "", ""},
        {"", nullptr, 0, 0, "", ""},
    };
    for (const LineCase& c : cases)
        ExpectLine(ParseUnixListingLine, c);
}

TEST(FtpListingTest, UnixLinesWithAnOctalModeAndSecondsSince1970)
{
    ScopedTimeZone zone("UTC");
    const LineCase cases[] = {
        {"0100644 owner group 2048 1078495620 seconds.txt", "seconds.txt", kEntryFile, 2048,
         "2004-03-05 14:07", "0100644"},
        {"040755 owner group 4096 1078495620 a folder", "a folder", kEntryFolder, 4096, "2004-03-05 14:07",
         "040755"},
        {"0100644 owner group 2048 -1 minus-one.txt", nullptr, 0, 0, "", ""},
        {"0100644 owner group 1 4102444800 y2100", "y2100", kEntryFile, 1, "2100-01-01 00:00", "0100644"},
        {"0100644 owner group 2048 1078495620 ", nullptr, 0, 0, "", ""},
    };
    for (const LineCase& c : cases)
        ExpectLine(ParseUnixListingLine, c);
}

TEST(FtpListingTest, DosLines)
{
    const LineCase cases[] = {
        {"03-05-04  02:27PM       <DIR>          aspnet_client", "aspnet_client", kEntryFolder, -1,
         "2004-03-05 14:27", ""},
        {"12-31-99  12:05AM               1048576 one-mb.bin", "one-mb.bin", kEntryFile, 1048576,
         "1999-12-31 00:05", ""},
        {"01-02-03  12:30PM                  1234 name with  blanks.txt ", "name with  blanks.txt ",
         kEntryFile, 1234, "2003-01-02 12:30", ""},
        {"01-02-03  12:30PM       <dir>           leading", " leading", kEntryFolder, -1, "2003-01-02 12:30",
         ""},
        {"01-02-03\t01:00AM\t<DIR>\tshort", "short", kEntryFolder, -1, "2003-01-02 01:00", ""},
        {"13-02-03  01:00AM 5 month13", "month13", kEntryFile, 5, "2003-01-02 01:00", ""},
        {"01-02-50  01:00AM 5 y1950", "y1950", kEntryFile, 5, "1950-01-02 01:00", ""},
        {"01-02-49  01:00AM 5 y2049", "y2049", kEntryFile, 5, "2049-01-02 01:00", ""},
        {"01-02-03  01:00AM 0 empty", "empty", kEntryFile, 0, "2003-01-02 01:00", ""},
        // Not DOS lines, or broken ones.
        {"1-02-03  01:00AM 5 x", nullptr, 0, 0, "", ""},
        {"01-02-2003  01:00AM 5 x", nullptr, 0, 0, "", ""},
        {"01-02-03  13:00 5 x", nullptr, 0, 0, "", ""},
        {"01-02-03  01:00am 5 x", nullptr, 0, 0, "", ""},
        {"02-30-03  01:00AM 5 x", nullptr, 0, 0, "", ""},
        {"01-02-03  25:00AM 5 x", nullptr, 0, 0, "", ""},
        {"01-02-03  01:00AM <FILE> x", nullptr, 0, 0, "", ""},
        {"01-02-03  01:00AM 12a x", nullptr, 0, 0, "", ""},
        {"01-02-03  01:00AM 99999999999999999999999 x", nullptr, 0, 0, "", ""},
        // Short lines end before the name.
        {"01-02-03  01:00AM       <DIR>", nullptr, 0, 0, "", ""},
        {"01-02-03  01:00AM       <DIR>   ", nullptr, 0, 0, "", ""},
        {"01-02-03  01:00AM 5", nullptr, 0, 0, "", ""},
        {"01-02-03  01:00AM 5 ", nullptr, 0, 0, "", ""},
        {"01-02-03  01:00AM", nullptr, 0, 0, "", ""},
        {"", nullptr, 0, 0, "", ""},
    };
    for (const LineCase& c : cases)
        ExpectLine(ParseDosListingLine, c);
}

TEST(FtpListingTest, DosDates)
{
    struct Case
    {
        const char* text;
        const char* date; // null: refused
    };
    const Case cases[] = {
        {"03-05-04 12:00AM", "2004-03-05 00:00"},
        {"03-05-04 12:00PM", "2004-03-05 12:00"},
        {"03-05-04 11:59PM", "2004-03-05 23:59"},
        {"03-05-04 01:00AM", "2004-03-05 01:00"},
        {"03-05-04  \t 01:00AM", "2004-03-05 01:00"},
        {"03-05-04 01:00AM       ", nullptr},
        {"03-05-04 01:00", nullptr},
        {"3-05-04 01:00AM", nullptr},
        {"03-05-04 01:00AMP", nullptr},
        {"03-05-04 01:00AMX", "2004-03-05 01:00"},
        {"", nullptr},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        COleDateTime date(1.0);
        const bool ok = ParseDosDateTime(c.text, date);
        EXPECT_EQ(c.date != nullptr, ok);
        EXPECT_EQ(c.date ? c.date : "1899-12-31 00:00", DateText(date));
    }
}

TEST(FtpListingTest, SizeFirstLines)
{
    const LineCase cases[] = {
        {"1234 Mar 5, 2004 12:34 file.txt", "file.txt", kEntryFile, 1234, "2004-03-05 12:34", ""},
        {"0 DECEMBER 31, 1999 23:59   \tfolder/", "folder", kEntryFolder, 0, "1999-12-31 23:59", ""},
        {"77 feb 29, 2004 00:00 *star*ed*", "stared", kEntryFile, 77, "2004-02-29 00:00", ""},
        {"5 Xyz 1, 2004 01:02 unknown-month", "unknown-month", kEntryFile, 5, "2004-01-01 01:02", ""},
        {"5 Mar 5, 2004 24:00 hour24", "hour24", kEntryFile, 5, "invalid", ""},
        {"5 Mar 5, 2004 25:00 x", nullptr, 0, 0, "", ""},
        {"5 Mar 5, 2004 12:60 x", nullptr, 0, 0, "", ""},
        {"5 Mar 0, 2004 12:00 x", nullptr, 0, 0, "", ""},
        {"5 Mar 32, 2004 12:00 x", nullptr, 0, 0, "", ""},
        {"5 Mar 5, -1 12:00 x", nullptr, 0, 0, "", ""},
        {"5 Mar 5 2004 12:00 x", nullptr, 0, 0, "", ""},
        {"5 Mar 5, 2004 12:34 ", nullptr, 0, 0, "", ""},
        {"5 Mar 5, 2004 12:34 /", nullptr, 0, 0, "", ""},
        {"5 Mar 5, 2004 12:34 ***", nullptr, 0, 0, "", ""},
    };
    for (const LineCase& c : cases)
        ExpectLine(ParseSizeFirstListingLine, c);
}

TEST(FtpListingTest, ReportForLines)
{
    const LineCase cases[] = {
        {"FILE.TXT  x  1234 03/05/04 14:27", "FILE.TXT", kEntryUnspecified, 1234, "2004-03-05 14:27", ""},
        {"OLD.DAT x 1 12/31/99 23:59 trailing text", "OLD.DAT", kEntryUnspecified, 1, "1999-12-31 23:59", ""},
        {"NEW.DAT x 1 1/2/2004 3:04", "NEW.DAT", kEntryUnspecified, 1, "2004-01-02 03:04", ""},
        {"EPOCH.DAT x 1 1/1/70 0:00", "EPOCH.DAT", kEntryUnspecified, 1, "1970-01-01 00:00", ""},
        {"BAD.DAT x 1 2/30/04 0:00", "BAD.DAT", kEntryUnspecified, 1, "invalid", ""},
        {"NAME x 1 1/2/04", nullptr, 0, 0, "", ""},
        {"NAME x size 1/2/04 3:04", nullptr, 0, 0, "", ""},
    };
    for (const LineCase& c : cases)
        ExpectLine(ParseListingLineStyle8, c);
}

TEST(FtpListingTest, HeaderLinesFixTheStyle)
{
    struct Case
    {
        const char* line;
        int style;
    };
    const Case cases[] = {
        {"Volume Unit    Referred Ext Used Recfm Lrecl BlkSz Dsorg Dsname", kListingStyleVolumeUnit},
        {"Name     VV.MM   Created       Changed      Size  Init   Mod   Id", kListingStyleVolumeUnit},
        {"File  Code  EOF  Last Modification  Owner  RWEP", kListingStyleFileCode},
        {"  Report  for:\tSYS1", kListingStyleReportFor},
        {"report for: lower case", kListingStyleUnknown},
        {"total 12", kListingStyleUnknown},
        {"", kListingStyleUnknown},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(c.style, DetectListingStyle(c.line));
    }
}

TEST(FtpListingTest, ListingsAfterAHeaderLine)
{
    CRecordingSink volumes;
    ParseFtpListing(volumes, "Volume Unit    Referred Ext Used Recfm Lrecl BlkSz Dsorg Dsname\r\n"
                             "WYK001 3390   2004/03/05  1   15  FB      80  6160  PS  DATA.SET\r\n"
                             "-rw-r--r-- 1 owner group 5 Mar 5 12:34 unix-line\r\n");
    EXPECT_EQ(kListingStyleVolumeUnit, volumes.m_style);
    EXPECT_TRUE(volumes.m_entries.empty());

    CRecordingSink report;
    ParseFtpListing(report,
                    "Report for: SYS1 \r\nA.TXT x 10 03/05/04 14:27\r\nB.TXT x 20 03/06/04 09:00\r\n");
    EXPECT_EQ(kListingStyleReportFor, report.m_style);
    EXPECT_EQ("Report for: SYS1", report.m_firstLine);
    ASSERT_EQ(2u, report.m_entries.size());
    EXPECT_EQ("A.TXT", report.m_entries[0].m_name);
    EXPECT_EQ("B.TXT", report.m_entries[1].m_name);
    EXPECT_EQ(20, report.m_entries[1].m_size);
}

TEST(FtpListingTest, TheFirstAcceptedLineFixesTheStyle)
{
    // A "total" line is no header: the style stays open for the next line.
    CRecordingSink unix;
    ParseFtpListing(unix, "total 8\n-rw-r--r-- 1 o g 5 Mar 5 12:34 a\n03-05-04  02:27PM 12 dos-line\n");
    EXPECT_EQ(kListingStyleUnix, unix.m_style);
    EXPECT_EQ("total 8", unix.m_firstLine);
    ASSERT_EQ(1u, unix.m_entries.size());
    EXPECT_EQ("a", unix.m_entries[0].m_name);

    // This line reads both as DOS and (as an octal mode and seconds) as UNIX:
    // DOS is tried first and stays the style.
    const std::string both = "12-25-03  07:30PM 1234 5 6 x";
    CRecordingSink asUnix;
    ASSERT_TRUE(ParseUnixListingLine(asUnix, both));
    CRecordingSink dos;
    ParseFtpListing(dos, both + "\n-rw-r--r-- 1 o g 5 Mar 5 12:34 unix\n03-05-04  02:27PM 12 second\n");
    EXPECT_EQ(kListingStyleDos, dos.m_style);
    ASSERT_EQ(2u, dos.m_entries.size());
    EXPECT_EQ("5 6 x", dos.m_entries[0].m_name);
    EXPECT_EQ(1234, dos.m_entries[0].m_size);
    EXPECT_EQ("second", dos.m_entries[1].m_name);

    // A style kept from an earlier listing of the server is used at once.
    CRecordingSink kept(kListingStyleSizeFirst);
    ParseFtpListing(kept, "-rw-r--r-- 1 o g 5 Mar 5 12:34 unix\n1234 Mar 5, 2004 12:34 size-first\n");
    ASSERT_EQ(1u, kept.m_entries.size());
    EXPECT_EQ("size-first", kept.m_entries[0].m_name);

    // Styles without a parser report nothing.
    for (int style : {int{kListingStyle3}, int{kListingStyleVolumeUnit}, int{kListingStyleFileCode},
                      int{kListingStyle6}, 9, -1})
    {
        CRecordingSink none(style);
        EXPECT_FALSE(ParseListingLine(none, "-rw-r--r-- 1 o g 5 Mar 5 12:34 unix"));
        EXPECT_EQ(style, none.m_style);
    }
}

TEST(FtpListingTest, LinesEndAtLineFeedsWithOrWithoutCarriageReturn)
{
    CRecordingSink sink;
    ParseFtpListing(sink, "-rw-r--r-- 1 o g 1 Mar 5 12:34 a\r\n"
                          "-rw-r--r-- 1 o g 2 Mar 5 12:34 b\n"
                          "\n"
                          "-rw-r--r-- 1 o g 3 Mar 5 12:34 c\r\r\n"
                          "-rw-r--r-- 1 o g 4 Mar 5 12:34 d\r");
    ASSERT_EQ(4u, sink.m_entries.size());
    EXPECT_EQ("a", sink.m_entries[0].m_name);
    EXPECT_EQ("b", sink.m_entries[1].m_name);
    EXPECT_EQ("c\r", sink.m_entries[2].m_name);
    EXPECT_EQ("d", sink.m_entries[3].m_name);

    CRecordingSink empty;
    empty.m_firstLine = "old";
    ParseFtpListing(empty, "");
    EXPECT_TRUE(empty.m_entries.empty());
    EXPECT_EQ("", empty.m_firstLine);
}

TEST(FtpListingTest, TheCancelObjectStopsBeforeTheNextLine)
{
    class CStopAfter : public ICancelPoll
    {
    public:
        explicit CStopAfter(int lines) : m_left(lines) {}
        int Poll() override { return m_left-- > 0 ? 0 : 3; }
        int m_left;
    };
    std::string listing;
    for (int i = 0; i < 10; ++i)
        listing += "-rw-r--r-- 1 o g 1 Mar 5 12:34 f" + std::to_string(i) + "\n";
    CRecordingSink sink;
    CStopAfter cancel(3);
    ParseFtpListing(sink, listing, &cancel);
    ASSERT_EQ(3u, sink.m_entries.size());
    EXPECT_EQ("f2", sink.m_entries[2].m_name);
}

// Valid lines of every style, cut at every length: no parser may read past
// the cut (each prefix lives in a buffer of exactly its length, for the
// address sanitizer), and whatever is still reported has a name that the
// prefix holds.
TEST(FtpListingTest, TruncatedLinesAreReadSafely)
{
    std::vector<std::string> lines = {
        "03-05-04  02:27PM       <DIR>          aspnet_client",
        "12-31-99  12:05AM               1048576 one-mb.bin",
        "1234 Mar 5, 2004 12:34 file.txt/",
        "FILE.TXT  x  1234 03/05/04 14:27",
        "-rw-r--r--   1 owner  group   1234 2004/03/05 14:27 numeric.txt",
        "-rw-r--r-- 1 ownernam123456789 Mar 5 12:34 runon.txt",
        "-rw-r--r-- 1 owner group12345 Mar 5 12:34 joined.txt",
        "-rw-r--r-- 1 owner group 321 Mar 10:30pm ampm.txt",
        "0100644 owner group 2048 1078495620 seconds.txt",
        "lrwxrwxrwx 1 owner group 9 Jul  4  2010 link -> target",
    };
    for (const char* fixture : {"vsftpd-list.txt", "pure-ftpd-list.txt"})
    {
        const std::string listing = Fixture(fixture);
        for (size_t start = 0, end; start < listing.size(); start = end + 1)
        {
            end = listing.find('\n', start);
            if (end == std::string::npos)
                end = listing.size();
            lines.push_back(listing.substr(start, end - start));
        }
    }

    const int styles[] = {kListingStyleUnknown, kListingStyleDos, kListingStyleUnix, kListingStyleSizeFirst,
                          kListingStyleReportFor};
    int reported = 0;
    for (const std::string& line : lines)
    {
        for (size_t length = 0; length <= line.size(); ++length)
        {
            std::unique_ptr<char[]> exact(new char[length > 0 ? length : 1]);
            line.copy(exact.get(), length);
            const std::string_view prefix(exact.get(), length);
            for (int style : styles)
            {
                CRecordingSink sink(style);
                ParseListingLine(sink, prefix);
                EXPECT_LE(sink.m_entries.size(), 1u);
                for (const CFtpListingEntry& entry : sink.m_entries)
                {
                    ++reported;
                    EXPECT_FALSE(entry.m_name.empty()) << prefix;
                    EXPECT_NE(std::string::npos, line.find(entry.m_name)) << prefix;
                }
            }
            DetectListingStyle(prefix);
            COleDateTime date;
            ParseDosDateTime(prefix, date);
        }
    }
    // The cuts after the start of each name still give entries.
    EXPECT_GT(reported, 0);

    // A DOS folder line cut within the padding after "<DIR>" has no name.
    const std::string dosFolder = "03-05-04  02:27PM       <DIR>          aspnet_client";
    for (size_t length = dosFolder.find("<DIR>") + 5; length < dosFolder.find("aspnet"); ++length)
    {
        CRecordingSink sink;
        EXPECT_FALSE(ParseDosListingLine(sink, dosFolder.substr(0, length))) << length;
    }
}

TEST(FtpListingTest, HostileLongLines)
{
    const size_t kLength = 256 * 1024;
    const std::string longName(kLength, 'n');
    CRecordingSink sink;
    ParseFtpListing(sink, "-rw-r--r-- 1 o g 5 Mar 5 12:34 " + longName + "\r\n" + "03-05-04  02:27PM 7 " +
                              longName);
    ASSERT_EQ(1u, sink.m_entries.size());
    EXPECT_EQ(longName, sink.m_entries[0].m_name);

    std::string manyFields;
    while (manyFields.size() < kLength)
        manyFields += "12 ";
    std::string withNul = "-rw-r--r-- 1 o g 5 Mar 5 12:34 a";
    withNul += '\0';
    withNul += "b";
    const std::string hostile[] = {
        std::string(kLength, 'x'),
        std::string(kLength, ' '),
        std::string(kLength, '-'),
        std::string(kLength, '9'),
        "-" + manyFields,
        "-rw-r--r-- 1 o g " + std::string(kLength, '9') + " Mar 5 12:34 big",
        "01-02-03  01:00AM " + std::string(kLength, '9') + " big",
        std::string(kLength, '/') + " x 1 1/2/3 4:5",
        withNul,
    };
    for (const std::string& line : hostile)
    {
        for (int style : {kListingStyleUnknown, kListingStyleDos, kListingStyleUnix, kListingStyleSizeFirst,
                          kListingStyleReportFor})
        {
            CRecordingSink each(style);
            ParseFtpListing(each, line);
            for (const CFtpListingEntry& entry : each.m_entries)
                EXPECT_FALSE(entry.m_name.empty());
        }
    }

    // A digit run too long for 64 bits saturates at all bits set (and is then
    // taken as the 32-bit "unknown" size) rather than wrapping round.
    CRecordingSink big;
    ASSERT_TRUE(ParseUnixListingLine(big, hostile[5]));
    EXPECT_EQ(4294967295LL, big.m_entries[0].m_size);
    // An embedded NUL is part of the name, not its end.
    CRecordingSink nul;
    ASSERT_TRUE(ParseUnixListingLine(nul, withNul));
    EXPECT_EQ(std::string("a\0b", 3), nul.m_entries[0].m_name);
}

} // namespace
