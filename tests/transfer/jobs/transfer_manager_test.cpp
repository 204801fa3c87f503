#include "transfer/jobs/TransferManager.h"

#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "platform/core/OleDateTime.h"
#include "transfer/base/LogRegistry.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/base/TransferLogInterface.h"

#include "tests/support/FakeProtocolClient.h"
#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace
{
using namespace std::chrono_literals;

constexpr auto kBound = 20s;
constexpr int kBoundMs = 20000;

// Holds every download until the test opens it or the job is stopped, and
// counts the downloads inside.
struct CGate
{
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    int inside = 0;

    void Open()
    {
        std::lock_guard<std::mutex> lock(mutex);
        open = true;
        changed.notify_all();
    }
    bool WaitInside(int count)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, kBound, [&] { return inside >= count; });
    }
};

class CGatedClient : public CFakeProtocolClient
{
public:
    CGatedClient(int scheme, CGate& gate) : CFakeProtocolClient(scheme), m_gate(gate) {}

    int Download(CLinkItem&, StreamInterface&, int64_t, int64_t, ITransferLog*, ITransferProgress*) override
    {
        std::unique_lock<std::mutex> lock(m_gate.mutex);
        ++m_gate.inside;
        m_gate.changed.notify_all();
        m_gate.changed.wait(lock, [&] { return m_gate.open || IsAborted(); });
        --m_gate.inside;
        return IsAborted() ? kResultStopped : kResultOk;
    }
    void Abort() override
    {
        CFakeProtocolClient::Abort();
        std::lock_guard<std::mutex> lock(m_gate.mutex);
        m_gate.changed.notify_all();
    }

private:
    CGate& m_gate;
};

// The callbacks are plain functions; the user value is the kind.
struct CCallbackLog
{
    std::mutex mutex;
    std::condition_variable changed;
    int counts[3] = {};

    void Reset()
    {
        std::lock_guard<std::mutex> lock(mutex);
        counts[0] = counts[1] = counts[2] = 0;
    }
    int Count(int kind)
    {
        std::lock_guard<std::mutex> lock(mutex);
        return counts[kind];
    }
    bool WaitFor(int kind, int atLeast = 1)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, kBound, [&] { return counts[kind] >= atLeast; });
    }
};
CCallbackLog g_callbacks;

int RecordCallback(int kind)
{
    std::lock_guard<std::mutex> lock(g_callbacks.mutex);
    ++g_callbacks.counts[kind];
    g_callbacks.changed.notify_all();
    return 1;
}

// A callback that stops a job and waits for it to stop, as an owner that
// cleans up after a removal might.
struct CStoppingCallback
{
    CTransferManager* manager = nullptr;
    int jobId = 0;
    int result = -1;
};
CStoppingCallback g_stopping;

int StopJobFromCallback(int)
{
    g_stopping.result = g_stopping.manager->StopJob(g_stopping.jobId);
    return 1;
}

class TransferManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        settings.SetInt(SETTING_LOGS_MAX_LOG_LINES, 2000);
        settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS, 10);
        settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS_PER_SITE, 1);
        settings.SetInt(SETTING_TRANSFER_MANAGER_TIMEOUT_THREADING, 1000);
        settings.SetInt(SETTING_CONNECTIONS_SESSION_IDLE_TIME, 60);
        g_callbacks.Reset();
    }
    void TearDown() override
    {
        // A failed test must not leave downloads waiting for ever.
        gate.Open();
        manager.reset();
    }

    void Make(bool tick = false)
    {
        CTransferManagerOptions options;
        options.m_clientMaker = [this](int scheme, const std::string&) -> std::unique_ptr<CProtocolClient>
        {
            if (scheme < 1 || scheme > 3)
                return nullptr;
            auto client = std::make_unique<CGatedClient>(scheme, gate);
            clients.push_back(client.get());
            return client;
        };
        options.m_services.m_settings = &settings;
        options.m_dataFolder = folder.Path();
        options.m_tick = tick;
        manager = std::make_unique<CTransferManager>(std::move(options));
        manager->Init();
    }

    // A download from a site of its own, so only the running limit counts.
    int Add(bool start, const char* scheme = "http")
    {
        CLinkItem request;
        const std::string url = std::string(scheme) + "://host" + std::to_string(next) + ".example/file.bin";
        EXPECT_TRUE(request.SetUrl(url.c_str(), true));
        request.SetString(LI_LOCAL_FILE, (folder / ("file" + std::to_string(next))).c_str());
        request.SetOperationAndFlags(LI_OP_DOWNLOAD, 0);
        ++next;
        int id = 0;
        EXPECT_EQ(manager->AddJob(request, &id, start), 0);
        return id;
    }

    CJobStatus Status(int id)
    {
        CJobStatus status;
        EXPECT_EQ(manager->GetJobStatus(id, status), 0);
        return status;
    }

    CTempFolder folder;
    CPropertySet settings;
    CGate gate;
    std::unique_ptr<CTransferManager> manager;
    // Every client the manager made, in order (made under the manager's
    // lock; read once the manager has stopped).
    std::vector<CGatedClient*> clients;
    int next = 0;
};

