#include "platform/core/RunProgram.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace
{
int ResultOf(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return kProgramKilled;
}

int Reap(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
    {
        if (errno != EINTR)
            return kProgramKilled;
    }
    return ResultOf(status);
}
} // namespace

int RunProgramAndWait(const std::vector<std::string>& argv, std::chrono::milliseconds bound)
{
    if (argv.empty() || argv[0].empty())
        return kProgramNotStarted;
    std::vector<char*> arguments;
    for (const std::string& argument : argv)
        arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    if (::posix_spawn_file_actions_init(&actions) != 0)
        return kProgramNotStarted;
    ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    ::posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int started = ::posix_spawnp(&pid, arguments[0], &actions, nullptr, arguments.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    if (started != 0)
        return kProgramNotStarted;

    // A process descriptor becomes readable when the child ends, so the wait
    // needs no polling. Without one (an old kernel) the wait is unbounded.
    const int pidFd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (pidFd < 0)
        return Reap(pid);
    const auto deadline = std::chrono::steady_clock::now() + bound;
    for (;;)
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd waiting{pidFd, POLLIN, 0};
        const int ready = left.count() > 0 ? ::poll(&waiting, 1, static_cast<int>(left.count())) : 0;
        if (ready < 0 && errno == EINTR)
            continue;
        ::close(pidFd);
        if (ready > 0)
            return Reap(pid);
        ::kill(pid, SIGKILL);
        Reap(pid);
        return kProgramTimedOut;
    }
}
