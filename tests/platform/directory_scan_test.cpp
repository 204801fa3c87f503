#include "platform/core/DirectoryScan.h"

#include "tests/support/TempFolder.h"
#include "tests/support/FileContents.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
std::vector<std::string> Names(const std::string& folder, std::string_view mask)
{
    std::vector<std::string> out;
    CDirectoryScan scan;
    if (!scan.Open(folder, mask))
        return {"<failed>"};
    DirectoryEntry entry;
    while (scan.Next(entry))
        out.push_back(entry.m_name);
    return out;
}
} // namespace

TEST(DirectoryScan, FileMasks)
{
    struct Case
    {
        const char* name;
        const char* mask;
        bool match;
    };
    const Case cases[] = {
        {"report.html", "*.*", true},   {"README", "*.*", true},      {".hidden", "*.*", true},
        {"README", "*", true},          {"a.b.c", "*", true},         {"a.txt", "?.txt", true},
        {"ab.txt", "?.txt", false},     {".txt", "?.txt", false},     {"readme", "readme.*", true},
        {"readme.md", "readme.*", true}, {"readme2", "readme.*", false}, {"File.TXT", "*.txt", false},
        {"file.txt", "*.txt", true},    {"file.txt.bak", "*.txt", false}, {"a*b", "a*b", true},
        {"axxb", "a*b", true},          {"abc", "a*b*c*d", false},    {"index.html", "", false},
        {"abcabd", "*abd", true},       {"x", "x?", false},           {"*", "?", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchesFileMask(c.name, c.mask), c.match) << c.name << " ~ " << c.mask;
}

TEST(DirectoryScan, ListsSortedEntriesWithoutFollowingLinks)
{
    CTempFolder dir;
    WriteWhole(dir / "b.txt", "12345");
    WriteWhole(dir / "a.log", "");
    WriteWhole(dir / "noext", "xy");
    ASSERT_EQ(::chmod((dir / "noext").c_str(), 0444), 0);
    ASSERT_EQ(::mkdir((dir / "sub").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("sub", (dir / "link").c_str()), 0);

    CDirectoryScan scan;
    ASSERT_TRUE(scan.Open(dir.Path()));
    std::vector<DirectoryEntry> entries;
    DirectoryEntry entry;
    while (scan.Next(entry))
        entries.push_back(entry);
    ASSERT_EQ(entries.size(), 5u);
    const char* order[] = {"a.log", "b.txt", "link", "noext", "sub"};
    for (size_t i = 0; i < entries.size(); ++i)
        EXPECT_EQ(entries[i].m_name, order[i]);
    EXPECT_EQ(entries[1].m_size, 5);
    EXPECT_FALSE(entries[1].m_isFolder);
    EXPECT_FALSE(entries[1].m_readOnly);
    EXPECT_TRUE(entries[2].m_isSymlink);
    EXPECT_FALSE(entries[2].m_isFolder); // a link to a folder is not a folder
    EXPECT_TRUE(entries[3].m_readOnly);
    EXPECT_TRUE(entries[4].m_isFolder);
    EXPECT_EQ(entries[4].m_size, 0);
    EXPECT_GT(entries[4].m_modified, 0);

    EXPECT_EQ(Names(dir.Path(), "*.txt"), std::vector<std::string>{"b.txt"});
    EXPECT_EQ(Names(dir.Path(), "*.*").size(), 5u);
    EXPECT_EQ(Names(dir.Path(), "s?b"), std::vector<std::string>{"sub"});
}

TEST(DirectoryScan, WalkEndsDespiteLinkLoops)
{
    CTempFolder dir;
    ASSERT_EQ(::mkdir((dir / "a").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((dir / "a/b").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("..", (dir / "a/b/up").c_str()), 0);
    ASSERT_EQ(::symlink(dir.Path().c_str(), (dir / "a/root").c_str()), 0);
    ASSERT_EQ(::symlink("self", (dir / "self").c_str()), 0);

    // Descend into folders only, as the foundation's walks do.
    std::vector<std::string> seen;
    std::vector<std::string> pending{""};
    for (int steps = 0; !pending.empty() && steps < 100; ++steps)
    {
        const std::string relative = pending.back();
        pending.pop_back();
        CDirectoryScan scan;
        ASSERT_TRUE(scan.Open(dir.Path() + relative, "*", relative.empty()));
        DirectoryEntry entry;
        while (scan.Next(entry))
        {
            seen.push_back(relative + "/" + entry.m_name);
            if (entry.m_isFolder)
                pending.push_back(relative + "/" + entry.m_name);
        }
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<std::string>{"/a", "/a/b", "/a/b/up", "/a/root", "/self"}));

    DirectoryEntry entry;
    EXPECT_TRUE(GetPathEntry(dir / "self", entry, false));
    EXPECT_TRUE(entry.m_isSymlink);
    EXPECT_EQ(entry.m_name, "self");
    EXPECT_FALSE(GetPathEntry(dir / "self", entry, true));
    EXPECT_EQ(errno, ELOOP);
    ASSERT_TRUE(GetPathEntry(dir / "a/root/", entry, true));
    EXPECT_TRUE(entry.m_isFolder);
    EXPECT_TRUE(entry.m_isSymlink);
    EXPECT_EQ(entry.m_name, "root");
}

TEST(DirectoryScan, OpenFailures)
{
    CTempFolder dir;
    WriteWhole(dir / "file", "x");
    ASSERT_EQ(::mkdir((dir / "real").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("real", (dir / "link").c_str()), 0);
    CDirectoryScan scan;
    EXPECT_FALSE(scan.Open(dir / "missing"));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(scan.Open(dir / "file"));
    EXPECT_EQ(errno, ENOTDIR);
    EXPECT_TRUE(scan.Open(dir / "link", "*", true));
    // A walk descending with followLink false refuses a folder swapped for a link.
    EXPECT_FALSE(scan.Open(dir / "link", "*", false));
    DirectoryEntry entry;
    EXPECT_FALSE(scan.Next(entry));
}
