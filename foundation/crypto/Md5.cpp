#include "foundation/crypto/Md5.h"

#include "platform/core/ByteOrder.h"

#include <cstring>

namespace
{
uint32_t RotateLeft(uint32_t x, int n)
{
    return x << n | x >> (32 - n);
}

// The sine table of RFC 1321: floor(abs(sin(i + 1)) * 2^32).
constexpr uint32_t kSine[64] = {
    0xD76AA478, 0xE8C7B756, 0x242070DB, 0xC1BDCEEE, 0xF57C0FAF, 0x4787C62A, 0xA8304613, 0xFD469501,
    0x698098D8, 0x8B44F7AF, 0xFFFF5BB1, 0x895CD7BE, 0x6B901122, 0xFD987193, 0xA679438E, 0x49B40821,
    0xF61E2562, 0xC040B340, 0x265E5A51, 0xE9B6C7AA, 0xD62F105D, 0x02441453, 0xD8A1E681, 0xE7D3FBC8,
    0x21E1CDE6, 0xC33707D6, 0xF4D50D87, 0x455A14ED, 0xA9E3E905, 0xFCEFA3F8, 0x676F02D9, 0x8D2A4C8A,
    0xFFFA3942, 0x8771F681, 0x6D9D6122, 0xFDE5380C, 0xA4BEEA44, 0x4BDECFA9, 0xF6BB4B60, 0xBEBFBC70,
    0x289B7EC6, 0xEAA127FA, 0xD4EF3085, 0x04881D05, 0xD9D4D039, 0xE6DB99E5, 0x1FA27CF8, 0xC4AC5665,
    0xF4292244, 0x432AFF97, 0xAB9423A7, 0xFC93A039, 0x655B59C3, 0x8F0CCC92, 0xFFEFF47D, 0x85845DD1,
    0x6FA87E4F, 0xFE2CE6E0, 0xA3014314, 0x4E0811A1, 0xF7537E82, 0xBD3AF235, 0x2AD7D2BB, 0xEB86D391,
};

constexpr int kShift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

void Transform(uint32_t state[4], const uint8_t block[64])
{
    uint32_t x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = LoadLittleEndian32(block + 4 * i);

    uint32_t a = state[0];
    uint32_t b = state[1];
    uint32_t c = state[2];
    uint32_t d = state[3];
    for (int i = 0; i < 64; ++i)
    {
        const int round = i / 16;
        uint32_t f = 0;
        int k = 0;
        switch (round)
        {
        case 0:
            f = (b & c) | (~b & d);
            k = i;
            break;
        case 1:
            f = (b & d) | (c & ~d);
            k = (5 * i + 1) % 16;
            break;
        case 2:
            f = b ^ c ^ d;
            k = (3 * i + 5) % 16;
            break;
        default:
            f = c ^ (b | ~d);
            k = (7 * i) % 16;
            break;
        }
        const uint32_t t = b + RotateLeft(a + f + x[k] + kSine[i], kShift[round][i % 4]);
        a = d;
        d = c;
        c = b;
        b = t;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}
} // namespace

void Md5Init(Md5Context& context)
{
    context.count[0] = 0;
    context.count[1] = 0;
    context.state[0] = 0x67452301;
    context.state[1] = 0xEFCDAB89;
    context.state[2] = 0x98BADCFE;
    context.state[3] = 0x10325476;
    std::memset(context.buffer, 0, sizeof context.buffer);
}

uint32_t Md5Update(Md5Context& context, const void* data, uint32_t length)
{
    const uint8_t* input = static_cast<const uint8_t*>(data);
    uint32_t fill = (context.count[0] >> 3) & 0x3F;
    const uint32_t bits = length << 3;
    context.count[0] += bits;
    if (context.count[0] < bits)
        ++context.count[1];
    context.count[1] += length >> 29;

    for (uint32_t i = 0; i < length; ++i)
    {
        context.buffer[fill++] = input[i];
        if (fill == 64)
        {
            Transform(context.state, context.buffer);
            fill = 0;
        }
    }
    return fill;
}

void Md5Final(Md5Context& context, uint8_t digest[16])
{
    static const uint8_t kPadding[64] = {0x80};
    uint8_t bits[8];
    for (int i = 0; i < 2; ++i)
        StoreLittleEndian32(bits + 4 * i, context.count[i]);
    const uint32_t fill = (context.count[0] >> 3) & 0x3F;
    Md5Update(context, kPadding, fill < 56 ? 56 - fill : 120 - fill);
    Md5Update(context, bits, 8);
    for (int i = 0; i < 4; ++i)
        StoreLittleEndian32(digest + 4 * i, context.state[i]);
}
