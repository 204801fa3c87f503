#pragma once
// CStringReaderStream: a read-only byte stream over its own copy of a string,
// handing out the characters in order. It lets a text held in memory go
// wherever a stream is read (the markup parser, for one). It reads exactly
// as CMemoryReadStream does; only the ownership of the bytes differs.

#include "foundation/text/MemoryReadStream.h"

#include <string>
#include <string_view>

namespace detail
{
// Holds the copy; a base class so that it exists before the stream over it.
struct StringReaderStorage
{
    std::string m_text;
};
} // namespace detail

class CStringReaderStream : private detail::StringReaderStorage, public CMemoryReadStream
{
public:
    explicit CStringReaderStream(std::string_view text);
    CStringReaderStream(const CStringReaderStream&) = delete;
    CStringReaderStream& operator=(const CStringReaderStream&) = delete;
};
