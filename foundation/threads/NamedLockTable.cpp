#include "foundation/threads/NamedLockTable.h"

CNamedLockTable::CNamedLockTable() = default;

CNamedLockTable::~CNamedLockTable() = default;

void CNamedLockTable::Lock(std::string_view name)
{
    NamedLock* namedLock = nullptr;
    {
        CScopedLock lock(m_section);
        auto found = m_locks.find(name);
        if (found == m_locks.end())
            found = m_locks.emplace(std::string(name), std::make_unique<NamedLock>()).first;
        namedLock = found->second.get();
        // Counted before waiting, so that no Unlock removes the lock under a waiter.
        namedLock->m_refCount.fetch_add(1);
    }
    namedLock->m_section.Lock();
    if (namedLock->m_depth++ == 0)
        namedLock->m_owner.store(std::this_thread::get_id());
}

bool CNamedLockTable::Unlock(std::string_view name)
{
    CScopedLock lock(m_section);
    const auto found = m_locks.find(name);
    if (found == m_locks.end())
        return false;
    NamedLock* namedLock = found->second.get();
    // Releasing a mutex that another thread holds would break it for that thread.
    if (namedLock->m_owner.load() != std::this_thread::get_id())
        return false;
    if (--namedLock->m_depth == 0)
        namedLock->m_owner.store(std::thread::id());
    namedLock->m_section.Unlock();
    if (namedLock->m_refCount.fetch_sub(1) - 1 == 0)
        m_locks.erase(found);
    return true;
}

size_t CNamedLockTable::GetCount()
{
    CScopedLock lock(m_section);
    return m_locks.size();
}
