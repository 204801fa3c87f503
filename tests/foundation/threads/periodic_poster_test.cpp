#include "foundation/threads/PeriodicPoster.h"
#include "platform/core/RecordingWindow.h"

#include <gtest/gtest.h>

#include <chrono>

namespace
{
using namespace std::chrono_literals;

// Bound for waits that must end: far above any scheduling delay.
constexpr std::chrono::milliseconds kGenerous{10000};
// Short sweep and period, so the tests run quickly.
constexpr std::chrono::milliseconds kSweep{5};
constexpr int kPeriodMs = 20;

constexpr uint32_t kRefreshTick = 0x0AB0;

TEST(PeriodicPoster, PostsTheEntrysMessageOncePerPeriod)
{
    CPeriodicPoster poster(kSweep);
    CRecordingWindow window;
    const auto added = std::chrono::steady_clock::now();
    const int id = poster.Add(window.Handle(), kRefreshTick, -5, 9, kPeriodMs);
    EXPECT_GE(id, 500);
    EXPECT_TRUE(poster.IsPosterRunning());
    ASSERT_TRUE(window.WaitForCount(3, kGenerous));

    const auto messages = window.Messages();
    auto previous = added;
    for (const RecordedMessage& message : messages)
    {
        EXPECT_EQ(message.m_message, kRefreshTick);
        EXPECT_EQ(message.m_wParam, 9u);
        EXPECT_EQ(message.m_lParam, -5);
        // Never early: each post comes more than a period after the last.
        EXPECT_GT(message.m_arrived - previous, std::chrono::milliseconds(kPeriodMs));
        previous = message.m_arrived;
    }
    EXPECT_EQ(poster.RemoveAll(), 1);
}

TEST(PeriodicPoster, IdsGrowAndUnknownIdsRemoveNothing)
{
    CPeriodicPoster poster(kSweep);
    CRecordingWindow window;
    const int first = poster.Add(window.Handle(), kRefreshTick, 0, 0, kPeriodMs);
    const int second = poster.Add(window.Handle(), kRefreshTick, 0, 0, kPeriodMs);
    EXPECT_GT(second, first);
    EXPECT_FALSE(poster.Remove(second + 1000));
    EXPECT_FALSE(poster.Remove(0));
    EXPECT_EQ(poster.GetEntryCount(), 2u);
    EXPECT_TRUE(poster.Remove(first));
    EXPECT_FALSE(poster.Remove(first));
    EXPECT_EQ(poster.GetEntryCount(), 1u);
    EXPECT_EQ(poster.RemoveAll(), 1);
    EXPECT_EQ(poster.RemoveAll(), 0);
}

TEST(PeriodicPoster, ARemovedEntryIsPostedNoMore)
{
    CPeriodicPoster poster(kSweep);
    CRecordingWindow removed;
    CRecordingWindow kept;
    const int removedId = poster.Add(removed.Handle(), kRefreshTick, 0, 0, kPeriodMs);
    poster.Add(kept.Handle(), kRefreshTick, 0, 0, kPeriodMs);
    ASSERT_TRUE(removed.WaitForCount(1, kGenerous));

    EXPECT_TRUE(poster.Remove(removedId));
    const size_t countAtRemoval = removed.Count();
    // Three more posts to the other window: the poster swept on meanwhile.
    ASSERT_TRUE(kept.WaitForCount(kept.Count() + 3, kGenerous));
    EXPECT_EQ(removed.Count(), countAtRemoval);
    EXPECT_TRUE(poster.IsPosterRunning());
    EXPECT_EQ(poster.RemoveAll(), 1);
}

TEST(PeriodicPoster, AClosedWindowGetsNothingAndItsEntryIsDropped)
{
    CPeriodicPoster poster(kSweep);
    CRecordingWindow closing;
    CRecordingWindow kept;
    poster.Add(closing.Handle(), kRefreshTick, 0, 0, kPeriodMs);
    const int keptId = poster.Add(kept.Handle(), kRefreshTick, 0, 0, kPeriodMs);
    ASSERT_TRUE(closing.WaitForCount(1, kGenerous));

    closing.Close();
    const size_t countAtClose = closing.Count();
    // Two more posts to the other window: a whole sweep began after the close.
    ASSERT_TRUE(kept.WaitForCount(kept.Count() + 2, kGenerous));
    EXPECT_EQ(poster.GetEntryCount(), 1u);
    EXPECT_EQ(closing.Count(), countAtClose);

    // With the last window gone too, the table empties and the thread ends.
    kept.Close();
    EXPECT_TRUE(poster.WaitUntilPosterEnded(kGenerous));
    EXPECT_FALSE(poster.IsPosterRunning());
    EXPECT_EQ(poster.GetEntryCount(), 0u);
    EXPECT_FALSE(poster.Remove(keptId));
}

TEST(PeriodicPoster, ThePosterEndsWithAnEmptyTableAndStartsAgainOnDemand)
{
    CPeriodicPoster poster(kSweep);
    EXPECT_FALSE(poster.IsPosterRunning());
    EXPECT_EQ(poster.RemoveAll(), 0);

    // An entry for a window that never existed is dropped by the first sweep.
    EXPECT_NE(poster.Add(nullptr, kRefreshTick, 0, 0, kPeriodMs), 0);
    EXPECT_TRUE(poster.WaitUntilPosterEnded(kGenerous));
    EXPECT_EQ(poster.GetEntryCount(), 0u);

    CRecordingWindow window;
    const int id = poster.Add(window.Handle(), kRefreshTick, 0, 0, kPeriodMs);
    EXPECT_TRUE(poster.IsPosterRunning());
    ASSERT_TRUE(window.WaitForCount(1, kGenerous));
    EXPECT_TRUE(poster.Remove(id));
    EXPECT_TRUE(poster.WaitUntilPosterEnded(kGenerous));

    poster.Add(window.Handle(), kRefreshTick, 0, 0, kPeriodMs);
    ASSERT_TRUE(window.WaitForCount(2, kGenerous));
    EXPECT_EQ(poster.RemoveAll(), 1);
    EXPECT_FALSE(poster.IsPosterRunning());
}

TEST(PeriodicPoster, TheProcessWidePosterServesTheFreeFunctions)
{
    CRecordingWindow window;
    const int id = AddPeriodicPost(window.Handle(), kRefreshTick, 0, 1, 10);
    EXPECT_GE(id, 500);
    ASSERT_TRUE(window.WaitForCount(2, kGenerous));
    EXPECT_EQ(window.Messages()[0].m_wParam, 1u);
    EXPECT_TRUE(RemovePeriodicPost(id));
    EXPECT_FALSE(RemovePeriodicPost(id));

    AddPeriodicPost(window.Handle(), kRefreshTick, 0, 0, 10);
    EXPECT_EQ(RemoveAllPeriodicPosts(), 1);
    EXPECT_FALSE(GetPeriodicPoster().IsPosterRunning());
}
} // namespace
