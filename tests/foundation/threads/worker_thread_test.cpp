#include "foundation/threads/WorkerThread.h"
#include "platform/core/Event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace
{
constexpr uint32_t kGenerousMs = 10000;

// A body that waits for its stop (or for `finish`), the usual shape of a
// worker. `callExit` false plays a body that forgot OnThreadExit.
class CTestWorker : public CWorkerThread
{
public:
    explicit CTestWorker(bool callExit = true) : m_callExit(callExit) {}
    ~CTestWorker() override { Stop(); }

    void SetPriority(int priority) { m_priority = priority; }

    std::atomic<int> m_runs{0};
    std::atomic<int> m_stopHooks{0};
    std::atomic<int> m_nice{-100};
    std::atomic<bool> m_stopFromBody{false};
    CEvent m_started{false};
    CEvent m_finish{true};
    CEvent m_returning{true};

protected:
    void OnStopRequested() override
    {
        ++m_stopHooks;
        m_wake.Set();
    }

    int Run() override
    {
        ++m_runs;
        errno = 0;
        m_nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)));
        m_started.Set();
        if (m_stopFromBody)
            Stop();
        while (!IsStopRequested())
        {
            CEvent* events[] = {&m_wake, &m_finish};
            if (WaitForAnyEvent(events, 2, INFINITE) == 1)
                break;
        }
        if (m_callExit)
            OnThreadExit();
        m_returning.Set();
        return 0;
    }

private:
    bool m_callExit;
    CEvent m_wake{false};
};

TEST(WorkerThread, StartStopAndRestart)
{
    CTestWorker worker;
    EXPECT_EQ(worker.IsStopRequested(), 1);
    EXPECT_FALSE(worker.IsRunning());

    for (int round = 1; round <= 3; ++round)
    {
        ASSERT_TRUE(worker.Start()) << "round " << round;
        EXPECT_TRUE(worker.IsRunning());
        EXPECT_EQ(worker.IsStopRequested(), 0);
        ASSERT_TRUE(worker.m_started.Wait(kGenerousMs));

        EXPECT_FALSE(worker.Start()) << "a running worker is not started twice";
        EXPECT_EQ(worker.IsStopRequested(), 0);

        worker.Stop();
        EXPECT_FALSE(worker.IsRunning());
        EXPECT_EQ(worker.IsStopRequested(), 1);
        EXPECT_EQ(worker.m_runs, round);
        EXPECT_EQ(worker.m_stopHooks, round);
    }
}

TEST(WorkerThread, StopOnANeverStartedWorkerReturnsAtOnce)
{
    CTestWorker worker;
    worker.Stop();
    EXPECT_EQ(worker.m_stopHooks, 1);
    EXPECT_EQ(worker.IsStopRequested(), 1);
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(worker.m_runs, 0);
}

TEST(WorkerThread, BodyThatEndsByItselfLeavesTheStopFlagDown)
{
    CTestWorker worker;
    ASSERT_TRUE(worker.Start());
    worker.m_finish.Set();
    ASSERT_TRUE(worker.m_returning.Wait(kGenerousMs));
    // OnThreadExit came before m_returning.
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(worker.IsStopRequested(), 0);

    worker.m_finish.Reset();
    worker.m_returning.Reset();
    EXPECT_TRUE(worker.Start());
    worker.Stop();
    EXPECT_EQ(worker.m_runs, 2);
}

TEST(WorkerThread, BodyThatForgotOnThreadExitStillStopsAndRestarts)
{
    CTestWorker worker(false);
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(worker.m_started.Wait(kGenerousMs));
    worker.Stop();
    EXPECT_FALSE(worker.IsRunning());

    // Ending by itself, without a stop, frees the worker too.
    ASSERT_TRUE(worker.Start());
    worker.m_finish.Set();
    ASSERT_TRUE(worker.m_returning.Wait(kGenerousMs));
    worker.Stop();
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(worker.m_runs, 2);
}

TEST(WorkerThread, StopFromTheBodyItselfDoesNotWaitForItself)
{
    CTestWorker worker;
    worker.m_stopFromBody = true;
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(worker.m_returning.Wait(kGenerousMs));
    EXPECT_EQ(worker.IsStopRequested(), 1);
    worker.Stop();
    EXPECT_FALSE(worker.IsRunning());
}

TEST(WorkerThread, ThreadRunsAtTheObjectsPriority)
{
    CTestWorker lowest;
    ASSERT_TRUE(lowest.Start());
    ASSERT_TRUE(lowest.m_started.Wait(kGenerousMs));
    EXPECT_EQ(lowest.m_nice, 19);
    lowest.Stop();

    errno = 0;
    const int ownNice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)));
    CTestWorker normal;
    normal.SetPriority(THREAD_PRIORITY_NORMAL);
    ASSERT_TRUE(normal.Start());
    ASSERT_TRUE(normal.m_started.Wait(kGenerousMs));
    EXPECT_EQ(normal.m_nice, ownNice);
    normal.Stop();
}
} // namespace
