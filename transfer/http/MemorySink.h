#pragma once
// CMemorySink: a byte stream over a CByteBuffer that the caller owns, with a
// position of its own. The HTTP client reads bodies that nobody wants (error
// pages, redirect texts) into one to log them.

#include "foundation/text/StreamInterface.h"

#include <cstdint>

class CByteBuffer;

class CMemorySink : public StreamInterface
{
public:
    // buffer may be null: the sink then takes nothing.
    explicit CMemorySink(CByteBuffer* buffer) : m_buffer(buffer) {}

    // Copies up to count bytes from the position; 0 at the end or without a
    // buffer.
    int32_t Read(void* buffer, int32_t count) override;
    // Writes count bytes at the position (so a sink that was never moved
    // appends), growing the buffer in its growth steps and its length when
    // the bytes pass its end, and advances the position. Returns count; 0
    // without a buffer; -1 (nothing written) when the buffer cannot grow or
    // count is negative.
    int32_t Write(const void* bytes, int32_t count) override;
    int64_t Tell() override { return m_position; }
    // origin 1 adds the position to offset, origin 2 the length, any other
    // origin nothing; a negative result becomes 0 and one past the end the
    // length. Returns the new position.
    int64_t Seek(int64_t offset, int origin) override;

private:
    CByteBuffer* m_buffer;
    int32_t m_position = 0;
};
