#pragma once
// A critical section is a recursive mutex: the same thread may take it again,
// which the property sets rely on (TestBit calls GetInt under the lock).

#include "platform/core/MutexLifetime.h"

#include <mutex>

class CCriticalSection
{
public:
    CCriticalSection() = default;
    ~CCriticalSection() { ForgetDestroyedMutex(&m_mutex); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Lock() { m_mutex.lock(); }
    void Unlock() { m_mutex.unlock(); }
    bool TryLock() { return m_mutex.try_lock(); }

    // For std::unique_lock and condition_variable_any.
    void lock() { m_mutex.lock(); }
    void unlock() { m_mutex.unlock(); }
    bool try_lock() { return m_mutex.try_lock(); }

private:
    std::recursive_mutex m_mutex;
};

// Holds a critical section for one scope. A null section means "no lock":
// objects whose lock is optional pass their pointer as it is.
class CScopedLock
{
public:
    explicit CScopedLock(CCriticalSection* section) : m_section(section)
    {
        if (m_section)
            m_section->Lock();
    }
    explicit CScopedLock(CCriticalSection& section) : CScopedLock(&section) {}
    ~CScopedLock() { Unlock(); }
    CScopedLock(const CScopedLock&) = delete;
    CScopedLock& operator=(const CScopedLock&) = delete;

    // Releases early; the destructor then does nothing.
    void Unlock()
    {
        if (m_section)
        {
            m_section->Unlock();
            m_section = nullptr;
        }
    }

private:
    CCriticalSection* m_section;
};
