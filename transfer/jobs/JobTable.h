#pragma once
// CJobTable: the transfer manager's jobs. It owns every CTransferJob from
// AddJob until removal, finds them by id, holds the heads of the five job
// lists (the jobs hold their own links, TransferJob.h), remembers the ids
// added and removed last, and keeps the group map: exactly the jobs whose
// group is not 0, with that group.
//
// The table has no lock: the manager uses it only under its own lock.

#include "transfer/base/IdTable.h"
#include "transfer/jobs/TransferJob.h"

#include <functional>
#include <map>
#include <memory>

class CJobTable
{
public:
    CJobTable() = default;
    // Destroys every job still held, with the lists.
    ~CJobTable();
    CJobTable(const CJobTable&) = delete;
    CJobTable& operator=(const CJobTable&) = delete;

    // Takes the job, appends it to list 0 and records its id as the last
    // added. The job's owner must already be set (its list moves go through
    // the owner's GetJobList, which hands out this table's lists).
    CTransferJob& Add(std::unique_ptr<CTransferJob> job);
    // Clears the job's group, unlinks it from its list and destroys it; its
    // id becomes the last removed. False for an unknown id. The job must not
    // be running: a pool thread would still use it.
    bool Remove(int id);
    // Null for an unknown id.
    CTransferJob* Find(int id) const;

    // Sets the job's group (exchanged atomically on the job) and enters it
    // in the group map, or removes it from the map for 0.
    void SetGroup(CTransferJob& job, int group);
    // Drops an id from the group map (a job that is gone).
    void ForgetGroup(int id) { m_groups.erase(id); }

    CJobList& GetList(int index) { return m_lists[index]; }
    int GetLastAdded() const { return m_lastAdded; }
    int GetLastRemoved() const { return m_lastRemoved; }

    // In id order.
    void ForEach(const std::function<void(CTransferJob&)>& visit) const;
    // Job id to group, in id order.
    const std::map<int, int>& GetGroups() const { return m_groups; }

private:
    CIdTable<std::unique_ptr<CTransferJob>> m_jobs;
    std::map<int, int> m_groups;
    CJobList m_lists[kJobListCount];
    int m_lastAdded = 0;
    int m_lastRemoved = 0;
};
