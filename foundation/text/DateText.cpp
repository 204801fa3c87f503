#include "foundation/text/DateText.h"

#include "platform/core/Text.h"

#include <algorithm>
#include <ctime>
#include <optional>
#include <vector>

namespace
{
// Each name is the width of its table's columns; a column matches the month
// under it. The first match in table order counts.
constexpr std::string_view kEnglishShort = "JanFebMarAprMayJunJulAugSepOctNovDec";
constexpr std::string_view kFrenchShort = "JanFevFevAvrMaiMaiMaiMaiMaiOctNovDec";
constexpr std::string_view kFrenchLong = "MarsJuinJuilAoutSept";
constexpr int kFrenchLongMonths[] = {3, 6, 7, 8, 9};

int FindColumn(std::string_view table, std::string_view name)
{
    for (size_t column = 0; column * name.size() < table.size(); ++column)
    {
        if (EqualsNoCase(table.substr(column * name.size(), name.size()), name))
            return static_cast<int>(column);
    }
    return -1;
}

// The delimiters of a cookie date: TAB, and the printable characters that are
// neither letters, digits nor ':'.
bool IsDateDelimiter(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u == 0x09 || (u >= 0x20 && u <= 0x2F) || (u >= 0x3B && u <= 0x40) || (u >= 0x5B && u <= 0x60) ||
           (u >= 0x7B && u <= 0x7E);
}

// Reads minDigits to maxDigits digits at pos; pos moves past them.
std::optional<int> ReadDigits(std::string_view token, size_t& pos, size_t minDigits, size_t maxDigits)
{
    const size_t start = pos;
    int value = 0;
    while (pos < token.size() && pos - start < maxDigits && IsAsciiDigit(token[pos]))
        value = value * 10 + (token[pos++] - '0');
    if (pos - start < minDigits)
        return std::nullopt;
    return value;
}

// Whether a run of digits may end at pos: at the end or before a non-digit.
bool EndsNumber(std::string_view token, size_t pos)
{
    return pos >= token.size() || !IsAsciiDigit(token[pos]);
}

// "1*2DIGIT ( non-digit *OCTET )" and the year's "2*4DIGIT ...".
std::optional<int> ReadLeadingNumber(std::string_view token, size_t minDigits, size_t maxDigits)
{
    size_t pos = 0;
    const std::optional<int> value = ReadDigits(token, pos, minDigits, maxDigits);
    if (!value || !EndsNumber(token, pos))
        return std::nullopt;
    return value;
}

struct TimeOfDay
{
    int hour;
    int minute;
    int second;
};

// "h:m:s" of one or two digits each, optionally followed by a non-digit.
std::optional<TimeOfDay> ReadTimeOfDay(std::string_view token)
{
    size_t pos = 0;
    int fields[3];
    for (int i = 0; i < 3; ++i)
    {
        if (i > 0 && (pos >= token.size() || token[pos++] != ':'))
            return std::nullopt;
        const std::optional<int> field = ReadDigits(token, pos, 1, 2);
        if (!field)
            return std::nullopt;
        fields[i] = *field;
    }
    if (!EndsNumber(token, pos))
        return std::nullopt;
    return TimeOfDay{fields[0], fields[1], fields[2]};
}

// A token beginning with an English month abbreviation ("Nov", "november").
int ReadMonthToken(std::string_view token)
{
    if (token.size() < 3)
        return -1;
    const int column = FindColumn(kEnglishShort, token.substr(0, 3));
    return column < 0 ? -1 : column + 1;
}

std::vector<std::string_view> SplitDateTokens(std::string_view text)
{
    std::vector<std::string_view> tokens;
    size_t pos = 0;
    while (pos < text.size())
    {
        while (pos < text.size() && IsDateDelimiter(text[pos]))
            ++pos;
        const size_t start = pos;
        while (pos < text.size() && !IsDateDelimiter(text[pos]))
            ++pos;
        if (pos > start)
            tokens.push_back(text.substr(start, pos - start));
    }
    return tokens;
}

// A token that is exactly an English month abbreviation ("Nov").
int ReadExactMonth(std::string_view token)
{
    return token.size() == 3 ? ReadMonthToken(token) : -1;
}

// A token of minDigits to maxDigits digits and nothing else.
std::optional<int> ReadExactDigits(std::string_view token, size_t minDigits, size_t maxDigits)
{
    if (token.size() < minDigits || token.size() > maxDigits)
        return std::nullopt;
    return ReadLeadingNumber(token, minDigits, maxDigits);
}

// HTTP's rule for a two-digit year: the nearest year with those digits that
// is not more than 50 years ahead, so one that would be further ahead is the
// most recent past year with them.
int ExpandTwoDigitYear(int year, int currentYear)
{
    int full = currentYear - currentYear % 100 + year;
    if (full > currentYear + 50)
        full -= 100;
    else if (full <= currentYear - 50)
        full += 100;
    return full;
}
} // namespace

