#pragma once
// CTaskScheduler runs timed and repeating tasks on one scheduler thread of its
// own, at the lowest priority. The transfer manager uses one for its
// one-second tick.
//
// An entry is added with a start time (wall-clock seconds), a repeat count
// (-1: for ever; 0 behaves like 1), an interval and a unit (-1 or 0 seconds,
// 1 minutes, 2 hours, 3 days, 4 weeks, 5 calendar months, 6 calendar years;
// see TimeUnits.h). Due times are start + interval x runs begun. The thread
// sleeps until the earliest entry is due, runs every due task outside its
// lock, one at a time, in entry-id order, and hands a task back (Release)
// when its repeats are used up or the scheduler stops.
//
// Times have one-second resolution: each wait is the whole seconds until the
// earliest due time plus 20 ms. A task that lags behind its due times (unit
// -1) is run again after 20 ms waits until it has caught up; with units 0-6 a
// start time already past at AddTask skips the missed runs instead. An entry
// with no interval runs once; it then stays (due 1000 s ahead, again and
// again) until its repeats are used up or the scheduler stops.
//
// The wall clock is read once per AddTask: the entry's due times are then
// fixed on the monotonic clock, so a later step of the wall clock (by hand,
// by time synchronisation) neither stalls the tasks nor floods them with
// catch-up runs. Calendar steps (months, years) are computed in local time
// from the start.
//
// AddTask may be called from any thread, including from a task's Run. Stop
// waits for the thread to end and joins it; called from a task's Run it only
// asks for the stop (the loop ends once that task returns).

#include "foundation/threads/ScheduledTask.h"
#include "platform/core/CriticalSection.h"
#include "platform/core/Event.h"
#include "platform/core/Thread.h"

#include <chrono>
#include <ctime>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

// One added task.
struct CScheduleEntry
{
    CScheduledTask* m_task = nullptr; // not owned; handed back through Release
    time_t m_start = 0;               // first due time, wall-clock seconds
    int m_remaining = 0;              // runs still to come; -1 for ever
    int m_interval = 0;               // units between runs; 0 or less: none
    int m_unit = 0;
    int m_elapsed = 0;                // runs begun, skipped past intervals included
    bool m_done = false;              // no more runs; dropped at the next pass
    bool m_running = false;           // while its task's Run executes
    int m_id = 0;
    // The same moment on both clocks, taken at AddTask: due times are
    // computed on the wall clock from m_start and placed on the monotonic
    // clock through this pair.
    std::chrono::system_clock::time_point m_wallAnchor;
    std::chrono::steady_clock::time_point m_steadyAnchor;
};

class CTaskScheduler
{
public:
    using WallClock = std::function<std::chrono::system_clock::time_point()>;

    // Starts the scheduler thread.
    CTaskScheduler();
    // As above, reading the wall clock through `wallClock` (tests).
    explicit CTaskScheduler(WallClock wallClock);
    // Stops; every task has been released when it returns.
    ~CTaskScheduler();
    CTaskScheduler(const CTaskScheduler&) = delete;
    CTaskScheduler& operator=(const CTaskScheduler&) = delete;

    // Begins the scheduler thread when none runs; does nothing otherwise.
    void Start();

    // Ends the scheduler thread: every entry's task is released and the table
    // is empty when it returns (also when no thread was running).
    void Stop();

    // Adds an entry and returns its id (process-wide, from 1 upwards), or 0
    // without any effect when `task` is null.
    int AddTask(CScheduledTask* task, time_t start, int repeat, int interval, int unit);

private:
    void Loop();
    // Under m_lock: hands every task of the table back and empties it.
    void ReleaseAllLocked();

    CCriticalSection m_lock;
    bool m_threadRunning = false;
    CEvent m_stopEvent{true};
    CEvent m_wakeEvent{true};
    std::map<int, CScheduleEntry> m_entries;
    bool m_tableChanged = false;
    // The loop's thread while it runs, so that Stop and Start called from a
    // task do not wait for their own thread.
    std::thread::id m_loopThreadId;

    // Serialises Start and Stop, which join outside m_lock.
    std::mutex m_controlMutex;
    CThread m_thread;
    WallClock m_wallClock;
};