// Idle pooled clients are swept once a second at the most, not at every
// dispatch: a burst of adds and filed jobs must not look at every idle
// connection each time (a system call each, under the manager lock).
TEST_F(TransferManagerTest, IdleClientsAreSweptAtMostOnceASecond)
{
    Make();
    gate.Open();
    const auto start = std::chrono::steady_clock::now();
    const int first = Add(true);
    ASSERT_EQ(manager->WaitForJob(first, nullptr, 10000), 0);
    std::vector<int> ids;
    for (int i = 0; i < 30; ++i)
        ids.push_back(Add(true));
    ASSERT_EQ(manager->WaitForJobs(ids.data(), int(ids.size()), 10000), 0);
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count();
    manager->Stop();
    ASSERT_FALSE(clients.empty());
    // The first job's client stayed connected and idle through some sixty
    // dispatches; one look a second (and one for the second begun).
    EXPECT_TRUE(clients.front()->IsConnected());
    EXPECT_LE(clients.front()->idleChecks, int(seconds) + 1);
}

TEST_F(TransferManagerTest, AddStartStopRemove)
{
    Make();
    EXPECT_EQ(GetTransferManager(), manager.get());
    const int id = Add(false);
    EXPECT_GE(id, 100);
    EXPECT_EQ(Status(id).m_state, kJobListNew);
    int lastAdded = 0;
    const int managerId = kTransferManagerId;
    manager->GetJobAttribute(&managerId, 1, kJobAttributeKnown, &lastAdded);
    EXPECT_EQ(lastAdded, id);
    int logId = 0;
    manager->GetJobAttribute(&id, 1, kJobAttributeLogId, &logId);
    EXPECT_GT(logId, 0);

    std::vector<int> ids;
    manager->GetJobIds(-1, ids);
    EXPECT_TRUE(ids.empty());
    manager->GetJobIds(0, ids);
    EXPECT_EQ(ids, std::vector<int>{id});
    manager->GetJobIds(id, ids);
    EXPECT_TRUE(ids.empty());

    // Runs and finishes; a finished job starts again.
    gate.Open();
    for (int round = 0; round < 2; ++round)
    {
        EXPECT_EQ(manager->StartJob(id), 0);
        CJobStatus status;
        ASSERT_EQ(manager->WaitForJob(id, &status, kBoundMs), 0);
        EXPECT_EQ(status.m_state, kJobListFinished);
        EXPECT_EQ(status.m_result, kResultOk);
    }
    CLinkItem properties;
    EXPECT_EQ(manager->GetJobProperties(id, properties), 0);
    EXPECT_EQ(properties.GetStringValue(LI_LOCAL_FILE), folder / "file0");

    // A running job cannot be queued or changed; stopping it waits for it.
    {
        std::lock_guard<std::mutex> lock(gate.mutex);
        gate.open = false;
    }
    const int held = Add(true);
    ASSERT_TRUE(gate.WaitInside(1));
    EXPECT_EQ(Status(held).m_state, kJobListRunning);
    EXPECT_EQ(manager->StartJob(held), 2);
    int results[2] = {};
    const int both[2] = {held, 99};
    manager->StartJobs(both, 2, results);
    EXPECT_EQ(results[0], 3);
    EXPECT_EQ(results[1], 1);
    EXPECT_EQ(manager->UpdateJobRequest(held, properties), 2);
    EXPECT_EQ(manager->StopJob(held), 0);
    EXPECT_EQ(Status(held).m_state, kJobListIdle);
    EXPECT_EQ(Status(held).m_result, kResultStopped);
    EXPECT_EQ(manager->GetBusyCount(), 0);

    // A new request keeps the job's log.
    int heldLog = 0;
    manager->GetJobAttribute(&held, 1, kJobAttributeLogId, &heldLog);
    EXPECT_GT(heldLog, 0);
    CLinkItem other;
    other.SetUrl("http://other.example/x", true);
    other.SetInt(LI_LOG_ID, 4321);
    EXPECT_EQ(manager->UpdateJobRequest(held, other), 0);
    int logAfter = 0;
    manager->GetJobAttribute(&held, 1, kJobAttributeLogId, &logAfter);
    EXPECT_EQ(logAfter, heldLog);
    CJobStatus heldStatus;
    EXPECT_EQ(manager->GetJobPropertiesAndStatus(held, properties, heldStatus), 0);
    EXPECT_EQ(properties.GetSiteUrl(), "http://other.example");
    EXPECT_EQ(heldStatus.m_result, kResultStopped);

    // Unknown ids.
    CJobStatus status;
    EXPECT_EQ(manager->StartJob(99), 1);
    EXPECT_EQ(manager->StopJob(99), 1);
    EXPECT_EQ(manager->GetJobStatus(99, status), 1);
    EXPECT_EQ(manager->UpdateJobRequest(99, other), 1);
    EXPECT_EQ(manager->HasJob(99), 1);
    std::string text = "x";
    EXPECT_EQ(manager->GetJobText(id, 0, text), 0);
    EXPECT_TRUE(text.empty());

    EXPECT_EQ(manager->RemoveJob(id), 0);
    EXPECT_EQ(manager->HasJob(id), 1);
    EXPECT_EQ(manager->RemoveJob(id), 1);
    int lastRemoved = 0;
    manager->GetJobAttribute(&managerId, 1, 1, &lastRemoved);
    EXPECT_EQ(lastRemoved, id);
    // The job's log went with it.
    EXPECT_FALSE(GetLogManager().ReleaseLog(logId));
}

