#include "platform/core/Socket.h"

#include "platform/core/SocketError.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
constexpr int64_t kNoDeadline = -1;

int64_t NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t DeadlineAfter(int timeoutMs)
{
    return timeoutMs < 0 ? kNoDeadline : NowMs() + timeoutMs;
}

void SetError(int* error, int value)
{
    if (error)
        *error = value;
}

sockaddr_in MakeAddress(uint32_t address, int port)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = address;
    sa.sin_port = htons(static_cast<uint16_t>(port));
    return sa;
}

// getsockname or getpeername into an IPv4 address and port.
bool QueryAddress(int (*query)(int, sockaddr*, socklen_t*), int fd, uint32_t* address, int* port, int* error)
{
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (query(fd, reinterpret_cast<sockaddr*>(&sa), &len) != 0)
    {
        SetError(error, MapSocketError(errno));
        return false;
    }
    SetError(error, 0);
    if (address)
        *address = sa.sin_addr.s_addr;
    if (port)
        *port = ntohs(sa.sin_port);
    return true;
}
} // namespace

void IgnoreSigPipe()
{
    static std::once_flag once;
    std::call_once(once, [] { signal(SIGPIPE, SIG_IGN); });
}

CSocket::CSocket(int fd, int wakeFd) : m_fd(fd), m_wakeFd(wakeFd) {}

CSocket::~CSocket()
{
    ::close(m_fd);
    ::close(m_wakeFd);
}

std::shared_ptr<CSocket> CSocket::Adopt(int fd, int* error)
{
    const int wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd < 0)
    {
        SetError(error, MapSocketError(errno));
        ::close(fd);
        return nullptr;
    }
    SetError(error, 0);
    return std::shared_ptr<CSocket>(new CSocket(fd, wakeFd));
}

std::shared_ptr<CSocket> CSocket::Create(int* error)
{
    IgnoreSigPipe();
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
    {
        SetError(error, MapSocketError(errno));
        return nullptr;
    }
    return Adopt(fd, error);
}

void CSocket::Abort()
{
    // The flag first: a call that sees the shutdown (an early end of stream)
    // then also sees the flag and reports the abort instead.
    if (m_aborted.exchange(true))
        return;
    const uint64_t one = 1;
    ssize_t written = ::write(m_wakeFd, &one, sizeof one);
    (void)written; // a full counter is still readable, which is all we need
    ::shutdown(m_fd, SHUT_RDWR);
}

int CSocket::WaitFor(short events, int64_t deadlineMs, int* error)
{
    // A deadline already passed still gets one poll with no wait, so that a
    // zero time-out asks "is anything there now?" instead of always saying no.
    bool polledOnce = false;
    for (;;)
    {
        if (m_aborted.load())
        {
            SetError(error, WSAECONNABORTED);
            return -1;
        }
        int timeout = -1;
        if (deadlineMs != kNoDeadline)
        {
            const int64_t left = deadlineMs - NowMs();
            if (left <= 0 && polledOnce)
            {
                SetError(error, WSAETIMEDOUT);
                return 0;
            }
            timeout = left <= 0 ? 0 : left > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(left);
        }
        polledOnce = true;
        pollfd fds[2] = {{m_fd, events, 0}, {m_wakeFd, POLLIN, 0}};
        const int n = ::poll(fds, 2, timeout);
        if (n < 0)
        {
            if (errno == EINTR)
                continue;
            SetError(error, MapSocketError(errno));
            return -1;
        }
        if (fds[1].revents != 0 || m_aborted.load())
        {
            SetError(error, WSAECONNABORTED);
            return -1;
        }
        // Errors and hang-ups count as ready: the next system call reports
        // them with their own error number.
        if (fds[0].revents != 0)
            return 1;
        // n == 0: loop to recheck the deadline (poll may wake a little early).
    }
}

bool CSocket::Connect(uint32_t address, int port, int timeoutMs, int* error)
{
    const int64_t deadline = DeadlineAfter(timeoutMs);
    if (m_aborted.load())
    {
        SetError(error, WSAECONNABORTED);
        return false;
    }
    const sockaddr_in sa = MakeAddress(address, port);
    if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0)
    {
        SetError(error, 0);
        return true;
    }
    if (errno != EINPROGRESS && errno != EINTR)
    {
        SetError(error, MapSocketError(errno));
        return false;
    }
    const int ready = WaitFor(POLLOUT, deadline, error);
    if (ready <= 0)
        return false;
    int soError = 0;
    socklen_t len = sizeof soError;
    if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &soError, &len) != 0)
        soError = errno;
    if (soError == 0 && m_aborted.load())
        soError = ECONNABORTED;
    SetError(error, MapSocketError(soError));
    return soError == 0;
}

