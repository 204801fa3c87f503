#include "transfer/http/ReadBody.h"

#include <string>

#include "foundation/text/ByteBuffer.h"
#include "foundation/text/DisplayFormats.h"
#include "foundation/text/StreamInterface.h"
#include "platform/core/Text.h"
#include "transfer/base/OptionalLog.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/base/TransferLimits.h"
#include "transfer/base/TransferProgress.h"
#include "transfer/http/ChunkedDecoder.h"
#include "transfer/http/ContentLength.h"
#include "transfer/http/HttpChannel.h"
#include "transfer/http/HttpKeepAlive.h"
#include "transfer/http/HttpResponseHeader.h"
#include "transfer/http/MemorySink.h"

namespace
{

constexpr int kNeedMore = -1;
constexpr int32_t kLargestBlock = 0x8000;

// The body writer's signal that the expected count is complete; positive, so
// that the chunked decoder hands it back unchanged.
constexpr int kExpectedReached = 1;

// Hands body bytes to the sink: cuts them at the expected count, counts them
// and tells the progress observer.
class CBodyWriter : public IChunkDataSink
{
public:
    // limit: the most bytes read before the rest is left behind with the
    // dropped connection (-1: none); reaching it reads as complete.
    CBodyWriter(IHttpChannel& channel, StreamInterface& sink, int64_t expected, ITransferLog* log,
                ITransferProgress* progress, int64_t limit = -1)
        : m_channel(channel), m_sink(sink), m_expected(expected), m_limit(limit), m_log(log),
          m_progress(progress)
    {
    }

    // 0 to go on, kExpectedReached, or kResultDiskFull.
    int OnChunkData(const uint8_t* data, int32_t n) override
    {
        if (m_expected >= 0 && n > m_expected - m_received)
        {
            // More than the server announced: what follows cannot be trusted.
            m_overrun = true;
            m_channel.Drop();
            n = static_cast<int32_t>(m_expected - m_received);
        }
        if (n > 0)
        {
            if (m_sink.Write(data, n) != n)
            {
                m_channel.Drop();
                LogFormat(m_log, kLogError, "Transfer aborted: cannot write to file, no disk space.");
                return kResultDiskFull;
            }
            m_received += n;
            if (m_progress)
                m_progress->Advance(n);
        }
        if (m_expected >= 0 && m_received == m_expected)
            return kExpectedReached;
        if (m_limit >= 0 && m_received >= m_limit)
        {
            m_channel.Drop();
            return kExpectedReached;
        }
        return kResultOk;
    }

    int64_t Received() const { return m_received; }
    int64_t Expected() const { return m_expected; }
    bool Overrun() const { return m_overrun; }

private:
    IHttpChannel& m_channel;
    StreamInterface& m_sink;
    const int64_t m_expected;
    const int64_t m_limit;
    ITransferLog* const m_log;
    ITransferProgress* const m_progress;
    int64_t m_received = 0;
    bool m_overrun = false;
};

// A chunked body that ended (or was cut off) before the count it should
// have come to.
void LogChunkedCutShort(ITransferLog* log, const CBodyWriter& writer)
{
    LogFormat(log, kLogError,
              "Chunked transfer aborted: connection closed by server, bytes expected %I64d, received %I64d.",
              writer.Expected(), writer.Received());
}

// Consumes the receive buffer: 0 when the body is complete, kNeedMore, or a
// result code.
int DecodeBody(IHttpChannel& channel, CByteBuffer& receive, CBodyWriter& writer, CChunkedDecoder* chunked,
               ITransferLog* log)
{
    if (channel.IsAborted())
        return kResultStopped;
    if (!chunked)
    {
        const int result = writer.OnChunkData(receive.GetData(), receive.GetLength());
        // Bytes past the expected count are not the body's; the connection
        // is dropped already.
        receive.Erase(0, receive.GetLength());
        if (result == kExpectedReached)
            return kResultOk;
        return result == kResultOk ? kNeedMore : result;
    }

    const int result = chunked->Decode(receive, writer);
    if (result == kExpectedReached)
    {
        // The rest of the chunked framing is still on the connection.
        if (!chunked->IsFinished())
            channel.Drop();
        return kResultOk;
    }
    if (result == CChunkedDecoder::kNeedMore)
        return kNeedMore;
    if (result == kResultOk && writer.Expected() >= 0 && writer.Received() != writer.Expected())
    {
        LogChunkedCutShort(log, writer);
        return kResultControlClosed;
    }
    return result;
}

void LogTransferAborted(ITransferLog* log, const std::string& reason, const CBodyWriter& writer)
{
    LogMessage(log, kLogError, kMessageTransferAborted, reason.c_str(), FormatSize(writer.Expected()).c_str(),
               Format("%I64d", writer.Received()).c_str());
}

// The connection closed: the end of the body, or too early.
int OnServerClosed(const CBodyWriter& writer, const CChunkedDecoder* chunked, ITransferLog* log,
                   ITransferProgress* progress)
{
    if (chunked)
    {
        // Without its last chunk a chunked body is cut short, whatever its
        // length: reporting it complete would install a truncated file.
        LogChunkedCutShort(log, writer);
        return kResultControlClosed;
    }
    if (writer.Expected() == -1 || writer.Expected() == writer.Received())
    {
        if (progress)
            progress->SetTotal(writer.Received());
        return kResultOk;
    }
    LogTransferAborted(log, "closed by server", writer);
    return kResultControlClosed;
}

// Keeps the first bytes of an unwanted body for the log and counts the rest
// away.
class CLoggedBodySink : public StreamInterface
{
public:
    explicit CLoggedBodySink(CByteBuffer& buffer) : m_buffer(buffer), m_memory(&buffer) {}

