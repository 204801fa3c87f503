#include "foundation/text/Utf8.h"

namespace
{
constexpr uint32_t kReplacementChar = 0xFFFD;

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}
}

uint32_t DecodeUtf8(std::string_view text, size_t at, size_t& length)
{
    length = 0;
    if (at >= text.size())
        return 0;
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    length = 1;
    if (lead < 0x80)
        return lead;

    size_t need;
    uint32_t value;
    uint32_t minimum;
    if (lead >= 0xC2 && lead <= 0xDF)
    {
        need = 1;
        value = lead & 0x1F;
        minimum = 0x80;
    }
    else if (lead >= 0xE0 && lead <= 0xEF)
    {
        need = 2;
        value = lead & 0x0F;
        minimum = 0x800;
    }
    else if (lead >= 0xF0 && lead <= 0xF4)
    {
        need = 3;
        value = lead & 0x07;
        minimum = 0x10000;
    }
    else
    {
        return kUtf8InvalidBase + lead;
    }
    if (at + need >= text.size())
        return kUtf8InvalidBase + lead;
    for (size_t i = 1; i <= need; ++i)
    {
        if (!IsContinuation(byte(i)))
            return kUtf8InvalidBase + lead;
        value = (value << 6) | (byte(i) & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return kUtf8InvalidBase + lead;
    length = need + 1;
    return value;
}

size_t Utf8CharLength(std::string_view text, size_t at)
{
    if (at >= text.size())
        return 0;
    if (static_cast<unsigned char>(text[at]) < 0x80)
        return 1;
    size_t length;
    DecodeUtf8(text, at, length);
    return length;
}

size_t Utf8CharStart(std::string_view text, size_t at)
{
    if (at >= text.size() || !IsContinuation(static_cast<unsigned char>(text[at])))
        return at;
    for (size_t back = 1; back <= 3 && back <= at; ++back)
    {
        const size_t start = at - back;
        if (!IsContinuation(static_cast<unsigned char>(text[start])))
            return Utf8CharLength(text, start) > back ? start : at;
    }
    return at;
}

void AppendUtf8(std::string& out, uint32_t cp)
{
    if (cp >= kUtf8InvalidBase && cp < kUtf8InvalidBase + 0x100)
    {
        out += static_cast<char>(cp - kUtf8InvalidBase);
        return;
    }
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = kReplacementChar;
    if (cp < 0x80)
    {
        out += static_cast<char>(cp);
    }
    else if (cp < 0x800)
    {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    else if (cp < 0x10000)
    {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}
