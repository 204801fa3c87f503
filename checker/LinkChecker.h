#pragma once
// CLinkChecker: the engine that checks one task. It owns the link table
// (every CLinkNode of the task; a node's link id is its index + 100 and never
// changes), the index of URL records that joins the nodes of one URL, the ids
// of the transfer jobs in flight, a private copy of the task and the
// statistics with the byte totals. Its thread (CWorkerThread) runs one crawl:
// it hands each waiting link to the transfer side, at most GetMaxInFlight at
// a time, takes the results back and has downloaded pages parsed, until no
// link waits and none is in flight, or a stop is asked for.
//
// Locks: one engine lock guards everything here. Each public entry takes it
// once; the internal steps run with the caller's hold and pass it on, so
// that the page parser can really release it around a long parse. The engine
// calls the transfer side with its lock held (lock order: engine, then
// transfer manager) except for the wait for job ends, which it makes with
// the lock released.
//
// Lifetime: the owner may destroy the engine as soon as IsRunning is false.
// The destructor stops and joins a running thread first. After a stop no
// link is Waiting or Processing and no job id is left in flight, so a later
// run picks up the Stopped links instead of waiting on jobs that are gone.

#include "checker/LinkStats.h"
#include "checker/LinkTreeItem.h"
#include "checker/PageParse.h"
#include "checker/ReportWriter.h"
#include "checker/TaskSettings.h"
#include "checker/UrlRecordIndex.h"

#include "foundation/threads/WorkerThread.h"
#include "platform/core/CriticalSection.h"
#include "platform/core/RefPtr.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CFormData;
class CLinkItem;
class CLinkNode;
class CUrlRecord;
class ICrawlTransport;
class IPropertySet;
class ITransferLog;

// What the engine is handed: none of it is owned, all of it outlives the
// engine.
struct CLinkCheckerServices
{
    ICrawlTransport* m_transport = nullptr; // required
    const IPropertySet* m_settings = nullptr; // the program's settings; required
    // Parses a page, folder or listing that reached Downloaded; null leaves
    // content unparsed (the link keeps its state, no children are added).
    PageParseFunction m_parsePage = &ParseEnginePage;
};

class CLinkChecker : public CWorkerThread
{
public:
    // userData is as wide as a pointer, so a window handle fits.
    using ProgressCallback = void (*)(std::intptr_t userData);

    // The most links one engine keeps in flight.
    static constexpr int kMaxInFlight = 20;
    // A chain of this many redirect links in a row ends Broken: a site that
    // redirects to ever-new URLs must not grow the table for ever.
    static constexpr int kMaxRedirectChain = 20;

    explicit CLinkChecker(const CLinkCheckerServices& services);
    // Stops and joins a running thread, then clears as Clear does, leaving
    // the freed memory to the allocator.
    ~CLinkChecker() override;
    CLinkChecker(const CLinkChecker&) = delete;
    CLinkChecker& operator=(const CLinkChecker&) = delete;

    // ---- Public entries (each takes the engine lock) ------------------------
    // Takes a copy of the task and rebuilds the table from it; false, with
    // nothing changed, while a run goes on.
    bool SetTaskSettings(const CTaskSettings& task);
    // Removes the jobs of the table's links, deletes every node and URL
    // record, zeroes the statistics and gives freed memory back. Nothing
    // while a run goes on (it holds pointers into the table); the same for
    // ResetFromTask.
    void Clear();
    // Rebuilds the table from the task copy: the root, and for a ".urls"
    // list, a ".vbb" project or a URL template (with "Misc/Enable Generic
    // URLs" on) one child per URL.
    void ResetFromTask();
    void SetProgressCallback(ProgressCallback callback, std::intptr_t userData);
    // Forced: calls the callback now. Otherwise only while a change is
    // pending and at most once a second.
    int NotifyProgress(bool forced);
    int GetMaxInFlight() const;

    // Copies for views and tests.
    CLinkStats GetStats() const;
    int GetLinkCount() const;
    size_t GetInFlightJobCount() const;
    // The times of the last run (tick counts).
    uint32_t GetCrawlStart() const;
    uint32_t GetCrawlEnd() const;

