#include "platform/core/Event.h"

#include "platform/core/MutexLifetime.h"

#include <algorithm>
#include <chrono>
#include <optional>

// One multi-event wait: the events it watches note a Set here, so a Set that
// lands between the waiter's look at the events and its sleep is not lost.
struct EventWaiter
{
    std::mutex mutex;
    std::condition_variable changed;
    bool signalled = false;

    void Notify()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            signalled = true;
        }
        changed.notify_all();
    }
};

namespace
{
using Clock = std::chrono::steady_clock;

std::optional<Clock::time_point> DeadlineAfter(uint32_t timeoutMs)
{
    if (timeoutMs == INFINITE)
        return std::nullopt;
    return Clock::now() + std::chrono::milliseconds(timeoutMs);
}
} // namespace

CEvent::CEvent(bool manualReset, bool initiallySet) : m_manualReset(manualReset), m_set(initiallySet) {}

CEvent::~CEvent()
{
    ForgetDestroyedMutex(&m_mutex);
}

void CEvent::Set()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_set = true;
    // Every waiter looks again: an auto-reset signal goes to whichever gets
    // the lock first, the others sleep on.
    m_changed.notify_all();
    for (EventWaiter* waiter : m_waiters)
        waiter->Notify();
}

void CEvent::Reset()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_set = false;
}

bool CEvent::ConsumeLocked()
{
    if (!m_set)
        return false;
    if (!m_manualReset)
        m_set = false;
    return true;
}

bool CEvent::Wait(uint32_t timeoutMs)
{
    const std::optional<Clock::time_point> deadline = DeadlineAfter(timeoutMs);
    std::unique_lock<std::mutex> lock(m_mutex);
    if (deadline)
    {
        if (!m_changed.wait_until(lock, *deadline, [this] { return m_set; }))
            return false;
    }
    else
    {
        m_changed.wait(lock, [this] { return m_set; });
    }
    return ConsumeLocked();
}

bool CEvent::IsSet() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_set;
}

int WaitForAnyEvent(CEvent* const* events, size_t count, uint32_t timeoutMs)
{
    const std::optional<Clock::time_point> deadline = DeadlineAfter(timeoutMs);
    EventWaiter waiter;
    for (size_t i = 0; i < count; ++i)
    {
        if (!events[i])
            continue;
        std::lock_guard<std::mutex> lock(events[i]->m_mutex);
        events[i]->m_waiters.push_back(&waiter);
    }

    int result = WAIT_TIMEOUT_INDEX;
    for (;;)
    {
        {
            std::lock_guard<std::mutex> lock(waiter.mutex);
            waiter.signalled = false;
        }
        for (size_t i = 0; i < count && result == WAIT_TIMEOUT_INDEX; ++i)
        {
            if (!events[i])
                continue;
            std::lock_guard<std::mutex> lock(events[i]->m_mutex);
            if (events[i]->ConsumeLocked())
                result = static_cast<int>(i);
        }
        if (result != WAIT_TIMEOUT_INDEX)
            break;

        std::unique_lock<std::mutex> lock(waiter.mutex);
        if (deadline)
        {
            if (!waiter.changed.wait_until(lock, *deadline, [&waiter] { return waiter.signalled; }))
                break;
        }
        else
        {
            waiter.changed.wait(lock, [&waiter] { return waiter.signalled; });
        }
    }

    for (size_t i = 0; i < count; ++i)
    {
        if (!events[i])
            continue;
        std::lock_guard<std::mutex> lock(events[i]->m_mutex);
        auto& waiters = events[i]->m_waiters;
        waiters.erase(std::remove(waiters.begin(), waiters.end(), &waiter), waiters.end());
    }
    return result;
}
