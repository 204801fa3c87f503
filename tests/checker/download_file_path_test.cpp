#include "checker/DownloadFilePath.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

struct DownloadCase
{
    const char* url;
    const char* siteEntry;
    const char* expected; // below "/dl"; null: no path
};

const DownloadCase kCases[] = {
    // The path relative to where the crawl entered the site.
    {"http://h.test/a/b/c.html", "http://h.test/a/index.html", "/dl/b/c.html"},
    {"https://h.test/a/b/", "http://h.test/a/", "/dl/b"},
    {"http://h.test/a/", "http://h.test/a/", "/dl/[default].html"},
    // Dot segments, escaped or not, and unsafe characters never climb out.
    {"http://h.test/a/../../../etc/passwd", "http://h.test/a/", "/dl/etc/passwd"},
    {"http://h.test/a/%2e%2e/%2E%2E/x", "http://h.test/a/", "/dl/x"},
    {"http://h.test/a/%2e%2e%2fsecret", "http://h.test/a/", "/dl/..secret"},
    {"http://h.test/a/..\\..\\x", "http://h.test/a/", "/dl/x"},
    {"http://h.test/a/q?x=1&y=<2>", "http://h.test/a/", "/dl/qx=1&y=2"},
    {"http://h.test/a/b%00c.txt", "http://h.test/a/", "/dl/bc.txt"},
    // Without a site entry: the last segment alone.
    {"http://h.test/dir/page", "", "/dl/page[default].html"},
    {"http://h.test/dir/a%20b.html", "", "/dl/a b.html"},
    {"ftp://f.test/pub/file.zip", "", "/dl/file.zip"},
    {"http://h.test/", "", "/dl/[default].html"},
    {"http://h.test/a/..", "", "/dl/[default].html"},
    {"ftp://f.test/", "", nullptr},
    {"ftp://f.test/pub/..", "", nullptr},
};

TEST(DownloadFilePathTest, StaysBelowTheDownloadFolder)
{
    for (const DownloadCase& c : kCases)
    {
        SCOPED_TRACE(c.url);
        const std::string path = MakeDownloadFilePath("/dl/", c.url, c.siteEntry);
        EXPECT_EQ(c.expected ? c.expected : "", path);
        if (path.empty())
            continue;
        ASSERT_TRUE(path.starts_with("/dl/"));
        const std::string below = path.substr(4);
        EXPECT_EQ(std::string::npos, below.find("//"));
        for (const char* dots : {"../", "./"})
            EXPECT_FALSE(below.starts_with(dots) || below.find(std::string("/") + dots) != std::string::npos);
        EXPECT_NE("..", below.substr(below.size() >= 2 ? below.size() - 2 : 0));
    }
}

TEST(DownloadFilePathTest, NothingWithoutAFolderOrAUrl)
{
    EXPECT_EQ("", MakeDownloadFilePath("", "http://h.test/a.html", ""));
    EXPECT_EQ("", MakeDownloadFilePath("/dl", "", ""));
}

} // namespace