int MonthFromName(std::string_view name)
{
    if (name.size() == 3)
    {
        int column = FindColumn(kEnglishShort, name);
        if (column < 0)
            column = FindColumn(kFrenchShort, name);
        return column < 0 ? -1 : column + 1;
    }
    if (name.size() == 4)
    {
        const int column = FindColumn(kFrenchLong, name);
        return column < 0 ? -1 : kFrenchLongMonths[column];
    }
    return -1;
}

bool ParseCookieDate(std::string_view text, COleDateTime& utc)
{
    std::optional<TimeOfDay> time;
    std::optional<int> day;
    std::optional<int> year;
    int month = -1;
    for (std::string_view token : SplitDateTokens(text))
    {
        if (!time && (time = ReadTimeOfDay(token)))
            continue;
        if (!day && (day = ReadLeadingNumber(token, 1, 2)))
            continue;
        if (month < 0 && (month = ReadMonthToken(token)) > 0)
            continue;
        if (!year)
            year = ReadLeadingNumber(token, 2, 4);
    }
    if (!time || !day || !year || month < 0)
        return false;

    int fullYear = *year;
    if (fullYear >= 70 && fullYear <= 99)
        fullYear += 1900;
    else if (fullYear >= 0 && fullYear <= 69)
        fullYear += 2000;
    if (*day < 1 || *day > 31 || fullYear < 1601 || time->hour > 23 || time->minute > 59 || time->second > 59)
        return false;

    COleDateTime result;
    if (!result.SetDateTime(fullYear, month, *day, time->hour, time->minute, time->second))
        return false;
    utc = result;
    return true;
}

bool ParseHttpDate(std::string_view text, int currentYear, COleDateTime& utc)
{
    std::vector<std::string_view> tokens = SplitDateTokens(text);
    // The week-day name is optional (callers often cut it off with its
    // comma), and so is the zone: HTTP dates are always GMT.
    if (!tokens.empty() && (EqualsNoCase(tokens.back(), "GMT") || EqualsNoCase(tokens.back(), "UTC")))
        tokens.pop_back();
    if (!tokens.empty() && !tokens.front().empty() && !IsAsciiDigit(tokens.front()[0]) &&
        ReadExactMonth(tokens.front()) < 0)
        tokens.erase(tokens.begin());
    if (tokens.size() != 4)
        return false;

    std::optional<int> day;
    std::optional<int> year;
    std::optional<TimeOfDay> time;
    int month = ReadExactMonth(tokens[0]);
    if (month > 0) // asctime: "Nov  6 08:49:37 1994"
    {
        day = ReadExactDigits(tokens[1], 1, 2);
        time = ReadTimeOfDay(tokens[2]);
        year = ReadExactDigits(tokens[3], 4, 4);
    }
    else // "06 Nov 1994 08:49:37" and "06-Nov-94 08:49:37"
    {
        day = ReadExactDigits(tokens[0], 1, 2);
        month = ReadExactMonth(tokens[1]);
        year = tokens[2].size() == 2 ? ReadExactDigits(tokens[2], 2, 2) : ReadExactDigits(tokens[2], 4, 4);
        time = ReadTimeOfDay(tokens[3]);
    }
    if (!day || month < 0 || !year || !time || time->hour > 23 || time->minute > 59 || time->second > 60)
        return false;
    const int fullYear = *year < 100 ? ExpandTwoDigitYear(*year, currentYear) : *year;
    // A leap second reads as the last second of its minute.
    COleDateTime result;
    if (!result.SetDateTime(fullYear, month, *day, time->hour, time->minute, std::min(time->second, 59)))
        return false;
    utc = result;
    return true;
}

COleDateTime GetCurrentTimeUtc()
{
    return COleDateTime::FromTimeT(std::time(nullptr), false);
}
