#include "transfer/SocketHandle.h"

#include "platform/core/Socket.h"
#include "transfer/SocketDeadlineRegistry.h"

CSocketHandle::~CSocketHandle()
{
    // A handle deleted while a deadline is still registered would leave the
    // registry pointing at freed memory for the next sweep.
    SetSocketDeadline(this, 0, 0);
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
