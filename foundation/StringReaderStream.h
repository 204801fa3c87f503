#pragma once
// CStringReaderStream: a read-only byte stream over its own copy of a string,
// handing out the characters in order. It lets a text held in memory go
// wherever a stream is read (the markup parser, for one).
//
// Write always fails; Tell and Seek work over the copy (Seek clamps to
// [0, size]).

#include "foundation/StreamInterface.h"

#include <cstdint>
#include <string>
#include <string_view>

class CStringReaderStream : public StreamInterface
{
public:
    explicit CStringReaderStream(std::string_view text);

    int32_t Read(void* buffer, int32_t count) override;
    // Always -1: the stream is read-only.
    int32_t Write(const void* bytes, int32_t count) override;
    int64_t Tell() override;
    int64_t Seek(int64_t offset, int origin) override;

private:
    std::string m_text;
    size_t m_position = 0;
};