// A request that names its log keeps it, and the log exists afterwards.
TEST_F(TransferManagerTest, AJobKeepsTheLogItsRequestNames)
{
    Make();
    const int chosen = 7777;
    CLinkItem request;
    ASSERT_TRUE(request.SetUrl("http://log.example/x", true));
    request.SetInt(LI_LOG_ID, chosen);
    int id = 0;
    ASSERT_EQ(manager->AddJob(request, &id, false), 0);
    int logId = 0;
    manager->GetJobAttribute(&id, 1, kJobAttributeLogId, &logId);
    EXPECT_EQ(logId, chosen);
    EXPECT_EQ(manager->RemoveJob(id), 0);
    // Listed until the job went, which released it.
    EXPECT_FALSE(GetLogManager().ReleaseLog(chosen));
}

TEST_F(TransferManagerTest, RemovingARunningJobStopsItFirst)
{
    Make();
    const int id = Add(true);
    ASSERT_TRUE(gate.WaitInside(1));
    EXPECT_EQ(manager->RemoveJob(id), 0);
    EXPECT_EQ(manager->HasJob(id), 1);
    EXPECT_EQ(manager->GetBusyCount(), 0);
}

TEST_F(TransferManagerTest, RunningLimitFromTheSetting)
{
    struct Case
    {
        int setting;
        int running;
    };
    for (const Case& c : {Case{0, 1}, Case{-4, 1}, Case{3, 3}, Case{500, 200}})
    {
        SCOPED_TRACE(c.setting);
        settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS, c.setting);
        {
            std::lock_guard<std::mutex> lock(gate.mutex);
            gate.open = false;
        }
        Make();
        std::vector<int> ids;
        for (int i = 0; i < c.running + 1; ++i)
            ids.push_back(Add(false));
        std::vector<int> results(ids.size(), -1);
        manager->StartJobs(ids.data(), int(ids.size()), results.data());
        EXPECT_EQ(results, std::vector<int>(ids.size(), 0));
        ASSERT_TRUE(gate.WaitInside(c.running));
        EXPECT_EQ(manager->GetBusyCount(), c.running);
        EXPECT_EQ(Status(ids.back()).m_state, kJobListWaiting);
        gate.Open();
        ASSERT_EQ(manager->WaitForJobs(ids.data(), int(ids.size()), kBoundMs), 0);
        for (int id : ids)
            EXPECT_EQ(Status(id).m_result, kResultOk);
        manager.reset();
    }
}

