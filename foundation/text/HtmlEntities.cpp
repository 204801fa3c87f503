#include "foundation/text/HtmlEntities.h"

#include "foundation/text/Utf8.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr uint32_t kReplacementChar = 0xFFFD;
constexpr uint32_t kMaxCodePoint = 0x10FFFF;
// The longest name of the table, with its ';', is 33 bytes.
constexpr size_t kMaxNameLength = 40;

int DigitValue(char c, bool hex)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (hex && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The code point HTML gives a numeric reference.
uint32_t CharRefCodePoint(uint32_t number)
{
    const HtmlCharRefFix* end = kHtmlCharRefFixes + kHtmlCharRefFixCount;
    const HtmlCharRefFix* fix = std::lower_bound(
        kHtmlCharRefFixes, end, number, [](const HtmlCharRefFix& row, uint32_t n) { return row.number < n; });
    if (fix != end && fix->number == number)
        return fix->codePoint;
    if (number > kMaxCodePoint || (number >= 0xD800 && number <= 0xDFFF))
        return kReplacementChar;
    return number;
}

// Decodes the numeric reference at text[at] ("&#..."); returns the position
// after it, or at when there is none there.
size_t DecodeNumeric(std::string_view text, size_t at, std::string& out)
{
    size_t i = at + 2;
    const bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
    if (hex)
        ++i;
    const size_t digitsStart = i;
    uint32_t number = 0;
    for (; i < text.size(); ++i)
    {
        const int digit = DigitValue(text[i], hex);
        if (digit < 0)
            break;
        // Past the last code point the value only needs to stay too large.
        number =
            std::min<uint32_t>(number * (hex ? 16 : 10) + static_cast<uint32_t>(digit), kMaxCodePoint + 1);
    }
    if (i == digitsStart)
        return at;
    if (i < text.size() && text[i] == ';')
        ++i;
    AppendUtf8(out, CharRefCodePoint(number));
    return i;
}

// Decodes the named reference at text[at] ("&name;"); returns the position
// after it, or at when HTML has no such name.
size_t DecodeNamed(std::string_view text, size_t at, std::string& out)
{
    const size_t semicolon = text.find(';', at + 1);
    if (semicolon == std::string_view::npos || semicolon - at > kMaxNameLength)
        return at;
    const char* replacement = FindHtmlEntity(text.substr(at + 1, semicolon - at));
    if (!replacement)
        return at;
    out += replacement;
    return semicolon + 1;
}
} // namespace

const char* FindHtmlEntity(std::string_view nameWithSemicolon)
{
    const HtmlEntity* end = kHtmlEntities + kHtmlEntityCount;
    const HtmlEntity* row = std::lower_bound(kHtmlEntities, end, nameWithSemicolon,
                                             [](const HtmlEntity& entry, std::string_view name)
                                             { return std::string_view(entry.name) < name; });
    if (row == end || std::string_view(row->name) != nameWithSemicolon)
        return nullptr;
    return row->text;
}

std::string DecodeHtmlEntities(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size())
    {
        const size_t amp = text.find('&', i);
        if (amp == std::string_view::npos)
        {
            out.append(text.substr(i));
            break;
        }
        out.append(text.substr(i, amp - i));
        const bool numeric = amp + 1 < text.size() && text[amp + 1] == '#';
        const size_t next = numeric ? DecodeNumeric(text, amp, out) : DecodeNamed(text, amp, out);
        if (next == amp)
        {
            out += '&';
            i = amp + 1;
        }
        else
        {
            i = next;
        }
    }
    return out;
}
