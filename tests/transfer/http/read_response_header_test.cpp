#include "transfer/http/ReadResponseHeader.h"

#include <gtest/gtest.h>

#include "tests/support/BufferText.h"

#include <string>

#include "foundation/text/ByteBuffer.h"
#include "foundation/stores/CookieStore.h"
#include "foundation/links/LinkItem.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/ScriptedHttpChannel.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/base/TransferLimits.h"
#include "transfer/base/TransferLog.h"

namespace
{

// The header text without its zero byte.
std::string HeaderText(const CByteBuffer& header)
{
    std::string text = Bytes(header);
    if (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

class ReadResponseHeaderTest : public ::testing::Test
{
protected:
    int Read(EInterimResponses interim = kSkipInterim)
    {
        return ReadResponseHeader(m_channel, m_receive, m_item, m_header, m_status, m_log.Get(), nullptr, interim);
    }

    CScriptedHttpChannel m_channel;
    CByteBuffer m_receive;
    CByteBuffer m_header;
    CLinkItem m_item;
    int m_status = -1;
    CCapturedLog m_log;
};

const std::string kOk = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n";

} // namespace

TEST_F(ReadResponseHeaderTest, HeaderSplitOverReadsLeavesTheBodyStart)
{
    m_channel.AddBytes("HTTP/1.1 200 OK\r\nContent-");
    m_channel.AddBytes("Length: 5\r\n\r");
    m_channel.AddBytes("\nhel");
    EXPECT_EQ(Read(), kResultOk);
    EXPECT_EQ(m_status, 200);
    EXPECT_EQ(HeaderText(m_header), kOk);
    EXPECT_EQ(Bytes(m_header).back(), '\0');
    EXPECT_EQ(Bytes(m_receive), "hel");
    EXPECT_FALSE(m_channel.m_dropped);
    EXPECT_EQ(m_log.Text(), "S:\tReceived reply.\r\n<:\tHTTP/1.1 200 OK\r\n\tContent-Length: 5\r\n\t\r\n");
}

// "100 Continue" and other interim answers come before the real one; taking
// them for it would end the request with an empty response and leave the
// real one on the connection for the next request.
TEST_F(ReadResponseHeaderTest, InterimResponsesAreReadPast)
{
    m_channel.AddBytes("HTTP/1.1 100 Continue\r\n\r\n");
    m_channel.AddBytes("HTTP/1.1 103 Early Hints\r\nLink: </a.css>; rel=preload\r\n\r\n" + kOk + "hello");
    EXPECT_EQ(Read(), kResultOk);
    EXPECT_EQ(m_status, 200);
    EXPECT_EQ(HeaderText(m_header), kOk);
    EXPECT_EQ(Bytes(m_receive), "hello");
}

TEST_F(ReadResponseHeaderTest, InterimResponseReturnedWhenAskedFor)
{
    m_channel.AddBytes("HTTP/1.1 100 Continue\r\n\r\n" + kOk);
    EXPECT_EQ(Read(kReturnInterim), kResultOk);
    EXPECT_EQ(m_status, 100);
    EXPECT_EQ(Read(), kResultOk);
    EXPECT_EQ(m_status, 200);
}

TEST_F(ReadResponseHeaderTest, SwitchingProtocolsIsAFinalAnswer)
{
    m_channel.AddBytes("HTTP/1.1 101 Switching Protocols\r\nUpgrade: x\r\n\r\n");
    EXPECT_EQ(Read(), kResultOk);
    EXPECT_EQ(m_status, 101);
}

TEST_F(ReadResponseHeaderTest, EndlessInterimResponsesAreAProtocolError)
{
    std::string wire;
    for (int i = 0; i < kMaxInterimResponses; ++i)
        wire += "HTTP/1.1 102 Processing\r\n\r\n";
    m_channel.AddBytes(wire + kOk);
    EXPECT_EQ(Read(), kResultProtocolError);
    EXPECT_TRUE(m_channel.m_dropped);
}

TEST_F(ReadResponseHeaderTest, FailuresDropTheConnection)
{
    const struct
    {
        const char* name;
        std::string wire;
        bool close;
        int error;
        int result;
        const char* logged;
    } cases[] = {
        {"no status line", "HTTP/1.1 OK\r\n\r\n", false, 0, kResultProtocolError, ""},
        {"not HTTP", "SSH-2.0-OpenSSH\r\n\r\n", false, 0, kResultProtocolError, ""},
        {"closed before the blank line", "HTTP/1.1 200 OK\r\n", true, 0, kResultControlClosed,
         "E:\tControl connection closed.\r\n"},
        {"reset", "", false, 10054, 10054, "E:\tControl connection closed (10054).\r\n"},
        {"time-out", "HTTP/1.1 200 OK\r\n", false, 0, kResultTimeout,
         "E:\tTimeout on: \"HTTP reply read\".\r\n"},
        {"header past the cap", "HTTP/1.1 200 OK\r\nX: " + std::string(kMaxResponseHeaderSize, 'x'), false, 0,
         kResultProtocolError, "E:\tProtocol error: response header too long.\r\n"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CScriptedHttpChannel channel;
        if (!c.wire.empty())
            channel.AddBytes(c.wire);
        if (c.close)
            channel.AddClose();
        if (c.error)
            channel.AddError(c.error);
        CByteBuffer receive;
        CByteBuffer header;
        int status = -1;
        CCapturedLog log;
        EXPECT_EQ(ReadResponseHeader(channel, receive, m_item, header, status, log.Get(), nullptr), c.result);
        EXPECT_EQ(status, 0);
        EXPECT_TRUE(channel.m_dropped);
        EXPECT_NE(log.Text().find(c.logged), std::string::npos) << log.Text();
    }
}

TEST_F(ReadResponseHeaderTest, AbortedReadStops)
{
    m_channel.AddBytes("HTTP/1.1 200 OK\r\n");
    m_channel.m_aborted = true;
    EXPECT_EQ(Read(), kResultStopped);
    EXPECT_TRUE(m_channel.m_dropped);
}

TEST(StoreResponseCookie, StoresTheFirstCookieWhenCookiesAreOn)
{
    CByteBuffer header;
    const std::string text = "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\nSet-Cookie: b=2\r\n\r\n";
    ASSERT_TRUE(header.Grow(static_cast<int32_t>(text.size())));
    std::copy(text.begin(), text.end(), header.GetData());
    header.SetLength(static_cast<int32_t>(text.size()));

    CLinkItem item;
    ASSERT_TRUE(item.SetUrl("http://www.example.com/a/b.html", false));
    for (bool on : {false, true})
    {
        SCOPED_TRACE(on);
        item.SetFlag(LI_REQUEST_OPTIONS, LI_OPTION_SEND_COOKIES, on);
        CCookieStore store;
        StoreResponseCookie(item, header, store);
        std::string cookies;
        store.GetCookieHeader("www.example.com", "/", false, cookies);
        EXPECT_EQ(cookies, on ? "a=1" : "");
    }
}
