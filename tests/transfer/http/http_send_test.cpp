#include "transfer/http/HttpSend.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/CapturedLog.h"
#include "tests/support/ScriptedHttpChannel.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/base/TransferLog.h"

namespace
{

} // namespace

TEST(HttpSend, HeaderIsSentWholeAndLoggedMasked)
{
    CScriptedHttpChannel channel;
    CCapturedLog log;
    const std::string request = "GET / HTTP/1.1\r\nAuthorization: Basic Ym9iOnNlY3JldA==\r\n\r\n";
    const std::string masked = "GET / HTTP/1.1\r\nAuthorization: *****\r\n\r\n";
    EXPECT_EQ(SendHeader(channel, request, masked, log.Get()), kResultOk);
    EXPECT_EQ(channel.m_sent, request);
    EXPECT_EQ(log.Text().find("Ym9i"), std::string::npos) << log.Text();
    EXPECT_EQ(log.Text().find("S:\tSending request: \"HTTP GET\".\r\n>:\tGET / HTTP/1.1\r\n"), 0u)
        << log.Text();

    CCapturedLog plain;
    EXPECT_EQ(SendHeader(channel, "HEAD /x HTTP/1.0\r\n\r\n", "", plain.Get()), kResultOk);
    EXPECT_EQ(plain.Text().find("S:\tSending request: \"HTTP HEAD\".\r\n>:\tHEAD /x HTTP/1.0"), 0u)
        << plain.Text();
}

TEST(HttpSend, FailedSendDropsTheConnectionAndNeverReadsAsSuccess)
{
    const struct
    {
        int error;
        int result;
        const char* headerLine;
        const char* dataLine;
    } cases[] = {
        {kResultTimeout, kResultTimeout, "E:\tTimeout on: \"HTTP\".\r\n",
         "E:\tTimeout on: \"HTTP data send.\".\r\n"},
        {10053, 10053, "E:\tRequest failed on sending: connection closed (error: 10053).\r\n",
         "E:\tData send failed.\r\n"},
        // A channel that cannot say why still fails the request.
        {0, kResultControlClosed, "E:\tRequest failed on sending: connection closed (error: 1006).\r\n",
         "E:\tData send failed.\r\n"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.error);
        CScriptedHttpChannel channel;
        channel.m_sendError = c.error;
        channel.m_failSendWithoutReason = true;
        CCapturedLog log;
        EXPECT_EQ(SendHeader(channel, "GET / HTTP/1.1\r\n\r\n", "", log.Get()), c.result);
        EXPECT_TRUE(channel.m_dropped);
        EXPECT_NE(log.Text().find(c.headerLine), std::string::npos) << log.Text();

        CScriptedHttpChannel dataChannel;
        dataChannel.m_sendError = c.error;
        dataChannel.m_failSendWithoutReason = true;
        CCapturedLog dataLog;
        EXPECT_EQ(SendData(dataChannel, "abc", 3, dataLog.Get(), 0), c.result);
        EXPECT_TRUE(dataChannel.m_dropped);
        EXPECT_NE(dataLog.Text().find(c.dataLine), std::string::npos) << dataLog.Text();
    }
}

TEST(HttpSend, DataShowsItsFirstBytes)
{
    CScriptedHttpChannel channel;
    CCapturedLog log;
    const std::string body("a\0b=c&d=e", 9);
    EXPECT_EQ(SendData(channel, body.data(), 9, log.Get(), 5), kResultOk);
    EXPECT_EQ(channel.m_sent, body);
    EXPECT_EQ(log.Text(), "S:\tSending data: 9 bytes.\r\n>:\ta?b=c\r\n");

    CCapturedLog quiet;
    EXPECT_EQ(SendData(channel, body.data(), 9, quiet.Get(), 0), kResultOk);
    EXPECT_EQ(quiet.Text(), "S:\tSending data: 9 bytes.\r\n");
}
