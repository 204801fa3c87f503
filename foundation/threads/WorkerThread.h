#pragma once
// CWorkerThread is the base of objects that own one background thread running
// one virtual body: the link-check engine (one per open task window) and the
// thumbnail worker of the link list view.
//
// The subclass supplies the body (Run) and a hook that wakes the body when a
// stop is asked for (OnStopRequested). Start begins a thread at the object's
// priority; Stop raises the stop-request flag, calls OnStopRequested, waits
// until the body has finished and joins the thread. The same object runs many
// threads one after another over its life.
//
// Subclass contract: Run checks IsStopRequested often enough for a prompt
// stop and calls OnThreadExit as its last step (that is what turns IsRunning
// false). A body that forgets it is covered: the thread calls OnThreadExit
// itself once Run has returned, so Stop still returns and the object can be
// started again. OnStopRequested runs on the stopping thread and must not
// block on the worker.
//
// Start, Stop and IsRunning belong to the owner's thread; IsStopRequested and
// OnThreadExit to the worker. The owner calls Stop before destroying a
// started object: the destructor only raises the stop flag and joins, after
// the subclass part is gone, as a last resort against a joinable thread.

#include "platform/core/CriticalSection.h"
#include "platform/core/Thread.h"

#include <atomic>
#include <condition_variable>
#include <memory>

class CWorkerThread
{
public:
    CWorkerThread() = default;
    virtual ~CWorkerThread();
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // Raises the stop-request flag, calls OnStopRequested, waits for the body
    // to finish and joins its thread. On an idle object it returns
    // at once (OnStopRequested is still called once). Called on the worker
    // thread itself it only raises the flag and calls the hook: a thread
    // cannot wait for its own end (the owner's next Stop or Start joins it).
    virtual void Stop();

    // True when a new thread was started; false when one is still held or no
    // thread could be created (the stop flag is then 0 and no thread is held).
    // Sets the stop-request flag to 0 before the thread begins.
    [[nodiscard]] virtual bool Start();

    // Whether a thread is held: from a successful Start until the body's
    // OnThreadExit.
    bool IsRunning() const;

    // The stop-request flag: 1 at construction and after Stop, 0 from Start
    // until the next Stop. Read without the lock at the body's safe points.
    int IsStopRequested() const { return m_stopRequested.load(); }

    // The body's last step: drops the thread, so IsRunning turns false and a
    // waiting Stop returns. Calling it again does nothing.
    void OnThreadExit();

protected:
    // Wakes or cancels whatever the body waits on.
    virtual void OnStopRequested() = 0;

    // The body; its result is the thread's exit code (nothing reads it).
    virtual int Run() = 0;

    // Priority given to the next thread at Start; the subclass may change it
    // before Start.
    int m_priority = THREAD_PRIORITY_LOWEST;

private:
    void ThreadMain();

    // Guards m_holdsThread and m_thread.
    mutable CCriticalSection m_lock;
    std::condition_variable_any m_exited;
    std::atomic<int> m_stopRequested{1};
    bool m_holdsThread = false;
    // The last thread started; kept until joined even after it has dropped
    // its hold.
    std::unique_ptr<CThread> m_thread;
};
