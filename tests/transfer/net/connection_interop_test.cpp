// CConnection against a scripted server (tests/servers/tcp_modes_server.py)
// that stays silent, closes at once or echoes, and against openssl s_server.

#include "transfer/net/Connection.h"

#include "platform/core/Socket.h"
#include "platform/core/SocketError.h"
#include "tests/servers/OpenSslServer.h"
#include "tests/servers/ServerProcess.h"
#include "tests/servers/TestCertificates.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ThreadBlocked.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/net/SocketHandle.h"
#include "transfer/base/TransferLog.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <condition_variable>
#include <fcntl.h>
#include <future>
#include <mutex>
#include <netinet/in.h>
#include <string>
#include <thread>

namespace
{

using namespace std::chrono_literals;

// Only a broken socket layer makes a test wait this long.
constexpr auto kPatience = 10s;

const uint32_t kLoopback = htonl(INADDR_LOOPBACK);

struct ModeServer
{
    CServerProcess process;
    int port = 0;

    bool Start(const char* mode)
    {
        port = FreeTcpPort();
        return port != 0 && process.Start({"/usr/bin/python3", TW_SERVERS_DIR "/tcp_modes_server.py",
                                           std::to_string(port), mode},
                                          port);
    }
};

int DescriptorOf(CConnection& connection)
{
    std::shared_ptr<CSocket> socket = connection.GetHandle()->GetSocket();
    return socket ? socket->GetDescriptor() : -1;
}

bool IsOpenDescriptor(int fd)
{
    return ::fcntl(fd, F_GETFD) != -1;
}

// Runs `call` on a thread, waits until that thread sleeps in the kernel,
// then runs `then` while the call is still blocked.
template <typename Call, typename Then> int BlockThen(Call call, Then then)
{
    std::atomic<pid_t> tid{0};
    auto blocked = std::async(std::launch::async,
                              [&]
                              {
                                  tid = CurrentThreadId();
                                  return call();
                              });
    const auto start = std::chrono::steady_clock::now();
    while (tid == 0 && std::chrono::steady_clock::now() - start < kPatience)
        std::this_thread::yield();
    EXPECT_TRUE(WaitUntilThreadSleeps(tid, kPatience));
    then();
    if (blocked.wait_for(kPatience) != std::future_status::ready)
    {
        ADD_FAILURE() << "the blocked call did not return";
        return blocked.get(); // waits for the time-out; the test has failed already
    }
    return blocked.get();
}

TEST(ConnectionInterop, RefusedConnectGives10061)
{
    const CDeadTcpPort closed; // nothing listens there
    const int port = closed.Port();
    ASSERT_NE(port, 0);
    CTransferLog* log = new CTransferLog(1);
    CConnection connection;
    EXPECT_FALSE(connection.ConnectAddress(kLoopback, port, log));
    EXPECT_EQ(connection.GetLastError(), WSAECONNREFUSED);
    std::string text;
    log->GetText(text);
    log->Release();
    EXPECT_NE(text.find("E:\tCannot connect to 127.0.0.1:" + std::to_string(port) + " (error: 10061).\r\n"),
              std::string::npos)
        << text;
}

// With nobody sweeping, a receive from a silent server still ends, one sweep
// period after its deadline, with the time-out code and the socket closed.
TEST(ConnectionInterop, SilentServerTimesOut)
{
    ModeServer server;
    ASSERT_TRUE(server.Start("silent"));
    CConnection connection;
    ASSERT_TRUE(connection.ConnectAddress(kLoopback, server.port, nullptr));
    connection.SetTimeout(300); // after the connect, which it would also bound
    char buffer[16];
    EXPECT_EQ(connection.Recv(buffer, sizeof buffer), -1);
    EXPECT_EQ(connection.GetLastError(), kResultTimeout);
    EXPECT_FALSE(connection.IsConnected());

    // A send that fills the silent peer's buffers ends the same way.
    connection.SetTimeout(CConnection::kDefaultTimeoutMs);
    ASSERT_TRUE(connection.ConnectAddress(kLoopback, server.port, nullptr));
    connection.SetTimeout(300);
    connection.SetBufferSize(1, 4096);
    const std::string block(8 << 20, 'x');
    EXPECT_EQ(connection.Send(block.data(), static_cast<int>(block.size())), -1);
    EXPECT_EQ(connection.GetLastError(), kResultTimeout);
    EXPECT_FALSE(connection.IsConnected());
}

TEST(ConnectionInterop, ClosingServerEndsTheStream)
{
    ModeServer server;
    ASSERT_TRUE(server.Start("close"));
    CConnection connection;
    ASSERT_TRUE(connection.ConnectAddress(kLoopback, server.port, nullptr));
    char buffer[16];
    int size = sizeof buffer;
    EXPECT_EQ(connection.WaitData(buffer, &size, 5000), WSAECONNABORTED);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(connection.Recv(buffer, sizeof buffer), 0);
    EXPECT_EQ(connection.GetLastError(), 0);
}

TEST(ConnectionInterop, EchoRoundTrip)
{
    ModeServer server;
    ASSERT_TRUE(server.Start("echo"));
    struct Counter : ITrafficObserver
    {
        long received = 0;
        long sent = 0;
        void OnReceived(int bytes) override { received += bytes; }
        void OnSent(int bytes) override { sent += bytes; }
    } traffic;
    CConnection connection;
    connection.SetTrafficObserver(&traffic);
    ASSERT_TRUE(connection.ConnectHost("localhost", server.port, nullptr));

    long total = 0;
    for (size_t length : {size_t(1), size_t(1460), size_t(200000)})
    {
        std::string message(length, '\0');
        for (size_t i = 0; i < length; ++i)
            message[i] = static_cast<char>(i * 31 + length);
        // Sent whole before reading: the echo server's buffers take 200 KB.
        ASSERT_EQ(connection.Send(message.data(), static_cast<int>(length)), static_cast<int>(length));
        std::string echoed;
        char buffer[8192];
        for (int reads = 0; reads < 10000 && echoed.size() < length; ++reads)
        {
            const int n = connection.Recv(buffer, sizeof buffer);
            ASSERT_GT(n, 0) << connection.GetLastError();
            echoed.append(buffer, static_cast<size_t>(n));
        }
        EXPECT_TRUE(echoed == message) << length;
        total += static_cast<long>(length);
    }
    EXPECT_EQ(traffic.sent, total);
    EXPECT_EQ(traffic.received, total);
}

// CloseSocket from another thread ends a receive blocked on a silent server
// at once, long before its time-out; the connection can connect again.
TEST(ConnectionInterop, CloseSocketFromAnotherThreadEndsABlockedCall)
{
    ModeServer server;
    ASSERT_TRUE(server.Start("silent"));
    CConnection connection; // default time-out: a minute
    ASSERT_TRUE(connection.ConnectAddress(kLoopback, server.port, nullptr));
    const int fd = DescriptorOf(connection);

    const int result = BlockThen(
        [&]
        {
            char byte = 0;
            return connection.RecvRaw(&byte, 1, 0);
        },
        [&] { connection.CloseSocket(); });
    EXPECT_EQ(result, -1);
    EXPECT_EQ(connection.GetLastError(), kResultTimeout);
    EXPECT_FALSE(connection.IsConnected());
    EXPECT_FALSE(IsOpenDescriptor(fd));
    EXPECT_TRUE(connection.ConnectAddress(kLoopback, server.port, nullptr));
}

// While a call still runs on a socket that was closed under it, its
// descriptor stays open, so no new socket can get its number. The traffic
// observer holds the call inside RecvRaw, after its socket call.
TEST(ConnectionInterop, NoDescriptorReuseWhileACallRuns)
{
    ModeServer server;
    ASSERT_TRUE(server.Start("echo"));

    struct Gate : ITrafficObserver
    {
        std::mutex mutex;
        std::condition_variable changed;
        bool inside = false;
        bool open = false;
        void OnReceived(int) override
        {
            std::unique_lock<std::mutex> lock(mutex);
            inside = true;
            changed.notify_all();
            changed.wait_for(lock, kPatience, [this] { return open; });
        }
        void OnSent(int) override {}
    } gate;

    CConnection connection;
    ASSERT_TRUE(connection.ConnectAddress(kLoopback, server.port, nullptr));
    const int fd = DescriptorOf(connection);
    ASSERT_EQ(connection.Send("ping", 4), 4);
    connection.SetTrafficObserver(&gate);

    auto call = std::async(std::launch::async,
                           [&]
                           {
                               char buffer[4];
                               return connection.RecvRaw(buffer, sizeof buffer, 0);
                           });
    {
        std::unique_lock<std::mutex> lock(gate.mutex);
        ASSERT_TRUE(gate.changed.wait_for(lock, kPatience, [&] { return gate.inside; }));
    }

    connection.CloseSocket(); // as the sweep or a stop would
    EXPECT_TRUE(IsOpenDescriptor(fd));
    std::vector<std::unique_ptr<CConnection>> others;
    for (int i = 0; i < 8; ++i)
    {
        others.push_back(std::make_unique<CConnection>());
        ASSERT_TRUE(others.back()->ConnectAddress(kLoopback, server.port, nullptr));
        EXPECT_NE(DescriptorOf(*others.back()), fd);
    }

    {
        std::lock_guard<std::mutex> lock(gate.mutex);
        gate.open = true;
    }
    gate.changed.notify_all();
    ASSERT_EQ(call.wait_for(kPatience), std::future_status::ready);
    EXPECT_EQ(call.get(), 4); // the bytes had arrived before the close
    others.clear();
    EXPECT_FALSE(IsOpenDescriptor(fd));
}

// A second StartSsl is refused and leaves the first SSL layer working.
TEST(ConnectionInterop, SecondStartSslIsRefused)
{
    ASSERT_TRUE(SocketsStartup(1));
    CTempFolder folder;
    CTestCertificates certificates;
    ASSERT_TRUE(certificates.Generate(folder.Path()));
    // Only the test CA is trusted, so the handshake passes on its own.
    CTempFolder noCertificates;
    ScopedEnvironment environment;
    environment.Set("SSL_CERT_FILE", certificates.CaCertificate());
    environment.Set("SSL_CERT_DIR", noCertificates.Path());
    COpenSslServer server;
    ASSERT_TRUE(server.Start(certificates.ServerCertificate(), certificates.ServerKey()));

    constexpr int kAnyVersion = 1; // "Connections/SSL-TLS Version": the flexible choice
    CConnection connection;
    CTransferLog* log = new CTransferLog(1);
    ASSERT_TRUE(connection.ConnectHost("localhost", server.Port(), log));
    const bool started = connection.StartSsl(kAnyVersion, log);
    std::string text;
    log->GetText(text);
    log->Release();
    ASSERT_TRUE(started) << connection.GetLastError() << "\n" << text << "\n" << server.Log();
    CSSLConnection* first = connection.GetSsl();
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(connection.StartSsl(kAnyVersion, nullptr));
    EXPECT_EQ(connection.GetLastError(), kResultInvalidParameter);
    EXPECT_EQ(connection.GetSsl(), first);

    const std::string request = "GET / HTTP/1.0\r\n\r\n";
    ASSERT_EQ(connection.Send(request.data(), static_cast<int>(request.size())),
              static_cast<int>(request.size()));
    std::string reply;
    char buffer[4096];
    for (int reads = 0; reads < 1000; ++reads)
    {
        const int n = connection.Recv(buffer, sizeof buffer);
        if (n <= 0)
            break;
        reply.append(buffer, static_cast<size_t>(n));
    }
    EXPECT_EQ(reply.rfind("HTTP/1.0 200", 0), 0u) << reply.substr(0, 200);
    connection.Close();
    EXPECT_EQ(connection.GetSsl(), nullptr);
    EXPECT_FALSE(connection.IsConnected());
}

} // namespace
