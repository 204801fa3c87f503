#pragma once
// CSocket: one non-blocking IPv4 TCP socket whose calls block with a time-out
// (poll) and can be interrupted from another thread.
//
// Lifetime: a socket is shared through std::shared_ptr. Every call runs on an
// object its caller holds a reference to, and the descriptor is closed only
// in the destructor, when the last reference goes. So "closing" a socket that
// another thread is blocked on is Abort() plus dropping one's reference: the
// blocked call wakes at once and fails, and only when it has returned and let
// go is the descriptor closed. Its number can never be handed to a new socket
// while a call is still using it.
//
// Abort() wakes every blocked and future call: it raises a per-socket wake
// descriptor (an eventfd that every wait polls besides the socket) and shuts
// the socket down. An aborted call fails with WSAECONNABORTED.
//
// Errors are WinSock numbers (SocketError.h), written to *error; a time-out
// is WSAETIMEDOUT. A time-out below 0 means no limit. Sends use MSG_NOSIGNAL
// and the first Create() sets SIGPIPE to be ignored for the process.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

// Sets SIGPIPE to be ignored for the process, once; later calls do nothing.
void IgnoreSigPipe();

class CSocket
{
public:
    // A new stream socket (AF_INET). Null with *error set when the system
    // refused (no descriptors, no memory).
    static std::shared_ptr<CSocket> Create(int* error);
    ~CSocket();
    CSocket(const CSocket&) = delete;
    CSocket& operator=(const CSocket&) = delete;

    int GetDescriptor() const { return m_fd; }

    // address in network byte order, port in host order.
    bool Connect(uint32_t address, int port, int timeoutMs, int* error);

    // Sends every byte and returns length, or -1 when the socket fails, times
    // out or is aborted first (some bytes may have left then). flags are
    // added to MSG_NOSIGNAL.
    long Send(const void* data, size_t length, int flags, int timeoutMs, int* error);
    // Waits for data, then one recv: the count, 0 at the end of the stream,
    // -1 on failure. flags (MSG_PEEK, MSG_OOB) are passed on.
    long Recv(void* buffer, size_t size, int flags, int timeoutMs, int* error);
    // 1 when readable (data or end of stream), 0 after the time-out, -1 on
    // failure or abort.
    int WaitReadable(int timeoutMs, int* error);

    bool Bind(uint32_t address, int port, int* error);
    bool Listen(int backlog, int* error);
    // The next incoming connection, or null (time-out, abort, failure).
    std::shared_ptr<CSocket> Accept(int timeoutMs, int* error);

    bool GetLocalAddress(uint32_t* address, int* port, int* error) const;
    bool GetPeerAddress(uint32_t* address, int* port, int* error) const;

    // SO_SNDBUF (send) or SO_RCVBUF; GetBufferSize gives what the system
    // reports (Linux doubles the value set), -1 on failure.
    bool SetBufferSize(bool send, int bytes, int* error);
    int GetBufferSize(bool send) const;

    // Thread-safe and idempotent; see the top of the file.
    void Abort();
    bool IsAborted() const { return m_aborted.load(); }

private:
    CSocket(int fd, int wakeFd);
    static std::shared_ptr<CSocket> Adopt(int fd, int* error);
    // Waits until the socket has one of events, the deadline passes or the
    // socket is aborted: 1 ready, 0 time-out, -1 failure or abort.
    int WaitFor(short events, int64_t deadlineMs, int* error);

    int m_fd;
    int m_wakeFd;
    std::atomic<bool> m_aborted{false};
    // The sizes last set through SetBufferSize (0: never): asking for the
    // same size again on every read changes nothing in the kernel.
    std::atomic<int> m_sendBufferSet{0};
    std::atomic<int> m_receiveBufferSet{0};
};
