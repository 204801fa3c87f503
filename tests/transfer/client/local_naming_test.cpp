#include "transfer/client/LocalNaming.h"

#include "foundation/links/LinkItem.h"
#include "foundation/links/UrlParts.h"
#include "platform/core/Text.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <unistd.h>

namespace
{

CUrlParts Parts(int scheme, const std::string& host, int port, const std::string& user = "")
{
    CUrlParts parts;
    parts.m_scheme = scheme;
    parts.m_host = host;
    parts.m_port = port;
    parts.m_user = user;
    return parts;
}

// Whether path, below prefix, names only components that stay where they are
// written: no "." or ".." and no empty component.
void ExpectConfinedBelow(const std::string& path, const std::string& prefix)
{
    ASSERT_TRUE(path.starts_with(prefix + "/")) << path;
    for (const std::string& component : Split(path.substr(prefix.size() + 1), '/'))
    {
        EXPECT_NE("", component) << path;
        EXPECT_NE(".", component) << path;
        EXPECT_NE("..", component) << path;
    }
}

TEST(LocalNamingTest, HashString33)
{
    EXPECT_EQ(0u, HashString33(""));
    EXPECT_EQ(108966u, HashString33("abc"));
    EXPECT_EQ("0001A9A6", Format("%.8X", HashString33("abc")));
    // Bytes above 127 count as negative values: 0xE9 is -23.
    EXPECT_EQ(0xFFFFFFE9u, HashString33("\xE9"));
}

TEST(LocalNamingTest, HostPortKey)
{
    const CUrlParts parts = Parts(URL_SCHEME_HTTP, "www.x.com", 8080);
    EXPECT_EQ("www.x.com:8080", GetHostPortKey(parts));
    EXPECT_EQ("www.x.com-8080", GetHostPortKey(parts, "-"));
    CLinkItem item;
    ASSERT_TRUE(item.SetUrl("ftp://ftp.x.com/pub/", true));
    EXPECT_EQ("ftp.x.com:21", GetHostPortKey(item));
}

struct MirrorCase
{
    int mode;
    const char* path;
    const char* expected; // below "/base/http/www.x.com"
};

// The site "http://www.x.com" under the base "/base".
const MirrorCase kMirrorCases[] = {
    // The folder tree.
    {kMirrorFolderTree, "/a/b/c.html", "a/b/c.html"},
    {kMirrorFolderTree, "/a/b", "a/b/[default]"},
    {kMirrorFolderTree, "/a/b/", "a/b/[default]"},
    {kMirrorFolderTree, "/", "[default]"},
    {kMirrorFolderTree, "", "[default]"},
    {kMirrorFolderTree, "/a.b/c", "a.b/c/[default]"},
    {kMirrorFolderTree, "/cgi-bin/search", "cgi-bin/search"},
    {kMirrorFolderTree, "/s.php?q=a/b\\c", "s.php_q=a_b_c"},
    {kMirrorFolderTree, "/a/?x", "a/_x"},
    {kMirrorFolderTree, "/a.html#part/../../x", "a.html"},
    {kMirrorFolderTree, "/d/f<>*|:\".txt", "d/f______.txt"},
    {kMirrorFolderTree, "//a//b.txt", "a/b.txt"},
    // Attempts to leave the site folder: resolved, clamped at the site root.
    {kMirrorFolderTree, "/a/b/../c.html", "a/c.html"},
    {kMirrorFolderTree, "/a/../../../etc/passwd", "etc/passwd/[default]"},
    {kMirrorFolderTree, "/../x.html", "x.html"},
    {kMirrorFolderTree, "/a/..", "[default]"},
    {kMirrorFolderTree, "/a/./b/.", "a/b/[default]"},
    {kMirrorFolderTree, "\\a\\..\\..\\b.txt", "b.txt"},
    {kMirrorFolderTree, "/a\\..\\..\\..\\b.txt", "b.txt"},
    {kMirrorFolderTree, "/..\\..\\x.txt", "x.txt"},
    {kMirrorFolderTree, "/..?/../../x", "__.._.._x"},
    {kMirrorFolderTree, "/x?../../../../etc/passwd", "x_.._.._.._.._etc_passwd"},
    // Escapes are never decoded: they stay characters of one name.
    {kMirrorFolderTree, "/%2e%2e/%2e%2e/x.txt", "%2e%2e/%2e%2e/x.txt"},
    {kMirrorFolderTree, "/a%2F..%2F..%2Fb.txt", "a%2F..%2F..%2Fb.txt"},
    {kMirrorFolderTree, "/a%5C..%5Cb.txt", "a%5C..%5Cb.txt"},
    // One file per URL: the whole path is one name.
    {kMirrorOneFilePerUrl, "/a/b.html", "%2Fa%2Fb.html"},
    {kMirrorOneFilePerUrl, "/a/", "%2Fa%2F[default]"},
    {kMirrorOneFilePerUrl, "", "[default]"},
    {kMirrorOneFilePerUrl, "/q?x=1/2", "%2Fq%3Fx=1%2F2"},
    {kMirrorOneFilePerUrl, "/../../x", "%2F..%2F..%2Fx"},
    {kMirrorOneFilePerUrl, "\\..\\x", "%5C..%5Cx"},
    {kMirrorOneFilePerUrl, "..", "%2E%2E"},
    {kMirrorOneFilePerUrl, ".", "%2E"},
    // Numbered queries, for a URL without a query: as one file per URL.
    {kMirrorNumberedQueries, "/a/b.html", "%2Fa%2Fb.html"},
    {kMirrorNumberedQueries, "/a/", "%2Fa%2F[default]"},
};

TEST(LocalNamingTest, MirrorPathTable)
{
    const CUrlParts site = Parts(URL_SCHEME_HTTP, "www.x.com", 80);
    for (const MirrorCase& c : kMirrorCases)
    {
        SCOPED_TRACE(Format("mode %d, path \"%s\"", c.mode, c.path));
        const std::string path = MakeMirrorFilePath("/base", site, c.path, c.mode, 0);
        EXPECT_EQ(std::string("/base/http/www.x.com/") + c.expected, path);
        ExpectConfinedBelow(path, "/base/http/www.x.com");
    }
}

TEST(LocalNamingTest, MirrorSiteFolder)
{
    // A port other than the scheme's default follows the host after a blank.
    EXPECT_EQ("/base/http/www.x.com 8080/i.html",
              MakeMirrorFilePath("/base", Parts(URL_SCHEME_HTTP, "www.x.com", 8080), "/i.html", 1, 0));
    EXPECT_EQ("/base/https/www.x.com/i.html",
              MakeMirrorFilePath("/base", Parts(URL_SCHEME_HTTPS, "www.x.com", 443), "/i.html", 1, 0));
    EXPECT_EQ(
        "/base/ftp/bob@ftp.x.com/pub/f.txt",
        MakeMirrorFilePath("/base/", Parts(URL_SCHEME_FTP, "ftp.x.com", 21, "bob"), "/pub/f.txt", 1, 0));
    // Without a base the path is relative.
    EXPECT_EQ("http/www.x.com/i.html",
              MakeMirrorFilePath("", Parts(URL_SCHEME_HTTP, "www.x.com", 80), "/i.html", 1, 0));
    // No host or no scheme: no name.
    EXPECT_EQ("", MakeMirrorFilePath("/base", Parts(URL_SCHEME_HTTP, "", 80), "/i.html", 1, 0));
    EXPECT_EQ("", MakeMirrorFilePath("/base", Parts(URL_SCHEME_UNKNOWN, "x.com", 80), "/i.html", 1, 0));
    // Parts made by hand cannot name a separator or a dot folder either.
    const std::string hostile =
        MakeMirrorFilePath("/base", Parts(URL_SCHEME_HTTP, "..", 80), "/i.html", 1, 0);
    ExpectConfinedBelow(hostile, "/base/http");
    EXPECT_EQ("/base/http/a_b/i.html",
              MakeMirrorFilePath("/base", Parts(URL_SCHEME_HTTP, "a/b", 80), "/i.html", 1, 0));
}

TEST(LocalNamingTest, MirrorPathOfALinkItem)
{
    CLinkItem item;
    item.SetThreadSafe(true);
    ASSERT_TRUE(item.SetUrl("http://www.x.com:81/a/../b/c.gif", true));
    EXPECT_EQ("/m/http/www.x.com 81/b/c.gif", GetMirrorPath(item, "/m", kMirrorFolderTree, 0));
}

// Numbered names: "%s[seconds.counter].xdat", the first counter whose name is
// free. The clock may tick between two calls, so each check is retried a few
// times until both calls saw the same second.
class MirrorCounterTest : public ::testing::Test
{
protected:
    std::string Numbered(int firstCounter)
    {
        return MakeMirrorFilePath(m_folder.Path(), Parts(URL_SCHEME_HTTP, "h.com", 80), "/q.php?id=../../7",
                                  kMirrorNumberedQueries, firstCounter);
    }
    static std::string Seconds(const std::string& name)
    {
        std::smatch m;
        return std::regex_search(name, m, std::regex(R"(\[(\d+)\.\d{4}\]\.xdat$)")) ? m[1].str() : "";
    }
    void Touch(const std::string& path) { std::ofstream(path) << "x"; }

