#include "transfer/net/Connection.h"

#include "platform/core/Socket.h"
#include "platform/core/SocketError.h"
#include "tests/support/CapturedLog.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/net/SocketDeadlineRegistry.h"
#include "transfer/net/SocketHandle.h"
#include "transfer/base/TransferLog.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <csignal>
#include <future>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <vector>

namespace
{

using namespace std::chrono_literals;

// Only a broken socket layer makes a test wait this long.
constexpr auto kPatience = 10s;

uint32_t Address(unsigned a, unsigned b, unsigned c, unsigned d)
{
    return htonl((a << 24) | (b << 16) | (c << 8) | d);
}

const uint32_t kLoopback = Address(127, 0, 0, 1);

// A socket listening on 127.0.0.1 that never accepts: connections wait in
// its backlog, connected but silent.
struct SilentListener
{
    std::shared_ptr<CSocket> socket;
    int port = 0;

    SilentListener()
    {
        int error = 0;
        socket = CSocket::Create(&error);
        EXPECT_TRUE(socket && socket->Bind(kLoopback, 0, &error) && socket->Listen(8, &error)) << error;
        uint32_t address = 0;
        if (socket)
            socket->GetLocalAddress(&address, &port, &error);
    }
};

// client connected to data, the connection a listener on 127.0.0.1 accepted.
void ConnectPair(CConnection& client, CConnection& data)
{
    CConnection listening;
    ASSERT_TRUE(listening.BindAndListen(kLoopback, 0, 1, nullptr));
    uint32_t address = 0;
    int port = 0;
    ASSERT_TRUE(listening.GetLocalAddress(&address, &port));
    ASSERT_TRUE(client.ConnectAddress(kLoopback, port, nullptr));
    ASSERT_TRUE(listening.Accept(data, nullptr));
}

struct CountingObserver : ITrafficObserver
{
    std::atomic<long> received{0};
    std::atomic<long> sent{0};
    void OnReceived(int bytes) override { received += bytes; }
    void OnSent(int bytes) override { sent += bytes; }
};

TEST(ParseDottedQuad, ReadsPartsAsTheyCome)
{
    const struct
    {
        const char* text;
        uint32_t expected;
    } cases[] = {
        {"127.0.0.1", Address(127, 0, 0, 1)},
        {"192.168.10.200", Address(192, 168, 10, 200)},
        {"10.1", Address(10, 1, 0, 0)},
        {"10.1.2.3.4", Address(10, 1, 2, 3)},
        {"10.1.2.3.999", Address(10, 1, 2, 3)}, // nothing after the fourth part is read
        {"1..2", Address(1, 0, 2, 0)},
        {"0.0.0.1", Address(0, 0, 0, 1)},
        {"007.8.9.10", Address(7, 8, 9, 10)},
        {"1.2.3.256", kNoAddress},
        {"256", kNoAddress},
        {"0.0.0.0", kNoAddress},
        {"0", kNoAddress},
        {"255.255.255.255", kNoAddress},
        {"", kNoAddress},
        {nullptr, kNoAddress},
        {"1.2.3.4x", kNoAddress},
        {" 1.2.3.4", kNoAddress},
        {"1.2.3.-4", kNoAddress},
        {"localhost", kNoAddress},
    };
    for (const auto& c : cases)
    {
        const std::string name = c.text ? c.text : "(null)";
        EXPECT_EQ(ParseDottedQuad(c.text), c.expected) << name;
        EXPECT_EQ(IsDottedQuad(c.text), c.expected != kNoAddress) << name;
    }
}

TEST(ResolveHost, NumbersFirstThenNames)
{
    const struct
    {
        const char* name;
        bool ok;
        uint32_t expected;
    } cases[] = {
        {"127.0.0.1", true, kLoopback},
        {"10.1", true, Address(10, 1, 0, 0)},
        {"localhost", true, kLoopback},
        // Not dotted quads; the look-up then gives an address nobody can use.
        {"0.0.0.0", false, 0},
        {"255.255.255.255", false, kNoAddress},
        {"no-such-host.invalid", false, 0},
        {"", false, 0},
        {nullptr, false, 0},
    };
    for (const auto& c : cases)
    {
        const std::string name = c.name ? c.name : "(null)";
        uint32_t address = 12345;
        EXPECT_EQ(ResolveHost(c.name, &address), c.ok) << name;
        EXPECT_EQ(address, c.expected) << name;
    }
}

TEST(SocketsStartup, StartsOnceAndIgnoresSigPipe)
{
    EXPECT_TRUE(SocketsStartup(1));
    EXPECT_TRUE(SocketsStartup(1)); // already started: nothing happens
    struct sigaction action = {};
    ASSERT_EQ(::sigaction(SIGPIPE, nullptr, &action), 0);
    EXPECT_EQ(action.sa_handler, SIG_IGN);
    EXPECT_TRUE(SocketsStartup(0));
    EXPECT_TRUE(SocketsStartup(0)); // not started: nothing to end
    EXPECT_TRUE(SocketsStartup(1));
}

TEST(FormatIPv4, WritesTheDottedText)
{
    EXPECT_EQ(FormatIPv4(Address(10, 1, 0, 0)), "10.1.0.0");
    EXPECT_EQ(FormatIPv4(Address(255, 254, 3, 4)), "255.254.3.4");
}

TEST(Connection, ConnectHostLogsEachStep)
{
    SilentListener listener;
    CCapturedLog log;
    CConnection connection;
    ASSERT_TRUE(connection.ConnectHost("localhost", listener.port, log.Get()));
    EXPECT_EQ(connection.GetLastError(), 0);
    EXPECT_EQ(connection.GetServerName(), "localhost");
    const std::string port = std::to_string(listener.port);
    EXPECT_EQ(log.Text(), "S:\tHost name resolved: \"localhost\" => \"127.0.0.1\".\r\n"
                          "S:\tConnecting to 127.0.0.1:" +
                              port +
                              "...\r\n"
                              "S:\tConnected to 127.0.0.1:" +
                              port + ".\r\n");

    // A dotted quad is not announced as resolved; a name that does not
    // resolve ends before any socket is made.
    CCapturedLog second;
    ASSERT_TRUE(connection.ConnectHost("127.0.0.1", listener.port, second.Get()));
    EXPECT_EQ(second.Text().find("resolved"), std::string::npos);
    EXPECT_FALSE(connection.ConnectHost("no-such-host.invalid", 80, second.Get()));
    EXPECT_EQ(connection.GetLastError(), kResultHostNotResolved);
    EXPECT_NE(
        second.Text().find("E:\tCannot find server or DNS Error, host name: \"no-such-host.invalid\".\r\n"),
        std::string::npos);
}

// A server whose backlog is full drops new connection requests without an
// answer; a connect then ends at the connection's time-out.
TEST(Connection, ConnectEndsAtTheTimeout)
{
    int error = 0;
    std::shared_ptr<CSocket> full = CSocket::Create(&error);
    ASSERT_TRUE(full && full->Bind(kLoopback, 0, &error) && full->Listen(0, &error));
    uint32_t address = 0;
    int port = 0;
    ASSERT_TRUE(full->GetLocalAddress(&address, &port, &error));

    std::vector<std::unique_ptr<CConnection>> waiting;
    int lastError = 0;
    for (int i = 0; i < 16 && lastError == 0; ++i)
    {
        waiting.push_back(std::make_unique<CConnection>());
        waiting.back()->SetTimeout(300);
        if (!waiting.back()->ConnectAddress(kLoopback, port, nullptr))
            lastError = waiting.back()->GetLastError();
    }
    EXPECT_EQ(lastError, WSAETIMEDOUT);
}

TEST(Connection, NoProxyMeansDirect)
{
    SilentListener listener;
    for (const char* proxy : {"", "no", "NO", "nO"})
    {
        CConnection connection;
        connection.SetLastError(99);
        EXPECT_TRUE(connection.ConnectViaProxy("127.0.0.1", listener.port, proxy, nullptr)) << proxy;
        EXPECT_EQ(connection.GetLastError(), 0);
        EXPECT_EQ(connection.GetServerName(), "127.0.0.1");
    }
    CConnection byAddress;
    EXPECT_TRUE(byAddress.ConnectViaProxyToAddress(kLoopback, listener.port, nullptr, nullptr));
}

TEST(Connection, CallsWithoutSocket)
{
    CConnection connection;
    connection.SetLastError(777);
    char buffer[4];
    EXPECT_EQ(connection.SendRaw("x", 1, 0), -1);
    EXPECT_EQ(connection.RecvRaw(buffer, 4, 0), -1);
    EXPECT_EQ(connection.Send("x", 1), -1);
    EXPECT_EQ(connection.Recv(buffer, 4), -1);
    EXPECT_EQ(connection.GetLastError(), 777); // untouched without a socket

    int size = 4;
    EXPECT_EQ(connection.WaitData(buffer, &size, 10), kResultInvalidParameter);
    EXPECT_EQ(size, 0);
    EXPECT_FALSE(connection.StartSsl(1, nullptr));
    EXPECT_EQ(connection.GetLastError(), kResultInvalidParameter);
    EXPECT_EQ(connection.GetSsl(), nullptr);

    uint32_t address = 1;
    int port = 1;
    EXPECT_FALSE(connection.GetPeerAddress(&address, &port));
    EXPECT_EQ(address, 0u);
    EXPECT_EQ(port, 0);
    EXPECT_FALSE(connection.SetBufferSize(1, 16));
    connection.Close(); // nothing to close: no harm
}

// Bind, listen and accept as active FTP uses them, then data both ways.
TEST(Connection, ActiveModeRoundTrip)
{
    CCapturedLog log;
    CConnection listening;
    ASSERT_TRUE(listening.BindAndListen(kLoopback, 0, 1, log.Get()));
    uint32_t address = 0;
    int port = 0;
    ASSERT_TRUE(listening.GetLocalAddress(&address, &port));
    EXPECT_EQ(address, kLoopback);
    ASSERT_NE(port, 0);

    CConnection client;
    CountingObserver clientTraffic;
    client.SetTrafficObserver(&clientTraffic);
    ASSERT_TRUE(client.ConnectAddress(kLoopback, port, nullptr));
    CConnection data;
    CountingObserver dataTraffic;
    data.SetTrafficObserver(&dataTraffic);
    ASSERT_TRUE(listening.Accept(data, log.Get())) << listening.GetLastError();

    uint32_t peer = 0;
    int peerPort = 0;
    int clientPort = 0;
    ASSERT_TRUE(data.GetPeerAddress(&peer, &peerPort));
    ASSERT_TRUE(client.GetLocalAddress(&address, &clientPort));
    EXPECT_EQ(peerPort, clientPort);
    EXPECT_EQ(log.Text(), "S:\tListen started at 127.0.0.1:" + std::to_string(port) + ".\r\n" +
                              "S:\tSocket accepted from 127.0.0.1:" + std::to_string(clientPort) + ".\r\n");

    const std::string request = "RETR file.txt\r\n";
    ASSERT_EQ(client.Send(request.data(), static_cast<int>(request.size())),
              static_cast<int>(request.size()));
    char buffer[64] = {};
    int size = sizeof buffer;
    // WaitData peeks: the bytes stay for the next receive.
    EXPECT_EQ(data.WaitData(buffer, &size, 5000), 0);
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(size)), request);
    EXPECT_EQ(data.Recv(buffer, sizeof buffer), static_cast<int>(request.size()));
    EXPECT_EQ(std::string(buffer, request.size()), request);
    EXPECT_EQ(clientTraffic.sent, static_cast<long>(request.size()));
    EXPECT_EQ(dataTraffic.received, static_cast<long>(request.size())); // the peek is not traffic

    // Nothing more to read: WaitData gives 0 and size 0 after its wait.
    size = sizeof buffer;
    EXPECT_EQ(data.WaitData(buffer, &size, 200), 0);
    EXPECT_EQ(size, 0);

    // The peer closes: a receive gives 0 with no error, WaitData 10053.
    client.Close();
    EXPECT_FALSE(client.IsConnected());
    size = sizeof buffer;
    EXPECT_EQ(data.WaitData(buffer, &size, 5000), WSAECONNABORTED);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(data.GetLastError(), WSAECONNABORTED);
    EXPECT_EQ(data.Recv(buffer, sizeof buffer), 0);
    EXPECT_EQ(data.GetLastError(), 0);
}

