#pragma once
// Waiting until another thread sleeps in the kernel (a blocked poll, recv or
// accept), so a test can act on a call that is really blocked instead of
// guessing with a timed sleep. Linux only: reads /proc/self/task/<tid>/stat.

#include <chrono>
#include <fcntl.h>
#include <string>
#include <sys/syscall.h>
#include <sys/types.h>
#include <thread>
#include <unistd.h>

inline pid_t CurrentThreadId()
{
    return static_cast<pid_t>(::syscall(SYS_gettid));
}

// The state letter of a thread of this process ('R' running, 'S' sleeping...),
// or 0 when the thread is gone.
inline char ThreadState(pid_t tid)
{
    const std::string path = "/proc/self/task/" + std::to_string(tid) + "/stat";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char buffer[512];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    if (n <= 0)
        return 0;
    const std::string stat(buffer, static_cast<size_t>(n));
    // "tid (name) S ...": the name may hold blanks and parentheses, the state
    // follows the last ')'.
    const size_t close = stat.rfind(')');
    if (close == std::string::npos || close + 2 >= stat.size())
        return 0;
    return stat[close + 2];
}

// True once the thread has been seen sleeping on two looks in a row; false
// when it has not within `limit` (or is gone).
inline bool WaitUntilThreadSleeps(pid_t tid, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int sleeping = 0;
    while (std::chrono::steady_clock::now() < deadline)
    {
        const char state = ThreadState(tid);
        if (state == 0)
            return false;
        sleeping = state == 'S' ? sleeping + 1 : 0;
        if (sleeping >= 2)
            return true;
        std::this_thread::yield();
    }
    return false;
}
