#include "platform/core/TickCount.h"

#include <ctime>

int64_t GetTickCount64()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

uint32_t GetTickCount()
{
    return static_cast<uint32_t>(GetTickCount64());
}

uint32_t NextChangeStamp(uint32_t oldStamp)
{
    const uint32_t now = GetTickCount();
    return now > oldStamp ? now : oldStamp + 1;
}
