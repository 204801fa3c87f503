#include "foundation/text/Escaping.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/text/ByteBuffer.h"

namespace
{
struct Case
{
    const char* what;
    std::string got;
    std::string want;
};

std::string Contents(const CByteBuffer& buffer)
{
    return std::string(reinterpret_cast<const char*>(buffer.GetData()), static_cast<size_t>(buffer.GetLength()));
}

const EntityEntry kCustomTable[] = {{"&x;", "y"}, {"&ab;", "ab"}, {nullptr, nullptr}};
} // namespace

TEST(Escaping, Table)
{
    const std::vector<Case> cases = {
        {"escape blank with _", EscapeCharSet("a b", " ", '_'), "a_20b"},
        {"every character tested against the set", UrlEscapeUnsafe("<%", '%'), "%3C%25"},
        {"unsafe URL set", UrlEscapeUnsafe("a b#{}|\\^~[]'\"x", '%'), "a%20b%23%7B%7D%7C%5C%5E%7E%5B%5D%27%22x"},
        {"safe URL text unchanged", UrlEscapeUnsafe("/path/a-b_c.html?q=1&r=2", '%'), "/path/a-b_c.html?q=1&r=2"},
        {"high byte, upper-case hex", EscapeCharSet("\xE9\x0A", "\xE9\x0A", '%'), "%E9%0A"},
        {"empty text", EscapeCharSet("", " ", '%'), ""},

        {"bad digits count as 0", UnescapeChars("%41%zz", '%'), std::string("A\0", 2)},
        {"mixed-case digits", UnescapeChars("%4a%4A%2f", '%'), "JJ/"},
        {"lone escape at the end kept", UnescapeChars("ab%", '%'), "ab%"},
        {"escape and one digit at the end kept", UnescapeChars("ab%4", '%'), "ab%4"},
        {"other escape character", UnescapeChars("a_20b%20", '_'), "a b%20"},
        {"empty", UnescapeChars("", '%'), ""},

        {"signs decoded", UnescapeXmlEntities("&lt;b&gt;"), "<b>"},
        {"whole table", UnescapeXmlEntities("&nbsp;&amp;&apos;&quot;"), " &'\""},
        {"unknown entity unchanged", UnescapeXmlEntities("&copy; 2024"), "&copy; 2024"},
        {"no semicolon: rest unchanged", UnescapeXmlEntities("x &amp"), "x &amp"},
        {"no semicolon after an entity", UnescapeXmlEntities("&lt;&amp &gt"), "<&amp &gt"},
        {"candidate runs to the next semicolon", UnescapeXmlEntities("a & b;&lt;"), "a & b;<"},
        {"no escape character", UnescapeXmlEntities("%41&amp;"), "%41&"},
        {"entities and escapes in one pass", UnescapeXmlEntitiesEx("%41&amp;%3c%4", '%'), "A&<%4"},
        {"custom table", DecodeEntities("&x;&ab;&lt;", kCustomTable, 0), "yab&lt;"},

        {"encode, blank kept", EscapeXmlEntities("a <b> & \"c\" 'd'"), "a &lt;b&gt; &amp; &quot;c&quot; &apos;d&apos;"},
        {"encode custom table", EscapeEntities("xyabz", kCustomTable), "x&x;&ab;z"},
        {"encode null table skips nbsp", EscapeEntities(" &", nullptr), " &amp;"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.got, c.want) << c.what;
}

TEST(Escaping, EveryByteSurvivesARoundTrip)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string escaped = EscapeCharSet(all, all, '%');
    EXPECT_EQ(escaped.size(), 3u * 256u);
    EXPECT_EQ(UnescapeChars(escaped, '%'), all);
    EXPECT_EQ(UnescapeXmlEntities(EscapeXmlEntities(all)), all);
}

TEST(Escaping, IntoFormsAppend)
{
    CByteBuffer buffer;
    ASSERT_TRUE(buffer.AppendByte('>'));
    EXPECT_TRUE(EscapeCharSetInto(buffer, "a b", " ", '%'));
    EXPECT_TRUE(EscapeEntitiesInto(buffer, "<", nullptr));
    EXPECT_TRUE(DecodeEntitiesInto(buffer, "&quot;%21", nullptr, '%'));
    EXPECT_EQ(Contents(buffer), ">a%20b&lt;\"!");
}

TEST(Escaping, NumbersFromText)
{
    const struct
    {
        const char* text;
        int32_t asInt;
        int64_t asInt64;
        double asDouble;
    } cases[] = {
        {nullptr, 0, 0, 0.0},
        {"", 0, 0, 0.0},
        {"x12", 0, 0, 0.0},
        {"  -42abc", -42, -42, -42.0},
        {"\t+7", 7, 7, 7.0},
        {"1.5", 1, 1, 1.5},
        {" -2.25e2x", -2, -2, -225.0},
        {"4294967296", INT32_MAX, 4294967296LL, 4294967296.0},
        {"-4294967296", INT32_MIN, -4294967296LL, -4294967296.0},
        {"99999999999999999999", INT32_MAX, INT64_MAX, 1e20},
        {"-99999999999999999999", INT32_MIN, INT64_MIN, -1e20},
    };
    for (const auto& c : cases)
    {
        const char* label = c.text ? c.text : "(null)";
        EXPECT_EQ(StrToIntSafe(c.text), c.asInt) << label;
        EXPECT_EQ(StrToInt64Safe(c.text), c.asInt64) << label;
        EXPECT_DOUBLE_EQ(StrToDoubleSafe(c.text), c.asDouble) << label;
        if (c.text)
        {
            EXPECT_EQ(StrToIntSafe(std::string(c.text)), c.asInt) << label;
            EXPECT_EQ(StrToInt64Safe(std::string(c.text)), c.asInt64) << label;
            EXPECT_DOUBLE_EQ(StrToDoubleSafe(std::string(c.text)), c.asDouble) << label;
        }
    }
}
