#include "platform/core/PosixFile.h"

#include "tests/support/TempFolder.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/FileContents.h"

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

TEST(PosixFile, WriteSeekReadRoundTrip)
{
    CTempFolder dir;
    const std::string path = dir / "data.bin";
    const int fd = PosixOpen(path, kOpenBinary | kOpenCreate | kOpenReadWrite);
    ASSERT_GE(fd, 0);
    const std::string content("a\0b\xFF" "cdef", 8);
    EXPECT_EQ(PosixWrite(fd, content.data(), content.size()), 8);
    EXPECT_EQ(PosixGetLength(fd), 8);
    EXPECT_EQ(PosixTell(fd), 8);
    EXPECT_EQ(PosixSeek(fd, -6, 1), 2);
    char buffer[16] = {};
    EXPECT_EQ(PosixRead(fd, buffer, sizeof buffer), 6);
    EXPECT_EQ(std::string(buffer, 6), content.substr(2));
    EXPECT_EQ(PosixRead(fd, buffer, sizeof buffer), 0);
    EXPECT_EQ(PosixSeek(fd, 0, 2), 8);
    EXPECT_EQ(PosixSeek(fd, -1, 0), -1);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(PosixSeek(fd, 0, 7), -1);

    // Extending reads as zero bytes; cutting keeps the head.
    ASSERT_TRUE(PosixSetLength(fd, 12));
    ASSERT_TRUE(PosixClose(fd));
    EXPECT_EQ(ReadWhole(path), content + std::string(4, '\0'));
    const int again = PosixOpen(path, kOpenReadWrite);
    ASSERT_GE(again, 0);
    ASSERT_TRUE(PosixSetLength(again, 3));
    EXPECT_EQ(PosixGetLength(again), 3);
    EXPECT_TRUE(PosixClose(again));
}

TEST(PosixFile, AppendAndTruncateFlags)
{
    CTempFolder dir;
    const std::string path = dir / "log.txt";
    WriteWhole(path, "head");

    // The flags the buffered writer uses: every write lands at the end.
    int fd = PosixOpen(path, kOpenBinary | kOpenCreate | kOpenAppend | kOpenReadWrite, kShareDenyWrite);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(PosixSeek(fd, 0, 0), 0);
    EXPECT_EQ(PosixWrite(fd, "tail", 4), 4);
    EXPECT_TRUE(PosixClose(fd));
    EXPECT_EQ(ReadWhole(path), "headtail");

    fd = PosixOpen(path, kOpenWriteOnly | kOpenTruncate);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(PosixGetLength(fd), 0);
    EXPECT_TRUE(PosixClose(fd));

    // Read-only access never truncates.
    WriteWhole(path, "kept");
    fd = PosixOpen(path, kOpenReadOnly | kOpenTruncate);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(PosixGetLength(fd), 4);
    EXPECT_TRUE(PosixClose(fd));
}

