#include "foundation/StringReaderStream.h"

#include <algorithm>
#include <cstring>

CStringReaderStream::CStringReaderStream(std::string_view text)
    : m_text(text)
{
}

int32_t CStringReaderStream::Read(void* buffer, int32_t count)
{
    if (count <= 0 || !buffer)
        return 0;
    const size_t n = std::min(static_cast<size_t>(count), m_text.size() - m_position);
    std::memcpy(buffer, m_text.data() + m_position, n);
    m_position += n;
    return static_cast<int32_t>(n);
}

int32_t CStringReaderStream::Write(const void*, int32_t)
{
    return -1;
}

int64_t CStringReaderStream::Tell()
{
    return static_cast<int64_t>(m_position);
}

int64_t CStringReaderStream::Seek(int64_t offset, int origin)
{
    int64_t base = 0;
    if (origin == 1)
        base = static_cast<int64_t>(m_position);
    else if (origin == 2)
        base = static_cast<int64_t>(m_text.size());
    else if (origin != 0)
        return -1;
    const int64_t size = static_cast<int64_t>(m_text.size());
    int64_t target = offset;
    // Adding without overflow: offset may be any 64-bit value.
    if (offset > 0 && base > INT64_MAX - offset)
        target = size;
    else
        target = base + offset;
    m_position = static_cast<size_t>(std::clamp<int64_t>(target, 0, size));
    return static_cast<int64_t>(m_position);
}
