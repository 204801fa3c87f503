#pragma once
// Proxy servers for the tunnel tests, each on 127.0.0.1 with a free port and
// a temporary config, stopped when the object goes:
// - CTinyproxyServer: tinyproxy, HTTP CONNECT (and a plain HTTP proxy);
// - CMicrosocksServer: microsocks, SOCKS5 with or without user/password;
// - CDanteServer: dante's danted, SOCKS4 and SOCKS5, with or without the
//   user/password method (checked against the system's users);
// - CScriptedProxy: tests/servers/proxy_script.py, for the faults;
// - CTcpModesServer: tests/servers/tcp_modes_server.py, an echoing target
//   behind a proxy or a silent peer.
// A missing program fails the test (CServerProcess); nothing is skipped.

#include <string>
#include <vector>

#include "tests/servers/ServerProcess.h"

// What every fixture here shares: a port and the running process.
class CProxyServerBase
{
public:
    int Port() const { return m_port; }
    std::string Log() const { return m_process.Log(); }
    const CServerProcess& Process() const { return m_process; }
    void Stop() { m_process.Stop(); }

protected:
    bool StartProcess(const std::vector<std::string>& argv);
    // A file in the server's folder; false (with a test failure) when it
    // could not be written.
    bool WriteConfig(const std::string& name, const std::string& text, std::string& path);

    CServerProcess m_process;
    int m_port = 0;
};

// tcp_modes_server.py: "echo" is the target behind a proxy, "silent" a
// proxy that never answers.
class CTcpModesServer : public CProxyServerBase
{
public:
    bool Start(const std::string& mode);
};

class CTinyproxyServer : public CProxyServerBase
{
public:
    // CONNECT is allowed to the given ports only (tinyproxy's ConnectPort);
    // any other port is refused with 403.
    bool Start(const std::vector<int>& connectPorts);
};

class CMicrosocksServer : public CProxyServerBase
{
public:
    // Without a user, no authentication; with one, RFC 1929 is required.
    bool Start(const std::string& user = std::string(), const std::string& password = std::string());
};

class CDanteServer : public CProxyServerBase
{
public:
    // The system account danted checks user/password logins against, and its
    // password. Created (or its password reset) by EnsureTestUser.
    static const char* TestUser();
    static const char* TestPassword();

    // Makes sure TestUser exists with TestPassword: as root, creates the
    // account when missing (useradd, no home, no shell) and sets its password
    // (chpasswd), once per process. Not root: true when the account exists
    // (its password is then taken to be TestPassword); otherwise a test
    // failure that says how to create it.
    static bool EnsureTestUser();

    // SOCKS4 and SOCKS5 without authentication, or (userPassword) SOCKS5
    // with the user/password method only, which also calls EnsureTestUser.
    bool Start(bool userPassword);
};

class CScriptedProxy : public CProxyServerBase
{
public:
    // proxy_script.py with the mode and options given (see the script).
    bool Start(const std::vector<std::string>& modeAndOptions);

    // The hex of the handshake bytes that the last client sent (the script's
    // REPORT request); call it after that client has closed its connection.
    // Empty with a test failure when the script does not answer.
    std::string ReportHandshakeHex();
};

// The hex of bytes as the scripted proxy reports it (lower case).
std::string HexOf(const std::string& bytes);
