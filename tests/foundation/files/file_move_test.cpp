#include "foundation/files/DirectoryTree.h"
#include "foundation/files/FileSystem.h"
#include "platform/core/PosixFile.h"
#include "tests/support/TempFolder.h"
#include "tests/support/FileContents.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
std::string LinkTarget(const std::string& path)
{
    char buffer[4096];
    const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
    return n < 0 ? std::string("<no link>") : std::string(buffer, static_cast<size_t>(n));
}

// A folder on the shared-memory file system, removed afterwards.
class CShmFolder
{
public:
    CShmFolder()
    {
        std::string pattern = "/dev/shm/tw-test-XXXXXX";
        if (::mkdtemp(pattern.data()))
            m_path = pattern;
    }
    ~CShmFolder()
    {
        if (!m_path.empty())
            RemoveDirectoryTree(m_path, "*");
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

dev_t DeviceOf(const std::string& path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 ? st.st_dev : 0;
}
} // namespace

TEST(MovePath, RenamesWithoutReplacing)
{
    CTempFolder tmp;
    WriteWhole(tmp / "from", "from");
    ASSERT_TRUE(MovePath(tmp / "from", tmp / "to"));
    EXPECT_EQ(ReadWhole(tmp / "to"), "from");
    EXPECT_FALSE(FileExists(tmp / "from"));

    WriteWhole(tmp / "other", "other");
    EXPECT_FALSE(MovePath(tmp / "other", tmp / "to"));
    EXPECT_EQ(ReadWhole(tmp / "to"), "from");
    EXPECT_EQ(ReadWhole(tmp / "other"), "other");

    EXPECT_FALSE(MovePath(tmp / "missing", tmp / "x"));
    EXPECT_FALSE(MovePath("", tmp / "x"));

    // A name that merely begins with the source is no move into its tree.
    ASSERT_TRUE(CreateDirectoryTree(tmp / "Data"));
    ASSERT_TRUE(MovePath(tmp / "Data", tmp / "Data2"));
    EXPECT_TRUE(DirectoryExists(tmp / "Data2"));
    EXPECT_EQ(GetPathKind(tmp / "Data_0"), kPathMissing);
}

TEST(MovePath, MovesAFolderIntoItsOwnTreePastAFolderInTheWay)
{
    CTempFolder tmp;
    const std::string data = tmp / "Data";
    ASSERT_TRUE(CreateDirectoryTree(data + "/inner"));
    WriteWhole(data + "/inner/f.txt", "content");
    ASSERT_EQ(::chmod(data.c_str(), 0555), 0); // read-only: cleared by the move
    // Both the first aside names are taken, one by a folder, one by a file.
    ASSERT_TRUE(CreateDirectoryTree(tmp / "Data_0"));
    WriteWhole(tmp / "Data_0/mine", "not to be touched");
    WriteWhole(tmp / "Data_1", "file in the way");

    ASSERT_TRUE(MovePath(data, data + "/Archive/Old"));
    EXPECT_EQ(ReadWhole(data + "/Archive/Old/inner/f.txt"), "content");
    EXPECT_EQ(ReadWhole(tmp / "Data_0/mine"), "not to be touched");
    EXPECT_EQ(ReadWhole(tmp / "Data_1"), "file in the way");
    EXPECT_EQ(GetPathKind(tmp / "Data_2"), kPathMissing);
    EXPECT_EQ(GetPathKind(tmp / "data_0"), kPathMissing);
}

TEST(MovePath, GivesTheSourceBackWhenTheLastStepFails)
{
    CTempFolder tmp;
    const std::string data = tmp / "Data";
    ASSERT_TRUE(CreateDirectoryTree(data));
    WriteWhole(data + "/f.txt", "content");
    // No file system takes a name this long.
    EXPECT_FALSE(MovePath(data, data + "/sub/" + std::string(300, 'n')));
    EXPECT_EQ(ReadWhole(data + "/f.txt"), "content");
    EXPECT_EQ(GetPathKind(data + "/sub"), kPathMissing);
    EXPECT_EQ(GetPathKind(tmp / "Data_0"), kPathMissing);
}

TEST(MovePath, MovesBetweenFileSystems)
{
    if (!DirectoryExists("/dev/shm"))
        FAIL() << "/dev/shm does not exist: the move between file systems cannot be tested";
    CShmFolder shm;
    ASSERT_FALSE(shm.Path().empty()) << "cannot create a folder in /dev/shm";
    CTempFolder tmp;
    if (DeviceOf(shm.Path()) == DeviceOf(tmp.Path()))
        FAIL() << "/dev/shm and " << tmp.Path() << " are on one file system; set TMPDIR to another one";

    // A file there and back.
    WriteWhole(tmp / "file", "payload");
    ASSERT_TRUE(PosixSetModifiedTime(tmp / "file", 1234567890));
    ASSERT_TRUE(MovePath(tmp / "file", shm.Path() + "/file"));
    EXPECT_EQ(GetPathKind(tmp / "file"), kPathMissing);
    EXPECT_EQ(ReadWhole(shm.Path() + "/file"), "payload");
    ASSERT_TRUE(MovePath(shm.Path() + "/file", tmp / "back"));
    EXPECT_EQ(ReadWhole(tmp / "back"), "payload");
    struct stat st{};
    ASSERT_EQ(::stat((tmp / "back").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1234567890);

    // A folder with a nested file, an empty folder and a link, which stays a link.
    const std::string tree = tmp / "tree";
    ASSERT_TRUE(CreateDirectoryTree(tree + "/sub/empty"));
    WriteWhole(tree + "/sub/f.txt", "nested");
    ASSERT_EQ(::symlink("../outside", (tree + "/sub/link").c_str()), 0);
    ASSERT_TRUE(MovePath(tree, shm.Path() + "/tree"));
    EXPECT_EQ(GetPathKind(tree), kPathMissing);
    EXPECT_EQ(ReadWhole(shm.Path() + "/tree/sub/f.txt"), "nested");
    EXPECT_TRUE(DirectoryExists(shm.Path() + "/tree/sub/empty"));
    EXPECT_EQ(LinkTarget(shm.Path() + "/tree/sub/link"), "../outside");

    // An existing destination on the other side is never replaced.
    WriteWhole(tmp / "second", "second");
    WriteWhole(shm.Path() + "/taken", "taken");
    EXPECT_FALSE(MovePath(tmp / "second", shm.Path() + "/taken"));
    EXPECT_EQ(ReadWhole(shm.Path() + "/taken"), "taken");
    EXPECT_EQ(ReadWhole(tmp / "second"), "second");

    // A copy that fails part-way is removed and the source stays.
    ASSERT_TRUE(CreateDirectoryTree(tmp / "odd"));
    WriteWhole(tmp / "odd/a.txt", "a");
    ASSERT_EQ(::mkfifo((tmp / "odd/pipe").c_str(), 0600), 0);
    EXPECT_FALSE(MovePath(tmp / "odd", shm.Path() + "/odd"));
    EXPECT_EQ(GetPathKind(shm.Path() + "/odd"), kPathMissing);
    EXPECT_EQ(ReadWhole(tmp / "odd/a.txt"), "a");
}
