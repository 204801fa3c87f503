#pragma once
// Text helpers over std::string holding UTF-8 bytes. Case folding and
// comparison are ASCII-only on purpose: protocol keywords, header names and
// settings keys are ASCII, and a locale-dependent fold would change results
// between users.

#include <cstdarg>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// printf-style formatting that also understands the "%I64d"/"%I64u"/"%I64x"
// length prefix (read as "ll"), so format texts written for 64-bit values
// work unchanged. Always formats with the "C" numeric conventions (decimal
// point '.', no grouping), whatever locale the C library was set to.
std::string Format(const char* format, ...);
std::string FormatV(const char* format, va_list args);

// Rewrites "%I64" length prefixes into "ll"; exposed for tests.
std::string TranslateFormat(const char* format);

char AsciiToUpper(char c);
char AsciiToLower(char c);
std::string MakeUpper(std::string_view text);
std::string MakeLower(std::string_view text);

// The character classes of the "C" locale, whatever locale the process runs
// in: white space is ' ', '\t', '\n', '\v', '\f' and '\r'.
constexpr bool IsAsciiSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

constexpr bool IsAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The value 0 to 15 of a hexadecimal digit of either case; -1 for any other
// character.
constexpr int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// <0, 0, >0 like strcmp, after folding both sides to upper case.
int CompareNoCase(std::string_view a, std::string_view b);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

inline constexpr const char* kBlanks = " \t\r\n";
std::string Trim(std::string_view text, std::string_view chars = kBlanks);
std::string TrimLeft(std::string_view text, std::string_view chars = kBlanks);
std::string TrimRight(std::string_view text, std::string_view chars = kBlanks);

// Position of needle in text from `from` on, ignoring ASCII case; npos when absent.
size_t FindNoCase(std::string_view text, std::string_view needle, size_t from = 0);

// Splits at every occurrence of sep. With keepEmpty false, empty pieces are dropped.
std::vector<std::string> Split(std::string_view text, char sep, bool keepEmpty = true);
