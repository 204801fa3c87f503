#include "transfer/net/Connection.h"

#include "Common/SSLConnection.h"
#include "platform/core/CriticalSection.h"
#include "platform/core/Socket.h"
#include "platform/core/SocketError.h"
#include "platform/core/Text.h"
#include "transfer/base/OptionalLog.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/base/TransferLogInterface.h"
#include "transfer/net/ProxySelection.h"
#include "transfer/net/ProxyTunnel.h"
#include "transfer/net/SocketDeadlineRegistry.h"
#include "transfer/net/SocketHandle.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <mutex>
#include <sys/socket.h>

namespace
{

// The self-imposed limit of a raw call: its deadline plus one sweep period,
// so that the sweep normally ends it and a process without a sweep still
// sees it end.
int RawCallLimitMs(int timeoutMs)
{
    const long long limit = static_cast<long long>(timeoutMs < 0 ? 0 : timeoutMs) + kSocketSweepPeriodMs;
    return limit > INT_MAX ? INT_MAX : static_cast<int>(limit);
}

} // namespace

CCriticalSection& TrafficLock()
{
    // Never destroyed: pool threads may still move bytes while the process ends.
    static CCriticalSection* lock = new CCriticalSection;
    return *lock;
}

bool SocketsStartup(int start)
{
    static std::mutex mutex;
    static bool started = false;
    std::lock_guard<std::mutex> lock(mutex);
    if (start)
    {
        if (started)
            return true;
        if (!SslGlobalInit(1))
            return false;
        IgnoreSigPipe();
        started = true;
        return true;
    }
    if (started)
    {
        SslGlobalInit(0);
        started = false;
    }
    return true;
}

CConnection::CConnection() : m_handle(new CSocketHandle) {}

CConnection::~CConnection()
{
    // No goodbye to the peer here: owners call Close first when they want one.
    DropSsl();
    m_handle->CloseSocket();
    m_handle->Release();
}

std::shared_ptr<CSocket> CConnection::NewSocket()
{
    DropSsl();
    int error = 0;
    std::shared_ptr<CSocket> socket = CSocket::Create(&error);
    // The old socket goes in both cases: a failed create leaves none.
    m_handle->SetSocket(socket);
    if (!socket)
        m_lastError = error;
    return socket;
}

void CConnection::DropSsl()
{
    if (m_ssl)
    {
        m_ssl->Free();
        m_stream = this;
        m_ssl.reset();
    }
}

bool CConnection::ConnectAddress(uint32_t address, int port, ITransferLog* log)
{
    m_lastError = 0;
    m_serverName.clear();
    std::shared_ptr<CSocket> socket = NewSocket();
    if (!socket)
    {
        LogMessage(log, kLogError, kMessageCannotSocket, m_lastError);
        return false;
    }
    const std::string dotted = FormatIPv4(address);
    LogMessage(log, kLogStatus, kMessageConnectingTo, dotted.c_str(), port);
    int error = 0;
    if (!socket->Connect(address, port, m_timeoutMs, &error))
    {
        m_lastError = error;
        LogMessage(log, kLogError, kMessageCannotConnectError, dotted.c_str(), port, error);
        return false;
    }
    LogMessage(log, kLogStatus, kMessageConnectedTo, dotted.c_str(), port);
    return true;
}

bool CConnection::ConnectHost(const char* host, int port, ITransferLog* log)
{
    m_lastError = 0;
    const char* name = host ? host : "";
    uint32_t address = 0;
    int failure = kResultOk;
    if (!ResolveHost(name, &address, m_timeoutMs, m_abortFlag, &failure))
    {
        m_lastError = failure;
        if (failure != kResultStopped)
            LogMessage(log, kLogError, kMessageHostNotFound, name);
        return false;
    }
    if (!IsDottedQuad(name))
        LogMessage(log, kLogStatus, kMessageHostResolved, name, FormatIPv4(address).c_str());
    if (!ConnectAddress(address, port, log))
        return false;
    m_serverName = name;
    return true;
}

bool CConnection::ConnectViaProxy(const char* host, int port, const char* proxyUrl, ITransferLog* log)
{
    m_lastError = 0;
    if (!proxyUrl || IsDirectProxy(proxyUrl))
        return ConnectHost(host, port, log);
    if (!ConnectThroughProxy(*this, host, port, proxyUrl, log))
        return false;
    m_serverName = host ? host : "";
    return true;
}

bool CConnection::ConnectViaProxyToAddress(uint32_t address, int port, const char* proxyUrl,
                                           ITransferLog* log)
{
    return ConnectViaProxy(FormatIPv4(address).c_str(), port, proxyUrl, log);
}

int CConnection::Send(const char* data, int length)
{
    // A connection without a socket keeps the error that took the socket
    // away (an SSL layer may fail before it reaches the socket calls).
    if (m_handle->IsValid())
        m_lastError = 0;
    return m_stream->SendRaw(data, length, 0);
}

int CConnection::Recv(char* buffer, int size)
{
    if (m_handle->IsValid())
        m_lastError = 0;
    return m_stream->RecvRaw(buffer, size, 0);
}

