#include "tests/servers/FtpServer.h"

#include "tests/servers/ProxyServers.h"
#include "tests/support/FileContents.h"

#include <algorithm>
#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const char kVsftpd[] = "/usr/sbin/vsftpd";
const char kPython[] = "/usr/bin/python3";

// The passive ports of one server: a free port and the ones after it. vsftpd
// picks among them and tries another when one is taken.
constexpr int kPassivePortSpan = 40;

// mkdir -p below an existing folder, every part readable and searchable by
// all, as the server's session users (ftp, the guest) are not root.
bool MakeFolders(const std::string& path)
{
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1))
    {
        const std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            return true;
    }
}

} // namespace

bool CVsftpdServer::Start(const Options& options)
{
    const bool root = ::geteuid() == 0;
    if (options.m_localLogins)
    {
        if (!root)
        {
            ADD_FAILURE() << "vsftpd local logins need the tests to run as root";
            return false;
        }
        if (!CDanteServer::EnsureTestUser())
            return false;
    }
    const std::string folder = m_process.Folder().Path();
    // The sessions run as other users, which must reach the roots.
    if (::chmod(folder.c_str(), 0755) != 0 || !MakeFolders(AnonRoot()) || !MakeFolders(LocalRoot()) ||
        !MakeFolders(folder + "/empty"))
    {
        ADD_FAILURE() << "cannot prepare the vsftpd folders in " << folder;
        return false;
    }

    m_port = FreeTcpPort();
    const int passiveLow = FreeTcpPort();
    const int passiveHigh = std::min(passiveLow + kPassivePortSpan, 65535);
    std::string config = "listen=YES\n"
                         "listen_ipv6=NO\n"
                         "listen_address=127.0.0.1\n"
                         "listen_port=" +
                         std::to_string(m_port) +
                         "\n"
                         "background=NO\n"
                         "seccomp_sandbox=NO\n"
                         "anonymous_enable=YES\n"
                         "anon_root=" +
                         AnonRoot() +
                         "\n"
                         "write_enable=NO\n"
                         "pasv_enable=YES\n"
                         "pasv_min_port=" +
                         std::to_string(passiveLow) + "\npasv_max_port=" + std::to_string(passiveHigh) +
                         "\n"
                         "port_enable=YES\n"
                         "connect_from_port_20=NO\n"
                         "secure_chroot_dir=" +
                         folder +
                         "/empty\n"
                         "xferlog_enable=YES\n"
                         "xferlog_std_format=NO\n"
                         "log_ftp_protocol=YES\n"
                         "delay_failed_login=0\n"
                         "vsftpd_log_file=" +
                         folder + "/vsftpd.log\n";
    if (options.m_localLogins)
    {
        // The account has no home folder; as a guest it lands in the local
        // root. PAM's "other" service checks the password without the shell
        // check of vsftpd's own service (the account has no login shell).
        config += "local_enable=YES\n"
                  "guest_enable=YES\n"
                  "guest_username=ftp\n"
                  "pam_service_name=other\n"
                  "local_root=" +
                  LocalRoot() + "\n";
    }
    else
        config += "local_enable=NO\n";
    if (options.m_asciiDownloads)
        config += "ascii_download_enable=YES\n";
    if (!root)
        config += "run_as_launching_user=YES\n";

    const std::string path = folder + "/vsftpd.conf";
    WriteWhole(path, config);
    if (ReadWhole(path) != config)
    {
        ADD_FAILURE() << "cannot write " << path;
        return false;
    }
    return m_process.Start({kVsftpd, path}, m_port);
}

bool CVsftpdServer::WriteFile(const std::string& root, const std::string& relativePath,
                              const std::string& content)
{
    const std::string path = root + "/" + relativePath;
    if (!MakeFolders(path.substr(0, path.rfind('/'))))
    {
        ADD_FAILURE() << "cannot make the folder of " << path;
        return false;
    }
    WriteWhole(path, content);
    if (ReadWhole(path) != content || ::chmod(path.c_str(), 0644) != 0)
    {
        ADD_FAILURE() << "cannot write " << path;
        return false;
    }
    return true;
}

std::string CVsftpdServer::ProtocolLog() const
{
    return ReadWhole(m_process.Folder() / "vsftpd.log");
}

int CVsftpdServer::CountCommands(const std::string& commandStart) const
{
    const std::string log = ProtocolLog();
    const std::string needle = "FTP command: Client \"127.0.0.1\", \"" + commandStart;
    int count = 0;
    for (size_t at = log.find(needle); at != std::string::npos; at = log.find(needle, at + 1))
        ++count;
    return count;
}

bool CScriptedFtpServer::Start(const std::vector<std::string>& modeAndOptions)
{
    m_port = FreeTcpPort();
    std::vector<std::string> argv = {kPython, TW_SERVERS_DIR "/ftp_faults_server.py", std::to_string(m_port)};
    argv.insert(argv.end(), modeAndOptions.begin(), modeAndOptions.end());
    return m_process.Start(argv, m_port);
}
