#include "transfer/SocketDeadlineRegistry.h"

#include "platform/core/CriticalSection.h"
#include "transfer/SocketHandle.h"

#include <chrono>
#include <unordered_map>

namespace
{
struct Registry
{
    CCriticalSection lock;
    std::unordered_map<CSocketHandle*, int64_t> deadlines;
};

Registry& TheRegistry()
{
    // Never destroyed: handles may be released by threads still running at exit.
    static Registry* registry = new Registry;
    return *registry;
}
} // namespace

int64_t SocketDeadlineClock()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool SetSocketDeadline(CSocketHandle* handle, int set, int64_t deadline)
{
    Registry& registry = TheRegistry();
    CScopedLock lock(registry.lock);
    if (!set)
        return registry.deadlines.erase(handle) != 0;
    CScopedLock handleLock(handle->GetLock());
    if (!handle->IsValid())
        return false;
    registry.deadlines[handle] = deadline;
    return true;
}

int SweepExpiredSockets()
{
    Registry& registry = TheRegistry();
    CScopedLock lock(registry.lock);
    const int64_t now = SocketDeadlineClock();
    int swept = 0;
    for (auto it = registry.deadlines.begin(); it != registry.deadlines.end();)
    {
        if (it->second > now)
        {
            ++it;
            continue;
        }
        it->first->CloseSocket();
        it = registry.deadlines.erase(it);
        ++swept;
    }
    return swept;
}
