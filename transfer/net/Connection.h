#pragma once
// CConnection: one IPv4 TCP connection of a protocol client, over a shared,
// reference-counted socket handle (CSocketHandle). It connects directly or
// through a proxy, sends and receives under a per-call time-out, waits for
// data, carries an optional SSL layer (CSSLConnection) and offers bind,
// listen and accept for active FTP data connections.
//
// Errors: every operation below sets the last error (GetLastError): 0 for
// none, a transfer result code (ResultCodes.h: kResultInvalidParameter no socket or bad
// parameter, kResultTimeout, kResultHostNotResolved host not found, kResultSslStart SSL start failed, a
// proxy reply code) or a WinSock error number
// (platform/core/SocketError.h). Raw errno values never appear here.
//
// Time-outs: a send or receive registers a deadline (now + time-out) in the
// process-wide deadline registry (SocketDeadlineRegistry.h) for as long as it
// is blocked. The transfer manager's tick sweeps the registry and closes the
// socket of every call whose deadline has passed; the call then fails with
// kResultTimeout (110). The call also ends by itself one sweep period after its
// deadline, with the same result, so a connection nobody sweeps never hangs.
// Connect and accept are bounded by the same time-out and fail with
// WSAETIMEDOUT (10060); a name look-up that outlives it fails with
// kResultTimeout.
//
// Threads: a connection is used by one thread at a time (its protocol
// client's). Only CloseSocket may be called from another thread at any time:
// it makes a call blocked on the socket return at once with an error. The
// descriptor itself is closed only when the blocked call has left it, so its
// number is never reused under a running call.

#include "transfer/base/ByteStream.h"
#include "transfer/net/HostAddress.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

class CCriticalSection;
class CSocket;
class CSSLConnection;
class CSocketHandle;
class ITransferLog;

// Told of every positive byte count that a raw send or receive moved (the
// encrypted bytes when SSL is on). Calls of all connections are serialised
// under TrafficLock(); an observer is never called under a handle's lock.
class ITrafficObserver
{
public:
    virtual ~ITrafficObserver() = default;
    virtual void OnReceived(int bytes) = 0;
    virtual void OnSent(int bytes) = 0;
};

// The one process-wide lock around traffic-observer calls.
CCriticalSection& TrafficLock();

// Start (non-zero) or end (zero) the socket layer and the SSL library
// (SslGlobalInit). Starting twice does nothing; ending only ends what was
// started. Also makes SIGPIPE harmless for the process. Returns false when
// starting failed (the layer then stays not started).
bool SocketsStartup(int start);

class CConnection : public IByteStream
{
public:
    // Default time-out of one send, receive, connect or accept.
    static constexpr int kDefaultTimeoutMs = 60000;

    CConnection();
    // Closes the socket and releases the handle. Owners call Close first when
    // an SSL connection may be attached (Close shuts it down gracefully).
    ~CConnection() override;
    CConnection(const CConnection&) = delete;
    CConnection& operator=(const CConnection&) = delete;

    // Connecting. Each returns true when connected; on false the last error
    // holds the reason and the log has the error line. A connect closes any
    // earlier socket of this connection first.
    [[nodiscard]] bool ConnectAddress(uint32_t address, int port, ITransferLog* log);
    [[nodiscard]] bool ConnectHost(const char* host, int port, ITransferLog* log);
    // Direct when proxyUrl is empty or "no" (any case); otherwise through the
    // proxy tunnel code (transfer/net/ProxyTunnel.h).
    [[nodiscard]] bool ConnectViaProxy(const char* host, int port, const char* proxyUrl, ITransferLog* log);
    [[nodiscard]] bool ConnectViaProxyToAddress(uint32_t address, int port, const char* proxyUrl,
                                                ITransferLog* log);
    // Through the stream on top: the SSL connection when one is attached
    // (its results returned unchanged), else SendRaw / RecvRaw with flags 0.
    // The byte count, -1 on failure; Recv returns 0 when the peer closed the
    // connection.
    int Send(const char* data, int length);
    int Recv(char* buffer, int size);

    // The deadline-guarded socket calls. Without a valid socket: -1, last
    // error untouched. Send sends all bytes unless it fails. A receive of 0
    // bytes is the end of the stream (last error 0). A call that outlived its
    // deadline returns -1 with kResultTimeout and leaves the socket closed.
    // flags: MSG_PEEK and MSG_OOB are passed on; MSG_NOSIGNAL is always added.
    // A receive with MSG_DONTWAIT gives kWouldBlock when nothing is waiting.
    // The traffic observer hears of bytes sent and taken, not of bytes peeked.
    int SendRaw(const char* data, int length, int flags) override;
    int RecvRaw(char* buffer, int size, int flags) override;

    // Waits up to ms milliseconds for readable data, then peeks at up to *size
    // bytes (they stay queued). Returns the result code, also left as last
    // error: 0 with *size the count peeked (0 when nothing came in time),
    // kResultInvalidParameter without a socket, WSAECONNABORTED (10053) when the peer closed,
    // or the socket error (then *size is 0).
    int WaitData(char* buffer, int* size, int ms);

