#include "transfer/auth/PromptRequestQueue.h"

#include "foundation/desktop/ShellHooks.h"
#include "platform/core/RecordingWindow.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace
{

using namespace std::chrono_literals;

constexpr uint32_t kWorkerNotifyMessage = 0x0AB1;
constexpr auto kBound = 10s; // how long a test waits for something that must happen

// The main frame of these tests: NotifyMainFrame posts to it.
std::atomic<WindowHandle> g_mainFrame{nullptr};

int PostToMainFrame(int code)
{
    return PostMessage(g_mainFrame.load(), kWorkerNotifyMessage, static_cast<WPARAM>(code), 0) ? 1 : 0;
}

int NotifyTestFrame(int code)
{
    return NotifyMainFrame(code);
}

// An owner callback that holds the worker until the test opens the gate.
struct CGate
{
    std::mutex mutex;
    std::condition_variable changed;
    bool entered = false;
    bool open = false;

    void Reset()
    {
        std::lock_guard<std::mutex> lock(mutex);
        entered = open = false;
    }
    bool WaitEntered()
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, kBound, [this] { return entered; });
    }
    void Open()
    {
        std::lock_guard<std::mutex> lock(mutex);
        open = true;
        changed.notify_all();
    }
};
CGate g_gate;

int BlockingOwner(int)
{
    std::unique_lock<std::mutex> lock(g_gate.mutex);
    g_gate.entered = true;
    g_gate.changed.notify_all();
    g_gate.changed.wait_for(lock, kBound, [] { return g_gate.open; });
    return 1;
}

struct WorkerResult
{
    int result = -1;
    std::string user;
    std::string password;
};

// A worker thread blocked in PostAndWait, as a protocol client would be.
class CWaitingWorker
{
public:
    CWaitingWorker(CPromptRequestQueue& queue, std::string user, std::string password, std::string prompt,
                   const std::atomic<int>* abortFlag = nullptr)
    {
        m_result = std::async(std::launch::async,
                              [&queue, this, user, password, prompt, abortFlag]() mutable
                              {
                                  WorkerResult r;
                                  r.user = user;
                                  r.password = password;
                                  r.result = queue.PostAndWait(m_id, r.user, r.password, prompt, abortFlag);
                                  return r;
                              });
    }

    std::atomic<int>& Id() { return m_id; }

    // The worker's outcome; fails the test when it does not come within the bound.
    WorkerResult Finish()
    {
        if (m_result.wait_for(kBound) != std::future_status::ready)
        {
            ADD_FAILURE() << "the worker still waits";
            return {};
        }
        return m_result.get();
    }

    bool Finished() { return m_result.wait_for(0s) == std::future_status::ready; }

private:
    std::atomic<int> m_id{0};
    std::future<WorkerResult> m_result;
};

class PromptRequestQueueTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_mainFrame = m_frame.Handle();
        SetNotifyMainFrameHook(&PostToMainFrame);
    }
    void TearDown() override
    {
        SetNotifyMainFrameHook(nullptr);
        g_mainFrame = nullptr;
        DestroyPromptQueue();
    }

    // Waits, bounded, until the queue has a pending request; each notice to
    // the frame is a chance that one arrived.
    bool WaitPending(CPromptRequestQueue& queue, CPromptRequest& request)
    {
        const auto deadline = std::chrono::steady_clock::now() + kBound;
        while (std::chrono::steady_clock::now() < deadline)
        {
            const size_t seen = m_frame.Count();
            if (queue.GetPending(request))
                return true;
            m_frame.WaitForCount(seen + 1, 100ms);
        }
        return false;
    }

    CRecordingWindow m_frame;
};

TEST_F(PromptRequestQueueTest, AnsweredRequestReturnsTheAnswerAndLeavesTheQueue)
{
    CPromptRequestQueue queue;
    queue.SetOwner(&NotifyTestFrame, 3);
    CWaitingWorker worker(queue, "guest", "old", "http://example.test/private/");

    CPromptRequest pending;
    ASSERT_TRUE(WaitPending(queue, pending));
    EXPECT_EQ(kFirstPromptId, pending.m_id);
    EXPECT_EQ(kFirstPromptId, worker.Id().load());
    EXPECT_EQ("guest", pending.m_user);
    EXPECT_EQ("old", pending.m_password);
    EXPECT_EQ("http://example.test/private/", pending.m_prompt);
    EXPECT_EQ(0, pending.m_answered);
    EXPECT_EQ(0, pending.m_cancelled);

    // The notice is the worker-notification message with code 3. It is
    // posted just after the request is queued, so it may still be on its way.
    EXPECT_TRUE(m_frame.WaitForCount(1, kBound));
    const std::vector<RecordedMessage> notices = m_frame.Messages();
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(kWorkerNotifyMessage, notices[0].m_message);
    EXPECT_EQ(3u, notices[0].m_wParam);

    pending.m_user = "alice";
    pending.m_password = "s3cret";
    EXPECT_EQ(1, queue.Answer(pending));

    const WorkerResult r = worker.Finish();
    EXPECT_EQ(1, r.result);
    EXPECT_EQ("alice", r.user);
    EXPECT_EQ("s3cret", r.password);
    EXPECT_EQ(0, worker.Id().load());
    CPromptRequest none;
    EXPECT_EQ(0, queue.GetPending(none));
    // The request is gone: answering it again finds nothing.
    EXPECT_EQ(0, queue.Answer(pending));
}

