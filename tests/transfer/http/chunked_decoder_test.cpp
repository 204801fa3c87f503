#include "transfer/http/ChunkedDecoder.h"

#include <gtest/gtest.h>

#include "tests/support/BufferText.h"

#include <cstring>
#include <string>
#include <vector>

#include "foundation/text/ByteBuffer.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/base/TransferLimits.h"

namespace
{

class CCollectingSink : public IChunkDataSink
{
public:
    int OnChunkData(const uint8_t* data, int32_t n) override
    {
        m_data.append(reinterpret_cast<const char*>(data), static_cast<size_t>(n));
        m_pieces.push_back(n);
        return m_stopWith;
    }
    std::string m_data;
    std::vector<int32_t> m_pieces;
    int m_stopWith = kResultOk;
};

void Append(CByteBuffer& buffer, const std::string& bytes)
{
    const int32_t length = buffer.GetLength();
    ASSERT_TRUE(buffer.Grow(static_cast<int32_t>(bytes.size()) + 1));
    std::memcpy(buffer.GetData() + length, bytes.data(), bytes.size());
    buffer.SetLength(length + static_cast<int32_t>(bytes.size()));
}

// Feeds bytes to a new decoder in pieces of `step` bytes (0: all at once)
// and returns the last result.
int DecodeInSteps(const std::string& bytes, size_t step, CCollectingSink& sink, CByteBuffer& receive)
{
    CChunkedDecoder decoder;
    int result = CChunkedDecoder::kNeedMore;
    const size_t size = step == 0 ? bytes.size() : step;
    for (size_t at = 0; at < bytes.size() && result == CChunkedDecoder::kNeedMore; at += size)
    {
        Append(receive, bytes.substr(at, size));
        result = decoder.Decode(receive, sink);
    }
    return result;
}

} // namespace

TEST(ChunkedDecoder, DecodesWhateverWayTheBytesArrive)
{
    const struct
    {
        const char* name;
        std::string wire;
        std::string data;
        std::string after; // what stays in the buffer: the next response
    } cases[] = {
        {"one chunk", "5\r\nhello\r\n0\r\n\r\n", "hello", ""},
        {"0x form and leading zeros", "0x5\r\nhello\r\n0005\r\nworld\r\n000\r\n\r\n", "helloworld", ""},
        {"hex digits of both cases", "a\r\n0123456789\r\nA\r\nabcdefghij\r\n0\r\n\r\n",
         "0123456789abcdefghij", ""},
        {"extensions ignored", "5;name=value\r\nhello\r\n0;last\r\n\r\n", "hello", ""},
        {"trailer fields dropped", "5\r\nhello\r\n0\r\nExpires: never\r\nX-Sum: 1\r\n\r\n", "hello", ""},
        {"next response kept", "3\r\nabc\r\n0\r\n\r\nHTTP/1.1 200 OK\r\n", "abc", "HTTP/1.1 200 OK\r\n"},
        {"empty body", "0\r\n\r\n", "", ""},
    };
    for (const auto& c : cases)
    {
        for (size_t step : {size_t(0), size_t(1), size_t(3)})
        {
            SCOPED_TRACE(std::string(c.name) + ", step " + std::to_string(step));
            CCollectingSink sink;
            CByteBuffer receive;
            EXPECT_EQ(DecodeInSteps(c.wire, step, sink, receive), kResultOk);
            EXPECT_EQ(sink.m_data, c.data);
            // Byte by byte, the "next response" may not have been fed yet.
            if (step == 0)
            {
                EXPECT_EQ(Bytes(receive), c.after);
            }
        }
    }
}

// A piece of a chunk goes to the sink as soon as it is there: a server that
// announces a huge chunk never makes the client hold it in memory.
TEST(ChunkedDecoder, StreamsPiecesOfALargeChunk)
{
    CChunkedDecoder decoder;
    CCollectingSink sink;
    CByteBuffer receive;
    Append(receive, "100000\r\n" + std::string(1000, 'a'));
    EXPECT_EQ(decoder.Decode(receive, sink), CChunkedDecoder::kNeedMore);
    EXPECT_EQ(sink.m_data, std::string(1000, 'a'));
    EXPECT_EQ(receive.GetLength(), 0);

    Append(receive, std::string(0x100000 - 1000, 'b') + "\r\n0\r\n\r\n");
    EXPECT_EQ(decoder.Decode(receive, sink), kResultOk);
    EXPECT_EQ(sink.m_data.size(), 0x100000u);
    EXPECT_EQ(decoder.GetDataBytes(), 0x100000);
    EXPECT_TRUE(decoder.IsFinished());
}

TEST(ChunkedDecoder, MalformedFramingIsAProtocolError)
{
    const struct
    {
        const char* name;
        std::string wire;
    } cases[] = {
        {"empty size line", "\r\nhello"},
        {"no digit", "zz\r\nhello\r\n"},
        {"only an x", "x\r\n"},
        {"data not followed by CRLF", "5\r\nhelloXY0\r\n\r\n"},
        {"size above the cap", "4000000000001\r\n"},
        {"size that overflows 64 bits", "FFFFFFFFFFFFFFFFFFFF\r\n"},
        {"size line without end", "1" + std::string(kMaxChunkSizeLine + 10, '0')},
        {"trailer without end", "0\r\nX: " + std::string(kMaxChunkTrailerSize + 10, 'v')},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CCollectingSink sink;
        CByteBuffer receive;
        EXPECT_EQ(DecodeInSteps(c.wire, 0, sink, receive), kResultProtocolError);
    }
}

// A size line is waited for up to the cap, and no further.
TEST(ChunkedDecoder, SizeLineCapIsExact)
{
    {
        CChunkedDecoder decoder;
        CCollectingSink sink;
        CByteBuffer receive;
        Append(receive, std::string(kMaxChunkSizeLine - 1, '0') + "5\r");
        EXPECT_EQ(decoder.Decode(receive, sink), CChunkedDecoder::kNeedMore);
        Append(receive, "\nhello\r\n0\r\n\r\n");
        EXPECT_EQ(decoder.Decode(receive, sink), kResultOk);
        EXPECT_EQ(sink.m_data, "hello");
    }
    {
        CChunkedDecoder decoder;
        CCollectingSink sink;
        CByteBuffer receive;
        Append(receive, std::string(kMaxChunkSizeLine, '0') + "5\r\n");
        EXPECT_EQ(decoder.Decode(receive, sink), kResultProtocolError);
        // Failed stays failed.
        Append(receive, "0\r\n\r\n");
        EXPECT_EQ(decoder.Decode(receive, sink), kResultProtocolError);
    }
}

TEST(ChunkedDecoder, SinkCanStopDecoding)
{
    CChunkedDecoder decoder;
    CCollectingSink sink;
    sink.m_stopWith = kResultDiskFull;
    CByteBuffer receive;
    Append(receive, "5\r\nhello\r\n5\r\nworld\r\n0\r\n\r\n");
    EXPECT_EQ(decoder.Decode(receive, sink), kResultDiskFull);
    // The bytes the sink saw are gone from the buffer; nothing else was taken.
    EXPECT_EQ(sink.m_data, "hello");
    EXPECT_EQ(Bytes(receive), "\r\n5\r\nworld\r\n0\r\n\r\n");
}
