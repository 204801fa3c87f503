#include "foundation/text/UnicodeCase.h"

#include "foundation/text/Utf8.h"

#include <algorithm>

namespace
{
uint32_t Lookup(const UnicodeCasePair* table, size_t count, uint32_t cp)
{
    const UnicodeCasePair* end = table + count;
    const UnicodeCasePair* row =
        std::lower_bound(table, end, cp, [](const UnicodeCasePair& pair, uint32_t value) { return pair.from < value; });
    return row != end && row->from == cp ? row->to : cp;
}

std::string MapText(std::string_view text, uint32_t (*map)(uint32_t))
{
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();)
    {
        size_t length;
        const uint32_t cp = DecodeUtf8(text, at, length);
        AppendUtf8(out, map(cp));
        at += length;
    }
    return out;
}
}

uint32_t SimpleUpperCase(uint32_t cp)
{
    if (cp < 0x80)
        return cp >= 'a' && cp <= 'z' ? cp - 32 : cp;
    return Lookup(kUnicodeUpperPairs, kUnicodeUpperPairsCount, cp);
}

uint32_t SimpleLowerCase(uint32_t cp)
{
    if (cp < 0x80)
        return cp >= 'A' && cp <= 'Z' ? cp + 32 : cp;
    return Lookup(kUnicodeLowerPairs, kUnicodeLowerPairsCount, cp);
}

std::string Utf8ToUpper(std::string_view text)
{
    return MapText(text, SimpleUpperCase);
}

std::string Utf8ToLower(std::string_view text)
{
    return MapText(text, SimpleLowerCase);
}
