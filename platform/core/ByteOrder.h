#pragma once
// Little-endian loads from and stores to byte arrays, as gzip trailers, NTLM messages,
// archives and the block ciphers and digests store their numbers. The bytes
// need no alignment.

#include <cstdint>

inline uint16_t LoadLittleEndian16(const uint8_t* bytes)
{
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

inline uint32_t LoadLittleEndian32(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

inline void StoreLittleEndian16(uint8_t* bytes, uint32_t value)
{
    bytes[0] = static_cast<uint8_t>(value);
    bytes[1] = static_cast<uint8_t>(value >> 8);
}

inline void StoreLittleEndian32(uint8_t* bytes, uint32_t value)
{
    StoreLittleEndian16(bytes, value);
    StoreLittleEndian16(bytes + 2, value >> 16);
}
