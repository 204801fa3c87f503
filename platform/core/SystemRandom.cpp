#include "platform/core/SystemRandom.h"

#include <cerrno>
#include <cstring>
#include <sys/random.h>

bool FillRandomBytes(uint8_t* bytes, size_t count)
{
    size_t done = 0;
    // getrandom gives at most 32 MiB per call and may be interrupted by a
    // signal; the loop is bounded by the number of bytes asked for.
    while (done < count)
    {
        const ssize_t got = getrandom(bytes + done, count - done, 0);
        if (got < 0)
        {
            if (errno == EINTR)
                continue;
            std::memset(bytes, 0, count);
            return false;
        }
        done += static_cast<size_t>(got);
    }
    return true;
}
