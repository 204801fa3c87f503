#include "platform/core/Text.h"

#include <cctype>
#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

TEST(Text, FormatReadsI64Prefix)
{
    EXPECT_EQ(Format("%I64d|%I64u|%5I64d|%%I64d", -5000000000LL, 18000000000ULL, 42LL), "-5000000000|18000000000|   42|%I64d");
    EXPECT_EQ(Format("%s=%d", "a", 7), "a=7");
    const std::string longText(1000, 'x');
    EXPECT_EQ(Format("<%s>", longText.c_str()).size(), 1002u);
    // "I64" outside a conversion stays as it is, long results included.
    EXPECT_EQ(Format("I64 %I64d I64", 1LL), "I64 1 I64");
    EXPECT_EQ(Format(("I64" + longText + "%I64d").c_str(), 2LL), "I64" + longText + "2");
    EXPECT_EQ(Format(nullptr), "");
    EXPECT_EQ(Format("no conversions I64"), "no conversions I64");
    EXPECT_EQ(Format(""), "");
}

TEST(Text, CaseFoldingIsAsciiOnly)
{
    EXPECT_EQ(MakeUpper("abc\xC3\xA4z"), "ABC\xC3\xA4Z");
    EXPECT_EQ(CompareNoCase("Content-Length", "content-length"), 0);
    EXPECT_LT(CompareNoCase("abc", "abd"), 0);
    EXPECT_GT(CompareNoCase("abcd", "ABC"), 0);
    EXPECT_EQ(FindNoCase("xxHeLLo", "hello"), 2u);
    EXPECT_EQ(FindNoCase("abc", "abcd"), std::string::npos);
}

TEST(Text, TrimAndSplit)
{
    EXPECT_EQ(Trim("  a b \r\n"), "a b");
    EXPECT_EQ(Trim(" \t "), "");
    EXPECT_EQ(TrimLeft("//a/", "/"), "a/");
    EXPECT_EQ(TrimRight("//a/", "/"), "//a");
    EXPECT_EQ(Split("a,,b", ','), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(Split("a,,b,", ',', false), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Split("", ','), (std::vector<std::string>{""}));
}

TEST(Text, CharacterClassesAreThoseOfTheCLocale)
{
    ASSERT_STREQ(std::setlocale(LC_CTYPE, nullptr), "C");
    for (int code = 0; code < 256; ++code)
    {
        const char c = static_cast<char>(code);
        EXPECT_EQ(IsAsciiSpace(c), std::isspace(code) != 0) << code;
        EXPECT_EQ(IsAsciiDigit(c), std::isdigit(code) != 0) << code;
        const int hex = HexDigitValue(c);
        EXPECT_EQ(hex >= 0, std::isxdigit(code) != 0) << code;
        if (hex >= 0)
        {
            EXPECT_EQ(hex, static_cast<int>(std::strtol(std::string(1, c).c_str(), nullptr, 16))) << code;
        }
    }
}
