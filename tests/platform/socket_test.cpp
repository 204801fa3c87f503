#include "platform/core/Socket.h"
#include "platform/core/SocketError.h"

#include "tests/support/ThreadBlocked.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <future>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>

namespace
{

using namespace std::chrono_literals;

const uint32_t kLoopback = htonl(INADDR_LOOPBACK);

// How long a test waits for something that should happen at once; only a
// broken socket layer ever reaches it.
constexpr auto kPatience = 10s;

// A socket listening on 127.0.0.1 at a port of the system's choice.
struct Listener
{
    std::shared_ptr<CSocket> socket;
    int port = 0;

    Listener()
    {
        int error = 0;
        socket = CSocket::Create(&error);
        EXPECT_TRUE(socket) << error;
        if (!socket)
            return;
        EXPECT_TRUE(socket->Bind(kLoopback, 0, &error)) << error;
        EXPECT_TRUE(socket->Listen(8, &error)) << error;
        uint32_t address = 0;
        EXPECT_TRUE(socket->GetLocalAddress(&address, &port, &error)) << error;
    }
};

std::shared_ptr<CSocket> ConnectTo(int port)
{
    int error = 0;
    std::shared_ptr<CSocket> socket = CSocket::Create(&error);
    if (socket && !socket->Connect(kLoopback, port, 5000, &error))
    {
        ADD_FAILURE() << "connect to " << port << " failed: " << error;
        return nullptr;
    }
    return socket;
}

bool IsOpenDescriptor(int fd)
{
    return ::fcntl(fd, F_GETFD) != -1;
}

TEST(SocketError, MapsErrnoToWinSockNumbers)
{
    const struct
    {
        int errnoValue;
        int expected;
    } cases[] = {
        {0, 0},
        {ECONNREFUSED, 10061},
        {ETIMEDOUT, 10060},
        {ECONNRESET, 10054},
        {ECONNABORTED, 10053},
        {EPIPE, 10053},
        {ENETDOWN, 10050},
        {EHOSTDOWN, 10064},
        {EHOSTUNREACH, 10065},
        {ENETUNREACH, 10051},
        {EADDRINUSE, 10048},
        {EADDRNOTAVAIL, 10049},
        {EWOULDBLOCK, 10035},
        {EAGAIN, 10035},
        {EINPROGRESS, 10036},
        {ENOTCONN, 10057},
        {ENOBUFS, 10055},
        {EMFILE, 10024},
        {EINVAL, 10022},
        {EACCES, 10013},
        {ENOENT, 10107},
        {EBADF, 10107},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MapSocketError(c.errnoValue), c.expected) << "errno " << c.errnoValue;
}

TEST(Socket, ConnectToAClosedPortIsRefused)
{
    // Bound and never listened on, and held for the whole test: a port that
    // was merely released could meanwhile be taken by another test's server.
    int error = 0;
    std::shared_ptr<CSocket> closed = CSocket::Create(&error);
    ASSERT_TRUE(closed && closed->Bind(kLoopback, 0, &error)) << error;
    uint32_t address = 0;
    int port = 0;
    ASSERT_TRUE(closed->GetLocalAddress(&address, &port, &error)) << error;
    std::shared_ptr<CSocket> socket = CSocket::Create(&error);
    ASSERT_TRUE(socket);
    EXPECT_FALSE(socket->Connect(kLoopback, port, 5000, &error));
    EXPECT_EQ(error, WSAECONNREFUSED);
}

TEST(Socket, RoundTripAndEndOfStream)
{
    Listener listener;
    std::shared_ptr<CSocket> client = ConnectTo(listener.port);
    ASSERT_TRUE(client);
    int error = 0;
    std::shared_ptr<CSocket> server = listener.socket->Accept(5000, &error);
    ASSERT_TRUE(server) << error;

    uint32_t peer = 0;
    int peerPort = 0;
    ASSERT_TRUE(server->GetPeerAddress(&peer, &peerPort, &error));
    uint32_t local = 0;
    int localPort = 0;
    ASSERT_TRUE(client->GetLocalAddress(&local, &localPort, &error));
    EXPECT_EQ(peer, kLoopback);
    EXPECT_EQ(peerPort, localPort);

    // Larger than the socket buffers, so Send must wait for the reader.
    std::string payload(4 << 20, '\0');
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<char>(i * 7 + (i >> 12));
    auto sender = std::async(std::launch::async,
                             [&]
                             {
                                 int sendError = -1;
                                 const long sent =
                                     client->Send(payload.data(), payload.size(), 0, 10000, &sendError);
                                 client.reset(); // the end of the stream for the reader
                                 return std::make_pair(sent, sendError);
                             });

    std::string received;
    char buffer[65536];
    for (int reads = 0; reads < 100000; ++reads)
    {
        const long n = server->Recv(buffer, sizeof buffer, 0, 10000, &error);
        ASSERT_GE(n, 0) << error;
        if (n == 0)
            break;
        received.append(buffer, static_cast<size_t>(n));
    }
    const auto [sent, sendError] = sender.get();
    EXPECT_EQ(sent, static_cast<long>(payload.size()));
    EXPECT_EQ(sendError, 0);
    EXPECT_EQ(error, 0); // end of stream is not an error
    EXPECT_TRUE(received == payload) << received.size() << " bytes of " << payload.size();
}

TEST(Socket, SendToAClosedPeerFailsWithoutSignal)
{
    Listener listener;
    std::shared_ptr<CSocket> client = ConnectTo(listener.port);
    ASSERT_TRUE(client);
    int error = 0;
    listener.socket->Accept(5000, &error).reset(); // accepted and closed at once

    // The first sends may still be taken; a later one meets the reset. A
    // SIGPIPE here would end the test program.
    long result = 0;
    std::string block(65536, 'x');
    for (int i = 0; i < 1000 && result >= 0; ++i)
        result = client->Send(block.data(), block.size(), 0, 5000, &error);
    EXPECT_EQ(result, -1);
    EXPECT_TRUE(error == WSAECONNRESET || error == WSAECONNABORTED) << error;
}

TEST(Socket, SilentPeerTimesOut)
{
    Listener listener; // never accepts: the connection waits in the backlog
    std::shared_ptr<CSocket> client = ConnectTo(listener.port);
    ASSERT_TRUE(client);
    char byte = 0;
    int error = 0;
    EXPECT_EQ(client->Recv(&byte, 1, 0, 300, &error), -1);
    EXPECT_EQ(error, WSAETIMEDOUT);
    EXPECT_EQ(client->WaitReadable(0, &error), 0);
    EXPECT_FALSE(client->IsAborted());
}

TEST(Socket, AcceptTimesOutWithoutCaller)
{
    Listener listener;
    int error = 0;
    EXPECT_EQ(listener.socket->Accept(300, &error), nullptr);
    EXPECT_EQ(error, WSAETIMEDOUT);
}

TEST(Socket, WaitReadableSeesDataAndLeavesIt)
{
    Listener listener;
    std::shared_ptr<CSocket> client = ConnectTo(listener.port);
    ASSERT_TRUE(client);
    int error = 0;
    std::shared_ptr<CSocket> server = listener.socket->Accept(5000, &error);
    ASSERT_TRUE(server);
    ASSERT_EQ(server->Send("hello", 5, 0, 5000, &error), 5);
    EXPECT_EQ(client->WaitReadable(5000, &error), 1);
    // With the data there, a zero wait must see it too (idle checks ask so).
    EXPECT_EQ(client->WaitReadable(0, &error), 1);
    char buffer[8] = {};
    EXPECT_EQ(client->Recv(buffer, sizeof buffer, MSG_PEEK, 5000, &error), 5);
    EXPECT_EQ(client->Recv(buffer, sizeof buffer, 0, 5000, &error), 5);
    EXPECT_EQ(std::string(buffer, 5), "hello");
}

// Abort from another thread ends blocked receive, accept and wait at once,
// whatever their time-out.
TEST(Socket, AbortWakesBlockedCalls)
{
    Listener listener;
    std::shared_ptr<CSocket> client = ConnectTo(listener.port);
    ASSERT_TRUE(client);

    enum Call
    {
        kRecv,
        kAccept,
        kWait,
    };
    for (Call call : {kRecv, kAccept, kWait})
    {
        SCOPED_TRACE(call == kRecv ? "recv" : call == kAccept ? "accept" : "wait");
        // A listener with nothing queued, so that accept blocks.
        Listener idle;
        std::shared_ptr<CSocket> target = call == kAccept ? idle.socket : client;
        if (call == kWait)
        {
            target = ConnectTo(listener.port);
            ASSERT_TRUE(target);
        }
        std::atomic<pid_t> tid{0};
        auto blocked = std::async(std::launch::async,
                                  [&]
                                  {
                                      tid = CurrentThreadId();
                                      int error = 0;
                                      char byte = 0;
                                      long result = 0;
                                      if (call == kRecv)
                                          result = target->Recv(&byte, 1, 0, -1, &error);
                                      else if (call == kAccept)
                                          result = target->Accept(-1, &error) ? 1 : -1;
                                      else
                                          result = target->WaitReadable(-1, &error);
                                      return std::make_pair(result, error);
                                  });
        const auto start = std::chrono::steady_clock::now();
        while (tid == 0 && std::chrono::steady_clock::now() - start < kPatience)
            std::this_thread::yield();
        EXPECT_TRUE(WaitUntilThreadSleeps(tid, kPatience));
        target->Abort();
        ASSERT_EQ(blocked.wait_for(kPatience), std::future_status::ready);
        const auto [result, error] = blocked.get();
        EXPECT_EQ(result, -1);
        EXPECT_EQ(error, WSAECONNABORTED);
        EXPECT_TRUE(target->IsAborted());
        // Every later call fails the same way.
        int later = 0;
        EXPECT_EQ(target->Send("x", 1, 0, 1000, &later), -1);
        EXPECT_EQ(later, WSAECONNABORTED);
    }
}

// A call in progress keeps the descriptor: dropping every other reference
// does not close it, so no new socket can be given its number.
TEST(Socket, DescriptorOutlivesOtherReferencesWhileACallRuns)
{
    Listener listener;
    std::shared_ptr<CSocket> client = ConnectTo(listener.port);
    ASSERT_TRUE(client);
    const int fd = client->GetDescriptor();
    const std::weak_ptr<CSocket> watch = client;

    std::atomic<pid_t> tid{0};
    std::thread blocked(
        [&tid, call = client]
        {
            tid = CurrentThreadId();
            char byte = 0;
            int error = 0;
            call->Recv(&byte, 1, 0, -1, &error);
        });
    const auto start = std::chrono::steady_clock::now();
    while (tid == 0 && std::chrono::steady_clock::now() - start < kPatience)
        std::this_thread::yield();
    EXPECT_TRUE(WaitUntilThreadSleeps(tid, kPatience));

    client.reset(); // the call's own reference is the last one now
    EXPECT_TRUE(IsOpenDescriptor(fd));
    std::vector<std::shared_ptr<CSocket>> fresh;
    for (int i = 0; i < 16; ++i)
    {
        int error = 0;
        fresh.push_back(CSocket::Create(&error));
        ASSERT_TRUE(fresh.back());
        EXPECT_NE(fresh.back()->GetDescriptor(), fd);
    }

    {
        // Still alive, as the blocked thread holds it; whoever aborts holds a
        // reference too, so the woken call cannot free it under Abort.
        const std::shared_ptr<CSocket> again = watch.lock();
        ASSERT_TRUE(again);
        again->Abort();
    }
    blocked.join();
    EXPECT_FALSE(IsOpenDescriptor(fd)); // the call let go: now it closes
}

TEST(Socket, BufferSizeIsSet)
{
    int error = 0;
    std::shared_ptr<CSocket> socket = CSocket::Create(&error);
    ASSERT_TRUE(socket);
    ASSERT_TRUE(socket->SetBufferSize(true, 65536, &error));
    // Linux doubles what it is asked for, to make room for its bookkeeping.
    EXPECT_EQ(socket->GetBufferSize(true), 2 * 65536);
    ASSERT_TRUE(socket->SetBufferSize(false, 32768, &error));
    EXPECT_EQ(socket->GetBufferSize(false), 2 * 32768);
}

} // namespace
