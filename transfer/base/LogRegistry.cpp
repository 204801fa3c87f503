#include "transfer/base/LogRegistry.h"

#include "transfer/base/TransferLog.h"

#include <climits>
#include <memory>
#include <mutex>

namespace
{

bool IsNoLogId(int id)
{
    return id == 0 || id == -1;
}

std::mutex g_managerMutex;
std::unique_ptr<CLogRegistry> g_manager;

} // namespace

CLogRegistry::~CLogRegistry()
{
    m_logs.ForEach([](int, CTransferLog* log) { log->Release(); });
    m_logs.Clear();
}

void CLogRegistry::AdvanceNextId()
{
    // Bounded: the map cannot hold every int, so a free id is always found.
    while (IsNoLogId(m_nextId) || m_logs.Contains(m_nextId))
        m_nextId = (m_nextId == INT_MAX) ? INT_MIN : m_nextId + 1;
}

int CLogRegistry::CreateLog()
{
    CScopedLock lock(m_lock);
    AdvanceNextId();
    const int id = m_nextId;
    m_logs.Insert(id, new CTransferLog(id));
    AdvanceNextId();
    return id;
}

ITransferLog* CLogRegistry::GetLog(int id)
{
    if (IsNoLogId(id))
        return nullptr;
    CScopedLock lock(m_lock);
    CTransferLog** found = m_logs.Find(id);
    CTransferLog* log = found ? *found : nullptr;
    if (!log)
    {
        log = m_logs.Insert(id, new CTransferLog(id));
        if (id == m_nextId)
            AdvanceNextId();
    }
    log->AddRef();
    return log;
}

bool CLogRegistry::ReleaseLog(int id)
{
    if (IsNoLogId(id))
        return false;
    CScopedLock lock(m_lock);
    CTransferLog* log = m_logs.Take(id);
    if (!log)
        return false;
    log->Release();
    return true;
}

CLogRegistry& GetLogManager()
{
    std::lock_guard<std::mutex> lock(g_managerMutex);
    if (!g_manager)
        g_manager = std::make_unique<CLogRegistry>();
    return *g_manager;
}

void DestroyLogManager()
{
    std::unique_ptr<CLogRegistry> manager;
    {
        std::lock_guard<std::mutex> lock(g_managerMutex);
        manager = std::move(g_manager);
    }
}
