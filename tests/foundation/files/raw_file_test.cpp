#include "foundation/files/RawFile.h"

#include "tests/support/TempFolder.h"
#include "tests/support/ScopedTimeZone.h"
#include "tests/support/FileContents.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace
{
struct stat StatOf(const std::string& path)
{
    struct stat st{};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st;
}
} // namespace

TEST(RawFile, ErrorNumbersBecomeResultCodes)
{
    const struct
    {
        int error;
        int code;
    } cases[] = {
        {0, 0},        {ENOENT, 106}, {EBADF, 103}, {EACCES, 104}, {EEXIST, 107},
        {EINVAL, 102}, {EMFILE, 105}, {ENOSPC, 109}, {EISDIR, 102}, {EFBIG, 102},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FileErrorToResultCode(c.error), c.code) << c.error;
}

TEST(RawFile, FailuresLeaveTheirResultCode)
{
    CTempFolder dir;
    CRawFile file;
    EXPECT_EQ(file.GetLastError(), 0);
    EXPECT_FALSE(file.Open(dir / "missing", kOpenBinary | kOpenReadOnly));
    EXPECT_EQ(file.GetLastError(), 106);
    EXPECT_FALSE(file.IsOpen());

    WriteWhole(dir / "there", "x");
    EXPECT_FALSE(file.Open(dir / "there", kOpenCreate | kOpenExclusive | kOpenReadWrite));
    EXPECT_EQ(file.GetLastError(), 107);

    char byte;
    EXPECT_EQ(file.Read(&byte, 1), -1);
    EXPECT_EQ(file.GetLastError(), 103);
    EXPECT_EQ(file.Write("x", 1), -1);
    EXPECT_EQ(file.Tell64(), -1);
    EXPECT_EQ(file.GetLength(), -1);
    EXPECT_FALSE(file.GetModifiedTime().IsValid());
    std::string text = "old";
    EXPECT_FALSE(file.ReadAll(text, -1));
    EXPECT_TRUE(text.empty());
    EXPECT_TRUE(file.Close()) << "closing a closed file is no failure";

    // Long paths reach the system, which judges them itself.
    const std::string deep = dir / (std::string(250, 'd') + "/" + std::string(250, 'f'));
    ASSERT_EQ(::mkdir(deep.substr(0, deep.rfind('/')).c_str(), 0700), 0);
    EXPECT_TRUE(file.Open(deep, kOpenCreate | kOpenReadWrite));
    EXPECT_EQ(file.Write("ok", 2), 2);
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(StatOf(deep).st_size, 2);
}

TEST(RawFile, PendingTimeIsAppliedOnCloseOfAReadWriteFile)
{
    ScopedTimeZone zone("Europe/Berlin");
    CTempFolder dir;
    const std::string path = dir / "download.bin";
    const COleDateTime when(2004, 5, 6, 7, 8, 9);

    CRawFile file;
    ASSERT_TRUE(file.Open(path, kOpenBinary | kOpenCreate | kOpenReadWrite));
    EXPECT_EQ(file.Write("abcde", 5), 5);
    file.SetPendingFileTime(COleDateTime(2001, 1, 1, 0, 0, 0));
    file.SetPendingFileTime(when); // the later time wins
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(file.GetPendingFileTime(), nullptr);

    const struct stat st = StatOf(path);
    EXPECT_EQ(st.st_size, 5);
    EXPECT_EQ(st.st_mtim.tv_sec, 1083820089) << "07:08:09 summer time in Berlin is 05:08:09 UTC";

    ASSERT_TRUE(file.Open(path, kOpenReadOnly));
    EXPECT_EQ(file.GetModifiedTime(), when);

    // Read-only access leaves the file's date alone, and the pending time is
    // dropped all the same.
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), old, 0), 0);
    file.SetPendingFileTime(when);
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(file.GetPendingFileTime(), nullptr);
    EXPECT_EQ(StatOf(path).st_mtim.tv_sec, 1000000000);

    // A cleared time is not applied.
    ASSERT_TRUE(file.Open(path, kOpenReadWrite));
    file.SetPendingFileTime(when);
    file.ClearPendingFileTime();
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(StatOf(path).st_mtim.tv_sec, 1000000000);
}

