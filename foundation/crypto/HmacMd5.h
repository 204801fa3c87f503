#pragma once
// HMAC-MD5 of RFC 2104 over the MD5 of Md5.h: the keyed digest that the
// NTLMv2 responses are built from. A key longer than the 64-byte block is
// first replaced by its MD5, as the RFC says.

#include "foundation/crypto/Md5.h"

#include <cstddef>
#include <cstdint>

// The incremental form, for a message that is gathered from several parts.
class CHmacMd5
{
public:
    CHmacMd5(const void* key, size_t keyLength);
    ~CHmacMd5();
    CHmacMd5(const CHmacMd5&) = delete;
    CHmacMd5& operator=(const CHmacMd5&) = delete;

    void Update(const void* data, size_t length);
    // Writes the 16-byte code. Call it once; the object is spent after it.
    void Final(uint8_t digest[16]);

private:
    Md5Context m_inner;
    uint8_t m_outerPad[64];
};

void HmacMd5(const void* key, size_t keyLength, const void* data, size_t length, uint8_t digest[16]);
