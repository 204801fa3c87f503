#include "foundation/crypto/HmacMd5.h"

#include "foundation/crypto/Md5.h"

#include <cstring>
#include <limits>
#include <string.h>

namespace
{
constexpr size_t kBlockSize = 64;

// Md5Update takes 32-bit lengths; larger inputs go in slices.
void Md5UpdateAll(Md5Context& context, const void* data, size_t length)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    constexpr size_t kSlice = std::numeric_limits<uint32_t>::max() & ~size_t{63};
    while (length > 0)
    {
        const size_t slice = length < kSlice ? length : kSlice;
        Md5Update(context, bytes, static_cast<uint32_t>(slice));
        bytes += slice;
        length -= slice;
    }
}
} // namespace

CHmacMd5::CHmacMd5(const void* key, size_t keyLength)
{
    uint8_t block[kBlockSize] = {};
    if (keyLength > kBlockSize)
    {
        Md5Context keyDigest;
        Md5Init(keyDigest);
        Md5UpdateAll(keyDigest, key, keyLength);
        Md5Final(keyDigest, block);
    }
    else if (keyLength > 0)
    {
        std::memcpy(block, key, keyLength);
    }

    uint8_t innerPad[kBlockSize];
    for (size_t i = 0; i < kBlockSize; ++i)
    {
        innerPad[i] = static_cast<uint8_t>(block[i] ^ 0x36);
        m_outerPad[i] = static_cast<uint8_t>(block[i] ^ 0x5C);
    }
    Md5Init(m_inner);
    Md5Update(m_inner, innerPad, kBlockSize);
    // The key material does not outlive its use.
    explicit_bzero(block, sizeof block);
    explicit_bzero(innerPad, sizeof innerPad);
}

CHmacMd5::~CHmacMd5()
{
    explicit_bzero(&m_inner, sizeof m_inner);
    explicit_bzero(m_outerPad, sizeof m_outerPad);
}

void CHmacMd5::Update(const void* data, size_t length)
{
    Md5UpdateAll(m_inner, data, length);
}

void CHmacMd5::Final(uint8_t digest[16])
{
    uint8_t innerDigest[16];
    Md5Final(m_inner, innerDigest);
    Md5Context outer;
    Md5Init(outer);
    Md5Update(outer, m_outerPad, kBlockSize);
    Md5Update(outer, innerDigest, sizeof innerDigest);
    Md5Final(outer, digest);
    explicit_bzero(&outer, sizeof outer);
}

void HmacMd5(const void* key, size_t keyLength, const void* data, size_t length, uint8_t digest[16])
{
    CHmacMd5 hmac(key, keyLength);
    hmac.Update(data, length);
    hmac.Final(digest);
}
