#pragma once
// ICrawlTransport: everything the crawl engine asks of the transfer side -
// the jobs it hands requests to and the site cache it answers offline links
// from. The program gives the engine a CManagerTransport over the transfer
// manager and its site cache; unit tests give it a scripted fake.
//
// Job ids, job states (0 new, 1 stopped or failed, 2 waiting, 3 running,
// 4 finished) and result codes are those of ITransferManager. The engine
// calls these with its own lock held (lock order: engine, then transfer
// manager), except the two waits, which it calls with its lock released.

class CJobStatus;
class CLinkItem;
class ISiteCache;
class CTransferManager;

class ICrawlTransport
{
public:
    virtual ~ICrawlTransport() = default;

    // A new job for the request, not started; its id goes to jobId.
    virtual int AddJob(const CLinkItem& request, int& jobId) = 0;
    // 0 replaced, 1 no such job, 2 the job is running.
    virtual int UpdateJobRequest(int id, const CLinkItem& request) = 0;
    // 0 queued, 1 no such job, 2 failed.
    virtual int StartJob(int id) = 0;
    // Stops the job and returns once it no longer runs; 1 for no such job.
    virtual int StopJob(int id) = 0;
    // Stops every listed job and returns once none of them runs.
    virtual void StopJobs(const int* ids, int count) = 0;
    // Stops and deletes the listed jobs.
    virtual void RemoveJobs(const int* ids, int count) = 0;
    // Waits until none of the jobs waits or runs: 0, or 2 when timeoutMs
    // passed first. A wait on a condition, never a poll.
    virtual int WaitForJobs(const int* ids, int count, int timeoutMs) = 0;
    // Waits until at least one of the jobs neither waits nor runs: 0, or 2
    // when timeoutMs passed first. The engine refills its slots as soon as a
    // job ends instead of waiting for the slowest of them. Waiting for all
    // of them satisfies the condition too, and is what a transport without
    // a cheaper way does.
    virtual int WaitForAnyJob(const int* ids, int count, int timeoutMs)
    {
        return WaitForJobs(ids, count, timeoutMs);
    }
    // 0, or 1 when no job has that id.
    virtual int GetJobStatus(int id, CJobStatus& status) = 0;
    // The job's request and response properties; 0, or 1.
    virtual int GetJobProperties(int id, CLinkItem& properties) = 0;

    // The id of the job's transfer log; 0 without a log or job.
    virtual int GetJobLogId(int id) { return 0; }

    // The site cache: a fresh entry's resource information into item.
    virtual bool LookupSiteCache(CLinkItem& item) = 0;
    virtual void StoreSiteCache(const CLinkItem& item) = 0;
};

// The transport of the running program: the transfer manager's jobs and the
// site cache it keeps. Neither is owned; both outlive the engine.
class CManagerTransport : public ICrawlTransport
{
public:
    CManagerTransport(CTransferManager& manager, ISiteCache& siteCache);

    int AddJob(const CLinkItem& request, int& jobId) override;
    int UpdateJobRequest(int id, const CLinkItem& request) override;
    int StartJob(int id) override;
    int StopJob(int id) override;
    void StopJobs(const int* ids, int count) override;
    void RemoveJobs(const int* ids, int count) override;
    int WaitForJobs(const int* ids, int count, int timeoutMs) override;
    int WaitForAnyJob(const int* ids, int count, int timeoutMs) override;
    int GetJobStatus(int id, CJobStatus& status) override;
    int GetJobProperties(int id, CLinkItem& properties) override;
    int GetJobLogId(int id) override;
    bool LookupSiteCache(CLinkItem& item) override;
    void StoreSiteCache(const CLinkItem& item) override;

private:
    CTransferManager& m_manager;
    ISiteCache& m_siteCache;
};
