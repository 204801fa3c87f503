#include "foundation/text/DisplayFormats.h"

#include <cstdarg>

#include "platform/core/OleDateTime.h"
#include "platform/core/StringResource.h"
#include "platform/core/Text.h"

namespace
{
constexpr double kKilo = 1024.0;
constexpr double kMega = kKilo * 1024.0;
constexpr double kGiga = kMega * 1024.0;
constexpr double kTera = kGiga * 1024.0;
constexpr double kExa = kTera * 1024.0 * 1024.0;

// Cuts text to at most max bytes, backing off to the start of a UTF-8
// character so that no partial character is left at the end.
void CutToLength(std::string& text, size_t max)
{
    if (text.size() <= max)
        return;
    size_t end = max;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    text.resize(end);
}
} // namespace

std::string FormatResourceString(unsigned id, ...)
{
    std::string format;
    if (!LoadResourceString(id, format))
        return std::string();
    va_list args;
    va_start(args, id);
    std::string out = FormatV(format.c_str(), args);
    va_end(args);
    CutToLength(out, kMaxResourceStringLength);
    return out;
}

std::string FormatSize(int64_t n)
{
    const double value = static_cast<double>(n);
    if (value < 0)
        return std::string();
    if (n == 1)
        return "1 Byte";
    if (value < 999)
        return Format("%d Bytes", static_cast<int>(n));
    if (value < 999 * kKilo)
        return Format("%.2f KB", value / kKilo);
    if (value < 999 * kMega)
        return Format("%.2f MB", value / kMega);
    if (value < 999 * kGiga)
        return Format("%.2f GB", value / kGiga);
    // Terabytes run on up to 999 exbibytes; there is no larger unit.
    if (value < 999 * kExa)
        return Format("%.2f TB", value / kTera);
    return "INF";
}

std::string FormatSpeed(int64_t n, std::string_view fallback)
{
    const double value = static_cast<double>(n);
    if (n < 0)
        return std::string(fallback);
    if (n < 100)
        return Format("%d B/s", static_cast<int>(n));
    if (value < 100 * kKilo)
        return Format("%.2f KB/s", value / kKilo);
    if (value < 100 * kMega)
        return Format("%.2f MB/s", value / kMega);
    if (value < 100 * kGiga)
        return Format("%.2f GB/s", value / kGiga);
    if (value < 100 * kTera)
        return Format("%.2f TB/s", value / kTera);
    return "INF";
}

std::string FormatSizeWithBytes(int64_t n, int style, std::string_view fallback)
{
    if (n < 0)
        return std::string(fallback);
    switch (style)
    {
    case 1:
        return FormatSize(n);
    case 2:
        if (n > 998)
            return Format("%s (%I64d Bytes)", FormatSize(n).c_str(), static_cast<long long>(n));
        return Format("%I64d Bytes", static_cast<long long>(n));
    case 3:
        if (n > 998)
            return Format("%s (%s Bytes)", FormatSize(n).c_str(), FormatCount64(n, ',').c_str());
        return Format("%I64d Bytes", static_cast<long long>(n));
    case 4:
        return FormatCount64(n, ',');
    default:
        return Format("%I64d", static_cast<long long>(n));
    }
}

std::string FormatDuration(int64_t seconds, std::string_view fallback)
{
    if (seconds < 0)
        return std::string(fallback);
    return Format("%I64d:%02d:%02d", static_cast<long long>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                  static_cast<int>(seconds % 60));
}

std::string FormatCount64(int64_t n, char separator)
{
    if (n == 0)
        return "0";
    // The magnitude in unsigned arithmetic, so that the smallest 64-bit
    // number has one too.
    uint64_t magnitude = n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
    char digits[32];
    size_t start = sizeof digits;
    int inGroup = 0;
    while (magnitude != 0)
    {
        if (inGroup == 3 && separator != 0)
        {
            digits[--start] = separator;
            inGroup = 0;
        }
        digits[--start] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
        ++inGroup;
    }
    if (n < 0)
        digits[--start] = '-';
    return std::string(digits + start, sizeof digits - start);
}

std::string FormatCount(int32_t n, char separator)
{
    return FormatCount64(n, separator);
}

std::string FormatPercent(int64_t part, int64_t whole, std::string_view fallback)
{
    double value;
    if (whole > 0 && part <= whole)
        value = static_cast<double>(part) * 100.0 / static_cast<double>(whole);
    else if (whole == 0 && part == 0)
        value = 100.0;
    else
        return std::string(fallback);
    if (value < 0)
        return std::string(fallback);
    return Format("%.2f %%", value);
}

std::string FormatDateTime(const COleDateTime& date, std::string_view fallback)
{
    if (!date.IsValid() || date.GetValue() == 0.0)
        return std::string(fallback);
    std::string text = date.Format("%m/%d/%Y %H:%M:%S");
    // A value beyond the years a date can show has no text either.
    return text.empty() ? std::string(fallback) : text;
}
