#pragma once
#include <cstdint>

// Milliseconds from CLOCK_MONOTONIC, cut to 32 bits (wraps after 49.7 days).
// The clock is system-wide, so stamps taken by two running copies compare.
uint32_t GetTickCount();

// The same clock in full 64 bits: for due times and idle spans that must
// not wrap.
int64_t GetTickCount64();

// The change-stamp rule: the new stamp is the tick count when that is above
// the old stamp, else old + 1, so a stamp strictly increases with every change.
uint32_t NextChangeStamp(uint32_t oldStamp);