// Without the tick, only the end of the first job can start the second.
TEST_F(TransferManagerTest, AFinishedJobStartsTheNextAtOnce)
{
    settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS, 1);
    Make(false);
    const int first = Add(true);
    const int second = Add(true);
    ASSERT_TRUE(gate.WaitInside(1));
    EXPECT_EQ(Status(second).m_state, kJobListWaiting);
    gate.Open();
    CJobStatus status;
    ASSERT_EQ(manager->WaitForJob(second, &status, kBoundMs), 0);
    EXPECT_EQ(status.m_state, kJobListFinished);
    EXPECT_EQ(Status(first).m_state, kJobListFinished);
}

TEST_F(TransferManagerTest, ASchemeWithoutClientFailsWith100)
{
    Make();
    const int id = Add(true, "sftp");
    CJobStatus status;
    ASSERT_EQ(manager->WaitForJob(id, &status, kBoundMs), 0);
    EXPECT_EQ(status.m_state, kJobListIdle);
    EXPECT_EQ(status.m_result, kResultNotSupported);
    int logId = 0;
    manager->GetJobAttribute(&id, 1, kJobAttributeLogId, &logId);
    ITransferLog* log = GetLogManager().GetLog(logId);
    ASSERT_NE(log, nullptr);
    std::string text;
    log->GetText(text);
    log->Release();
    EXPECT_NE(text.find("not supported or implemented: \""), std::string::npos) << text;
}

TEST_F(TransferManagerTest, WaitsAndTheirTimeOuts)
{
    Make();
    gate.Open();
    const int done = Add(true);
    ASSERT_EQ(manager->WaitForJob(done, nullptr, kBoundMs), 0);
    {
        std::lock_guard<std::mutex> lock(gate.mutex);
        gate.open = false;
    }
    const int held = Add(true);
    ASSERT_TRUE(gate.WaitInside(1));

    CJobStatus status;
    EXPECT_EQ(manager->WaitForJob(held, &status, kWaitOnePass), 2);
    EXPECT_EQ(manager->WaitForJob(held, &status, 30), 2);
    EXPECT_EQ(manager->WaitForJob(12345, &status, kWaitForever), 1);
    const int pair[2] = {done, held};
    EXPECT_EQ(manager->WaitForJobs(pair, 2, kWaitOnePass), 2);
    EXPECT_EQ(manager->WaitForJobs(pair, 2, 30), 2);
    EXPECT_EQ(manager->WaitForJobs(pair, 2, kWaitForAnyEnd), 0);
    EXPECT_EQ(manager->WaitForJobs(&held, 1, kWaitOnePass), 2);
    EXPECT_EQ(manager->WaitForJobs(nullptr, 0, kWaitForever), 0);
    // A wait for any end, bounded: one finished job is enough, a busy one
    // alone runs into the time-out.
    EXPECT_EQ(manager->WaitForAnyJob(pair, 2, 30), 0);
    EXPECT_EQ(manager->WaitForAnyJob(&held, 1, 30), 2);
    EXPECT_EQ(manager->WaitForAnyJob(&held, 1, kWaitOnePass), 2);

    // A wait without end returns when the job ends, and so does a long wait
    // for any end.
    auto waiter =
        std::async(std::launch::async, [&] { return manager->WaitForJob(held, nullptr, kWaitForever); });
    auto anyWaiter = std::async(std::launch::async, [&] { return manager->WaitForAnyJob(&held, 1, kBoundMs); });
    EXPECT_EQ(waiter.wait_for(20ms), std::future_status::timeout);
    EXPECT_EQ(anyWaiter.wait_for(1ms), std::future_status::timeout);
    gate.Open();
    ASSERT_EQ(waiter.wait_for(kBound), std::future_status::ready);
    EXPECT_EQ(waiter.get(), 0);
    ASSERT_EQ(anyWaiter.wait_for(kBound), std::future_status::ready);
    EXPECT_EQ(anyWaiter.get(), 0);
    EXPECT_EQ(Status(held).m_state, kJobListFinished);
}

