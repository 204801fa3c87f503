#pragma once
// Byte buffers as test text: filling one from a string and reading one back.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "foundation/text/ByteBuffer.h"

inline std::string Bytes(const CByteBuffer& buffer)
{
    if (buffer.GetLength() <= 0)
        return std::string();
    return std::string(reinterpret_cast<const char*>(buffer.GetData()),
                       static_cast<size_t>(buffer.GetLength()));
}

// Makes buffer hold exactly bytes (read position 0).
inline void Fill(CByteBuffer& buffer, const std::string& bytes)
{
    buffer.SetLength(0);
    buffer.SetReadPos(0);
    ASSERT_TRUE(buffer.Grow(static_cast<int32_t>(bytes.size()) + 1));
    std::memcpy(buffer.GetData(), bytes.data(), bytes.size());
    buffer.SetLength(static_cast<int32_t>(bytes.size()));
}
