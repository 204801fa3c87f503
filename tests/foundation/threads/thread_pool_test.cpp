#include "foundation/threads/ThreadPool.h"
#include "platform/core/Event.h"
#include "platform/core/Thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace
{
// Bound for waits that must end: far above any scheduling delay.
constexpr std::chrono::milliseconds kGenerous{10000};
constexpr uint32_t kGenerousMs = 10000;

void CountCall(void* argument)
{
    ++*static_cast<std::atomic<int>*>(argument);
}

// A call that blocks until released, noting when it began and when it ended.
struct BlockingCall
{
    CEvent m_began{true};
    CEvent m_release{true};
    std::atomic<bool> m_returned{false};

    static void Run(void* argument)
    {
        auto* call = static_cast<BlockingCall*>(argument);
        call->m_began.Set();
        call->m_release.Wait(kGenerousMs);
        call->m_returned = true;
    }
};

TEST(ThreadPool, RefusesCallsUntilStartedAndAfterAStop)
{
    CThreadPool pool;
    std::atomic<int> calls{0};
    EXPECT_EQ(pool.Run(CountCall, &calls), nullptr);

    pool.Start();
    EXPECT_EQ(pool.Run(nullptr, &calls), nullptr);
    ASSERT_NE(pool.Run(CountCall, &calls), nullptr);
    ASSERT_TRUE(pool.WaitUntilIdle(kGenerous));
    EXPECT_EQ(calls, 1);

    pool.SignalStop();
    EXPECT_EQ(pool.Run(CountCall, &calls), nullptr);
    pool.StopAndWait();
    EXPECT_EQ(pool.GetWorkerCount(), 0u);
    EXPECT_EQ(calls, 1);
}

TEST(ThreadPool, AnIdleWorkerIsReusedAndABusyOneIsNot)
{
    CThreadPool pool;
    pool.Start();
    std::atomic<int> calls{0};
    CPoolWorker* first = pool.Run(CountCall, &calls);
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(pool.WaitUntilIdle(kGenerous));

    BlockingCall blocking;
    EXPECT_EQ(pool.Run(BlockingCall::Run, &blocking), first);
    EXPECT_EQ(pool.GetWorkerCount(), 1u);
    ASSERT_TRUE(blocking.m_began.Wait(kGenerousMs));

    CPoolWorker* second = pool.Run(CountCall, &calls);
    EXPECT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(pool.GetWorkerCount(), 2u);

    blocking.m_release.Set();
    ASSERT_TRUE(pool.WaitUntilIdle(kGenerous));
    EXPECT_EQ(calls, 2);
    pool.StopAndWait();
}

TEST(ThreadPool, IdleWorkersEndAndANewOneIsMadeOnDemand)
{
    CThreadPool pool(std::chrono::milliseconds(20));
    pool.Start();
    std::atomic<int> calls{0};
    ASSERT_NE(pool.Run(CountCall, &calls), nullptr);
    ASSERT_NE(pool.Run(CountCall, &calls), nullptr);
    ASSERT_TRUE(pool.WaitUntilWorkersAtMost(0, kGenerous));
    EXPECT_EQ(calls, 2);

    ASSERT_NE(pool.Run(CountCall, &calls), nullptr);
    EXPECT_EQ(pool.GetWorkerCount(), 1u);
    ASSERT_TRUE(pool.WaitUntilWorkersAtMost(0, kGenerous));
    EXPECT_EQ(calls, 3);
    pool.StopAndWait();
}

struct Chain
{
    CThreadPool* m_pool;
    std::atomic<int> m_calls{0};
    CPoolWorker* m_inner = nullptr;
};

TEST(ThreadPool, ACallMayRunAnotherCall)
{
    CThreadPool pool;
    pool.Start();
    Chain chain{&pool};
    ASSERT_NE(pool.Run(
                  [](void* argument) {
                      auto* chained = static_cast<Chain*>(argument);
                      chained->m_inner = chained->m_pool->Run(CountCall, &chained->m_calls);
                  },
                  &chain),
              nullptr);
    ASSERT_TRUE(pool.WaitUntilIdle(kGenerous));
    EXPECT_NE(chain.m_inner, nullptr);
    EXPECT_EQ(chain.m_calls, 1);
    pool.StopAndWait();
}

// A call handed out by Run is never dropped by a stop that comes before the
// worker got to it, whether the worker was idle or new.
TEST(ThreadPool, ACallHandedOutJustBeforeAStopStillRuns)
{
    CThreadPool pool;
    std::atomic<int> calls{0};
    std::atomic<int> warmUps{0};
    constexpr int kRounds = 40;
    for (int round = 0; round < kRounds; ++round)
    {
        pool.Start();
        if (round % 2 == 1)
        {
            ASSERT_NE(pool.Run(CountCall, &warmUps), nullptr);
            ASSERT_TRUE(pool.WaitUntilIdle(kGenerous));
        }
        ASSERT_NE(pool.Run(CountCall, &calls), nullptr);
        pool.SignalStop();
        pool.StopAndWait();
        ASSERT_EQ(calls, round + 1) << "round " << round;
        ASSERT_EQ(pool.GetWorkerCount(), 0u);
    }
}

TEST(ThreadPool, StopAndWaitWaitsForABusyCall)
{
    CThreadPool pool;
    pool.StopAndWait();
    EXPECT_EQ(pool.GetWorkerCount(), 0u);

    pool.Start();
    BlockingCall blocking;
    ASSERT_NE(pool.Run(BlockingCall::Run, &blocking), nullptr);
    ASSERT_TRUE(blocking.m_began.Wait(kGenerousMs));

    std::atomic<bool> returnedWhenStopped{false};
    CEvent stopping(true);
    CThread stopper;
    ASSERT_TRUE(stopper.Start([&] {
        stopping.Set();
        pool.StopAndWait();
        returnedWhenStopped = blocking.m_returned.load();
    }));
    ASSERT_TRUE(stopping.Wait(kGenerousMs));
    blocking.m_release.Set();
    stopper.Join();
    EXPECT_TRUE(returnedWhenStopped);
    EXPECT_EQ(pool.GetWorkerCount(), 0u);
}

// An owner that forgets StopAndWait must not leave a worker running into a
// freed pool: the destructor waits for the call.
TEST(ThreadPool, DestroyingThePoolWaitsForItsWorkers)
{
    auto pool = std::make_unique<CThreadPool>();
    pool->Start();
    BlockingCall blocking;
    ASSERT_NE(pool->Run(BlockingCall::Run, &blocking), nullptr);
    ASSERT_TRUE(blocking.m_began.Wait(kGenerousMs));

    std::atomic<bool> returnedWhenDestroyed{false};
    CEvent destroying(true);
    CThread destroyer;
    ASSERT_TRUE(destroyer.Start([&] {
        destroying.Set();
        pool.reset();
        returnedWhenDestroyed = blocking.m_returned.load();
    }));
    ASSERT_TRUE(destroying.Wait(kGenerousMs));
    blocking.m_release.Set();
    destroyer.Join();
    EXPECT_TRUE(returnedWhenDestroyed);
}
} // namespace
