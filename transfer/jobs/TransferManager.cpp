// The transfer manager's life cycle, its tick, the progress meters and the
// callbacks.

#include "transfer/jobs/TransferManager.h"

#include "foundation/desktop/AppIdentity.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/threads/ScheduledTask.h"
#include "foundation/stores/Settings.h"
#include "transfer/net/SocketDeadlineRegistry.h"
#include "transfer/jobs/TransferMeter.h"

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
    : m_options(std::move(options)), m_settings(m_options.m_settings ? *m_options.m_settings : GetSettings()),
      m_jobs(std::make_unique<CJobTable>()),
      m_sites(std::make_unique<CSiteConnectionMap>(m_options.m_clientMaker, m_options.m_settings))
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
