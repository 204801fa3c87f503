// The transfer manager's job operations (ITransferManager).

#include "platform/core/RefPtr.h"
#include "transfer/jobs/TransferManager.h"

#include "foundation/links/LinkItem.h"
#include "transfer/base/LogRegistry.h"
#include "transfer/base/TransferLogInterface.h"

#include <algorithm>

namespace
{
bool IsBusy(int state)
{
    return state == kJobListWaiting || state == kJobListRunning;
}
} // namespace

int CTransferManager::AddJob(const CLinkItem& request, int* jobId, bool start)
{
    CRaisedCallbacks callbacks(*this);
    CScopedLock lock(m_lock);
    auto created = std::make_unique<CTransferJob>();
    *created = request;
    created->SetOwner(this);
    created->SetServices(m_options.m_services);
    CTransferJob& job = m_jobs->Add(std::move(created));

    int logId = 0;
    if (job.GetInt(LI_LOG_ID, logId) && logId != 0 && logId != -1)
    {
        // The caller chose the log: make sure it exists (GetLog lists it).
        CRefPtr<ITransferLog>::Adopt(m_options.m_services.Logs().GetLog(logId));
    }
    else
    {
        job.SetInt(LI_LOG_ID, m_options.m_services.Logs().CreateLog());
    }
    // A queued job keeps its request packed: a caller may queue a hundred
    // thousand at once, and the unpacked request would stay behind as a
    // hole between the jobs made after it once the run replaces it.
    job.Compact();
    if (jobId)
        *jobId = job.GetId();
    if (start)
    {
        job.Queue(0);
        DispatchLocked(nullptr, callbacks);
    }
    ++m_addedSinceNotice;
    m_lastAdd = Clock::now();
    return 0;
}

int CTransferManager::RemoveJob(int id)
{
    int result = 1;
    RemoveJobs(&id, 1, &result);
    return result;
}

int CTransferManager::StopJob(int id)
{
    int result = 1;
    StopJobs(&id, 1, &result);
    return result;
}

int CTransferManager::StartJob(int id)
{
    int result = 1;
    StartJobs(&id, 1, &result);
    // The single form reports a refused queueing (a running job) as 2.
    return result == 3 ? 2 : result;
}

int CTransferManager::RemoveJobs(const int* ids, int count, int* results)
{
    // One hold of the lock from the stop to the removal, so that no other
    // thread can start a job again between them (the wait releases it only
    // while it sleeps, and rechecks after).
    CRaisedCallbacks callbacks(*this);
    Lock lock(m_lock);
    StopJobsLocked(ids, count, nullptr);
    WaitUntilStoppedLocked(lock, ids, count);
    for (int i = 0; i < count; ++i)
    {
        const bool removed = m_jobs->Remove(ids[i]);
        if (results)
            results[i] = removed ? 0 : 1;
    }
    NotifyChanged();
    callbacks.Raise(kTransferCallbackRemoved);
    return 0;
}

int CTransferManager::StopJobs(const int* ids, int count, int* results)
{
    Lock lock(m_lock);
    StopJobsLocked(ids, count, results);
    WaitUntilStoppedLocked(lock, ids, count);
    return 0;
}

void CTransferManager::StopJobsLocked(const int* ids, int count, int* results)
{
    for (int i = 0; i < count; ++i)
    {
        CTransferJob* job = m_jobs->Find(ids[i]);
        if (job)
            job->Stop();
        if (results)
            results[i] = job ? 0 : 1;
    }
    NotifyChanged();
}

void CTransferManager::WaitUntilStoppedLocked(Lock& lock, const int* ids, int count)
{
    for (;;)
    {
        bool running = false;
        for (int i = 0; i < count; ++i)
        {
            CTransferJob* job = m_jobs->Find(ids[i]);
            if (!job || job->GetListIndex() != kJobListRunning)
                continue;
            running = true;
            // Queued and started again while this wait slept: stop it again.
            if (!job->IsStopRequested())
                job->Stop();
        }
        if (!running)
            return;
        // No time limit: a running job ends once its client sees the abort
        // flag, and its run then files it and notifies.
        WaitForChange(lock, nullptr);
    }
}

