#include "foundation/crypto/Md4.h"

#include "platform/core/ByteOrder.h"

#include <cstring>

namespace
{
uint32_t RotateLeft(uint32_t x, int n)
{
    return x << n | x >> (32 - n);
}

uint32_t F(uint32_t x, uint32_t y, uint32_t z)
{
    return (x & y) | (~x & z);
}

uint32_t G(uint32_t x, uint32_t y, uint32_t z)
{
    return (x & y) | (x & z) | (y & z);
}

uint32_t H(uint32_t x, uint32_t y, uint32_t z)
{
    return x ^ y ^ z;
}

void Encode(uint8_t* output, const uint32_t* input, uint32_t length)
{
    for (uint32_t i = 0, j = 0; j < length; ++i, j += 4)
        StoreLittleEndian32(output + j, input[i]);
}
} // namespace

void Md4Init(Md4Context& context)
{
    context.state[0] = 0x67452301;
    context.state[1] = 0xEFCDAB89;
    context.state[2] = 0x98BADCFE;
    context.state[3] = 0x10325476;
    context.count[0] = 0;
    context.count[1] = 0;
    std::memset(context.buffer, 0, sizeof context.buffer);
}

void Md4Transform(Md4Context& context, const uint8_t block[64])
{
    uint32_t x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = LoadLittleEndian32(block + 4 * i);
    uint32_t a = context.state[0];
    uint32_t b = context.state[1];
    uint32_t c = context.state[2];
    uint32_t d = context.state[3];

    static constexpr int kShift1[4] = {3, 7, 11, 19};
    for (int i = 0; i < 16; ++i)
    {
        const uint32_t t = RotateLeft(a + F(b, c, d) + x[i], kShift1[i % 4]);
        a = d;
        d = c;
        c = b;
        b = t;
    }

    static constexpr int kShift2[4] = {3, 5, 9, 13};
    for (int i = 0; i < 16; ++i)
    {
        const int k = (i % 4) * 4 + i / 4;
        const uint32_t t = RotateLeft(a + G(b, c, d) + x[k] + 0x5A827999, kShift2[i % 4]);
        a = d;
        d = c;
        c = b;
        b = t;
    }

    static constexpr int kShift3[4] = {3, 9, 11, 15};
    static constexpr int kOrder3[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};
    for (int i = 0; i < 16; ++i)
    {
        const uint32_t t = RotateLeft(a + H(b, c, d) + x[kOrder3[i]] + 0x6ED9EBA1, kShift3[i % 4]);
        a = d;
        d = c;
        c = b;
        b = t;
    }

    context.state[0] += a;
    context.state[1] += b;
    context.state[2] += c;
    context.state[3] += d;
}

void Md4Update(Md4Context& context, const void* data, uint32_t length)
{
    const uint8_t* input = static_cast<const uint8_t*>(data);
    uint32_t index = (context.count[0] >> 3) & 0x3F;
    const uint32_t bits = length << 3;
    context.count[0] += bits;
    if (context.count[0] < bits)
        ++context.count[1];
    context.count[1] += length >> 29;

    const uint32_t partLength = 64 - index;
    uint32_t i = 0;
    if (length >= partLength)
    {
        std::memcpy(context.buffer + index, input, partLength);
        Md4Transform(context, context.buffer);
        // Whole blocks are taken straight from the input.
        for (i = partLength; i + 63 < length; i += 64)
            Md4Transform(context, input + i);
        index = 0;
    }
    if (length > i)
        std::memcpy(context.buffer + index, input + i, length - i);
}

void Md4Final(Md4Context& context, uint8_t digest[16])
{
    static const uint8_t kPadding[64] = {0x80};
    uint8_t bits[8];
    Encode(bits, context.count, 8);
    const uint32_t index = (context.count[0] >> 3) & 0x3F;
    const uint32_t padLength = index < 56 ? 56 - index : 120 - index;
    Md4Update(context, kPadding, padLength);
    Md4Update(context, bits, 8);
    Encode(digest, context.state, 16);
}
