#pragma once
// A window for tests: it registers itself on construction, records every
// message posted to it (with the time it arrived) and lets a test wait, with
// a bound, until a number of messages has arrived. Close (or destruction)
// unregisters it; posts after that are dropped by the registry.

#include "platform/core/WindowHandle.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <vector>

struct RecordedMessage
{
    uint32_t m_message = 0;
    WPARAM m_wParam = 0;
    LPARAM m_lParam = 0;
    std::chrono::steady_clock::time_point m_arrived;
};

class CRecordingWindow : public IWindowTarget
{
public:
    CRecordingWindow() : m_handle(RegisterWindow(this)) {}
    ~CRecordingWindow() override { Close(); }
    CRecordingWindow(const CRecordingWindow&) = delete;
    CRecordingWindow& operator=(const CRecordingWindow&) = delete;

    // The handle stays the same after Close: a dead handle, as a view that
    // was destroyed leaves behind in whoever still holds it.
    WindowHandle Handle() const { return m_handle; }

    void Close() { UnregisterWindow(m_handle); }

    void DeliverPostedMessage(WindowHandle, uint32_t message, WPARAM wParam, LPARAM lParam) override
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_messages.push_back({message, wParam, lParam, std::chrono::steady_clock::now()});
        }
        m_arrived.notify_all();
    }

    size_t Count() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_messages.size();
    }

    std::vector<RecordedMessage> Messages() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_messages;
    }

    // Waits until at least `count` messages have arrived or `bound` passed;
    // returns whether they arrived.
    bool WaitForCount(size_t count, std::chrono::milliseconds bound) const
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_arrived.wait_for(lock, bound, [&] { return m_messages.size() >= count; });
    }

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_arrived;
    std::vector<RecordedMessage> m_messages;
    // Last, so that every member exists before the window can be posted to.
    const WindowHandle m_handle;
};
