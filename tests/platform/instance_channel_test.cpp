#include "platform/core/InstanceChannel.h"

#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace
{
using namespace std::chrono_literals;

// Collects what a channel receives; a test waits, with a bound, for a count.
class CInbox
{
public:
    CInstanceChannel::Handler Handler()
    {
        return [this](const InstanceMessage& message)
        {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_messages.push_back(message);
            }
            m_arrived.notify_all();
        };
    }
    bool WaitFor(size_t count)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_arrived.wait_for(lock, 10s, [&] { return m_messages.size() >= count; });
    }
    std::vector<InstanceMessage> Messages()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_messages;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::vector<InstanceMessage> m_messages;
};

// Sends raw bytes to a socket path, as a stranger or an older version would.
bool SendRaw(const std::string& path, const void* data, size_t size)
{
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    const bool sent = ::sendto(fd, data, size, 0, reinterpret_cast<const sockaddr*>(&address),
                               sizeof(address)) == static_cast<ssize_t>(size);
    ::close(fd);
    return sent;
}

// A socket file whose process is gone: bound, then closed without removal.
void LeaveDeadSocket(const std::string& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
}

bool Exists(const std::string& path)
{
    struct stat st
    {
    };
    return ::lstat(path.c_str(), &st) == 0;
}

TEST(InstanceChannelTest, ABroadcastReachesEveryCopyTheSenderIncluded)
{
    CTempFolder temp;
    const std::string folder = temp / "run/app";
    CInbox firstInbox;
    CInbox secondInbox;
    CInstanceChannel first;
    CInstanceChannel second;
    ASSERT_TRUE(first.Open(folder, firstInbox.Handler()));
    ASSERT_TRUE(second.Open(folder, secondInbox.Handler()));

    struct stat st
    {
    };
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(first.CountInstances(), 2);

    EXPECT_EQ(first.Broadcast(4, 0x1234567890LL), 2);
    EXPECT_EQ(second.Broadcast(6, -5), 2);
    ASSERT_TRUE(firstInbox.WaitFor(2));
    ASSERT_TRUE(secondInbox.WaitFor(2));
    for (CInbox* inbox : {&firstInbox, &secondInbox})
    {
        const std::vector<InstanceMessage> messages = inbox->Messages();
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[0].m_code, 4u);
        EXPECT_EQ(messages[0].m_argument, 0x1234567890LL);
        EXPECT_EQ(messages[0].m_senderPid, ::getpid());
        EXPECT_EQ(messages[1].m_code, 6u);
        EXPECT_EQ(messages[1].m_argument, -5);
    }

    const std::string secondPath = second.GetSocketPath();
    second.Close();
    EXPECT_FALSE(Exists(secondPath));
    EXPECT_EQ(first.CountInstances(), 1);
}

TEST(InstanceChannelTest, SocketsWithoutAReceiverAreRemoved)
{
    CTempFolder temp;
    const std::string folder = temp / "run";
    CInbox inbox;
    CInstanceChannel channel;
    ASSERT_TRUE(channel.Open(folder, inbox.Handler()));
    LeaveDeadSocket(folder + "/999-dead.sock");
    LeaveDeadSocket(folder + "/998-dead.sock");
    // Not ours to touch: a plain file with the socket ending.
    ::close(::open((folder + "/notes.sock").c_str(), O_CREAT | O_WRONLY, 0600));

    EXPECT_EQ(channel.Broadcast(1, 0), 1);
    EXPECT_FALSE(Exists(folder + "/999-dead.sock"));
    LeaveDeadSocket(folder + "/997-dead.sock");
    EXPECT_EQ(channel.CountInstances(), 1);
    EXPECT_FALSE(Exists(folder + "/998-dead.sock"));
    EXPECT_FALSE(Exists(folder + "/997-dead.sock"));
    EXPECT_TRUE(Exists(folder + "/notes.sock"));
    EXPECT_TRUE(Exists(channel.GetSocketPath()));
}

