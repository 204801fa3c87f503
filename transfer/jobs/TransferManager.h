#pragma once
// CTransferManager: the one object through which the program fetches
// anything (ITransferManager, TransferManagerInterface.h). It keeps every
// transfer job in its job table, starts waiting jobs on thread-pool threads
// within a global running limit ("Connections/Max Connects", 1 to 200) and
// the per-site limits of its site connection pool, runs a one-second tick on
// its task scheduler, tells its owner about changes through three callbacks,
// and owns the site cache kept in "InfoCache.txt" in the data folder.
//
// Files: TransferManager.cpp (life cycle, tick, meters, callbacks),
// TransferManagerDispatch.cpp (Dispatch and the pool threads' RunJob),
// TransferManagerJobs.cpp (the job operations).
//
// Locks: one manager lock guards the job table, its lists and maps, the
// counters and every call into the site connection pool; each operation
// holds it for its whole duration. Order: manager lock, then a job's lock,
// then a client's lock. The meter lock is never held together with the
// manager lock by the manager. Waits (for a job to stop, to end) are
// condition-variable waits on the manager lock: every move off the running
// or waiting list notifies them, so a wait returns as soon as its jobs leave
// those lists.
//
// Callbacks: an operation that raises one calls it after releasing the
// manager lock, once per kind and operation, so a callback may call any
// operation, a wait included. (Called under the lock, which is recursive, a
// wait would release only one level of it and keep the job it waits for
// from ever being filed.)
//
// Running and stopping: a job that ends files itself under the manager lock
// and dispatches the next waiting jobs at once (unless it was stopped),
// running the first of them on its own pool thread. Once Stop has begun no
// job starts any more: a job that would be handed to the stopped pool is
// filed as stopped (list 1, result 3) instead of waiting for a thread that
// will never come, so StopAllJobs and every wait for jobs end.

#include "foundation/stores/SiteCache.h"
#include "foundation/threads/TaskScheduler.h"
#include "foundation/threads/ThreadPool.h"
#include "platform/core/CriticalSection.h"
#include "transfer/jobs/JobTable.h"
#include "transfer/jobs/SiteConnectionMap.h"
#include "transfer/jobs/TransferManagerInterface.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

class IPropertySet;
class CTransferMeter;

// What a manager runs with; the defaults are the program's own.
struct CTransferManagerOptions
{
    // Null: CreateProtocolClient.
    ProtocolClientMaker m_clientMaker;
    // The settings, stores, log registry and prompt queue of every job and
    // client; members left null are the process-wide ones.
    CTransferServices m_services;
    // The folder of "InfoCache.txt"; empty: the application's data folder.
    std::string m_dataFolder;
    // Whether Init schedules the one-second tick. Without it jobs start only
    // from the operations and from the ends of other jobs.
    bool m_tick = true;
};

class CTransferManager final : public ITransferManager, public ITransferJobOwner
{
public:
    // Builds an empty manager and makes it the process-wide one
    // (GetTransferManager). Nothing runs until Init.
    explicit CTransferManager(CTransferManagerOptions options = {});
    // Stop, then destroys every job and pooled client.
    ~CTransferManager() override;
    CTransferManager(const CTransferManager&) = delete;
    CTransferManager& operator=(const CTransferManager&) = delete;

    // Once (until Stop): loads the site cache, starts the thread pool and the
    // scheduler, and schedules OnTick every second from one second on.
    void Init();
    // Once after Init: no job starts any more; stops the pool and the
    // scheduler, stops every job and waits until none runs, waits for every
    // pool worker, saves the site cache.
    void Stop();

    // The scheduler's tick: the socket deadline sweep, the periodic update of
    // every progress meter, then Dispatch.
    void OnTick();
    // Starts waiting jobs that are due within the running limit (see the
    // header comment), files jobs whose protocol no client serves as failed
    // with 100, closes idle pooled clients (at most once a second, see
    // kIdleSweepInterval), and calls the kind 0 callback when jobs were
    // added and 200 ms have passed since the last add.
    void Dispatch();