TEST_F(PromptRequestQueueTest, DismissedPromptFailsWithTheStringsOfTheAnswer)
{
    CPromptRequestQueue queue;
    queue.SetOwner(&NotifyTestFrame, 3);
    CWaitingWorker worker(queue, "guest", "old", "prompt");
    CPromptRequest pending;
    ASSERT_TRUE(WaitPending(queue, pending));
    pending.m_cancelled = 1;
    pending.m_user = "typed";
    pending.m_password = "";
    EXPECT_EQ(1, queue.Answer(pending));
    const WorkerResult r = worker.Finish();
    EXPECT_EQ(0, r.result);
    EXPECT_EQ("typed", r.user);
    EXPECT_EQ("", r.password);
}

TEST_F(PromptRequestQueueTest, CancelWakesTheWorkerAndALaterAnswerIsRefused)
{
    CPromptRequestQueue queue;
    queue.SetOwner(&NotifyTestFrame, 3);
    CWaitingWorker worker(queue, "guest", "old", "prompt");
    CPromptRequest pending;
    ASSERT_TRUE(WaitPending(queue, pending));

    queue.Cancel(pending.m_id);
    const WorkerResult r = worker.Finish();
    EXPECT_EQ(0, r.result);
    EXPECT_EQ("guest", r.user);
    EXPECT_EQ("old", r.password);
    pending.m_user = "late";
    EXPECT_EQ(0, queue.Answer(pending));
}

TEST_F(PromptRequestQueueTest, AnswerForACancelledRequestIsRefusedAndKeepsItCancelled)
{
    // The owner holds the worker between posting and waiting, so the
    // cancelled request is still listed when the Answer comes.
    CPromptRequestQueue queue;
    queue.SetOwner(&BlockingOwner, 3);
    g_gate.Reset();
    CWaitingWorker worker(queue, "u", "p", "prompt");
    ASSERT_TRUE(g_gate.WaitEntered());
    CPromptRequest pending;
    ASSERT_EQ(1, queue.GetPending(pending));
    queue.Cancel(pending.m_id);
    pending.m_user = "x";
    EXPECT_EQ(0, queue.Answer(pending));
    EXPECT_EQ(0, queue.GetPending(pending)); // cancelled: no longer pending
    g_gate.Open();
    const WorkerResult r = worker.Finish();
    EXPECT_EQ(0, r.result);
    EXPECT_EQ("u", r.user);
}

TEST_F(PromptRequestQueueTest, UnansweredRequestTimesOutAfterRepeatingTheNotice)
{
    const auto timeout = 400ms;
    CPromptRequestQueue queue(timeout, 20ms);
    queue.SetOwner(&NotifyTestFrame, 3);
    const auto start = std::chrono::steady_clock::now();
    CWaitingWorker worker(queue, "u", "p", "prompt");
    CPromptRequest pending;
    ASSERT_TRUE(WaitPending(queue, pending));
    const WorkerResult r = worker.Finish();
    EXPECT_GE(std::chrono::steady_clock::now() - start, timeout);
    EXPECT_EQ(0, r.result);
    EXPECT_EQ(0, worker.Id().load());
    // One notice at the start and one more after every slice without an answer.
    EXPECT_GE(m_frame.Count(), 2u);
    EXPECT_EQ(0, queue.Answer(pending));
    EXPECT_EQ(0, queue.GetPending(pending));
}

TEST_F(PromptRequestQueueTest, NobodyToAnswerGivesUpAtOnceOrAfterTheSlice)
{
    {
        // Neither an owner nor the running flag: 0 at once, nothing queued.
        CPromptRequestQueue queue;
        std::atomic<int> id{-1};
        std::string user = "u";
        std::string password = "p";
        EXPECT_EQ(0, queue.PostAndWait(id, user, password, "prompt"));
        EXPECT_EQ(0, id.load());
        CPromptRequest pending;
        EXPECT_EQ(0, queue.GetPending(pending));
    }
    {
        // The main window goes away while the worker waits: the next notice
        // cannot be posted and the worker gives up long before the time-out.
        CPromptRequestQueue queue(kPromptTimeout, 50ms);
        queue.SetOwner(&NotifyTestFrame, 3);
        CWaitingWorker worker(queue, "u", "p", "prompt");
        CPromptRequest pending;
        ASSERT_TRUE(WaitPending(queue, pending));
        m_frame.Close();
        EXPECT_EQ(0, worker.Finish().result);
        EXPECT_EQ(0, queue.GetPending(pending));
    }
}