int CTransferManager::StartJobs(const int* ids, int count, int* results)
{
    CRaisedCallbacks callbacks(*this);
    CScopedLock lock(m_lock);
    bool queued = false;
    for (int i = 0; i < count; ++i)
    {
        CTransferJob* job = m_jobs->Find(ids[i]);
        int result = 1;
        if (job)
        {
            if (job->GetListIndex() == kJobListFinished)
                job->MoveToList(kJobListIdle);
            result = job->Queue(0) ? 0 : 3;
            queued = queued || result == 0;
        }
        if (results)
            results[i] = result;
    }
    if (queued)
        DispatchLocked(nullptr, callbacks);
    return 0;
}

int CTransferManager::WaitForJob(int id, CJobStatus* status, int timeoutMs)
{
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0);
    Lock lock(m_lock);
    for (;;)
    {
        CTransferJob* job = m_jobs->Find(id);
        if (!job)
            return 1;
        const CJobStatus current = job->GetStatus();
        if (!IsBusy(current.m_state))
        {
            if (status)
                status->CopyFrom(current);
            return 0;
        }
        if (!AwaitChange(lock, timeoutMs, deadline, id))
            return 2;
    }
}

bool CTransferManager::AwaitChange(Lock& lock, int timeoutMs, Clock::time_point deadline, int jobId)
{
    if (timeoutMs == kWaitOnePass)
        return false;
    if (timeoutMs > 0)
    {
        if (Clock::now() > deadline)
            return false;
        const Clock::time_point until = deadline + std::chrono::milliseconds(1);
        WaitForChange(lock, &until, jobId);
    }
    else
    {
        WaitForChange(lock, nullptr, jobId);
    }
    return true;
}

void CTransferManager::WaitForChange(Lock& lock, const Clock::time_point* deadline, int jobId)
{
    ++m_waiters;
    if (jobId != 0)
        m_awaitedJobs.push_back(jobId);
    else
        ++m_waitersForAny;
    if (deadline)
        m_changed.wait_until(lock, *deadline);
    else
        m_changed.wait(lock);
    if (jobId != 0)
        m_awaitedJobs.erase(std::find(m_awaitedJobs.begin(), m_awaitedJobs.end(), jobId));
    else
        --m_waitersForAny;
    --m_waiters;
}

int CTransferManager::WaitForJobs(const int* ids, int count, int timeoutMs)
{
    return AwaitJobsEnd(ids, count, timeoutMs, timeoutMs == kWaitForAnyEnd);
}

int CTransferManager::WaitForAnyJob(const int* ids, int count, int timeoutMs)
{
    return AwaitJobsEnd(ids, count, timeoutMs > 0 ? timeoutMs : kWaitOnePass, true);
}

int CTransferManager::AwaitJobsEnd(const int* ids, int count, int timeoutMs, bool any)
{
    if (count <= 0)
        return 0;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0);
    Lock lock(m_lock);
    for (;;)
    {
        int busy = 0;
        for (int i = 0; i < count; ++i)
        {
            const CTransferJob* job = m_jobs->Find(ids[i]);
            if (job && IsBusy(job->GetListIndex()))
                ++busy;
        }
        if (busy == 0)
            return 0;
        if (any && busy < count)
            return 0;
        if (!AwaitChange(lock, timeoutMs, deadline))
            return 2;
    }
}

int CTransferManager::GetJobStatus(int id, CJobStatus& status)
{
    CScopedLock lock(m_lock);
    const CTransferJob* job = m_jobs->Find(id);
    if (!job)
        return 1;
    status.CopyFrom(job->GetStatus());
    return 0;
}

int CTransferManager::GetJobProperties(int id, CLinkItem& properties)
{
    CScopedLock lock(m_lock);
    const CTransferJob* job = m_jobs->Find(id);
    if (!job)
        return 1;
    properties = static_cast<const CLinkItem&>(*job);
    return 0;
}

int CTransferManager::GetJobPropertiesAndStatus(int id, CLinkItem& properties, CJobStatus& status)
{
    CScopedLock lock(m_lock);
    const CTransferJob* job = m_jobs->Find(id);
    if (!job)
        return 1;
    properties = static_cast<const CLinkItem&>(*job);
    status.CopyFrom(job->GetStatus());
    return 0;
}

