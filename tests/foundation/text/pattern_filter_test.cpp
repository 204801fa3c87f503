#include "foundation/text/PatternFilter.h"

#include <gtest/gtest.h>

namespace
{
struct FilterCase
{
    const char* include;
    bool includeEnabled;
    const char* exclude;
    bool excludeEnabled;
    const char* text;
    bool caseSensitive;
    bool expected;
};

const FilterCase kCases[] = {
    {"*.html", true, "", false, "a.gif", false, false},
    {"*.html", true, "", false, "a.html", false, true},
    {"*.html", true, "", false, "A.HTML", false, true},
    {"*.html", true, "", false, "A.HTML", true, false},
    {"*.html", true, "", false, "  a.html\t\r\n", false, true},
    {"*.html", false, "", false, "a.gif", false, true},
    // Include on with an empty list accepts everything not excluded.
    {"", true, "*.gif", true, "a.gif", false, false},
    {"", true, "*.gif", true, "a.png", false, true},
    {"", true, "*.gif", false, "a.gif", false, true},
    {"*.example.com;*.test", true, "secret.*", true, "www.example.com", false, true},
    {"*.example.com;*.test", true, "secret.*", true, "secret.test", false, false},
    {"*.example.com;*.test", true, "secret.*", true, "example.org", false, false},
    {"*.example.com;*.test", true, "SECRET.*", true, "secret.test", true, true},
    // "*.*" is held as "*", so it takes names without a dot too.
    {"*.*", true, "", false, "README", false, true},
    {"*.html", true, "", false, "", false, false},
    {"", false, "*", true, "", false, true},
};

TEST(PatternFilterTest, MatchTable)
{
    for (const FilterCase& c : kCases)
    {
        CPatternFilter filter;
        filter.SetIncludeText(c.include, ';');
        filter.SetExcludeText(c.exclude, ';');
        filter.SetIncludeEnabled(c.includeEnabled);
        filter.SetExcludeEnabled(c.excludeEnabled);
        EXPECT_EQ(filter.Match(c.text, c.caseSensitive), c.expected)
            << "include '" << c.include << "' exclude '" << c.exclude << "' text '" << c.text << "'";
    }
}

TEST(PatternFilterTest, SetTextDropsEmptyPiecesAndFoldsStarDotStar)
{
    CPatternFilter filter;
    filter.SetIncludeText(" a ;;b;", ';');
    filter.SetExcludeText("*.*, x ,,", ',');
    EXPECT_EQ(filter.GetIncludeText(';'), "a;b;");
    EXPECT_EQ(filter.GetExcludeText('|'), "*|x|");
    EXPECT_FALSE(filter.IsIncludeEnabled());
    EXPECT_FALSE(filter.IsExcludeEnabled());

    filter.SetIncludeEnabled(true);
    EXPECT_FALSE(filter.Match("c", false));
    EXPECT_TRUE(filter.Match("B", false));
}

TEST(PatternFilterTest, ConstructorKeepsEmptyMiddlePattern)
{
    const CPatternFilter filter("a;;b", "", ';');
    EXPECT_TRUE(filter.IsIncludeEnabled());
    EXPECT_TRUE(filter.IsExcludeEnabled());
    EXPECT_EQ(filter.GetIncludeText(';'), "a;;b;");
    EXPECT_EQ(filter.GetExcludeText(';'), "");
    // The empty pattern matches every non-empty text.
    EXPECT_TRUE(filter.Match("anything", false));
    EXPECT_FALSE(filter.Match("   ", false));
}

TEST(PatternFilterTest, SkipListStyleFilter)
{
    const CPatternFilter filter(" localhost ; *.intranet ;*.*", "", ';');
    EXPECT_EQ(filter.GetIncludeText(';'), "localhost;*.intranet;*;");
    const CPatternFilter hosts("localhost;*.intranet", "", ';');
    EXPECT_TRUE(hosts.Match("LOCALHOST", false));
    EXPECT_TRUE(hosts.Match("wiki.intranet", false));
    EXPECT_FALSE(hosts.Match("example.com", false));
}

TEST(PatternFilterTest, CopyAndClear)
{
    CPatternFilter source("*.html", "private*", ';');
    CPatternFilter copy;
    copy = source;
    EXPECT_EQ(copy.GetIncludeText(';'), "*.html;");
    EXPECT_EQ(copy.GetExcludeText(';'), "private*;");
    EXPECT_TRUE(copy.IsIncludeEnabled());
    EXPECT_TRUE(copy.IsExcludeEnabled());
    EXPECT_FALSE(copy.Match("private.html", false));

    source.Clear();
    EXPECT_FALSE(source.IsIncludeEnabled());
    EXPECT_FALSE(source.IsExcludeEnabled());
    EXPECT_EQ(source.GetIncludeText(';'), "");
    EXPECT_EQ(source.GetExcludeText(';'), "");
    EXPECT_TRUE(source.Match("private.gif", false));
    // The copy is independent of the source.
    EXPECT_EQ(copy.GetIncludeText(';'), "*.html;");
}

TEST(PatternFilterTest, MatchThroughInterface)
{
    const CPatternFilter filter("*.html", "", ';');
    const ITextFilter& textFilter = filter;
    EXPECT_TRUE(textFilter.Match("index.html", false));
    EXPECT_FALSE(textFilter.Match("index.htm", false));
}
} // namespace
