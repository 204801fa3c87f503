#include "foundation/text/ByteBuffer.h"

#include <cstdlib>
#include <cstring>

#include "platform/core/Text.h"

CByteBuffer::CByteBuffer(IByteBufferAllocator* allocator, int32_t initialLength)
    : m_allocator(allocator)
{
    if (initialLength <= 0)
        return;
    const int64_t steps = (static_cast<int64_t>(initialLength) + kDefaultGrowStep - 1) / kDefaultGrowStep;
    const int64_t capacity = steps * kDefaultGrowStep;
    if (capacity > kMaxCapacity)
        return;
    m_data = AllocateStorage(static_cast<size_t>(capacity));
    if (!m_data)
        return;
    m_capacity = static_cast<int32_t>(capacity);
    m_length = initialLength;
}

CByteBuffer::~CByteBuffer()
{
    Free();
}

uint8_t* CByteBuffer::AllocateStorage(size_t size) const
{
    if (m_allocator)
        return m_allocator->Allocate(size);
    return static_cast<uint8_t*>(std::malloc(size));
}

void CByteBuffer::ReleaseStorage(uint8_t* data) const
{
    if (!data)
        return;
    if (m_allocator)
        m_allocator->Free(data);
    else
        std::free(data);
}

void CByteBuffer::Free()
{
    ReleaseStorage(m_data);
    m_data = nullptr;
    m_length = 0;
    m_capacity = 0;
    m_readPos = 0;
}

bool CByteBuffer::Grow(int32_t n)
{
    if (n < 1)
        return true;
    const int64_t capacity = static_cast<int64_t>(m_capacity) + n;
    if (capacity > kMaxCapacity)
        return false;
    uint8_t* data = AllocateStorage(static_cast<size_t>(capacity));
    if (!data)
        return false;
    if (m_length > 0)
        std::memcpy(data, m_data, static_cast<size_t>(m_length));
    ReleaseStorage(m_data);
    m_data = data;
    m_capacity = static_cast<int32_t>(capacity);
    return true;
}

bool CByteBuffer::AppendByte(uint8_t b)
{
    if (m_length >= m_capacity)
    {
        // Near the limit the last step is shortened rather than refused, so
        // the buffer can still be filled to the largest capacity.
        const int32_t room = kMaxCapacity - m_capacity;
        if (room < 1 || !Grow(m_growStep < room ? m_growStep : room))
            return false;
    }
    m_data[m_length++] = b;
    return true;
}

bool CByteBuffer::AssignBytes(const uint8_t* source, int32_t n, int32_t growStep, int32_t readPos)
{
    if (m_capacity < n)
    {
        const int64_t missing = static_cast<int64_t>(n) - m_capacity;
        int64_t capacity = m_capacity + (missing + growStep - 1) / growStep * growStep;
        if (capacity > kMaxCapacity)
            capacity = kMaxCapacity; // still holds n, which is a valid length
        uint8_t* data = AllocateStorage(static_cast<size_t>(capacity));
        if (!data)
            return false;
        // The old contents are not kept, so the source cannot lie in them:
        // a source inside this buffer is never longer than its capacity.
        ReleaseStorage(m_data);
        m_data = data;
        m_capacity = static_cast<int32_t>(capacity);
    }
    if (n > 0)
        std::memmove(m_data, source, static_cast<size_t>(n));
    m_growStep = growStep;
    m_length = n;
    m_readPos = readPos < 0 ? 0 : (readPos > n ? n : readPos);
    return true;
}

bool CByteBuffer::Assign(const CByteBuffer& source)
{
    if (&source == this)
        return true;
    return AssignBytes(source.m_data, source.m_length, source.m_growStep, source.m_readPos);
}

CByteBuffer& CByteBuffer::operator=(const CByteBuffer& source)
{
    Assign(source);
    return *this;
}

CByteBuffer& CByteBuffer::CopyHead(CByteBuffer& dest, int32_t n) const
{
    if (n < 0)
        n = 0;
    if (n > m_length)
        n = m_length;
    dest.AssignBytes(m_data, n, kDefaultGrowStep, 0);
    return dest;
}

bool CByteBuffer::MatchAtNoCase(const void* bytes, int32_t n) const
{
    if (n <= 0)
        return true;
    if (m_length - m_readPos < n || !bytes)
        return false;
    const char* mine = reinterpret_cast<const char*>(m_data + m_readPos);
    const char* theirs = static_cast<const char*>(bytes);
    for (int32_t i = 0; i < n; ++i)
    {
        if (AsciiToUpper(mine[i]) != AsciiToUpper(theirs[i]))
            return false;
    }
    return true;
}

void CByteBuffer::SetLength(int32_t length)
{
    m_length = length < 0 ? 0 : (length > m_capacity ? m_capacity : length);
    if (m_readPos > m_length)
        m_readPos = m_length;
}

void CByteBuffer::SetReadPos(int32_t position)
{
    m_readPos = position < 0 ? 0 : (position > m_length ? m_length : position);
}

void CByteBuffer::Erase(int32_t position, int32_t n)
{
    if (n <= 0 || position < 0 || position >= m_length)
        return;
    if (n > m_length - position)
        n = m_length - position;
    std::memmove(m_data + position, m_data + position + n, static_cast<size_t>(m_length - position - n));
    m_length -= n;
    m_readPos = 0;
}

void CByteBuffer::SetGrowStep(int32_t step)
{
    m_growStep = step < 1 ? 1 : step;
}
