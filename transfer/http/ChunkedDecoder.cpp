#include "transfer/http/ChunkedDecoder.h"

#include <string_view>

#include "foundation/text/ByteBuffer.h"
#include "platform/core/Text.h"
#include "transfer/http/HttpChannel.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/base/TransferLimits.h"

namespace
{

constexpr std::string_view kLineEnd = "\r\n";

// The position of the "\r\n" that ends a line of at most limit bytes at the
// front of bytes: npos while more bytes are needed, and then tooLong set when
// the line is already longer than the limit.
size_t FindLineEnd(std::string_view bytes, size_t limit, bool& tooLong)
{
    tooLong = false;
    const size_t end = bytes.substr(0, limit + kLineEnd.size()).find(kLineEnd);
    if (end == std::string_view::npos && bytes.size() >= limit + kLineEnd.size())
        tooLong = true;
    return end;
}

// The chunk size at the front of line (see the header); false when it has no
// digit or is too large to be believed.
bool ParseChunkSize(std::string_view line, int64_t& size)
{
    size_t i = 0;
    bool digits = false;
    while (i < line.size() && line[i] == '0')
    {
        ++i;
        digits = true;
    }
    if (i < line.size() && (line[i] == 'x' || line[i] == 'X'))
    {
        ++i;
        while (i < line.size() && line[i] == '0')
        {
            ++i;
            digits = true;
        }
    }
    int64_t value = 0;
    for (; i < line.size() && HexDigitValue(line[i]) >= 0; ++i)
    {
        value = value * 16 + HexDigitValue(line[i]);
        digits = true;
        if (value > kMaxContentLength)
            return false;
    }
    if (!digits)
        return false;
    size = value;
    return true;
}

} // namespace

int CChunkedDecoder::Fail()
{
    m_state = kFailed;
    return kResultProtocolError;
}

int CChunkedDecoder::ReadSizeLine(CByteBuffer& receive)
{
    bool tooLong = false;
    const std::string_view bytes = receive.GetText();
    const size_t end = FindLineEnd(bytes, kMaxChunkSizeLine, tooLong);
    if (tooLong)
        return Fail();
    if (end == std::string_view::npos)
        return kNeedMore;
    int64_t size = 0;
    if (end == 0 || !ParseChunkSize(bytes.substr(0, end), size))
        return Fail();
    receive.Erase(0, static_cast<int32_t>(end + kLineEnd.size()));
    m_chunkLeft = size;
    m_state = size == 0 ? kTrailer : kData;
    return kResultOk;
}

int CChunkedDecoder::ReadTrailerLine(CByteBuffer& receive)
{
    bool tooLong = false;
    const std::string_view bytes = receive.GetText();
    const size_t end =
        FindLineEnd(bytes, static_cast<size_t>(kMaxChunkTrailerSize - m_trailerBytes), tooLong);
    if (tooLong)
        return Fail();
    if (end == std::string_view::npos)
        return kNeedMore;
    m_trailerBytes += static_cast<int32_t>(end + kLineEnd.size());
    receive.Erase(0, static_cast<int32_t>(end + kLineEnd.size()));
    if (end == 0)
        m_state = kDone;
    return kResultOk;
}

int CChunkedDecoder::Decode(CByteBuffer& receive, IChunkDataSink& sink)
{
    for (;;)
    {
        int result = kResultOk;
        switch (m_state)
        {
        case kSizeLine:
            result = ReadSizeLine(receive);
            break;
        case kData:
        {
            const int32_t available = receive.GetLength();
            if (available <= 0)
                return kNeedMore;
            const int32_t n = m_chunkLeft < available ? static_cast<int32_t>(m_chunkLeft) : available;
            // Taken from the buffer before the sink sees it, so a sink that
            // stops decoding never sees the same bytes twice.
            result = sink.OnChunkData(receive.GetData(), n);
            receive.Erase(0, n);
            m_chunkLeft -= n;
            m_dataBytes += n;
            if (m_chunkLeft == 0)
                m_state = kDataEnd;
            if (result != kResultOk)
                return result;
            break;
        }
        case kDataEnd:
            if (receive.GetLength() < 2)
                return kNeedMore;
            if (receive.GetText().substr(0, 2) != kLineEnd)
                return Fail();
            receive.Erase(0, 2);
            m_state = kSizeLine;
            break;
        case kTrailer:
            result = ReadTrailerLine(receive);
            break;
        case kDone:
            return kResultOk;
        case kFailed:
            return kResultProtocolError;
        }
        if (result != kResultOk)
            return result;
    }
}