// A raw peek leaves the bytes queued, so the observer hears of them once,
// when they are taken (the proxy handshake peeks at the CONNECT reply).
TEST(Connection, RawPeekIsNotTraffic)
{
    CConnection client;
    CConnection data;
    ASSERT_NO_FATAL_FAILURE(ConnectPair(client, data));
    CountingObserver traffic;
    data.SetTrafficObserver(&traffic);

    ASSERT_EQ(client.SendRaw("abc", 3, 0), 3);
    char buffer[3] = {};
    ASSERT_EQ(data.RecvRaw(buffer, 3, MSG_PEEK), 3);
    EXPECT_EQ(traffic.received, 0);
    ASSERT_EQ(data.RecvRaw(buffer, 3, 0), 3);
    EXPECT_EQ(std::string(buffer, 3), "abc");
    EXPECT_EQ(traffic.received, 3);
}

// A server that never opens the data connection does not hold the accept for
// ever: it ends with the listening connection's time-out.
TEST(Connection, AcceptEndsAtTheTimeout)
{
    SilentListener elsewhere;
    CCapturedLog log;
    CConnection listening;
    listening.SetTimeout(300);
    ASSERT_TRUE(listening.BindAndListen(kLoopback, 0, 1, nullptr));
    CConnection data;
    ASSERT_TRUE(data.ConnectAddress(kLoopback, elsewhere.port, nullptr));

    auto accepted = std::async(std::launch::async, [&] { return listening.Accept(data, log.Get()); });
    ASSERT_EQ(accepted.wait_for(kPatience), std::future_status::ready);
    EXPECT_FALSE(accepted.get());
    EXPECT_EQ(listening.GetLastError(), WSAETIMEDOUT);
    EXPECT_EQ(log.Text(), "E:\tCan't accept (error: 10060).\r\n");
    EXPECT_FALSE(data.IsConnected());     // its earlier socket is gone
    EXPECT_TRUE(listening.IsConnected()); // still listening for a retry
}

