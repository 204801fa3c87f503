#include "foundation/threads/TaskScheduler.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace
{
using SteadyClock = std::chrono::steady_clock;
using SystemClock = std::chrono::system_clock;
// The bound of every wait for a run: the scheduler thread runs at the lowest
// priority and a busy machine may hold it back for seconds, while what the
// waits catch (a scheduler that stalls, or never runs a task) takes far
// longer or for ever.
constexpr auto kGenerous = std::chrono::seconds(60);

struct RunRecord
{
    std::string name;
    int remaining;
    SteadyClock::time_point at;
};

// What the tasks of one test did, in order.
class CJournal
{
public:
    void AddRun(const std::string& name, int remaining)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_runs.push_back({name, remaining, SteadyClock::now()});
        }
        m_changed.notify_all();
    }
    void AddRelease(const std::string& name)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_releases.push_back(name);
        }
        m_changed.notify_all();
    }
    // Waits until `count` runs are recorded; false when the bound passed.
    bool WaitForRuns(size_t count)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, kGenerous, [&] { return m_runs.size() >= count; });
    }
    bool WaitForReleases(size_t count)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, kGenerous, [&] { return m_releases.size() >= count; });
    }
    std::vector<RunRecord> Runs()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_runs;
    }
    std::vector<std::string> Releases()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_releases;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<RunRecord> m_runs;
    std::vector<std::string> m_releases;
};

class CRecordingTask : public CScheduledTask
{
public:
    CRecordingTask(CJournal& journal, std::string name, std::function<void()> onRun = nullptr)
        : m_journal(journal), m_name(std::move(name)), m_onRun(std::move(onRun))
    {
    }
    int Run(int remainingRepeats) override
    {
        // Before the record, so that a waiter on the record sees its effect.
        if (m_onRun)
            m_onRun();
        m_journal.AddRun(m_name, remainingRepeats);
        return 0;
    }
    void Release() override { m_journal.AddRelease(m_name); }
    void GetName(std::string& name) const override { name = "CRecordingTask"; }

private:
    CJournal& m_journal;
    std::string m_name;
    std::function<void()> m_onRun;
};

time_t Now()
{
    return SystemClock::to_time_t(SystemClock::now());
}

std::vector<std::string> Names(const std::vector<RunRecord>& runs)
{
    std::vector<std::string> names;
    for (const RunRecord& run : runs)
        names.push_back(run.name);
    return names;
}

std::vector<int> Remaining(const std::vector<RunRecord>& runs)
{
    std::vector<int> remaining;
    for (const RunRecord& run : runs)
        remaining.push_back(run.remaining);
    return remaining;
}

