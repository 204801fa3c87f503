#include "BenchProcess.h"

#include <arpa/inet.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <cstring>
#include <fstream>
#include <linux/perf_event.h>
#include <map>
#include <sstream>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

fs::path MakeScratchFolder(const std::string& prefix)
{
    std::string pattern = "/dev/shm/" + prefix + "-XXXXXX";
    if (!::mkdtemp(pattern.data()))
    {
        pattern = "/tmp/" + prefix + "-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            return {};
    }
    fs::permissions(pattern, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
    return pattern;
}

int FreePort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

bool Accepts(const char* host, int port)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    ::inet_pton(AF_INET, host, &address.sin_addr);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

bool AwaitListening(const char* host, int port)
{
    for (int attempt = 0; attempt < 200 && !Accepts(host, port); ++attempt)
        ::poll(nullptr, 0, 25);
    return Accepts(host, port);
}

pid_t Spawn(const std::vector<std::string>& argv, const std::string& log)
{
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    if (::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void EndChild(pid_t pid)
{
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR)
    {
    }
}

long ProcStatusKb(const std::string& file, const char* field)
{
    std::ifstream in(file);
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(in, line))
        if (line.compare(0, prefix.size(), prefix) == 0)
            return std::atol(line.c_str() + prefix.size());
    return 0;
}

pid_t StartNginx(const fs::path& folder, const std::string& http)
{
    const std::string root = folder.string();
    fs::create_directories(folder / "temp");
    std::string config = "error_log " + root + "/error.log warn;\npid " + root +
                         "/nginx.pid;\nworker_processes 4;\n"
                         "events {\n    worker_connections 1024;\n}\nhttp {\n";
    for (const char* kind : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"})
        config += std::string("    ") + kind + "_temp_path " + root + "/temp/" + kind + ";\n";
    config += http + "}\n";
    std::ofstream(folder / "nginx.conf") << config;
    return Spawn({"/usr/sbin/nginx", "-p", root + "/", "-c", root + "/nginx.conf", "-e", root + "/error.log", "-g",
                  "daemon off;"},
                 root + "/nginx.out");
}

namespace
{
// A counter of the instructions pid and the threads it starts afterwards
// retire; -1 when perf events are not available. Opened while the process
// is stopped right after its exec, so nothing of ours is counted.
int OpenInstructionCounter(pid_t pid)
{
    perf_event_attr attr;
    std::memset(&attr, 0, sizeof attr);
    attr.size = sizeof attr;
    attr.type = PERF_TYPE_HARDWARE;
    attr.config = PERF_COUNT_HW_INSTRUCTIONS;
    attr.inherit = 1;
    for (int excludeKernel : {0, 1})
    {
        attr.exclude_kernel = static_cast<uint64_t>(excludeKernel);
        const long fd = ::syscall(SYS_perf_event_open, &attr, pid, -1, -1, PERF_FLAG_FD_CLOEXEC);
        if (fd >= 0)
            return static_cast<int>(fd);
    }
    return -1;
}
} // namespace

// Each process runs under ptrace that stops it once at its exit
// (PTRACE_O_TRACEEXIT) to read its VmHWM while its memory still exists. The
// ru_maxrss of wait4 cannot be used for the peak: the kernel carries the
// peak of the memory a process had before exec into it, which for a child
// forked from this process is this process's whole resident set.
CRunFigures RunProcesses(std::vector<std::vector<std::string>> commands, pid_t server,
                         const std::vector<int>& acceptedCodes)
{
    using Clock = std::chrono::steady_clock;
    CRunFigures figures;
    std::map<pid_t, bool> running; // pid -> options set after its first stop
    std::map<pid_t, int> counters;  // pid -> its instruction counter
    bool counted = true;
    const Clock::time_point start = Clock::now();
    // TW_BENCH_WRAP="valgrind --tool=callgrind ..." runs every side under a
    // tool, for counts where the processor has no counters to read.
    std::vector<std::string> wrapper;
    if (const char* wrap = std::getenv("TW_BENCH_WRAP"))
    {
        std::istringstream words(wrap);
        for (std::string word; words >> word;)
            wrapper.push_back(word);
    }
    for (std::vector<std::string>& argv : commands)
    {
        argv.insert(argv.begin(), wrapper.begin(), wrapper.end());
        std::vector<char*> args;
        for (std::string& arg : argv)
            args.push_back(arg.data());
        args.push_back(nullptr);
        const pid_t pid = ::fork();
        if (pid == 0)
        {
            // Only async-signal-safe calls between fork and exec.
            ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
            ::execv(args[0], args.data());
            ::_exit(127);
        }
        if (pid > 0)
            running[pid] = false;
        else
            ++figures.m_failedProcesses;
    }
    // Stops: the one after exec, the exit stop, and signal deliveries, of
    // which a tool gets few; bounded all the same.
    for (int stop = 0; !running.empty() && stop < 1000000; ++stop)
    {
        siginfo_t info{};
        // Looked at first, not reaped: nginx is a child of this process as
        // well, and is only reaped here if it died.
        if (::waitid(P_ALL, 0, &info, WEXITED | WSTOPPED | WNOWAIT) != 0)
        {
            if (errno == EINTR)
                continue;
            break;
        }
        const pid_t pid = info.si_pid;
        int status = 0;
        rusage usage{};
        if (::wait4(pid, &status, 0, &usage) != pid)
            continue;
        const auto found = running.find(pid);
        if (found == running.end())
        {
            if (pid == server && (WIFEXITED(status) || WIFSIGNALED(status)))
                ++figures.m_failedProcesses;
            continue;
        }
        if (WIFEXITED(status) || WIFSIGNALED(status))
        {
            const bool accepted =
                WIFEXITED(status) &&
                (WEXITSTATUS(status) == 0 || std::find(acceptedCodes.begin(), acceptedCodes.end(),
                                                       WEXITSTATUS(status)) != acceptedCodes.end());
            if (!accepted)
                ++figures.m_failedProcesses;
            // Read after the reap: an inherited counter holds the threads'
            // counts once they have all exited.
            const auto counter = counters.find(pid);
            uint64_t instructions = 0;
            if (counter == counters.end() || ::read(counter->second, &instructions, sizeof instructions) !=
                                                 static_cast<ssize_t>(sizeof instructions))
                counted = false;
            else
                figures.m_instructions = std::max(0.0, figures.m_instructions) + double(instructions);
            if (counter != counters.end())
            {
                ::close(counter->second);
                counters.erase(counter);
            }
            figures.m_cpuSeconds += double(usage.ru_utime.tv_sec) + double(usage.ru_stime.tv_sec) +
                                    (double(usage.ru_utime.tv_usec) + double(usage.ru_stime.tv_usec)) / 1e6;
            running.erase(found);
            continue;
        }
        int signal = 0;
        if (!found->second)
        {
            // TRACEEXEC: a wrapper's exec of the real program stops it with
            // an event instead of a SIGTRAP that would end it.
            ::ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACEEXIT | PTRACE_O_EXITKILL | PTRACE_O_TRACEEXEC);
            found->second = true;
            const int counter = OpenInstructionCounter(pid);
            if (counter >= 0)
                counters[pid] = counter;
        }
        else if (status >> 8 == (SIGTRAP | (PTRACE_EVENT_EXIT << 8)))
            figures.m_peakKb += ProcStatusKb("/proc/" + std::to_string(pid) + "/status", "VmHWM");
        else if (status >> 8 == (SIGTRAP | (PTRACE_EVENT_EXEC << 8)))
            signal = 0;
        else
            signal = WSTOPSIG(status);
        ::ptrace(PTRACE_CONT, pid, nullptr, reinterpret_cast<void*>(static_cast<long>(signal)));
    }
    for (const auto& [pid, counter] : counters)
        ::close(counter);
    if (!counted)
        figures.m_instructions = -1;
    figures.m_seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return figures;
}
