#pragma once
// IHttpChannel: what the HTTP request sender and the response and body
// readers need of the client that owns a connection. The readers move bytes
// through it and tell it when the connection can no longer carry a request;
// the client keeps its own state (abort flag, connected flag, time-out rule)
// behind it. CConnectionHttpChannel does the connection half over a
// CConnection and leaves the client half to the client.
//
// Threads: a channel is used by its client's thread. IsAborted may turn true
// at any time (another thread closing the client); the readers test it before
// and after every receive.

#include <cstdint>

class CByteBuffer;
class CConnection;
class ITrafficObserver;

class IHttpChannel
{
public:
    virtual ~IHttpChannel() = default;

    // Sends all n bytes; false on failure, with the reason in GetLastError.
    virtual bool Send(const char* data, int n) = 0;
    // Receives up to size bytes: the count; 0 when the peer closed the
    // connection; -1 on failure, with the reason in GetLastError.
    virtual int Receive(char* buffer, int size) = 0;
    // The reason of the last failed Send or Receive: a transfer result code
    // (110 time-out) or a WinSock error number; 0 when none is known.
    virtual int GetLastError() const = 0;
    // Sizes the socket's receive buffer for body blocks of this many bytes.
    virtual void SetReceiveBlockSize(int bytes) = 0;

    // The client's abort flag.
    virtual bool IsAborted() const = 0;
    // The connection holds unread or doubtful bytes, or failed: it is closed
    // now and the client connects anew for its next request.
    virtual void Drop() = 0;
    // The server ends the connection after this response: the rest of the
    // response is still read from it, but no further request is sent on it.
    virtual void EndKeepAlive() = 0;
};

// The connection half of a channel. Before every send and receive the
// connection's time-out becomes TimeoutMs() and the traffic observer is set
// on it; the observer is cleared again afterwards, so a connection never
// reports to an observer between operations.
class CConnectionHttpChannel : public IHttpChannel
{
public:
    explicit CConnectionHttpChannel(CConnection& connection) : m_connection(connection) {}

    void SetTimeoutMs(int ms) { m_timeoutMs = ms; }
    void SetTrafficObserver(ITrafficObserver* observer) { m_observer = observer; }

    // Repeats the connection's send until every byte went; a send that moves
    // nothing is a failure.
    bool Send(const char* data, int n) override;
    int Receive(char* buffer, int size) override;
    int GetLastError() const override;
    void SetReceiveBlockSize(int bytes) override;

protected:
    // Asked before every send and receive; clients whose time-out follows a
    // setting override it to read the setting each time.
    virtual int TimeoutMs() const { return m_timeoutMs; }
    // Asked before every send and receive; clients that keep their observer
    // themselves (set per job) override it to hand that one on.
    virtual ITrafficObserver* TrafficObserver() const { return m_observer; }

    CConnection& m_connection;

private:
    int m_timeoutMs = 60000;
    ITrafficObserver* m_observer = nullptr;
};

// Receives up to maxBytes through channel straight into the free room at the
// end of buffer (grown when needed) and adds them to its length. Returns the
// count, 0 when the peer closed, or -1 with error set: the channel's reason,
// kResultControlClosed when it gave none, kResultNoMoreHandles when the
// buffer could not grow.
int ReceiveAppend(IHttpChannel& channel, CByteBuffer& buffer, int maxBytes, int& error);
