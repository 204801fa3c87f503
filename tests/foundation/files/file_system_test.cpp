#include "foundation/files/FileSystem.h"

#include "foundation/files/DirectoryTree.h"
#include "foundation/files/FileAttributes.h"
#include "foundation/files/FindFile.h"
#include "platform/core/PosixFile.h"
#include "tests/support/TempFolder.h"
#include "tests/support/ScopedTimeZone.h"
#include "tests/support/FileContents.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
time_t ModifiedOf(const std::string& path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mtim.tv_sec : -1;
}
} // namespace

TEST(FileSystem, TellsWhatAPathNames)
{
    CTempFolder tmp;
    WriteWhole(tmp / "file", "x");
    ASSERT_EQ(::symlink(tmp.Path().c_str(), (tmp / "folder-link").c_str()), 0);
    ASSERT_EQ(::symlink((tmp / "gone").c_str(), (tmp / "dangling").c_str()), 0);
    const struct
    {
        std::string path;
        int kind;
    } cases[] = {
        {"", kPathMissing},          {tmp / "missing", kPathMissing},       {tmp.Path(), kPathDirectory},
        {tmp / "file", kPathFile},   {tmp / "folder-link", kPathDirectory}, {tmp / "dangling", kPathMissing},
        {"/dev/null", kPathFile},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(GetPathKind(c.path), c.kind) << c.path;
        EXPECT_EQ(FileExists(c.path), c.kind == kPathFile) << c.path;
        EXPECT_EQ(DirectoryExists(c.path), c.kind == kPathDirectory) << c.path;
    }
}

TEST(FileSystem, DeletesFilesAndLinksButNotTheirTargets)
{
    CTempFolder tmp;
    WriteWhole(tmp / "ro", "x");
    ASSERT_EQ(::chmod((tmp / "ro").c_str(), 0444), 0);
    EXPECT_TRUE(DeleteFileForce(tmp / "ro"));
    EXPECT_FALSE(FileExists(tmp / "ro"));

    WriteWhole(tmp / "target", "keep");
    ASSERT_EQ(::symlink((tmp / "target").c_str(), (tmp / "link").c_str()), 0);
    EXPECT_TRUE(DeleteFileForce(tmp / "link"));
    EXPECT_EQ(ReadWhole(tmp / "target"), "keep");

    EXPECT_FALSE(DeleteFileForce(tmp / "missing"));
    EXPECT_FALSE(DeleteFileForce(""));
    EXPECT_FALSE(DeleteFileForce(tmp.Path()));
    EXPECT_TRUE(DirectoryExists(tmp.Path()));
}

TEST(FileSystem, CopiesIntoNewFoldersWithoutOverwriting)
{
    CTempFolder tmp;
    WriteWhole(tmp / "source", std::string(100000, 'q'));
    ASSERT_TRUE(PosixSetModifiedTime(tmp / "source", 1000000000));
    const std::string copy = tmp / "a/b/copy";
    ASSERT_TRUE(CopyFileCreatingDirs(tmp / "source", copy));
    EXPECT_EQ(ReadWhole(copy), ReadWhole(tmp / "source"));
    EXPECT_EQ(ModifiedOf(copy), 1000000000);

    WriteWhole(tmp / "other", "other");
    EXPECT_FALSE(CopyFileCreatingDirs(tmp / "other", copy));
    EXPECT_EQ(ReadWhole(copy).size(), 100000u);

    EXPECT_FALSE(CopyFileCreatingDirs(tmp / "missing", tmp / "c/never"));
    EXPECT_FALSE(FileExists(tmp / "c/never"));
    EXPECT_FALSE(CopyFileCreatingDirs(tmp.Path(), tmp / "folder-copy"));
    EXPECT_EQ(GetPathKind(tmp / "folder-copy"), kPathMissing);
    EXPECT_FALSE(CopyFileCreatingDirs("", copy));
    EXPECT_FALSE(CopyFileCreatingDirs(tmp / "source", ""));
}

