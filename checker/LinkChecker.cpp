#include "checker/LinkChecker.h"

#include "checker/CrawlTransport.h"
#include "checker/LinkNode.h"
#include "checker/UrlRecord.h"

#include "platform/core/TickCount.h"
#include "transfer/base/TransferLogInterface.h"

#include <malloc.h>

namespace
{
// How long the engine thread waits for job ends at a time, so that a stop is
// noticed within about this long.
constexpr int kJobWaitMs = 100;
// The least time between two throttled progress calls.
constexpr uint32_t kProgressThrottleMs = 1000;
constexpr int kWaitTimedOut = 2;
} // namespace

CLinkChecker::CLinkChecker(const CLinkCheckerServices& services) : m_services(services)
{
    m_stats.Touch();
}

CLinkChecker::~CLinkChecker()
{
    // The base destructor joins only after this part is gone, while Run may
    // still use it: stop and join here.
    Stop();
    // The freed table stays with the allocator, which gives the top of each
    // heap back by itself and reuses the rest for the next task. A full trim
    // here would touch every free page of every arena, one page-table
    // flush on each processor per hole, and took longer than freeing the
    // table itself (2 s against 0.3 s after a crawl of 75,000 links).
    CEngineLock lock(m_lock);
    if (!IsRunning())
        ClearLocked(false);
}

bool CLinkChecker::SetTaskSettings(const CTaskSettings& task)
{
    CEngineLock lock(m_lock);
    if (IsRunning())
        return false;
    m_task = task;
    ResetFromTaskLocked(lock);
    return true;
}

void CLinkChecker::Clear()
{
    CEngineLock lock(m_lock);
    // The running crawl holds pointers into the table.
    if (!IsRunning())
        ClearLocked(true);
}

void CLinkChecker::ClearLocked(bool giveMemoryBack)
{
    std::vector<int> jobs;
    for (const auto& node : m_links)
    {
        const CUrlRecord* record = node->GetUrlRecord();
        if (node->m_repetition == 1 && record != nullptr && record->m_jobId != 0)
            jobs.push_back(record->m_jobId);
    }
    m_services.m_transport->RemoveJobs(jobs.data(), static_cast<int>(jobs.size()));
    m_links.clear();
    m_links.shrink_to_fit();
    m_urlRecords.Clear();
    m_inFlightIds.clear();
    m_queueCursor = -1;
    m_stats.Clear();
    // A large task leaves much freed memory behind; hand it back to the
    // system while the program goes on with an empty table.
    if (giveMemoryBack)
        malloc_trim(0);
}

void CLinkChecker::ResetFromTask()
{
    CEngineLock lock(m_lock);
    if (!IsRunning())
        ResetFromTaskLocked(lock);
}

void CLinkChecker::SetProgressCallback(ProgressCallback callback, std::intptr_t userData)
{
    CEngineLock lock(m_lock);
    m_progressCallback = callback;
    m_progressUserData = userData;
}

int CLinkChecker::NotifyProgress(bool forced)
{
    CEngineLock lock(m_lock);
    NotifyProgressLocked(forced);
    return 0;
}

void CLinkChecker::NotifyProgressLocked(bool forced)
{
    if (m_progressCallback == nullptr)
        return;
    const uint32_t now = GetTickCount();
    if (!forced && (!m_progressPending || now - m_lastProgressCall < kProgressThrottleMs))
        return;
    if (!forced)
        m_lastProgressCall = now;
    m_progressPending = false;
    m_progressCallback(m_progressUserData);
}

int CLinkChecker::GetMaxInFlight() const
{
    CEngineLock lock(m_lock);
    return m_maxInFlight;
}

CLinkStats CLinkChecker::GetStats() const
{
    CEngineLock lock(m_lock);
    return m_stats;
}

int CLinkChecker::GetLinkCount() const
{
    CEngineLock lock(m_lock);
    return static_cast<int>(m_links.size());
}

size_t CLinkChecker::GetInFlightJobCount() const
{
    CEngineLock lock(m_lock);
    return m_inFlightIds.size();
}

uint32_t CLinkChecker::GetCrawlStart() const
{
    CEngineLock lock(m_lock);
    return m_crawlStart;
}

uint32_t CLinkChecker::GetCrawlEnd() const
{
    CEngineLock lock(m_lock);
    return m_crawlEnd;
}

CLinkNode* CLinkChecker::GetNodeAt(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_links.size())
        return nullptr;
    return m_links[static_cast<size_t>(index)].get();
}

CLinkNode* CLinkChecker::GetNodeById(int id) const
{
    return GetNodeAt(id - 100);
}

CLinkNode* CLinkChecker::AppendNode(std::unique_ptr<CLinkNode> node)
{
    node->m_linkId = static_cast<int32_t>(m_links.size()) + 100;
    node->m_contentStamp = NextChangeStamp(node->m_contentStamp);
    node->CountInStats(m_stats);
    m_links.push_back(std::move(node));
    return m_links.back().get();
}

// ---- The run -------------------------------------------------------------------

