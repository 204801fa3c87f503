#pragma once
// Timed window messages: a table of entries (window, message, parameters,
// period) and one thread that looks at the table every sweep interval (50 ms
// unless the owner chose another) and posts each entry's message when more
// than its period has passed since its last post. The first post of an entry
// comes after more than one period. A 100 ms entry with the 50 ms sweep is
// therefore posted every second or third sweep.
//
// Entries whose window is gone (IsWindow false) are dropped by the next sweep
// without a post. The thread is begun by the first entry added to an empty
// table and ends at the first sweep that finds the table empty; the object
// joins it (at the next Add, in RemoveAll and in the destructor).
//
// The poster only posts, never sends, so it never waits for a UI thread. It
// posts under its table lock: a window's delivery (see WindowHandle.h) must
// not call back into the poster.
//
// The program has one process-wide poster behind the free functions below;
// tests make their own with a short sweep interval.

#include "platform/core/CriticalSection.h"
#include "platform/core/Event.h"
#include "platform/core/Thread.h"
#include "platform/core/WindowHandle.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <vector>

constexpr std::chrono::milliseconds kPeriodicPostSweep{50};

struct PeriodicPostEntry
{
    WindowHandle m_window = nullptr;
    uint32_t m_message = 0;
    LPARAM m_lParam = 0;
    WPARAM m_wParam = 0;
    std::chrono::milliseconds m_period{0};
    std::chrono::steady_clock::time_point m_lastPost;
    int m_id = 0;
};

class CPeriodicPoster
{
public:
    explicit CPeriodicPoster(std::chrono::milliseconds sweepInterval = kPeriodicPostSweep);
    // Empties the table and joins the thread.
    ~CPeriodicPoster();
    CPeriodicPoster(const CPeriodicPoster&) = delete;
    CPeriodicPoster& operator=(const CPeriodicPoster&) = delete;

    // Appends an entry and returns its id (ids come from one process-wide
    // counter that starts at 500 and only grows, so they are never 0). Begins
    // the thread when none runs; when no thread can be begun the entry is
    // taken out again and 0 is returned, so the caller does its work at once.
    // Note the parameter order: lParam before wParam.
    int Add(WindowHandle window, uint32_t message, LPARAM lParam, WPARAM wParam, int periodMs);

    // Removes the entry with that id (the others keep their order). True
    // when it was there, false when no entry has that id. No post of a removed
    // entry comes after this returns.
    bool Remove(int id);

    // Empties the table, waits until the thread has ended and joins it.
    // Returns the number of entries there were.
    int RemoveAll();

    size_t GetEntryCount() const;
    bool IsPosterRunning() const;

    // Waits, up to `bound`, until no thread runs (joining one that ended);
    // returns whether none runs.
    bool WaitUntilPosterEnded(std::chrono::milliseconds bound);

private:
    void PosterLoop();
    // Under m_lock: drops entries of gone windows and posts the due ones.
    void SweepLocked();

    const std::chrono::milliseconds m_sweepInterval;
    mutable CCriticalSection m_lock;
    std::vector<PeriodicPostEntry> m_entries;
    bool m_running = false;
    // Counts the threads begun, so that a RemoveAll waiting for one thread to
    // end is not kept waiting by the next.
    uint64_t m_generation = 0;
    CThread m_thread;
    // Signalled, under m_lock, when the thread clears m_running.
    std::condition_variable_any m_ended;
    // Set when the table became empty, so the thread need not sleep on.
    CEvent m_wake;
};

// The process-wide poster (never destroyed: its thread may still run while
// the process exits; the shutdown calls RemoveAllPeriodicPosts).
CPeriodicPoster& GetPeriodicPoster();

// The program's interface to the process-wide poster; see CPeriodicPoster.
int AddPeriodicPost(WindowHandle window, uint32_t message, LPARAM lParam, WPARAM wParam, int periodMs);
bool RemovePeriodicPost(int id);
int RemoveAllPeriodicPosts();
