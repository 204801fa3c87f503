#include "transfer/auth/NtlmText.h"

#include "platform/core/Text.h"

#include <clocale>
#include <cwctype>
#include <locale.h>

namespace
{
bool IsContinuation(uint8_t byte)
{
    return (byte & 0xC0) == 0x80;
}

// Decodes the character at text[pos] and advances pos; an invalid sequence
// gives its first byte as the character and advances by one.
uint32_t NextCodePoint(std::string_view text, size_t& pos)
{
    const auto at = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = at(pos);
    const size_t left = text.size() - pos;
    if (lead >= 0xC2 && lead <= 0xDF && left >= 2 && IsContinuation(at(pos + 1)))
    {
        const uint32_t cp = (lead & 0x1Fu) << 6 | (at(pos + 1) & 0x3Fu);
        pos += 2;
        return cp;
    }
    if (lead >= 0xE0 && lead <= 0xEF && left >= 3 && IsContinuation(at(pos + 1)) &&
        IsContinuation(at(pos + 2)))
    {
        const uint32_t cp = (lead & 0x0Fu) << 12 | (at(pos + 1) & 0x3Fu) << 6 | (at(pos + 2) & 0x3Fu);
        // Overlong forms and UTF-16 surrogates are not characters.
        if (cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF))
        {
            pos += 3;
            return cp;
        }
    }
    if (lead >= 0xF0 && lead <= 0xF4 && left >= 4 && IsContinuation(at(pos + 1)) &&
        IsContinuation(at(pos + 2)) && IsContinuation(at(pos + 3)))
    {
        const uint32_t cp = (lead & 0x07u) << 18 | (at(pos + 1) & 0x3Fu) << 12 | (at(pos + 2) & 0x3Fu) << 6 |
                            (at(pos + 3) & 0x3Fu);
        if (cp >= 0x10000 && cp <= 0x10FFFF)
        {
            pos += 4;
            return cp;
        }
    }
    ++pos;
    return lead;
}

void AppendUnit(std::vector<uint8_t>& out, uint32_t unit)
{
    out.push_back(static_cast<uint8_t>(unit & 0xFF));
    out.push_back(static_cast<uint8_t>(unit >> 8));
}

// The UTF-8 locale for case mapping, made once; null when the system has
// none.
locale_t Utf8Locale()
{
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return locale;
}

uint32_t UpperCase(uint32_t cp)
{
    if (cp < 0x80)
        return static_cast<uint8_t>(AsciiToUpper(static_cast<char>(cp)));
    if (cp > 0xFFFF)
        return cp;
    const locale_t locale = Utf8Locale();
    if (!locale)
        return cp;
    const wint_t upper = towupper_l(static_cast<wint_t>(cp), locale);
    // A mapping out of the plane would change the string's length; Windows
    // keeps such characters as they are, and so do we.
    return upper <= 0xFFFF ? static_cast<uint32_t>(upper) : cp;
}

std::vector<uint8_t> Encode(std::string_view text, bool upper)
{
    std::vector<uint8_t> out;
    out.reserve(text.size() * 2);
    size_t pos = 0;
    while (pos < text.size())
    {
        uint32_t cp = NextCodePoint(text, pos);
        if (upper)
            cp = UpperCase(cp);
        if (cp > 0xFFFF)
        {
            cp -= 0x10000;
            AppendUnit(out, 0xD800 | (cp >> 10));
            AppendUnit(out, 0xDC00 | (cp & 0x3FF));
        }
        else
        {
            AppendUnit(out, cp);
        }
    }
    return out;
}
} // namespace

std::vector<uint8_t> NtlmUnicode(std::string_view text)
{
    return Encode(text, false);
}

std::vector<uint8_t> NtlmUpperUnicode(std::string_view text)
{
    return Encode(text, true);
}
