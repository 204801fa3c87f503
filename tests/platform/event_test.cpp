#include "platform/core/Event.h"
#include "platform/core/Thread.h"

#include <gtest/gtest.h>

#include <atomic>

namespace
{
// Bound for waits that must end: far above any scheduling delay.
constexpr uint32_t kGenerousMs = 10000;

TEST(Event, ManualResetStaysSignalledUntilReset)
{
    CEvent event(true);
    EXPECT_FALSE(event.Wait(0));
    event.Set();
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.IsSet());
    event.Reset();
    EXPECT_FALSE(event.Wait(10));
}

TEST(Event, AutoResetReleasesOneWaitPerSet)
{
    CEvent event(false, true);
    EXPECT_TRUE(event.IsSet());
    EXPECT_TRUE(event.Wait(0));
    EXPECT_FALSE(event.IsSet());
    EXPECT_FALSE(event.Wait(10));
    event.Set();
    event.Set();
    EXPECT_TRUE(event.Wait(0));
    EXPECT_FALSE(event.Wait(0));
}

TEST(Event, SetFromAnotherThreadEndsAnEndlessWait)
{
    CEvent event(false);
    CEvent started(true);
    std::atomic<bool> returned{false};
    CThread waiter;
    ASSERT_TRUE(waiter.Start([&] {
        started.Set();
        returned = event.Wait(INFINITE);
    }));
    ASSERT_TRUE(started.Wait(kGenerousMs));
    event.Set();
    waiter.Join();
    EXPECT_TRUE(returned);
    EXPECT_FALSE(event.IsSet());
}

TEST(Event, ManualResetReleasesEveryWaiter)
{
    CEvent event(true);
    constexpr int kWaiters = 4;
    std::atomic<int> released{0};
    CThread threads[kWaiters];
    for (CThread& thread : threads)
        ASSERT_TRUE(thread.Start([&] {
            if (event.Wait(kGenerousMs))
                ++released;
        }));
    event.Set();
    for (CThread& thread : threads)
        thread.Join();
    EXPECT_EQ(released, kWaiters);
}

TEST(WaitForAnyEvent, ReturnsTheFirstSignalledInArrayOrder)
{
    CEvent stop(true);
    CEvent wake(false);
    EXPECT_EQ(WaitForAnyEvent({&stop, &wake}, 0), WAIT_TIMEOUT_INDEX);
    EXPECT_EQ(WaitForAnyEvent({&stop, &wake}, 10), WAIT_TIMEOUT_INDEX);

    wake.Set();
    EXPECT_EQ(WaitForAnyEvent({&stop, &wake}, 0), 1);
    EXPECT_FALSE(wake.IsSet()) << "an auto-reset event is taken by the wait";

    stop.Set();
    wake.Set();
    EXPECT_EQ(WaitForAnyEvent({&stop, &wake}, 0), 0);
    EXPECT_TRUE(stop.IsSet());
    EXPECT_TRUE(wake.IsSet()) << "the events after the first signalled one are left alone";

    EXPECT_EQ(WaitForAnyEvent({nullptr, &wake}, 0), 1);
}

TEST(WaitForAnyEvent, SetFromAnotherThreadEndsTheWait)
{
    CEvent stop(true);
    CEvent wake(true);
    CEvent started(true);
    std::atomic<int> result{-2};
    CThread waiter;
    ASSERT_TRUE(waiter.Start([&] {
        started.Set();
        result = WaitForAnyEvent({&stop, &wake}, INFINITE);
    }));
    ASSERT_TRUE(started.Wait(kGenerousMs));
    wake.Set();
    waiter.Join();
    EXPECT_EQ(result, 1);

    // The waiter has unregistered: setting the events now touches nothing freed.
    wake.Reset();
    stop.Set();
    EXPECT_EQ(WaitForAnyEvent({&stop, &wake}, 0), 0);
}
} // namespace
