#include "transfer/ServerDateText.h"

#include "platform/core/Text.h"
#include "transfer/MonthNameTranslation.h"

#include <array>
#include <string>

namespace
{

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A decimal number at pos as scanf's "%d" reads it: blanks, an optional sign,
// digits. At most nine digits, so that it never overflows.
bool ReadNumber(std::string_view text, size_t& pos, int& value)
{
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+'))
        negative = text[pos++] == '-';
    const size_t start = pos;
    value = 0;
    while (pos < text.size() && IsDigit(text[pos]))
    {
        if (pos - start == 9)
            return false;
        value = value * 10 + (text[pos++] - '0');
    }
    if (negative)
        value = -value;
    return pos > start;
}

bool ReadLiteral(std::string_view text, size_t& pos, char c)
{
    if (pos >= text.size() || text[pos] != c)
        return false;
    ++pos;
    return true;
}

// "%d.%d.%d %d:%d": day.month.year hour:minute, the first two swapped when
// only the second can be a day.
bool ParseDottedDate(std::string_view text, COleDateTime& date)
{
    std::array<int, 5> n{};
    size_t pos = 0;
    if (!ReadNumber(text, pos, n[0]) || !ReadLiteral(text, pos, '.') || !ReadNumber(text, pos, n[1]) ||
        !ReadLiteral(text, pos, '.') || !ReadNumber(text, pos, n[2]) || !ReadNumber(text, pos, n[3]) ||
        !ReadLiteral(text, pos, ':') || !ReadNumber(text, pos, n[4]))
        return false;
    int day = n[0];
    int month = n[1];
    if (month > 12 && day <= 12)
        std::swap(day, month);
    return date.SetDateTime(n[2], month, day, n[3], n[4], 0);
}

} // namespace

bool ParseDateText(std::string_view text, COleDateTime& date)
{
    date = COleDateTime();
    date.m_status = COleDateTime::invalid;
    std::string trimmed = Trim(text);
    if (trimmed.empty())
        return false;
    const size_t zone = trimmed.find("GMT");
    if (zone != std::string::npos)
    {
        trimmed.erase(zone, 3);
        trimmed = Trim(trimmed);
    }
    const std::string english = TranslateMonthNames(trimmed);
    if (date.ParseDateTime(english))
        return true;
    return ParseDottedDate(english, date);
}