int CTransferManager::UpdateJobRequest(int id, const CLinkItem& request)
{
    CScopedLock lock(m_lock);
    CTransferJob* job = m_jobs->Find(id);
    if (!job)
        return 1;
    if (job->GetListIndex() == kJobListRunning)
        return 2;
    int logId = 0;
    job->GetInt(LI_LOG_ID, logId);
    *job = request;
    job->SetInt(LI_LOG_ID, logId);
    return 0;
}

void CTransferManager::GetJobAttribute(const int* ids, int count, int kind, int* values)
{
    if (count == 1 && ids[0] == kTransferManagerId)
    {
        CScopedLock lock(m_lock);
        values[0] = kind == 0 ? m_jobs->GetLastAdded() : kind == 1 ? m_jobs->GetLastRemoved() : 0;
        return;
    }
    for (int i = 0; i < count; ++i)
    {
        CScopedLock lock(m_lock);
        const CTransferJob* job = m_jobs->Find(ids[i]);
        int value = 0;
        if (job && kind == kJobAttributeKnown)
            value = 1;
        else if (job && kind == kJobAttributeLogId)
            job->GetInt(LI_LOG_ID, value);
        values[i] = value;
    }
}

void CTransferManager::SetJobAttribute(const int* ids, int count, int kind, int value)
{
    SetAttributes(ids, count, kind, &value, true, nullptr);
}

void CTransferManager::SetJobAttributes(const int* ids, int count, int kind, int* values)
{
    SetAttributes(ids, count, kind, values, false, values);
}

void CTransferManager::SetAttributes(const int* ids, int count, int kind, const int* values, bool oneValue,
                                     int* unknownOut)
{
    int first = 0;
    if (count >= 1 && ids[0] == kTransferManagerId)
    {
        // The manager's entry stands for every job.
        if (kind == kJobAttributeGroup)
        {
            CScopedLock lock(m_lock);
            m_jobs->ForEach([&](CTransferJob& job) { m_jobs->SetGroup(job, values[0]); });
        }
        first = 1;
    }
    for (int i = first; i < count; ++i)
    {
        const int value = oneValue ? values[0] : values[i];
        CScopedLock lock(m_lock);
        CTransferJob* job = m_jobs->Find(ids[i]);
        if (!job)
        {
            if (unknownOut)
                unknownOut[i] = -1;
            continue;
        }
        if (kind == kJobAttributeLogId)
            job->SetInt(LI_LOG_ID, value);
        else if (kind == kJobAttributeGroup)
            m_jobs->SetGroup(*job, value);
    }
}

int CTransferManager::GetJobText(int id, int, std::string& text)
{
    text.clear();
    return HasJob(id);
}

int CTransferManager::HasJob(int id)
{
    CScopedLock lock(m_lock);
    return m_jobs->Find(id) ? 0 : 1;
}

int CTransferManager::GetJobIds(int after, std::vector<int>& ids)
{
    ids.clear();
    if (after == -1)
        return 0;
    CScopedLock lock(m_lock);
    m_jobs->ForEach(
        [&](CTransferJob& job)
        {
            if (uint32_t(job.GetId()) > uint32_t(after))
                ids.push_back(job.GetId());
        });
    return 0;
}

int CTransferManager::GetGroupIds(std::vector<int>& ids, uint32_t since)
{
    ids.clear();
    CScopedLock lock(m_lock);
    for (const auto& [id, group] : m_jobs->GetGroups())
    {
        const CTransferJob* job = m_jobs->Find(id);
        if (job && job->GetStamp() > since)
            ids.push_back(id);
    }
    return 0;
}

int CTransferManager::SetJobsGroup(std::vector<int>& ids, int group)
{
    CScopedLock lock(m_lock);
    for (int& id : ids)
    {
        if (CTransferJob* job = m_jobs->Find(id))
        {
            m_jobs->SetGroup(*job, group);
        }
        else
        {
            m_jobs->ForgetGroup(id);
            id = 0;
        }
    }
    return 0;
}
