#include "transfer/http/ContentRange.h"
#include "transfer/client/LinkLocation.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <string_view>

namespace
{

struct ResolveCase
{
    const char* base;
    const char* link;
    bool baseIsFolder;
    const char* expected;
};

const ResolveCase kResolveCases[] = {
    // Against a URL.
    {"http://www.x.com/a/b/page.html", "", false, "http://www.x.com/a/b/page.html"},
    {"http://www.x.com/a/b/page.html", "c.html", false, "http://www.x.com/a/b/c.html"},
    {"http://www.x.com/a/b/page.html", "../c.html", false, "http://www.x.com/a/c.html"},
    {"http://www.x.com/a/b/page.html", "..\\c.html", false, "http://www.x.com/a/c.html"},
    {"http://www.x.com/a/b/page.html", "../../../../c.html", false, "http://www.x.com/c.html"},
    {"http://www.x.com/a/b/page.html", "/top.html", false, "http://www.x.com/top.html"},
    {"http://www.x.com/a/b/", "c.html", false, "http://www.x.com/a/b/c.html"},
    {"http://www.x.com/a/b", "c.html", true, "http://www.x.com/a/b/c.html"},
    {"http://www.x.com", "c.html", false, "http://www.x.com/c.html"},
    {"http://www.x.com/p.html", "../x/", false, "http://www.x.com/x/"},
    // Parent steps alone name a folder: an autoindex page's "../".
    {"http://www.x.com/a/b/", "../", false, "http://www.x.com/a/"},
    {"http://www.x.com/a/b/c.html", "../../", false, "http://www.x.com/"},
    {"http://www.x.com/a/", "../../", false, "http://www.x.com/"},
    {"http://user:pw@www.x.com:8080/a/p.html", "q.html", false, "http://user:pw@www.x.com:8080/a/q.html"},
    // The page's query and fragment are not folders.
    {"http://www.x.com/a/p.php?x=b/c", "q.html", false, "http://www.x.com/a/q.html"},
    {"http://www.x.com/a/p.html#s/t", "q.html", false, "http://www.x.com/a/q.html"},
    // Complete URLs and file URLs stand alone.
    {"http://www.x.com/a/p.html", "https://other.com/x", false, "https://other.com/x"},
    {"http://www.x.com/a/p.html", "file:///home/u/x.html", false, "/home/u/x.html"},
    {"http://www.x.com/a/p.html", "file://\\home\\u\\x.html", false, "/home/u/x.html"},
    // Against a local path.
    {"/home/u/site/page.html", "img/a.png", false, "/home/u/site/img/a.png"},
    {"/home/u/site/page.html", "sub\\a.png", false, "/home/u/site/sub/a.png"},
    {"/home/u/site/page.html", "../a.png", false, "/home/u/a.png"},
    {"/home/u/page.html", "../../../../a.png", false, "/a.png"},
    {"/home/u/site", "a.png", true, "/home/u/site/a.png"},
    {"/home/u/site/", "a.png", false, "/home/u/site/a.png"},
    {"/home/u/site/page.html", "/etc/x", false, "/etc/x"},
    {"/home/u/site/page.html", "\\etc\\x", false, ""},
    // Neither a local path nor a URL.
    {"", "c.html", false, ""},
    {"unknown://x/", "c.html", false, ""},
};

TEST(LinkLocationTest, ResolveLinkPathTable)
{
    for (const ResolveCase& c : kResolveCases)
    {
        SCOPED_TRACE(std::string(c.base) + " + " + c.link);
        EXPECT_EQ(c.expected, ResolveLinkPath(c.base, c.link, c.baseIsFolder));
    }
}

// One resolver answers every link of its base as ResolveLinkPath does, in
// any order and between questions of location: nothing of one link stays
// behind for the next.
TEST(LinkLocationTest, ResolverReusedForEveryLinkOfItsBase)
{
    for (const ResolveCase& first : kResolveCases)
    {
        const CLinkResolver resolver(first.base, first.baseIsFolder);
        for (int pass = 0; pass < 2; ++pass)
        {
            for (size_t n = 0; n < std::size(kResolveCases); ++n)
            {
                const ResolveCase& c = kResolveCases[pass == 0 ? n : std::size(kResolveCases) - 1 - n];
                if (std::string_view(c.base) != first.base || c.baseIsFolder != first.baseIsFolder)
                    continue;
                SCOPED_TRACE(std::string(c.base) + " + " + c.link);
                EXPECT_EQ(c.expected, resolver.Resolve(c.link));
                EXPECT_EQ(IsSameLocation(c.base, c.expected, false, false),
                          resolver.IsSameLocationAs(c.expected, false, false));
            }
        }
    }
}

TEST(LinkLocationTest, DomainTail)
{
    EXPECT_STREQ("b.c", GetDomainTail("a.b.c"));
    EXPECT_STREQ("x.com", GetDomainTail("www.shop.x.com"));
    EXPECT_STREQ("x.com.", GetDomainTail("www.x.com."));
    EXPECT_STREQ("x.com", GetDomainTail("x.com"));
    EXPECT_STREQ("...", GetDomainTail("..."));
    EXPECT_EQ(nullptr, GetDomainTail("localhost"));
    EXPECT_EQ(nullptr, GetDomainTail("localhost."));
    EXPECT_EQ(nullptr, GetDomainTail(nullptr));
}

struct SameCase
{
    const char* first;
    const char* second;
    bool prefixMode;
    bool domainOnly;
    bool expected;
};

const SameCase kSameCases[] = {
    {"http://www.x.com/a", "http://WWW.X.com/b", false, false, true},
    {"http://www.x.com/", "https://www.x.com:8443/", false, false, true},
    {"www.x.com/a", "http://www.x.com/b", false, false, true},
    {"http://www.x.com/", "http://x.com/", false, false, false},
    {"http://www.x.com/", "http://x.com/", false, true, true},
    {"http://a.b.x.com/", "https://c.x.com/", false, true, true},
    {"http://www.x.com/", "http://www.y.com/", false, true, false},
    {"http://www.x.com/", "/home/u", false, false, false},
    {"http://www.x.com/", "file:///home/u", false, false, false},
    {"/home/u", "http://x.com/", false, false, false},
    {"/home/u/site", "/home/u/site/a.html", true, false, true},
    {"/home/u/site", "/home/u/other/a.html", true, false, false},
    {"/home/u/site", "/HOME/u/site/a.html", true, false, false},
    {"file:///home/u/site", "/home/u/site/a.html", true, false, true},
    {"/home/u/site", "file:///home/u/site/a.html", true, false, true},
    {"/home/u/site", "/elsewhere", false, false, true},
    {"", "/home", false, false, false},
    {"/home", "", false, false, false},
};

TEST(LinkLocationTest, SameLocationTable)
{
    for (const SameCase& c : kSameCases)
    {
        SCOPED_TRACE(std::string(c.first) + " | " + c.second);
        EXPECT_EQ(c.expected, IsSameLocation(c.first, c.second, c.prefixMode, c.domainOnly));
    }
}

struct RangeCase
{
    const char* text;
    bool ok;
    int64_t first;
    int64_t last;
    int64_t total;
};

const RangeCase kRangeCases[] = {
    {"bytes 0-99/100", true, 0, 99, 100},
    {"Bytes  5 - 10 / 20 ", true, 5, 10, 20},
    {"BYTES 1000-4294967396/4294967397", true, 1000, 4294967396LL, 4294967397LL},
    {"bytes 0-99/*", true, 0, 99, 0},
    {"bytes 0099/100", false, 0, 0, 0},
    {"bytes */100", false, 0, 0, 0},
    {"bytes 0/99-100", false, 0, 0, 0},
    {"bytes -5/100", false, 0, 0, 0},
    {"bytes 1-/5xy", false, 0, 0, 0},
    {"bytes 0-1/", false, 0, 0, 0},
    {"bytes 1-/", false, 0, 0, 0},
    {"items 0-1/2", false, 0, 0, 0},
    {"", false, 0, 0, 0},
};

TEST(LinkLocationTest, ContentRangeTable)
{
    for (const RangeCase& c : kRangeCases)
    {
        SCOPED_TRACE(c.text);
        int64_t first = -7, last = -7, total = -7;
        EXPECT_EQ(c.ok, ParseContentRange(c.text, first, last, total));
        if (c.ok)
        {
            EXPECT_EQ(c.first, first);
            EXPECT_EQ(c.last, last);
            EXPECT_EQ(c.total, total);
        }
        else
        {
            EXPECT_EQ(-7, first);
            EXPECT_EQ(-7, last);
            EXPECT_EQ(-7, total);
        }
    }
}

} // namespace
