#pragma once
// Threads of the program: a std::thread whose body first lowers the priority
// of its own thread, best effort. The program's background threads run at the
// lowest priority so that the desktop stays responsive while a site is
// checked or copied.
//
// A CThread is always joined by its owner: Join before the object goes away.
// The destructor joins as a last resort (it never lets a joinable std::thread
// be destroyed, which would end the process), but an owner must not rely on
// it: a destructor that blocks hides the real ownership.

#include <functional>
#include <mutex>
#include <thread>

// Thread priorities with the values the program stores and passes around.
// Only lowering is done (raising needs privileges the program does not have);
// normal and above leave the thread at the priority it inherited.
constexpr int THREAD_PRIORITY_IDLE = -15;
constexpr int THREAD_PRIORITY_LOWEST = -2;
constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
constexpr int THREAD_PRIORITY_HIGHEST = 2;

// Lowers the calling thread's scheduling priority (its nice value on Linux,
// set on the thread's own id so that only this thread changes) to the level
// that corresponds to `priority`. Best effort: returns false when the system
// refused, true when the priority is set or nothing needed to be done.
bool SetCurrentThreadPriority(int priority);

class CThread
{
public:
    CThread() = default;
    ~CThread();
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;

    // Starts a new thread that first calls SetCurrentThreadPriority(priority)
    // and then runs `body`. Returns false (and runs nothing) when this object
    // still holds a thread that has not been joined, when `body` is empty, or
    // when the system could not create a thread.
    bool Start(std::function<void()> body, int priority = THREAD_PRIORITY_LOWEST);

    // Waits for the thread to end and lets it go. Does nothing when no thread
    // is held, or when called on the thread itself (a thread cannot join
    // itself; the owner joins it later).
    void Join();

    // Whether a started thread is held and not yet joined (it may already
    // have finished its body).
    bool IsJoinable() const { return m_thread.joinable(); }

    // Whether the caller is the thread this object holds.
    bool IsCurrentThread() const { return m_thread.get_id() == std::this_thread::get_id(); }

private:
    std::thread m_thread;
    // Held while Start stores the new thread; the new thread takes it once
    // before its body, so the body sees m_thread complete (IsCurrentThread).
    std::mutex m_startMutex;
};
