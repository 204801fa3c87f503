#pragma once
// One lock per name: work on one name (the logon to one FTP host and port) is
// serialised while work on other names goes on.
//
// A name's lock is made by its first Lock and removed again by the Unlock
// after which no thread holds it or waits for it, so the table holds only
// names in use. The table's own lock is never held while a thread waits for a
// name. A name's lock is recursive: the thread holding it may lock it again
// and then unlocks it as often.

#include "platform/core/CriticalSection.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

class CNamedLockTable
{
public:
    CNamedLockTable();
    ~CNamedLockTable();
    CNamedLockTable(const CNamedLockTable&) = delete;
    CNamedLockTable& operator=(const CNamedLockTable&) = delete;

    // Waits until no other thread holds the name, then holds it.
    void Lock(std::string_view name);
    // Releases one hold of the name. False, and nothing changes, when the
    // name is unknown or the calling thread does not hold it.
    bool Unlock(std::string_view name);

    // How many names are held or waited for.
    size_t GetCount();

private:
    struct NamedLock
    {
        CCriticalSection m_section;
        // Threads holding or waiting for the name (a recursive hold counts
        // each time); changed only under the table's lock.
        std::atomic<int32_t> m_refCount{0};
        // Written only by the holder, so a thread that reads its own id here
        // holds the lock.
        std::atomic<std::thread::id> m_owner{};
        int32_t m_depth = 0;
    };

    CCriticalSection m_section;
    std::map<std::string, std::unique_ptr<NamedLock>, std::less<>> m_locks;
};
