#include "foundation/text/Escaping.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "foundation/text/ByteBuffer.h"
#include "platform/core/NumericLocale.h"
#include "platform/core/Text.h"

const EntityEntry kEntityTable[] = {
    {"&nbsp;", " "},
    {"&amp;", "&"},
    {"&lt;", "<"},
    {"&gt;", ">"},
    {"&apos;", "'"},
    {"&quot;", "\""},
    {nullptr, nullptr},
};

const char kUnsafeUrlChars[] = "% <>\"#{}|\\^~[]'";

namespace
{
constexpr char kHexDigits[] = "0123456789ABCDEF";

bool AppendBytes(CByteBuffer& out, std::string_view bytes)
{
    for (const char c : bytes)
    {
        if (!out.AppendByte(static_cast<uint8_t>(c)))
            return false;
    }
    return true;
}

std::string ToString(const CByteBuffer& buffer)
{
    return std::string(buffer.GetText());
}

// Handles an escape character at text[i]; appends what it stands for and
// returns the index after it.
size_t DecodeEscape(CByteBuffer& out, std::string_view text, size_t i, bool& ok)
{
    const size_t rest = text.size() - i - 1;
    if (rest < 2)
    {
        ok = AppendBytes(out, text.substr(i)) && ok;
        return text.size();
    }
    const int value = std::max(0, HexDigitValue(text[i + 1])) * 16 + std::max(0, HexDigitValue(text[i + 2]));
    ok = out.AppendByte(static_cast<uint8_t>(value)) && ok;
    return i + 3;
}

const char* OrEmpty(const char* text)
{
    return text ? text : "";
}
} // namespace

bool EscapeCharSetInto(CByteBuffer& out, std::string_view text, std::string_view set, char escape)
{
    bool ok = true;
    for (const char c : text)
    {
        if (set.find(c) == std::string_view::npos)
        {
            ok = out.AppendByte(static_cast<uint8_t>(c)) && ok;
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        const char escaped[3] = {escape, kHexDigits[byte >> 4], kHexDigits[byte & 0x0F]};
        ok = AppendBytes(out, std::string_view(escaped, 3)) && ok;
    }
    return ok;
}

std::string EscapeCharSet(std::string_view text, std::string_view set, char escape)
{
    CByteBuffer out;
    EscapeCharSetInto(out, text, set, escape);
    return ToString(out);
}

std::string UrlEscapeUnsafe(std::string_view text, char escape)
{
    return EscapeCharSet(text, kUnsafeUrlChars, escape);
}

std::string UnescapeChars(std::string_view text, char escape)
{
    CByteBuffer out;
    bool ok = true;
    for (size_t i = 0; i < text.size();)
    {
        if (text[i] == escape)
        {
            i = DecodeEscape(out, text, i, ok);
            continue;
        }
        ok = out.AppendByte(static_cast<uint8_t>(text[i])) && ok;
        ++i;
    }
    return ToString(out);
}

bool EscapeEntitiesInto(CByteBuffer& out, std::string_view text, const EntityEntry* table)
{
    if (!table)
        table = kEntityTable + 1;
    bool ok = true;
    for (size_t i = 0; i < text.size();)
    {
        const EntityEntry* match = nullptr;
        for (const EntityEntry* row = table; row->entity; ++row)
        {
            const std::string_view replacement(row->replacement ? row->replacement : "");
            if (!replacement.empty() && text.substr(i, replacement.size()) == replacement)
            {
                match = row;
                break;
            }
        }
        if (match)
        {
            ok = AppendBytes(out, match->entity) && ok;
            i += std::strlen(match->replacement);
            continue;
        }
        ok = out.AppendByte(static_cast<uint8_t>(text[i])) && ok;
        ++i;
    }
    return ok;
}

std::string EscapeEntities(std::string_view text, const EntityEntry* table)
{
    CByteBuffer out;
    EscapeEntitiesInto(out, text, table);
    return ToString(out);
}

std::string EscapeXmlEntities(std::string_view text)
{
    return EscapeEntities(text, nullptr);
}

bool DecodeEntitiesInto(CByteBuffer& out, std::string_view text, const EntityEntry* table, char escape)
{
    if (!table)
        table = kEntityTable;
    bool ok = true;
    for (size_t i = 0; i < text.size();)
    {
        const char c = text[i];
        if (escape != 0 && c == escape)
        {
            i = DecodeEscape(out, text, i, ok);
            continue;
        }
        if (c != '&')
        {
            ok = out.AppendByte(static_cast<uint8_t>(c)) && ok;
            ++i;
            continue;
        }
        const size_t end = text.find(';', i);
        if (end == std::string_view::npos)
            return AppendBytes(out, text.substr(i)) && ok;
        const std::string_view candidate = text.substr(i, end - i + 1);
        std::string_view replacement = candidate;
        for (const EntityEntry* row = table; row->entity; ++row)
        {
            if (candidate == row->entity)
            {
                replacement = row->replacement ? row->replacement : "";
                break;
            }
        }
        ok = AppendBytes(out, replacement) && ok;
        i = end + 1;
    }
    return ok;
}

std::string DecodeEntities(std::string_view text, const EntityEntry* table, char escape)
{
    CByteBuffer out;
    // Decoding never lengthens the text much, so one allocation up front
    // keeps long values linear instead of growing 256 bytes at a time.
    out.Grow(static_cast<int32_t>(std::min<size_t>(text.size() + 16, INT32_MAX / 2)));
    DecodeEntitiesInto(out, text, table, escape);
    return ToString(out);
}

std::string UnescapeXmlEntities(std::string_view text)
{
    return DecodeEntities(text, nullptr, 0);
}

std::string UnescapeXmlEntitiesEx(std::string_view text, char escape)
{
    return DecodeEntities(text, nullptr, escape);
}

int32_t StrToIntSafe(const char* text)
{
    const int64_t value = StrToInt64Safe(text);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

int32_t StrToIntSafe(const std::string& text)
{
    return StrToIntSafe(text.c_str());
}

int64_t StrToInt64Safe(const char* text)
{
    // strtoll clamps an out-of-range value to the type's limits; the "C"
    // locale keeps the white space it skips to the ASCII set.
    const locale_t c = GetCLocale();
    const long long value = c ? strtoll_l(OrEmpty(text), nullptr, 10, c) : std::strtoll(OrEmpty(text), nullptr, 10);
    return static_cast<int64_t>(value);
}

int64_t StrToInt64Safe(const std::string& text)
{
    return StrToInt64Safe(text.c_str());
}

double StrToDoubleSafe(const char* text)
{
    const locale_t c = GetCLocale();
    return c ? strtod_l(OrEmpty(text), nullptr, c) : std::strtod(OrEmpty(text), nullptr);
}

double StrToDoubleSafe(const std::string& text)
{
    return StrToDoubleSafe(text.c_str());
}