    CSiteCache& GetInfoCache() { return m_siteCache; }
    // The site connection pool's busy clients (running jobs).
    int GetBusyCount() const { return m_sites->GetBusyCount(); }

    // ITransferManager.
    int AddJob(const CLinkItem& request, int* jobId, bool start) override;
    int RemoveJob(int id) override;
    int StopJob(int id) override;
    int StartJob(int id) override;
    int RemoveJobs(const int* ids, int count, int* results) override;
    int StopJobs(const int* ids, int count, int* results) override;
    int StartJobs(const int* ids, int count, int* results) override;
    int WaitForJob(int id, CJobStatus* status, int timeoutMs) override;
    int WaitForJobs(const int* ids, int count, int timeoutMs) override;
    // Waits until at least one of the jobs neither waits nor runs, at most
    // timeoutMs (a positive number of milliseconds): 0, or 2 timed out. For
    // a caller that keeps a fixed number of jobs busy: it refills as soon as
    // one ends, and still looks up now and then.
    int WaitForAnyJob(const int* ids, int count, int timeoutMs);
    int GetJobStatus(int id, CJobStatus& status) override;
    int GetJobProperties(int id, CLinkItem& properties) override;
    int GetJobPropertiesAndStatus(int id, CLinkItem& properties, CJobStatus& status) override;
    int UpdateJobRequest(int id, const CLinkItem& request) override;
    void GetJobAttribute(const int* ids, int count, int kind, int* values) override;
    void SetJobAttribute(const int* ids, int count, int kind, int value) override;
    void SetJobAttributes(const int* ids, int count, int kind, int* values) override;
    int GetJobText(int id, int unused, std::string& text) override;
    int HasJob(int id) override;
    int GetJobIds(int after, std::vector<int>& ids) override;
    int GetGroupIds(std::vector<int>& ids, uint32_t since) override;
    int SetJobsGroup(std::vector<int>& ids, int group) override;
    void SetCallback(TransferCallback callback, int userValue, int kind) override;

    // ITransferJobOwner.
    CJobList& GetJobList(int index) override { return m_jobs->GetList(index); }
    void RegisterProgressMeter(CTransferMeter* meter) override;
    void UnregisterProgressMeter(CTransferMeter* meter) override;
    void OnGroupJobProgress(CTransferJob& job) override;

private:
    using Clock = std::chrono::steady_clock;
    using Lock = std::unique_lock<CCriticalSection>;

    struct CCallback
    {
        TransferCallback m_function = nullptr;
        int m_userValue = 0;
    };

    // The callbacks an operation raised under the manager lock, each kind
    // called once when the object goes, after the lock is released: declare
    // it before the lock. A callback may then use every operation, the waits
    // included; called under the lock (recursive, and a wait releases only
    // one level of it) a wait would keep the job it waits for from being
    // filed, and wait for ever.
    class CRaisedCallbacks
    {
    public:
        explicit CRaisedCallbacks(CTransferManager& manager) : m_manager(manager) {}
        ~CRaisedCallbacks();
        CRaisedCallbacks(const CRaisedCallbacks&) = delete;
        CRaisedCallbacks& operator=(const CRaisedCallbacks&) = delete;
        void Raise(int kind) { m_kinds |= 1u << kind; }
        // Kind 2, when the job has a group.
        void RaiseForGroup(const CTransferJob& job);

    private:
        CTransferManager& m_manager;
        unsigned m_kinds = 0;
    };

