#pragma once
// FTP servers for the FTP client's interop tests, on 127.0.0.1 with a free
// port and a temporary folder, stopped when the object goes:
// - CVsftpdServer: Debian's vsftpd with a configuration of its own;
// - CScriptedFtpServer: tests/servers/ftp_faults_server.py, for the replies
//   and disconnects that a real server never produces.
// A missing program fails the test (CServerProcess); nothing is skipped.

#include "tests/servers/ServerProcess.h"

#include <string>
#include <vector>

// vsftpd in the foreground (background=NO) as one listening process.
// Anonymous logins see AnonRoot() as "/"; passive data ports come from a
// range of its own and active (PORT) connections are accepted.
//
// With local logins on, the system account of the proxy fixtures
// (CDanteServer::TestUser, created when missing, which takes root) may log
// on with its password; it is mapped to vsftpd's guest account and sees
// LocalRoot() as "/". Without root, vsftpd runs as the launching user and
// local logins cannot work: asking for them fails the test.
//
// The protocol log (log_ftp_protocol) has one line per command and reply,
// so tests can count what reached the server.
class CVsftpdServer
{
public:
    struct Options
    {
        bool m_localLogins = false;
        // ascii_download_enable: ASCII mode converts line ends, and a
        // restart in ASCII mode is refused ("No support for resume of ASCII
        // transfer.").
        bool m_asciiDownloads = false;
    };

    bool Start(const Options& options);
    bool Start() { return Start(Options()); }
    void Stop() { m_process.Stop(); }

    int Port() const { return m_port; }
    std::string AnonRoot() const { return m_process.Folder() / "anon"; }
    std::string LocalRoot() const { return m_process.Folder() / "local"; }

    // Writes a file below root (AnonRoot or LocalRoot), making its folders,
    // all readable by the server's session users; false (with a test
    // failure) when it cannot.
    bool WriteFile(const std::string& root, const std::string& relativePath, const std::string& content);

    // vsftpd's log: every command it received and every reply it sent.
    std::string ProtocolLog() const;
    // How many commands the protocol log holds that begin with the text
    // (vsftpd logs them as: FTP command: Client "127.0.0.1", "TYPE I").
    int CountCommands(const std::string& commandStart) const;

    const CServerProcess& Process() const { return m_process; }

private:
    CServerProcess m_process;
    int m_port = 0;
};

// ftp_faults_server.py: one mode per server (see the script for the modes
// and their options).
class CScriptedFtpServer
{
public:
    bool Start(const std::vector<std::string>& modeAndOptions);
    void Stop() { m_process.Stop(); }
    int Port() const { return m_port; }
    std::string Log() const { return m_process.Log(); }

private:
    CServerProcess m_process;
    int m_port = 0;
};
