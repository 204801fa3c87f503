#include "tests/servers/ProxyServers.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <mutex>

#include "platform/core/Socket.h"
#include "platform/core/Text.h"

extern char** environ;

namespace
{

const char kPython[] = "/usr/bin/python3";
const char kTinyproxy[] = "/usr/bin/tinyproxy";
const char kMicrosocks[] = "/usr/bin/microsocks";
const char kDanted[] = "/usr/sbin/danted";
const char kUseradd[] = "/usr/sbin/useradd";
const char kChpasswd[] = "/usr/sbin/chpasswd";

const char kDanteUser[] = "twproxytest";
const char kDantePassword[] = "Tw-proxy-Pass-7";
// Serialises account changes between test programs running side by side.
const char kUserLockFile[] = "/tmp/tw-proxy-test-user.lock";

constexpr int kReportTimeoutMs = 10000;
constexpr size_t kReportLimit = 1 << 20;

// Runs argv, its standard input fed from input, and gives its exit status
// (-1 when it could not be started or did not exit normally).
int RunProgram(const std::vector<std::string>& argv, const std::string& input)
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return -1;
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[0], 0);
    pid_t pid = -1;
    const int error = ::posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[0]);
    if (error != 0)
    {
        ::close(pipeFds[1]);
        return -1;
    }
    size_t written = 0;
    while (written < input.size())
    {
        const ssize_t n = ::write(pipeFds[1], input.data() + written, input.size() - written);
        if (n <= 0 && errno != EINTR)
            break;
        if (n > 0)
            written += static_cast<size_t>(n);
    }
    ::close(pipeFds[1]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
    {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool UserExists(const char* name)
{
    return ::getpwnam(name) != nullptr;
}

// Creates the account when missing and sets its password, under a file lock
// so that two test programs never edit the account files at once.
bool CreateTestUserAsRoot()
{
    const int lockFd = ::open(kUserLockFile, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd < 0 || ::flock(lockFd, LOCK_EX) != 0)
    {
        ADD_FAILURE() << "cannot lock " << kUserLockFile << " to set up the dante test user";
        if (lockFd >= 0)
            ::close(lockFd);
        return false;
    }
    bool ok = true;
    if (!UserExists(kDanteUser))
    {
        const int status =
            RunProgram({kUseradd, "-M", "-N", "-s", "/usr/sbin/nologin", kDanteUser}, std::string());
        if (status != 0 || !UserExists(kDanteUser))
        {
            ADD_FAILURE() << "useradd could not create the dante test user " << kDanteUser << " (status "
                          << status << ")";
            ok = false;
        }
    }
    if (ok)
    {
        const int status = RunProgram({kChpasswd}, std::string(kDanteUser) + ":" + kDantePassword + "\n");
        if (status != 0)
        {
            ADD_FAILURE() << "chpasswd could not set the password of the dante test user " << kDanteUser
                          << " (status " << status << ")";
            ok = false;
        }
    }
    ::flock(lockFd, LOCK_UN);
    ::close(lockFd);
    return ok;
}

} // namespace

std::string HexOf(const std::string& bytes)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes)
    {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 0x0F];
    }
    return hex;
}

bool CProxyServerBase::StartProcess(const std::vector<std::string>& argv)
{
    return m_process.Start(argv, m_port);
}

bool CProxyServerBase::WriteConfig(const std::string& name, const std::string& text, std::string& path)
{
    path = m_process.Folder() / name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out)
    {
        ADD_FAILURE() << "cannot write " << path;
        return false;
    }
    return true;
}

bool CTcpModesServer::Start(const std::string& mode)
{
    m_port = FreeTcpPort();
    return StartProcess({kPython, TW_SERVERS_DIR "/tcp_modes_server.py", std::to_string(m_port), mode});
}

bool CTinyproxyServer::Start(const std::vector<int>& connectPorts)
{
    m_port = FreeTcpPort();
    std::string config = Format("Port %d\n"
                                "Listen 127.0.0.1\n"
                                "Timeout 60\n"
                                "MaxClients 32\n"
                                "LogLevel Info\n"
                                "Allow 127.0.0.1\n"
                                "DisableViaHeader Yes\n",
                                m_port);
    for (int port : connectPorts)
        config += Format("ConnectPort %d\n", port);
    std::string path;
    if (!WriteConfig("tinyproxy.conf", config, path))
        return false;
    // -d: stays in the foreground and logs to the server log.
    return StartProcess({kTinyproxy, "-d", "-c", path});
}

