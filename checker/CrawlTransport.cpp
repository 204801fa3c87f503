#include "checker/CrawlTransport.h"

#include "foundation/links/LinkItem.h"
#include "foundation/stores/SiteCache.h"
#include "transfer/jobs/TransferManager.h"

CManagerTransport::CManagerTransport(CTransferManager& manager, ISiteCache& siteCache)
    : m_manager(manager), m_siteCache(siteCache)
{
}

int CManagerTransport::AddJob(const CLinkItem& request, int& jobId)
{
    return m_manager.AddJob(request, &jobId, false);
}

int CManagerTransport::UpdateJobRequest(int id, const CLinkItem& request)
{
    return m_manager.UpdateJobRequest(id, request);
}

int CManagerTransport::StartJob(int id)
{
    return m_manager.StartJob(id);
}

int CManagerTransport::StopJob(int id)
{
    return m_manager.StopJob(id);
}

void CManagerTransport::StopJobs(const int* ids, int count)
{
    m_manager.StopJobs(ids, count, nullptr);
}

void CManagerTransport::RemoveJobs(const int* ids, int count)
{
    m_manager.RemoveJobs(ids, count, nullptr);
}

int CManagerTransport::WaitForJobs(const int* ids, int count, int timeoutMs)
{
    return m_manager.WaitForJobs(ids, count, timeoutMs);
}

int CManagerTransport::WaitForAnyJob(const int* ids, int count, int timeoutMs)
{
    return m_manager.WaitForAnyJob(ids, count, timeoutMs);
}

int CManagerTransport::GetJobStatus(int id, CJobStatus& status)
{
    return m_manager.GetJobStatus(id, status);
}

int CManagerTransport::GetJobProperties(int id, CLinkItem& properties)
{
    return m_manager.GetJobProperties(id, properties);
}

bool CManagerTransport::LookupSiteCache(CLinkItem& item)
{
    return m_siteCache.Lookup(item);
}

void CManagerTransport::StoreSiteCache(const CLinkItem& item)
{
    m_siteCache.Store(item);
}

int CManagerTransport::GetJobLogId(int id)
{
    int logId = 0;
    m_manager.GetJobAttribute(&id, 1, kJobAttributeLogId, &logId);
    return logId;
}
