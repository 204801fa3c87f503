#pragma once
// IByteStream: the raw byte path of one connection, as the layers that speak
// over it see it: the proxy handshakes (HTTP CONNECT, SOCKS4, SOCKS5) and the
// TLS layer's socket BIO. Keeping them on this interface, not on CConnection,
// lets a handshake be driven over any stream (a test's, a tunnel's) and keeps
// the TLS code free of the socket layer that carries it.
//
// The TCP connection (CConnection) and the TLS layer over it
// (CSSLConnection) are both byte streams: the connection sends and receives
// through whichever is on top, without asking which.
//
// SendRaw sends all bytes or fails; RecvRaw returns 0 at the end of the
// stream; both return -1 on failure with the reason as the last error (a
// result code or a WinSock error number, never a raw errno). flags takes
// MSG_PEEK, whose bytes stay queued, and MSG_DONTWAIT: a receive that would
// have to wait returns kWouldBlock instead.

#include <sys/socket.h>

class IByteStream
{
public:
    static constexpr int kWouldBlock = -2;

    virtual ~IByteStream() = default;
    virtual int SendRaw(const char* data, int length, int flags) = 0;
    virtual int RecvRaw(char* buffer, int size, int flags) = 0;
    virtual int GetLastError() const = 0;
    virtual void SetLastError(int error) = 0;
    // Ends the stream at once, so that nothing more is read from a peer
    // that broke its protocol; a call blocked on it returns with an error.
    virtual void CloseSocket() = 0;
};
