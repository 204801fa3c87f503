#include "foundation/files/DirectoryTree.h"

#include "foundation/files/FileAttributes.h"
#include "foundation/files/FileSystem.h"
#include "tests/support/TempFolder.h"
#include "tests/support/FileContents.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace
{
struct SeenEntry
{
    std::string path;
    int kind;
    uint32_t attributes;
    int64_t size;
};

class CRecordingVisitor : public IFileEntryVisitor
{
public:
    bool OnEntry(const std::string& name, int64_t size, uint32_t attributes, const COleDateTime& modified, int kind,
                 const std::string& folder) override
    {
        EXPECT_TRUE(modified.IsValid()) << name;
        m_seen.push_back({folder + "/" + name, kind, attributes, size});
        // A walk that ran on through a link loop would never stop.
        EXPECT_LT(m_seen.size(), 1000u);
        return m_seen.size() < 1000u;
    }

    std::vector<std::string> Paths(const std::string& base) const
    {
        std::vector<std::string> out;
        for (const SeenEntry& e : m_seen)
            out.push_back(e.path.substr(base.size() + 1));
        std::sort(out.begin(), out.end());
        return out;
    }

    const SeenEntry* Get(const std::string& path) const
    {
        for (const SeenEntry& e : m_seen)
            if (e.path == path)
                return &e;
        return nullptr;
    }

    std::vector<SeenEntry> m_seen;
};

class CSuffixFilter : public IFileNameFilter
{
public:
    bool Accept(const std::string& name, int flags) override
    {
        EXPECT_EQ(flags, 0);
        return name.ends_with(".txt");
    }
};

// Cancels once the visitor has seen a number of entries.
class CCountingCancel : public ICancelFlag
{
public:
    CCountingCancel(const CRecordingVisitor& visitor, size_t after) : m_visitor(visitor), m_after(after) {}
    bool IsCancelled() override { return m_visitor.m_seen.size() >= m_after; }

private:
    const CRecordingVisitor& m_visitor;
    size_t m_after;
};

// root/a.txt  root/b.log  root/sub/c.txt  root/sub/deeper/d.txt  root/sub/deeper/e.log
void BuildSampleTree(const std::string& root)
{
    ASSERT_TRUE(CreateDirectoryTree(root + "/sub/deeper/"));
    WriteWhole(root + "/a.txt", "aaa");
    WriteWhole(root + "/b.log", "b");
    WriteWhole(root + "/sub/c.txt", "c");
    WriteWhole(root + "/sub/deeper/d.txt", "d");
    WriteWhole(root + "/sub/deeper/e.log", "e");
}
} // namespace

TEST(DirectoryTree, CreatesAndRemovesATree)
{
    CTempFolder tmp;
    const std::string root = tmp / "one";
    EXPECT_TRUE(CreateDirectoryTree(root + "/two//three/"));
    EXPECT_TRUE(DirectoryExists(root + "/two/three"));
    EXPECT_TRUE(CreateDirectoryTree(root + "/two")); // existing folders are fine
    EXPECT_TRUE(CreateDirectoryTree("/"));
    EXPECT_FALSE(CreateDirectoryTree(""));

    // A component that is a file fails; what was created before it stays.
    WriteWhole(root + "/two/file", "x");
    EXPECT_FALSE(CreateDirectoryTree(root + "/two/file/below"));
    EXPECT_FALSE(CreateDirectoryTree(root + "/two/file"));

    WriteWhole(root + "/two/three/x.dat", "data");
    WriteWhole(root + "/noext", "data");
    ASSERT_EQ(::chmod((root + "/noext").c_str(), 0444), 0);
    EXPECT_TRUE(RemoveDirectoryTree(root + "/", "*.*"));
    EXPECT_EQ(GetPathKind(root), kPathMissing);
    EXPECT_FALSE(RemoveDirectoryTree(root, "*.*"));
    EXPECT_FALSE(RemoveDirectoryTree("", "*"));
}

TEST(DirectoryTree, RemovalStopsAtAnEntryItCannotDelete)
{
    CTempFolder tmp;
    const std::string root = tmp / "tree";
    // "keep.txt" matches the mask but holds a file that does not, so the
    // sub-folder cannot be removed and neither can the tree.
    ASSERT_TRUE(CreateDirectoryTree(root + "/keep.txt"));
    WriteWhole(root + "/keep.txt/other.dat", "x");
    WriteWhole(root + "/a.txt", "x");
    EXPECT_FALSE(RemoveDirectoryTree(root, "*.txt"));
    EXPECT_TRUE(FileExists(root + "/keep.txt/other.dat"));
    EXPECT_TRUE(DirectoryExists(root));

    // Without recursion only the matching files of the folder itself go.
    WriteWhole(root + "/b.txt", "x");
    WriteWhole(root + "/c.log", "x");
    EXPECT_TRUE(DeleteDirectoryContents(root, "*.txt", false));
    EXPECT_FALSE(FileExists(root + "/b.txt"));
    EXPECT_TRUE(FileExists(root + "/c.log"));
    EXPECT_TRUE(DirectoryExists(root + "/keep.txt"));
    EXPECT_FALSE(DeleteDirectoryContents(tmp / "missing", "*", true));
}

