#include "platform/core/Text.h"

#include "platform/core/NumericLocale.h"

#include <cstdio>
#include <cstring>

std::string TranslateFormat(const char* format)
{
    std::string out;
    if (!format)
        return out;
    out.reserve(std::strlen(format) + 8);
    for (const char* p = format; *p;)
    {
        if (*p != '%')
        {
            out += *p++;
            continue;
        }
        out += *p++;
        if (*p == '%')
        {
            out += *p++;
            continue;
        }
        // flags, width, precision
        while (*p && std::strchr("-+ #0123456789.*'", *p))
            out += *p++;
        if (p[0] == 'I' && p[1] == '6' && p[2] == '4')
        {
            out += "ll";
            p += 3;
        }
    }
    return out;
}

std::string FormatV(const char* format, va_list args)
{
    if (!format)
        return std::string();
    // A text without conversions is its own result.
    if (!std::strchr(format, '%'))
        return format;
    // vsnprintf takes the decimal point and digit grouping from LC_NUMERIC;
    // the program's texts must not change with the user's locale.
    const CScopedCLocale cLocale;
    // Most formats have no "%I64" to rewrite; copying them costs more than
    // the formatting that follows, so only those with "I64" are rewritten.
    const bool rewrite = std::strstr(format, "I64") != nullptr;
    const std::string rewritten = rewrite ? TranslateFormat(format) : std::string();
    const char* const fmt = rewrite ? rewritten.c_str() : format;
    va_list copy;
    va_copy(copy, args);
    char small[256];
    const int n = std::vsnprintf(small, sizeof small, fmt, copy);
    va_end(copy);
    if (n < 0)
        return std::string();
    if (static_cast<size_t>(n) < sizeof small)
        return std::string(small, static_cast<size_t>(n));
    std::string out(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(out.data(), out.size(), fmt, args);
    out.resize(static_cast<size_t>(n));
    return out;
}

std::string Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string out = FormatV(format, args);
    va_end(args);
    return out;
}

char AsciiToUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

char AsciiToLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string MakeUpper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = AsciiToUpper(c);
    return out;
}

std::string MakeLower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = AsciiToLower(c);
    return out;
}

int CompareNoCase(std::string_view a, std::string_view b)
{
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i)
    {
        const auto x = static_cast<unsigned char>(AsciiToUpper(a[i]));
        const auto y = static_cast<unsigned char>(AsciiToUpper(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::string TrimLeft(std::string_view text, std::string_view chars)
{
    const size_t start = text.find_first_not_of(chars);
    return start == std::string_view::npos ? std::string() : std::string(text.substr(start));
}

std::string TrimRight(std::string_view text, std::string_view chars)
{
    const size_t end = text.find_last_not_of(chars);
    return end == std::string_view::npos ? std::string() : std::string(text.substr(0, end + 1));
}

std::string Trim(std::string_view text, std::string_view chars)
{
    const size_t start = text.find_first_not_of(chars);
    if (start == std::string_view::npos)
        return std::string();
    const size_t end = text.find_last_not_of(chars);
    return std::string(text.substr(start, end - start + 1));
}

size_t FindNoCase(std::string_view text, std::string_view needle, size_t from)
{
    if (from > text.size() || needle.size() > text.size() - from)
        return std::string_view::npos;
    for (size_t i = from; i + needle.size() <= text.size(); ++i)
    {
        if (EqualsNoCase(text.substr(i, needle.size()), needle))
            return i;
    }
    return std::string_view::npos;
}

std::vector<std::string> Split(std::string_view text, char sep, bool keepEmpty)
{
    std::vector<std::string> out;
    size_t start = 0;
    for (;;)
    {
        const size_t pos = text.find(sep, start);
        const std::string_view piece =
            text.substr(start, pos == std::string_view::npos ? std::string_view::npos : pos - start);
        if (keepEmpty || !piece.empty())
            out.emplace_back(piece);
        if (pos == std::string_view::npos)
            break;
        start = pos + 1;
    }
    return out;
}