template <typename Call> int CConnection::RawCall(void (ITrafficObserver::*notify)(int), Call call)
{
    std::shared_ptr<CSocket> socket = m_handle->GetSocket();
    if (!socket)
        return -1;
    SetSocketDeadline(m_handle, 1, SocketDeadlineClock() + (m_timeoutMs < 0 ? 0 : m_timeoutMs));
    m_lastError = 0;
    int error = 0;
    const long result = call(*socket, RawCallLimitMs(m_timeoutMs), &error);
    SetSocketDeadline(m_handle, 0, 0);

    // The sweep (or CloseSocket from another thread) took the socket away
    // while the call ran: whatever the call got, the connection is gone.
    if (m_handle->GetSocket() != socket)
    {
        m_lastError = kResultTimeout;
        return -1;
    }
    // The call gave up by itself a sweep period after its deadline: the same
    // verdict the sweep would have given, socket closed included.
    if (result < 0 && error == WSAETIMEDOUT)
    {
        m_handle->CloseSocket();
        m_lastError = kResultTimeout;
        return -1;
    }
    if (result > 0 && m_observer && notify)
    {
        CScopedLock lock(TrafficLock());
        (m_observer->*notify)(static_cast<int>(result));
    }
    if (result < 0)
        m_lastError = error;
    return static_cast<int>(result);
}

int CConnection::SendRaw(const char* data, int length, int flags)
{
    return RawCall(
        &ITrafficObserver::OnSent, [&](CSocket& socket, int limitMs, int* error)
        { return socket.Send(data, length < 0 ? 0 : static_cast<size_t>(length), flags, limitMs, error); });
}

int CConnection::RecvRaw(char* buffer, int size, int flags)
{
    if (flags & MSG_DONTWAIT)
    {
        std::shared_ptr<CSocket> socket = m_handle->GetSocket();
        if (!socket)
            return -1;
        // Nothing waiting reads as an expired zero wait; anything else
        // (bytes, the end of the stream, an error) the receive below returns
        // at once.
        char probe = 0;
        int error = 0;
        if (socket->Recv(&probe, 1, MSG_PEEK, 0, &error) < 0 && error == WSAETIMEDOUT)
            return kWouldBlock;
        flags &= ~MSG_DONTWAIT;
    }
    // Peeked bytes stay queued: they are counted when they are taken.
    return RawCall(
        (flags & MSG_PEEK) ? nullptr : &ITrafficObserver::OnReceived,
        [&](CSocket& socket, int limitMs, int* error)
        { return socket.Recv(buffer, size < 0 ? 0 : static_cast<size_t>(size), flags, limitMs, error); });
}

int CConnection::PeekNoWait(char* buffer, int size)
{
    if (size <= 0)
        return -1;
    const int peeked = m_stream->RecvRaw(buffer, size, MSG_PEEK | MSG_DONTWAIT);
    if (peeked == kWouldBlock)
        return 0;
    // The end of the stream: the peer closed.
    return peeked == 0 ? -1 : peeked;
}

int CConnection::WaitData(char* buffer, int* size, int ms)
{
    const int wanted = size && *size > 0 ? *size : 0;
    if (size)
        *size = 0;
    std::shared_ptr<CSocket> socket = m_handle->GetSocket();
    if (!socket)
        return m_lastError = kResultInvalidParameter;
    int error = 0;
    const int ready = socket->WaitReadable(ms < 0 ? 0 : ms, &error);
    if (ready < 0)
        return m_lastError = error;
    if (ready == 0)
        return m_lastError = 0;
    const long count = socket->Recv(buffer, static_cast<size_t>(wanted), MSG_PEEK, 0, &error);
    if (count < 0)
        return m_lastError = error;
    if (count == 0 && wanted > 0)
        return m_lastError = WSAECONNABORTED;
    if (size)
        *size = static_cast<int>(count);
    return m_lastError = 0;
}

bool CConnection::StartSsl(int method, ITransferLog* log)
{
    if (m_ssl || !m_handle->IsValid())
    {
        m_lastError = kResultInvalidParameter;
        return false;
    }
    m_lastError = 0;
    m_ssl = CSSLConnection::Create(method, *this, log, m_serverName);
    if (!m_ssl)
    {
        m_handle->CloseSocket();
        m_lastError = kResultSslStart;
        return false;
    }
    m_stream = m_ssl.get();
    return true;
}

void CConnection::Close()
{
    if (m_ssl)
    {
        if (m_handle->IsValid())
            m_ssl->Shutdown();
        else
            m_ssl->Free();
        m_stream = this;
        m_ssl.reset();
    }
    m_handle->CloseSocket();
}

void CConnection::CloseSocket()
{
    m_handle->CloseSocket();
}

bool CConnection::IsConnected() const
{
    return m_handle->IsValid();
}

// CConnection's listening side: bind, listen and accept for active FTP data
// connections, the address getters and the buffer sizes.
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

bool CConnection::Accept(CConnection& target, ITransferLog* log, uint32_t onlyFrom)
{
    m_lastError = 0;
    std::shared_ptr<CSocket> listener = m_handle->GetSocket();
    int error = kResultInvalidParameter;
    std::shared_ptr<CSocket> accepted;
    // Bounded by the time-out: a server that never opens the data connection
    // must not hold the transfer (and its pool thread) for ever. Strangers
    // turned away do not lengthen it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_timeoutMs);
    while (listener)
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        accepted = listener->Accept(static_cast<int>(std::max<int64_t>(left.count(), 0)), &error);
        uint32_t peer = 0;
        int peerPort = 0;
        if (!accepted || onlyFrom == 0 ||
            (accepted->GetPeerAddress(&peer, &peerPort, &error) && peer == onlyFrom))
            break;
        LogFormat(log, kLogError, "Connection from %s:%d refused: only %s may connect.",
                  FormatIPv4(peer).c_str(), peerPort, FormatIPv4(onlyFrom).c_str());
        accepted.reset();
    }
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