TEST(FileSystem, SetsAFilesSize)
{
    CTempFolder tmp;
    const std::string path = tmp / "sized";
    ASSERT_TRUE(SetFileSize(path, 10));
    EXPECT_EQ(ReadWhole(path), std::string(10, '\0'));

    WriteWhole(path, "abcdef");
    ASSERT_TRUE(SetFileSize(path, 3));
    EXPECT_EQ(ReadWhole(path), "abc");
    ASSERT_TRUE(SetFileSize(path, 5));
    EXPECT_EQ(ReadWhole(path), std::string("abc\0\0", 5));
    EXPECT_TRUE(SetFileSize(path, 5));
    EXPECT_EQ(GetFileSize64(path), 5);

    EXPECT_FALSE(SetFileSize(path, -1));
    EXPECT_FALSE(SetFileSize("", 1));
    EXPECT_FALSE(SetFileSize(tmp.Path(), 1));
}

TEST(FileSystem, ReadsAndChangesInfo)
{
    ScopedTimeZone zone("Europe/Berlin");
    CTempFolder tmp;
    const std::string path = tmp / "info.txt";
    WriteWhole(path, "12345");

    const COleDateTime summer(2021, 7, 1, 12, 30, 15);
    CFindFile finder;
    ASSERT_TRUE(finder.Find(path));
    EXPECT_FALSE(finder.IsDirectory());
    ASSERT_TRUE(finder.SetModifiedTime(summer));
    EXPECT_EQ(finder.GetModifiedTime(), summer);
    EXPECT_EQ(ModifiedOf(path), 1625135415); // 10:30:15 UTC

    EXPECT_TRUE(SetReadOnlyAttribute(path, true));
    EXPECT_TRUE(SetReadOnlyAttribute(path, true));
    int64_t size = 0;
    COleDateTime modified;
    uint32_t attributes = 0;
    ASSERT_TRUE(GetFileInfo(path, size, modified, attributes));
    EXPECT_EQ(size, 5);
    EXPECT_EQ(modified, summer);
    EXPECT_EQ(attributes, kFileAttributeReadOnly);

    ASSERT_TRUE(finder.FindAgain());
    EXPECT_TRUE(finder.SetReadOnly(false));
    ASSERT_TRUE(GetFileInfo(path, size, modified, attributes));
    EXPECT_EQ(attributes, kFileAttributeNormal);

    ASSERT_TRUE(GetFileInfo(tmp.Path(), size, modified, attributes));
    EXPECT_EQ(attributes, kFileAttributeDirectory);
    EXPECT_EQ(size, 0);

    EXPECT_FALSE(SetReadOnlyAttribute(tmp / "missing", true));
    EXPECT_FALSE(GetFileInfo(tmp / "missing", size, modified, attributes));
    EXPECT_EQ(GetFileSize64(tmp / "missing"), -1);
    COleDateTime invalid;
    invalid.m_status = COleDateTime::invalid;
    EXPECT_FALSE(finder.SetModifiedTime(invalid));
}

TEST(FileSystem, FinderTakesWildcardsAndExactNames)
{
    CTempFolder tmp;
    WriteWhole(tmp / "b.txt", "bb");
    WriteWhole(tmp / "a.txt", "a");
    WriteWhole(tmp / "c*.txt", "ccc");
    ASSERT_EQ(::symlink((tmp / "gone").c_str(), (tmp / "0.txt").c_str()), 0);

    CFindFile finder;
    ASSERT_TRUE(finder.Find(tmp / "*.txt")); // the dangling link is passed over
    EXPECT_EQ(finder.GetSize64(), 1);
    ASSERT_TRUE(finder.Find(tmp / "c*.txt")); // the name itself, not a match for it
    EXPECT_EQ(finder.GetSize64(), 3);
    ASSERT_TRUE(finder.Find(tmp / "?.txt"));
    EXPECT_EQ(finder.GetSize64(), 1);

    EXPECT_FALSE(finder.Find(tmp / "*.log"));
    EXPECT_EQ(finder.GetSize64(), -1);
    EXPECT_FALSE(finder.GetModifiedTime().IsValid());
    EXPECT_FALSE(finder.SetReadOnly(true));
    EXPECT_FALSE(finder.Find(""));
}