    // The pool thread's body: runs the job without the manager lock, then
    // files it, releases its client and dispatches the next job.
    static void RunJobEntry(CTransferJob* job);
    void RunJob(CTransferJob& job);
    // Dispatch under the lock. With a worker, the first job that may start
    // is not handed to the pool but moved to the running list on that worker
    // and returned, for the calling pool thread to run next.
    CTransferJob* DispatchLocked(CPoolWorker* keepOneFor, CRaisedCallbacks& callbacks);
    // Under the lock: stops every waiting job (none can start any more).
    void StopWaitingJobsLocked();
    // Under the lock: stops each known job; per id 0, or 1 unknown.
    void StopJobsLocked(const int* ids, int count, int* results);
    // Under the lock, held once through `lock`: stops each known job that
    // runs and waits until none of them is on the running list; a job that
    // was queued and started again meanwhile is stopped again.
    void WaitUntilStoppedLocked(Lock& lock, const int* ids, int count);
    // One wait of WaitForJob/WaitForJobs: false (time out) for a single pass
    // or a passed deadline; otherwise true once something changed, the
    // deadline came or no time-out was given and a change came.
    // jobId: the one job the wait is for (WaitForChange), 0 for any.
    bool AwaitChange(Lock& lock, int timeoutMs, Clock::time_point deadline, int jobId = 0);
    // WaitForJobs and WaitForAnyJob: until no job is busy, or with `any`
    // until one is not.
    int AwaitJobsEnd(const int* ids, int count, int timeoutMs, bool any);
    // Every wait on m_changed, counted in m_waiters so that a change nobody
    // waits for costs no wake-up; null deadline: no time limit. A wait for
    // one job (jobId not 0) is listed in m_awaitedJobs, so that the end of
    // another job does not wake it; jobId 0 waits for any change.
    void WaitForChange(Lock& lock, const Clock::time_point* deadline, int jobId = 0);
    // Stops every waiting and running job and waits until none runs.
    void StopAllJobs();
    void SetAttributes(const int* ids, int count, int kind, const int* values, bool oneValue,
                       int* unknownOut);
    // Wakes the waits; call after a job leaves the running or waiting list
    // or the table, under the lock.
    void NotifyChanged()
    {
        if (m_waiters > 0)
            m_changed.notify_all();
    }
    // Whether a job that a run has just filed (the change that comes with
    // every file) must wake the waits: only when one of them is for any job
    // or for this one. A caller waiting for its jobs one by one would
    // otherwise be woken, and take the lock, at the end of every job. Under
    // the lock; the caller wakes them once it has let the lock go.
    bool IsFiledJobAwaited(int jobId) const
    {
        return m_waitersForAny > 0 ||
               std::find(m_awaitedJobs.begin(), m_awaitedJobs.end(), jobId) != m_awaitedJobs.end();
    }
    // Without the manager lock.
    void CallCallback(int kind);
    void TickProgressMeters();
    int ReadSetting(int id) const;
    std::string SiteCachePath() const;

    const CTransferManagerOptions m_options;
    const IPropertySet& m_settings;

    mutable CCriticalSection m_lock;
    std::condition_variable_any m_changed;
    // Threads in WaitForChange, those of them waiting for any change, and
    // the job each of the others waits for; under m_lock.
    int m_waiters = 0;
    int m_waitersForAny = 0;
    std::vector<int> m_awaitedJobs;
    std::unique_ptr<CJobTable> m_jobs;
    std::unique_ptr<CSiteConnectionMap> m_sites;
    CTaskScheduler m_scheduler;
    CThreadPool m_pool;

    std::mutex m_callbackLock;
    CCallback m_callbacks[3];
    int m_addedSinceNotice = 0;
    Clock::time_point m_lastAdd;
    // When the next dispatch sweeps the idle pooled clients; under m_lock.
    Clock::time_point m_nextIdleSweep{};

    // Ids of the tasks Init scheduled; m_started from Init until Stop.
    std::vector<int> m_taskIds;
    bool m_started = false;
    // From the start of Stop until the next Init: nothing starts.
    bool m_stopping = false;

    std::mutex m_meterLock;
    std::set<CTransferMeter*> m_meters;

    CSiteCache m_siteCache;
};

// Builds the process-wide manager with the program's defaults and Inits it;
// nothing when it exists.
void CreateTransferManager();
// Stops and destroys the process-wide manager; nothing when none exists.
void DestroyTransferManager();
// The process-wide manager: null before CreateTransferManager (or a
// CTransferManager built by hand) and after its destruction.
CTransferManager* GetTransferManager();
// The process-wide manager's site cache; the manager must exist.
CSiteCache& GetInfoCache();
