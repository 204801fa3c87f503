#include "foundation/text/MemoryReadStream.h"

#include <algorithm>
#include <cstring>

CMemoryReadStream::CMemoryReadStream(const void* data, size_t size)
    : m_data(static_cast<const uint8_t*>(data)), m_size(data ? size : 0)
{
}

int32_t CMemoryReadStream::Read(void* buffer, int32_t count)
{
    if (count <= 0 || !buffer)
        return 0;
    const size_t n = std::min(static_cast<size_t>(count), m_size - m_position);
    if (n > 0)
        std::memcpy(buffer, m_data + m_position, n);
    m_position += n;
    return static_cast<int32_t>(n);
}

int32_t CMemoryReadStream::Write(const void*, int32_t)
{
    return -1;
}

int64_t CMemoryReadStream::Tell()
{
    return static_cast<int64_t>(m_position);
}

int64_t CMemoryReadStream::Seek(int64_t offset, int origin)
{
    int64_t base = 0;
    if (origin == 1)
        base = static_cast<int64_t>(m_position);
    else if (origin == 2)
        base = static_cast<int64_t>(m_size);
    else if (origin != 0)
        return -1;
    const int64_t size = static_cast<int64_t>(m_size);
    int64_t target = 0;
    // offset may be any 64-bit value: add without overflow.
    if (offset > 0 && base > INT64_MAX - offset)
        target = size;
    else
        target = base + offset;
    m_position = static_cast<size_t>(std::clamp<int64_t>(target, 0, size));
    return static_cast<int64_t>(m_position);
}

bool CMemoryReadStream::ReadLine(std::string& line)
{
    line.clear();
    if (m_position >= m_size)
        return false;
    const uint8_t* start = m_data + m_position;
    const void* feed = std::memchr(start, '\n', m_size - m_position);
    const size_t end = feed ? static_cast<size_t>(static_cast<const uint8_t*>(feed) - m_data) + 1 : m_size;
    line.assign(reinterpret_cast<const char*>(start), end - m_position);
    m_position = end;
    return true;
}
