#pragma once
// The proxy side of CConnection::ConnectViaProxy: everything after the
// direct-connection case. Given a proxy URL that is neither empty nor "no",
// it connects the connection to the proxy and opens the path to host:port
// through it (HTTP CONNECT, SOCKS4 or SOCKS5 as the URL's scheme says; a
// plain http or ftp proxy is only connected to). True when the path is open;
// on false the connection's last error holds the reason and the connection is
// left as the failing step left it (the caller closes it).

#include <cstdint>

class CConnection;
class IByteStream;
class ITransferLog;

bool ConnectThroughProxy(CConnection& connection, const char* host, int port, const char* proxyUrl,
                         ITransferLog* log);

// The handshakes, on a stream already connected to the proxy; true when the
// path to the target is open. Every step is bound by the stream's own
// time-out; a failure leaves its reason as the stream's last error and logs
// message 33 or 34 naming the target. The address is in network byte order.
[[nodiscard]] bool HttpConnectTunnel(IByteStream& stream, const char* host, int port, ITransferLog* log);
[[nodiscard]] bool Socks4Connect(IByteStream& stream, const char* user, uint32_t address, int port, ITransferLog* log);
[[nodiscard]] bool Socks5Connect(IByteStream& stream, const char* user, const char* password, uint32_t address, int port,
                   ITransferLog* log);
