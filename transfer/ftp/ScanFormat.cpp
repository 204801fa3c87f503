#include "transfer/ftp/ScanFormat.h"

#include "platform/core/Text.h"

#include <cassert>
#include <limits>

namespace
{

// One parsed conversion of the format.
struct Conversion
{
    bool store = true;
    size_t width = 0;  // 0: unlimited
    bool wide = false; // "I64" or "ll"
    char kind = 0;     // 's', 'd', 'u', '[', 'n'
    std::string_view set;
    bool negated = false;
};

// Reads the conversion that starts after a '%' at format[pos]; pos moves past
// it. False for a format error (an unknown or unfinished conversion).
bool ReadConversion(std::string_view format, size_t& pos, Conversion& conversion)
{
    if (pos < format.size() && format[pos] == '*')
    {
        conversion.store = false;
        ++pos;
    }
    if (pos < format.size() && format[pos] == '.')
        ++pos;
    while (pos < format.size() && IsAsciiDigit(format[pos]))
        conversion.width = conversion.width * 10 + static_cast<size_t>(format[pos++] - '0');
    if (format.substr(pos, 3) == "I64")
    {
        conversion.wide = true;
        pos += 3;
    }
    else if (format.substr(pos, 2) == "ll")
    {
        conversion.wide = true;
        pos += 2;
    }
    if (pos >= format.size())
        return false;
    conversion.kind = format[pos++];
    if (conversion.kind != '[')
        return conversion.kind == 's' || conversion.kind == 'd' || conversion.kind == 'u' ||
               conversion.kind == 'n';

    if (pos < format.size() && format[pos] == '^')
    {
        conversion.negated = true;
        ++pos;
    }
    const size_t setStart = pos;
    if (pos < format.size() && format[pos] == ']')
        ++pos;
    while (pos < format.size() && format[pos] != ']')
        ++pos;
    if (pos >= format.size())
        return false;
    conversion.set = format.substr(setStart, pos - setStart);
    ++pos;
    return true;
}

// The limit of a conversion's reach from pos: width characters, or the rest.
size_t ReachEnd(std::string_view text, size_t pos, size_t width)
{
    return width == 0 || text.size() - pos < width ? text.size() : pos + width;
}

// An optional sign and decimal digits at pos, within the width. The
// magnitude saturates at the largest uint64_t, and overflow tells whether it
// had to. False when no digit follows.
bool ReadDecimal(std::string_view text, size_t& pos, size_t width, bool& negative, uint64_t& magnitude,
                 bool& overflow)
{
    const size_t end = ReachEnd(text, pos, width);
    size_t at = pos;
    negative = false;
    if (at < end && (text[at] == '-' || text[at] == '+'))
        negative = text[at++] == '-';
    const size_t digitsStart = at;
    magnitude = 0;
    overflow = false;
    constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
    while (at < end && IsAsciiDigit(text[at]))
    {
        const uint64_t digit = static_cast<uint64_t>(text[at++] - '0');
        overflow = overflow || magnitude > (kMax - digit) / 10;
        magnitude = overflow ? kMax : magnitude * 10 + digit;
    }
    if (at == digitsStart)
        return false;
    pos = at;
    return true;
}

template <typename Signed> Signed SaturateSigned(bool negative, uint64_t magnitude)
{
    constexpr uint64_t kMax = static_cast<uint64_t>(std::numeric_limits<Signed>::max());
    if (!negative)
        return magnitude > kMax ? std::numeric_limits<Signed>::max() : static_cast<Signed>(magnitude);
    if (magnitude > kMax)
        return std::numeric_limits<Signed>::min();
    return static_cast<Signed>(-static_cast<Signed>(magnitude));
}

bool InSet(std::string_view set, bool negated, char c)
{
    return (set.find(c) != std::string_view::npos) != negated;
}

template <typename T> bool Store(const ScanTarget& target, T value)
{
    T* const* slot = std::get_if<T*>(&target);
    assert(slot && *slot && "scan target does not fit its conversion");
    if (!slot || !*slot)
        return false;
    **slot = value;
    return true;
}

} // namespace

int ScanFormat(std::string_view text, std::string_view format, std::initializer_list<ScanTarget> targets)
{
    const ScanTarget* nextTarget = targets.begin();
    int stored = 0;
    size_t pos = 0;
    size_t f = 0;
    while (f < format.size())
    {
        const char c = format[f];
        if (IsAsciiSpace(c))
        {
            while (f < format.size() && IsAsciiSpace(format[f]))
                ++f;
            while (pos < text.size() && IsAsciiSpace(text[pos]))
                ++pos;
            continue;
        }
        if (c != '%' || (f + 1 < format.size() && format[f + 1] == '%'))
        {
            f += c == '%' ? 2 : 1;
            if (pos >= text.size() || text[pos] != c)
                return stored;
            ++pos;
            continue;
        }

        ++f;
        Conversion conversion;
        if (!ReadConversion(format, f, conversion))
        {
            assert(!"malformed scan format");
            return stored;
        }
        if (conversion.store && nextTarget == targets.end())
        {
            assert(!"fewer scan targets than conversions");
            return stored;
        }
        const ScanTarget* target = conversion.store ? nextTarget++ : nullptr;

        if (conversion.kind == 'n')
        {
            if (target && !Store<ScanPosition>(*target, ScanPosition{pos}))
                return stored;
            continue;
        }
        if (conversion.kind != '[')
        {
            while (pos < text.size() && IsAsciiSpace(text[pos]))
                ++pos;
        }
        if (pos >= text.size())
            return stored;

        if (conversion.kind == 's' || conversion.kind == '[')
        {
            const size_t end = ReachEnd(text, pos, conversion.width);
            const size_t start = pos;
            while (pos < end &&
                   (conversion.kind == 's' ? !IsAsciiSpace(text[pos])
                                           : InSet(conversion.set, conversion.negated, text[pos])))
                ++pos;
            if (pos == start)
                return stored;
            if (target && !Store<std::string_view>(*target, text.substr(start, pos - start)))
                return stored;
        }
        else
        {
            bool negative = false;
            bool overflow = false;
            uint64_t magnitude = 0;
            if (!ReadDecimal(text, pos, conversion.width, negative, magnitude, overflow))
                return stored;
            if (target)
            {
                bool ok = false;
                if (conversion.kind == 'u')
                {
                    const uint64_t value = overflow || !negative ? magnitude : 0 - magnitude;
                    ok = conversion.wide && Store<uint64_t>(*target, value);
                }
                else if (conversion.wide)
                    ok = Store<int64_t>(*target, SaturateSigned<int64_t>(negative, magnitude));
                else
                    ok = Store<int>(*target, SaturateSigned<int>(negative, magnitude));
                assert(ok && "scan target does not fit its conversion");
                if (!ok)
                    return stored;
            }
        }
        if (target)
            ++stored;
    }
    return stored;
}
