#include "foundation/threads/TaskScheduler.h"

#include "foundation/text/TimeUnits.h"
#include "platform/core/MutexLifetime.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <optional>
#include <utility>

namespace
{
using SteadyClock = std::chrono::steady_clock;
using SystemClock = std::chrono::system_clock;
using Seconds = std::chrono::seconds;

// An entry with no interval is looked at again this far ahead.
constexpr int64_t kNoIntervalRecheckSeconds = 1000;
// Waits stop growing here (the entry is then looked at again).
constexpr int64_t kLongestWaitSeconds = 1000000;
constexpr uint32_t kLongestWaitMs = 1000000020;
// Added to every wait, so that the wait ends just after the due second.
constexpr uint32_t kWaitSlackMs = 20;
// Due times are kept this close to the anchor so that the monotonic time
// point cannot overflow (about 126 years either way).
constexpr int64_t kFarestOffsetSeconds = int64_t{4000000000};

std::atomic<int> g_nextEntryId{1};

time_t FloorSeconds(SystemClock::time_point time)
{
    const auto seconds = std::chrono::floor<Seconds>(time.time_since_epoch()).count();
    return static_cast<time_t>(seconds);
}

// The wall-clock due time after `elapsed` runs.
time_t WallDueTime(const CScheduleEntry& entry, int elapsed)
{
    const int64_t count = int64_t{entry.m_interval} * elapsed;
    if (entry.m_unit < 0)
        return AddSeconds(entry.m_start, count);
    const int clipped = count > INT_MAX ? INT_MAX : (count < INT_MIN ? INT_MIN : static_cast<int>(count));
    return AddTimeUnits(entry.m_start, clipped, entry.m_unit);
}

// NextDueTime on the monotonic clock.
SteadyClock::time_point DueTime(const CScheduleEntry& entry, SteadyClock::time_point now)
{
    if (entry.m_interval <= 0 && entry.m_elapsed >= 1)
        return now + Seconds(kNoIntervalRecheckSeconds);

    const time_t anchorSeconds = FloorSeconds(entry.m_wallAnchor);
    const auto anchorFraction = entry.m_wallAnchor - SystemClock::from_time_t(anchorSeconds);
    const time_t due = WallDueTime(entry, entry.m_elapsed);
    int64_t offset = 0;
    if (__builtin_sub_overflow(static_cast<int64_t>(due), static_cast<int64_t>(anchorSeconds), &offset))
        offset = due > anchorSeconds ? kFarestOffsetSeconds : -kFarestOffsetSeconds;
    offset = std::clamp(offset, -kFarestOffsetSeconds, kFarestOffsetSeconds);
    return entry.m_steadyAnchor - std::chrono::duration_cast<SteadyClock::duration>(anchorFraction) + Seconds(offset);
}

// Whole seconds until the entry is due, rounded up (the wall-clock design
// counted from the start of the current second); 0 means due now.
int64_t SecondsUntilDue(const CScheduleEntry& entry, SteadyClock::time_point now)
{
    const auto left = DueTime(entry, now) - now;
    if (left <= SteadyClock::duration::zero())
        return 0;
    return std::chrono::ceil<Seconds>(left).count();
}

// Skips the runs an entry with a fixed interval has already missed at AddTask:
// elapsed becomes the smallest count whose due time is not before `now`. The
// due times grow with the count, so a binary search finds it in a bounded
// number of steps however far back the start lies. A count whose due time the
// calendar cannot give (it returns the start unchanged) ends the search too.
void SkipPastIntervals(CScheduleEntry& entry, time_t now)
{
    if (entry.m_interval <= 0 || entry.m_unit < 0)
        return;
    auto reached = [&](int count) {
        const time_t due = WallDueTime(entry, count);
        return due >= now || (count > 0 && due <= entry.m_start);
    };
    if (reached(0))
        return;
    int low = 0; // not reached
    int high = INT_MAX / entry.m_interval;
    if (!reached(high))
    {
        entry.m_elapsed = high;
        return;
    }
    while (high - low > 1)
    {
        const int middle = low + (high - low) / 2;
        if (reached(middle))
            high = middle;
        else
            low = middle;
    }
    entry.m_elapsed = high;
}

uint32_t WaitMilliseconds(bool tableEmpty, std::optional<int64_t> earliest)
{
    if (tableEmpty || !earliest)
        return INFINITE;
    if (*earliest >= kLongestWaitSeconds)
        return kLongestWaitMs;
    return static_cast<uint32_t>(*earliest * 1000) + kWaitSlackMs;
}
} // namespace

CTaskScheduler::CTaskScheduler() : CTaskScheduler(WallClock()) {}

CTaskScheduler::CTaskScheduler(WallClock wallClock) : m_wallClock(std::move(wallClock))
{
    if (!m_wallClock)
        m_wallClock = [] { return SystemClock::now(); };
    Start();
}

