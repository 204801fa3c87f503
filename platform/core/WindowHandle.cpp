#include "platform/core/WindowHandle.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace
{
struct WindowEntry
{
    IWindowTarget* m_target = nullptr;
    // Deliveries handed out and not yet returned, on any thread.
    int m_deliveries = 0;
    bool m_closing = false;
};

struct WindowRegistry
{
    std::mutex m_mutex;
    std::condition_variable m_deliveryEnded;
    std::unordered_map<std::uintptr_t, WindowEntry> m_windows;
    std::uintptr_t m_nextId = 1;
};

// Never destroyed: worker threads may still post while the process exits,
// after static objects have begun to go.
WindowRegistry& Registry()
{
    static WindowRegistry* registry = new WindowRegistry;
    return *registry;
}

// Windows this thread is delivering to right now, innermost last, so that a
// target closing a window from inside a delivery does not wait for itself.
thread_local std::vector<std::uintptr_t> t_delivering;

std::uintptr_t IdOf(WindowHandle window)
{
    return reinterpret_cast<std::uintptr_t>(window);
}
} // namespace

WindowHandle RegisterWindow(IWindowTarget* target)
{
    if (!target)
        return nullptr;
    WindowRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.m_mutex);
    const std::uintptr_t id = registry.m_nextId++;
    registry.m_windows[id].m_target = target;
    return reinterpret_cast<WindowHandle>(id);
}

bool UnregisterWindow(WindowHandle window)
{
    if (!window)
        return false;
    const std::uintptr_t id = IdOf(window);
    WindowRegistry& registry = Registry();
    std::unique_lock<std::mutex> lock(registry.m_mutex);
    auto found = registry.m_windows.find(id);
    if (found == registry.m_windows.end() || found->second.m_closing)
        return false;
    found->second.m_closing = true;

    const auto own = std::count(t_delivering.begin(), t_delivering.end(), id);
    registry.m_deliveryEnded.wait(lock, [&] {
        auto entry = registry.m_windows.find(id);
        return entry == registry.m_windows.end() || entry->second.m_deliveries <= own;
    });
    registry.m_windows.erase(id);
    return true;
}

bool IsWindow(WindowHandle window)
{
    if (!window)
        return false;
    WindowRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.m_mutex);
    auto found = registry.m_windows.find(IdOf(window));
    return found != registry.m_windows.end() && !found->second.m_closing;
}

bool PostMessage(WindowHandle window, uint32_t message, WPARAM wParam, LPARAM lParam)
{
    if (!window)
        return false;
    const std::uintptr_t id = IdOf(window);
    WindowRegistry& registry = Registry();
    IWindowTarget* target = nullptr;
    {
        std::lock_guard<std::mutex> lock(registry.m_mutex);
        auto found = registry.m_windows.find(id);
        if (found == registry.m_windows.end() || found->second.m_closing)
            return false;
        ++found->second.m_deliveries;
        target = found->second.m_target;
    }

    // Delivered outside the lock: a target may post to other windows (or to
    // its own) while it queues this message.
    t_delivering.push_back(id);
    target->DeliverPostedMessage(window, message, wParam, lParam);
    t_delivering.pop_back();

    {
        std::lock_guard<std::mutex> lock(registry.m_mutex);
        // Gone when the target closed its own window during the delivery.
        auto found = registry.m_windows.find(id);
        if (found != registry.m_windows.end())
        {
            --found->second.m_deliveries;
            if (found->second.m_closing)
                registry.m_deliveryEnded.notify_all();
        }
    }
    return true;
}
