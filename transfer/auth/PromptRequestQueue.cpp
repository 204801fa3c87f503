#include "transfer/auth/PromptRequestQueue.h"

#include "foundation/desktop/ShellHooks.h"

#include <algorithm>

namespace
{

// The worker notification that tells the main window a credential request
// waits.
constexpr int kNotifyCredentialRequest = 3;

std::mutex g_queueMutex;
std::unique_ptr<CPromptRequestQueue> g_queue;

} // namespace

CPromptRequestQueue::CPromptRequestQueue(std::chrono::milliseconds timeout, std::chrono::milliseconds slice)
    : m_timeout(timeout), m_slice(slice.count() > 0 ? slice : std::chrono::milliseconds(1))
{
}

CPromptRequestQueue::~CPromptRequestQueue()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_closing = true;
    for (auto& request : m_requests)
        request->m_cancelled = 1;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_waiters == 0; });
}

bool CPromptRequestQueue::IsRunningUnlocked(std::unique_lock<std::mutex>& lock)
{
    lock.unlock();
    const bool running = IsRunning();
    lock.lock();
    return running;
}

void CPromptRequestQueue::Remove(const CPromptRequest* request)
{
    auto found =
        std::find_if(m_requests.begin(), m_requests.end(),
                     [request](const std::unique_ptr<CPromptRequest>& r) { return r.get() == request; });
    if (found != m_requests.end())
        m_requests.erase(found);
}

int CPromptRequestQueue::PostAndWait(std::atomic<int>& id, std::string& user, std::string& password,
                                     const std::string& prompt, const std::atomic<int>* abortFlag,
                                     bool* unanswered)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (unanswered)
        *unanswered = false;
    if (m_closing)
    {
        id.store(0);
        return 0;
    }
    auto owned = std::make_unique<CPromptRequest>();
    CPromptRequest* request = owned.get();
    request->m_id = m_nextId++;
    request->m_user = user;
    request->m_password = password;
    request->m_prompt = prompt;
    m_requests.push_back(std::move(owned));
    ++m_waiters;
    // Published after the request is listed, so a Cancel that reads this id
    // finds it; the abort flag is read only after this store (see the header).
    id.store(request->m_id);

    auto woken = [&] {
        return request->m_answered || request->m_cancelled || m_closing ||
               (abortFlag && abortFlag->load() != 0);
    };

    // Tells the owner (the main window) that a question waits.
    bool running = IsRunningUnlocked(lock);
    bool signalled = woken();
    const auto start = std::chrono::steady_clock::now();
    while (!signalled && running)
    {
        signalled = m_changed.wait_for(lock, m_slice, woken);
        if (signalled || std::chrono::steady_clock::now() - start > m_timeout)
            break;
        // Nobody answered in this slice: ask again whether anybody can,
        // which repeats the notice.
        running = IsRunningUnlocked(lock);
        signalled = woken();
    }

    int result = 0;
    if (unanswered)
        *unanswered = !signalled;
    if (signalled)
    {
        // Answered, dismissed or cancelled: the caller gets the request's
        // strings either way; only a real answer counts as success.
        user = request->m_user;
        password = request->m_password;
        result = (request->m_answered && !request->m_cancelled) ? 1 : 0;
    }
    Remove(request);
    id.store(0);
    --m_waiters;
    m_changed.notify_all();
    return result;
}

void CPromptRequestQueue::Cancel(int id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto& request : m_requests)
    {
        if (request->m_id == id && !request->m_cancelled)
        {
            request->m_cancelled = 1;
            m_changed.notify_all();
            return;
        }
    }
}

int CPromptRequestQueue::GetPending(CPromptRequest& request)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& waiting : m_requests)
    {
        if (!waiting->m_cancelled && !waiting->m_answered)
        {
            request = *waiting;
            return 1;
        }
    }
    return 0;
}

int CPromptRequestQueue::Answer(const CPromptRequest& answer)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto& request : m_requests)
    {
        if (request->m_id != answer.m_id)
            continue;
        if (request->m_cancelled)
            return 0;
        request->m_cancelled = answer.m_cancelled;
        request->m_answered = 1;
        request->m_user = answer.m_user;
        request->m_password = answer.m_password;
        m_changed.notify_all();
        return 1;
    }
    return 0;
}

void CPromptRequestQueue::SetOwner(OwnerCallback callback, int argument)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_owner = callback;
    m_ownerArgument = argument;
}

bool CPromptRequestQueue::IsRunning()
{
    OwnerCallback owner;
    int argument;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_owner)
            return m_running;
        owner = m_owner;
        argument = m_ownerArgument;
    }
    return owner(argument) != 0;
}

void CPromptRequestQueue::SetRunning(bool running)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_running = running;
}

CPromptRequestQueue& GetPromptQueue()
{
    std::lock_guard<std::mutex> lock(g_queueMutex);
    if (!g_queue)
    {
        g_queue = std::make_unique<CPromptRequestQueue>();
        g_queue->SetOwner(&NotifyMainFrame, kNotifyCredentialRequest);
    }
    return *g_queue;
}

void DestroyPromptQueue()
{
    std::unique_ptr<CPromptRequestQueue> queue;
    {
        std::lock_guard<std::mutex> lock(g_queueMutex);
        queue = std::move(g_queue);
    }
    // Deleted outside the getter's lock: the destructor waits for workers.
}
