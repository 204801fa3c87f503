// Dispatch: starting waiting jobs on pool threads; RunJob: a job's run on
// its pool thread and its filing afterwards.

#include "transfer/jobs/TransferManager.h"

#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/links/UrlParts.h"
#include "transfer/base/LogRegistry.h"
#include "transfer/base/OptionalLog.h"
#include "transfer/base/ResultCodes.h"

namespace
{
constexpr int kMinRunning = 1;
constexpr int kMaxRunning = 200;
// How long after the most recent add the kind 0 notice waits, so that a
// burst of adds gives one notice.
constexpr std::chrono::milliseconds kAddedNoticeDelay{200};

void LogNotSupported(CTransferJob& job)
{
    int logId = 0;
    if (!job.GetInt(LI_LOG_ID, logId) || logId == 0 || logId == -1)
        return;
    ITransferLog* log = GetLogManager().GetLog(logId);
    const UrlScheme* scheme = GetUrlSchemeEntry(job.GetUrlParts().m_scheme);
    const std::string name = scheme ? std::string(scheme->name) : std::string();
    LogMessage(log, kLogError, kMessageNotSupported, name.c_str());
    if (log)
        log->Release();
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

    m_sites->SweepIdle(ReadSetting(SETTING_CONNECTIONS_SESSION_IDLE_TIME));

    if (m_addedSinceNotice > 0 && Clock::now() >= m_lastAdd + kAddedNoticeDelay)
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
        CScopedLock lock(m_lock);
        CPoolWorker* const worker = job->GetWorker();
        job->ReturnToList(list);
        m_sites->Release(*job);
        callbacks.RaiseForGroup(*job);
        const bool stopped = job->GetStatus().m_result == kResultStopped;
        NotifyChanged();
        // A stopped job starts nothing: stopping several jobs one by one
        // must not start others. The job filed may be removed and destroyed
        // as soon as the lock is released.
        job = stopped ? nullptr : DispatchLocked(worker, callbacks);
    }
}
