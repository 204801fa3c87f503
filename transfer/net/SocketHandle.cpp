#include "transfer/net/SocketHandle.h"

#include "platform/core/Socket.h"
#include "transfer/net/SocketDeadlineRegistry.h"

CSocketHandle::CSocketHandle()
{
    RegisterSocketHandle(this);
}

CSocketHandle::~CSocketHandle()
{
    // First, so that no sweep can reach the handle once it is being freed.
    UnregisterSocketHandle(this);
    CloseSocket();
}

long CSocketHandle::AddRef()
{
    return ++m_refCount;
}

long CSocketHandle::Release()
{
    const long count = --m_refCount;
    if (count == 0)
        delete this;
    return count;
}

bool CSocketHandle::IsValid()
{
    CScopedLock lock(m_lock);
    return m_socket != nullptr;
}

std::shared_ptr<CSocket> CSocketHandle::GetSocket()
{
    CScopedLock lock(m_lock);
    return m_socket;
}

void CSocketHandle::SetSocket(std::shared_ptr<CSocket> socket)
{
    CScopedLock lock(m_lock);
    if (m_socket)
        m_socket->Abort();
    m_socket = std::move(socket);
}

void CSocketHandle::CloseSocket()
{
    CScopedLock lock(m_lock);
    if (m_socket)
    {
        m_socket->Abort();
        m_socket.reset();
    }
}
