#pragma once
// Windows file times: 100-nanosecond intervals since 1601-01-01 00:00 UTC,
// the clock that NTLM responses carry.

#include <cstdint>

// Seconds between 1601-01-01 and the Unix epoch 1970-01-01.
inline constexpr uint64_t kFileTimeUnixEpochSeconds = 11644473600ull;

// The current UTC time (CLOCK_REALTIME) as a file time.
uint64_t GetSystemTimeAsFileTime();

// A Unix time (seconds and nanoseconds since 1970, UTC) as a file time.
uint64_t UnixTimeToFileTime(int64_t seconds, uint32_t nanoseconds);
