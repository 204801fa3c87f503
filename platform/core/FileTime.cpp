#include "platform/core/FileTime.h"

#include <ctime>

uint64_t UnixTimeToFileTime(int64_t seconds, uint32_t nanoseconds)
{
    const int64_t sinceEpoch = seconds + static_cast<int64_t>(kFileTimeUnixEpochSeconds);
    if (sinceEpoch < 0)
        return 0;
    return static_cast<uint64_t>(sinceEpoch) * 10000000u + nanoseconds / 100u;
}

uint64_t GetSystemTimeAsFileTime()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return UnixTimeToFileTime(now.tv_sec, static_cast<uint32_t>(now.tv_nsec));
}