TEST_F(TransferManagerTest, GroupsAndAttributes)
{
    Make();
    manager->SetCallback(&RecordCallback, kTransferCallbackGroup, kTransferCallbackGroup);
    manager->SetCallback(&RecordCallback, kTransferCallbackRemoved, kTransferCallbackRemoved);
    const int a = Add(false);
    const int b = Add(false);

    std::vector<int> grouped = {a, 4242};
    manager->SetJobsGroup(grouped, 7);
    EXPECT_EQ(grouped, (std::vector<int>{a, 0}));
    std::vector<int> ids;
    manager->GetGroupIds(ids, 0);
    EXPECT_EQ(ids, std::vector<int>{a});

    // The manager's id stands for every job.
    const int all = kTransferManagerId;
    manager->SetJobAttribute(&all, 1, kJobAttributeGroup, 3);
    manager->GetGroupIds(ids, 0);
    EXPECT_EQ(ids, (std::vector<int>{a, b}));
    manager->SetJobAttribute(&b, 1, kJobAttributeGroup, 0);
    manager->GetGroupIds(ids, 0);
    EXPECT_EQ(ids, std::vector<int>{a});

    // Log ids per job; an unknown id's value becomes -1.
    const int pair[2] = {b, 4243};
    int values[2] = {555, 666};
    manager->SetJobAttributes(pair, 2, kJobAttributeLogId, values);
    EXPECT_EQ(values[1], -1);
    int read[2] = {-7, -7};
    manager->GetJobAttribute(pair, 2, kJobAttributeLogId, read);
    EXPECT_EQ(read[0], 555);
    EXPECT_EQ(read[1], 0);
    manager->GetJobAttribute(pair, 2, kJobAttributeKnown, read);
    EXPECT_EQ(read[0], 1);
    EXPECT_EQ(read[1], 0);

    // A grouped job tells of its start and end; the ungrouped one does not.
    gate.Open();
    EXPECT_EQ(manager->StartJob(b), 0);
    ASSERT_EQ(manager->WaitForJob(b, nullptr, kBoundMs), 0);
    EXPECT_EQ(g_callbacks.Count(kTransferCallbackGroup), 0);
    EXPECT_EQ(manager->StartJob(a), 0);
    EXPECT_GE(g_callbacks.Count(kTransferCallbackGroup), 1) << "the start's, before StartJob returns";
    ASSERT_EQ(manager->WaitForJob(a, nullptr, kBoundMs), 0);
    // The end's notice comes from the job's thread once it has let go of the
    // manager, which may be just after the wait returned.
    EXPECT_TRUE(g_callbacks.WaitFor(kTransferCallbackGroup, 2));
    // Only jobs changed since a stamp.
    manager->GetGroupIds(ids, uint32_t(-1));
    EXPECT_TRUE(ids.empty());

    // One removal notice per call, unknown ids included.
    const int remove[3] = {a, 4244, b};
    int results[3] = {};
    manager->RemoveJobs(remove, 3, results);
    EXPECT_EQ(results[0], 0);
    EXPECT_EQ(results[1], 1);
    EXPECT_EQ(results[2], 0);
    EXPECT_EQ(g_callbacks.Count(kTransferCallbackRemoved), 1);
    manager->GetGroupIds(ids, 0);
    EXPECT_TRUE(ids.empty());
}

