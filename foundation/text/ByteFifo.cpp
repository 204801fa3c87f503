#include "foundation/text/ByteFifo.h"

#include <cstdlib>
#include <cstring>

namespace
{
constexpr int64_t kMaxCapacity = INT32_MAX;
}

CByteFifo::CByteFifo(int32_t initialSize)
{
    if (initialSize > 0)
        Reserve(initialSize);
}

CByteFifo::~CByteFifo()
{
    Free();
}

void CByteFifo::RewindWhenEmpty()
{
    if (m_readPos == m_writePos)
    {
        m_readPos = 0;
        m_writePos = 0;
    }
}

uint8_t* CByteFifo::Reserve(int32_t n)
{
    if (n < 0)
        return nullptr;
    RewindWhenEmpty();
    while (static_cast<int64_t>(m_writePos) + n >= m_capacity)
    {
        if (m_readPos > m_capacity / 2)
        {
            const int32_t unread = m_writePos - m_readPos;
            std::memmove(m_data, m_data + m_readPos, static_cast<size_t>(unread));
            m_writePos = unread;
            m_readPos = 0;
            continue;
        }
        int64_t capacity = static_cast<int64_t>(m_capacity) + m_growth + n;
        if (capacity > kMaxCapacity)
            capacity = kMaxCapacity;
        if (static_cast<int64_t>(m_writePos) + n >= capacity)
            return nullptr;
        auto* data = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(capacity)));
        if (!data)
            return nullptr;
        // Bytes past the write position hold nothing yet, so they need no copy.
        if (m_writePos > 0)
            std::memcpy(data, m_data, static_cast<size_t>(m_writePos));
        std::free(m_data);
        m_data = data;
        m_capacity = static_cast<int32_t>(capacity);
    }
    const int32_t position = m_writePos;
    m_writePos += n;
    return m_data + position;
}

int32_t CByteFifo::Write(const void* bytes, int32_t n)
{
    if (n <= 0)
        return 0;
    uint8_t* room = Reserve(n);
    if (!room)
        return -1;
    std::memcpy(room, bytes, static_cast<size_t>(n));
    return n;
}

int32_t CByteFifo::Read(void* dest, int32_t n)
{
    const int32_t available = GetAvailable();
    const int32_t count = n < available ? n : available;
    if (count <= 0)
        return 0;
    std::memcpy(dest, m_data + m_readPos, static_cast<size_t>(count));
    m_readPos += count;
    RewindWhenEmpty();
    return count;
}

void CByteFifo::DropTail(int32_t n)
{
    const int32_t available = GetAvailable();
    const int32_t count = n < available ? n : available;
    if (count <= 0)
        return;
    m_writePos -= count;
    RewindWhenEmpty();
}

void CByteFifo::Reset()
{
    m_readPos = 0;
    m_writePos = 0;
}

void CByteFifo::Free()
{
    std::free(m_data);
    m_data = nullptr;
    m_capacity = 0;
    m_readPos = 0;
    m_writePos = 0;
}