bool CMicrosocksServer::Start(const std::string& user, const std::string& password)
{
    m_port = FreeTcpPort();
    std::vector<std::string> argv = {kMicrosocks, "-i", "127.0.0.1", "-p", std::to_string(m_port)};
    if (!user.empty())
    {
        argv.insert(argv.end(), {"-u", user, "-P", password});
    }
    return StartProcess(argv);
}

const char* CDanteServer::TestUser()
{
    return kDanteUser;
}

const char* CDanteServer::TestPassword()
{
    return kDantePassword;
}

bool CDanteServer::EnsureTestUser()
{
    if (::geteuid() != 0)
    {
        if (UserExists(kDanteUser))
            return true;
        ADD_FAILURE()
            << "the dante user/password test needs the system account " << kDanteUser << " with the password "
            << kDantePassword
            << "; run the tests as root once (the fixture creates it), or create it: useradd -M -N -s "
               "/usr/sbin/nologin "
            << kDanteUser << " && echo '" << kDanteUser << ":" << kDantePassword << "' | chpasswd";
        return false;
    }
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] { ready = CreateTestUserAsRoot(); });
    if (!ready)
        ADD_FAILURE() << "the dante test user " << kDanteUser << " could not be set up";
    return ready;
}

bool CDanteServer::Start(bool userPassword)
{
    if (userPassword && !EnsureTestUser())
        return false;
    m_port = FreeTcpPort();
    std::string config = Format("logoutput: stderr\n"
                                "internal: 127.0.0.1 port = %d\n"
                                "external: 127.0.0.1\n"
                                "clientmethod: none\n"
                                "socksmethod: %s\n",
                                m_port, userPassword ? "username" : "none");
    // Reading the shadow passwords takes root; without it danted runs as the
    // current user throughout.
    if (::geteuid() == 0)
        config += "user.privileged: root\nuser.unprivileged: nobody\n";
    config += "client pass {\n"
              "  from: 127.0.0.0/8 to: 0.0.0.0/0\n"
              "}\n"
              "socks pass {\n"
              "  from: 127.0.0.0/8 to: 0.0.0.0/0\n"
              "  command: connect\n"
              "}\n";
    std::string path;
    if (!WriteConfig("danted.conf", config, path))
        return false;
    return StartProcess({kDanted, "-f", path, "-p", m_process.Folder() / "danted.pid"});
}

bool CScriptedProxy::Start(const std::vector<std::string>& modeAndOptions)
{
    m_port = FreeTcpPort();
    std::vector<std::string> argv = {kPython, TW_SERVERS_DIR "/proxy_script.py", std::to_string(m_port)};
    argv.insert(argv.end(), modeAndOptions.begin(), modeAndOptions.end());
    return StartProcess(argv);
}

std::string CScriptedProxy::ReportHandshakeHex()
{
    int error = 0;
    std::shared_ptr<CSocket> socket = CSocket::Create(&error);
    if (!socket || !socket->Connect(htonl(INADDR_LOOPBACK), m_port, kReportTimeoutMs, &error))
    {
        ADD_FAILURE() << "cannot reach the scripted proxy for its report (error " << error << ")";
        return std::string();
    }
    const std::string request = "REPORT\n";
    if (socket->Send(request.data(), request.size(), 0, kReportTimeoutMs, &error) < 0)
    {
        ADD_FAILURE() << "cannot ask the scripted proxy for its report (error " << error << ")";
        return std::string();
    }
    std::string answer;
    while (answer.size() < kReportLimit && answer.find('\n') == std::string::npos)
    {
        char buffer[4096];
        const long n = socket->Recv(buffer, sizeof buffer, 0, kReportTimeoutMs, &error);
        if (n <= 0)
            break;
        answer.append(buffer, static_cast<size_t>(n));
    }
    const size_t end = answer.find('\n');
    if (end == std::string::npos)
    {
        ADD_FAILURE() << "the scripted proxy sent no report; log:\n" << Log();
        return std::string();
    }
    return answer.substr(0, end);
}
