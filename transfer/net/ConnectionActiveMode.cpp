// CConnection's listening side: bind, listen and accept for active FTP data
// connections, the address getters and the buffer sizes.

#include "transfer/net/Connection.h"

#include "platform/core/Socket.h"
#include "transfer/base/OptionalLog.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/net/SocketHandle.h"

namespace
{
// The smallest buffer size SetBufferSize asks for.
constexpr int kMinBufferSize = 128;
} // namespace

bool CConnection::Bind(uint32_t address, int port, ITransferLog* log)
{
    m_lastError = 0;
    m_serverName.clear();
    std::shared_ptr<CSocket> socket = NewSocket();
    if (!socket)
    {
        LogFormat(log, kLogError, "Can't socket (error: %d).", m_lastError);
        return false;
    }
    int error = 0;
    if (!socket->Bind(address, port, &error))
    {
        m_lastError = error;
        LogFormat(log, kLogError, "Can't bind to %s:%d (error: %d).", FormatIPv4(address).c_str(), port,
                  error);
        return false;
    }
    return true;
}

bool CConnection::Listen(int backlog, ITransferLog* log)
{
    std::shared_ptr<CSocket> socket = m_handle->GetSocket();
    int error = kResultInvalidParameter;
    if (!socket || !socket->Listen(backlog, &error))
    {
        m_lastError = error;
        LogFormat(log, kLogError, "Can't listen (error: %d).", error);
        return false;
    }
    uint32_t address = 0;
    int port = 0;
    GetLocalAddress(&address, &port);
    m_lastError = 0;
    LogFormat(log, kLogStatus, "Listen started at %s:%d.", FormatIPv4(address).c_str(), port);
    return true;
}

bool CConnection::BindAndListen(uint32_t address, int port, int backlog, ITransferLog* log)
{
    return Bind(address, port, log) && Listen(backlog, log);
}

bool CConnection::Accept(CConnection& target, ITransferLog* log)
{
    m_lastError = 0;
    std::shared_ptr<CSocket> listener = m_handle->GetSocket();
    int error = kResultInvalidParameter;
    std::shared_ptr<CSocket> accepted;
    // Bounded by the time-out: a server that never opens the data connection
    // must not hold the transfer (and its pool thread) for ever.
    if (listener)
        accepted = listener->Accept(m_timeoutMs, &error);
    // The accepted socket, or none, takes the place of the target's socket.
    target.DropSsl();
    target.m_handle->SetSocket(accepted);
    if (!accepted)
    {
        m_lastError = error;
        LogFormat(log, kLogError, "Can't accept (error: %d).", error);
        return false;
    }
    uint32_t address = 0;
    int port = 0;
    target.GetPeerAddress(&address, &port);
    LogFormat(log, kLogStatus, "Socket accepted from %s:%d.", FormatIPv4(address).c_str(), port);
    return true;
}

bool CConnection::GetLocalAddress(uint32_t* address, int* port)
{
    return QueryAddress(&CSocket::GetLocalAddress, address, port);
}

bool CConnection::GetPeerAddress(uint32_t* address, int* port)
{
    return QueryAddress(&CSocket::GetPeerAddress, address, port);
}

bool CConnection::QueryAddress(bool (CSocket::*query)(uint32_t*, int*, int*) const, uint32_t* address,
                               int* port)
{
    if (address)
        *address = 0;
    if (port)
        *port = 0;
    std::shared_ptr<CSocket> socket = m_handle->GetSocket();
    int error = kResultInvalidParameter;
    if (!socket || !((*socket).*query)(address, port, &error))
    {
        m_lastError = error;
        return false;
    }
    m_lastError = 0;
    return true;
}

bool CConnection::SetBufferSize(int send, int bytes)
{
    std::shared_ptr<CSocket> socket = m_handle->GetSocket();
    int error = kResultInvalidParameter;
    if (!socket || !socket->SetBufferSize(send != 0, bytes < kMinBufferSize ? kMinBufferSize : bytes, &error))
    {
        m_lastError = error;
        return false;
    }
    m_lastError = 0;
    return true;
}
