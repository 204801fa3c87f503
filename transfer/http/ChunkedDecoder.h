#pragma once
// CChunkedDecoder: undoes the chunked transfer coding of an HTTP body (RFC
// 9112 7.1) as its bytes arrive. It keeps its place between calls, so each
// piece of a chunk goes out as soon as it is received: a body is never held
// in memory a whole chunk at a time, however large the chunk a server
// announces. Every line it waits for is capped (TransferLimits.h).
//
// Chunk-size lines are read the tolerant way: leading '0's, then an optional
// "x" and more '0's, then hex digits up to the first other character, so
// "0x5" is 5 and chunk extensions (";name=value") are ignored. At least one
// digit must be there. Trailer fields after the last chunk are read and
// dropped.

#include <cstdint>

class CByteBuffer;

// Takes the data of the chunks, piece by piece, in order.
class IChunkDataSink
{
public:
    virtual ~IChunkDataSink() = default;
    // kResultOk (0) to go on; a positive value stops decoding and is returned
    // by Decode as it is.
    virtual int OnChunkData(const uint8_t* data, int32_t n) = 0;
};

class CChunkedDecoder
{
public:
    // Decode's answer while the body has not ended and the bytes so far were
    // all consumed.
    static constexpr int kNeedMore = -1;

    // Consumes bytes from the front of receive: framing is erased as it is
    // read, chunk data as the sink takes it. Returns kNeedMore when every
    // complete piece was consumed (an incomplete line stays in receive);
    // 0 when the last chunk and its trailer were read (bytes after them stay
    // in receive: they belong to the next response); kResultProtocolError
    // (kResultProtocolError) for a malformed or oversized line, a chunk size beyond
    // kMaxContentLength or chunk data not followed by "\r\n"; or the sink's
    // stopping value. After an error the decoder stays failed.
    int Decode(CByteBuffer& receive, IChunkDataSink& sink);

    // The last chunk and the trailer have been read.
    bool IsFinished() const { return m_state == kDone; }
    // Chunk data handed to the sink so far.
    int64_t GetDataBytes() const { return m_dataBytes; }

private:
    enum EState
    {
        kSizeLine,
        kData,
        kDataEnd,
        kTrailer,
        kDone,
        kFailed,
    };

    int ReadSizeLine(CByteBuffer& receive);
    int ReadTrailerLine(CByteBuffer& receive);
    int Fail();

    EState m_state = kSizeLine;
    int64_t m_chunkLeft = 0;
    int64_t m_dataBytes = 0;
    int32_t m_trailerBytes = 0;
};
