#pragma once
// The credential prompt queue: a protocol client on a pool thread that needs
// a user name and password cannot show a dialog, so it queues a question here
// and blocks; the user interface is told that a question waits (the owner
// callback), fetches it with GetPending, asks the user and answers it.
//
// Worker side: PostAndWait, Cancel. UI side: GetPending, Answer. The queue's
// lock guards the requests and their flags; a worker waits with it released
// and is woken at once by an answer, a cancel, a raised abort flag or the
// queue's destruction. The owner callback is called without the lock held.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// One waiting question, or the UI's copy of it.
struct CPromptRequest
{
    int m_reserved = 0;
    int m_id = 0;
    // Set by Cancel, or by an Answer whose record has it set (the user
    // dismissed the prompt).
    int m_cancelled = 0;
    int m_answered = 0;
    std::string m_user;
    std::string m_password;
    std::string m_prompt;
};

// How long a worker waits for an answer, and how often it asks the owner
// callback whether anybody can still answer (which also repeats the notice).
inline constexpr std::chrono::milliseconds kPromptTimeout{60000};
inline constexpr std::chrono::milliseconds kPromptSlice{1000};

// The first id a queue hands out.
inline constexpr int kFirstPromptId = 500;

class CPromptRequestQueue
{
public:
    // The owner callback: called with its argument, answers 0 when nobody can
    // answer a credential request (no main window to tell).
    using OwnerCallback = int (*)(int argument);

    explicit CPromptRequestQueue(std::chrono::milliseconds timeout = kPromptTimeout,
                                 std::chrono::milliseconds slice = kPromptSlice);
    // Cancels every waiting request and waits until each waiting worker has
    // woken and left PostAndWait, so deleting the queue never strands one.
    ~CPromptRequestQueue();
    CPromptRequestQueue(const CPromptRequestQueue&) = delete;
    CPromptRequestQueue& operator=(const CPromptRequestQueue&) = delete;

    // Worker side: queues a question (prompt text, with the user name and
    // password to offer) and blocks until it is answered, cancelled, times
    // out or nobody can answer. The request's id is stored in id while it
    // waits, so another thread may withdraw it with Cancel(id), and id is 0
    // again on return. Returns 1 when answered (user and password then hold
    // the answer), else 0. A cancelled request also overwrites user and
    // password with the request's strings (as posted, or as answered).
    //
    // abortFlag, when given, is the caller's stop flag: a non-zero value
    // ends the wait like a cancel. A thread that stops the caller sets the
    // flag first and then calls Cancel with the id read from the same
    // variable: whichever order the two threads run in, the worker either
    // sees the flag before it waits or its request is found by the Cancel,
    // so a stop never leaves it waiting for the time-out.
    //
    // unanswered, when given, is set to whether the wait ended because
    // nobody could answer or the time-out passed (rather than an answer, a
    // dismissal, a cancel, an abort or the queue closing).
    int PostAndWait(std::atomic<int>& id, std::string& user, std::string& password, const std::string& prompt,
                    const std::atomic<int>* abortFlag = nullptr, bool* unanswered = nullptr);

    // Flags the first request with that id that is not yet cancelled as
    // cancelled and wakes its worker. Unknown ids (0 among them) do nothing.
    void Cancel(int id);

    // UI side: copies the first request that is neither cancelled nor
    // answered; 1, or 0 when there is none.
    int GetPending(CPromptRequest& request);

    // UI side: answers the request with the record's id, taking the record's
    // cancelled flag, user name and password, and wakes its worker. 0 when no
    // such request waits (never posted, timed out, already gone) or it was
    // cancelled; the request then stays as it is.
    int Answer(const CPromptRequest& request);

    void SetOwner(OwnerCallback callback, int argument);
    // With an owner callback: whether it returns nonzero (called each time).
    // Without one: the running flag.
    bool IsRunning();
    // The running flag that stands for the owner when none is set; 0 at
    // construction.
    void SetRunning(bool running);

private:
    // Calls IsRunning with the lock released for the call.
    bool IsRunningUnlocked(std::unique_lock<std::mutex>& lock);
    // Unlists a request; the lock is held.
    void Remove(const CPromptRequest* request);

    const std::chrono::milliseconds m_timeout;
    const std::chrono::milliseconds m_slice;

    std::mutex m_mutex;
    // Wakes waiting workers (answer, cancel, destruction) and the destructor
    // (a worker left).
    std::condition_variable m_changed;
    std::vector<std::unique_ptr<CPromptRequest>> m_requests;
    int m_nextId = kFirstPromptId;
    OwnerCallback m_owner = nullptr;
    int m_ownerArgument = 0;
    bool m_running = false;
    int m_waiters = 0;
    bool m_closing = false;
};

// The process-wide queue, created on first use with NotifyMainFrame (code 3,
// "a credential request waits") as its owner callback.
CPromptRequestQueue& GetPromptQueue();
// Deletes the process-wide queue (application shutdown); a later
// GetPromptQueue starts a new one.
void DestroyPromptQueue();