TEST(Connection, BindToATakenPortFails)
{
    CConnection first;
    ASSERT_TRUE(first.BindAndListen(kLoopback, 0, 1, nullptr));
    uint32_t address = 0;
    int port = 0;
    ASSERT_TRUE(first.GetLocalAddress(&address, &port));
    CCapturedLog log;
    CConnection second;
    EXPECT_FALSE(second.Bind(kLoopback, port, log.Get()));
    EXPECT_EQ(second.GetLastError(), WSAEADDRINUSE);
    EXPECT_EQ(log.Text(), "E:\tCan't bind to 127.0.0.1:" + std::to_string(port) + " (error: 10048).\r\n");
}

// The sweep closes the socket of a call past its deadline; the call then
// fails with the time-out code, and the connection can connect again.
TEST(SocketDeadlineRegistry, SweepEndsAnOverdueCall)
{
    SilentListener listener;
    CConnection connection;
    ASSERT_TRUE(connection.ConnectAddress(kLoopback, listener.port, nullptr));
    connection.SetTimeout(0); // overdue as soon as it is registered

    auto blocked = std::async(std::launch::async,
                              [&]
                              {
                                  char byte = 0;
                                  return connection.RecvRaw(&byte, 1, 0);
                              });
    // The call gives up by itself only a sweep period after its deadline;
    // until then only the sweep can end it.
    int swept = 0;
    const auto start = std::chrono::steady_clock::now();
    while (swept == 0 && std::chrono::steady_clock::now() - start < kPatience &&
           blocked.wait_for(0s) != std::future_status::ready)
    {
        swept = SweepExpiredSockets();
        std::this_thread::yield();
    }
    EXPECT_EQ(swept, 1);
    ASSERT_EQ(blocked.wait_for(kPatience), std::future_status::ready);
    EXPECT_EQ(blocked.get(), -1);
    EXPECT_EQ(connection.GetLastError(), kResultTimeout);
    EXPECT_FALSE(connection.IsConnected());

    connection.SetTimeout(CConnection::kDefaultTimeoutMs);
    EXPECT_TRUE(connection.ConnectAddress(kLoopback, listener.port, nullptr));
}