void CLinkChecker::OnStopRequested()
{
    std::vector<int> ids;
    {
        CEngineLock lock(m_lock);
        ids = m_inFlightIds;
    }
    // Without the engine lock: the jobs end sooner (a job waiting for a
    // credential prompt is cancelled by its stop) and the engine thread can
    // take its links back meanwhile.
    if (!ids.empty())
        m_services.m_transport->StopJobs(ids.data(), static_cast<int>(ids.size()));
}

int CLinkChecker::Run()
{
    if (!IsStopRequested())
    {
        if (IsReportJob())
            RunReportJob();
        else
            Crawl();
    }
    return Finish();
}

void CLinkChecker::RunReportJob()
{
    CEngineLock lock(m_lock);
    m_reportStart = m_reportEnd = GetTickCount();
    WriteReport(*m_reportSink.Get(), m_report);
    NotifyProgressLocked(true);
}

void CLinkChecker::Crawl()
{
    CEngineLock lock(m_lock);
    m_crawlStart = m_crawlEnd = GetTickCount();
    m_crawlEnded = false;
    m_processedAtStart = m_stats.CountProcessed(CLinkStats::kAll);
    NotifyProgressLocked(true);
    NodeList inFlight;
    if (!FillInFlight(inFlight, static_cast<size_t>(m_maxInFlight), lock))
        return;
    for (;;)
    {
        if (!IsStopRequested())
            PollTransfers(inFlight, lock);
        if (IsStopRequested())
        {
            // Take back every link still in flight (its job is stopped and
            // it ends Stopped), then stop every queued link.
            CollectFinished(inFlight, lock);
            while (CLinkNode* node = GetNextQueued())
                StartLink(node, lock);
            return;
        }
        NotifyProgressLocked(false);
        if (!FillInFlight(inFlight, static_cast<size_t>(m_maxInFlight), lock))
            return;
    }
}

int CLinkChecker::Finish()
{
    {
        CEngineLock lock(m_lock);
        if (m_reportSink)
        {
            if (IsStopRequested())
                m_reportSink->AppendLine(kLogRaw, "\r\nStopped...\r\n");
            m_reportSink.Reset();
            m_reportPending = false;
            m_reportEnd = GetTickCount();
        }
        else
        {
            m_crawlEnd = GetTickCount();
            m_crawlEnded = true;
        }
        NotifyProgressLocked(true);
    }
    // The owner may destroy the engine as soon as this returns: nothing of
    // it is touched from here on.
    OnThreadExit();
    return 0;
}

bool CLinkChecker::FillInFlight(NodeList& inFlight, size_t limit, CEngineLock& lock)
{
    while (inFlight.size() < limit)
    {
        CLinkNode* node = GetNextQueued();
        if (node == nullptr)
            break;
        inFlight.push_back(node);
        StartLink(node, lock);
    }
    return !inFlight.empty();
}

CLinkNode* CLinkChecker::GetNextQueued()
{
    if (m_queueCursor < 0)
        m_queueCursor = 0;
    const bool finishOnMaxRecursion = GetIntOr(m_task, TASK_FINISH_ON_MAX_REC) != 0;
    while (static_cast<size_t>(m_queueCursor) < m_links.size())
    {
        CLinkNode* node = m_links[static_cast<size_t>(m_queueCursor)].get();
        ++m_queueCursor;
        if (node->m_state == kStateMaxRecursion && finishOnMaxRecursion)
            node->SetStateCounted(kStateWaiting, m_stats);
        if (node->m_state == kStateWaiting)
            return node;
    }
    return nullptr;
}

void CLinkChecker::CollectFinished(NodeList& inFlight, CEngineLock& lock)
{
    const bool stopping = IsStopRequested() != 0;
    size_t kept = 0;
    for (size_t i = 0; i < inFlight.size(); ++i)
    {
        CLinkNode* node = inFlight[i];
        if (node->m_state == kStateProcessing)
        {
            CUrlRecord* record = node->GetUrlRecord();
            OnTransferDone(record, lock);
            const int status = record->m_status.m_state;
            // Once a stop is asked for every link is taken back: its job was
            // stopped and OnTransferDone ended it Stopped.
            if (!stopping && (status == CUrlStatus::kWaiting || status == CUrlStatus::kWorking))
            {
                inFlight[kept++] = node;
                continue;
            }
        }
    }
    inFlight.resize(kept);
    if (!IsStopRequested())
        FillInFlight(inFlight, static_cast<size_t>(m_maxInFlight), lock);
}

void CLinkChecker::PollTransfers(NodeList& inFlight, CEngineLock& lock)
{
    CollectFinished(inFlight, lock);
    while (!IsStopRequested() && !m_inFlightIds.empty())
    {
        const std::vector<int> ids = m_inFlightIds;
        lock.unlock();
        // Any end, not all: a slot is refilled as soon as its job ends.
        const int result =
            m_services.m_transport->WaitForAnyJob(ids.data(), static_cast<int>(ids.size()), kJobWaitMs);
        lock.lock();
        if (IsStopRequested())
            return;
        CollectFinished(inFlight, lock);
        NotifyProgressLocked(false);
        if (result != kWaitTimedOut && m_inFlightIds.empty())
            return;
    }
}
