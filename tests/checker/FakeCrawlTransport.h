#pragma once
// A scripted transfer side for the crawl engine: a fake site of URLs with
// the answer each gives, jobs that end when the engine waits for them, and
// the counts a test checks (jobs running at once, requests per URL, stops).
//
// A job ends inside WaitForJobs, so the number of jobs running at once is
// exactly what the engine had started before it waited. A "held" URL never
// ends by itself, like a job waiting for a credential prompt nobody
// answers; only a stop ends it. Waits are condition-variable waits.

#include "checker/CrawlTransport.h"
#include "checker/LinkChecker.h"
#include "checker/LinkNode.h"

#include "foundation/links/JobStatus.h"
#include "foundation/links/LinkItem.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

struct CFakeReply
{
    int resourceType = 3; // HTML
    int64_t size = 1000;
    int result = 0;       // 0 done, else the job fails with this code
    std::string statusLine;
    std::string redirect; // with result 1014
    bool hold = false;    // ends only when stopped
    std::vector<std::string> links; // what the page parser finds on it
    std::string redirectPath; // a redirect on the same site, followed inside the job
};

class CFakeCrawlTransport : public ICrawlTransport
{
public:
    struct Request
    {
        std::string url;
        int kind = 0;
    };

    std::map<std::string, CFakeReply> m_site;

    int AddJob(const CLinkItem& request, int& jobId) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        jobId = m_nextId++;
        m_jobs[jobId].request = request;
        return 0;
    }

    int UpdateJobRequest(int id, const CLinkItem& request) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_jobs.find(id);
        if (found == m_jobs.end())
            return 1;
        if (found->second.status.m_state == 2)
            return 2;
        found->second.request = request;
        return 0;
    }

    int StartJob(int id) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_jobs.find(id);
        if (found == m_jobs.end())
            return 1;
        Job& job = found->second;
        job.status.Reset();
        job.status.m_state = 2;
        const std::string url = job.request.GetUrlText(true, false);
        m_requests.push_back({url, job.request.GetOperation()});
        ++m_running;
        if (m_running > m_maxRunning)
            m_maxRunning = m_running;
        m_changed.notify_all();
        return 0;
    }

    int StopJob(int id) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return StopLocked(id) ? 0 : 1;
    }

    void StopJobs(const int* ids, int count) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (int i = 0; i < count; ++i)
            StopLocked(ids[i]);
    }

    void RemoveJobs(const int* ids, int count) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (int i = 0; i < count; ++i)
        {
            StopLocked(ids[i]);
            m_jobs.erase(ids[i]);
        }
    }

    int WaitForJobs(const int* ids, int count, int timeoutMs) override
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (int i = 0; i < count; ++i)
        {
            auto found = m_jobs.find(ids[i]);
            if (found != m_jobs.end() && found->second.status.m_state == 2)
                EndLocked(found->second);
        }
        const auto allEnded = [&] {
            for (int i = 0; i < count; ++i)
            {
                auto found = m_jobs.find(ids[i]);
                if (found != m_jobs.end() && found->second.status.m_state == 2)
                    return false;
            }
            return true;
        };
        return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), allEnded) ? 0 : 2;
    }

    int GetJobStatus(int id, CJobStatus& status) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_jobs.find(id);
        if (found == m_jobs.end())
            return 1;
        status.CopyFrom(found->second.status);
        return 0;
    }

    int GetJobProperties(int id, CLinkItem& properties) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_jobs.find(id);
        if (found == m_jobs.end())
            return 1;
        properties = found->second.response;
        return 0;
    }

    // Each job's log has the id of the job + kLogIdOffset.
    static constexpr int kLogIdOffset = 9000;
    int GetJobLogId(int id) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_jobs.count(id) != 0 ? id + kLogIdOffset : 0;
    }

    bool LookupSiteCache(CLinkItem&) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_cacheLookups;
        return false;
    }

    void StoreSiteCache(const CLinkItem&) override {}

    // Waits until at least count held jobs run; false after the time-out.
    bool WaitForHeldJobs(int count, std::chrono::milliseconds timeout)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] { return HeldRunningLocked() >= count; });
    }

    int Running()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_running;
    }
    int MaxRunning()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_maxRunning;
    }
    int JobCount()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return static_cast<int>(m_jobs.size());
    }
    std::vector<Request> Requests()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }
    int CacheLookups()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_cacheLookups;
    }

private:
    struct Job
    {
        CLinkItem request;
        CLinkItem response;
        CJobStatus status;
    };

    const CFakeReply* ReplyOf(const Job& job) const
    {
        const auto found = m_site.find(job.request.GetUrlText(true, false));
        return found == m_site.end() ? nullptr : &found->second;
    }

    int HeldRunningLocked() const
    {
        int held = 0;
        for (const auto& [id, job] : m_jobs)
        {
            const CFakeReply* reply = ReplyOf(job);
            held += job.status.m_state == 2 && reply != nullptr && reply->hold;
        }
        return held;
    }

    void EndLocked(Job& job)
    {
        static const CFakeReply kMissing{0, -1, 1011, "HTTP/1.1 404 Not Found", {}, false, {}, {}};
        const CFakeReply* reply = ReplyOf(job);
        if (reply == nullptr)
            reply = &kMissing;
        if (reply->hold)
            return;
        job.response = job.request;
        job.response.SetInt(LI_RESOURCE_TYPE, reply->resourceType);
        job.response.SetInt64(LI_SIZE, reply->size);
        job.response.SetString(LI_STATUS_LINE, reply->statusLine.c_str());
        job.response.SetInt64(LI_BYTES_SENT, 100);
        job.response.SetInt64(LI_BYTES_RECEIVED, 200 + (reply->size > 0 ? reply->size : 0));
        if (!reply->redirect.empty())
            job.response.SetString(LI_REDIRECT_URL, reply->redirect.c_str());
        if (!reply->redirectPath.empty())
            job.response.SetString(LI_REDIRECT_PATH, reply->redirectPath.c_str());
        job.status.m_result = reply->result;
        job.status.m_state = reply->result == 0 ? 4 : 1;
        // The body is fetched for a download, and for a page check of a page.
        const int kind = job.request.GetOperation();
        const bool body = kind == LI_OP_DOWNLOAD || (kind == LI_OP_CHECK && reply->resourceType == 3);
        job.status.m_phase = body ? 1 : 6;
        if (body && reply->result == 0)
        {
            job.status.m_localBytes = reply->size;
            job.response.SetInt64(LI_ATTEMPT_BYTES_DOWN, reply->size);
        }
        --m_running;
        m_changed.notify_all();
    }

    bool StopLocked(int id)
    {
        auto found = m_jobs.find(id);
        if (found == m_jobs.end())
            return false;
        Job& job = found->second;
        if (job.status.m_state == 2)
        {
            job.response = job.request;
            job.status.m_state = 1;
            job.status.m_result = 3;
            --m_running;
            m_changed.notify_all();
        }
        return true;
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<int, Job> m_jobs;
    int m_nextId = 100;
    int m_running = 0;
    int m_maxRunning = 0;
    int m_cacheLookups = 0;
    std::vector<Request> m_requests;
};
