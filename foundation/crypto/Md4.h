#pragma once
// The MD4 message digest of RFC 1320 (the NTLM password hash is built on it).
// Init, then Update any number of times with any split of the input, then
// Final for the 16-byte digest. Final does not clear the context; Init it
// again before reusing it.

#include <cstdint>

struct Md4Context
{
    uint32_t state[4];  // A, B, C, D
    uint32_t count[2];  // the number of bits fed so far, low word first
    uint8_t buffer[64]; // input waiting for a whole block
};

void Md4Init(Md4Context& context);
// Adds length bytes of data (null only with length 0).
void Md4Update(Md4Context& context, const void* data, uint32_t length);
// Runs the three rounds over one 64-byte block.
void Md4Transform(Md4Context& context, const uint8_t block[64]);
// Pads, appends the bit count and writes A, B, C, D as little-endian bytes.
void Md4Final(Md4Context& context, uint8_t digest[16]);