TEST(InstanceChannelTest, StrangeDatagramsAreDropped)
{
    CTempFolder temp;
    CInbox inbox;
    CInstanceChannel channel;
    ASSERT_TRUE(channel.Open(temp / "run", inbox.Handler()));
    const std::string path = channel.GetSocketPath();

    unsigned char message[16] = {'T', 'W', 'B', '1'};
    const uint32_t code = 3;
    std::memcpy(message + 4, &code, 4);
    unsigned char wrongTag[16];
    std::memcpy(wrongTag, message, 16);
    wrongTag[3] = '2';
    unsigned char longer[17] = {};
    std::memcpy(longer, message, 16);
    ASSERT_TRUE(SendRaw(path, message, 15));
    ASSERT_TRUE(SendRaw(path, longer, 17));
    ASSERT_TRUE(SendRaw(path, wrongTag, 16));
    ASSERT_TRUE(SendRaw(path, "", 0));
    // Datagrams keep their order, so once this one is in, the others were
    // looked at and dropped.
    ASSERT_TRUE(SendRaw(path, message, 16));
    ASSERT_TRUE(inbox.WaitFor(1));
    ASSERT_EQ(inbox.Messages().size(), 1u);
    EXPECT_EQ(inbox.Messages()[0].m_code, 3u);
}

TEST(InstanceChannelTest, UnusableFoldersAreRefused)
{
    CTempFolder temp;
    CInstanceChannel channel;
    // A link where the folder should be: another user could have placed it.
    ASSERT_EQ(::mkdir((temp / "real").c_str(), 0700), 0);
    ASSERT_EQ(::symlink((temp / "real").c_str(), (temp / "link").c_str()), 0);
    EXPECT_FALSE(channel.Open(temp / "link", nullptr));
    EXPECT_FALSE(channel.IsOpen());

    // A socket path longer than a socket address holds.
    errno = 0;
    EXPECT_FALSE(channel.Open(temp / std::string(120, 'x'), nullptr));
    EXPECT_EQ(errno, ENAMETOOLONG);
    EXPECT_FALSE(channel.Open("relative/folder", nullptr));

    // A folder others may read is made private.
    ASSERT_EQ(::mkdir((temp / "open").c_str(), 0755), 0);
    ASSERT_TRUE(channel.Open(temp / "open/", nullptr));
    struct stat st
    {
    };
    ASSERT_EQ(::stat((temp / "open").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(channel.Broadcast(1, 1), 1) << "works without a handler";
}

TEST(InstanceChannelTest, ACopyThatStoppedReadingDoesNotHoldUpABroadcast)
{
    CTempFolder temp;
    const std::string folder = temp / "run";
    CInstanceChannel channel;
    ASSERT_TRUE(channel.Open(folder, nullptr));

    // A live socket that never reads, its queue filled up.
    const std::string stuckPath = folder + "/1-stuck.sock";
    const int stuck = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, stuckPath.c_str(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(::bind(stuck, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    const int filler = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ASSERT_EQ(::connect(filler, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    const char bytes[16] = {};
    bool full = false;
    for (int i = 0; i < 100000 && !full; ++i)
        full = ::send(filler, bytes, sizeof(bytes), MSG_DONTWAIT) < 0 && errno == EAGAIN;
    ASSERT_TRUE(full);

    // Only this copy is reached; the stuck one is still counted as running.
    EXPECT_EQ(channel.Broadcast(3, 1), 1);
    EXPECT_EQ(channel.CountInstances(), 2);
    ::close(filler);
    ::close(stuck);
}

TEST(InstanceChannelTest, AClosedChannelReachesNobody)
{
    CInstanceChannel channel;
    EXPECT_EQ(channel.Broadcast(1, 0), 0);
    EXPECT_EQ(channel.CountInstances(), 0);
    channel.Close();
}

TEST(InstanceChannelTest, TheFolderIsTheRuntimeFolderElseAPerUserTempFolder)
{
    ScopedEnvironment env;
    env.Set("XDG_RUNTIME_DIR", "/run/user/1000/");
    EXPECT_EQ(GetInstanceChannelFolder(), "/run/user/1000/Quorvat Software/Tanglewarden");
    env.Set("XDG_RUNTIME_DIR", "relative");
    env.Set("TMPDIR", "/var/tmp");
    EXPECT_EQ(GetInstanceChannelFolder(),
              "/var/tmp/Quorvat Software-" + std::to_string(::geteuid()) + "/Tanglewarden");
    env.Set("XDG_RUNTIME_DIR", nullptr);
    env.Set("TMPDIR", nullptr);
    EXPECT_EQ(GetInstanceChannelFolder(),
              "/tmp/Quorvat Software-" + std::to_string(::geteuid()) + "/Tanglewarden");
}
} // namespace
