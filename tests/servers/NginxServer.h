#pragma once
// CNginxServer: Debian's nginx (/usr/sbin/nginx) on 127.0.0.1, started in
// the foreground as one process with a configuration written into its own
// temporary folder (error log, pid file, temporary paths and the access log
// all stay there, so no root rights and no system folder are needed). It
// serves the document root Folder()/html over HTTP and, when a certificate
// is given, over HTTPS on a second port. Stopped when the object goes. A
// missing nginx or a configuration it refuses fails the test.
//
// The access log has one line per request:
//   <address> "<request line>" <status> sni="<SNI name>" protocol="<TLS
//   version>" client="<client certificate verdict>" dn="<client subject>"
// so tests can see what the server saw ("-" for what was not there).

#include "tests/servers/ServerProcess.h"

#include <string>
#include <vector>

class CNginxServer
{
public:
    struct Options
    {
        // HTTPS when both are set (PEM files).
        std::string m_certificate;
        std::string m_key;
        // nginx's ssl_protocols ("TLSv1 TLSv1.1 TLSv1.2 TLSv1.3") and
        // ssl_ciphers; empty: nginx's defaults.
        std::string m_sslProtocols;
        std::string m_sslCiphers;
        // ssl_verify_client ("on", "optional", "optional_no_ca") with the CA
        // file that client certificates must come from; empty: off.
        std::string m_verifyClient;
        std::string m_clientCa;
        // Extra directives for the http block and for every server block
        // (locations, headers...).
        std::string m_httpConfig;
        std::string m_serverConfig;
        // Further loopback addresses ("127.0.0.2") the HTTP server block
        // also listens on, at the same port, so that one document root
        // serves two hosts.
        std::vector<std::string> m_moreAddresses;
    };

    // Writes the configuration, picks free ports and starts nginx; true when
    // it accepts connections.
    bool Start(const Options& options);
    bool Start() { return Start(Options()); }
    void Stop() { m_process.Stop(); }

    int HttpPort() const { return m_httpPort; }
    // 0 without HTTPS.
    int HttpsPort() const { return m_httpsPort; }

    // Where the served files live; tests fill it (before or after Start).
    std::string DocumentRoot() const { return m_process.Folder() / "html"; }
    // Writes a file below the document root, making its folders; false
    // (with a test failure) when it cannot.
    bool WriteDocument(const std::string& relativePath, const std::string& content);

    std::string AccessLog() const;
    std::string ErrorLog() const;
    const CServerProcess& Process() const { return m_process; }

private:
    std::string ServerBlock(int port, bool tls, const Options& options) const;

    CServerProcess m_process;
    int m_httpPort = 0;
    int m_httpsPort = 0;
};
