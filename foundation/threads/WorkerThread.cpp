#include "foundation/threads/WorkerThread.h"

#include <mutex>

CWorkerThread::~CWorkerThread()
{
    m_stopRequested.store(1);
    std::unique_ptr<CThread> thread;
    {
        CScopedLock lock(m_lock);
        thread = std::move(m_thread);
    }
    if (thread)
        thread->Join();
}

bool CWorkerThread::Start()
{
    std::unique_ptr<CThread> finished;
    {
        CScopedLock lock(m_lock);
        if (m_holdsThread)
            return false;
        finished = std::move(m_thread);
    }
    // The last thread has dropped its hold but may still be on its way out;
    // join it (without the lock, which its exit step takes) before the next
    // one begins, so that its exit step cannot touch the new thread's state.
    if (finished)
        finished->Join();

    CScopedLock lock(m_lock);
    if (m_holdsThread || m_thread)
        return false;
    m_stopRequested.store(0);
    auto thread = std::make_unique<CThread>();
    // Held before the body can run: its OnThreadExit waits for this lock.
    m_holdsThread = true;
    if (!thread->Start([this] { ThreadMain(); }, m_priority))
    {
        m_holdsThread = false;
        return false;
    }
    m_thread = std::move(thread);
    return true;
}

void CWorkerThread::Stop()
{
    m_stopRequested.store(1);
    OnStopRequested();

    std::unique_ptr<CThread> thread;
    {
        std::unique_lock<CCriticalSection> lock(m_lock);
        if (m_thread && m_thread->IsCurrentThread())
            return;
        m_exited.wait(lock, [this] { return !m_holdsThread; });
        thread = std::move(m_thread);
    }
    if (thread)
        thread->Join();
}

bool CWorkerThread::IsRunning() const
{
    CScopedLock lock(m_lock);
    return m_holdsThread;
}

void CWorkerThread::OnThreadExit()
{
    {
        CScopedLock lock(m_lock);
        m_holdsThread = false;
    }
    m_exited.notify_all();
}

void CWorkerThread::ThreadMain()
{
    Run();
    // Without this a body that forgot its OnThreadExit would hold the thread
    // for ever: Stop would never return and Start would refuse every restart.
    OnThreadExit();
}
