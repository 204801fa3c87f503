#pragma once
// A transfer manager as a view sees it: every call goes to a real
// CTransferManager, and the calls that tell what the view did are counted
// or recorded. A test may also run something just before GetJobIds answers,
// to add jobs while the view is in the middle of a refresh.

#include "transfer/jobs/TransferManager.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

class CWatchedManager : public ITransferManager
{
public:
    explicit CWatchedManager(CTransferManager& real) : m_real(real) {}

    int AddJob(const CLinkItem& request, int* jobId, bool start) override { return m_real.AddJob(request, jobId, start); }
    int RemoveJob(int id) override { return m_real.RemoveJob(id); }
    int StopJob(int id) override { return m_real.StopJob(id); }
    int StartJob(int id) override { return m_real.StartJob(id); }
    int RemoveJobs(const int* ids, int count, int* results) override { return m_real.RemoveJobs(ids, count, results); }
    int StopJobs(const int* ids, int count, int* results) override
    {
        m_stopped.push_back(std::vector<int>(ids, ids + count));
        return m_real.StopJobs(ids, count, results);
    }
    int StartJobs(const int* ids, int count, int* results) override
    {
        m_started.push_back(std::vector<int>(ids, ids + count));
        return m_real.StartJobs(ids, count, results);
    }
    int WaitForJob(int id, CJobStatus* status, int timeoutMs) override { return m_real.WaitForJob(id, status, timeoutMs); }
    int WaitForJobs(const int* ids, int count, int timeoutMs) override { return m_real.WaitForJobs(ids, count, timeoutMs); }
    int GetJobStatus(int id, CJobStatus& status) override { return m_real.GetJobStatus(id, status); }
    int GetJobProperties(int id, CLinkItem& properties) override { return m_real.GetJobProperties(id, properties); }
    int GetJobPropertiesAndStatus(int id, CLinkItem& properties, CJobStatus& status) override
    {
        return m_real.GetJobPropertiesAndStatus(id, properties, status);
    }
    int UpdateJobRequest(int id, const CLinkItem& request) override { return m_real.UpdateJobRequest(id, request); }
    void GetJobAttribute(const int* ids, int count, int kind, int* values) override
    {
        m_real.GetJobAttribute(ids, count, kind, values);
    }
    void SetJobAttribute(const int* ids, int count, int kind, int value) override
    {
        m_real.SetJobAttribute(ids, count, kind, value);
    }
    void SetJobAttributes(const int* ids, int count, int kind, int* values) override
    {
        m_real.SetJobAttributes(ids, count, kind, values);
    }
    int GetJobText(int id, int unused, std::string& text) override { return m_real.GetJobText(id, unused, text); }
    int HasJob(int id) override { return m_real.HasJob(id); }
    int GetJobIds(int after, std::vector<int>& ids) override
    {
        if (m_beforeJobIds)
            std::exchange(m_beforeJobIds, {})();
        return m_real.GetJobIds(after, ids);
    }
    int GetGroupIds(std::vector<int>& ids, uint32_t since) override { return m_real.GetGroupIds(ids, since); }
    int SetJobsGroup(std::vector<int>& ids, int group) override
    {
        if (group == -1)
            ++m_watchCount;
        return m_real.SetJobsGroup(ids, group);
    }
    void SetCallback(TransferCallback callback, int userValue, int kind) override
    {
        m_real.SetCallback(callback, userValue, kind);
    }

    CTransferManager& m_real;
    std::function<void()> m_beforeJobIds;
    int m_watchCount = 0;
    std::vector<std::vector<int>> m_started;
    std::vector<std::vector<int>> m_stopped;
};
