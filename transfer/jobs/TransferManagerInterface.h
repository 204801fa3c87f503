#pragma once
// ITransferManager: the operations through which the link checker and the
// transfer queue window fetch anything. A caller hands over a request (a
// CLinkItem), receives a job id, and later reads the job's status and its
// response properties by that id. CTransferManager (TransferManager.h) is the
// one implementation; callers that only queue and read jobs depend on this
// interface, so they can be tested with a fake.
//
// Job ids come from one process-wide counter that starts at 100; 0 and 1
// are never job ids, and 1 names the manager itself in the attribute
// operations. Job states are the list indexes of TransferJob.h: 0 new,
// 1 stopped or failed, 2 waiting, 3 running, 4 finished.
//
// Result codes of the operations: 0 success, 1 no such job; the others are
// given per operation.

#include "foundation/links/JobStatus.h"

#include <cstdint>
#include <string>
#include <vector>

class CLinkItem;

// Callback kinds of SetCallback.
inline constexpr int kTransferCallbackAdded = 0;   // jobs were added
inline constexpr int kTransferCallbackRemoved = 1; // jobs were removed
inline constexpr int kTransferCallbackGroup = 2;   // a job with a group changed

// Job attribute kinds of Get/SetJobAttribute(s).
inline constexpr int kJobAttributeKnown = 0; // get: 1 for a known job; with id 1: last added
inline constexpr int kJobAttributeLogId = 1; // the job's log (property 59); with id 1: last removed
inline constexpr int kJobAttributeGroup = 2; // set only: the job's group

// The id that stands for the manager in the attribute operations.
inline constexpr int kTransferManagerId = 1;

// WaitForJob(s) time-outs besides a positive number of milliseconds.
inline constexpr int kWaitOnePass = 0;    // look once, 2 when still busy
inline constexpr int kWaitForever = -1;   // until the jobs end
inline constexpr int kWaitForAnyEnd = -2; // WaitForJobs: until one of the jobs ends

// Called with the user value given to SetCallback, on whichever thread
// raised it (an operation's caller, a pool thread, the tick), never under
// the manager lock: a callback may call the manager, its waits included.
using TransferCallback = int (*)(int userValue);

class ITransferManager
{
public:
    virtual ~ITransferManager() = default;

    // Copies the request into a new job on list 0 and writes its id to jobId
    // (may be null). With start the job is queued at once. The job gets a
    // transfer log: the one its property 59 names (made when missing), else
    // a new one whose id goes into property 59. Returns 0.
    virtual int AddJob(const CLinkItem& request, int* jobId, bool start) = 0;
    // RemoveJobs for one id.
    virtual int RemoveJob(int id) = 0;
    // Stops the job and returns once it no longer runs; 0, or 1.
    virtual int StopJob(int id) = 0;
    // Queues the job (a finished one is moved to list 1 first): 0, 1, or 2
    // when it is running and cannot be queued.
    virtual int StartJob(int id) = 0;
    // Stops the jobs, waits until none of them runs, and destroys them. Per
    // id 0 removed or 1 unknown (results may be null). Calls the kind 1
    // callback once. Returns 0.
    virtual int RemoveJobs(const int* ids, int count, int* results) = 0;
    // Per id 0 or 1; returns once none of the jobs runs. Returns 0.
    virtual int StopJobs(const int* ids, int count, int* results) = 0;
    // Per id 0 queued, 1 unknown, 3 running. Returns 0.
    virtual int StartJobs(const int* ids, int count, int* results) = 0;
    // Waits until the job is neither waiting nor running, then copies its
    // status (status may be null). timeoutMs: kWaitOnePass, kWaitForever or
    // milliseconds. 0, 1 no such job, 2 timed out.
    virtual int WaitForJob(int id, CJobStatus* status, int timeoutMs) = 0;
    // Waits until none of the jobs waits or runs (with kWaitForAnyEnd: until
    // at least one of them does not). 0, or 2 timed out.
    virtual int WaitForJobs(const int* ids, int count, int timeoutMs) = 0;
    virtual int GetJobStatus(int id, CJobStatus& status) = 0;
    // The job's whole property set: the request and the response properties.
    virtual int GetJobProperties(int id, CLinkItem& properties) = 0;
    // Both under one hold of the manager lock.
    virtual int GetJobPropertiesAndStatus(int id, CLinkItem& properties, CJobStatus& status) = 0;
    // Replaces the request of a job that does not run; its log id stays.
    // 0, 1, or 2 running.
    virtual int UpdateJobRequest(int id, const CLinkItem& request) = 0;
    // See the attribute kinds above. The single id 1 asks the manager; an
    // unknown id gives 0.
    virtual void GetJobAttribute(const int* ids, int count, int kind, int* values) = 0;
    // A first id of 1 stands for every job (only kind 2 acts on it); unknown
    // ids are skipped.
    virtual void SetJobAttribute(const int* ids, int count, int kind, int value) = 0;
    // As SetJobAttribute with one value per id; an unknown id's value
    // becomes -1.
    virtual void SetJobAttributes(const int* ids, int count, int kind, int* values) = 0;
    // Empties text; 0 for a known job, 1 otherwise.
    virtual int GetJobText(int id, int unused, std::string& text) = 0;
    // 0 known, 1 no such job.
    virtual int HasJob(int id) = 0;
    // Every job id above after (compared unsigned), in id order; none for
    // after -1. Returns 0.
    virtual int GetJobIds(int after, std::vector<int>& ids) = 0;
    // The ids of the grouped jobs whose change stamp is above since.
    virtual int GetGroupIds(std::vector<int>& ids, uint32_t since) = 0;
    // Gives every known job the group (0: none); unknown ids become 0.
    virtual int SetJobsGroup(std::vector<int>& ids, int group) = 0;
    // Kinds 0 to 2; a null function clears it; other kinds are ignored.
    virtual void SetCallback(TransferCallback callback, int userValue, int kind) = 0;
};
