#include "foundation/text/HtmlEntities.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace
{

// Expected texts agree with Python's html.unescape, except where a name
// lacks its ';' (HTML keeps those in attribute values when a letter, digit
// or '=' follows, and this decoder keeps them always).
TEST(HtmlEntities, DecodesNumericAndNamedReferences)
{
    struct Case
    {
        std::string_view text;
        std::string_view decoded;
    };
    const Case cases[] = {
        {"issue?&#64;action=x", "issue?@action=x"},
        {"a&#x26;b&#X3c;c", "a&b<c"},
        {"&#64&#x41", "@A"},
        {"&amp;&AMP;&lt;&LT;&quot;&apos;", "&&<<\"'"},
        {"&copy; &eacute;&nbsp;", "\xC2\xA9 \xC3\xA9\xC2\xA0"},
        {"&#128512;&#x1F600;", "\xF0\x9F\x98\x80\xF0\x9F\x98\x80"},
        {"&#150;", "\xE2\x80\x93"},
        {"&#0;&#xD800;&#x110000;&#99999999999999999999;", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"&Copy; &nosuch; &amp", "&Copy; &nosuch; &amp"},
        {"?a=1&copy=2", "?a=1&copy=2"},
        {"&#;&#x;&#xg; & &&", "&#;&#x;&#xg; & &&"},
        {"&ThisIsAVeryLongNameThatNoEntityHasAtAll;", "&ThisIsAVeryLongNameThatNoEntityHasAtAll;"},
        {"", ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.text));
        EXPECT_EQ(DecodeHtmlEntities(c.text), c.decoded);
    }
}

TEST(HtmlEntities, TableIsSortedAndHoldsTheStandardNames)
{
    ASSERT_GT(kHtmlEntityCount, 2000u);
    for (size_t i = 1; i < kHtmlEntityCount; ++i)
        ASSERT_LT(std::string_view(kHtmlEntities[i - 1].name), std::string_view(kHtmlEntities[i].name)) << i;
    EXPECT_STREQ(FindHtmlEntity("amp;"), "&");
    EXPECT_STREQ(FindHtmlEntity("AMP;"), "&");
    EXPECT_STREQ(FindHtmlEntity("NotNestedGreaterGreater;"), "\xE2\xAA\xA2\xCC\xB8");
    EXPECT_EQ(FindHtmlEntity("amp"), nullptr);
    EXPECT_EQ(FindHtmlEntity("Copy;"), nullptr);
}

} // namespace
