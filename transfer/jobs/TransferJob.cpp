#include "transfer/jobs/TransferJob.h"

#include "foundation/threads/ThreadPool.h"
#include "platform/core/TickCount.h"
#include "transfer/base/LogRegistry.h"
#include "transfer/client/ProtocolClient.h"
#include "transfer/base/ResultCodes.h"

#include <mutex>

namespace
{
std::atomic<int> g_nextJobId{100};

// What a job without services of its own runs with.
const CTransferServices g_defaultServices;

} // namespace

CTransferJob::CTransferJob() : m_services(&g_defaultServices), m_id(g_nextJobId++)
{
    SetThreadSafe(true);
}

CTransferJob::~CTransferJob()
{
    int logId = 0;
    if (GetInt(LI_LOG_ID, logId) && logId != 0 && logId != -1)
        m_services->Logs().ReleaseLog(logId);
}

CTransferJob& CTransferJob::operator=(const CLinkItem& request)
{
    CLinkItem::operator=(request);
    return *this;
}

bool CTransferJob::Queue(int delayMs)
{
    if (GetListIndex() == kJobListRunning)
        return false;
    m_dueTime = GetTickCount64() + delayMs;
    m_stopRequested = false;
    MoveToList(kJobListWaiting);
    return true;
}

void CTransferJob::Stop()
{
    const int list = GetListIndex();
    if (list == kJobListRunning)
    {
        m_stopRequested = true;
        if (m_client)
            m_client->Abort();
    }
    else if (list == kJobListWaiting)
    {
        MoveToList(kJobListIdle);
        SetResult(kResultStopped);
    }
    else if (list == kJobListIdle && GetStatus().m_result == kResultOk)
    {
        SetResult(kResultStopped);
    }
}

int CTransferJob::GetListIndex() const
{
    CScopedLock lock(JobLock());
    return m_status.m_state;
}

void CTransferJob::Unlink()
{
    if (!m_linked || !m_owner)
        return;
    CJobList& list = m_owner->GetJobList(GetListIndex());
    if (m_prev)
        m_prev->m_next = m_next;
    else
        list.m_head = m_next;
    if (m_next)
        m_next->m_prev = m_prev;
    else
        list.m_tail = m_prev;
    --list.m_count;
    m_next = m_prev = nullptr;
    m_linked = false;
}

void CTransferJob::AppendTo(int index)
{
    if (m_owner)
    {
        CJobList& list = m_owner->GetJobList(index);
        m_prev = list.m_tail;
        m_next = nullptr;
        if (list.m_tail)
            list.m_tail->m_next = this;
        else
            list.m_head = this;
        list.m_tail = this;
        ++list.m_count;
        m_linked = true;
    }
    CScopedLock lock(JobLock());
    m_status.m_state = index;
    RenewStamp();
}

void CTransferJob::MoveToList(int index)
{
    const int target = index < 0 ? GetListIndex() : index;
    Unlink();
    AppendTo(target);
}

void CTransferJob::PoolEntry(void* argument)
{
    auto* job = static_cast<CTransferJob*>(argument);
    job->m_body(job);
}

bool CTransferJob::RunOnPool(CThreadPool& pool, Body body)
{
    const int former = GetListIndex();
    m_body = body;
    MoveToList(kJobListRunning);
    m_worker = pool.Run(&CTransferJob::PoolEntry, this);
    if (m_worker)
        return true;
    MoveToList(former);
    return false;
}

void CTransferJob::RunOnWorker(CPoolWorker* worker)
{
    MoveToList(kJobListRunning);
    m_worker = worker;
}

void CTransferJob::ReturnToList(int index)
{
    m_worker = nullptr;
    MoveToList(index);
}

int64_t CTransferJob::TimeUntilDue() const
{
    const int64_t left = m_dueTime - GetTickCount64();
    return left > 0 ? left : 0;
}

void CTransferJob::RenewStamp()
{
    m_stamp = NextChangeStamp(m_stamp);
}

void CTransferJob::SetPhase(int phase)
{
    CScopedLock lock(JobLock());
    m_status.m_phase = phase;
    RenewStamp();
}

void CTransferJob::SetResult(int result)
{
    CScopedLock lock(JobLock());
    m_status.m_result = result;
    RenewStamp();
}

void CTransferJob::SetProgress(int rate, int elapsedSeconds, int remainingSeconds, int64_t localBytes,
                               int64_t remoteBytes)
{
    {
        CScopedLock lock(JobLock());
        m_status.m_rate = rate;
        m_status.m_elapsedSeconds = elapsedSeconds;
        m_status.m_remainingSeconds = remainingSeconds;
        m_status.m_localBytes = localBytes;
        m_status.m_remoteBytes = remoteBytes;
        RenewStamp();
    }
    if (m_group.load() != 0 && m_owner)
        m_owner->OnGroupJobProgress(*this);
}

CJobStatus CTransferJob::GetStatus() const
{
    CScopedLock lock(JobLock());
    CJobStatus copy;
    copy.CopyFrom(m_status);
    return copy;
}

uint32_t CTransferJob::GetStamp() const
{
    CScopedLock lock(JobLock());
    return m_stamp;
}
