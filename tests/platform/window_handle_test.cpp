#include "platform/core/RecordingWindow.h"
#include "platform/core/Event.h"
#include "platform/core/Thread.h"
#include "platform/core/WindowHandle.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>

namespace
{
// Bound for waits that must end: far above any scheduling delay.
constexpr std::chrono::milliseconds kGenerous{10000};
constexpr uint32_t kGenerousMs = 10000;

constexpr uint32_t kRefreshTick = 0x0AB0;

// A target whose delivery runs a hook, for the tests of closing a window
// while a delivery is in progress.
class CHookWindow : public IWindowTarget
{
public:
    explicit CHookWindow(std::function<void(WindowHandle)> hook) : m_hook(std::move(hook)) {}

    void DeliverPostedMessage(WindowHandle window, uint32_t, WPARAM, LPARAM) override { m_hook(window); }

private:
    std::function<void(WindowHandle)> m_hook;
};

TEST(WindowHandle, PostReachesTheWindowWithItsParameters)
{
    CRecordingWindow window;
    ASSERT_NE(window.Handle(), nullptr);
    EXPECT_TRUE(IsWindow(window.Handle()));

    EXPECT_TRUE(PostMessage(window.Handle(), kRefreshTick, 3, -7));
    EXPECT_TRUE(PostMessage(window.Handle(), 0x0AA4, 0, 0));
    ASSERT_EQ(window.Count(), 2u);
    const auto messages = window.Messages();
    EXPECT_EQ(messages[0].m_message, kRefreshTick);
    EXPECT_EQ(messages[0].m_wParam, 3u);
    EXPECT_EQ(messages[0].m_lParam, -7);
    EXPECT_EQ(messages[1].m_message, 0x0AA4u);
}

TEST(WindowHandle, NullUnknownAndClosedWindowsDropPosts)
{
    EXPECT_EQ(RegisterWindow(nullptr), nullptr);
    EXPECT_FALSE(PostMessage(nullptr, kRefreshTick, 0, 0));
    EXPECT_FALSE(IsWindow(nullptr));
    EXPECT_FALSE(UnregisterWindow(nullptr));

    CRecordingWindow window;
    const WindowHandle handle = window.Handle();
    window.Close();
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_FALSE(PostMessage(handle, kRefreshTick, 0, 0));
    EXPECT_FALSE(UnregisterWindow(handle));
    EXPECT_EQ(window.Count(), 0u);

    // A dead handle never comes back for another window.
    CRecordingWindow next;
    EXPECT_NE(next.Handle(), handle);
    EXPECT_FALSE(PostMessage(handle, kRefreshTick, 0, 0));
    EXPECT_EQ(next.Count(), 0u);
}

TEST(WindowHandle, PostsFromManyThreadsAllArrive)
{
    CRecordingWindow window;
    constexpr int kThreads = 4;
    constexpr int kPosts = 200;
    CThread threads[kThreads];
    for (int t = 0; t < kThreads; ++t)
        ASSERT_TRUE(threads[t].Start([&window, t] {
            for (int i = 0; i < kPosts; ++i)
                PostMessage(window.Handle(), kRefreshTick, static_cast<WPARAM>(t), i);
        }));
    for (CThread& thread : threads)
        thread.Join();
    EXPECT_TRUE(window.WaitForCount(kThreads * kPosts, kGenerous));
    EXPECT_EQ(window.Count(), static_cast<size_t>(kThreads * kPosts));
}

TEST(WindowHandle, CloseWaitsForADeliveryOnAnotherThread)
{
    CEvent entered(true);
    CEvent release(true);
    std::atomic<bool> deliveryDone{false};
    CHookWindow target([&](WindowHandle) {
        entered.Set();
        release.Wait(kGenerousMs);
        deliveryDone = true;
    });
    const WindowHandle handle = RegisterWindow(&target);

    CThread poster;
    ASSERT_TRUE(poster.Start([&] { PostMessage(handle, kRefreshTick, 0, 0); }));
    ASSERT_TRUE(entered.Wait(kGenerousMs));

    std::atomic<bool> doneWhenClosed{false};
    std::atomic<bool> closed{false};
    CThread closer;
    ASSERT_TRUE(closer.Start([&] {
        UnregisterWindow(handle);
        doneWhenClosed = deliveryDone.load();
        closed = true;
    }));
    // The window reads as closed as soon as the close begins; only then is
    // the delivery let go, so a close that did not wait would be seen.
    const auto deadline = std::chrono::steady_clock::now() + kGenerous;
    while (IsWindow(handle) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_FALSE(closed);
    release.Set();
    closer.Join();
    poster.Join();
    EXPECT_TRUE(doneWhenClosed);
}

TEST(WindowHandle, ATargetMayCloseItsOwnWindowWhileDelivering)
{
    bool closedInside = false;
    CHookWindow target([&](WindowHandle window) { closedInside = UnregisterWindow(window); });
    const WindowHandle handle = RegisterWindow(&target);
    EXPECT_TRUE(PostMessage(handle, kRefreshTick, 0, 0));
    EXPECT_TRUE(closedInside);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_FALSE(PostMessage(handle, kRefreshTick, 0, 0));
}

TEST(RecordingWindow, WaitForCountGivesUpAtItsBound)
{
    CRecordingWindow window;
    EXPECT_FALSE(window.WaitForCount(1, std::chrono::milliseconds(10)));
    PostMessage(window.Handle(), kRefreshTick, 0, 0);
    EXPECT_TRUE(window.WaitForCount(1, std::chrono::milliseconds(0)));
}
} // namespace
