#pragma once
// CTransferJob: one request of the link checker or the transfer queue, held
// by the transfer manager from AddJob until it is removed. The request and,
// after a run, every response property live in the job's own property set
// (it is a CLinkItem, thread-safe); the status record and the change stamp
// sit beside it under the job lock, which is that property set's lock.
//
// Lists: the manager keeps five job lists (0 new, 1 stopped or failed,
// 2 waiting, 3 running, 4 finished); each job holds its own links and list
// index, and the list heads belong to the job's owner (ITransferJobOwner).
// List moves happen only under the owner's lock; the job takes no lock of
// the owner's.
//
// Run, on a pool thread and without the owner's lock, applies the rules for
// an existing local file (skip, "Check Folder", resume, overwrite), drives
// the protocol client that the site connection pool attached, retries
// failed attempts and stores the result code. It returns the list the job
// goes to. A connect that fails after its own retries (property 4) ends the
// run; every transfer retry counts against property 5, also one that goes on
// after data came. A failed run removes the folders it made for the local
// file when it leaves them empty, and keeps the client's log under the same
// line limit as its own.
//
// Stopping: Stop raises a stop request that Run honours before it starts
// and that the client's abort flag carries while it runs, so a run that the
// thread pool starts late (after the stop) ends at once as stopped rather
// than transferring, and a job never stays on the running list without a
// run to file it.

#include "foundation/links/JobStatus.h"
#include "foundation/links/LinkItem.h"
#include "platform/core/CriticalSection.h"
#include "transfer/client/TransferServices.h"

#include <atomic>
#include <cstdint>
#include <string>

class CPoolWorker;
class CProtocolClient;
class CThreadPool;
class CTransferJob;
class CTransferMeter;
class IPropertySet;
class ITransferLog;

// List indexes.
inline constexpr int kJobListNew = 0;
inline constexpr int kJobListIdle = 1; // stopped or failed
inline constexpr int kJobListWaiting = 2;
inline constexpr int kJobListRunning = 3;
inline constexpr int kJobListFinished = 4;
inline constexpr int kJobListCount = 5;

// The job phases of CJobStatus::m_phase.
inline constexpr int kJobPhaseStarted = 0;
inline constexpr int kJobPhaseDone = 1;
inline constexpr int kJobPhaseRemoteInfo = 6;

// Result 1 of the skip rule: the file exists and is kept.
inline constexpr int kSkipRuleSkipped = 1;

// One of the owner's job lists.
struct CJobList
{
    CTransferJob* m_head = nullptr;
    CTransferJob* m_tail = nullptr;
    int m_count = 0;
};

// What a job needs of the transfer manager that holds it.
class ITransferJobOwner
{
public:
    virtual ~ITransferJobOwner() = default;
    // List 0 to 4.
    virtual CJobList& GetJobList(int index) = 0;
    // The meters of running attempts, which the manager's tick updates.
    // Unregister must not return while a tick is still updating the meter:
    // the job destroys it right after.
    virtual void RegisterProgressMeter(CTransferMeter* meter) = 0;
    virtual void UnregisterProgressMeter(CTransferMeter* meter) = 0;
    // A job that has a group wrote its progress (the manager's kind 2
    // callback). Called on the job's pool thread or the tick's thread,
    // without the job lock but possibly under the meter's own lock: it must
    // not wait for the manager lock.
    virtual void OnGroupJobProgress(CTransferJob& job) = 0;
};

class CTransferJob : public CLinkItem
{
public:
    // The pool thread's entry: runs the job's body with the job.
    using Body = void (*)(CTransferJob* job);

    // Empty request, status reset, on no list, next job id.
    CTransferJob();
    // Releases the job's log (property 59) in the log registry.
    ~CTransferJob() override;
    CTransferJob(const CTransferJob&) = delete;
    CTransferJob& operator=(const CTransferJob&) = delete;
    // Takes the request's properties and URL (CLinkItem assignment).
    CTransferJob& operator=(const CLinkItem& request);

    int GetId() const { return m_id; }