// The close reads the mode through the descriptor: a file whose write
// permission was taken while it was open for writing gets it back, and one
// opened only for reading keeps the mode it has.
TEST(RawFile, CloseGivesBackTheWritePermissionOfAReadWriteFile)
{
    CTempFolder dir;
    const std::string path = dir / "taken.bin";
    CRawFile file;
    ASSERT_TRUE(file.Open(path, kOpenBinary | kOpenCreate | kOpenReadWrite));
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_TRUE(file.Close());
    EXPECT_NE(StatOf(path).st_mode & S_IWUSR, 0u);

    ASSERT_TRUE(file.Open(path, kOpenBinary | kOpenReadOnly));
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(StatOf(path).st_mode & S_IWUSR, 0u);
}

TEST(RawFile, PendingTimeDatesTheFileNamedAndNoPatternMatch)
{
    ScopedTimeZone zone("Europe/Berlin");
    CTempFolder dir;
    WriteWhole(dir / "a!other", "x");
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir / "a!other").c_str(), old, 0), 0);

    CRawFile file;
    ASSERT_TRUE(file.Open(dir / "a*", kOpenCreate | kOpenReadWrite));
    file.SetPendingFileTime(COleDateTime(2004, 5, 6, 7, 8, 9));
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(StatOf(dir / "a*").st_mtim.tv_sec, 1083820089);
    EXPECT_EQ(StatOf(dir / "a!other").st_mtim.tv_sec, 1000000000);
}

TEST(RawFile, ReadAllReadsNulAsQuestionMark)
{
    CTempFolder dir;
    const std::string path = dir / "page";
    WriteWhole(path, std::string("a\0b", 3));
    CRawFile file;
    ASSERT_TRUE(file.Open(path, kOpenBinary | kOpenReadOnly));

    const struct
    {
        int64_t count;
        int64_t from;
        const char* expected;
    } cases[] = {
        {-1, 0, "a?b"}, {2, 0, "a?"}, {100, 0, "a?b"}, {0, 0, ""}, {-1, 1, "?b"}, {-1, 3, ""}, {-1, 10, ""},
    };
    for (const auto& c : cases)
    {
        ASSERT_EQ(file.SeekFromStart(c.from), c.from);
        std::string text = "stale";
        EXPECT_TRUE(file.ReadAll(text, c.count)) << c.count << " from " << c.from;
        EXPECT_EQ(text, c.expected) << c.count << " from " << c.from;
    }
}

TEST(RawFile, ReadLineKeepsTheLineEnd)
{
    CTempFolder dir;
    const std::string longLine = std::string(150, 'x') + std::string(150, 'y') + "\n";
    const struct
    {
        std::string content;
        std::vector<std::string> lines;
    } cases[] = {
        {"ab\r\ncd", {"ab\r\n", "cd"}},
        {longLine + "z\n", {longLine, "z\n"}}, // 300 bytes come in three reads
        {"\n\nlast", {"\n", "\n", "last"}},
        {std::string("n\0l\xFF\n", 5), {"n\x01l\x02\n"}},
        {"", {}},
    };
    for (const auto& c : cases)
    {
        const std::string path = dir / "lines";
        WriteWhole(path, c.content);
        CRawFile file;
        ASSERT_TRUE(file.Open(path, kOpenReadOnly));
        std::string line;
        for (const std::string& expected : c.lines)
        {
            EXPECT_TRUE(file.ReadLine(line));
            EXPECT_EQ(line, expected);
        }
        line = "stale";
        EXPECT_FALSE(file.ReadLine(line));
        EXPECT_TRUE(line.empty());
    }
}
