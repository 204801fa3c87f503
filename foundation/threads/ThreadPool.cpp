#include "foundation/threads/ThreadPool.h"

#include <algorithm>
#include <mutex>

CThreadPool::CThreadPool(std::chrono::milliseconds idleTime) : m_idleTime(idleTime) {}

CThreadPool::~CThreadPool()
{
    StopAndWait();
}

void CThreadPool::Start()
{
    CScopedLock lock(m_lock);
    m_stopped = false;
}

void CThreadPool::SignalStop()
{
    CScopedLock lock(m_lock);
    m_stopped = true;
    for (const auto& worker : m_workers)
        worker->m_wake.notify_all();
}

void CThreadPool::StopAndWait()
{
    std::unique_lock<CCriticalSection> lock(m_lock);
    m_stopped = true;
    for (const auto& worker : m_workers)
        worker->m_wake.notify_all();
    m_changed.wait(lock, [this] { return m_workers.empty(); });
    JoinFinished();
}

CPoolWorker* CThreadPool::Run(PoolCallback callback, void* argument)
{
    CScopedLock lock(m_lock);
    if (m_stopped || !callback)
        return nullptr;
    JoinFinished();

    for (const auto& worker : m_workers)
    {
        if (worker->m_state == CPoolWorker::Idle)
        {
            worker->m_callback = callback;
            worker->m_argument = argument;
            worker->m_state = CPoolWorker::CallAssigned;
            worker->m_wake.notify_all();
            return worker.get();
        }
    }

    auto created = std::make_unique<CPoolWorker>();
    CPoolWorker* worker = created.get();
    worker->m_callback = callback;
    worker->m_argument = argument;
    worker->m_state = CPoolWorker::CallAssigned;
    m_workers.push_back(std::move(created));
    // The new thread's first step is to take the lock, so it starts on its
    // call only after this Run has returned.
    if (!worker->m_thread.Start([this, worker] { WorkerLoop(worker); }, THREAD_PRIORITY_LOWEST))
    {
        m_workers.pop_back();
        return nullptr;
    }
    return worker;
}

size_t CThreadPool::GetWorkerCount() const
{
    CScopedLock lock(m_lock);
    return m_workers.size();
}

bool CThreadPool::AllIdleLocked() const
{
    return std::all_of(m_workers.begin(), m_workers.end(),
                       [](const auto& worker) { return worker->m_state == CPoolWorker::Idle; });
}

bool CThreadPool::WaitUntilIdle(std::chrono::milliseconds bound) const
{
    std::unique_lock<CCriticalSection> lock(m_lock);
    return m_changed.wait_for(lock, bound, [this] { return AllIdleLocked(); });
}

bool CThreadPool::WaitUntilWorkersAtMost(size_t count, std::chrono::milliseconds bound) const
{
    std::unique_lock<CCriticalSection> lock(m_lock);
    return m_changed.wait_for(lock, bound, [&] { return m_workers.size() <= count; });
}

void CThreadPool::WorkerLoop(CPoolWorker* worker)
{
    std::unique_lock<CCriticalSection> lock(m_lock);
    for (;;)
    {
        // A call assigned runs even when the pool stopped meanwhile (see the
        // header): whoever got this worker from Run waits for the call.
        if (worker->m_state == CPoolWorker::CallAssigned)
        {
            const PoolCallback callback = worker->m_callback;
            void* const argument = worker->m_argument;
            lock.unlock();
            callback(argument);
            lock.lock();
            worker->m_callback = nullptr;
            worker->m_argument = nullptr;
            worker->m_state = CPoolWorker::Idle;
            m_changed.notify_all();
        }
        if (m_stopped)
            break;
        const auto deadline = std::chrono::steady_clock::now() + m_idleTime;
        const bool woken = worker->m_wake.wait_until(lock, deadline, [&] {
            return worker->m_state == CPoolWorker::CallAssigned || m_stopped;
        });
        // A call assigned just as the idle time ran out still counts as woken.
        if (!woken)
            break;
    }
    Leave(worker);
}

void CThreadPool::Leave(CPoolWorker* worker)
{
    worker->m_state = CPoolWorker::Leaving;
    worker->m_callback = nullptr;
    worker->m_argument = nullptr;
    auto found = std::find_if(m_workers.begin(), m_workers.end(),
                              [worker](const auto& held) { return held.get() == worker; });
    if (found != m_workers.end())
    {
        m_finished.push_back(std::move(*found));
        m_workers.erase(found);
    }
    m_changed.notify_all();
}

void CThreadPool::JoinFinished()
{
    for (const auto& worker : m_finished)
        worker->m_thread.Join();
    m_finished.clear();
}
