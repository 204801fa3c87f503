#pragma once
// An event is a flag with a condition variable: Set signals it, Reset clears
// it, Wait blocks until it is signalled or a time-out passes.
//
// A manual-reset event stays signalled until Reset, releasing every waiter.
// An auto-reset event releases one waiter per Set and clears itself as that
// waiter returns; a Set with no waiter keeps it signalled for the next Wait.
//
// WaitForAnyEvent waits on several events at once (a stop event and a wake
// event, say) and returns as soon as one of them is signalled, never a poll
// period later.
//
// Every operation is thread-safe. An event must outlive every wait on it.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <vector>

// A time-out that never passes.
constexpr uint32_t INFINITE = 0xFFFFFFFFu;

// What WaitForAnyEvent returns when the time-out passed first.
constexpr int WAIT_TIMEOUT_INDEX = -1;

struct EventWaiter;

class CEvent
{
public:
    explicit CEvent(bool manualReset = false, bool initiallySet = false);
    ~CEvent();
    CEvent(const CEvent&) = delete;
    CEvent& operator=(const CEvent&) = delete;

    void Set();
    void Reset();

    // Waits up to `timeoutMs` milliseconds (INFINITE: without a limit; 0:
    // test only). Returns true when the event was signalled, false when the
    // time-out passed first. An auto-reset event is cleared by a wait that
    // returns true.
    bool Wait(uint32_t timeoutMs = INFINITE);

    // Whether the event is signalled now; never waits and never clears it.
    bool IsSet() const;

    bool IsManualReset() const { return m_manualReset; }

private:
    friend int WaitForAnyEvent(CEvent* const* events, size_t count, uint32_t timeoutMs);

    // Under m_mutex: takes the signal when there is one (clearing an
    // auto-reset event) and tells whether there was one.
    bool ConsumeLocked();

    const bool m_manualReset;
    bool m_set;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    // Multi-event waiters currently registered on this event.
    std::vector<EventWaiter*> m_waiters;
};

// Waits until one of `count` events is signalled or `timeoutMs` passes.
// Returns the index of the first signalled event in array order (clearing it
// when it is auto-reset; the others are left alone), or WAIT_TIMEOUT_INDEX.
// Null entries are ignored; with no events it waits for the time-out.
int WaitForAnyEvent(CEvent* const* events, size_t count, uint32_t timeoutMs);

inline int WaitForAnyEvent(std::initializer_list<CEvent*> events, uint32_t timeoutMs)
{
    return WaitForAnyEvent(events.begin(), events.size(), timeoutMs);
}
