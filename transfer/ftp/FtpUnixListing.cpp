// The UNIX-style line parser of FtpListing.h. "ls -l" output differs between
// systems and servers in which columns it has (link count, owner, group) and
// how it writes the date, so a line is matched against a cascade of layouts,
// from the most common to the most unusual, and the first that fits wins.

#include "foundation/text/DateText.h"
#include "platform/core/Text.h"
#include "transfer/ftp/FtpListing.h"
#include "transfer/ftp/ScanFormat.h"

#include <cstdint>

namespace
{

// How the conversions of a layout map onto the fields. Every layout begins
// with the permission field and the owner and ends with "%n" after the date.
enum class DateForm
{
    Numeric,        // size, year/month/day hour:minute
    TimeNoYear,     // size, month name and day in either order, hour:minute
    YearNoTime,     // size, month name and day in either order, year
    OwnerSizeRunOn, // a 17-character field of 8 owner characters and 9 size digits, month day hour:minute
    SizeEndsField,  // group and size run together, month day hour:minute
    MonthTime,      // size, month name, hour:minute (day 1)
    MonthYear,      // size, month name, year (day 1)
    Seconds,        // size, seconds since 1970
};

struct Layout
{
    const char* format;
    DateForm form;
    // The layout counts only when a white-space character follows the date.
    bool whiteSpaceAfter;
};

// The group 2 and group 3 layouts that are tried again at the end, without
// the white-space test.
constexpr const char* kTimeSixSkips = "%s %*d %s %*s %*s %*s %I64u %s %d %d:%d%n";
constexpr const char* kYearSixSkips = "%s %*d %s %*s %*s %*s %I64u %s %d %d%n";

constexpr Layout kLayouts[] = {
    {"%s %*d %s %*s %I64u %d/%d/%d %d:%d%n", DateForm::Numeric, true},
    {"%s %*d %s %*s %*s %I64u %d/%d/%d %d:%d%n", DateForm::Numeric, true},
    {"%s %*d %s %*s %*s %*s %I64u %d/%d/%d %d:%d%n", DateForm::Numeric, true},

    {"%s %*d %s %*s %I64u %s %d %d:%d%n", DateForm::TimeNoYear, true},
    {"%s %*d %s %*s %I64u %d %s %d:%d%n", DateForm::TimeNoYear, true},
    {"%s %*s %s %I64u %s %d %d:%d%n", DateForm::TimeNoYear, true},
    {"%s %*s %s %I64u %d %s %d:%d%n", DateForm::TimeNoYear, true},
    {"%s %s %I64u %d %s %d:%d%n", DateForm::TimeNoYear, true},
    {"%s %s %I64u %s %d %d:%d%n", DateForm::TimeNoYear, true},
    {"%s %*s %s %*d %I64u %s %d %d:%d%n", DateForm::TimeNoYear, true},
    {"%s %*d %s %*s %*s %I64u %s %d %d:%d%n", DateForm::TimeNoYear, true},
    {kTimeSixSkips, DateForm::TimeNoYear, true},
    {"%s %*d %s %*s %*s %I64u %d %s %d:%d%n", DateForm::TimeNoYear, true},
    {"%s %*d %s %*s %*s %*s %I64u %d %s %d:%d%n", DateForm::TimeNoYear, true},

    {"%s %*d %s %*s %I64u %s %d %d%n", DateForm::YearNoTime, true},
    {"%s %s %*s %I64u %s %d %d%n", DateForm::YearNoTime, true},
    {"%s %*d %s %*s %I64u %d %s %d%n", DateForm::YearNoTime, true},
    {"%s %s %*s %I64u %d %s %d%n", DateForm::YearNoTime, true},
    {"%s %s %I64u %d %s %d%n", DateForm::YearNoTime, true},
    {"%s %s %I64u %s %d %d%n", DateForm::YearNoTime, true},
    {"%s %*d %s %*s %*s %I64u %s %d %d%n", DateForm::YearNoTime, true},
    {kYearSixSkips, DateForm::YearNoTime, true},
    {"%s %s %*s %*s %I64u %s %d %d%n", DateForm::YearNoTime, true},
    {"%s %s %*s %*s %*s %I64u %s %d %d%n", DateForm::YearNoTime, true},
    {"%s %*d %s %*s %*s %I64u %d %s %d%n", DateForm::YearNoTime, true},
    {"%s %*d %s %*s %*s %*s %I64u %d %s %d%n", DateForm::YearNoTime, true},
    {"%s %s %*s %*s %I64u %d %s %d%n", DateForm::YearNoTime, true},
    {"%s %s %*s %*s %*s %I64u %d %s %d%n", DateForm::YearNoTime, true},

    {"%s %*d %s %s %d %d:%d%n", DateForm::OwnerSizeRunOn, false},
    {"%s %*d %*s %s %s %d %d:%d%n", DateForm::SizeEndsField, false},
    {"%s %*d %s %*s %I64u %s %d:%d%n", DateForm::MonthTime, false},
    {"%s %*d %s %*s %*s %I64u %s %d:%d%n", DateForm::MonthTime, false},
    {"%s %*d %s %*s %*s %*s %I64u %s %d:%d%n", DateForm::MonthTime, false},
    {"%s %*d %s %*s %I64u %s %d%n", DateForm::MonthYear, true},
    {"%s %*d %s %*s %*s %I64u %s %d%n", DateForm::MonthYear, true},
    {"%s %*d %s %*s %*s %*s %I64u %s %d%n", DateForm::MonthYear, true},
    {"%s %s %*s %I64d %I64d%n", DateForm::Seconds, false},
    {kTimeSixSkips, DateForm::TimeNoYear, false},
    {kYearSixSkips, DateForm::YearNoTime, false},
};

// What a layout read from a line.
struct UnixFields
{
    std::string_view permissions;
    uint64_t size = 0;
    int year = 0;
    int month = -1; // -1: still to be found from monthText
    std::string_view monthText;
    int day = 1;
    int hour = 0;
    int minute = 0;
    bool timeCounts = true;
    size_t dateEnd = 0;
    int64_t seconds = -1; // DateForm::Seconds only
};

// In a layout with a month name and a day, whether the month name comes
// first: the conversion after the size is "%s".
bool MonthNameFirst(std::string_view format)
{
    const size_t size = format.find("%I64u ");
    return size != std::string_view::npos && format.substr(size + 6, 2) == "%s";
}

enum class LayoutFit
{
    No,      // the layout does not fit: try the next
    Yes,     // the layout fits: the fields decide
    Rejects, // the layout fits and refuses the line
};

// Reads the line by one layout.
LayoutFit ReadLayout(std::string_view line, const Layout& layout, int currentYear, UnixFields& fields)
{
    fields = UnixFields{};
    fields.year = currentYear;
    std::string_view owner;
    std::string_view runOn;
    ScanPosition end;
    int read = 0;
    int wanted = 0;
    switch (layout.form)
    {
    case DateForm::Numeric:
        wanted = 8;
        read = ScanFormat(line, layout.format,
                          {&fields.permissions, &owner, &fields.size, &fields.year, &fields.month,
                           &fields.day, &fields.hour, &fields.minute, &end});
        break;
    case DateForm::TimeNoYear:
        wanted = 7;
        if (MonthNameFirst(layout.format))
            read = ScanFormat(line, layout.format,
                              {&fields.permissions, &owner, &fields.size, &fields.monthText, &fields.day,
                               &fields.hour, &fields.minute, &end});
        else
            read = ScanFormat(line, layout.format,
                              {&fields.permissions, &owner, &fields.size, &fields.day, &fields.monthText,
                               &fields.hour, &fields.minute, &end});
        break;
    case DateForm::YearNoTime:
        wanted = 6;
        fields.timeCounts = false;
        if (MonthNameFirst(layout.format))
            read = ScanFormat(line, layout.format,
                              {&fields.permissions, &owner, &fields.size, &fields.monthText, &fields.day,
                               &fields.year, &end});
        else
            read = ScanFormat(line, layout.format,
                              {&fields.permissions, &owner, &fields.size, &fields.day, &fields.monthText,
                               &fields.year, &end});
        break;
    case DateForm::OwnerSizeRunOn:
    case DateForm::SizeEndsField:
        wanted = 6;
        read = ScanFormat(line, layout.format,
                          {&fields.permissions, &runOn, &fields.monthText, &fields.day, &fields.hour,
                           &fields.minute, &end});
        break;
    case DateForm::MonthTime:
        wanted = 6;
        read = ScanFormat(line, layout.format,
                          {&fields.permissions, &owner, &fields.size, &fields.monthText, &fields.hour,
                           &fields.minute, &end});
        break;
    case DateForm::MonthYear:
        wanted = 5;
        read = ScanFormat(line, layout.format,
                          {&fields.permissions, &owner, &fields.size, &fields.monthText, &fields.year, &end});
        break;
    case DateForm::Seconds:
    {
        wanted = 4;
        // Seconds as 64 bits, so that dates after 2038 read as they are.
        int64_t size = 0;
        read = ScanFormat(line, layout.format, {&fields.permissions, &owner, &size, &fields.seconds, &end});
        fields.size = static_cast<uint64_t>(size);
        break;
    }
    }
    if (read != wanted)
        return LayoutFit::No;
    if (layout.whiteSpaceAfter && (end.offset >= line.size() || !IsAsciiSpace(line[end.offset])))
        return LayoutFit::No;
    fields.dateEnd = end.offset;

    // A numeric date with a short year ("04/03/05") is read as this year's.
    if (layout.form == DateForm::Numeric && fields.year < 1900)
        fields.year = currentYear;

    if (layout.form == DateForm::OwnerSizeRunOn)
    {
        // Eight characters of owner, then the size.
        if (runOn.size() != 17)
            return LayoutFit::No;
        fields.size = 0;
        ScanFormat(runOn.substr(8), "%I64u", {&fields.size});
        return fields.size != 0 ? LayoutFit::Yes : LayoutFit::Rejects;
    }
    if (layout.form == DateForm::SizeEndsField)
    {
        size_t digits = runOn.size();
        while (digits > 0 && IsAsciiDigit(runOn[digits - 1]))
            --digits;
        fields.size = 0;
        ScanFormat(runOn.substr(digits), "%I64u", {&fields.size});
        return fields.size != 0 ? LayoutFit::Yes : LayoutFit::Rejects;
    }
    return LayoutFit::Yes;
}

// The date of the fields. A date without a year (form TimeNoYear or
// MonthTime) lies in the current year unless that puts it more than two days
// ahead of now; then it is last year's.
COleDateTime MakeDate(const UnixFields& fields, bool withoutYear, const COleDateTime& now)
{
    COleDateTime date;
    const bool valid = date.SetDateTime(fields.year, fields.month, fields.day, fields.hour, fields.minute, 0);
    if (!withoutYear)
        return date;
    const COleDateTime latest(now.GetValue() + 2.0);
    if (valid && !(latest < date))
        return date;
    COleDateTime lastYear;
    if (lastYear.SetDateTime(fields.year - 1, fields.month, fields.day, fields.hour, fields.minute, 0))
        return lastYear;
    return date;
}

// An entry of the seconds-since-1970 layout, reported as it stands.
bool ReportSecondsEntry(CListingSink& sink, std::string_view line, const UnixFields& fields)
{
    CFtpListingEntry entry;
    entry.m_name = std::string(line.substr(fields.dateEnd + 1));
    if (entry.m_name.empty())
        return false;
    entry.m_attributes = std::string(fields.permissions);
    entry.m_size = static_cast<int64_t>(fields.size);
    entry.m_date = COleDateTime::FromTimeT(static_cast<time_t>(fields.seconds), true);
    // The permission field is an octal mode here; 04xxxx is a folder.
    entry.m_kind = fields.permissions.size() > 2 && fields.permissions[1] == '4' ? kEntryFolder : kEntryFile;
    sink.OnListingEntry(entry);
    return true;
}

// Checks and completes the fields of a matched layout and reports the entry;
// false when the line is to be skipped.
bool ReportEntry(CListingSink& sink, std::string_view line, const Layout& layout, UnixFields& fields,
                 const COleDateTime& now)
{
    size_t nameStart = fields.dateEnd;
    if (fields.timeCounts && !(nameStart < line.size() && IsAsciiSpace(line[nameStart])))
    {
        // "10:30pm name": the twelve-hour clock, as on the DOS date.
        const std::string_view rest = line.substr(nameStart);
        if (StartsWithNoCase(rest, "pm "))
        {
            if (fields.hour <= 11)
                fields.hour += 12;
        }
        else if (StartsWithNoCase(rest, "am "))
        {
            if (fields.hour == 12)
                fields.hour = 0;
        }
        else
        {
            return false;
        }
        nameStart += 2;
    }

    bool withoutYear = layout.form == DateForm::TimeNoYear || layout.form == DateForm::MonthTime;
    if (EqualsNoCase(fields.monthText, "???"))
    {
        // The server does not know the date; the entry still counts.
        fields.year = now.GetYear();
        fields.day = 1;
        fields.hour = 0;
        fields.minute = 0;
        withoutYear = false;
    }
    else if (fields.hour < 0 || fields.hour > 24 || fields.minute < 0 || fields.minute > 59 ||
             fields.day < 1 || fields.day > 31)
    {
        return false;
    }
    if (fields.year < 0)
        return false;
    if (fields.month < 0)
        fields.month = MonthFromName(fields.monthText);

    CFtpListingEntry entry;
    switch (line.empty() ? '\0' : line[0])
    {
    case '-':
        entry.m_kind = kEntryFile;
        break;
    case 'd':
        entry.m_kind = kEntryFolder;
        break;
    case 'l':
        entry.m_kind = kEntrySymbolicLink;
        break;
    default:
        return false;
    }

    // One blank separates the date from the name; a year written left-aligned
    // in its column (one blank before it instead of the right-aligned two)
    // leaves its padding after it.
    if (nameStart < line.size() && IsAsciiSpace(line[nameStart]))
    {
        ++nameStart;
        bool padAfterYear = false;
        if (layout.form == DateForm::YearNoTime)
        {
            size_t yearStart = fields.dateEnd;
            while (yearStart > 0 && IsAsciiDigit(line[yearStart - 1]))
                --yearStart;
            if (yearStart > 0 && (line[yearStart - 1] == '-' || line[yearStart - 1] == '+'))
                --yearStart;
            padAfterYear = yearStart >= 2 && IsAsciiSpace(line[yearStart - 1]) && !IsAsciiSpace(line[yearStart - 2]);
        }
        if (padAfterYear && nameStart < line.size() && line[nameStart] == ' ')
            ++nameStart;
    }
    std::string name(line.substr(nameStart));
    if (entry.m_kind == kEntrySymbolicLink)
    {
        // "name -> target": the target is not part of the link's name.
        const size_t arrow = name.find(" -> ", 1);
        if (arrow != std::string::npos)
            name.erase(arrow);
    }
    while (!name.empty() && name.back() == '/')
        name.pop_back();
    if (name.empty())
        return false;

    entry.m_name = std::move(name);
    entry.m_attributes = std::string(fields.permissions);
    // "-1" read as an unsigned size: the server's 32-bit "unknown".
    entry.m_size = static_cast<int64_t>(fields.size == UINT64_MAX ? fields.size & 0xFFFFFFFFu : fields.size);
    entry.m_date = MakeDate(fields, withoutYear, now);
    sink.OnListingEntry(entry);
    return true;
}

} // namespace

bool ParseUnixListingLine(CListingSink& sink, std::string_view line)
{
    if (line.substr(0, 5) == "total")
        return false;
    const COleDateTime now = sink.m_now ? *sink.m_now : COleDateTime::GetCurrentTime();
    const int currentYear = now.GetYear();

    UnixFields fields;
    for (const Layout& layout : kLayouts)
    {
        const LayoutFit fit = ReadLayout(line, layout, currentYear, fields);
        if (fit == LayoutFit::No)
            continue;
        if (fit == LayoutFit::Rejects)
            return false;
        if (layout.form == DateForm::Seconds)
        {
            const size_t after = fields.dateEnd;
            if (fields.seconds != -1 && after < line.size() && IsAsciiSpace(line[after]))
                return ReportSecondsEntry(sink, line, fields);
            continue;
        }
        return ReportEntry(sink, line, layout, fields, now);
    }
    return false;
}