    int32_t Read(void*, int32_t) override { return -1; }
    int32_t Write(const void* bytes, int32_t count) override
    {
        const int32_t room = kMaxLoggedBodySize - m_buffer.GetLength();
        const int32_t keep = count < room ? count : room;
        if (keep > 0 && m_memory.Write(bytes, keep) != keep)
            return -1;
        return count;
    }
    int64_t Tell() override { return -1; }
    int64_t Seek(int64_t, int) override { return -1; }

private:
    CByteBuffer& m_buffer;
    CMemorySink m_memory;
};

} // namespace

bool IsChunkedBody(const CByteBuffer& header)
{
    std::string coding;
    return FindHttpHeader(header, HttpHeaderName::kTransferEncoding, coding) &&
           EqualsNoCase(coding, "chunked");
}

namespace
{
int ReadBodyUpTo(IHttpChannel& channel, CByteBuffer& receive, StreamInterface& sink, int64_t expected,
                 bool chunked, ITransferLog* log, ITransferProgress* progress, int64_t limit)
{
    if (channel.IsAborted())
    {
        channel.Drop();
        return kResultStopped;
    }
    if (expected < -1)
        expected = -1;
    CBodyWriter writer(channel, sink, expected, log, progress, limit);
    CChunkedDecoder decoder;
    CChunkedDecoder* const chunkedDecoder = chunked ? &decoder : nullptr;

    int result = DecodeBody(channel, receive, writer, chunkedDecoder, log);
    const int32_t block =
        expected >= 1 && expected < kLargestBlock ? static_cast<int32_t>(expected) : kLargestBlock;
    if (result == kNeedMore)
        channel.SetReceiveBlockSize(block);
    while (result == kNeedMore)
    {
        if (channel.IsAborted())
        {
            result = kResultStopped;
            break;
        }
        int error = 0;
        const int count = ReceiveAppend(channel, receive, block, error);
        if (channel.IsAborted())
        {
            result = kResultStopped;
            break;
        }
        if (count == 0)
        {
            channel.Drop();
            return OnServerClosed(writer, chunkedDecoder, log, progress);
        }
        if (count < 0)
        {
            if (error == kResultTimeout)
                LogMessage(log, kLogError, kMessageTimeoutOn, "HTTP recv body");
            else
                LogTransferAborted(log, Format("connection closed (error: %d)", error), writer);
            channel.Drop();
            return error;
        }
        result = DecodeBody(channel, receive, writer, chunkedDecoder, log);
        if (result != kResultOk && result != kNeedMore && result != kResultStopped)
            LogFormat(log, kLogError, "ReadHTTPRawBody error.");
    }
    if (result == kResultOk)
    {
        if (progress)
            progress->SetTotal(writer.Received());
        return kResultOk;
    }
    if (result == kResultProtocolError)
        LogMessage(log, kLogError, kMessageProtocolError, "incorrect chunked encoding");
    channel.Drop();
    return result;
}
} // namespace

int ReadBody(IHttpChannel& channel, CByteBuffer& receive, StreamInterface& sink, int64_t expected,
             bool chunked, ITransferLog* log, ITransferProgress* progress)
{
    return ReadBodyUpTo(channel, receive, sink, expected, chunked, log, progress, -1);
}

int ReadBodyToLog(IHttpChannel& channel, CByteBuffer& receive, const CByteBuffer& header, ITransferLog* log,
                  bool showDetails)
{
    if (channel.IsAborted())
    {
        channel.Drop();
        return kResultStopped;
    }
    UpdateKeepAlive(channel, header);

    const bool chunked = IsChunkedBody(header);
    int64_t expected = -1;
    if (!chunked)
    {
        switch (FindContentLength(header, expected))
        {
        case kContentLengthAbsent:
            // The body runs to the end of the connection: nothing to wait for.
            channel.Drop();
            return kResultOk;
        case kContentLengthInvalid:
            LogMessage(log, kLogError, kMessageProtocolError, "invalid Content-Length");
            channel.Drop();
            return kResultProtocolError;
        case kContentLengthValid:
            if (expected <= 0)
                return kResultOk;
            break;
        }
    }

    CByteBuffer body;
    CLoggedBodySink sink(body);
    // A body past the cap is not worth its connection: the first part is
    // read (and shown), then the connection is dropped.
    const int result =
        ReadBodyUpTo(channel, receive, sink, expected, chunked, log, nullptr, kMaxUnwantedBodySize);
    if (result != kResultOk)
    {
        channel.Drop();
        return result;
    }
    if (showDetails && body.GetLength() > 0 && log)
    {
        const std::string dashes(43, '-');
        log->AppendLine(kLogStatus, dashes);
        log->AppendLine(kLogContinuation, body.GetText());
        log->AppendLine(kLogStatus, dashes);
    }
    return kResultOk;
}