TEST(TaskScheduler, DueTasksRunInEntryOrderAndAreReleasedWhenDone)
{
    CJournal journal;
    CRecordingTask a(journal, "a"), b(journal, "b"), c(journal, "c"), d(journal, "d");
    CTaskScheduler scheduler;
    EXPECT_EQ(scheduler.AddTask(nullptr, Now(), 1, 0, -1), 0);

    const time_t past = Now() - 10;
    const int idA = scheduler.AddTask(&a, past, 1, 0, -1);
    const int idB = scheduler.AddTask(&b, past, 1, 0, 0);
    const int idC = scheduler.AddTask(&c, past, 1, 0, -1);
    // A repeat count of 0 behaves like 1.
    const int idD = scheduler.AddTask(&d, past, 0, 0, -1);
    EXPECT_GT(idA, 0);
    EXPECT_LT(idA, idB);
    EXPECT_LT(idB, idC);
    EXPECT_LT(idC, idD);

    ASSERT_TRUE(journal.WaitForReleases(4));
    EXPECT_EQ(Names(journal.Runs()), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(Remaining(journal.Runs()), (std::vector<int>{1, 1, 1, 0}));
    EXPECT_EQ(journal.Releases(), (std::vector<std::string>{"a", "b", "c", "d"}));

    scheduler.Stop();
    EXPECT_EQ(journal.Runs().size(), 4u) << "a done entry never runs again";
    EXPECT_EQ(journal.Releases().size(), 4u) << "nor is it released twice";
}

TEST(TaskScheduler, LaggingSecondsEntryCatchesUpItsRepeats)
{
    CJournal journal;
    CRecordingTask task(journal, "t");
    CTaskScheduler scheduler;
    scheduler.AddTask(&task, Now() - 100, 3, 1, -1);

    ASSERT_TRUE(journal.WaitForReleases(1));
    EXPECT_EQ(Remaining(journal.Runs()), (std::vector<int>{3, 2, 1}));
}

TEST(TaskScheduler, EndlessEntryRunsUntilStopAndIsReleasedByIt)
{
    CJournal journal;
    CRecordingTask task(journal, "t");
    CTaskScheduler scheduler;
    scheduler.AddTask(&task, Now() - 2, -1, 1, -1);

    ASSERT_TRUE(journal.WaitForRuns(3));
    EXPECT_TRUE(journal.Releases().empty());
    scheduler.Stop();
    EXPECT_EQ(journal.Releases(), std::vector<std::string>{"t"});
    const size_t runs = journal.Runs().size();
    for (const RunRecord& run : journal.Runs())
        EXPECT_EQ(run.remaining, -1);

    scheduler.Stop();
    EXPECT_EQ(journal.Runs().size(), runs) << "nothing runs after Stop";
    EXPECT_EQ(journal.Releases().size(), 1u);
}

TEST(TaskScheduler, EntryWithoutIntervalRunsOnceAndStaysUntilStop)
{
    CJournal journal;
    CRecordingTask task(journal, "t");
    CTaskScheduler scheduler;
    scheduler.AddTask(&task, Now() - 1, 2, 0, -1);

    ASSERT_TRUE(journal.WaitForRuns(1));
    EXPECT_TRUE(journal.Releases().empty());
    scheduler.Stop();
    EXPECT_EQ(journal.Runs().size(), 1u);
    EXPECT_EQ(journal.Releases(), std::vector<std::string>{"t"});
}

TEST(TaskScheduler, FutureStartRunsNotBeforeItsSecond)
{
    CJournal journal;
    std::atomic<time_t> ranAt{0};
    CRecordingTask task(journal, "t", [&] { ranAt = Now(); });
    CTaskScheduler scheduler;
    const time_t start = Now() + 1;
    scheduler.AddTask(&task, start, 1, 1, -1);
    ASSERT_TRUE(journal.WaitForRuns(1));
    EXPECT_GE(ranAt.load(), start);
}

// Units 0-6 skip the runs a past start has missed; -1 runs them all.
//
// The scheduler thread runs at the lowest priority, so on a busy machine any
// run may come late; a run never comes early. Each case therefore tells the
// two behaviours apart by a time that only the other one could meet: the
// skipping case's first run cannot come before its due second, and the
// catching-up case's interval puts the first run a skipping scheduler would
// make 81 s away, far beyond any lateness.
TEST(TaskScheduler, PastStartSkipsMissedRunsExceptWithUnitMinusOne)
{
    // A wall clock on a whole second makes the due times exact.
    const SystemClock::time_point wallNow = SystemClock::from_time_t(Now());
    const time_t w = SystemClock::to_time_t(wallNow);
    struct Case
    {
        int unit;
        int interval;
        std::vector<int> firstRemaining;
        bool waitsASecond;
    };
    const Case cases[] = {
        {-1, 100, {2, 1}, false}, // due at w-119 and w-19: both run at once (skipped, w+81)
        {0, 60, {2}, true},       // w-119 and w-59 skipped, first run at w+1
    };
    for (const Case& c : cases)
    {
        CJournal journal;
        CRecordingTask task(journal, "t");
        CTaskScheduler scheduler([wallNow] { return wallNow; });
        const auto added = SteadyClock::now();
        scheduler.AddTask(&task, w - 119, 2, c.interval, c.unit);
        ASSERT_TRUE(journal.WaitForRuns(c.firstRemaining.size())) << "unit " << c.unit;
        scheduler.Stop();
        const std::vector<RunRecord> runs = journal.Runs();
        EXPECT_EQ(Remaining(runs), c.firstRemaining) << "unit " << c.unit;
        const auto firstAfter = runs.front().at - added;
        if (c.waitsASecond)
            EXPECT_GE(firstAfter, std::chrono::seconds(1)) << "unit " << c.unit;
        else
            EXPECT_LT(firstAfter, std::chrono::seconds(60)) << "unit " << c.unit;
    }
}

TEST(TaskScheduler, StartFarInThePastIsSkippedWithoutCountingEverySecond)
{
    CJournal journal;
    CRecordingTask epoch(journal, "epoch"), ancient(journal, "ancient");
    CTaskScheduler scheduler;
    scheduler.AddTask(&epoch, 0, 1, 1, 0);
    scheduler.AddTask(&ancient, -(time_t{1} << 40), 1, 1, 0);
    ASSERT_TRUE(journal.WaitForReleases(2));
    EXPECT_EQ(Names(journal.Runs()), (std::vector<std::string>{"epoch", "ancient"}));
}

// The wall clock steps by an hour right after AddTask: back, the tasks would
// stall for an hour; forward, they would run every 20 ms to catch up.
TEST(TaskScheduler, WallClockStepNeitherStallsNorFloods)
{
    for (const int step : {-3600, 3600})
    {
        std::atomic<bool> stepped{false};
        // Read at AddTask on a whole second, so that the first due time is a
        // whole second after it and no run falls behind its one-second waits.
        const time_t added = Now();
        CTaskScheduler::WallClock clock = [&stepped, step, added] {
            const auto now = SystemClock::from_time_t(added);
            return stepped ? now + std::chrono::seconds(step) : now;
        };
        CJournal journal;
        CRecordingTask task(journal, "t");
        CTaskScheduler scheduler(clock);
        const auto addedSteady = SteadyClock::now();
        scheduler.AddTask(&task, added + 1, -1, 1, -1);
        stepped = true;

        ASSERT_TRUE(journal.WaitForRuns(2)) << "step " << step;
        scheduler.Stop();
        // Run n is due n + 1 seconds after AddTask and never runs before it,
        // however late a busy machine lets the thread run; a flood of
        // catch-up runs would have run the second one within milliseconds.
        // (A late first run may leave a short gap to the second, which is
        // why the gap itself proves nothing.)
        const std::vector<RunRecord> runs = journal.Runs();
        EXPECT_GE(runs[0].at - addedSteady, std::chrono::seconds(1)) << "step " << step;
        EXPECT_GE(runs[1].at - addedSteady, std::chrono::seconds(2)) << "step " << step;
    }
}

TEST(TaskScheduler, TaskAddedFromARunningTaskRunsToo)
{
    // Tasks outlive the scheduler, which releases them when it stops.
    CJournal journal;
    CTaskScheduler* target = nullptr;
    CRecordingTask second(journal, "second");
    CRecordingTask first(journal, "first", [&] { target->AddTask(&second, Now() - 1, 1, 0, -1); });
    CTaskScheduler scheduler;
    target = &scheduler;
    scheduler.AddTask(&first, Now() - 1, 1, 0, -1);
    ASSERT_TRUE(journal.WaitForReleases(2));
    EXPECT_EQ(Names(journal.Runs()), (std::vector<std::string>{"first", "second"}));
}

TEST(TaskScheduler, StopFromATaskEndsTheLoopWithoutWaitingForItself)
{
    CJournal journal;
    CTaskScheduler* target = nullptr;
    CRecordingTask waiting(journal, "waiting");
    CRecordingTask stopper(journal, "stopper", [&] { target->Stop(); });
    CRecordingTask later(journal, "later");
    CTaskScheduler scheduler;
    target = &scheduler;
    scheduler.AddTask(&waiting, Now() + 100000, 1, 0, -1);
    scheduler.AddTask(&stopper, Now() - 1, -1, 1, -1);
    ASSERT_TRUE(journal.WaitForReleases(2));
    EXPECT_EQ(Names(journal.Runs()), std::vector<std::string>{"stopper"});

    // The owner's Stop joins the ended loop; a new Start runs new entries.
    scheduler.Stop();
    scheduler.Start();
    scheduler.AddTask(&later, Now() - 1, 1, 0, -1);
    ASSERT_TRUE(journal.WaitForReleases(3));
    EXPECT_EQ(journal.Runs().back().name, "later");
}

TEST(TaskScheduler, StopWithoutARunningThreadReturnsAndReleasesWaitingEntries)
{
    CJournal journal;
    CRecordingTask parked(journal, "parked");
    {
        CTaskScheduler scheduler;
        scheduler.Stop();
        scheduler.Stop();
        // Added while stopped: nothing runs it, but it is handed back.
        scheduler.AddTask(&parked, Now() - 1, 1, 0, -1);
    }
    EXPECT_TRUE(journal.Runs().empty());
    EXPECT_EQ(journal.Releases(), std::vector<std::string>{"parked"});
}

TEST(TaskScheduler, RestartAfterStopRunsEntriesAddedMeanwhile)
{
    CJournal journal;
    CRecordingTask parked(journal, "parked");
    CTaskScheduler scheduler;
    scheduler.Stop();
    scheduler.AddTask(&parked, Now() - 1, 1, 0, -1);
    scheduler.Start();
    ASSERT_TRUE(journal.WaitForReleases(1));
    EXPECT_EQ(Names(journal.Runs()), std::vector<std::string>{"parked"});
}

struct CallCounter
{
    std::atomic<int> calls{0};
    CEvent called{true};
};

int CountCall(void* userData)
{
    auto* counter = static_cast<CallCounter*>(userData);
    const int calls = ++counter->calls;
    counter->called.Set();
    return calls;
}

TEST(CCVoidFuncTask, CallsItsFunctionAndDeletesItselfOnlyWithAutoDelete)
{
    CallCounter counter;
    CCVoidFuncTask kept(CountCall, &counter, 0);
    EXPECT_EQ(kept.Run(5), 1);
    kept.Release(); // must not delete a stack object
    std::string name;
    kept.GetName(name);
    EXPECT_EQ(name, "CCVoidFuncTask");
    EXPECT_EQ(CCVoidFuncTask(nullptr, &counter, 0).Run(1), 0);

    // The transfer manager's tick: deleted by its own Release when the
    // scheduler stops (AddressSanitizer reports a leak or a double delete).
    counter.called.Reset();
    {
        CTaskScheduler scheduler;
        scheduler.AddTask(new CCVoidFuncTask(CountCall, &counter, 1), Now() - 1, -1, 1, -1);
        EXPECT_TRUE(counter.called.Wait(static_cast<uint32_t>(std::chrono::milliseconds(kGenerous).count())));
    }
    EXPECT_GE(counter.calls.load(), 2);
}
} // namespace