    CTempFolder m_folder;
};

TEST_F(MirrorCounterTest, TakesTheFirstFreeCounter)
{
    const std::string prefix = m_folder.Path() + "/http/h.com/%2Fq.php[";
    ASSERT_EQ(0, ::mkdir((m_folder.Path() + "/http").c_str(), 0700));
    ASSERT_EQ(0, ::mkdir((m_folder.Path() + "/http/h.com").c_str(), 0700));
    bool checked = false;
    for (int attempt = 0; attempt < 5 && !checked; ++attempt)
    {
        const std::string first = Numbered(5);
        ASSERT_TRUE(first.starts_with(prefix)) << first;
        const std::string seconds = Seconds(first);
        ASSERT_FALSE(seconds.empty()) << first;
        EXPECT_EQ(prefix + seconds + ".0005].xdat", first);
        // Counter 5 is a file, 6 a dangling link: 7 is the first free name.
        Touch(first);
        ASSERT_EQ(0, ::symlink("/nonexistent/target", (prefix + seconds + ".0006].xdat").c_str()));
        const std::string next = Numbered(5);
        if (Seconds(next) != seconds)
            continue; // a new second began: try again with fresh names
        EXPECT_EQ(prefix + seconds + ".0007].xdat", next);
        checked = true;
    }
    EXPECT_TRUE(checked);
}

TEST_F(MirrorCounterTest, EmptyWhenEveryCounterIsTaken)
{
    ASSERT_EQ(0, ::mkdir((m_folder.Path() + "/http").c_str(), 0700));
    ASSERT_EQ(0, ::mkdir((m_folder.Path() + "/http/h.com").c_str(), 0700));
    EXPECT_EQ("", Numbered(9999));
    bool checked = false;
    for (int attempt = 0; attempt < 5 && !checked; ++attempt)
    {
        const std::string seconds = Seconds(Numbered(9996));
        for (int counter = 9996; counter <= 9998; ++counter)
            Touch(m_folder.Path() + Format("/http/h.com/%%2Fq.php[%s.%.4d].xdat", seconds.c_str(), counter));
        const std::string result = Numbered(9996);
        if (!result.empty() && Seconds(result) != seconds)
            continue;
        EXPECT_EQ("", result);
        checked = true;
    }
    EXPECT_TRUE(checked);
}

struct CacheCase
{
    const char* url;
    const char* expected; // below "/cache"
};

const CacheCase kCacheCases[] = {
    {"http://www.x.com/a/b.html", "http/www.x.com-80/477E36B4F6F8A7E0_%2Fa%2Fb.html"},
    {"http://www.x.com/s?a=1", "http/www.x.com-80/6E6454C054B4C23F_%2Fs%3F-params"},
    {"http://www.x.com/s?a=2", "http/www.x.com-80/6E6454C154B4C23F_%2Fs%3F-params"},
    {"/home/u/page.html", "538B5FAB6325FD60_page.html"},
};

TEST(LocalNamingTest, CacheNameTable)
{
    for (const CacheCase& c : kCacheCases)
    {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(std::string("/cache/") + c.expected, MakeCacheFileName("/cache", c.url));
    }
}

TEST(LocalNamingTest, CacheNameShapes)
{
    // A folder gets "[default]"; a login and a port go into the site folder.
    EXPECT_TRUE(MakeCacheFileName("/cache", "http://www.x.com/dir/").ends_with("_%2Fdir%2F[default]"));
    EXPECT_TRUE(MakeCacheFileName("/cache", "ftp://bob:pw@ftp.x.com:2121/f")
                    .starts_with("/cache/ftp/bob@ftp.x.com-2121/"));
    // A valid date stamps the name; an invalid one does not.
    COleDateTime date(2024, 1, 31, 23, 59, 58);
    EXPECT_EQ("/cache/http/www.x.com-80/2024_01_31_23_59_58_477E36B4F6F8A7E0_%2Fa%2Fb.html",
              MakeLocalFileName("/cache", "http://www.x.com/a/b.html", &date));
    COleDateTime invalid;
    invalid.m_status = COleDateTime::invalid;
    EXPECT_EQ(MakeCacheFileName("/cache", "http://www.x.com/a/b.html"),
              MakeLocalFileName("/cache", "http://www.x.com/a/b.html", &invalid));
    // No folder, no URL, or a URL that does not parse: no name.
    EXPECT_EQ("", MakeCacheFileName("", "http://www.x.com/"));
    EXPECT_EQ("", MakeCacheFileName("/cache", ""));
    EXPECT_EQ("", MakeCacheFileName("/cache", "gopher://x.com/"));
}

TEST(LocalNamingTest, CacheNamesStayInTheirSiteFolder)
{
    for (const char* url :
         {"http://x.com/../../../etc/passwd", "http://x.com/a\\..\\..\\b", "http://x.com/%2e%2e/x",
          "http://x.com/a?b=/../../c", "http://x.com/..", "/home/u/..", "file:///a/b\\..\\.."})
    {
        SCOPED_TRACE(url);
        const std::string name = MakeCacheFileName("/cache", url);
        ExpectConfinedBelow(name, "/cache");
        // Site folders are two components, the file name one.
        EXPECT_LE(Split(name.substr(7), '/').size(), 3u);
    }
}

} // namespace
