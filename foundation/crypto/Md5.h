#pragma once
// The MD5 message digest of RFC 1321 (one-time passwords and the NTLM
// responses use it). Init, then Update any number of times with any split of
// the input, then Final for the 16-byte digest. Final does not clear the
// context; Init it again before reusing it.

#include <cstdint>

struct Md5Context
{
    uint32_t count[2];  // the number of bits fed so far, low word first
    uint32_t state[4];  // A, B, C, D
    uint8_t buffer[64]; // input waiting for a whole block
};

void Md5Init(Md5Context& context);
// Adds length bytes of data (null only with length 0); returns how many
// bytes now wait in the buffer (0 to 63).
uint32_t Md5Update(Md5Context& context, const void* data, uint32_t length);
// Pads, appends the bit count and writes A, B, C, D as little-endian bytes.
void Md5Final(Md5Context& context, uint8_t digest[16]);
