#include "transfer/jobs/JobTable.h"

CJobTable::~CJobTable()
{
    // The lists go with the table, so the jobs need no unlinking (their
    // owner may already be handing out no lists).
    m_jobs.Clear();
    m_groups.clear();
}

CTransferJob& CJobTable::Add(std::unique_ptr<CTransferJob> job)
{
    CTransferJob& added = *job;
    m_jobs.Insert(added.GetId(), std::move(job));
    added.MoveToList(kJobListNew);
    m_lastAdded = added.GetId();
    return added;
}

bool CJobTable::Remove(int id)
{
    std::unique_ptr<CTransferJob>* found = m_jobs.Find(id);
    if (!found)
        return false;
    SetGroup(**found, 0);
    (*found)->Unlink();
    m_jobs.Take(id);
    m_lastRemoved = id;
    return true;
}

CTransferJob* CJobTable::Find(int id) const
{
    const std::unique_ptr<CTransferJob>* found = m_jobs.Find(id);
    return found ? found->get() : nullptr;
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
    m_jobs.ForEach([&](int, const std::unique_ptr<CTransferJob>& job) { visit(*job); });
}
