// The commands the views give the engine: go deeper, follow external links,
// re-check and stop chosen links, submit a form, and run a report. Each
// takes the engine lock once; the helpers below run with that hold.

#include "checker/LinkChecker.h"

#include "checker/FormData.h"
#include "checker/LinkNode.h"
#include "checker/UrlRecord.h"

#include "transfer/base/TransferLogInterface.h"

#include <algorithm>

namespace
{
// The deepest Recursion ContinueTask goes to.
constexpr int kMaxRecursion = 1000;

// The address of a submitted form. A form's action may carry a query and a
// fragment of its own: a GET submission replaces the query with the submit
// pairs (a browser does the same), and no request carries a fragment.
std::string SubmitUrl(const std::string& action, const std::string& submit, bool post)
{
    std::string url = action.substr(0, action.find('#'));
    if (post)
        return url;
    url.resize(std::min(url.size(), url.find('?')));
    if (!submit.empty() && submit.front() != '?')
        url += '?';
    return url + submit;
}

// The POST body of a submission: the pairs without the '?' that begins the
// submit string.
std::string SubmitBody(const std::string& submit)
{
    return submit.starts_with('?') ? submit.substr(1) : submit;
}
} // namespace

CLinkNode* CLinkChecker::FirstOccurrenceOf(CLinkNode* node) const
{
    return GetNodeById(node->GetFirstOccurrence()->m_linkId);
}

void CLinkChecker::Requeue(CLinkNode* node, CEngineLock& lock)
{
    node->SetStateCounted(kStateWaiting, m_stats);
    // A link that was never checkable (filtered, say) gets its URL record
    // now; one that has it keeps it.
    PrepareLink(node, lock);
}

void CLinkChecker::AfterQueueing(int count)
{
    NotifyProgressLocked(true);
    if (count == 0)
        return;
    m_queueCursor = -1;
    // A running crawl finds the links through the fresh cursor.
    if (!IsRunning())
        (void)Start();
}

// ---- Deeper and wider -------------------------------------------------------------

bool CLinkChecker::CanContinueTask() const
{
    if (IsRunning())
        return false;
    CEngineLock lock(m_lock);
    return m_stats.m_states[CLinkStats::kAll][kStateMaxRecursion] > 0 &&
           GetIntOr(m_task, TASK_RECURSION) < kMaxRecursion;
}

int CLinkChecker::ContinueTask(int n)
{
    if (IsRunning())
        return 0;
    CEngineLock lock(m_lock);
    const int recursion = GetIntOr(m_task, TASK_RECURSION);
    if (recursion >= kMaxRecursion)
        return 0;
    m_task.SetInt(TASK_RECURSION, std::min(recursion + std::max(n, 0), kMaxRecursion));
    int count = 0;
    for (const auto& node : m_links)
    {
        if (node->CanResume(m_task.GetFilter()))
        {
            Requeue(node.get(), lock);
            ++count;
        }
    }
    AfterQueueing(count);
    return count;
}

bool CLinkChecker::CanCheckExternalLinks() const
{
    if (IsRunning())
        return false;
    CEngineLock lock(m_lock);
    return m_stats.m_states[CLinkStats::kAll][kStateIsExternal] >
           m_stats.m_scopes[CLinkStats::kAll][kScopeExtraExternal];
}

int CLinkChecker::CheckExternalLinks()
{
    if (IsRunning())
        return 0;
    CEngineLock lock(m_lock);
    int count = 0;
    for (const auto& node : m_links)
    {
        // The link keeps its scope: it is asked for information only and its
        // content is not parsed.
        if (node->CanFollowExternal(m_task.GetFilter()))
        {
            Requeue(node.get(), lock);
            ++count;
        }
    }
    AfterQueueing(count);
    return count;
}

// ---- Chosen links ------------------------------------------------------------------

bool CLinkChecker::CanRecheckLinks(const int* ids, int count, bool all) const
{
    if (IsReportJob() || count <= 0)
        return false;
    CEngineLock lock(m_lock);
    for (int i = 0; i < count; ++i)
    {
        const bool yes = IsValidId(ids[i]) && GetNodeById(ids[i])->IsRecheckable();
        if (yes != all)
            return yes;
    }
    return all;
}

bool CLinkChecker::CanRecheckLink(int id) const
{
    return CanRecheckLinks(&id, 1, true);
}

