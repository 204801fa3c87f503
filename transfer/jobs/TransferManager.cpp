// The transfer manager's life cycle, its tick, the progress meters and the
// callbacks.
#include "platform/core/RefPtr.h"
#include "transfer/jobs/TransferManager.h"

#include "foundation/desktop/AppIdentity.h"
#include "foundation/links/UrlParts.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/threads/ScheduledTask.h"
#include "transfer/base/LogRegistry.h"
#include "transfer/base/OptionalLog.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/jobs/TransferMeter.h"
#include "transfer/net/SocketDeadlineRegistry.h"

#include <atomic>
#include <ctime>

namespace
{
std::atomic<CTransferManager*> g_manager{nullptr};

int TickEntry(void* manager)
{
    static_cast<CTransferManager*>(manager)->OnTick();
    return 0;
}
} // namespace

CTransferManager::CTransferManager(CTransferManagerOptions options)
    : m_options(std::move(options)), m_settings(m_options.m_services.Settings()),
      m_jobs(std::make_unique<CJobTable>()),
      m_sites(std::make_unique<CSiteConnectionMap>(m_options.m_clientMaker, m_options.m_services))
{
    g_manager = this;
}

CTransferManager::~CTransferManager()
{
    Stop();
    {
        CScopedLock lock(m_lock);
        m_jobs.reset();
        m_sites.reset();
    }
    CTransferManager* self = this;
    g_manager.compare_exchange_strong(self, nullptr);
}

std::string CTransferManager::SiteCachePath() const
{
    const std::string folder =
        m_options.m_dataFolder.empty() ? GetAppIdentity().GetDataFolderPath() : m_options.m_dataFolder;
    if (folder.empty())
        return {};
    return folder + "/" + kSiteCacheFileName;
}

void CTransferManager::Init()
{
    {
        CScopedLock lock(m_lock);
        if (m_started)
            return;
        m_started = true;
        m_stopping = false;
    }
    const std::string path = SiteCachePath();
    if (!path.empty())
        static_cast<void>(m_siteCache.LoadFile(path)); // without the file the cache starts cold
    m_pool.Start();
    m_scheduler.Start();
    if (m_options.m_tick)
    {
        auto* task = new CCVoidFuncTask(&TickEntry, this, 1);
        const int id = m_scheduler.AddTask(task, std::time(nullptr) + 1, -1, 1, -1);
        CScopedLock lock(m_lock);
        m_taskIds.push_back(id);
    }
}

void CTransferManager::Stop()
{
    {
        CScopedLock lock(m_lock);
        if (!m_started)
            return;
        m_started = false;
        m_stopping = true;
    }
    m_pool.SignalStop();
    // Joins the scheduler thread, so no tick runs after this; the tick task
    // deletes itself when released.
    m_scheduler.Stop();
    {
        CScopedLock lock(m_lock);
        m_taskIds.clear();
    }
    StopAllJobs();
    m_pool.StopAndWait();
    const std::string path = SiteCachePath();
    if (!path.empty())
        static_cast<void>(m_siteCache.SaveFile(path)); // a lost cache costs only re-checks
    // A meter update still running on another thread has finished once the
    // lock could be had.
    std::lock_guard<std::mutex> meters(m_meterLock);
}

void CTransferManager::StopAllJobs()
{
    std::vector<int> running;
    {
        CScopedLock lock(m_lock);
        StopWaitingJobsLocked();
        for (CTransferJob* job = m_jobs->GetList(kJobListRunning).m_head; job; job = job->GetNext())
        {
            job->Stop();
            running.push_back(job->GetId());
        }
    }
    Lock lock(m_lock);
    WaitUntilStoppedLocked(lock, running.data(), int(running.size()));
}

void CTransferManager::StopWaitingJobsLocked()
{
    CJobList& waiting = m_jobs->GetList(kJobListWaiting);
    while (CTransferJob* job = waiting.m_head)
        job->Stop();
    NotifyChanged();
}

void CTransferManager::OnTick()
{
    SweepExpiredSockets();
    TickProgressMeters();
    Dispatch();
}

