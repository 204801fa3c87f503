#include "platform/core/Thread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace
{
int NiceOfCallingThread()
{
    const id_t tid = static_cast<id_t>(::syscall(SYS_gettid));
    errno = 0;
    return ::getpriority(PRIO_PROCESS, tid);
}

TEST(Thread, RunsTheBodyAndJoins)
{
    CThread thread;
    EXPECT_FALSE(thread.IsJoinable());
    std::atomic<int> runs{0};
    ASSERT_TRUE(thread.Start([&] { ++runs; }));
    EXPECT_TRUE(thread.IsJoinable());
    thread.Join();
    EXPECT_FALSE(thread.IsJoinable());
    EXPECT_EQ(runs, 1);

    // Joined: the same object starts the next thread.
    ASSERT_TRUE(thread.Start([&] { ++runs; }));
    thread.Join();
    EXPECT_EQ(runs, 2);
}

TEST(Thread, RefusesASecondStartAndAnEmptyBody)
{
    CThread thread;
    EXPECT_FALSE(thread.Start(nullptr));
    ASSERT_TRUE(thread.Start([] {}));
    EXPECT_FALSE(thread.Start([] {}));
    thread.Join();
}

TEST(Thread, JoinOnTheThreadItselfDoesNotDeadlock)
{
    CThread thread;
    std::atomic<bool> wasCurrent{false};
    ASSERT_TRUE(thread.Start([&] {
        wasCurrent = thread.IsCurrentThread();
        thread.Join();
    }));
    thread.Join();
    EXPECT_TRUE(wasCurrent);
    EXPECT_FALSE(thread.IsCurrentThread());
}

TEST(Thread, LowersItsOwnPriorityOnly)
{
    const int ownNice = NiceOfCallingThread();
    struct Case
    {
        int priority;
        int expectedNice;
    };
    const Case cases[] = {
        {THREAD_PRIORITY_LOWEST, 19},
        {THREAD_PRIORITY_IDLE, 19},
        {THREAD_PRIORITY_BELOW_NORMAL, std::max(ownNice, 10)},
        {THREAD_PRIORITY_NORMAL, ownNice},
        {THREAD_PRIORITY_HIGHEST, ownNice},
    };
    for (const Case& c : cases)
    {
        std::atomic<int> seen{-100};
        CThread thread;
        ASSERT_TRUE(thread.Start([&] { seen = NiceOfCallingThread(); }, c.priority));
        thread.Join();
        EXPECT_EQ(seen, c.expectedNice) << "priority " << c.priority;
    }
    EXPECT_EQ(NiceOfCallingThread(), ownNice) << "the starting thread keeps its priority";
}
} // namespace
