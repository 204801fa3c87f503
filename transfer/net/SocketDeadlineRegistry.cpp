#include "transfer/net/SocketDeadlineRegistry.h"

#include "platform/core/CriticalSection.h"
#include "platform/core/TickCount.h"
#include "transfer/net/SocketHandle.h"

#include <unordered_set>

namespace
{
struct Registry
{
    CCriticalSection lock;
    std::unordered_set<CSocketHandle*> handles;
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
    return GetTickCount64();
}

bool SetSocketDeadline(CSocketHandle* handle, int set, int64_t deadline)
{
    if (!set)
        return handle->BlockedCallDeadline().exchange(kNoSocketDeadline) != kNoSocketDeadline;
    if (!handle->IsValid())
        return false;
    handle->BlockedCallDeadline().store(deadline);
    return true;
}

int SweepExpiredSockets()
{
    Registry& registry = TheRegistry();
    CScopedLock lock(registry.lock);
    const int64_t now = SocketDeadlineClock();
    int swept = 0;
    for (CSocketHandle* handle : registry.handles)
    {
        std::atomic<int64_t>& deadline = handle->BlockedCallDeadline();
        int64_t due = deadline.load();
        // Taken only if it is still the deadline seen: a call that ended and
        // began another meanwhile keeps its socket.
        if (due == kNoSocketDeadline || due > now || !deadline.compare_exchange_strong(due, kNoSocketDeadline))
            continue;
        handle->CloseSocket();
        ++swept;
    }
    return swept;
}

void RegisterSocketHandle(CSocketHandle* handle)
{
    Registry& registry = TheRegistry();
    CScopedLock lock(registry.lock);
    registry.handles.insert(handle);
}

void UnregisterSocketHandle(CSocketHandle* handle)
{
    Registry& registry = TheRegistry();
    CScopedLock lock(registry.lock);
    registry.handles.erase(handle);
}
