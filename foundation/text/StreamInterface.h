#pragma once
// The abstract byte stream through which the markup writer and reader, the
// protocol clients and the stores move bytes: the buffered file and the
// memory streams implement it. Counts are 32-bit, positions 64-bit.
//
// A stream that cannot tell or move its position (an archive adapter)
// answers -1 from Tell and Seek. Destroying a stream through this interface
// is allowed; the interface itself holds nothing.

#include <cstdint>

class StreamInterface
{
public:
    virtual ~StreamInterface() = default;

    // Copies up to count bytes into buffer; returns how many (0 at the end),
    // or -1 on failure.
    virtual int32_t Read(void* buffer, int32_t count) = 0;
    // Takes count bytes; returns count, or -1 when the bytes were not taken.
    virtual int32_t Write(const void* bytes, int32_t count) = 0;
    // The position of the next byte read or written, or -1.
    virtual int64_t Tell() = 0;
    // origin 0 from the start, 1 from the current position, 2 from the end;
    // returns the new position, or -1.
    virtual int64_t Seek(int64_t offset, int origin) = 0;
};
