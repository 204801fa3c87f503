#include "transfer/net/HostAddress.h"

#include "transfer/base/ResultCodes.h"

#include <arpa/inet.h>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <system_error>
#include <thread>

uint32_t ParseDottedQuad(const char* text)
{
    if (!text || !*text)
        return kNoAddress;
    unsigned char bytes[4] = {0, 0, 0, 0};
    int part = 0;
    unsigned value = 0;
    for (const char* p = text; *p; ++p)
    {
        if (*p >= '0' && *p <= '9')
        {
            value = value * 10 + static_cast<unsigned>(*p - '0');
            if (value > 255)
                return kNoAddress;
        }
        else if (*p == '.')
        {
            bytes[part] = static_cast<unsigned char>(value);
            value = 0;
            if (++part == 4)
                break; // the '.' after the fourth part ends the address
        }
        else
            return kNoAddress;
    }
    if (part < 4)
        bytes[part] = static_cast<unsigned char>(value);
    uint32_t address = 0;
    std::memcpy(&address, bytes, sizeof address);
    return address == 0 ? kNoAddress : address;
}

bool IsDottedQuad(const char* text)
{
    return ParseDottedQuad(text) != kNoAddress;
}

namespace
{

// Look-ups whose callers stopped waiting still hold a thread until the
// resolver answers; this many at most run at once, and a further look-up
// waits (within its own time-out and abort flag) for one of them to end.
constexpr int kMaxLookupThreads = 16;

uint32_t SystemLookup(const std::string& name)
{
    uint32_t found = 0;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* answers = nullptr;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &answers) == 0 && answers)
    {
        for (const addrinfo* a = answers; a; a = a->ai_next)
        {
            if (a->ai_family == AF_INET && a->ai_addr)
            {
                found = reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr.s_addr;
                break;
            }
        }
    }
    if (answers)
        ::freeaddrinfo(answers);
    return found;
}

std::atomic<HostLookupFunction> g_lookup{&SystemLookup};

// One look-up on its thread, shared with the caller while it waits. The
// fields are guarded by LookupMutex().
struct CLookupState
{
    bool m_done = false;
    uint32_t m_address = 0;
};

// The lock and the wake-up of every look-up and waiter. Never destroyed: a
// look-up thread nobody waits for may end after the program's statics.
std::mutex& LookupMutex()
{
    static std::mutex* mutex = new std::mutex;
    return *mutex;
}

std::condition_variable& LookupChanged()
{
    static std::condition_variable* changed = new std::condition_variable;
    return *changed;
}

// Look-up threads that have not ended; guarded by LookupMutex().
int g_lookupThreads = 0;

// The look-up on a thread of its own; the caller waits until the answer,
// the deadline or its abort flag. kResultOk with *found set, or the reason
// for giving up.
int LookupOnThread(const std::string& name, HostLookupFunction lookup, int timeoutMs,
                   const std::atomic<int>* abortFlag, uint32_t* found)
{
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    auto stopped = [abortFlag] { return abortFlag && abortFlag->load() != 0; };
    // Waits until the condition, the deadline (none for a negative
    // time-out) or the abort flag; the lock is held.
    auto wait = [&](std::unique_lock<std::mutex>& lock, auto condition)
    {
        auto woken = [&] { return condition() || stopped(); };
        if (timeoutMs < 0)
            LookupChanged().wait(lock, woken);
        else
            LookupChanged().wait_until(lock, deadline, woken);
    };
    auto state = std::make_shared<CLookupState>();
    std::unique_lock<std::mutex> lock(LookupMutex());
    wait(lock, [] { return g_lookupThreads < kMaxLookupThreads; });
    if (stopped())
        return kResultStopped;
    if (g_lookupThreads >= kMaxLookupThreads)
        return kResultTimeout;
    ++g_lookupThreads;
    try
    {
        // Detached on purpose: nothing can end getaddrinfo early, and a stop
        // or a shutdown must not wait for it. The thread holds only its own
        // copies and the shared state.
        std::thread(
            [state, name, lookup]
            {
                const uint32_t address = lookup(name);
                std::lock_guard<std::mutex> done(LookupMutex());
                state->m_address = address;
                state->m_done = true;
                --g_lookupThreads;
                LookupChanged().notify_all();
            })
            .detach();
    }
    catch (const std::system_error&)
    {
        // No thread to be had: the look-up runs here, as it must.
        --g_lookupThreads;
        lock.unlock();
        *found = lookup(name);
        return kResultOk;
    }
    wait(lock, [&] { return state->m_done; });
    if (state->m_done)
    {
        *found = state->m_address;
        return kResultOk;
    }
    return stopped() ? kResultStopped : kResultTimeout;
}

} // namespace

bool ResolveHost(const char* name, uint32_t* address, int timeoutMs, const std::atomic<int>* abortFlag,
                 int* failure)
{
    uint32_t found = ParseDottedQuad(name);
    int result = kResultOk;
    if (found == kNoAddress)
    {
        found = 0;
        if (name && *name)
        {
            const HostLookupFunction lookup = g_lookup.load();
            if (timeoutMs < 0 && !abortFlag)
                found = lookup(name);
            else
                result = LookupOnThread(name, lookup, timeoutMs, abortFlag, &found);
        }
    }
    const bool ok = result == kResultOk && found != 0 && found != kNoAddress;
    if (result == kResultOk && !ok)
        result = kResultHostNotResolved;
    if (address)
        *address = found;
    if (failure)
        *failure = result;
    return ok;
}

void WakeHostLookups()
{
    // Taken so that a waiter between its look at the flag and its wait
    // cannot miss the notice.
    std::lock_guard<std::mutex> lock(LookupMutex());
    LookupChanged().notify_all();
}

void SetHostLookupFunction(HostLookupFunction lookup)
{
    g_lookup.store(lookup ? lookup : &SystemLookup);
}

std::string FormatIPv4(uint32_t address)
{
    in_addr in{};
    in.s_addr = address;
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &in, text, sizeof text);
    return text;
}