// Callbacks come after the manager lock is released, so one may wait for a
// job: under the lock the job could never be filed and the wait would not
// end.
TEST_F(TransferManagerTest, ACallbackMayStopAndWaitForAJob)
{
    Make();
    const int held = Add(true);
    ASSERT_TRUE(gate.WaitInside(1));
    const int removed = Add(false);
    g_stopping = {manager.get(), held, -1};
    manager->SetCallback(&StopJobFromCallback, 0, kTransferCallbackRemoved);
    auto removal = std::async(std::launch::async, [&] { return manager->RemoveJob(removed); });
    ASSERT_EQ(removal.wait_for(kBound), std::future_status::ready);
    EXPECT_EQ(removal.get(), 0);
    EXPECT_EQ(g_stopping.result, 0);
    const CJobStatus status = Status(held);
    EXPECT_EQ(status.m_state, kJobListIdle);
    EXPECT_EQ(status.m_result, kResultStopped);
}

// The added notice comes from a later dispatch (the tick), once 200 ms have
// passed since the last add.
TEST_F(TransferManagerTest, TheTickTellsOfAddedJobs)
{
    Make(true);
    manager->SetCallback(&RecordCallback, kTransferCallbackAdded, kTransferCallbackAdded);
    Add(false);
    Add(false);
    ASSERT_TRUE(g_callbacks.WaitFor(kTransferCallbackAdded));
    EXPECT_EQ(g_callbacks.Count(kTransferCallbackAdded), 1);
}

TEST_F(TransferManagerTest, ShutdownWithJobsRunningReturnsPromptly)
{
    settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS, 3);
    Make(true);
    for (int i = 0; i < 5; ++i)
        Add(true);
    ASSERT_TRUE(gate.WaitInside(3));
    auto shutdown = std::async(std::launch::async, [&] { manager.reset(); });
    const bool ended = shutdown.wait_for(kBound) == std::future_status::ready;
    if (!ended)
        gate.Open();
    EXPECT_TRUE(ended);
    shutdown.wait();
    EXPECT_EQ(GetTransferManager(), nullptr);
}

// Once stopped, the manager starts nothing: every job, also one started
// after the stop, is filed as stopped, and no wait for it hangs.
TEST_F(TransferManagerTest, AfterStopEveryJobIsStopped)
{
    settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS, 1);
    Make();
    const int running = Add(true);
    const int waiting = Add(true);
    const int fresh = Add(false);
    ASSERT_TRUE(gate.WaitInside(1));
    manager->Stop();
    for (int id : {running, waiting})
    {
        EXPECT_EQ(Status(id).m_state, kJobListIdle);
        EXPECT_EQ(Status(id).m_result, kResultStopped);
    }
    EXPECT_EQ(manager->StartJob(fresh), 0);
    CJobStatus status;
    ASSERT_EQ(manager->WaitForJob(fresh, &status, kBoundMs), 0);
    EXPECT_EQ(status.m_state, kJobListIdle);
    EXPECT_EQ(status.m_result, kResultStopped);
}

TEST_F(TransferManagerTest, SiteCacheIsSavedAndReadBack)
{
    const std::string date =
        COleDateTime(COleDateTime::GetCurrentTime().GetValue() - 0.5).Format("%m/%d/%Y %H:%M:%S");
    Make();
    CLinkItem item;
    ASSERT_TRUE(item.SetUrl("http://cache.example/dir/page.html", true));
    item.SetInt(LI_RESOURCE_TYPE, 3);
    item.SetInt64(LI_SIZE, 1234);
    item.SetString(LI_INFO_DATE, date.c_str());
    manager->GetInfoCache().Store(item);
    manager.reset();

    const std::string text = ReadWhole(folder / "InfoCache.txt");
    EXPECT_NE(text.find("URL=\"http://cache.example/dir/page.html\""), std::string::npos) << text;
    EXPECT_NE(text.find("Size=\"1234\""), std::string::npos) << text;
    EXPECT_NE(text.find("Type=\"HTML\""), std::string::npos) << text;

    Make();
    CLinkItem request;
    ASSERT_TRUE(request.SetUrl("http://cache.example/dir/page.html", true));
    ASSERT_TRUE(manager->GetInfoCache().Lookup(request));
    int64_t size = 0;
    EXPECT_TRUE(request.GetInt64(LI_SIZE, size));
    EXPECT_EQ(size, 1234);
    EXPECT_EQ(&GetInfoCache(), &manager->GetInfoCache());
}

} // namespace
