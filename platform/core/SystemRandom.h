#pragma once
// Unpredictable bytes from the kernel's random source (getrandom), for
// values an attacker must not guess, such as authentication nonces.

#include <cstddef>
#include <cstdint>

// Fills all count bytes, or returns false (the buffer is then zeroed, so a
// caller that ignores the result never sends stale memory).
bool FillRandomBytes(uint8_t* bytes, size_t count);
