#include "transfer/http/ReadBody.h"

#include <gtest/gtest.h>

#include "tests/support/BufferText.h"

#include <cstring>
#include <string>

#include "foundation/text/ByteBuffer.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/ScriptedHttpChannel.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/base/TransferLimits.h"
#include "transfer/base/TransferLog.h"

namespace
{

// A header block as SplitResponseHeader leaves it: the block and a zero byte.
void Header(CByteBuffer& header, const std::string& fields)
{
    Fill(header, "HTTP/1.1 200 OK\r\n" + fields + "\r\n");
    ASSERT_TRUE(header.AppendByte(0));
}

} // namespace

TEST(ReadBody, EndsWhereTheBodyEnds)
{
    const struct
    {
        const char* name;
        std::string buffered; // came with the header
        std::vector<std::string> receives;
        bool closeAtEnd;
        int64_t expected;
        bool chunked;
        int result;
        std::string body;
        bool dropped;
    } cases[] = {
        {"length, all buffered", "abcdefgh", {}, false, 8, false, kResultOk, "abcdefgh", false},
        {"length over receives", "ab", {"cde", "fgh"}, false, 8, false, kResultOk, "abcdefgh", false},
        {"zero length reads nothing", "", {}, false, 0, false, kResultOk, "", false},
        {"10 bytes for 8", "abcdefghij", {}, false, 8, false, kResultOk, "abcdefgh", true},
        {"closed early", "", {"abc"}, true, 8, false, kResultControlClosed, "abc", true},
        {"unknown length ends at close", "ab", {"cd"}, true, -1, false, kResultOk, "abcd", true},
        {"chunked over receives",
         "5\r\nhe",
         {"llo\r\n", "0\r\n\r\n"},
         false,
         -1,
         true,
         kResultOk,
         "hello",
         false},
        {"chunked, closed before its last chunk",
         "5\r\nhello\r\n",
         {},
         true,
         -1,
         true,
         kResultControlClosed,
         "hello",
         true},
        {"chunked shorter than expected",
         "5\r\nhello\r\n0\r\n\r\n",
         {},
         false,
         8,
         true,
         kResultControlClosed,
         "hello",
         true},
        {"chunked cut at expected",
         "5\r\nhello\r\n5\r\nworld\r\n0\r\n\r\n",
         {},
         false,
         8,
         true,
         kResultOk,
         "hellowor",
         true},
        {"malformed chunk", "5\r\nhelloXX", {}, false, -1, true, kResultProtocolError, "hello", true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CScriptedHttpChannel channel;
        for (const std::string& bytes : c.receives)
            channel.AddBytes(bytes);
        if (c.closeAtEnd)
            channel.AddClose();
        CByteBuffer receive;
        Fill(receive, c.buffered);
        CRecordingStream sink;
        CRecordingProgress progress;
        CCapturedLog log;
        EXPECT_EQ(ReadBody(channel, receive, sink, c.expected, c.chunked, log.Get(), &progress), c.result)
            << log.Text();
        EXPECT_EQ(sink.m_bytes, c.body);
        EXPECT_EQ(channel.m_dropped, c.dropped);
        EXPECT_EQ(progress.m_advanced, static_cast<int64_t>(c.body.size()));
        EXPECT_EQ(progress.m_total, c.result == kResultOk ? static_cast<int64_t>(c.body.size()) : -2);
        // Nothing of this body is left to be taken for the next response.
        if (c.result == kResultOk && !c.dropped)
        {
            EXPECT_EQ(receive.GetLength(), 0);
        }
    }
}

TEST(ReadBody, LogsWhyABodyEndedEarly)
{
    {
        CScriptedHttpChannel channel;
        channel.AddBytes("abc");
        channel.AddClose();
        CByteBuffer receive;
        CRecordingStream sink;
        CCapturedLog log;
        EXPECT_EQ(ReadBody(channel, receive, sink, 8, false, log.Get(), nullptr), kResultControlClosed);
        EXPECT_NE(log.Text().find(
                      "E:\tTransfer aborted: closed by server, bytes expected 8 Bytes, received 3.\r\n"),
                  std::string::npos)
            << log.Text();
    }
    {
        CScriptedHttpChannel channel;
        channel.AddError(10054);
        CByteBuffer receive;
        CRecordingStream sink;
        CCapturedLog log;
        EXPECT_EQ(ReadBody(channel, receive, sink, 8, false, log.Get(), nullptr), 10054);
        EXPECT_TRUE(channel.m_dropped);
        EXPECT_NE(
            log.Text().find("E:\tTransfer aborted: connection closed (error: 10054), bytes expected 8 Bytes, "
                            "received 0.\r\n"),
            std::string::npos)
            << log.Text();
    }
    {
        CScriptedHttpChannel channel; // an empty script times out
        CByteBuffer receive;
        CRecordingStream sink;
        CCapturedLog log;
        EXPECT_EQ(ReadBody(channel, receive, sink, -1, true, log.Get(), nullptr), kResultTimeout);
        EXPECT_TRUE(channel.m_dropped);
        EXPECT_NE(log.Text().find("E:\tTimeout on: \"HTTP recv body\".\r\n"), std::string::npos)
            << log.Text();
    }
}

TEST(ReadBody, ShortWriteIsDiskFull)
{
    for (bool chunked : {false, true})
    {
        SCOPED_TRACE(chunked);
        CScriptedHttpChannel channel;
        CByteBuffer receive;
        Fill(receive, chunked ? "8\r\nabcdefgh\r\n0\r\n\r\n" : "abcdefgh");
        CRecordingStream sink;
        sink.m_room = 5;
        CCapturedLog log;
        EXPECT_EQ(ReadBody(channel, receive, sink, chunked ? -1 : 8, chunked, log.Get(), nullptr),
                  kResultDiskFull);
        EXPECT_TRUE(channel.m_dropped);
        EXPECT_NE(log.Text().find("E:\tTransfer aborted: cannot write to file, no disk space.\r\n"),
                  std::string::npos)
            << log.Text();
    }
}

TEST(ReadBody, AbortStopsBetweenReceives)
{
    CScriptedHttpChannel channel;
    channel.AddBytes("abc");
    channel.AddBytes("def");
    CByteBuffer receive;
    CRecordingStream sink;
    // Another thread stops the client while the first block is written.
    sink.m_afterWrite = [&channel](CRecordingStream&) { channel.m_aborted = true; };
    EXPECT_EQ(ReadBody(channel, receive, sink, 100, false, nullptr, nullptr), kResultStopped);
    EXPECT_EQ(sink.m_bytes, "abc");
    EXPECT_EQ(channel.m_receiveCalls, 1);
    EXPECT_TRUE(channel.m_dropped);

    CScriptedHttpChannel stopped;
    stopped.m_aborted = true;
    Fill(receive, "abc");
    EXPECT_EQ(ReadBody(stopped, receive, sink, 3, false, nullptr, nullptr), kResultStopped);
    EXPECT_EQ(stopped.m_receiveCalls, 0);
}

TEST(ReadBody, ReceivesInBlocksOfTheExpectedSize)
{
    const struct
    {
        int64_t expected;
        int block;
    } cases[] = {{100, 100}, {0x7FFF, 0x7FFF}, {0x8000, 0x8000}, {1 << 20, 0x8000}, {-1, 0x8000}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.expected);
        CScriptedHttpChannel channel;
        channel.AddBytes(std::string(70000, 'x'));
        channel.AddClose();
        CByteBuffer receive;
        CRecordingStream sink;
        // Only the block size asked of the channel matters here.
        (void)ReadBody(channel, receive, sink, c.expected, false, nullptr, nullptr);
        EXPECT_EQ(channel.m_blockSizes, std::vector<int>{c.block});
        EXPECT_LE(receive.GetCapacity(), 2 * c.block);
    }
}

