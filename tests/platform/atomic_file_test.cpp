#include "platform/core/AtomicFile.h"

#include "platform/core/DirectoryScan.h"
#include "platform/core/Text.h"

#include "tests/support/TempFolder.h"
#include "tests/support/FileContents.h"

#include <cerrno>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
std::vector<std::string> Listing(const std::string& folder)
{
    std::vector<std::string> out;
    CDirectoryScan scan;
    DirectoryEntry entry;
    if (scan.Open(folder))
        while (scan.Next(entry))
            out.push_back(entry.m_name);
    return out;
}
} // namespace

TEST(AtomicFile, ReplacesTheFileWithTheGivenMode)
{
    CTempFolder dir;
    const std::string path = dir / "Passwords.bf";
    WriteWhole(path, "old content that is longer");
    const std::string content("new\0\r\n", 6);
    ASSERT_TRUE(WriteFileAtomic(path, content, 0600));
    EXPECT_EQ(ReadWhole(path), content);
    struct stat st{};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(Listing(dir.Path()), std::vector<std::string>{"Passwords.bf"});

    ASSERT_TRUE(WriteFileAtomic(dir / "fresh.txt", "", 0644));
    EXPECT_EQ(ReadWhole(dir / "fresh.txt"), "");
}

TEST(AtomicFile, FailuresLeaveTheOldStateAndNoTemporary)
{
    CTempFolder dir;
    // A folder where the file should go: the rename must fail.
    ASSERT_EQ(::mkdir((dir / "target").c_str(), 0700), 0);
    WriteWhole(dir / "target/inside", "keep");
    errno = 0;
    EXPECT_FALSE(WriteFileAtomic(dir / "target", "data", 0600));
    EXPECT_NE(errno, 0);
    EXPECT_EQ(ReadWhole(dir / "target/inside"), "keep");
    EXPECT_EQ(Listing(dir.Path()), std::vector<std::string>{"target"});

    EXPECT_FALSE(WriteFileAtomic(dir / "missing/file", "data", 0600));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(WriteFileAtomic(dir / "slash/", "data", 0600));
    EXPECT_EQ(Listing(dir.Path()), std::vector<std::string>{"target"});
}

TEST(AtomicFile, AFailedWriteKeepsTheOldFile)
{
    CTempFolder dir;
    const std::string path = dir / "Cookies.txt";
    WriteWhole(path, "old cookies");
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit capped = old;
    capped.rlim_cur = 64; // as if the disk filled up after 64 bytes
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &capped), 0);
    const bool written = WriteFileAtomic(path, std::string(4096, 'n'), 0600);
    const int error = errno;
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(error, EFBIG);
    EXPECT_EQ(ReadWhole(path), "old cookies");
    EXPECT_EQ(Listing(dir.Path()), std::vector<std::string>{"Cookies.txt"});
}

TEST(AtomicFile, AbandonedOrFailedStreamsLeaveNothing)
{
    CTempFolder dir;
    const std::string path = dir / "History.xml";
    WriteWhole(path, "old");
    {
        CAtomicFile file;
        ASSERT_TRUE(file.Open(path, 0644));
        ASSERT_TRUE(file.Write("half"));
        EXPECT_EQ(Listing(dir.Path()).size(), 2u);
    } // destroyed without Commit
    EXPECT_EQ(ReadWhole(path), "old");
    EXPECT_EQ(Listing(dir.Path()), std::vector<std::string>{"History.xml"});

    CAtomicFile file;
    EXPECT_FALSE(file.Write("x"));
    EXPECT_FALSE(file.Commit());
    ASSERT_TRUE(file.Open(path, 0644));
    ASSERT_TRUE(file.Write("new "));
    ASSERT_TRUE(file.Write("content"));
    ASSERT_TRUE(file.Commit());
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(ReadWhole(path), "new content");
}

TEST(AtomicFile, ALinkStaysALink)
{
    CTempFolder dir;
    ASSERT_EQ(::mkdir((dir / "real").c_str(), 0700), 0);
    WriteWhole(dir / "real/registry.txt", "old");
    ASSERT_EQ(::symlink("real/registry.txt", (dir / "registry.txt").c_str()), 0);
    ASSERT_TRUE(WriteFileAtomic(dir / "registry.txt", "new", 0600));
    struct stat st{};
    ASSERT_EQ(::lstat((dir / "registry.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadWhole(dir / "real/registry.txt"), "new");
    EXPECT_EQ(Listing(dir / "real"), std::vector<std::string>{"registry.txt"});
}

namespace
{
// A child process that starts saving path and stops mid-write, holding its
// temporary file, until it is killed.
pid_t StartWriterThatHangs(const std::string& path)
{
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0)
    {
        ::close(ready[0]);
        CAtomicFile file;
        const bool opened = file.Open(path, 0600) && file.Write("half of a cookie file");
        const char state = opened ? '1' : '0';
        (void)!::write(ready[1], &state, 1);
        for (int i = 0; i < 600; ++i) // ends by itself after a minute at most
            ::sleep(1);
        ::_exit(0);
    }
    ::close(ready[1]);
    char state = '0';
    const bool started = pid > 0 && ::read(ready[0], &state, 1) == 1 && state == '1';
    ::close(ready[0]);
    return started ? pid : -1;
}

void KillAndReap(pid_t pid)
{
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
}
} // namespace

TEST(AtomicFile, ASaveRemovesTemporariesOfWritersThatDied)
{
    CTempFolder dir;
    const std::string path = dir / "Cookies.txt";
    WriteWhole(path, "old");
    WriteWhole(dir / "other.txt", "kept");
    const pid_t alive = StartWriterThatHangs(path);
    ASSERT_GT(alive, 0);
    const pid_t dead = StartWriterThatHangs(path);
    ASSERT_GT(dead, 0);
    KillAndReap(dead); // killed mid-write: its temporary stays behind
    EXPECT_EQ(Listing(dir.Path()).size(), 4u);

    ASSERT_TRUE(WriteFileAtomic(path, "new", 0600));
    const std::vector<std::string> after = Listing(dir.Path());
    KillAndReap(alive);
    EXPECT_EQ(ReadWhole(path), "new");
    EXPECT_EQ(ReadWhole(dir / "other.txt"), "kept");
    // The dead writer's temporary is gone; the live one's is left to it.
    ASSERT_EQ(after.size(), 3u);
    const std::string liveTemp = Format(".Cookies.txt.%d.", static_cast<int>(alive));
    EXPECT_EQ(after[0].rfind(liveTemp, 0), 0u) << after[0];
}
