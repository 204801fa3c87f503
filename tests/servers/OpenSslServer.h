#pragma once
// COpenSslServer: "openssl s_server -www" on 127.0.0.1 with a free port. For
// every request it answers an HTML page that shows what the handshake gave:
// the protocol ("Protocol  : TLSv1.3"), the cipher and, when one was sent,
// the client certificate. Extra arguments choose versions, ciphers and
// client certificate checks ("-tls1", "-cipher", "DEFAULT:@SECLEVEL=0",
// "-Verify", "1", "-CAfile", ca). A missing openssl fails the test.

#include "tests/servers/ServerProcess.h"

#include <string>
#include <vector>

class COpenSslServer
{
public:
    bool Start(const std::string& certificate, const std::string& key,
               const std::vector<std::string>& extraArgs = {});
    void Stop() { m_process.Stop(); }

    int Port() const { return m_port; }
    // What s_server printed: its errors name failed handshakes.
    std::string Log() const { return m_process.Log(); }
    const CServerProcess& Process() const { return m_process; }

private:
    CServerProcess m_process;
    int m_port = 0;
};