CTaskScheduler::~CTaskScheduler()
{
    Stop();
    ForgetDestroyedMutex(&m_controlMutex);
}

void CTaskScheduler::Start()
{
    {
        CScopedLock lock(m_lock);
        if (m_threadRunning)
            return;
    }
    std::lock_guard<std::mutex> control(m_controlMutex);
    CScopedLock lock(m_lock);
    if (m_threadRunning)
        return;
    // A loop stopped from one of its own tasks has ended without being
    // joined; it takes the lock no more, so joining under it is safe.
    m_thread.Join();
    m_stopEvent.Reset();
    // The flag only follows a thread that really began: Stop waits for it.
    m_threadRunning = m_thread.Start([this] { Loop(); }, THREAD_PRIORITY_LOWEST);
}

void CTaskScheduler::Stop()
{
    {
        CScopedLock lock(m_lock);
        if (m_threadRunning)
            m_stopEvent.Set();
        if (m_threadRunning && m_loopThreadId == std::this_thread::get_id())
            return;
    }
    std::lock_guard<std::mutex> control(m_controlMutex);
    m_thread.Join();
    // Entries added while no loop ran (none started, or added after a stop)
    // would otherwise never be handed back.
    CScopedLock lock(m_lock);
    if (!m_threadRunning)
        ReleaseAllLocked();
}

int CTaskScheduler::AddTask(CScheduledTask* task, time_t start, int repeat, int interval, int unit)
{
    if (!task)
        return 0;
    CScheduleEntry entry;
    entry.m_task = task;
    entry.m_start = start;
    entry.m_remaining = repeat;
    entry.m_interval = interval;
    entry.m_unit = unit;
    entry.m_wallAnchor = m_wallClock();
    entry.m_steadyAnchor = SteadyClock::now();
    SkipPastIntervals(entry, FloorSeconds(entry.m_wallAnchor));

    CScopedLock lock(m_lock);
    entry.m_id = g_nextEntryId.fetch_add(1);
    const int id = entry.m_id;
    m_entries.emplace(id, entry);
    m_tableChanged = true;
    m_wakeEvent.Set();
    return id;
}

void CTaskScheduler::ReleaseAllLocked()
{
    // Taken out first: a task's Release may add a new entry.
    std::map<int, CScheduleEntry> entries;
    entries.swap(m_entries);
    for (auto& [id, entry] : entries)
    {
        if (entry.m_task)
            entry.m_task->Release();
    }
}

void CTaskScheduler::Loop()
{
    {
        CScopedLock lock(m_lock);
        m_loopThreadId = std::this_thread::get_id();
    }
    for (;;)
    {
        std::unique_lock<CCriticalSection> lock(m_lock);
        for (auto it = m_entries.begin(); it != m_entries.end();)
        {
            if (!it->second.m_done)
            {
                ++it;
                continue;
            }
            CScheduledTask* task = it->second.m_task;
            it = m_entries.erase(it);
            if (task)
                task->Release();
        }

        m_tableChanged = false;
        std::optional<int64_t> earliest;
        bool stopping = false;
        // Entries are erased only on this thread; AddTask during a Run only
        // inserts, which leaves the iterator valid.
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it)
        {
            if (m_stopEvent.IsSet())
            {
                stopping = true;
                break;
            }
            CScheduleEntry& entry = it->second;
            if (entry.m_done)
                continue;
            int64_t seconds = SecondsUntilDue(entry, SteadyClock::now());
            if (seconds == 0)
            {
                entry.m_running = true;
                if (entry.m_elapsed < INT_MAX)
                    ++entry.m_elapsed;
                CScheduledTask* task = entry.m_task;
                const int remaining = entry.m_remaining;
                lock.unlock();
                task->Run(remaining);
                lock.lock();
                entry.m_running = false;
                if (entry.m_remaining > 0)
                    --entry.m_remaining;
                if (entry.m_remaining == 0)
                    entry.m_done = true;
                else
                    seconds = SecondsUntilDue(entry, SteadyClock::now());
            }
            if (!earliest || seconds < *earliest)
                earliest = seconds;
            // A task's AddTask has changed the table: begin a new pass.
            if (m_tableChanged)
                break;
        }
        if (stopping)
            break;

        // AddTask has set the wake event, so a changed table waits not at all.
        const uint32_t waitMs = m_tableChanged ? 0 : WaitMilliseconds(m_entries.empty(), earliest);
        lock.unlock();
        const int fired = WaitForAnyEvent({&m_stopEvent, &m_wakeEvent}, waitMs);
        if (fired == 0)
            break;
        if (fired == 1)
        {
            lock.lock();
            m_wakeEvent.Reset();
        }
    }

    CScopedLock lock(m_lock);
    ReleaseAllLocked();
    m_threadRunning = false;
    m_loopThreadId = std::thread::id();
}