    // Looks, without waiting at all, whether the peer has sent data: the
    // count of bytes peeked into buffer (they stay queued), 0 when nothing
    // is waiting, -1 when the peer closed or the socket failed. With SSL
    // attached the look goes through the TLS layer, so records that carry no
    // application data (TLS 1.3 session tickets arrive unasked after the
    // handshake) are consumed and do not count as an answer.
    int PeekNoWait(char* buffer, int size);

    // Attaches an SSL connection (method: "Connections/SSL-TLS Version"),
    // sending the server name (GetServerName) as SNI. A second start or a
    // missing socket: kResultInvalidParameter, the first SSL connection stays. A failed
    // handshake closes the socket: 1019.
    [[nodiscard]] bool StartSsl(int method, ITransferLog* log);

    // The host name the connection leads to: set by a successful ConnectHost
    // or ConnectViaProxy (the target, not the proxy), cleared by
    // ConnectAddress and Bind. An owner may set it for a connection it opened
    // by address (an FTP data connection to its control host).
    const std::string& GetServerName() const { return m_serverName; }
    void SetServerName(const std::string& name) { m_serverName = name; }

    // Ends the SSL connection when there is one (graceful shutdown while the
    // socket is open), then closes the socket. The connection can connect
    // again afterwards.
    void Close();
    // Closes the socket only; safe from any thread (see top of file).
    void CloseSocket() override;

    int GetLastError() const override { return m_lastError; }
    // For the proxy handshakes, which report their own codes.
    void SetLastError(int error) override { m_lastError = error; }

    int GetTimeout() const { return m_timeoutMs; }
    void SetTimeout(int ms) { m_timeoutMs = ms; }

    void SetTrafficObserver(ITrafficObserver* observer) { m_observer = observer; }

    // The owner's stop flag, watched by the name look-ups of ConnectHost and
    // the SOCKS target (the look-up waits up to the time-out and ends when
    // the flag is raised; see ResolveHost). Null: only the time-out.
    const std::atomic<int>* GetAbortFlag() const { return m_abortFlag; }
    void SetAbortFlag(const std::atomic<int>* flag) { m_abortFlag = flag; }

    CSocketHandle* GetHandle() const { return m_handle; }
    bool IsConnected() const;
    CSSLConnection* GetSsl() const { return m_ssl.get(); }

    // Active-mode sockets (FTP PORT). Addresses in network byte order, ports
    // in host order. Accept waits at most this (listening) connection's
    // time-out; the accepted socket replaces target's socket. With onlyFrom
    // non-zero, a connection from any other address is closed at once (an
    // error line names it) and the wait goes on within the same time-out.
    [[nodiscard]] bool Bind(uint32_t address, int port, ITransferLog* log);
    [[nodiscard]] bool Listen(int backlog, ITransferLog* log);
    [[nodiscard]] bool BindAndListen(uint32_t address, int port, int backlog, ITransferLog* log);
    [[nodiscard]] bool Accept(CConnection& target, ITransferLog* log, uint32_t onlyFrom = 0);
    // Both outputs are zeroed first; false (socket error as last error) when
    // the system call fails or there is no socket.
    bool GetLocalAddress(uint32_t* address, int* port);
    bool GetPeerAddress(uint32_t* address, int* port);

    // SO_SNDBUF (send non-zero) or SO_RCVBUF (send zero), raised to 128 bytes
    // when smaller. True when the option was set.
    bool SetBufferSize(int send, int bytes);

private:
    // A new socket in place of the old one (an SSL layer of the old one is
    // dropped); null with the last error set on failure.
    std::shared_ptr<CSocket> NewSocket();
    // GetLocalAddress and GetPeerAddress: zeros and the error when the socket
    // is missing or the query fails.
    bool QueryAddress(bool (CSocket::*query)(uint32_t*, int*, int*) const, uint32_t* address, int* port);
    // SendRaw and RecvRaw around their socket call (call(socket, limitMs,
    // &error) returning the byte count or -1): the deadline with the sweep,
    // the time-out verdict, the traffic observer (told through notify unless
    // it is null) and the last error.
    template <typename Call> int RawCall(void (ITrafficObserver::*notify)(int), Call call);
    // An SSL layer left from an earlier socket is dropped without a word to
    // the peer.
    void DropSsl();

    CSocketHandle* const m_handle;
    int m_lastError = 0;
    int m_timeoutMs = kDefaultTimeoutMs;
    ITrafficObserver* m_observer = nullptr;
    const std::atomic<int>* m_abortFlag = nullptr;
    std::unique_ptr<CSSLConnection> m_ssl;
    // What Send, Recv and PeekNoWait go through: the SSL connection while
    // one is attached, else this connection's own socket calls.
    IByteStream* m_stream = this;
    std::string m_serverName;
};
