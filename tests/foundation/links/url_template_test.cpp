#include "foundation/links/UrlTemplate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// Every URL a template gives, bounded so that a fault cannot loop forever.
std::vector<std::string> Expand(CUrlTemplate& urlTemplate, size_t limit = 1000)
{
    std::vector<std::string> urls;
    std::string url;
    while (urls.size() < limit && urlTemplate.GetNext(url))
        urls.push_back(url);
    return urls;
}

struct TemplateCase
{
    const char* text;
    int parseResult;
    std::vector<std::string> urls;
};

const TemplateCase kCases[] = {
    {"http://host/a.html", -1, {"http://host/a.html"}},
    {"", -1, {}},
    {"p<1-3>.html", 1, {"p1.html", "p2.html", "p3.html"}},
    {"<3-1>", 1, {"3", "2", "1"}},
    {"<7-7>", 1, {"7"}},
    {"<1-2><a|b>", 1, {"1a", "2a", "1b", "2b"}},
    {"x<a|b>/<1-2>/<c>", 1, {"xa/1/c", "xb/1/c", "xa/2/c", "xb/2/c"}},
    {"<a||b>", 1, {"a", "", "b"}},
    {"<a|>", 1, {"a"}},
    {"<|a>", 1, {"", "a"}},
    {"<>", 1, {}},
    {"x<>y<1-2>", 1, {}},
    {"<5>", 1, {"5"}},
    {"<1-3|x|9-8>", 1, {"1", "2", "3", "x", "9", "8"}},
    {"<1-2|a>-<b|3-3>", 1, {"1-b", "2-b", "a-b", "1-3", "2-3", "a-3"}},
    // No nesting: the group runs to the first '>'.
    {"<a<b>c>", 1, {"a<bc>"}},
    // "%d-%d": blanks before each number, a sign, and trailing text are read past.
    {"< 1- 3>", 1, {"1", "2", "3"}},
    {"<+1-2>", 1, {"1", "2"}},
    {"<1-3x>", 1, {"1", "2", "3"}},
    {"<1 -3>", 1, {"1 -3"}},
    {"<a-3>", 1, {"a-3"}},
    // A bound written with a leading zero pads to the wider bound.
    {"img<01-03>", 1, {"img01", "img02", "img03"}},
    {"<8-010>", 1, {"008", "009", "010"}},
    {"<10-08>", 1, {"10", "09", "08"}},
    {"<0-2>", 1, {"0", "1", "2"}},
    {"<1998999999-1999000001>", 1, {"1998999999", "1999000000", "1999000001"}},
    {"<2000000000-1999999999>", 1, {"2000000000", "1999999999"}},
    // Malformed: the text from the bad '<' on stays one literal.
    {"a<1-2", 0, {"a<1-2"}},
    {"a<1-2>b<x", 0, {"a1b<x", "a2b<x"}},
    {"<2000000001-1>", 0, {"<2000000001-1>"}},
    {"<-1-3>", 0, {"<-1-3>"}},
    {"<1--3>", 0, {"<1--3>"}},
    {"<a|1-99999999999>", 0, {"<a|1-99999999999>"}},
    {"<4294967297-4294967298>", 0, {"<4294967297-4294967298>"}},
    {"p<1-2>/<0-2000000000>", 0, {"p1/<0-2000000000>", "p2/<0-2000000000>"}},
};

TEST(UrlTemplateTest, ExpansionTable)
{
    for (const TemplateCase& c : kCases)
    {
        CUrlTemplate urlTemplate;
        EXPECT_EQ(urlTemplate.Parse(c.text), c.parseResult) << c.text;
        EXPECT_EQ(Expand(urlTemplate), c.urls) << c.text;
    }
}

TEST(UrlTemplateTest, ExhaustedStaysExhaustedAndParseStartsOver)
{
    CUrlTemplate urlTemplate;
    std::string url = "old";
    EXPECT_FALSE(urlTemplate.GetNext(url));
    EXPECT_EQ(url, "");

    ASSERT_EQ(urlTemplate.Parse("a<1-2>b"), 1);
    EXPECT_EQ(Expand(urlTemplate), (std::vector<std::string>{"a1b", "a2b"}));
    url = "old";
    EXPECT_FALSE(urlTemplate.GetNext(url));
    EXPECT_EQ(url, "");
    EXPECT_FALSE(urlTemplate.GetNext(url));

    ASSERT_EQ(urlTemplate.Parse("<x|y>"), 1);
    EXPECT_EQ(Expand(urlTemplate), (std::vector<std::string>{"x", "y"}));

    urlTemplate.Clear();
    EXPECT_FALSE(urlTemplate.GetNext(url));
}

TEST(UrlTemplateTest, CombinationCountIsCapped)
{
    CUrlTemplate urlTemplate;
    std::string url;

    // Exactly the cap is accepted and expanded lazily.
    ASSERT_EQ(CUrlTemplate::kMaxCombinations, 1000 * 1000);
    ASSERT_EQ(urlTemplate.Parse("<1-1000>/<1-1000>"), 1);
    ASSERT_TRUE(urlTemplate.GetNext(url));
    EXPECT_EQ(url, "1/1");
    ASSERT_TRUE(urlTemplate.GetNext(url));
    EXPECT_EQ(url, "2/1");

    // One more alternative passes it: the second group fails.
    EXPECT_EQ(urlTemplate.Parse("<1-1000>/<1-1000|z>"), 0);
    EXPECT_EQ(Expand(urlTemplate, 2000).size(), 1000u);

    // An empty group makes the template give nothing, so no later group
    // can pass the cap.
    EXPECT_EQ(urlTemplate.Parse("<><0-2000000000>"), 1);
    EXPECT_FALSE(urlTemplate.GetNext(url));
}
} // namespace