TEST(ReadBodyToLog, FindsTheEndOfAnUnwantedBody)
{
    const struct
    {
        const char* name;
        std::string fields;
        std::string wire;
        int result;
        bool dropped;
        std::string left; // bytes of the next response
    } cases[] = {
        {"length", "Content-Length: 5\r\n", "hello", kResultOk, false, ""},
        // Bytes after a body of known length, sent before the next request,
        // are no response to anything.
        {"more than announced", "Content-Length: 5\r\n", "helloNEXT", kResultOk, true, ""},
        {"chunked", "Transfer-Encoding: Chunked\r\n", "5\r\nhello\r\n0\r\n\r\nNEXT", kResultOk, false,
         "NEXT"},
        {"zero length", "Content-Length: 0\r\n", "NEXT", kResultOk, false, "NEXT"},
        {"no length: the end cannot be found", "", "hello", kResultOk, true, "hello"},
        {"negative length", "Content-Length: -1\r\n", "hello", kResultProtocolError, true, "hello"},
        {"length that is no number", "Content-Length: 5x\r\n", "hello", kResultProtocolError, true, "hello"},
        {"two different lengths", "Content-Length: 5\r\nContent-Length: 6\r\n", "hello", kResultProtocolError,
         true, "hello"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CByteBuffer header;
        Header(header, c.fields);
        CScriptedHttpChannel channel;
        CByteBuffer receive;
        Fill(receive, c.wire);
        EXPECT_EQ(ReadBodyToLog(channel, receive, header, nullptr, false), c.result);
        EXPECT_EQ(channel.m_dropped, c.dropped);
        EXPECT_EQ(Bytes(receive), c.left);
    }
}

// A body nobody wants is read only up to its cap, then its connection is
// dropped: a server that sends one without end (here: more than the script
// holds, after which a receive times out) never holds the request.
TEST(ReadBodyToLog, StopsAtTheCapAndDropsTheConnection)
{
    std::string chunks;
    while (chunks.size() < 2 * kMaxUnwantedBodySize)
        chunks += "8000\r\n" + std::string(0x8000, 'c') + "\r\n";
    const struct
    {
        const char* name;
        std::string fields;
        std::string wire;
    } cases[] = {
        {"chunked without a last chunk", "Transfer-Encoding: chunked\r\n", chunks},
        {"a length of a gigabyte", "Content-Length: 1073741824\r\n",
         std::string(2 * kMaxUnwantedBodySize, 'x')},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CByteBuffer header;
        Header(header, c.fields);
        CScriptedHttpChannel channel;
        channel.AddBytes(c.wire);
        CByteBuffer receive;
        EXPECT_EQ(ReadBodyToLog(channel, receive, header, nullptr, false), kResultOk);
        EXPECT_TRUE(channel.m_dropped);
        EXPECT_LT(channel.m_received, kMaxUnwantedBodySize + 0x10000);
    }
}

TEST(ReadBodyToLog, ShowsTheBodyBetweenDashedLines)
{
    CByteBuffer header;
    Header(header, "Content-Length: 10\r\nConnection: close\r\n");
    CScriptedHttpChannel channel;
    channel.AddBytes("Not here.\n");
    CByteBuffer receive;
    CCapturedLog log;
    EXPECT_EQ(ReadBodyToLog(channel, receive, header, log.Get(), true), kResultOk);
    const std::string dashes(43, '-');
    EXPECT_EQ(log.Text(), "S:\t" + dashes + "\r\n\tNot here.\r\nS:\t" + dashes + "\r\n");
    EXPECT_TRUE(channel.m_keepAliveEnded);
    EXPECT_FALSE(channel.m_dropped);

    CCapturedLog quiet;
    channel.AddBytes("Not here.\n");
    EXPECT_EQ(ReadBodyToLog(channel, receive, header, quiet.Get(), false), kResultOk);
    EXPECT_EQ(quiet.Text(), "");
}

// An error page of any size is read to its end to keep the connection in
// step, but only its beginning is kept for the log.
TEST(ReadBodyToLog, KeepsOnlyTheBeginningOfALargeBody)
{
    const std::string body = std::string(kMaxLoggedBodySize, 'a') + std::string(200000, 'b');
    CByteBuffer header;
    Header(header, "Content-Length: " + std::to_string(body.size()) + "\r\n");
    CScriptedHttpChannel channel;
    channel.AddBytes(body);
    CByteBuffer receive;
    CCapturedLog log;
    EXPECT_EQ(ReadBodyToLog(channel, receive, header, log.Get(), true), kResultOk);
    EXPECT_FALSE(channel.m_dropped);
    EXPECT_EQ(channel.m_received, static_cast<int64_t>(body.size()));
    EXPECT_EQ(receive.GetLength(), 0);
    const std::string text = log.Text();
    EXPECT_NE(text.find(std::string(kMaxLoggedBodySize, 'a')), std::string::npos);
    EXPECT_EQ(text.find('b'), std::string::npos);
}