TEST(DirectoryTree, ListsFilesAndFoldersApart)
{
    CTempFolder tmp;
    const std::string root = tmp / "list";
    BuildSampleTree(root);
    ASSERT_EQ(::symlink((root + "/sub").c_str(), (root + "/link.txt").c_str()), 0);

    std::vector<std::string> files{"kept"}, folders;
    ASSERT_TRUE(ListDirectory(root, files, folders, "*"));
    EXPECT_EQ(files, (std::vector<std::string>{"kept", "a.txt", "b.log", "link.txt"}));
    EXPECT_EQ(folders, (std::vector<std::string>{"sub"}));

    files.clear();
    folders.clear();
    ASSERT_TRUE(ListDirectory(root + "/", files, folders, "*.txt"));
    EXPECT_EQ(files, (std::vector<std::string>{"a.txt", "link.txt"}));
    EXPECT_TRUE(folders.empty());

    files.clear();
    EXPECT_TRUE(ListDirectory(root, files, folders, "*.none"));
    EXPECT_TRUE(files.empty());
    EXPECT_FALSE(ListDirectory(root + "/missing", files, folders, "*"));
    EXPECT_FALSE(ListDirectory(root + "/a.txt", files, folders, "*"));
}

TEST(DirectoryTree, WalksWithLevelsFilterAndCancel)
{
    CTempFolder tmp;
    const std::string root = tmp / "walk";
    BuildSampleTree(root);

    CRecordingVisitor oneLevel;
    EXPECT_TRUE(EnumerateFilesRecursive(root + "/", oneLevel, 0, nullptr, false, nullptr));
    EXPECT_EQ(oneLevel.Paths(root), (std::vector<std::string>{"a.txt", "b.log", "sub"}));
    const SeenEntry* sub = oneLevel.Get(root + "/sub");
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->kind, kPathDirectory);
    EXPECT_TRUE(sub->attributes & kFileAttributeDirectory);
    const SeenEntry* a = oneLevel.Get(root + "/a.txt");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->kind, kPathFile);
    EXPECT_EQ(a->size, 3);
    EXPECT_EQ(a->attributes, kFileAttributeNormal);

    CSuffixFilter filter;
    CRecordingVisitor filtered;
    EXPECT_TRUE(EnumerateFilesRecursive(root, filtered, 1, &filter, false, nullptr));
    EXPECT_EQ(filtered.Paths(root),
              (std::vector<std::string>{"a.txt", "sub", "sub/c.txt", "sub/deeper", "sub/deeper/d.txt"}));

    // Filtering folders too keeps the walk out of "sub".
    CRecordingVisitor noFolders;
    EXPECT_TRUE(EnumerateFilesRecursive(root, noFolders, 1, &filter, true, nullptr));
    EXPECT_EQ(noFolders.Paths(root), (std::vector<std::string>{"a.txt"}));

    CRecordingVisitor stopped;
    CCountingCancel afterTwo(stopped, 2);
    EXPECT_TRUE(EnumerateFilesRecursive(root, stopped, 1, nullptr, false, &afterTwo));
    EXPECT_EQ(stopped.m_seen.size(), 2u);

    CRecordingVisitor never;
    CCountingCancel atOnce(never, 0);
    EXPECT_FALSE(EnumerateFilesRecursive(root, never, 1, nullptr, false, &atOnce));
    EXPECT_FALSE(EnumerateFilesRecursive(root + "/a.txt", never, 1, nullptr, false, nullptr));
    EXPECT_FALSE(EnumerateFilesRecursive(root + "/missing", never, 1, nullptr, false, nullptr));
    EXPECT_FALSE(EnumerateFilesRecursive("", never, 1, nullptr, false, nullptr));
    EXPECT_TRUE(never.m_seen.empty());
}

TEST(DirectoryTree, NeverFollowsLinksOutOfTheTree)
{
    CTempFolder tmp;
    const std::string outside = tmp / "outside";
    const std::string root = tmp / "tree";
    ASSERT_TRUE(CreateDirectoryTree(outside));
    WriteWhole(outside + "/precious.txt", "keep me");
    ASSERT_TRUE(CreateDirectoryTree(root + "/sub"));
    WriteWhole(root + "/sub/f.txt", "f");
    ASSERT_EQ(::symlink(outside.c_str(), (root + "/out").c_str()), 0);
    ASSERT_EQ(::symlink(root.c_str(), (root + "/sub/loop").c_str()), 0);
    ASSERT_EQ(::symlink((outside + "/precious.txt").c_str(), (root + "/file-link").c_str()), 0);

    CRecordingVisitor walk;
    EXPECT_TRUE(EnumerateFilesRecursive(root, walk, 1, nullptr, false, nullptr));
    EXPECT_EQ(walk.Paths(root), (std::vector<std::string>{"file-link", "out", "sub", "sub/f.txt", "sub/loop"}));
    const SeenEntry* out = walk.Get(root + "/out");
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->kind, kPathFile);
    EXPECT_EQ(out->attributes, kFileAttributeReparsePoint);

    EXPECT_TRUE(RemoveDirectoryTree(root, "*"));
    EXPECT_EQ(GetPathKind(root), kPathMissing);
    EXPECT_TRUE(FileExists(outside + "/precious.txt"));

    // A tree given as a link is removed as the link.
    const std::string alias = tmp / "alias";
    ASSERT_EQ(::symlink(outside.c_str(), alias.c_str()), 0);
    EXPECT_TRUE(RemoveDirectoryTree(alias, "*"));
    EXPECT_FALSE(DirectoryExists(alias));
    EXPECT_TRUE(FileExists(outside + "/precious.txt"));
}
