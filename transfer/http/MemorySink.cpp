#include "transfer/http/MemorySink.h"

#include <cstdint>
#include <cstring>

#include "foundation/text/ByteBuffer.h"

int32_t CMemorySink::Read(void* buffer, int32_t count)
{
    if (!m_buffer || !buffer || count <= 0 || m_position >= m_buffer->GetLength())
        return 0;
    const int32_t n = count < m_buffer->GetLength() - m_position ? count : m_buffer->GetLength() - m_position;
    std::memcpy(buffer, m_buffer->GetData() + m_position, static_cast<size_t>(n));
    m_position += n;
    return n;
}

int32_t CMemorySink::Write(const void* bytes, int32_t count)
{
    if (count < 0 || (count > 0 && !bytes))
        return -1;
    if (!m_buffer || count == 0)
        return 0;
    // The buffer may have been cut behind the sink's back: never leave a gap.
    if (m_position > m_buffer->GetLength())
        m_position = m_buffer->GetLength();
    if (m_position > CByteBuffer::kMaxCapacity - count)
        return -1;
    const int32_t end = m_position + count;
    if (end > m_buffer->GetCapacity())
    {
        // Whole growth steps, as an append would take them.
        const int64_t step = m_buffer->GetGrowStep();
        const int64_t missing = end - m_buffer->GetCapacity();
        int64_t growth = (missing + step - 1) / step * step;
        if (growth > CByteBuffer::kMaxCapacity - m_buffer->GetCapacity())
            growth = missing;
        if (!m_buffer->Grow(static_cast<int32_t>(growth)))
            return -1;
    }
    std::memcpy(m_buffer->GetData() + m_position, bytes, static_cast<size_t>(count));
    if (end > m_buffer->GetLength())
        m_buffer->SetLength(end);
    m_position = end;
    return count;
}

int64_t CMemorySink::Seek(int64_t offset, int origin)
{
    const int64_t length = m_buffer ? m_buffer->GetLength() : 0;
    const int64_t base = origin == 1 ? m_position : origin == 2 ? length : 0;
    int64_t target = offset > INT64_MAX - base ? length : base + offset;
    if (target < 0)
        target = 0;
    if (target > length)
        target = length;
    m_position = static_cast<int32_t>(target);
    return m_position;
}
