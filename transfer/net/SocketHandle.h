#pragma once
// CSocketHandle: one operating-system socket shared by reference between a
// connection, its blocked calls and the deadline sweep.
//
// The reference count starts at 1 and changes only atomically; Release
// deletes the handle when it reaches 0. The handle's lock guards which socket
// it holds; socket calls run without the lock, on a reference to the socket
// taken under it (GetSocket). CloseSocket aborts the socket (a call blocked on
// it returns at once with an error) and drops the handle's reference; the
// descriptor closes when the blocked call lets go of its own reference.
//
// Lock order: the deadline registry's lock, then a handle's lock.

#include "platform/core/CriticalSection.h"

#include <atomic>
#include <cstdint>
#include <memory>

class CSocket;

inline constexpr int64_t kNoSocketDeadline = INT64_MIN;

class CSocketHandle
{
public:
    // Joins the deadline registry's list of handles.
    CSocketHandle();
    CSocketHandle(const CSocketHandle&) = delete;
    CSocketHandle& operator=(const CSocketHandle&) = delete;

    virtual long AddRef();
    // Deletes the handle at 0; returns the new count.
    virtual long Release();

    bool IsValid();
    // The socket, or null when there is none.
    std::shared_ptr<CSocket> GetSocket();
    // Replaces the socket; a previous one is closed as CloseSocket does.
    void SetSocket(std::shared_ptr<CSocket> socket);
    void CloseSocket();

    CCriticalSection& GetLock() { return m_lock; }

    // The deadline of the call blocked on the socket, kept by the deadline
    // registry (SocketDeadlineRegistry.h); kNoSocketDeadline when none.
    std::atomic<int64_t>& BlockedCallDeadline() { return m_deadline; }

protected:
    // Leaves the deadline registry, then closes the socket.
    virtual ~CSocketHandle();

private:
    std::atomic<long> m_refCount{1};
    std::atomic<int64_t> m_deadline{kNoSocketDeadline};
    CCriticalSection m_lock;
    std::shared_ptr<CSocket> m_socket;
};