void CTransferManager::TickProgressMeters()
{
    std::lock_guard<std::mutex> lock(m_meterLock);
    for (CTransferMeter* meter : m_meters)
        meter->PeriodicUpdate();
}

void CTransferManager::RegisterProgressMeter(CTransferMeter* meter)
{
    std::lock_guard<std::mutex> lock(m_meterLock);
    m_meters.insert(meter);
}

void CTransferManager::UnregisterProgressMeter(CTransferMeter* meter)
{
    std::lock_guard<std::mutex> lock(m_meterLock);
    m_meters.erase(meter);
}

void CTransferManager::OnGroupJobProgress(CTransferJob& job)
{
    // A job's progress is written on its own thread, without the manager lock.
    if (job.GetGroup() != 0)
        CallCallback(kTransferCallbackGroup);
}

void CTransferManager::SetCallback(TransferCallback callback, int userValue, int kind)
{
    if (kind < kTransferCallbackAdded || kind > kTransferCallbackGroup)
        return;
    std::lock_guard<std::mutex> lock(m_callbackLock);
    m_callbacks[kind] = {callback, userValue};
}

void CTransferManager::CallCallback(int kind)
{
    CCallback callback;
    {
        std::lock_guard<std::mutex> lock(m_callbackLock);
        callback = m_callbacks[kind];
    }
    if (callback.m_function)
        callback.m_function(callback.m_userValue);
}

CTransferManager::CRaisedCallbacks::~CRaisedCallbacks()
{
    for (int kind = kTransferCallbackAdded; kind <= kTransferCallbackGroup; ++kind)
    {
        if (m_kinds & (1u << kind))
            m_manager.CallCallback(kind);
    }
}

void CTransferManager::CRaisedCallbacks::RaiseForGroup(const CTransferJob& job)
{
    if (job.GetGroup() != 0)
        Raise(kTransferCallbackGroup);
}

int CTransferManager::ReadSetting(int id) const
{
    return GetIntOr(m_settings, id);
}

void CreateTransferManager()
{
    if (g_manager.load())
        return;
    auto* manager = new CTransferManager();
    manager->Init();
}

void DestroyTransferManager()
{
    CTransferManager* manager = g_manager.load();
    if (!manager)
        return;
    manager->Stop();
    delete manager;
}

CTransferManager* GetTransferManager()
{
    return g_manager.load();
}

CSiteCache& GetInfoCache()
{
    return g_manager.load()->GetInfoCache();
}

// Dispatch: starting waiting jobs on pool threads; RunJob: a job's run on
// its pool thread and its filing afterwards.
namespace
{
constexpr int kMinRunning = 1;
constexpr int kMaxRunning = 200;
// How long after the most recent add the kind 0 notice waits, so that a
// burst of adds gives one notice.
constexpr std::chrono::milliseconds kAddedNoticeDelay{200};
// Idle pooled clients are swept (their connections looked at, those idle
// too long or gone closed) at most this often. Idle time counts in whole
// seconds, and a client is looked at again before it carries a request (its
// Connect probes the connection), so a sweep at every dispatch (each add,
// each filed job) would only repeat a system call for every idle client,
// under the manager lock.
constexpr std::chrono::seconds kIdleSweepInterval{1};

void LogNotSupported(CTransferJob& job)
{
    int logId = 0;
    if (!job.GetInt(LI_LOG_ID, logId) || logId == 0 || logId == -1)
        return;
    const auto log = CRefPtr<ITransferLog>::Adopt(job.GetServices().Logs().GetLog(logId));
    const UrlScheme* scheme = GetUrlSchemeEntry(job.GetUrlParts().m_scheme);
    const std::string name = scheme ? std::string(scheme->name) : std::string();
    LogMessage(log.Get(), kLogError, kMessageNotSupported, name.c_str());
}
} // namespace

void CTransferManager::Dispatch()
{
    CRaisedCallbacks callbacks(*this);
    CScopedLock lock(m_lock);
    DispatchLocked(nullptr, callbacks);
}