TEST(PosixFile, CreateTellsWhetherItMadeTheFile)
{
    CTempFolder dir;
    const std::string path = dir / "file.txt";
    const int flags = kOpenCreate | kOpenAppend | kOpenReadWrite;
    bool created = false;
    int fd = PosixOpen(path, flags, kShareDenyWrite, 0666, &created);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(created);
    EXPECT_EQ(PosixWrite(fd, "one", 3), 3);
    EXPECT_TRUE(PosixClose(fd));

    fd = PosixOpen(path, flags, kShareDenyWrite, 0666, &created);
    ASSERT_GE(fd, 0);
    EXPECT_FALSE(created);
    EXPECT_EQ(PosixGetLength(fd), 3) << "an existing file is opened as it is";
    EXPECT_TRUE(PosixClose(fd));

    // The exclusive first try sees a dangling link as a name in use, and the
    // file it points to is not created through it.
    const std::string target = dir / "elsewhere.txt";
    const std::string link = dir / "link.txt";
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    created = true;
    errno = 0;
    EXPECT_EQ(PosixOpen(link, flags, kShareDenyWrite, 0666, &created), -1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(created);
    EXPECT_NE(::access(target.c_str(), F_OK), 0);

    // A folder at the path still fails with EISDIR.
    errno = 0;
    EXPECT_EQ(PosixOpen(dir.Path(), flags, kShareDenyWrite, 0666, &created), -1);
    EXPECT_EQ(errno, EISDIR);
}

TEST(PosixFile, OpenFailuresReportTheCause)
{
    CTempFolder dir;
    WriteWhole(dir / "exists", "x");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    struct Case
    {
        std::string path;
        int flags;
        int error;
    };
    const Case cases[] = {
        {dir / "missing", kOpenReadOnly, ENOENT},
        {dir / "exists", kOpenCreate | kOpenExclusive | kOpenWriteOnly, EEXIST},
        {dir.Path(), kOpenReadOnly, EISDIR},
        {dir / "pipe", kOpenReadOnly, EINVAL}, // must fail, not wait for a writer
        {dir / "exists", kOpenAccessMask, EINVAL},
        {"", kOpenReadOnly, EINVAL},
        {dir / "no/such/folder", kOpenCreate | kOpenWriteOnly, ENOENT},
    };
    for (const Case& c : cases)
    {
        errno = 0;
        EXPECT_EQ(PosixOpen(c.path, c.flags), -1) << c.path;
        EXPECT_EQ(errno, c.error) << c.path;
    }
    EXPECT_EQ(ReadWhole(dir / "exists"), "x");
}

TEST(PosixFile, OpenReportingCreationHandsOutABlockingDescriptor)
{
    // Made or found, the descriptor blocks and appends as asked; a named
    // pipe at the path fails at once rather than waiting for a writer.
    CTempFolder dir;
    WriteWhole(dir / "exists", "x");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    const int flags = kOpenCreate | kOpenAppend | kOpenReadWrite;
    const struct
    {
        std::string name;
        bool made;
    } cases[] = {{"new", true}, {"exists", false}};
    for (const auto& c : cases)
    {
        bool created = !c.made;
        const int fd = PosixOpen(dir / c.name, flags, kShareDenyWrite, 0666, &created);
        ASSERT_GE(fd, 0) << c.name;
        EXPECT_EQ(created, c.made) << c.name;
        const int status = ::fcntl(fd, F_GETFL);
        EXPECT_EQ(status & O_NONBLOCK, 0) << c.name;
        EXPECT_NE(status & O_APPEND, 0) << c.name;
        EXPECT_TRUE(PosixClose(fd));
    }
    bool created = true;
    errno = 0;
    EXPECT_EQ(PosixOpen(dir / "pipe", flags, kShareDenyWrite, 0666, &created), -1);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_FALSE(created);
}

TEST(PosixFile, ReadFileHeadGivesAtMostTheBytesAsked)
{
    CTempFolder dir;
    const std::string content("ab\0cd", 5);
    WriteWhole(dir / "data", content);
    struct Case
    {
        size_t most;
        std::string expected;
    };
    const Case cases[] = {{0, ""}, {3, content.substr(0, 3)}, {5, content}, {6, content}, {1000, content}};
    for (const Case& c : cases)
    {
        std::string bytes = "stale";
        EXPECT_TRUE(PosixReadFileHead(dir / "data", c.most, bytes)) << c.most;
        EXPECT_EQ(bytes, c.expected) << c.most;
    }

    // A file that cannot be opened leaves nothing behind from an earlier read.
    std::string bytes = "stale";
    EXPECT_FALSE(PosixReadFileHead(dir / "missing", 10, bytes));
    EXPECT_TRUE(bytes.empty());
    bytes = "stale";
    EXPECT_FALSE(PosixReadFileHead(dir.Path(), 10, bytes));
    EXPECT_TRUE(bytes.empty());
}

TEST(PosixFile, WritersThatDenyWritingExcludeEachOther)
{
    CTempFolder dir;
    const std::string path = dir / "shared";
    const int flags = kOpenCreate | kOpenAppend | kOpenReadWrite;
    const int first = PosixOpen(path, flags, kShareDenyWrite);
    ASSERT_GE(first, 0);
    errno = 0;
    EXPECT_EQ(PosixOpen(path, flags | kOpenTruncate, kShareDenyWrite), -1);
    EXPECT_EQ(errno, EACCES);
    const int reader = PosixOpen(path, kOpenReadOnly, kShareDenyNone);
    EXPECT_GE(reader, 0);
    EXPECT_TRUE(PosixClose(reader));
    EXPECT_TRUE(PosixClose(first));
    const int second = PosixOpen(path, flags, kShareDenyWrite);
    EXPECT_GE(second, 0);
    EXPECT_TRUE(PosixClose(second));
    EXPECT_EQ(PosixOpen(path, kOpenReadOnly, 0x77), -1);
}

TEST(PosixFile, ShortAndFailedWritesAreReported)
{
    CTempFolder dir;
    const std::string path = dir / "big";
    const int fd = PosixOpen(path, kOpenCreate | kOpenWriteOnly);
    ASSERT_GE(fd, 0);
    const std::string block(1000, 'z');
    int64_t written;
    int error;
    {
        // The first write is cut short at the limit; the rest must not be
        // dropped silently.
        CFileSizeLimit limit(100);
        written = PosixWrite(fd, block.data(), block.size());
        error = errno;
    }
    EXPECT_EQ(written, -1);
    EXPECT_EQ(error, EFBIG);
    EXPECT_EQ(PosixGetLength(fd), 100);
    EXPECT_TRUE(PosixClose(fd));
    EXPECT_FALSE(PosixClose(-1));
    EXPECT_EQ(errno, EBADF);
}

TEST(PosixFile, ModifiedTimeKeepsAccessTime)
{
    CTempFolder dir;
    const std::string path = dir / "dated";
    WriteWhole(path, "x");
    const timespec access[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), access, 0), 0);

    const time_t when = 1083827289; // 2004-05-06 07:08:09 UTC
    ASSERT_TRUE(PosixSetModifiedTime(path, when));
    struct stat st{};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_atim.tv_sec, 1000000000);
    const int fd = PosixOpen(path, kOpenReadOnly);
    ASSERT_GE(fd, 0);
    time_t read = 0;
    EXPECT_TRUE(PosixGetModifiedTime(fd, read));
    EXPECT_EQ(read, when);
    EXPECT_TRUE(PosixClose(fd));
    EXPECT_FALSE(PosixSetModifiedTime(dir / "missing", when));
    EXPECT_EQ(errno, ENOENT);
}

