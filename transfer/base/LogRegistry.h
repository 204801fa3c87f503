#pragma once
// CLogRegistry: the process-wide table of transfer logs by number. A job
// gets a log id at creation and stores it in its request (property 59); the
// log windows and the link checker read the log by that id. The registry
// holds one reference on each log it lists; GetLog hands out another, so a
// log outlives a concurrent ReleaseLog while a reader still uses it.
//
// Ids start at 1 and are not reused while a log with that id is listed;
// 0 and -1 never name a log.

#include "platform/core/CriticalSection.h"

#include "transfer/base/IdTable.h"

class CTransferLog;
class ITransferLog;

class CLogRegistry
{
public:
    CLogRegistry() = default;
    // Releases every log still listed.
    ~CLogRegistry();
    CLogRegistry(const CLogRegistry&) = delete;
    CLogRegistry& operator=(const CLogRegistry&) = delete;

    // Lists a new, empty log under the next free id and returns the id.
    int CreateLog();
    // The log with that id, with one reference for the caller to release;
    // an id not listed gets a new log listed under it. Null for 0 and -1.
    ITransferLog* GetLog(int id);
    // Unlists the log and drops the registry's reference; false when no log
    // with that id was listed (always for 0 and -1).
    bool ReleaseLog(int id);

private:
    // Moves m_nextId past every listed id and past 0 and -1; the lock is held.
    void AdvanceNextId();

    CCriticalSection m_lock;
    int m_nextId = 1;
    CIdTable<CTransferLog*> m_logs;
};

// The process-wide registry, created on first use.
CLogRegistry& GetLogManager();
// Deletes the process-wide registry (application shutdown); a later
// GetLogManager starts a new, empty one.
void DestroyLogManager();
