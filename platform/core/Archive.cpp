#include "platform/core/Archive.h"

#include "platform/core/ByteOrder.h"

#include <cstring>

void CArchive::Write(const void* data, size_t size)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    m_output.insert(m_output.end(), bytes, bytes + size);
}

void CArchive::WriteUInt16(uint16_t value)
{
    const uint8_t b[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    Write(b, 2);
}

void CArchive::WriteUInt32(uint32_t value)
{
    uint8_t b[4];
    StoreLittleEndian32(b, value);
    Write(b, 4);
}

void CArchive::WriteInt64(int64_t value)
{
    const auto u = static_cast<uint64_t>(value);
    WriteUInt32(static_cast<uint32_t>(u));
    WriteUInt32(static_cast<uint32_t>(u >> 32));
}

void CArchive::WriteDouble(double value)
{
    uint64_t bits;
    static_assert(sizeof bits == sizeof value);
    std::memcpy(&bits, &value, sizeof bits);
    WriteInt64(static_cast<int64_t>(bits));
}

void CArchive::WriteString(const std::string& text)
{
    const size_t n = text.size();
    if (n < 0xFF)
    {
        WriteByte(static_cast<uint8_t>(n));
    }
    else if (n < 0xFFFE)
    {
        WriteByte(0xFF);
        WriteUInt16(static_cast<uint16_t>(n));
    }
    else
    {
        WriteByte(0xFF);
        WriteUInt16(0xFFFF);
        WriteUInt32(static_cast<uint32_t>(n));
    }
    Write(text.data(), n);
}

bool CArchive::Read(void* data, size_t size)
{
    if (m_failed || !m_loading || size > m_input.size() - m_position)
    {
        m_failed = true;
        return false;
    }
    if (size)
        std::memcpy(data, m_input.data() + m_position, size);
    m_position += size;
    return true;
}

bool CArchive::ReadUInt16(uint16_t& value)
{
    uint8_t b[2];
    if (!Read(b, 2))
        return false;
    value = static_cast<uint16_t>(b[0] | (b[1] << 8));
    return true;
}

bool CArchive::ReadUInt32(uint32_t& value)
{
    uint8_t b[4];
    if (!Read(b, 4))
        return false;
    value = LoadLittleEndian32(b);
    return true;
}

bool CArchive::ReadInt32(int32_t& value)
{
    uint32_t u;
    if (!ReadUInt32(u))
        return false;
    value = static_cast<int32_t>(u);
    return true;
}

bool CArchive::ReadInt64(int64_t& value)
{
    uint32_t lo, hi;
    if (!ReadUInt32(lo) || !ReadUInt32(hi))
        return false;
    value = static_cast<int64_t>((static_cast<uint64_t>(hi) << 32) | lo);
    return true;
}

bool CArchive::ReadDouble(double& value)
{
    int64_t bits;
    if (!ReadInt64(bits))
        return false;
    std::memcpy(&value, &bits, sizeof value);
    return true;
}

bool CArchive::ReadString(std::string& text)
{
    uint8_t b;
    if (!ReadByte(b))
        return false;
    uint32_t n = b;
    if (b == 0xFF)
    {
        uint16_t w;
        if (!ReadUInt16(w))
            return false;
        n = w;
        if (w == 0xFFFF && !ReadUInt32(n))
            return false;
    }
    // Check before allocating: a hostile length must not reserve gigabytes.
    if (n > Remaining())
    {
        m_failed = true;
        return false;
    }
    std::string out(reinterpret_cast<const char*>(m_input.data() + m_position), n);
    m_position += n;
    text.swap(out);
    return true;
}