// A call that finished removes its entry: nothing is left to sweep.
TEST(SocketDeadlineRegistry, FinishedCallsLeaveNothing)
{
    CConnection client;
    CConnection data;
    ASSERT_NO_FATAL_FAILURE(ConnectPair(client, data));

    client.SetTimeout(0);
    data.SetTimeout(0);
    ASSERT_EQ(client.SendRaw("ab", 2, 0), 2);
    char buffer[2];
    ASSERT_EQ(data.RecvRaw(buffer, 2, 0), 2);
    EXPECT_EQ(SweepExpiredSockets(), 0);
    EXPECT_TRUE(client.IsConnected());
    EXPECT_TRUE(data.IsConnected());
}

TEST(SocketDeadlineRegistry, SetNeedsASocket)
{
    CConnection connection;
    CSocketHandle* handle = connection.GetHandle();
    const int64_t past = SocketDeadlineClock() - 1;
    EXPECT_FALSE(SetSocketDeadline(handle, 1, past)); // no socket yet
    EXPECT_FALSE(SetSocketDeadline(handle, 0, 0));

    SilentListener listener;
    ASSERT_TRUE(connection.ConnectAddress(kLoopback, listener.port, nullptr));
    const int64_t later = SocketDeadlineClock() + 60000;
    EXPECT_TRUE(SetSocketDeadline(handle, 1, later));
    EXPECT_EQ(SweepExpiredSockets(), 0);             // not due yet
    EXPECT_TRUE(SetSocketDeadline(handle, 1, past)); // replaced
    EXPECT_EQ(SweepExpiredSockets(), 1);
    EXPECT_FALSE(connection.IsConnected());
    EXPECT_FALSE(SetSocketDeadline(handle, 0, 0)); // the sweep removed it
}

// A handle that goes away with its deadline still registered must not be
// left in the registry for the next sweep.
TEST(SocketDeadlineRegistry, DeletedHandleLeavesTheRegistry)
{
    SilentListener listener;
    {
        CConnection connection;
        ASSERT_TRUE(connection.ConnectAddress(kLoopback, listener.port, nullptr));
        ASSERT_TRUE(SetSocketDeadline(connection.GetHandle(), 1, SocketDeadlineClock() - 1));
    }
    EXPECT_EQ(SweepExpiredSockets(), 0); // ASan would also flag a use of the freed handle
}

TEST(SocketHandle, OutlivesItsConnectionWhileHeld)
{
    SilentListener listener;
    CSocketHandle* handle = nullptr;
    {
        CConnection connection;
        ASSERT_TRUE(connection.ConnectAddress(kLoopback, listener.port, nullptr));
        handle = connection.GetHandle();
        EXPECT_EQ(handle->AddRef(), 2);
        EXPECT_TRUE(handle->IsValid());
    }
    // The connection closed the socket and dropped its reference; ours keeps
    // the handle, and the last Release frees it (ASan watches both).
    EXPECT_FALSE(handle->IsValid());
    EXPECT_EQ(handle->Release(), 0);
}

} // namespace