    // ---- Queries for the views (LinkCheckerQueries.cpp) ----------------------
    // Each takes the lock, copies what is asked for and lets go; the caller
    // owns every copy. A link id is valid when id - 100 is inside the table;
    // for any other id a query answers 0, false or nothing.

    // One item for the root, when the table is not empty. Either container
    // may be null.
    void GetRootLink(CLinkTreeItemArray* items, CLinkTreeItemMap* map) const;
    // The children of link id (with recursive, all its descendants) that the
    // filter accepts (null: all) and whose content stamp is above stamp, as
    // items; stamp becomes the greatest stamp found, 0 when none was newer.
    // Nothing, stamp unchanged, without a container or for a bad id.
    void UpdateLinkTree(int id, uint32_t& stamp, CLinkTreeItemArray* items, CLinkTreeItemMap* map, bool recursive,
                        const CLinkViewFilter* filter) const;
    // UpdateLinkTree from stamp 0: every matching child.
    void RefreshLinkTree(int id, CLinkTreeItemArray* items, CLinkTreeItemMap* map, bool recursive,
                         const CLinkViewFilter* filter) const;
    void GetStatistics(CLinkStats& stats) const;
    // The page the link was found on; false and 0 for the root.
    bool GetReferrerId(int id, int& referrerId) const;
    // The first link with the same URL (the link itself when it is first).
    bool GetFirstOccurrence(int id, int& firstId) const;
    // The transfer-log id of the job of the link's URL; false and 0 without.
    bool GetLinkLogId(int id, int& logId) const;
    // Refreshes copy (its m_linkId picks the link): CLinkNode::CopyInfoIfChanged
    // bits, 0 for a bad id.
    int QueryLinkInfo(CLinkInfo& copy) const;
    // The state of the link that reference, found on link id's page, points
    // to. A URL the task never met is Broken when no link stopped at the
    // recursion limit (the whole site was reached), else Unknown.
    int GetLinkStateByHref(int id, const std::string& reference) const;
    // Renews every link's content and children stamps so that views re-read
    // them all.
    void TouchAllLinks();
    int GetRecursion() const;
    // Every file below the folder of a local HTML or folder root that no
    // link reached, with their total size; nothing for any other root or
    // while links are still pending.
    void FindOrphanFiles(std::vector<std::string>& names, int64_t& totalSize) const;

    // ---- Commands for the views (LinkCheckerCommands.cpp) -------------------
    // Those that queue links reset the queue cursor and start the thread
    // when it is idle; those that change states call the progress callback.
    bool CanContinueTask() const;
    // Raises Recursion by n (at most to 1000) and re-queues every Stopped or
    // Max recursion link the filter accepts; the number re-queued.
    int ContinueTask(int n);
    bool CanCheckExternalLinks() const;
    // Re-queues every Stopped or Is External link (not Extra external) the
    // filter accepts; they keep their scope. The number re-queued.
    int CheckExternalLinks();
    // With all: every id valid and re-checkable; else any. False while a
    // report job is pending and for count 0.
    bool CanRecheckLinks(const int* ids, int count, bool all) const;
    bool CanRecheckLink(int id) const;
    // Re-queues the first occurrence of each link; an Info only link is
    // downloaded this time. The number re-queued.
    int RecheckLinks(const int* ids, int count);
    int RecheckLink(int id);
    bool CanStopLinks(const int* ids, int count, bool all) const;
    bool CanStopLink(int id) const;
    // Ends the first occurrence of each Waiting or Processing link as
    // Stopped (its job is stopped at once); the run goes on for the others.
    int StopLinks(const int* ids, int count);
    int StopLink(int id);
    // Submits a FORM link's form as a new link one level below it: for GET
    // the action without its fragment and with its query replaced by the
    // submit string, for POST the action with "data:" and the submit pairs
    // as POST data. The new link's id, or 0.
    int AddFormSubmitLink(int formId, const CFormData& form);