    void SetOwner(ITransferJobOwner* owner) { m_owner = owner; }
    ITransferJobOwner* GetOwner() const { return m_owner; }
    // The settings, stores and log registry the job runs with (its log is
    // listed in that registry); the manager hands in its own. The job keeps
    // the address, not a copy (40 bytes in each of up to a hundred thousand
    // kept jobs): `services` must outlive the job, as the manager's own do.
    void SetServices(const CTransferServices& services) { m_services = &services; }
    void SetServices(const CTransferServices&& services) = delete;
    const CTransferServices& GetServices() const { return *m_services; }

    // The client attached by the site connection pool; the job does not own it.
    CProtocolClient* GetClient() const { return m_client; }
    void SetClient(CProtocolClient* client) { m_client = client; }

    int GetGroup() const { return m_group.load(); }
    // Returns the old group.
    int ExchangeGroup(int group) { return m_group.exchange(group); }

    // --- List moves: under the owner's lock. ---

    // Refused (false) while on the running list; otherwise due in delay
    // milliseconds, appended to the waiting list, stop request cleared.
    bool Queue(int delayMs);
    // Running: the stop request is raised and the client aborted. Waiting:
    // moved to list 1 with result 3. On list 1 with result 0: result 3.
    void Stop();
    // Unlinks the job and appends it to list index (-1: the list it is on).
    void MoveToList(int index);
    // Moves the job to the running list and asks the pool to run body with
    // it. Without a thread the job goes back to the end of its former list
    // and false is returned.
    bool RunOnPool(CThreadPool& pool, Body body);
    // Moves the job to the running list to be run by the calling pool
    // thread, `worker`, which has just filed the job it ran: a handover to
    // another thread would cost a wake-up and a sleep for every job.
    void RunOnWorker(CPoolWorker* worker);
    // The pool thread running the job; null when not running.
    CPoolWorker* GetWorker() const { return m_worker; }
    // The run ended: appends the job to that list.
    void ReturnToList(int index);
    // Milliseconds until the due time, 0 when it has passed.
    int64_t TimeUntilDue() const;

    // Takes the job off its list (before the owner destroys it); the list
    // index in the status stays.
    void Unlink();

    CTransferJob* GetNext() const { return m_next; }
    CTransferJob* GetPrev() const { return m_prev; }
    int GetListIndex() const;

    // --- Status: under the job lock. ---
    void SetPhase(int phase);
    void SetResult(int result);
    // Also calls the owner's OnGroupJobProgress when the job has a group.
    void SetProgress(int rate, int elapsedSeconds, int remainingSeconds, int64_t localBytes,
                     int64_t remoteBytes);
    CJobStatus GetStatus() const;
    uint32_t GetStamp() const;

    bool IsStopRequested() const { return m_stopRequested.load(); }

    // The whole work of the job on its pool thread, with the settings of its
    // services (or the given settings); returns the list the job goes to: 4 for
    // result 0, 1 otherwise. A job without a client ends with 100.
    int Run();
    int Run(const IPropertySet& settings);

private:
    class CRunContext;

    static void PoolEntry(void* job);
    void AppendTo(int index);
    // Under the job lock.
    void RenewStamp();

    // The job lock is the lock of the job's own property set: every
    // section that holds it for the status takes no other lock, so sharing
    // it costs no waiting that could close a circle, and a kept job has one
    // lock rather than two.
    CCriticalSection* JobLock() const { return GetLock(); }

    // The pool thread running the job; null when not running.
    CPoolWorker* m_worker = nullptr;
    Body m_body = nullptr;
    CTransferJob* m_next = nullptr;
    CTransferJob* m_prev = nullptr;
    ITransferJobOwner* m_owner = nullptr;
    // Never null: empty services (the program's defaults) until set.
    const CTransferServices* m_services;
    CProtocolClient* m_client = nullptr;
    // Milliseconds of the steady clock.
    int64_t m_dueTime = 0;
    const int m_id;
    std::atomic<int> m_group{0};
    // The small fields together, before the status, so that no padding
    // falls between them: every kept job carries the record.
    std::atomic<bool> m_stopRequested{false};
    bool m_linked = false;
    uint32_t m_stamp = 0;
    CJobStatus m_status;
};
