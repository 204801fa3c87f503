#pragma once
// The starting tables of the Blowfish key schedule: the fractional
// hexadecimal digits of pi (0x243F6A88 ...), taken 32 bits at a time, first
// for the 18-word P-array and then for the four 256-word S-boxes. The
// published test vectors (blowfish_test.cpp) prove every word.

#include <cstdint>

extern const uint32_t kBlowfishInitP[18];
extern const uint32_t kBlowfishInitS[4][256];
