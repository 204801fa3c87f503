#pragma once
// CMemoryReadStream: a read-only byte stream over bytes the caller owns and
// keeps alive for the stream's lifetime; nothing is copied, so a secret
// (the deciphered password file) exists in one buffer only. Besides the
// stream operations it hands out lines with their line feed kept.
// CStringReaderStream is the choice when the stream should own a copy.
//
// Write always fails; Tell and Seek work over the bytes (Seek clamps to
// [0, size]).

#include "foundation/text/StreamInterface.h"

#include <cstddef>
#include <cstdint>
#include <string>

class CMemoryReadStream : public StreamInterface
{
public:
    CMemoryReadStream(const void* data, size_t size);

    int32_t Read(void* buffer, int32_t count) override;
    // Always -1: the stream is read-only.
    int32_t Write(const void* bytes, int32_t count) override;
    int64_t Tell() override;
    int64_t Seek(int64_t offset, int origin) override;

    // The bytes from the position up to and including the next '\n', or to
    // the end when no '\n' follows. False, with line emptied, at the end.
    bool ReadLine(std::string& line);

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_position = 0;
};
