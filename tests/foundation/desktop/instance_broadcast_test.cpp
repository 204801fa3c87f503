// Running copies told of each other's saves: real processes (the peer
// program tw_instance_peer) on one runtime folder.

#include "platform/core/DirectoryScan.h"

#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace
{
using namespace std::chrono_literals;

constexpr auto kBound = 15s;

// One peer process: commands to its stdin, its stdout read line by line
// into a transcript.
class CPeer
{
public:
    CPeer() = default;
    CPeer(const CPeer&) = delete;
    CPeer& operator=(const CPeer&) = delete;

    ~CPeer() { Finish(); }

    // Ends the peer: the end of its stdin makes it quit, which is waited for
    // within the bound (then it is killed). Returns its exit status, -1 when
    // it had to be killed or was not running. A sanitizer report in the peer
    // shows as a status other than 0.
    int Finish()
    {
        if (m_pid <= 0)
            return -1;
        CloseFd(m_toChild);
        const auto deadline = std::chrono::steady_clock::now() + kBound;
        while (ReadMore(deadline))
        {
        }
        if (!m_ended)
            ::kill(m_pid, SIGKILL);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        CloseFd(m_fromChild);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    bool Start()
    {
        int in[2];
        int out[2];
        if (::pipe2(in, O_CLOEXEC) != 0)
            return false;
        if (::pipe2(out, O_CLOEXEC) != 0)
        {
            ::close(in[0]);
            ::close(in[1]);
            return false;
        }
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        ::posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        std::string program = TW_INSTANCE_PEER;
        char* argv[] = {program.data(), nullptr};
        const int started = ::posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv, environ);
        ::posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        m_toChild = in[1];
        m_fromChild = out[0];
        if (started != 0)
        {
            m_pid = -1;
            return false;
        }
        const int ready = WaitFor("ready ");
        return ready >= 0 && m_lines[static_cast<size_t>(ready)] == "ready " + std::to_string(m_pid) + " 1";
    }

    void Send(const std::string& line)
    {
        const std::string text = line + "\n";
        ASSERT_EQ(::write(m_toChild, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    // The index of the first line from `from` on that starts with prefix,
    // reading until it comes or the bound passes; -1 when it never came.
    int WaitFor(const std::string& prefix, size_t from = 0)
    {
        const auto deadline = std::chrono::steady_clock::now() + kBound;
        for (size_t i = from;; ++i)
        {
            while (i >= m_lines.size())
            {
                if (!ReadMore(deadline))
                    return -1;
            }
            if (m_lines[i].starts_with(prefix))
                return static_cast<int>(i);
        }
    }

    // Sends a command and returns the index of its answer.
    int Ask(const std::string& command, const std::string& answerPrefix)
    {
        const size_t from = m_lines.size();
        Send(command);
        return WaitFor(answerPrefix, from);
    }

    // The value after "<word> " of line index.
    std::string ValueOf(int index) const
    {
        const std::string& line = m_lines.at(static_cast<size_t>(index));
        return line.substr(line.find(' ') + 1);
    }

    // Adds url to the copy's history until its change stamp passes floor
    // (the stamp is a tick count with millisecond steps, so one change may
    // not be enough). The last stamp; 0 when the copy did not answer.
    unsigned long AddHistoryStampedAfter(const std::string& url, unsigned long floor)
    {
        unsigned long stamp = 0;
        for (int attempt = 0; attempt < 1000 && stamp <= floor; ++attempt)
        {
            const int answer = Ask("add-history " + url, "stamp ");
            if (answer < 0)
                return 0;
            stamp = std::stoul(ValueOf(answer));
        }
        return stamp;
    }

    void Kill()
    {
        ::kill(m_pid, SIGKILL);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        CloseFd(m_toChild);
        CloseFd(m_fromChild);
        m_pid = -1;
    }

    pid_t Pid() const { return m_pid; }
    const std::vector<std::string>& Lines() const { return m_lines; }

    // The lines in [from, to).
    std::vector<std::string> Between(int from, int to) const
    {
        return {m_lines.begin() + from, m_lines.begin() + to};
    }

private:
    static void CloseFd(int& fd)
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }

    // Reads what is there, waiting until the deadline; false at the end of
    // the output or when the deadline passed.
    bool ReadMore(std::chrono::steady_clock::time_point deadline)
    {
        if (m_ended || m_fromChild < 0)
            return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd waiting{m_fromChild, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            return true;
        if (ready <= 0)
            return false;
        char buffer[4096];
        const ssize_t count = ::read(m_fromChild, buffer, sizeof(buffer));
        if (count <= 0)
        {
            m_ended = true;
            return false;
        }
        m_pending.append(buffer, static_cast<size_t>(count));
        for (size_t end = m_pending.find('\n'); end != std::string::npos; end = m_pending.find('\n'))
        {
            m_lines.push_back(m_pending.substr(0, end));
            m_pending.erase(0, end + 1);
        }
        return true;
    }

    pid_t m_pid = -1;
    int m_toChild = -1;
    int m_fromChild = -1;
    bool m_ended = false;
    std::string m_pending;
    std::vector<std::string> m_lines;
};

class InstanceBroadcastTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_temp.Path().empty());
        m_env.Set("HOME", m_temp / "home");
        m_env.Set("XDG_RUNTIME_DIR", m_temp / "run");
        m_env.Set("XDG_CONFIG_HOME", m_temp / "config");
        m_env.Set("XDG_DATA_HOME", m_temp / "data");
    }

    // The socket files in the channel folder.
    std::vector<std::string> Sockets() const
    {
        std::vector<std::string> names;
        CDirectoryScan scan;
        if (scan.Open(m_temp / "run/Quorvat Software/Tanglewarden", "*.sock"))
        {
            DirectoryEntry entry;
            while (scan.Next(entry))
                names.push_back(entry.m_name);
        }
        return names;
    }

    CTempFolder m_temp;
    ScopedEnvironment m_env;
};

TEST_F(InstanceBroadcastTest, ASettingsSaveMakesTheOtherCopiesReloadButNotTheSaver)
{
    CPeer saver;
    CPeer other;
    ASSERT_TRUE(saver.Start());
    ASSERT_TRUE(other.Start());

    saver.Send("save-settings 42");
    const std::string announced = "received 3 " + std::to_string(saver.Pid());
    const int received = other.WaitFor(announced);
    ASSERT_GE(received, 0);
    const int handled = other.WaitFor("handled 3", static_cast<size_t>(received));
    ASSERT_GE(handled, 0);
    // The value comes from the registry file the saver wrote, and every
    // window below the main window (two of them) is told.
    EXPECT_EQ(other.Between(received + 1, handled),
              (std::vector<std::string>{"settings-changed 42", "settings-changed 42"}));

    const int own = saver.WaitFor(announced);
    ASSERT_GE(own, 0);
    const int ownHandled = saver.WaitFor("handled 3", static_cast<size_t>(own));
    ASSERT_GE(ownHandled, 0);
    EXPECT_EQ(ownHandled, own + 1) << "the saver reloaded its own save";
    EXPECT_EQ(saver.Finish(), 0);
    EXPECT_EQ(other.Finish(), 0);
}

TEST_F(InstanceBroadcastTest, AHistorySaveReloadsOnlyCopiesWithAnOlderHistory)
{
    CPeer first;
    CPeer second;
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(second.Start());

    const unsigned long olderStamp = first.AddHistoryStampedAfter("http://one.example/", 0);
    ASSERT_GT(olderStamp, 0u);
    // The second copy changes its history after the first: its stamp is the
    // newer one.
    const unsigned long secondStamp = second.AddHistoryStampedAfter("http://local.example/", olderStamp);
    ASSERT_GT(secondStamp, olderStamp);

    // The first copy saves its older history: the second keeps its own.
    ASSERT_GE(first.Ask("save-history", "saved-history 1"), 0);
    const std::string olderSave = "received 4 " + std::to_string(olderStamp);
    int received = second.WaitFor(olderSave);
    ASSERT_GE(received, 0);
    int handled = second.WaitFor("handled 4", static_cast<size_t>(received));
    ASSERT_GE(handled, 0);
    EXPECT_EQ(handled, received + 1) << "an older save replaced a newer history";

    // Then the first copy changes and saves again, now newer: the second
    // copy takes the saved history.
    const unsigned long newerStamp = first.AddHistoryStampedAfter("http://two.example/", secondStamp);
    ASSERT_GT(newerStamp, secondStamp);
    ASSERT_GE(first.Ask("save-history", "saved-history 1"), 0);
    received = second.WaitFor("received 4 " + std::to_string(newerStamp));
    ASSERT_GE(received, 0);
    handled = second.WaitFor("handled 4", static_cast<size_t>(received));
    ASSERT_GE(handled, 0);
    EXPECT_EQ(second.Between(received + 1, handled),
              (std::vector<std::string>{"loaded-history 2 http://two.example/"}));

    // The saver's own announcement carries its own stamp: nothing reloads.
    received = first.WaitFor("received 4 " + std::to_string(newerStamp));
    ASSERT_GE(received, 0);
    handled = first.WaitFor("handled 4", static_cast<size_t>(received));
    EXPECT_EQ(handled, received + 1);
    EXPECT_EQ(first.Finish(), 0);
    EXPECT_EQ(second.Finish(), 0);
}

TEST_F(InstanceBroadcastTest, AKilledCopyIsNoLongerCountedAndItsSocketGoes)
{
    CPeer first;
    CPeer second;
    CPeer third;
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(second.Start());
    ASSERT_TRUE(third.Start());
    int answer = first.Ask("count", "count ");
    ASSERT_GE(answer, 0);
    EXPECT_EQ(first.ValueOf(answer), "3");
    ASSERT_EQ(Sockets().size(), 3u);

    // Killed: no chance to remove its socket.
    const std::string thirdPrefix = std::to_string(third.Pid()) + "-";
    third.Kill();
    ASSERT_EQ(Sockets().size(), 3u);

    answer = first.Ask("count", "count ");
    ASSERT_GE(answer, 0);
    EXPECT_EQ(first.ValueOf(answer), "2");
    const std::vector<std::string> left = Sockets();
    ASSERT_EQ(left.size(), 2u);
    for (const std::string& name : left)
        EXPECT_FALSE(name.starts_with(thirdPrefix)) << name;

    // The two that are left still hear each other.
    second.Send("broadcast 7 0");
    EXPECT_GE(first.WaitFor("received 7 0"), 0);
    EXPECT_EQ(first.Finish(), 0);
    EXPECT_EQ(second.Finish(), 0);
}

TEST_F(InstanceBroadcastTest, ACopyThatEndsAnnouncesItAndTakesItsSocketAlong)
{
    CPeer staying;
    ASSERT_TRUE(staying.Start());
    CPeer leaving;
    ASSERT_TRUE(leaving.Start());
    const pid_t leavingPid = leaving.Pid();
    EXPECT_GE(staying.WaitFor("received 1 " + std::to_string(leavingPid)), 0);
    ASSERT_EQ(Sockets().size(), 2u);
    EXPECT_EQ(leaving.Finish(), 0);

    EXPECT_GE(staying.WaitFor("received 2 " + std::to_string(leavingPid)), 0);
    EXPECT_EQ(Sockets().size(), 1u);
    const int answer = staying.Ask("count", "count ");
    ASSERT_GE(answer, 0);
    EXPECT_EQ(staying.ValueOf(answer), "1");
}
} // namespace