long CSocket::Send(const void* data, size_t length, int flags, int timeoutMs, int* error)
{
    const int64_t deadline = DeadlineAfter(timeoutMs);
    const char* bytes = static_cast<const char*>(data);
    size_t sent = 0;
    SetError(error, 0);
    if (m_aborted.load())
    {
        SetError(error, WSAECONNABORTED);
        return -1;
    }
    while (sent < length)
    {
        if (m_aborted.load())
        {
            SetError(error, WSAECONNABORTED);
            break;
        }
        const ssize_t n = ::send(m_fd, bytes + sent, length - sent, flags | MSG_NOSIGNAL);
        if (n >= 0)
        {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN)
        {
            SetError(error, MapSocketError(errno));
            break;
        }
        if (WaitFor(POLLOUT, deadline, error) <= 0)
            break;
    }
    if (sent == length)
    {
        SetError(error, 0);
        return static_cast<long>(sent);
    }
    // Some bytes may have left; the stream is broken either way.
    return -1;
}

long CSocket::Recv(void* buffer, size_t size, int flags, int timeoutMs, int* error)
{
    const int64_t deadline = DeadlineAfter(timeoutMs);
    for (;;)
    {
        if (m_aborted.load())
        {
            SetError(error, WSAECONNABORTED);
            return -1;
        }
        const ssize_t n = ::recv(m_fd, buffer, size, flags | MSG_DONTWAIT);
        if (n > 0 || (n == 0 && size == 0))
        {
            SetError(error, 0);
            return static_cast<long>(n);
        }
        if (n == 0)
        {
            // Our own shutdown also reads as the end of the stream.
            if (m_aborted.load())
            {
                SetError(error, WSAECONNABORTED);
                return -1;
            }
            SetError(error, 0);
            return 0;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN)
        {
            SetError(error, MapSocketError(errno));
            return -1;
        }
        // A zero wait has had its answer from the receive itself; a poll
        // with no time-out would only ask the same question again.
        if (timeoutMs == 0)
        {
            SetError(error, m_aborted.load() ? WSAECONNABORTED : WSAETIMEDOUT);
            return -1;
        }
        if (WaitFor(POLLIN, deadline, error) <= 0)
            return -1;
    }
}

int CSocket::WaitReadable(int timeoutMs, int* error)
{
    const int ready = WaitFor(POLLIN, DeadlineAfter(timeoutMs), error);
    if (ready >= 0)
        SetError(error, 0);
    return ready;
}

bool CSocket::Bind(uint32_t address, int port, int* error)
{
    const sockaddr_in sa = MakeAddress(address, port);
    if (::bind(m_fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0)
    {
        SetError(error, MapSocketError(errno));
        return false;
    }
    SetError(error, 0);
    return true;
}

bool CSocket::Listen(int backlog, int* error)
{
    if (::listen(m_fd, backlog) != 0)
    {
        SetError(error, MapSocketError(errno));
        return false;
    }
    SetError(error, 0);
    return true;
}

std::shared_ptr<CSocket> CSocket::Accept(int timeoutMs, int* error)
{
    const int64_t deadline = DeadlineAfter(timeoutMs);
    for (;;)
    {
        if (m_aborted.load())
        {
            SetError(error, WSAECONNABORTED);
            return nullptr;
        }
        const int fd = ::accept4(m_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0)
            return Adopt(fd, error);
        // A connection that was reset while queued is skipped, as a blocking
        // accept would; the next one is waited for.
        if (errno == EINTR || errno == ECONNABORTED)
            continue;
        if (errno != EAGAIN)
        {
            SetError(error, MapSocketError(errno));
            return nullptr;
        }
        if (WaitFor(POLLIN, deadline, error) <= 0)
            return nullptr;
    }
}

bool CSocket::GetLocalAddress(uint32_t* address, int* port, int* error) const
{
    return QueryAddress(::getsockname, m_fd, address, port, error);
}

bool CSocket::GetPeerAddress(uint32_t* address, int* port, int* error) const
{
    return QueryAddress(::getpeername, m_fd, address, port, error);
}

bool CSocket::SetBufferSize(bool send, int bytes, int* error)
{
    std::atomic<int>& last = send ? m_sendBufferSet : m_receiveBufferSet;
    if (bytes > 0 && last.load() == bytes)
    {
        SetError(error, 0);
        return true;
    }
    if (::setsockopt(m_fd, SOL_SOCKET, send ? SO_SNDBUF : SO_RCVBUF, &bytes, sizeof bytes) != 0)
    {
        last.store(0);
        SetError(error, MapSocketError(errno));
        return false;
    }
    last.store(bytes);
    SetError(error, 0);
    return true;
}

int CSocket::GetBufferSize(bool send) const
{
    int bytes = 0;
    socklen_t len = sizeof bytes;
    if (::getsockopt(m_fd, SOL_SOCKET, send ? SO_SNDBUF : SO_RCVBUF, &bytes, &len) != 0)
        return -1;
    return bytes;
}