CTransferJob* CTransferManager::DispatchLocked(CPoolWorker* keepOneFor, CRaisedCallbacks& callbacks)
{
    if (m_stopping)
    {
        // The pool takes no calls any more: a waiting job would wait for
        // ever, and every wait for it with it.
        StopWaitingJobsLocked();
        return nullptr;
    }

    int limit = ReadSetting(SETTING_CONNECTIONS_MAX_CONNECTS);
    if (limit > kMaxRunning)
        limit = kMaxRunning;
    if (limit < kMinRunning)
        limit = kMinRunning;

    CTransferJob* kept = nullptr;
    std::vector<CTransferJob*> setAside;
    CTransferJob* next = nullptr;
    for (CTransferJob* job = m_jobs->GetList(kJobListWaiting).m_head; job && m_sites->GetBusyCount() < limit;
         job = next)
    {
        next = job->GetNext();
        if (job->TimeUntilDue() > 0)
            continue;
        const int acquired = m_sites->Acquire(*job);
        if (acquired == kResultOk)
        {
            if (keepOneFor && !kept)
            {
                job->RunOnWorker(keepOneFor);
                kept = job;
                callbacks.RaiseForGroup(*job);
                continue;
            }
            if (job->RunOnPool(m_pool, &CTransferManager::RunJobEntry))
            {
                callbacks.RaiseForGroup(*job);
                continue;
            }
            // No thread now: try again after a while rather than spin.
            m_sites->Release(*job);
            job->Queue(ReadSetting(SETTING_TRANSFER_MANAGER_TIMEOUT_THREADING));
            callbacks.RaiseForGroup(*job);
            break;
        }
        if (acquired == kResultNotSupported)
        {
            LogNotSupported(*job);
            setAside.push_back(job);
        }
        // 105: the site is at its limit; the job waits for the next dispatch.
    }
    for (CTransferJob* job : setAside)
    {
        job->SetResult(kResultNotSupported);
        job->MoveToList(kJobListIdle);
    }
    // Starting a job ends no wait; filing one does.
    if (!setAside.empty())
        NotifyChanged();

    const Clock::time_point now = Clock::now();
    if (now >= m_nextIdleSweep)
    {
        m_nextIdleSweep = now + kIdleSweepInterval;
        m_sites->SweepIdle(ReadSetting(SETTING_CONNECTIONS_SESSION_IDLE_TIME));
    }

    if (m_addedSinceNotice > 0 && now >= m_lastAdd + kAddedNoticeDelay)
    {
        bool set = false;
        {
            std::lock_guard<std::mutex> callbackLock(m_callbackLock);
            set = m_callbacks[kTransferCallbackAdded].m_function != nullptr;
        }
        if (set)
        {
            m_addedSinceNotice = 0;
            callbacks.Raise(kTransferCallbackAdded);
        }
    }
    return kept;
}

void CTransferManager::RunJobEntry(CTransferJob* job)
{
    static_cast<CTransferManager*>(job->GetOwner())->RunJob(*job);
}

void CTransferManager::RunJob(CTransferJob& first)
{
    // One pool thread runs job after job for as long as there is one to
    // start when it files the last: the next job starts now, not at the next
    // tick, and on this thread rather than by waking another.
    for (CTransferJob* job = &first; job;)
    {
        const int list = job->Run(m_settings);

        // Called once the lock is gone, before the next job runs.
        CRaisedCallbacks callbacks(*this);
        bool wake = false;
        {
            CScopedLock lock(m_lock);
            CPoolWorker* const worker = job->GetWorker();
            job->ReturnToList(list);
            m_sites->Release(*job);
            callbacks.RaiseForGroup(*job);
            const bool stopped = job->GetStatus().m_result == kResultStopped;
            wake = IsFiledJobAwaited(job->GetId());
            // A stopped job starts nothing: stopping several jobs one by one
            // must not start others. The job filed may be removed and
            // destroyed as soon as the lock is released.
            job = stopped ? nullptr : DispatchLocked(worker, callbacks);
        }
        // The waits are woken once the lock is free: a wait woken while this
        // thread still held it would at once block on the lock again (two
        // more system calls for every job a caller waits for). The change
        // was made under the lock, which a wait checks under the lock, so
        // no wake-up is lost.
        if (wake)
            m_changed.notify_all();
    }
}
