#include "tests/servers/ServerProcess.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace
{

using Clock = std::chrono::steady_clock;

// How much of the server's log a failure message shows.
constexpr std::size_t kLogTail = 2000;

sockaddr_in Loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// One connection attempt to 127.0.0.1:port, waiting at most `wait`.
bool Accepts(int port, std::chrono::milliseconds wait)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in address = Loopback(port);
    bool ok = false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        ok = true;
    else if (errno == EINPROGRESS)
    {
        pollfd entry{fd, POLLOUT, 0};
        if (::poll(&entry, 1, static_cast<int>(wait.count())) == 1)
        {
            int error = 0;
            socklen_t length = sizeof error;
            ok = ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
        }
    }
    ::close(fd);
    return ok;
}

// Waits up to `wait` for the child to change state, returning early when it
// exits; a pidfd makes that wait end the moment the child goes.
void WaitForChild(pid_t pid, std::chrono::milliseconds wait)
{
    int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (pidfd >= 0)
    {
        pollfd entry{pidfd, POLLIN, 0};
        ::poll(&entry, 1, static_cast<int>(wait.count()));
        ::close(pidfd);
        return;
    }
    ::poll(nullptr, 0, static_cast<int>(wait.count()));
}

std::string Tail(const std::string& text)
{
    return text.size() <= kLogTail ? text : "..." + text.substr(text.size() - kLogTail);
}

} // namespace

int FreeTcpPort()
{
    const CDeadTcpPort bound;
    return bound.Port();
}

CDeadTcpPort::CDeadTcpPort()
{
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0)
        return;
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    if (::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        m_port = ntohs(address.sin_port);
}

CDeadTcpPort::~CDeadTcpPort()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

CServerProcess::~CServerProcess()
{
    Stop();
}

bool CServerProcess::Start(const std::vector<std::string>& argv, int readyPort,
                           std::chrono::milliseconds readyTimeout)
{
    Stop();
    if (argv.empty() || m_folder.Path().empty())
    {
        ADD_FAILURE() << "server start: no program or no temporary folder";
        return false;
    }
    const std::string& program = argv[0];
    if (::access(program.c_str(), X_OK) != 0)
    {
        ADD_FAILURE() << "server program missing or not executable: " << program;
        return false;
    }

    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);

    const std::string logPath = m_folder / "server.log";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn_file_actions_addchdir_np(&actions, m_folder.Path().c_str());

    // Its own process group, so Stop reaches helpers the server forks
    // (worker processes) as well.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGTERM);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    pid_t pid = -1;
    int error = ::posix_spawn(&pid, program.c_str(), &actions, &attributes, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0)
    {
        ADD_FAILURE() << "could not start " << program << ": " << std::strerror(error);
        return false;
    }
    m_pid = pid;

    const auto deadline = Clock::now() + readyTimeout;
    while (true)
    {
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid)
        {
            m_pid = -1;
            ADD_FAILURE() << program << " exited before it was ready (status " << status << "); log:\n"
                          << Tail(Log());
            return false;
        }
        // Ready only when our child is still there: another program may
        // have taken the port between FreeTcpPort and the child's bind.
        if (Accepts(readyPort, std::chrono::milliseconds(200)) && IsRunning())
            return true;
        if (Clock::now() >= deadline)
            break;
        WaitForChild(m_pid, std::chrono::milliseconds(25));
    }
    ADD_FAILURE() << program << " did not accept connections on 127.0.0.1:" << readyPort << " within "
                  << readyTimeout.count() << " ms; log:\n"
                  << Tail(Log());
    Stop();
    return false;
}

void CServerProcess::Stop()
{
    if (m_pid <= 0)
        return;
    ::kill(-m_pid, SIGTERM);
    ::kill(m_pid, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    int status = 0;
    while (Clock::now() < deadline)
    {
        pid_t reaped = ::waitpid(m_pid, &status, WNOHANG);
        if (reaped == m_pid || (reaped < 0 && errno == ECHILD))
        {
            // The group may still hold helpers that ignored SIGTERM.
            ::kill(-m_pid, SIGKILL);
            m_pid = -1;
            return;
        }
        WaitForChild(m_pid, std::chrono::milliseconds(50));
    }
    ::kill(-m_pid, SIGKILL);
    ::kill(m_pid, SIGKILL);
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR)
    {
    }
    m_pid = -1;
}

bool CServerProcess::IsRunning() const
{
    if (m_pid <= 0)
        return false;
    // WNOWAIT looks without reaping, so Stop still collects the child.
    siginfo_t info{};
    if (::waitid(P_PID, static_cast<id_t>(m_pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
        return false;
    return info.si_pid == 0;
}

std::string CServerProcess::Log() const
{
    std::ifstream in(m_folder / "server.log", std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}
