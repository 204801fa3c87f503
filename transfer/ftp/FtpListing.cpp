#include "transfer/ftp/FtpListing.h"

#include "foundation/text/DateText.h"
#include "platform/core/Text.h"
#include "transfer/ftp/ScanFormat.h"

#include <algorithm>

namespace
{

bool IsBlankOrTab(char c)
{
    return c == ' ' || c == '\t';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// The value of two decimal digits.
int TwoDigits(std::string_view digits)
{
    return (digits[0] - '0') * 10 + (digits[1] - '0');
}

// A size of decimal digits only, as a non-negative 64-bit value. False for
// an empty text, any other character or a value that does not fit.
bool ReadDigitsSize(std::string_view digits, int64_t& size)
{
    if (digits.empty())
        return false;
    int64_t value = 0;
    for (char c : digits)
    {
        if (!IsDigit(c))
            return false;
        const int digit = c - '0';
        if (value > (INT64_MAX - digit) / 10)
            return false;
        value = value * 10 + digit;
    }
    size = value;
    return true;
}

} // namespace

void ParseFtpListing(CListingSink& sink, std::string_view listing, ICancelPoll* cancel)
{
    size_t pos = 0;
    bool first = true;
    while (first || pos < listing.size())
    {
        if (cancel && cancel->Poll() != 0)
            return;
        const size_t lineFeed = listing.find('\n', pos);
        const size_t end = lineFeed == std::string_view::npos ? listing.size() : lineFeed;
        std::string_view line = listing.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        pos = lineFeed == std::string_view::npos ? listing.size() : lineFeed + 1;

        if (first)
        {
            first = false;
            sink.m_firstLine = Trim(line);
            if (sink.m_style == kListingStyleUnknown)
            {
                const int style = DetectListingStyle(line);
                if (style != kListingStyleUnknown)
                {
                    sink.m_style = style;
                    continue;
                }
            }
        }
        ParseListingLine(sink, line);
    }
}

int DetectListingStyle(std::string_view firstLine)
{
    std::string compact;
    for (char c : firstLine)
    {
        if (!IsBlankOrTab(c))
            compact += c;
    }
    compact = Trim(compact);
    if (StartsWith(compact, "NameVV.MM") || StartsWith(compact, "VolumeUnit"))
        return kListingStyleVolumeUnit;
    if (StartsWith(compact, "FileCodeEOFLastModificationOwnerRWEP"))
        return kListingStyleFileCode;
    if (StartsWith(compact, "Reportfor:"))
        return kListingStyleReportFor;
    return kListingStyleUnknown;
}

bool ParseListingLine(CListingSink& sink, std::string_view line)
{
    switch (sink.m_style)
    {
    case kListingStyleDos:
        return ParseDosListingLine(sink, line);
    case kListingStyleUnix:
        return ParseUnixListingLine(sink, line);
    case kListingStyleSizeFirst:
        return ParseSizeFirstListingLine(sink, line);
    case kListingStyleReportFor:
        return ParseListingLineStyle8(sink, line);
    case kListingStyleUnknown:
        break;
    default:
        return false;
    }

    struct Candidate
    {
        int style;
        bool (*parse)(CListingSink&, std::string_view);
    };
    static constexpr Candidate kOrder[] = {
        {kListingStyleDos, ParseDosListingLine},
        {kListingStyleUnix, ParseUnixListingLine},
        {kListingStyleSizeFirst, ParseSizeFirstListingLine},
        {kListingStyleReportFor, ParseListingLineStyle8},
    };
    for (const Candidate& candidate : kOrder)
    {
        if (candidate.parse(sink, line))
        {
            sink.m_style = candidate.style;
            return true;
        }
    }
    return false;
}

bool ParseDosListingLine(CListingSink& sink, std::string_view line)
{
    std::string_view tokens[3];
    size_t pos = 0;
    for (std::string_view& token : tokens)
    {
        while (pos < line.size() && IsBlankOrTab(line[pos]))
            ++pos;
        const size_t start = pos;
        while (pos < line.size() && !IsBlankOrTab(line[pos]))
            ++pos;
        if (pos == start)
            return false;
        token = line.substr(start, pos - start);
    }

    CFtpListingEntry entry;
    if (!ParseDosDateTime(std::string(tokens[0]) + " " + std::string(tokens[1]), entry.m_date))
        return false;

    size_t nameStart = pos;
    if (EqualsNoCase(tokens[2], "<DIR>"))
    {
        // The name column starts ten characters after "<DIR>"; the padding is
        // skipped within that width only, so neither the line's end nor the
        // name's first character is ever passed.
        const size_t limit = std::min(line.size(), pos + 10);
        while (nameStart < limit && IsBlankOrTab(line[nameStart]))
            ++nameStart;
        entry.m_kind = kEntryFolder;
        entry.m_size = -1;
    }
    else
    {
        if (!ReadDigitsSize(tokens[2], entry.m_size))
            return false;
        // The size column is right-aligned: one separator, then the name.
        nameStart = std::min(line.size(), pos + 1);
        entry.m_kind = kEntryFile;
    }
    entry.m_name = std::string(line.substr(nameStart));
    if (entry.m_name.empty())
        return false;
    sink.OnListingEntry(entry);
    return true;
}

bool ParseDosDateTime(std::string_view text, COleDateTime& date)
{
    if (text.size() > 20)
        return false;
    std::string_view month, day, year, hour, minute, half;
    if (ScanFormat(text, "%[0123456789]-%[0123456789]-%[0123456789] %[0123456789]:%[0123456789]%[APM]",
                   {&month, &day, &year, &hour, &minute, &half}) != 6)
        return false;
    for (std::string_view field : {month, day, year, hour, minute, half})
    {
        if (field.size() != 2)
            return false;
    }
    int monthValue = TwoDigits(month);
    if (monthValue < 1 || monthValue > 12)
        monthValue = 1;
    const int yearValue = TwoDigits(year) > 49 ? 1900 + TwoDigits(year) : 2000 + TwoDigits(year);
    int hourValue = TwoDigits(hour);
    if (half == "PM" && hourValue <= 11)
        hourValue += 12;
    else if (half == "AM" && hourValue == 12)
        hourValue = 0;

    COleDateTime result;
    if (!result.SetDateTime(yearValue, monthValue, TwoDigits(day), hourValue, TwoDigits(minute), 0))
        return false;
    date = result;
    return true;
}

bool ParseSizeFirstListingLine(CListingSink& sink, std::string_view line)
{
    uint64_t size = 0;
    std::string_view monthName;
    int day = 0, year = 0, hour = 0, minute = 0;
    ScanPosition dateEnd{line.size()};
    if (ScanFormat(line, "%I64u %.100s %d, %d %d:%d%n",
                   {&size, &monthName, &day, &year, &hour, &minute, &dateEnd}) != 6)
        return false;
    if (hour < 0 || hour > 24 || minute < 0 || minute > 59 || day < 1 || day > 31 || year < 0)
        return false;
    // The first three letters name the month; a name that is not one reads as
    // January rather than losing the entry.
    int month = monthName.size() >= 3 ? MonthFromName(monthName.substr(0, 3)) : -1;
    if (month < 1)
        month = 1;

    size_t nameStart = dateEnd.offset;
    while (nameStart < line.size() && IsBlankOrTab(line[nameStart]))
        ++nameStart;
    CFtpListingEntry entry;
    for (char c : line.substr(nameStart))
    {
        if (c != '*')
            entry.m_name += c;
    }
    entry.m_kind = kEntryFile;
    if (!entry.m_name.empty() && entry.m_name.back() == '/')
    {
        entry.m_name.pop_back();
        entry.m_kind = kEntryFolder;
    }
    if (entry.m_name.empty())
        return false;
    entry.m_size = static_cast<int64_t>(size);
    entry.m_date.SetDateTime(year, month, day, hour, minute, 0);
    sink.OnListingEntry(entry);
    return true;
}

bool ParseListingLineStyle8(CListingSink& sink, std::string_view line)
{
    std::string_view name;
    int64_t size = 0;
    int month = 0, day = 0, year = 0, hour = 0, minute = 0;
    if (ScanFormat(line, "%.100s %*s %I64d %d/%d/%d %d:%d",
                   {&name, &size, &month, &day, &year, &hour, &minute}) != 7)
        return false;
    if (year < 70)
        year += 2000;
    else if (year < 1900)
        year += 1900;

    CFtpListingEntry entry;
    entry.m_name = std::string(name);
    entry.m_size = size;
    entry.m_date.SetDateTime(year, month, day, hour, minute, 0);
    entry.m_kind = kEntryUnspecified;
    sink.OnListingEntry(entry);
    return true;
}