int CLinkChecker::RecheckLinks(const int* ids, int count)
{
    if (IsReportJob())
        return 0;
    CEngineLock lock(m_lock);
    int requeued = 0;
    for (int i = 0; i < count; ++i)
    {
        if (!IsValidId(ids[i]))
            continue;
        CLinkNode* first = FirstOccurrenceOf(GetNodeById(ids[i]));
        if (!first->IsRecheckable())
            continue;
        CUrlRecord* record = first->GetUrlRecord();
        if (record != nullptr && first->m_state == kStateInfoOnly)
        {
            // Only the information was fetched: this time the body comes.
            record->m_status.SetState(CUrlStatus::kWaiting, 0);
            record->m_recheck = true;
        }
        Requeue(first, lock);
        PropagateToRepeats(first);
        ++requeued;
    }
    AfterQueueing(requeued);
    return requeued;
}

int CLinkChecker::RecheckLink(int id)
{
    return RecheckLinks(&id, 1);
}

bool CLinkChecker::CanStopLinks(const int* ids, int count, bool all) const
{
    if (IsReportJob() || count <= 0)
        return false;
    CEngineLock lock(m_lock);
    for (int i = 0; i < count; ++i)
    {
        const bool yes = IsValidId(ids[i]) && GetNodeById(ids[i])->IsInProgress();
        if (yes != all)
            return yes;
    }
    return all;
}

bool CLinkChecker::CanStopLink(int id) const
{
    return CanStopLinks(&id, 1, true);
}

int CLinkChecker::StopLinks(const int* ids, int count)
{
    if (IsReportJob())
        return 0;
    CEngineLock lock(m_lock);
    int stopped = 0;
    for (int i = 0; i < count; ++i)
    {
        if (!IsValidId(ids[i]))
            continue;
        CLinkNode* first = FirstOccurrenceOf(GetNodeById(ids[i]));
        if (!first->IsInProgress())
            continue;
        // The job of a link in flight is taken back at once, whichever of
        // its occurrences was chosen: a job left behind would keep the
        // crawl waiting for a link it no longer follows.
        const bool inFlight = first->m_state == kStateProcessing;
        first->SetStateCounted(kStateStopped, m_stats);
        if (inFlight)
            OnTransferDone(first->GetUrlRecord(), lock);
        else
            PropagateToRepeats(first);
        ++stopped;
    }
    NotifyProgressLocked(true);
    return stopped;
}

int CLinkChecker::StopLink(int id)
{
    return StopLinks(&id, 1);
}

// ---- Forms --------------------------------------------------------------------------

int CLinkChecker::AddFormSubmitLink(int formId, const CFormData& form)
{
    if (IsReportJob())
        return 0;
    CEngineLock lock(m_lock);
    if (!IsValidId(formId))
        return 0;
    CLinkNode* formLink = GetNodeById(formId);
    if (formLink->m_linkType != kTypeForm)
        return 0;
    if (formLink->m_form)
        *formLink->m_form.Get() = form;
    else
        formLink->m_form.Adopt(std::make_unique<CFormData>(form));

    auto made = std::make_unique<CLinkNode>();
    const std::string url = SubmitUrl(form.GetAction(), form.GetSubmitString(), form.IsPost());
    made->m_name = made->m_sourceText = made->m_url = url;
    if (form.IsPost())
        made->m_postDescription = "data:" + SubmitBody(form.GetSubmitString());
    made->m_depth = formLink->m_depth + 1;
    made->m_siteLevel = formLink->m_siteLevel + 1;
    made->SetScope(kScopeExtraExternal);
    made->SetState(kStateWaiting);
    CLinkNode* link = AppendNode(std::move(made));
    formLink->AddChild(link, m_stats);
    PrepareLink(link, lock);
    AfterQueueing(1);
    return link->m_linkId;
}

// ---- Reports ------------------------------------------------------------------------

bool CLinkChecker::StartReportJob(ITransferLog* sink, const CReportOptions& job)
{
    if (sink == nullptr || IsRunning())
        return false;
    {
        CEngineLock lock(m_lock);
        m_reportSink = CRefPtr<ITransferLog>::Share(sink);
        m_report = job;
        m_reportPending = true;
    }
    if (Start())
        return true;
    CEngineLock lock(m_lock);
    m_reportSink.Reset();
    m_reportPending = false;
    return false;
}

void CLinkChecker::WriteReport(ITransferLog& sink, const CReportOptions& job) const
{
    CEngineLock lock(m_lock);
    CReportSource source;
    source.m_links = &m_links;
    source.m_stats = &m_stats;
    source.m_processedAtStart = m_processedAtStart;
    source.m_crawlEnded = m_crawlEnded;
    source.m_crawlStart = m_crawlStart;
    source.m_crawlEnd = m_crawlEnd;
    // Only the engine thread's stop ends a report; a report written on
    // another thread runs to its end.
    source.m_stopRequested = [this] { return IsReportJob() && IsStopRequested() != 0; };
    source.m_findOrphans = [this](std::vector<std::string>& names, int64_t& total)
    { return FindOrphanFilesLocked(names, total); };
    CReportWriter(source, sink, job).Write();
}
