#pragma once
// A byte archive for serialisation: either storing into its own growing byte
// vector or loading from a given span of bytes. All integers are
// little-endian. Loading trusts nothing it reads: every read checks what is
// left, a failed read leaves the archive in the failed state (and every later
// read fails too), and lengths are checked against the bytes that remain
// before anything is allocated.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

class CArchive
{
public:
    // A storing archive.
    CArchive() = default;
    // A loading archive over bytes that must outlive it.
    explicit CArchive(std::span<const uint8_t> bytes) : m_loading(true), m_input(bytes) {}

    bool IsStoring() const { return !m_loading; }
    bool IsLoading() const { return m_loading; }

    // Storing.
    void Write(const void* data, size_t size);
    void WriteByte(uint8_t value) { Write(&value, 1); }
    void WriteUInt16(uint16_t value);
    void WriteUInt32(uint32_t value);
    void WriteInt32(int32_t value) { WriteUInt32(static_cast<uint32_t>(value)); }
    void WriteInt64(int64_t value);
    void WriteDouble(double value);
    // The class library's string form: a length below 255 as one byte; else
    // 0xFF and a 16-bit length below 0xFFFE; else 0xFF, 0xFFFF and a 32-bit
    // length; then the bytes without a terminator.
    void WriteString(const std::string& text);

    const std::vector<uint8_t>& Data() const { return m_output; }

    // Loading. Each returns false, leaving the output untouched, when the
    // archive has fewer bytes left than asked or has failed before.
    bool Read(void* data, size_t size);
    bool ReadByte(uint8_t& value) { return Read(&value, 1); }
    bool ReadUInt16(uint16_t& value);
    bool ReadUInt32(uint32_t& value);
    bool ReadInt32(int32_t& value);
    bool ReadInt64(int64_t& value);
    bool ReadDouble(double& value);
    bool ReadString(std::string& text);

    // Bytes not yet read; 0 once the archive failed.
    size_t Remaining() const { return m_failed ? 0 : m_input.size() - m_position; }
    bool Failed() const { return m_failed; }

private:
    bool m_loading = false;
    bool m_failed = false;
    std::vector<uint8_t> m_output;
    std::span<const uint8_t> m_input;
    size_t m_position = 0;
};
