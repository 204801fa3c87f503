#include "transfer/http/HttpKeepAlive.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/text/ByteBuffer.h"
#include "tests/support/ScriptedHttpChannel.h"

TEST(HttpKeepAlive, OnlyACloseFromTheServerEndsKeepAlive)
{
    const struct
    {
        const char* fields;
        bool keeps;
    } cases[] = {
        {"", true},
        {"Connection: keep-alive\r\n", true},
        {"Connection: close\r\n", false},
        {"Connection: CLOSE\r\n", false},
        {"Proxy-Connection: close\r\n", false},
        // The proxy's word counts over the server's.
        {"Connection: close\r\nProxy-Connection: keep-alive\r\n", true},
        {"Connection: keep-alive\r\nProxy-Connection: Close\r\n", false},
        {"Keep-Alive: timeout=1 max=5\r\n", false},
        {"Keep-Alive: timeout=15, max=100\r\n", true},
        {"X-Connection: close\r\n", true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.fields);
        const std::string text = std::string("HTTP/1.1 200 OK\r\n") + c.fields + "\r\n";
        CByteBuffer header;
        ASSERT_TRUE(header.Grow(static_cast<int32_t>(text.size())));
        std::copy(text.begin(), text.end(), header.GetData());
        header.SetLength(static_cast<int32_t>(text.size()));
        EXPECT_EQ(ResponseKeepsConnection(header), c.keeps);
        CScriptedHttpChannel channel;
        UpdateKeepAlive(channel, header);
        EXPECT_EQ(channel.m_keepAliveEnded, !c.keeps);
        EXPECT_FALSE(channel.m_dropped);
    }
}
