#pragma once
// The proxy side of CConnection::ConnectViaProxy: everything after the
// direct-connection case. Given a proxy URL that is neither empty nor "no",
// it connects the connection to the proxy and opens the path to host:port
// through it (HTTP CONNECT, SOCKS4 or SOCKS5 as the URL's scheme says; a
// plain http or ftp proxy is only connected to). True when the path is open;
// on false the connection's last error holds the reason and the connection is
// left as the failing step left it (the caller closes it).

class CConnection;
class ITransferLog;

bool ConnectThroughProxy(CConnection& connection, const char* host, int port, const char* proxyUrl,
                         ITransferLog* log);
