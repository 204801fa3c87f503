#include "transfer/jobs/JobTable.h"

CJobTable::~CJobTable()
{
    // The lists go with the table, so the jobs need no unlinking (their
    // owner may already be handing out no lists).
    m_jobs.clear();
    m_groups.clear();
}

CTransferJob& CJobTable::Add(std::unique_ptr<CTransferJob> job)
{
    CTransferJob& added = *job;
    m_jobs[added.GetId()] = std::move(job);
    added.MoveToList(kJobListNew);
    m_lastAdded = added.GetId();
    return added;
}

bool CJobTable::Remove(int id)
{
    const auto found = m_jobs.find(id);
    if (found == m_jobs.end())
        return false;
    SetGroup(*found->second, 0);
    found->second->Unlink();
    m_jobs.erase(found);
    m_lastRemoved = id;
    return true;
}

CTransferJob* CJobTable::Find(int id) const
{
    const auto found = m_jobs.find(id);
    return found == m_jobs.end() ? nullptr : found->second.get();
}

void CJobTable::SetGroup(CTransferJob& job, int group)
{
    job.ExchangeGroup(group);
    if (group != 0)
        m_groups[job.GetId()] = group;
    else
        m_groups.erase(job.GetId());
}

void CJobTable::ForEach(const std::function<void(CTransferJob&)>& visit) const
{
    for (const auto& [id, job] : m_jobs)
        visit(*job);
}
