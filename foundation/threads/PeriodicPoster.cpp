#include "foundation/threads/PeriodicPoster.h"

#include <algorithm>
#include <atomic>
#include <mutex>

namespace
{
std::atomic<int> g_nextPeriodicPostId{500};

using Clock = std::chrono::steady_clock;
} // namespace

CPeriodicPoster::CPeriodicPoster(std::chrono::milliseconds sweepInterval)
    : m_sweepInterval(sweepInterval), m_wake(false)
{
}

CPeriodicPoster::~CPeriodicPoster()
{
    RemoveAll();
}

int CPeriodicPoster::Add(WindowHandle window, uint32_t message, LPARAM lParam, WPARAM wParam, int periodMs)
{
    CScopedLock lock(m_lock);
    const int id = g_nextPeriodicPostId++;
    m_entries.push_back(
        {window, message, lParam, wParam, std::chrono::milliseconds(periodMs), Clock::now(), id});
    if (m_running)
        return id;

    // A thread that cleared m_running takes the lock no more, so it is joined
    // here without a deadlock.
    m_thread.Join();
    m_running = true;
    ++m_generation;
    if (!m_thread.Start([this] { PosterLoop(); }, THREAD_PRIORITY_LOWEST))
    {
        m_running = false;
        m_entries.pop_back();
        m_ended.notify_all();
        return 0;
    }
    return id;
}

bool CPeriodicPoster::Remove(int id)
{
    CScopedLock lock(m_lock);
    auto found = std::find_if(m_entries.begin(), m_entries.end(),
                              [id](const PeriodicPostEntry& entry) { return entry.m_id == id; });
    if (found == m_entries.end())
        return false;
    m_entries.erase(found);
    if (m_entries.empty())
        m_wake.Set();
    return true;
}

int CPeriodicPoster::RemoveAll()
{
    std::unique_lock<CCriticalSection> lock(m_lock);
    const int count = static_cast<int>(m_entries.size());
    m_entries.clear();
    const uint64_t generation = m_generation;
    m_wake.Set();
    m_ended.wait(lock, [&] { return !m_running || m_generation != generation; });
    if (!m_running)
        m_thread.Join();
    return count;
}

size_t CPeriodicPoster::GetEntryCount() const
{
    CScopedLock lock(m_lock);
    return m_entries.size();
}

bool CPeriodicPoster::IsPosterRunning() const
{
    CScopedLock lock(m_lock);
    return m_running;
}

bool CPeriodicPoster::WaitUntilPosterEnded(std::chrono::milliseconds bound)
{
    std::unique_lock<CCriticalSection> lock(m_lock);
    if (!m_ended.wait_for(lock, bound, [this] { return !m_running; }))
        return false;
    m_thread.Join();
    return true;
}

void CPeriodicPoster::SweepLocked()
{
    for (size_t i = 0; i < m_entries.size();)
    {
        PeriodicPostEntry& entry = m_entries[i];
        if (!IsWindow(entry.m_window))
        {
            m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        if (Clock::now() - entry.m_lastPost > entry.m_period)
        {
            PostMessage(entry.m_window, entry.m_message, entry.m_wParam, entry.m_lParam);
            entry.m_lastPost = Clock::now();
        }
        ++i;
    }
}

void CPeriodicPoster::PosterLoop()
{
    for (;;)
    {
        {
            CScopedLock lock(m_lock);
            SweepLocked();
            if (m_entries.empty())
            {
                m_running = false;
                m_ended.notify_all();
                return;
            }
        }
        m_wake.Wait(static_cast<uint32_t>(m_sweepInterval.count()));
    }
}

CPeriodicPoster& GetPeriodicPoster()
{
    static CPeriodicPoster* poster = new CPeriodicPoster();
    return *poster;
}

int AddPeriodicPost(WindowHandle window, uint32_t message, LPARAM lParam, WPARAM wParam, int periodMs)
{
    return GetPeriodicPoster().Add(window, message, lParam, wParam, periodMs);
}

bool RemovePeriodicPost(int id)
{
    return GetPeriodicPoster().Remove(id);
}

int RemoveAllPeriodicPosts()
{
    return GetPeriodicPoster().RemoveAll();
}
