#include "foundation/stores/CookieStore.h"

#include "platform/core/Text.h"
#include "tests/support/ClockedCookieStore.h"
#include "tests/support/ScopedTimeZone.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

namespace
{
// The cookies sent for a request, sorted (the store's order is its own).
std::string CookiesFor(CCookieStore& store, const char* host, const char* path, bool secure = false)
{
    std::string header;
    const bool found = store.GetCookieHeader(host, path, secure, header);
    EXPECT_EQ(found, !header.empty()) << host << path;
    std::vector<std::string> cookies = Split(header, ';');
    for (std::string& cookie : cookies)
        cookie = Trim(cookie);
    std::sort(cookies.begin(), cookies.end());
    std::string joined;
    for (const std::string& cookie : cookies)
        joined += (joined.empty() ? "" : " ") + cookie;
    return joined;
}

const COleDateTime kAdded(2024, 6, 1, 12, 0, 0);
} // namespace

TEST(CookieKeyTest, ReversesLabelsAndKeepsPathCase)
{
    const struct
    {
        const char* domain;
        const char* path;
        const char* key;
    } cases[] = {
        {"P.q.r", "/s/T", "r/q/p/s/T"},
        {" .Example.COM. ", "/", "com/example/"},
        {"www.example.com", "//a//b", "com/example/www/a//b"},
        {"intranet.local", "/", "local/intranet/"},
        {"localhost", "/", ""},
        {".com", "/", ""},
        {"", "/", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MakeCookieKey(c.domain, c.path), c.key) << c.domain << ' ' << c.path;
}

TEST(CookieDomainMatchTest, MatchesOnLabelBoundariesOnly)
{
    const struct
    {
        const char* host;
        const char* domain;
        bool matches;
    } cases[] = {
        {"example.com", "example.com", true},
        {"www.example.com", "example.com", true},
        {"a.b.example.com", ".example.com", true},
        {"example.com", ".example.com", true},
        {"WWW.Example.COM", "example.com", true},
        {"evil-example.com", "example.com", false},
        {"evilexample.com", ".example.com", false},
        {"myshop.example.com", "shop.example.com", false},
        {"example.com", "www.example.com", false},
        {"com", "example.com", false},
        {"example.com", "", false},
        {"example.com", ".", false},
        {"10.0.0.1", "10.0.0.1", true},
        {"10.0.0.1", "0.0.1", false},
        {"10.0.0.1", ".0.1", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CookieDomainMatches(c.host, c.domain), c.matches) << c.host << " / " << c.domain;
}

TEST(CookieExpiresTest, ReadsServerFormsTheFileFormAndRefusesTheRest)
{
    const struct
    {
        const char* text;
        const char* utc; // null: refused
    } cases[] = {
        {"Wed, 09-Jun-2021 10:18:14 GMT", "2021-06-09 10:18:14"},
        {"09-Jun-2021 10:18:14 GMT", "2021-06-09 10:18:14"},
        {"Wed, 09 Jun 2021 10:18:14 GMT", "2021-06-09 10:18:14"},
        {"09 Jun 2021 10:18:14 GMT", "2021-06-09 10:18:14"},
        {"Wednesday, 09-Jun-21 10:18:14 GMT", "2021-06-09 10:18:14"},
        {"Sun, 06-Nov-94 08:49:37 GMT", "1994-11-06 08:49:37"},
        {"Wed Jun  9 10:18:14 2021", "2021-06-09 10:18:14"},
        {"06/09/2021 10:18:14 GMT", "2021-06-09 10:18:14"}, // the file's own form
        {"Wed, 31 Feb 2021 10:18:14 GMT", nullptr},         // a fitting form, impossible date
        {"Wed, 09 Xyz 2021 10:18:14 GMT", nullptr},
        {"tomorrow", nullptr},
        {"GMT", nullptr},
    };
    for (const auto& c : cases)
    {
        COleDateTime expiry;
        const bool read = ParseCookieExpires(c.text, expiry);
        EXPECT_EQ(read, c.utc != nullptr) << c.text;
        if (read && c.utc)
        {
            EXPECT_EQ(expiry.Format("%Y-%m-%d %H:%M:%S"), c.utc) << c.text;
        }
    }
}

TEST(CookieStoreTest, SendsCookiesByDomainPathAndSecurity)
{
    CClockedStore store;
    ASSERT_TRUE(store.AddCookie(".example.com", "/", false, "a=1", "", kAdded));
    ASSERT_TRUE(store.AddCookie("shop.example.com", "/docs", false, "b=2", "", kAdded));
    ASSERT_TRUE(store.AddCookie("example.com", "/secure", true, "c=3", "", kAdded));
    ASSERT_TRUE(store.AddCookie("example.org", "/", false, "d=4", "", kAdded));

    const struct
    {
        const char* host;
        const char* path;
        bool secure;
        const char* cookies;
    } cases[] = {
        {"example.com", "/", false, "a=1"},
        {"www.example.com", "/x", false, "a=1"},
        {"shop.example.com", "/docs/a", false, "a=1 b=2"},
        {"shop.example.com", "/DOCS", false, "a=1 b=2"},
        {"shop.example.com", "/", false, "a=1"},
        {"www.shop.example.com", "/docs", false, "a=1 b=2"},
        {"myshop.example.com", "/docs", false, "a=1"},
        {"example.com", "/secure/x", false, "a=1"},
        {"example.com", "/secure/x", true, "a=1 c=3"},
        {"example.org", "/", false, "d=4"},
        {"evil-example.com", "/", false, ""},
        {"example.net", "/", false, ""},
        {"com", "/", false, ""},
        {"example.com", "", false, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CookiesFor(store, c.host, c.path, c.secure), c.cookies) << c.host << c.path << c.secure;

    std::string header = "x=0";
    EXPECT_TRUE(store.GetCookieHeader("example.org", "/", false, header));
    EXPECT_EQ(header, "x=0; d=4");
}

TEST(CookieStoreTest, SetCookieAttributesAndDefaults)
{
    CClockedStore store;
    // Secure before path sets both.
    ASSERT_TRUE(store.ParseSetCookie("id=7; secure; path=/app", "www.example.com", kAdded));
    EXPECT_EQ(CookiesFor(store, "www.example.com", "/app", true), "id=7");
    EXPECT_EQ(CookiesFor(store, "www.example.com", "/app", false), "");
    EXPECT_EQ(CookiesFor(store, "www.example.com", "/", true), "");
    // Without a domain the cookie belongs to the host alone.
    EXPECT_EQ(CookiesFor(store, "example.com", "/app", true), "");

    // Names without regard to case, blanks around names and values, other
    // attributes (Max-Age, HttpOnly) ignored; the text stops at a blank.
    ASSERT_TRUE(
        store.ParseSetCookie("  s=1 ignored ;  Path = /x ; DOMAIN= .example.com ; Max-Age=0; HttpOnly",
                             "www.example.com", kAdded));
    EXPECT_EQ(CookiesFor(store, "other.example.com", "/x/y"), "s=1");

    // One cookie per domain, path and name: a session cookie and a login
    // cookie on "/" live side by side; the same name replaces its cookie.
    for (const char* header : {"session=1", "login=2", "session=3"})
        ASSERT_TRUE(store.ParseSetCookie(header, "a.example.net", kAdded)) << header;
    EXPECT_EQ(CookiesFor(store, "a.example.net", "/"), "login=2 session=3");
    // Names holding the key's separators stay apart; a text without '=' has
    // the empty name.
    for (const char* header : {"a/b=1", "a//b=2", "a%2Fb=3", "bare", "=x"})
        ASSERT_TRUE(store.ParseSetCookie(header, "b.example.net", kAdded)) << header;
    EXPECT_EQ(CookiesFor(store, "b.example.net", "/"), "=x a%2Fb=3 a//b=2 a/b=1");

    // A host without a dot gets ".local", as the HTTP client asks for it.
    ASSERT_TRUE(store.ParseSetCookie("lan=1", "intranet", kAdded));
    EXPECT_EQ(CookiesFor(store, "intranet.local", "/"), "lan=1");

    EXPECT_FALSE(store.ParseSetCookie("", "example.com", kAdded));
    EXPECT_FALSE(store.ParseSetCookie(" \t ", "example.com", kAdded));
    EXPECT_FALSE(store.ParseSetCookie("x=1; expires=someday", "example.com", kAdded));
    EXPECT_FALSE(store.ParseSetCookie("x=1; domain=com", "example.com", kAdded));
}

TEST(CookieStoreTest, RefusesADomainThatDoesNotMatchTheSender)
{
    const struct
    {
        const char* host;
        const char* domain;
        bool accepted;
    } cases[] = {
        {"www.example.com", "example.com", true},  {"www.example.com", ".example.com", true},
        {"example.com", ".example.com", true},     {"www.example.com", "www.example.com", true},
        {"www.example.com", "evil.com", false},    {"evil-example.com", "example.com", false},
        {"example.com", "www.example.com", false}, {"xexample.com", ".example.com", false},
        {"intranet", "intranet.local", true},      {"intranet", "other.local", false},
        // A public suffix would reach every site under it; a host that is one
        // may still set its own cookies.
        {"www.example.co.uk", "co.uk", false},     {"www.example.co.uk", ".CO.UK", false},
        {"me.github.io", "github.io", false},      {"www.example.co.uk", "example.co.uk", true},
        {"github.io", "github.io", true},          {"me.github.io", "me.github.io", true},
    };
    for (const auto& c : cases)
    {
        CClockedStore store;
        const std::string header = std::string("t=1; domain=") + c.domain;
        EXPECT_EQ(store.ParseSetCookie(header, c.host, kAdded), c.accepted) << c.host << " / " << c.domain;
        const std::string target = Trim(c.domain, ".");
        EXPECT_EQ(CookiesFor(store, target.c_str(), "/"), c.accepted ? "t=1" : "")
            << c.host << " / " << c.domain;
        EXPECT_EQ(store.GetStamp() != 0, c.accepted) << c.host << " / " << c.domain;
    }
}

TEST(CookieStoreTest, ExpiredCookiesAreDroppedNotJustHidden)
{
    CClockedStore store; // 2024-06-01 10:00:00 UTC
    ASSERT_TRUE(store.ParseSetCookie("old=1; expires=Sat, 01 Jun 2024 09:59:59 GMT", "example.com", kAdded));
    ASSERT_TRUE(store.ParseSetCookie("now=1; path=/now; expires=Sat, 01 Jun 2024 10:00:00 GMT", "example.com",
                                     kAdded));
    ASSERT_TRUE(store.ParseSetCookie("live=1; path=/live; expires=Sat, 01 Jun 2024 10:00:01 GMT",
                                     "example.com", kAdded));
    EXPECT_EQ(CookiesFor(store, "example.com", "/now"), "");
    EXPECT_EQ(CookiesFor(store, "example.com", "/live"), "live=1");

    const uint32_t stamp = store.GetStamp();
    store.m_now += 2;
    EXPECT_EQ(CookiesFor(store, "example.com", "/live"), "");
    EXPECT_EQ(store.GetStamp(), stamp);
    // Gone for good: turning the clock back does not bring them back.
    store.m_now -= 3600;
    EXPECT_EQ(CookiesFor(store, "example.com", "/live"), "");
    EXPECT_EQ(CookiesFor(store, "example.com", "/"), "");
}

// Expiry is compared with the true UTC time, whatever the zone and its
// daylight saving: at 12:00 UTC in July a cookie expiring at 12:30 GMT is
// still sent and one that expired at 11:30 GMT is not.
TEST(CookieStoreTest, ExpiryHonoursDaylightSaving)
{
    for (const char* zone :
         {"CET-1CEST,M3.5.0,M10.5.0/3", "EST5EDT,M3.2.0,M11.1.0", "NZST-12NZDT,M9.5.0,M4.1.0/3"})
    {
        ScopedTimeZone tz(zone);
        CClockedStore store;
        store.m_now = UtcTime(2024, 7, 1, 12, 0, 0);
        ASSERT_TRUE(store.ParseSetCookie("a=1; path=/a; expires=Mon, 01 Jul 2024 12:30:00 GMT", "example.com",
                                         kAdded));
        ASSERT_TRUE(store.ParseSetCookie("b=1; path=/b; expires=Mon, 01 Jul 2024 11:30:00 GMT", "example.com",
                                         kAdded));
        EXPECT_EQ(CookiesFor(store, "example.com", "/a"), "a=1") << zone;
        EXPECT_EQ(CookiesFor(store, "example.com", "/b"), "") << zone;
    }
}

TEST(CookieStoreTest, RemoveAndClearRenewTheStamp)
{
    CClockedStore store;
    EXPECT_FALSE(store.Remove("example.com", "/"));
    EXPECT_FALSE(store.IsModified());

    ASSERT_TRUE(store.AddCookie("www.Example.com", "/Docs", false, "a=1", "", kAdded));
    ASSERT_TRUE(store.AddCookie("www.example.com", "/", false, "b=1", "", kAdded));
    EXPECT_TRUE(store.IsModified());
    const uint32_t stamp = store.GetStamp();
    EXPECT_FALSE(store.Remove("example.com", "/docs")); // another domain
    EXPECT_EQ(store.GetStamp(), stamp);
    EXPECT_TRUE(store.Remove("WWW.EXAMPLE.COM", "/docs"));
    EXPECT_GT(store.GetStamp(), stamp);
    EXPECT_FALSE(store.Remove("www.example.com", "/docs"));
    EXPECT_EQ(CookiesFor(store, "www.example.com", "/docs"), "b=1");

    const uint32_t beforeClear = store.GetStamp();
    store.Clear();
    EXPECT_GT(store.GetStamp(), beforeClear);
    EXPECT_EQ(CookiesFor(store, "www.example.com", "/"), "");
    EXPECT_FALSE(store.Remove("www.example.com", "/"));
}

TEST(CookieStoreTest, RemoveCookieDropsOnlyTheNamedCookieOfItsPath)
{
    CClockedStore store;
    ASSERT_TRUE(store.AddCookie("www.Example.com", "/Docs", false, "a=1", "", kAdded));
    ASSERT_TRUE(store.AddCookie("www.Example.com", "/Docs", false, "b=2", "", kAdded));
    ASSERT_TRUE(store.AddCookie("www.example.com", "/", false, "a=3", "", kAdded));
    const uint32_t stamp = store.GetStamp();
    struct
    {
        const char* domain;
        const char* path;
        const char* name;
    } const misses[] = {
        {"www.example.com", "/Docs", "c"},  // no cookie of that name
        {"example.com", "/Docs", "a"},      // another domain
        {"www.example.com", "/Docs/x", "a"}, // another path
        {"com", "/", "a"},                  // no key at all
    };
    for (const auto& miss : misses)
        EXPECT_FALSE(store.RemoveCookie(miss.domain, miss.path, miss.name)) << miss.domain << miss.path << miss.name;
    EXPECT_EQ(store.GetStamp(), stamp);

    EXPECT_TRUE(store.RemoveCookie("WWW.EXAMPLE.COM", "/docs", "a"));
    EXPECT_GT(store.GetStamp(), stamp);
    EXPECT_FALSE(store.RemoveCookie("www.example.com", "/Docs", "a"));
    EXPECT_EQ(CookiesFor(store, "www.example.com", "/Docs"), "a=3 b=2");
}

TEST(CookieStoreTest, CookieTextLengthLimits)
{
    CClockedStore store;
    const std::string longest = "k=" + std::string(kMaxCookieLength - 2, 'v');
    EXPECT_TRUE(store.AddCookie("example.com", "/a", false, "  " + longest + "  ", "", kAdded));
    EXPECT_EQ(CookiesFor(store, "example.com", "/a"), longest);
    EXPECT_FALSE(store.AddCookie("example.com", "/b", false, longest + "v", "", kAdded));
    EXPECT_FALSE(store.AddCookie("example.com", "/b", false, " \t ", "", kAdded));
    EXPECT_EQ(CookiesFor(store, "example.com", "/b"), "");
}

// Hostile Set-Cookie values: none may crash the store, and none may put a
// line break or NUL into a request's Cookie header.
TEST(CookieStoreTest, HostileSetCookieValuesNeverCrash)
{
    CClockedStore store;
    // Deep enough that a walk with one call per level would overflow the stack.
    std::string deepPath;
    for (int i = 0; i < 50000; ++i)
        deepPath += "/a";
    std::string manyLabels;
    for (int i = 0; i < 20000; ++i)
        manyLabels += "a.";
    manyLabels += "example.com";

    const std::string hostile[] = {
        "x=" + std::string(1 << 20, 'v'),
        "x=1; path=" + deepPath,
        "x=1; " + std::string(100000, ';'),
        "x=1; expires=" + std::string(100000, '9') + ":" + std::string(100000, '9'),
        "x=1; expires=" + std::string(100000, ' '),
        std::string(1 << 20, '='),
        "noequals",
        "=",
        ";",
        "; path=/",
        "x=1; domain=",
        "x=1; domain=.",
        "x=1; domain=..",
        "x=\"unbalanced; path='/",
        std::string("x=\0y", 4),
        "x=a\rb",
        "x=a\nSet-Cookie: y=2",
        "x=1; path=/a\r\nInjected: yes",
        "x=\x01\x02\x7f\xff",
    };
    for (const std::string& header : hostile)
        store.ParseSetCookie(header, "www.example.com", kAdded);

    std::string sent;
    store.GetCookieHeader("www.example.com", ("/" + deepPath).c_str(), true, sent);
    EXPECT_EQ(sent.find_first_of(std::string("\r\n\0", 3)), std::string::npos);
    std::string deepSent;
    store.GetCookieHeader("www.example.com", deepPath.c_str(), false, deepSent);
    EXPECT_NE(deepSent.find("x="), std::string::npos);
    EXPECT_TRUE(store.ParseSetCookie("x=1; domain=" + manyLabels, "www." + manyLabels, kAdded));
    std::string labelSent;
    store.GetCookieHeader("a." + manyLabels, "/", false, labelSent);
    EXPECT_NE(labelSent.find("x=1"), std::string::npos);

    CCookieStore copy;
    store.Enumerate(copy);
    store.Clear();
}

namespace
{
// A visitor that empties the store being enumerated at its first cookie, as a
// dialog that rebuilds the store from its own list might.
class CClearingVisitor : public CCookieStore
{
public:
    explicit CClearingVisitor(CCookieStore& target) : m_target(target) {}

    bool AddCookie(std::string_view, std::string_view, bool, std::string_view, std::string_view,
                   const COleDateTime&) override
    {
        m_target.Clear();
        ++m_count;
        return true;
    }

    CCookieStore& m_target;
    int m_count = 0;
};
} // namespace

TEST(CookieStoreTest, EnumerationSurvivesAVisitorThatChangesTheStore)
{
    CClockedStore store;
    for (const char* path : {"/", "/a", "/a/b", "/c"})
        ASSERT_TRUE(store.AddCookie("example.com", path, false, std::string("p=") + path, "", kAdded));

    // Into itself: every cookie replaces itself.
    store.Enumerate(store);
    EXPECT_EQ(CookiesFor(store, "example.com", "/a/b"), "p=/ p=/a p=/a/b");

    CClearingVisitor clearing(store);
    store.Enumerate(clearing);
    EXPECT_EQ(clearing.m_count, 4);
    EXPECT_EQ(CookiesFor(store, "example.com", "/a/b"), "");
}

TEST(CookieStoreTest, ThreadsShareTheStore)
{
    CClockedStore store;
    constexpr int kThreads = 4;
    constexpr int kRounds = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back(
            [&store, t]
            {
                const std::string host = "h" + std::to_string(t) + ".example.com";
                for (int i = 0; i < kRounds; ++i)
                {
                    const std::string path = "/p" + std::to_string(i % 7);
                    store.ParseSetCookie("c=" + std::to_string(i) + "; path=" + path, host, kAdded);
                    std::string header;
                    store.GetCookieHeader(host, path, false, header);
                    if (i % 5 == 0)
                        store.Remove(host, path);
                    CCookieStore copy;
                    if (i % 50 == 0)
                        store.Enumerate(copy);
                }
            });
    }
    for (std::thread& thread : threads)
        thread.join();

    // Each host keeps the last cookie of each path that was not removed last.
    for (int t = 0; t < kThreads; ++t)
    {
        const std::string host = "h" + std::to_string(t) + ".example.com";
        EXPECT_EQ(CookiesFor(store, host.c_str(), "/p6"), "c=293") << host;
    }
}