    // ---- Saving links (LinkSaving.cpp) --------------------------------------
    // With all: every valid id has a local copy (and one at least); else
    // any. The lock is taken per id.
    bool CanSaveLinks(const int* ids, int count, bool all) const;
    bool CanSaveLink(int id) const;
    // Copies the local copies of the links out: a single link to the file
    // target, several into the folder target (created when missing), each
    // under a name that cannot leave it. Failures go to messages (may be
    // null) and the next link is tried. The number of files saved.
    int SaveLinksAs(const int* ids, int count, const std::string& target, ITransferLog* messages);

    // ---- Reports (ReportWriter.h) -------------------------------------------
    // Stores the job with a reference on sink and starts the thread, which
    // writes the report instead of crawling. False, with nothing stored, for
    // a null sink or while the thread runs.
    [[nodiscard]] bool StartReportJob(ITransferLog* sink, const CReportOptions& job);
    // No crawl and no report job is between its start and its end. The
    // thread may still be on its way out (IsRunning), but the run's last
    // progress call has been made: a view takes that call for the end.
    bool IsRunFinished() const;
    // A report job is pending or being written.
    bool IsReportJob() const { return m_reportPending.load(); }
    // Writes the report into sink now, under the lock.
    void WriteReport(ITransferLog& sink, const CReportOptions& job) const;

    // The node at index, or null outside the table. The pointer stays valid
    // until Clear; read it only with the lock held or while no run goes on.
    CLinkNode* GetNodeAt(int index) const;
    // The node of a link id (callers check the range first).
    CLinkNode* GetNodeById(int id) const;

    // ---- For the page parser: call with the engine lock held ----------------
    CCriticalSection& GetLock() { return m_lock; }
    const CTaskSettings& GetTask() const { return m_task; }
    const IPropertySet& GetSettings() const { return *m_services.m_settings; }
    CLinkStats& Stats() { return m_stats; }
    // Appends a node to the table: its link id, a fresh content stamp, and
    // its counters in the statistics. The caller places it in the tree.
    CLinkNode* AppendNode(std::unique_ptr<CLinkNode> node);
    // Joins a new node to the URL record of its key (made and examined when
    // new); null for a node that is not checked.
    CUrlRecord* PrepareLink(CLinkNode* node, CEngineLock& lock);
    void UpdateLocalSize(CUrlRecord* record, int64_t size);
    void UpdateRemoteSize(CUrlRecord* record, int64_t size);
    void SetLinkStatus(CUrlRecord* record, int status, int code, const std::string& text);

protected:
    // Cancels every transfer in flight; runs on the stopping thread.
    void OnStopRequested() override;
    int Run() override;

private:
    using NodeList = std::vector<CLinkNode*>;

    // ---- Run loop (LinkChecker.cpp) -----------------------------------------
    // One crawl, under the engine lock; Run calls Finish after it.
    void Crawl();
    bool FillInFlight(NodeList& inFlight, size_t limit, CEngineLock& lock);
    CLinkNode* GetNextQueued();
    void CollectFinished(NodeList& inFlight, CEngineLock& lock);
    void PollTransfers(NodeList& inFlight, CEngineLock& lock);
    // The end of a run; the engine is not touched after OnThreadExit.
    int Finish();
    void NotifyProgressLocked(bool forced);
    // giveMemoryBack: trims the allocator's free memory afterwards.
    void ClearLocked(bool giveMemoryBack);
    void ResetFromTaskLocked(CEngineLock& lock);

    // ---- Start kinds (LinkCheckerStart.cpp) ---------------------------------
    bool AddListChildren(CLinkNode* root, const std::string& path, int recursion, CEngineLock& lock);
    bool AddProjectChild(CLinkNode* root, const std::string& path, int recursion, CEngineLock& lock);
    bool AddTemplateChildren(CLinkNode* root, const std::string& uri, int recursion, CEngineLock& lock);
    // One child of a list or template root, as a ".urls" line makes it.
    void AddStartChild(CLinkNode* root, const std::string& text, int recursion, CEngineLock& lock);
    // Depth, site level, scope, state by Recursion; appended, added, prepared.
    void PlaceStartChild(CLinkNode* root, std::unique_ptr<CLinkNode> child, int recursion, CEngineLock& lock);

