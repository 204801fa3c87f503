#include "foundation/threads/NamedLockTable.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace
{
TEST(NamedLockTableTest, OneHolderPerNameAndEmptyAfterwards)
{
    constexpr int kThreads = 8;
    constexpr int kRounds = 300;
    const char* const kNames[] = {"ftp.example.com:21", "ftp.example.org:21"};

    CNamedLockTable table;
    std::atomic<int> inside[2] = {0, 0};
    std::atomic<int> overlaps{0};
    int counters[2] = {0, 0}; // each guarded only by its named lock
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back(
            [&, t]
            {
                const int n = t % 2;
                for (int round = 0; round < kRounds; ++round)
                {
                    table.Lock(kNames[n]);
                    if (inside[n].fetch_add(1) != 0)
                        ++overlaps;
                    ++counters[n];
                    inside[n].fetch_sub(1);
                    EXPECT_TRUE(table.Unlock(kNames[n]));
                }
            });
    }
    for (std::thread& thread : threads)
        thread.join();

    EXPECT_EQ(overlaps.load(), 0);
    EXPECT_EQ(counters[0], kThreads / 2 * kRounds);
    EXPECT_EQ(counters[1], kThreads / 2 * kRounds);
    EXPECT_EQ(table.GetCount(), 0u);
}

TEST(NamedLockTableTest, OtherNamesDoNotWait)
{
    CNamedLockTable table;
    table.Lock("a:21");

    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;
    std::thread other(
        [&]
        {
            table.Lock("b:21");
            EXPECT_TRUE(table.Unlock("b:21"));
            std::lock_guard<std::mutex> lock(mutex);
            done = true;
            changed.notify_all();
        });
    {
        std::unique_lock<std::mutex> lock(mutex);
        EXPECT_TRUE(changed.wait_for(lock, std::chrono::seconds(30), [&] { return done; }));
    }
    other.join();
    EXPECT_EQ(table.GetCount(), 1u);
    EXPECT_TRUE(table.Unlock("a:21"));
    EXPECT_EQ(table.GetCount(), 0u);
}

TEST(NamedLockTableTest, UnlockByOtherThreadOrUnknownNameIsRefused)
{
    CNamedLockTable table;
    EXPECT_FALSE(table.Unlock("nobody"));

    table.Lock("x");
    std::thread stranger([&] { EXPECT_FALSE(table.Unlock("x")); });
    stranger.join();
    EXPECT_EQ(table.GetCount(), 1u);

    // The refused release left this thread's hold intact.
    EXPECT_TRUE(table.Unlock("x"));
    EXPECT_FALSE(table.Unlock("x"));
    EXPECT_EQ(table.GetCount(), 0u);
}

TEST(NamedLockTableTest, RecursiveHoldNeedsMatchingUnlocks)
{
    CNamedLockTable table;
    table.Lock("x");
    table.Lock("x");
    EXPECT_EQ(table.GetCount(), 1u);
    EXPECT_TRUE(table.Unlock("x"));
    EXPECT_EQ(table.GetCount(), 1u);
    EXPECT_TRUE(table.Unlock("x"));
    EXPECT_EQ(table.GetCount(), 0u);
    EXPECT_FALSE(table.Unlock("x"));
}
} // namespace
