#include "transfer/net/IdleConnectionProbe.h"

#include "platform/core/SocketError.h"
#include "transfer/net/Connection.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <string>

namespace
{
const uint32_t kLoopback = htonl(0x7F000001);

// A connected pair on 127.0.0.1: the client side is the one probed.
struct ConnectedPair
{
    CConnection client;
    CConnection server;
    bool Open()
    {
        CConnection listening;
        uint32_t address = 0;
        int port = 0;
        return listening.BindAndListen(kLoopback, 0, 1, nullptr) &&
               listening.GetLocalAddress(&address, &port) &&
               client.ConnectAddress(kLoopback, port, nullptr) && listening.Accept(server, nullptr);
    }
    // Until something (data or the close) is waiting at the client, so the
    // probe does not race the loopback.
    int WaitAtClient()
    {
        char peek[8];
        int size = sizeof peek;
        return client.WaitData(peek, &size, 5000);
    }
};

TEST(IdleConnectionProbe, QuietStrayAndClosed)
{
    ConnectedPair pair;
    ASSERT_TRUE(pair.Open());
    std::string stray = "left over";
    EXPECT_EQ(ProbeIdleConnection(pair.client, stray), IdleProbeResult::Quiet);
    EXPECT_EQ(stray, "");

    // A late answer on the idle connection is read away and handed out.
    const std::string late = "HTTP/1.1 408 Request Timeout\r\nConnection: close\r\n\r\n";
    ASSERT_EQ(pair.server.Send(late.data(), int(late.size())), int(late.size()));
    ASSERT_EQ(pair.WaitAtClient(), 0);
    EXPECT_EQ(ProbeIdleConnection(pair.client, stray), IdleProbeResult::Stray);
    EXPECT_EQ(stray, late);
    EXPECT_EQ(pair.client.GetTimeout(), CConnection::kDefaultTimeoutMs); // restored after the read
    EXPECT_EQ(ProbeIdleConnection(pair.client, stray), IdleProbeResult::Quiet);

    pair.server.Close();
    ASSERT_EQ(pair.WaitAtClient(), WSAECONNABORTED);
    EXPECT_EQ(ProbeIdleConnection(pair.client, stray), IdleProbeResult::Closed);
}

TEST(IdleConnectionProbe, StrayReadIsCapped)
{
    ConnectedPair pair;
    ASSERT_TRUE(pair.Open());
    const std::string flood(kIdleProbeStrayBytes + 5000, 'x');
    ASSERT_EQ(pair.server.Send(flood.data(), int(flood.size())), int(flood.size()));
    ASSERT_EQ(pair.WaitAtClient(), 0);
    std::string stray;
    EXPECT_EQ(ProbeIdleConnection(pair.client, stray), IdleProbeResult::Stray);
    EXPECT_GT(stray.size(), 0u);
    EXPECT_LE(stray.size(), size_t(kIdleProbeStrayBytes));
}

TEST(IdleConnectionProbe, NoSocketIsClosed)
{
    CConnection never;
    std::string stray;
    EXPECT_EQ(ProbeIdleConnection(never, stray), IdleProbeResult::Closed);
}
} // namespace
