#pragma once
// Runs calls of a function with one pointer argument on reusable worker
// threads. A call goes to the first idle worker, in creation order, or to a
// new one; there is no upper bound on the number of workers. A worker that
// stays idle for the pool's idle time (5000 ms unless the owner chose another)
// ends itself, so bursts of short jobs share threads while a quiet pool holds
// none. Every worker runs at the lowest thread priority.
//
// A call that Run has handed to a worker always runs, even when the pool is
// stopped before the worker gets to it: the caller was told the call started
// (Run gave a worker), and owners such as the transfer manager wait for that
// call to file its job, so dropping it would leave them waiting for ever.
// Only Run on a stopped pool refuses a call (it returns null and nothing runs).
//
// Workers that end (idle or stopped) are joined by the pool: at the next Run,
// in StopAndWait and in the destructor.

#include "platform/core/CriticalSection.h"
#include "platform/core/Thread.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <vector>

using PoolCallback = void (*)(void* argument);

constexpr std::chrono::milliseconds kPoolIdleTime{5000};

class CThreadPool;

// One pool thread and the call assigned to it. Owned by its pool; callers see
// it only as the token Run returns.
class CPoolWorker
{
public:
    enum State
    {
        Idle = 0,
        CallAssigned = 1,
        Leaving = 2,
    };

private:
    friend class CThreadPool;

    CThread m_thread;
    PoolCallback m_callback = nullptr;
    void* m_argument = nullptr;
    State m_state = Idle;
    // Signalled, under the pool's lock, when a call is assigned or the pool stops.
    std::condition_variable_any m_wake;
};

class CThreadPool
{
public:
    // A new pool is stopped: it accepts no calls until Start.
    explicit CThreadPool(std::chrono::milliseconds idleTime = kPoolIdleTime);
    // Stops the pool and waits for every worker (an owner that forgot
    // StopAndWait must not leave threads running on a freed pool). Must not
    // run on a pool thread.
    ~CThreadPool();
    CThreadPool(const CThreadPool&) = delete;
    CThreadPool& operator=(const CThreadPool&) = delete;

    // Opens the pool for calls (again, after a stop).
    void Start();

    // Refuses further calls and wakes every idle worker, which then leaves; a
    // worker busy in a call leaves when the call returns. Does not wait.
    void SignalStop();

    // SignalStop, then waits until every worker has left and joins them all.
    // Returns at once on a pool without workers. Must not be called from a
    // pool thread (it would wait for its own call to return).
    void StopAndWait();

    // Hands the call to a worker and returns that worker, or null when the
    // pool is stopped, the callback is null or no thread could be begun. The
    // worker is a token for the caller to keep or compare, never to use; it
    // may be gone once the call has returned. May be called from inside a
    // call on a pool thread.
    CPoolWorker* Run(PoolCallback callback, void* argument);

    // Number of workers in the pool (busy or idle, not those that left).
    size_t GetWorkerCount() const;

    // Wait, up to `bound`, until no worker has a call assigned or running,
    // or until at most `count` workers are in the pool. Return whether that
    // state was reached.
    bool WaitUntilIdle(std::chrono::milliseconds bound) const;
    bool WaitUntilWorkersAtMost(size_t count, std::chrono::milliseconds bound) const;

private:
    void WorkerLoop(CPoolWorker* worker);
    // Under m_lock: moves the worker out of the pool to be joined later.
    void Leave(CPoolWorker* worker);
    // Under m_lock: joins the workers that left. Their threads take the lock
    // no more after Leave, so joining under it cannot deadlock.
    void JoinFinished();
    bool AllIdleLocked() const;

    const std::chrono::milliseconds m_idleTime;
    // In creation order.
    std::vector<std::unique_ptr<CPoolWorker>> m_workers;
    // Workers that left and whose threads are still to be joined.
    std::vector<std::unique_ptr<CPoolWorker>> m_finished;
    mutable CCriticalSection m_lock;
    // Signalled when a worker finishes a call or leaves.
    mutable std::condition_variable_any m_changed;
    bool m_stopped = true;
};
