#include "foundation/crypto/Blowfish.h"

#include "foundation/crypto/BlowfishPi.h"
#include "platform/core/ByteOrder.h"

#include <cstring>

namespace
{

// Runs block on each whole 8-byte block and reports the partial tail.
template <typename BlockFunction> int ForEachBlock(uint8_t* buffer, int length, BlockFunction block)
{
    if (!buffer || length <= 0)
        return 0;
    const int whole = length - length % 8;
    for (int i = 0; i < whole; i += 8)
    {
        uint32_t left = LoadLittleEndian32(buffer + i);
        uint32_t right = LoadLittleEndian32(buffer + i + 4);
        block(left, right);
        StoreLittleEndian32(buffer + i, left);
        StoreLittleEndian32(buffer + i + 4, right);
    }
    return length % 8 ? 8 - length % 8 : 0;
}
} // namespace

CBlowfish::CBlowfish(const void* key, size_t keyLength)
{
    SetKey(static_cast<const uint8_t*>(key), key ? keyLength : 0);
}

CBlowfish::~CBlowfish() = default;

void CBlowfish::SetKey(const uint8_t* key, size_t keyLength)
{
    if (!m_tables)
        m_tables = std::make_unique<Tables>();
    Tables& t = *m_tables;
    std::memcpy(t.p, kBlowfishInitP, sizeof t.p);
    std::memcpy(t.s, kBlowfishInitS, sizeof t.s);

    if (keyLength > kMaxKeyLength)
        keyLength = kMaxKeyLength;
    if (keyLength > 0)
    {
        size_t k = 0;
        for (uint32_t& p : t.p)
        {
            uint32_t word = 0;
            for (int i = 0; i < 4; ++i)
            {
                word = word << 8 | key[k];
                k = (k + 1) % keyLength;
            }
            p ^= word;
        }
    }

    uint32_t left = 0;
    uint32_t right = 0;
    for (int i = 0; i < 18; i += 2)
    {
        EncryptBlock(left, right);
        t.p[i] = left;
        t.p[i + 1] = right;
    }
    for (auto& box : t.s)
    {
        for (int i = 0; i < 256; i += 2)
        {
            EncryptBlock(left, right);
            box[i] = left;
            box[i + 1] = right;
        }
    }
}

uint32_t CBlowfish::F(uint32_t x) const
{
    const Tables& t = *m_tables;
    // Unsigned arithmetic wraps modulo 2^32, as the algorithm wants.
    return ((t.s[0][x >> 24] + t.s[1][(x >> 16) & 0xFF]) ^ t.s[2][(x >> 8) & 0xFF]) + t.s[3][x & 0xFF];
}

void CBlowfish::EncryptBlock(uint32_t& left, uint32_t& right) const
{
    const uint32_t* p = m_tables->p;
    uint32_t l = left;
    uint32_t r = right;
    for (int round = 0; round < 16; round += 2)
    {
        l ^= p[round];
        r ^= F(l);
        r ^= p[round + 1];
        l ^= F(r);
    }
    left = r ^ p[17];
    right = l ^ p[16];
}

void CBlowfish::DecryptBlock(uint32_t& left, uint32_t& right) const
{
    const uint32_t* p = m_tables->p;
    uint32_t l = left;
    uint32_t r = right;
    for (int round = 17; round > 1; round -= 2)
    {
        l ^= p[round];
        r ^= F(l);
        r ^= p[round - 1];
        l ^= F(r);
    }
    left = r ^ p[0];
    right = l ^ p[1];
}

int CBlowfish::Encrypt(uint8_t* buffer, int length)
{
    return ForEachBlock(buffer, length, [this](uint32_t& l, uint32_t& r) { EncryptBlock(l, r); });
}

int CBlowfish::Decrypt(uint8_t* buffer, int length)
{
    return ForEachBlock(buffer, length, [this](uint32_t& l, uint32_t& r) { DecryptBlock(l, r); });
}
