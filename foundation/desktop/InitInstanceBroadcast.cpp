#include "foundation/desktop/InitInstanceBroadcast.h"

#include "foundation/desktop/ShellHooks.h"
#include "platform/core/InstanceChannel.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <unistd.h>

namespace
{
std::atomic<uint32_t> g_broadcastMessage{0};

// The channel of the living lifetime object. Broadcasts may come from any
// thread, so the channel is reached under this lock.
struct ChannelState
{
    std::mutex m_mutex;
    std::unique_ptr<CInstanceChannel> m_channel;
    std::atomic<WindowHandle> m_receiver{nullptr};
    void (*m_shutdownGlobals)() = nullptr;
};

ChannelState& State()
{
    // Never destroyed: a worker may still save while static objects go.
    static ChannelState* state = new ChannelState;
    return *state;
}

void BroadcastOverChannel(unsigned code, int64_t argument)
{
    ChannelState& state = State();
    std::lock_guard<std::mutex> lock(state.m_mutex);
    if (state.m_channel)
        state.m_channel->Broadcast(code, argument);
}
} // namespace

uint32_t GetInstanceBroadcastMessage()
{
    return g_broadcastMessage.load();
}

InitInstanceBroadcast::InitInstanceBroadcast(void (*shutdownGlobals)())
{
    const uint32_t message = RegisterWindowMessage(kInstanceBroadcastMessageName);
    g_broadcastMessage.store(message);

    ChannelState& state = State();
    auto channel = std::make_unique<CInstanceChannel>();
    const bool opened = channel->Open(GetInstanceChannelFolder(),
                                      [message](const InstanceMessage& received)
                                      {
                                          PostMessage(State().m_receiver.load(), message,
                                                      static_cast<WPARAM>(received.m_code),
                                                      static_cast<LPARAM>(received.m_argument));
                                      });
    {
        std::lock_guard<std::mutex> lock(state.m_mutex);
        state.m_shutdownGlobals = shutdownGlobals;
        if (opened)
            state.m_channel = std::move(channel);
    }
    SetInstanceBroadcastHook(BroadcastOverChannel);
    PostInstanceBroadcast(kBroadcastStarted, static_cast<int64_t>(::getpid()));
}

InitInstanceBroadcast::~InitInstanceBroadcast()
{
    ChannelState& state = State();
    void (*shutdownGlobals)() = nullptr;
    {
        std::lock_guard<std::mutex> lock(state.m_mutex);
        shutdownGlobals = state.m_shutdownGlobals;
        state.m_shutdownGlobals = nullptr;
    }
    if (shutdownGlobals)
        shutdownGlobals();
    PostInstanceBroadcast(kBroadcastEnded, static_cast<int64_t>(::getpid()));
    SetInstanceBroadcastHook(nullptr);

    std::unique_ptr<CInstanceChannel> channel;
    {
        std::lock_guard<std::mutex> lock(state.m_mutex);
        channel = std::move(state.m_channel);
    }
    // Closed outside the lock: closing waits for a delivery in progress.
    channel.reset();
    state.m_receiver.store(nullptr);
}

void InitInstanceBroadcast::SetReceiverWindow(WindowHandle window)
{
    State().m_receiver.store(window);
}

bool InitInstanceBroadcast::IsConnected() const
{
    ChannelState& state = State();
    std::lock_guard<std::mutex> lock(state.m_mutex);
    return state.m_channel != nullptr;
}

int GetInstanceCount()
{
    ChannelState& state = State();
    std::lock_guard<std::mutex> lock(state.m_mutex);
    return state.m_channel ? state.m_channel->CountInstances() : 1;
}
