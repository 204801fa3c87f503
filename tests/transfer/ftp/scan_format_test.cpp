#include "transfer/ftp/ScanFormat.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <string>

namespace
{

TEST(ScanFormatTest, ReadsTheFieldsOfAListingLayout)
{
    const std::string_view line = "-rw-r--r--   1 owner group  1234 Mar  5 12:34 a name";
    std::string_view permissions, owner, month;
    uint64_t size = 0;
    int day = 0, hour = 0, minute = 0;
    ScanPosition end;
    EXPECT_EQ(7, ScanFormat(line, "%s %*d %s %*s %I64u %s %d %d:%d%n",
                            {&permissions, &owner, &size, &month, &day, &hour, &minute, &end}));
    EXPECT_EQ("-rw-r--r--", permissions);
    EXPECT_EQ("owner", owner);
    EXPECT_EQ(1234u, size);
    EXPECT_EQ("Mar", month);
    EXPECT_EQ(5, day);
    EXPECT_EQ(12, hour);
    EXPECT_EQ(34, minute);
    EXPECT_EQ(" a name", line.substr(end.offset));
}

TEST(ScanFormatTest, StopsAtTheFirstMismatchAndCountsWhatWasStored)
{
    int a = 0, b = 0, c = 0;
    EXPECT_EQ(2, ScanFormat("1/2:3", "%d/%d/%d", {&a, &b, &c}));
    EXPECT_EQ(0, c);
    // Ordinary characters must follow at once: no white space is skipped
    // before them.
    EXPECT_EQ(1, ScanFormat("5 , 6", "%d, %d", {&a, &b}));
    EXPECT_EQ(2, ScanFormat("5, 6", "%d, %d", {&a, &b}));
    EXPECT_EQ(6, b);
    // The text ends before a conversion.
    EXPECT_EQ(1, ScanFormat("  7   ", "%d %d", {&a, &b}));
    EXPECT_EQ(0, ScanFormat("", "%d", {&a}));
    EXPECT_EQ(0, ScanFormat("x", "%d", {&a}));
    EXPECT_EQ(0, ScanFormat("-", "%d", {&a}));
}

TEST(ScanFormatTest, NumbersSaturateInsteadOfOverflowing)
{
    struct Case
    {
        const char* text;
        int asInt;
        int64_t asInt64;
        uint64_t asUnsigned;
    };
    const Case cases[] = {
        {"42", 42, 42, 42},
        {"+42", 42, 42, 42},
        {"-1", -1, -1, UINT64_MAX}, // strtoull's rule: "-1" is all bits set
        {"-42", -42, -42, UINT64_MAX - 41},
        {"2147483648", INT_MAX, 2147483648LL, 2147483648ULL},
        {"-2147483648", INT_MIN, -2147483648LL, UINT64_MAX - 2147483647ULL},
        {"-2147483649", INT_MIN, -2147483649LL, UINT64_MAX - 2147483648ULL},
        {"9223372036854775808", INT_MAX, INT64_MAX, 9223372036854775808ULL},
        {"18446744073709551615", INT_MAX, INT64_MAX, UINT64_MAX},
        {"99999999999999999999999999", INT_MAX, INT64_MAX, UINT64_MAX},
        {"-99999999999999999999999999", INT_MIN, INT64_MIN, UINT64_MAX},
        {"007", 7, 7, 7}, // decimal, never octal
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        int asInt = 0;
        int64_t asInt64 = 0;
        uint64_t asUnsigned = 0;
        ASSERT_EQ(1, ScanFormat(c.text, "%d", {&asInt}));
        ASSERT_EQ(1, ScanFormat(c.text, "%I64d", {&asInt64}));
        ASSERT_EQ(1, ScanFormat(c.text, "%I64u", {&asUnsigned}));
        EXPECT_EQ(c.asInt, asInt);
        EXPECT_EQ(c.asInt64, asInt64);
        EXPECT_EQ(c.asUnsigned, asUnsigned);
    }
}

TEST(ScanFormatTest, SetsWidthsAndSuppressedConversions)
{
    std::string_view digits, letters, rest;
    EXPECT_EQ(3, ScanFormat("12-AM x", "%[0123456789]-%[APM] %[^]]", {&digits, &letters, &rest}));
    EXPECT_EQ("12", digits);
    EXPECT_EQ("AM", letters);
    EXPECT_EQ("x", rest);
    // A set does not skip white space.
    EXPECT_EQ(0, ScanFormat(" 12", "%[0123456789]", {&digits}));

    // Width and precision both limit the length.
    std::string_view first, second;
    EXPECT_EQ(2, ScanFormat("abcdef", "%.4s%s", {&first, &second}));
    EXPECT_EQ("abcd", first);
    EXPECT_EQ("ef", second);
    int value = 0;
    EXPECT_EQ(2, ScanFormat("12345", "%2d%s", {&value, &second}));
    EXPECT_EQ(12, value);
    EXPECT_EQ("345", second);

    // '*' reads without storing or counting; %n is not counted either.
    ScanPosition end;
    EXPECT_EQ(1, ScanFormat("skip 9 tail", "%*s %d%n", {&value, &end}));
    EXPECT_EQ(9, value);
    EXPECT_EQ(6u, end.offset);
    EXPECT_EQ(0, ScanFormat("100%", "%*d%%%n", {&end}));
    EXPECT_EQ(4u, end.offset);
}

TEST(ScanFormatTest, NeverReadsPastTheEndOfTheText)
{
    // Each prefix lives in a buffer of exactly its length, so that a read
    // past it is caught by the address sanitizer.
    const std::string whole = "-rw-r--r-- 1 o g 12 2004/03/05 14:27 x";
    for (size_t length = 0; length <= whole.size(); ++length)
    {
        std::unique_ptr<char[]> exact(new char[length > 0 ? length : 1]);
        whole.copy(exact.get(), length);
        std::string_view permissions, owner;
        uint64_t size = 0;
        int year = 0, month = 0, day = 0, hour = 0, minute = 0;
        ScanPosition end;
        const int read =
            ScanFormat(std::string_view(exact.get(), length), "%s %*d %s %*s %I64u %d/%d/%d %d:%d%n",
                       {&permissions, &owner, &size, &year, &month, &day, &hour, &minute, &end});
        EXPECT_LE(read, 8);
        EXPECT_LE(end.offset, length);
    }
}

} // namespace
