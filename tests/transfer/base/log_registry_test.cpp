#include "transfer/base/LogRegistry.h"
#include "transfer/base/TransferLog.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <thread>
#include <vector>

TEST(LogRegistry, NumbersLogsAndFindsThemById)
{
    CLogRegistry registry;
    EXPECT_EQ(registry.CreateLog(), 1);
    EXPECT_EQ(registry.CreateLog(), 2);

    ITransferLog* log = registry.GetLog(2);
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->GetLogId(), 2);
    log->AppendLine(kLogStatus, "kept");
    log->Release();

    ITransferLog* again = registry.GetLog(2);
    std::string text;
    again->GetText(text);
    EXPECT_EQ(text, "S:\tkept\r\n");
    again->Release();

    EXPECT_EQ(registry.GetLog(0), nullptr);
    EXPECT_EQ(registry.GetLog(-1), nullptr);
    EXPECT_FALSE(registry.ReleaseLog(0));
    EXPECT_FALSE(registry.ReleaseLog(-1));
    EXPECT_FALSE(registry.ReleaseLog(5));
    EXPECT_TRUE(registry.ReleaseLog(1));
    EXPECT_FALSE(registry.ReleaseLog(1));
    // Released ids are not handed out again by CreateLog.
    EXPECT_EQ(registry.CreateLog(), 3);
}

TEST(LogRegistry, GetLogOfAnUnknownIdCreatesItAndCreateLogSkipsIt)
{
    CLogRegistry registry;
    ITransferLog* seven = registry.GetLog(7);
    ASSERT_NE(seven, nullptr);
    EXPECT_EQ(seven->GetLogId(), 7);
    seven->Release();

    std::vector<int> ids;
    for (int i = 0; i < 7; ++i)
        ids.push_back(registry.CreateLog());
    EXPECT_EQ(ids, (std::vector<int>{1, 2, 3, 4, 5, 6, 8}));

    // Asking for the next free id itself moves the counter past it.
    ITransferLog* nine = registry.GetLog(9);
    nine->Release();
    EXPECT_EQ(registry.CreateLog(), 10);
    EXPECT_TRUE(registry.ReleaseLog(7));
}

TEST(LogRegistry, HeldLogOutlivesReleaseLog)
{
    CLogRegistry registry;
    const int id = registry.CreateLog();
    ITransferLog* log = registry.GetLog(id);
    EXPECT_TRUE(registry.ReleaseLog(id));
    log->AppendLine(kLogStatus, "still here");
    std::string text;
    log->GetText(text);
    EXPECT_EQ(text, "S:\tstill here\r\n");
    EXPECT_EQ(log->Release(), 0);

    // A later GetLog of that id gets a fresh, empty log.
    ITransferLog* fresh = registry.GetLog(id);
    fresh->GetText(text);
    EXPECT_EQ(text, "");
    fresh->Release();
}

TEST(LogRegistry, DestroyingTheRegistryReleasesItsLogs)
{
    auto registry = std::make_unique<CLogRegistry>();
    registry->CreateLog();
    ITransferLog* held = registry->GetLog(registry->CreateLog());
    registry.reset();
    // The registry's reference is gone; the reader's keeps the log alive.
    held->AppendLine(kLogStatus, "after the registry");
    EXPECT_EQ(held->AddRef(), 2);
    held->Release();
    EXPECT_EQ(held->Release(), 0);
}

TEST(LogRegistry, ProcessWideRegistryIsCreatedOnFirstUse)
{
    DestroyLogManager();
    CLogRegistry& manager = GetLogManager();
    EXPECT_EQ(&manager, &GetLogManager());
    EXPECT_EQ(manager.CreateLog(), 1);
    DestroyLogManager();
    EXPECT_EQ(GetLogManager().CreateLog(), 1);
    DestroyLogManager();
}

TEST(LogRegistry, ThreadsCreateUseAndReleaseLogs)
{
    CLogRegistry registry;
    constexpr int kThreads = 8;
    constexpr int kRounds = 200;
    std::vector<std::vector<int>> idsByThread(kThreads);
    const int shared = registry.CreateLog();
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back(
            [&registry, &idsByThread, shared, t]
            {
                for (int i = 0; i < kRounds; ++i)
                {
                    const int id = registry.CreateLog();
                    idsByThread[t].push_back(id);
                    ITransferLog* log = registry.GetLog(id);
                    ITransferLog* common = registry.GetLog(shared);
                    log->AppendLine(kLogStatus, "mine");
                    common->AppendLine(kLogStatus, "ours");
                    // Released by the registry while this thread still holds it.
                    registry.ReleaseLog(id);
                    log->AppendLine(kLogStatus, "after release");
                    log->Release();
                    common->Release();
                }
            });
    }
    for (std::thread& thread : threads)
        thread.join();

    std::set<int> unique;
    for (const auto& ids : idsByThread)
        unique.insert(ids.begin(), ids.end());
    EXPECT_EQ(unique.size(), static_cast<size_t>(kThreads * kRounds));
    EXPECT_EQ(unique.count(shared), 0u);

    ITransferLog* common = registry.GetLog(shared);
    int lines = 0;
    common->GetStats(nullptr, nullptr, &lines, nullptr);
    EXPECT_EQ(lines, kThreads * kRounds);
    common->Release();
}
