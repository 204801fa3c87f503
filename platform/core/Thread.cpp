#include "platform/core/Thread.h"

#include "platform/core/MutexLifetime.h"

#include <cerrno>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <system_error>
#include <unistd.h>

namespace
{
// Nice values: 19 is the lowest the system offers.
constexpr int kNiceLowest = 19;
constexpr int kNiceBelowNormal = 10;

pid_t CurrentThreadId()
{
    return static_cast<pid_t>(::syscall(SYS_gettid));
}
} // namespace

bool SetCurrentThreadPriority(int priority)
{
    int targetNice;
    if (priority <= THREAD_PRIORITY_LOWEST)
        targetNice = kNiceLowest;
    else if (priority == THREAD_PRIORITY_BELOW_NORMAL)
        targetNice = kNiceBelowNormal;
    else
        return true;

    const id_t tid = static_cast<id_t>(CurrentThreadId());
    errno = 0;
    const int current = ::getpriority(PRIO_PROCESS, tid);
    // A thread that already runs lower (inherited from a low creator) stays
    // there: asking for a higher level would only be refused.
    if (errno == 0 && current >= targetNice)
        return true;
    return ::setpriority(PRIO_PROCESS, tid, targetNice) == 0;
}

CThread::~CThread()
{
    Join();
    // A thread destroying its own holder cannot join itself; detaching keeps
    // std::thread's destructor from ending the process.
    if (m_thread.joinable())
        m_thread.detach();
    ForgetDestroyedMutex(&m_startMutex);
}

bool CThread::Start(std::function<void()> body, int priority)
{
    if (m_thread.joinable() || !body)
        return false;
    std::lock_guard<std::mutex> starting(m_startMutex);
    try
    {
        m_thread = std::thread([this, body = std::move(body), priority]() {
            {
                std::lock_guard<std::mutex> started(m_startMutex);
            }
            SetCurrentThreadPriority(priority);
            body();
        });
    }
    catch (const std::system_error&)
    {
        return false;
    }
    return true;
}

void CThread::Join()
{
    if (m_thread.joinable() && !IsCurrentThread())
        m_thread.join();
}