TEST_F(PromptRequestQueueTest, RunningFlagStandsInForAMissingOwner)
{
    CPromptRequestQueue queue;
    EXPECT_FALSE(queue.IsRunning());
    queue.SetRunning(true);
    EXPECT_TRUE(queue.IsRunning());
    CWaitingWorker worker(queue, "u", "p", "prompt");
    CPromptRequest pending;
    ASSERT_TRUE(WaitPending(queue, pending));
    pending.m_user = "v";
    EXPECT_EQ(1, queue.Answer(pending));
    EXPECT_EQ(1, worker.Finish().result);
}

TEST_F(PromptRequestQueueTest, EachWorkerGetsTheAnswerToItsOwnRequest)
{
    CPromptRequestQueue queue;
    queue.SetOwner(&NotifyTestFrame, 3);
    CWaitingWorker first(queue, "u", "p", "first");
    CWaitingWorker second(queue, "u", "p", "second");
    for (int answered = 0; answered < 2; ++answered)
    {
        CPromptRequest pending;
        ASSERT_TRUE(WaitPending(queue, pending));
        pending.m_user = pending.m_prompt + "-user";
        pending.m_password = pending.m_prompt + "-password";
        EXPECT_EQ(1, queue.Answer(pending));
    }
    const WorkerResult a = first.Finish();
    const WorkerResult b = second.Finish();
    EXPECT_EQ(1, a.result);
    EXPECT_EQ("first-user", a.user);
    EXPECT_EQ("first-password", a.password);
    EXPECT_EQ(1, b.result);
    EXPECT_EQ("second-user", b.user);
    EXPECT_EQ("second-password", b.password);
}

TEST_F(PromptRequestQueueTest, IdsCountUpFromFiveHundredPerQueue)
{
    CPromptRequestQueue queue;
    queue.SetRunning(true);
    for (int expected : {kFirstPromptId, kFirstPromptId + 1})
    {
        CWaitingWorker worker(queue, "u", "p", "prompt");
        CPromptRequest pending;
        ASSERT_TRUE(WaitPending(queue, pending));
        EXPECT_EQ(expected, pending.m_id);
        queue.Cancel(pending.m_id);
        worker.Finish();
    }
}

// Stopping a job while it waits for a password: the stopper raises the
// client's abort flag, then cancels the pending prompt id. The worker must
// wake at once, not after the 60-second time-out.
TEST_F(PromptRequestQueueTest, StoppingTheWaitingJobCancelsItsPromptAtOnce)
{
    CPromptRequestQueue queue; // the real time-out and slice
    queue.SetOwner(&NotifyTestFrame, 3);
    std::atomic<int> abortFlag{0};
    CWaitingWorker worker(queue, "u", "p", "prompt", &abortFlag);
    CPromptRequest pending;
    ASSERT_TRUE(WaitPending(queue, pending));

    abortFlag = 1;
    queue.Cancel(worker.Id().load());
    EXPECT_EQ(0, worker.Finish().result);
    EXPECT_EQ(0, queue.GetPending(pending));
}

// The stop comes before the worker has posted (its pending id still 0, so the
// stopper's Cancel finds nothing): the raised flag alone ends the wait.
TEST_F(PromptRequestQueueTest, StopBeforeThePostNeverWaitsForTheTimeOut)
{
    CPromptRequestQueue queue;
    queue.SetOwner(&NotifyTestFrame, 3);
    std::atomic<int> abortFlag{1};
    queue.Cancel(0);
    CWaitingWorker worker(queue, "u", "p", "prompt", &abortFlag);
    EXPECT_EQ(0, worker.Finish().result);
    EXPECT_EQ(0, worker.Id().load());
}

TEST_F(PromptRequestQueueTest, DeletingTheQueueReleasesAWaitingWorker)
{
    auto queue = std::make_unique<CPromptRequestQueue>();
    queue->SetOwner(&NotifyTestFrame, 3);
    CWaitingWorker worker(*queue, "u", "p", "prompt");
    CPromptRequest pending;
    ASSERT_TRUE(WaitPending(*queue, pending));
    queue.reset();
    EXPECT_EQ(0, worker.Finish().result);
}

TEST_F(PromptRequestQueueTest, ProcessQueueTellsTheMainFrameWithCodeThree)
{
    CPromptRequestQueue& queue = GetPromptQueue();
    EXPECT_EQ(&queue, &GetPromptQueue());
    EXPECT_TRUE(queue.IsRunning());
    ASSERT_EQ(1u, m_frame.Count());
    EXPECT_EQ(kWorkerNotifyMessage, m_frame.Messages()[0].m_message);
    EXPECT_EQ(3u, m_frame.Messages()[0].m_wParam);

    // Without a main frame nobody can answer.
    SetNotifyMainFrameHook(nullptr);
    EXPECT_FALSE(queue.IsRunning());
}

} // namespace
