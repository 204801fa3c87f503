#include "platform/core/TickCount.h"

#include <ctime>

uint32_t GetTickCount()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

uint32_t NextChangeStamp(uint32_t oldStamp)
{
    const uint32_t now = GetTickCount();
    return now > oldStamp ? now : oldStamp + 1;
}