TEST(PosixFile, ReadOnlyIsTheOwnerWriteBit)
{
    CTempFolder dir;
    const std::string path = dir / "file";
    WriteWhole(path, "x");
    ASSERT_EQ(::chmod(path.c_str(), 0664), 0);
    bool readOnly = true;
    ASSERT_TRUE(PosixGetReadOnly(path, readOnly));
    EXPECT_FALSE(readOnly);

    ASSERT_TRUE(PosixSetReadOnly(path, true));
    struct stat st{};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
    ASSERT_TRUE(PosixGetReadOnly(path, readOnly));
    EXPECT_TRUE(readOnly);

    ASSERT_TRUE(PosixSetReadOnly(path, false));
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_TRUE(PosixSetReadOnly(path, false)); // already so
    EXPECT_FALSE(PosixGetReadOnly(dir / "missing", readOnly));
    EXPECT_EQ(errno, ENOENT);
}

TEST(PosixFile, CreateDirectoriesMakesEveryLevel)
{
    CTempFolder dir;
    const std::string deep = dir / "a/b//c/";
    ASSERT_TRUE(PosixCreateDirectories(deep, 0700));
    struct stat st{};
    ASSERT_EQ(::stat((dir / "a/b/c").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_TRUE(PosixCreateDirectories(deep, 0700)); // already there

    WriteWhole(dir / "file", "x");
    EXPECT_FALSE(PosixCreateDirectories(dir / "file/sub", 0700));
    EXPECT_EQ(errno, ENOTDIR);
    EXPECT_FALSE(PosixCreateDirectories(dir / "file", 0700));
    EXPECT_EQ(errno, ENOTDIR);
}