    // ---- Link requests (LinkRequests.cpp) -----------------------------------
    void CheckLocalLink(CLinkNode* node, bool parseNow, CEngineLock& lock);
    // CheckLocalLink's steps for a local file (not a folder).
    void CheckLocalFile(CLinkNode* node, CUrlRecord* record, bool parseNow, CEngineLock& lock);
    int StartLink(CLinkNode* node, CEngineLock& lock);
    // The request of a remote link; false when its URL does not parse.
    bool BuildRequest(const CLinkNode* node, const CUrlRecord* record, CLinkItem& request) const;
    void AnswerOffline(CLinkNode* node, CUrlRecord* record, CLinkItem& request, CEngineLock& lock);
    int ChooseRequestKind(const CLinkNode* node, const CUrlRecord* record, CLinkItem& request) const;
    void SubmitRequest(CLinkNode* node, CUrlRecord* record, const CLinkItem& request);
    int OnTransferDone(CUrlRecord* record, CEngineLock& lock);
    void TakeTransferTotals(CUrlRecord* record, const CLinkItem& response);
    void FollowRedirect(CLinkNode* node, CUrlRecord* record, const CLinkItem& response, CEngineLock& lock);
    void ApplyResponse(CUrlRecord* record, const CLinkItem& response);
    void PropagateToRepeats(CLinkNode* node);
    void RemoveInFlightId(int jobId);
    std::string MakeLocalPath(const CLinkNode* node) const;
    void ParsePage(CLinkNode* node, CEngineLock& lock);
    void SetContentKind(CUrlRecord* record, int kind);

    // ---- Views' helpers (LinkCheckerQueries.cpp, LinkCheckerCommands.cpp) ---
    bool IsValidId(int id) const { return static_cast<unsigned>(id - 100) < m_links.size(); }
    // Items for the matching children of node newer than stamp (and, with
    // recursive, of their descendants); the greatest stamp found, else 0.
    uint32_t CollectNewerChildren(const CLinkNode& node, uint32_t stamp, CLinkTreeItemArray* items,
                                  CLinkTreeItemMap* map, bool recursive, const CLinkViewFilter* filter) const;
    // The folder searched, empty when the search does not apply.
    std::string FindOrphanFilesLocked(std::vector<std::string>& names, int64_t& totalSize) const;
    // The first node of the node's URL, as a node of the table.
    CLinkNode* FirstOccurrenceOf(CLinkNode* node) const;
    // Sets a re-queued link Waiting; the caller counts it.
    void Requeue(CLinkNode* node, CEngineLock& lock);
    // The end of a command that queued count links: progress, and when any
    // was queued a fresh cursor and a started thread.
    void AfterQueueing(int count);
    // Saves one link under the lock; false for a link with nothing to save
    // and, with the message, for a failed copy.
    bool SaveOneLink(int id, const std::string& target, bool single, ITransferLog* messages) const;
    void RunReportJob();

    CLinkCheckerServices m_services;

    mutable CCriticalSection m_lock;
    CUrlRecordIndex m_urlRecords;
    std::vector<std::unique_ptr<CLinkNode>> m_links;
    std::vector<int> m_inFlightIds;
    int m_queueCursor = -1;
    const int m_maxInFlight = kMaxInFlight;
    CTaskSettings m_task;
    CLinkStats m_stats; // with the byte totals

    uint32_t m_crawlStart = 0;
    uint32_t m_crawlEnd = 0;
    bool m_crawlEnded = true; // no crawl is between its start and its Finish
    int m_processedAtStart = 0;

    // The pending report job; the sink is set only while one is pending.
    CRefPtr<ITransferLog> m_reportSink;
    CReportOptions m_report;
    std::atomic<bool> m_reportPending{false};
    uint32_t m_reportStart = 0;
    uint32_t m_reportEnd = 0;

    ProgressCallback m_progressCallback = nullptr;
    std::intptr_t m_progressUserData = 0;
    bool m_progressPending = false;
    uint32_t m_lastProgressCall = 0;
};
