// Name look-ups that the caller can leave: a resolver that takes its time
// must not hold a connect beyond its time-out, nor a stop at all.

#include "transfer/net/HostAddress.h"

#include "foundation/links/LinkItem.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "tests/support/CapturedLog.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/client/ProtocolClient.h"
#include "transfer/jobs/ProtocolClientFactory.h"
#include "transfer/net/Connection.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <string>

namespace
{

using namespace std::chrono_literals;

// Only a look-up that cannot be left makes a test wait this long.
constexpr auto kPatience = 10s;

const uint32_t kLoopback = htonl(0x7F000001);

// The resolver through the test seam: each look-up stays in it until the
// test lets them all go, as one waiting for a name server that never
// answers would.
struct CSlowResolver
{
    static inline std::mutex mutex;
    static inline std::condition_variable changed;
    static inline int entered = 0;
    static inline int left = 0;
    static inline bool released = false;

    static uint32_t Lookup(const std::string&)
    {
        std::unique_lock<std::mutex> lock(mutex);
        ++entered;
        changed.notify_all();
        changed.wait(lock, [] { return released; });
        ++left;
        changed.notify_all();
        return kLoopback;
    }

    CSlowResolver()
    {
        std::lock_guard<std::mutex> lock(mutex);
        entered = left = 0;
        released = false;
        SetHostLookupFunction(&Lookup);
    }

    // Lets the look-ups go and waits until each has left the resolver, so
    // no thread of this test is still in it when the next test begins.
    ~CSlowResolver()
    {
        Release();
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait_for(lock, kPatience, [] { return left == entered; });
        SetHostLookupFunction(nullptr);
    }

    void Release()
    {
        std::lock_guard<std::mutex> lock(mutex);
        released = true;
        changed.notify_all();
    }

    // True once `count` look-ups have reached the resolver.
    bool WaitUntilEntered(int count)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, kPatience, [count] { return entered >= count; });
    }

    int Left()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return left;
    }
};

struct Outcome
{
    bool ok = true;
    uint32_t address = 12345;
    int failure = -1;
};

std::future<Outcome> ResolveAsync(int timeoutMs, const std::atomic<int>* abortFlag)
{
    return std::async(std::launch::async,
                      [=]
                      {
                          Outcome outcome;
                          outcome.ok = ResolveHost("slow.example", &outcome.address, timeoutMs, abortFlag,
                                                   &outcome.failure);
                          return outcome;
                      });
}

TEST(HostLookup, AnswerInTimeIsTaken)
{
    CSlowResolver resolver;
    resolver.Release();
    std::atomic<int> abort{0};
    Outcome outcome = ResolveAsync(60000, &abort).get();
    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.address, kLoopback);
    EXPECT_EQ(outcome.failure, kResultOk);
}

// The caller leaves while the resolver still works; its answer, when it
// comes, is dropped.
TEST(HostLookup, StopOrTimeOutLeavesASlowResolver)
{
    const struct
    {
        const char* name;
        int timeoutMs;
        bool stop;
        int failure;
    } cases[] = {
        {"abort flag raised", kNoLookupTimeout, true, kResultStopped},
        {"time-out passed", 50, false, kResultTimeout},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        // Declared first, so that a look-up which failed to give way is
        // released (by the resolver's end) before its future waits for it.
        std::atomic<int> abort{0};
        std::future<Outcome> lookup;
        CSlowResolver resolver;
        lookup = ResolveAsync(c.timeoutMs, &abort);
        ASSERT_TRUE(resolver.WaitUntilEntered(1));
        if (c.stop)
        {
            abort.store(1);
            WakeHostLookups();
        }
        ASSERT_EQ(lookup.wait_for(kPatience), std::future_status::ready);
        const Outcome outcome = lookup.get();
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.address, 0u);
        EXPECT_EQ(outcome.failure, c.failure);
        // The resolver was never let go: the caller did not wait for it.
        EXPECT_EQ(resolver.Left(), 0);
    }
}

// Through a connection: the look-up takes the connection's time-out and
// its owner's stop flag; a stop writes no "DNS Error" line.
TEST(HostLookup, ConnectionLeavesTheLookUpOnTimeOutOrStop)
{
    const struct
    {
        const char* name;
        int timeoutMs;
        bool stop;
        int error;
        bool errorLine;
    } cases[] = {
        {"stop", 60000, true, kResultStopped, false},
        {"time-out", 50, false, kResultTimeout, true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::atomic<int> abort{0};
        CConnection connection;
        connection.SetTimeout(c.timeoutMs);
        connection.SetAbortFlag(&abort);
        CCapturedLog log;
        std::future<bool> connect;
        CSlowResolver resolver;
        connect = std::async(std::launch::async,
                             [&] { return connection.ConnectHost("slow.example", 80, log.Get()); });
        ASSERT_TRUE(resolver.WaitUntilEntered(1));
        if (c.stop)
        {
            abort.store(1);
            WakeHostLookups();
        }
        ASSERT_EQ(connect.wait_for(kPatience), std::future_status::ready);
        EXPECT_FALSE(connect.get());
        EXPECT_EQ(connection.GetLastError(), c.error);
        EXPECT_EQ(log.Contains("Cannot find server or DNS Error"), c.errorLine) << log.Text();
    }
}

// Stopping a client (what StopJobs, RemoveJobs and shutdown do) ends a
// connect that waits for the resolver, for either protocol.
TEST(HostLookup, AbortOfAClientEndsItsLookUp)
{
    const struct
    {
        const char* url;
        int scheme;
    } cases[] = {{"http://slow.example/", 1}, {"ftp://slow.example/", 3}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.url);
        std::unique_ptr<CProtocolClient> client = CreateProtocolClient(c.scheme, "");
        ASSERT_TRUE(client);
        // A time-out far beyond the test's patience: only the stop can end
        // the wait in time.
        CPropertySet settings;
        settings.SetInt(SETTING_CONNECTIONS_CONNECTION_TIMEOUT, 600);
        client->SetServices({.m_settings = &settings});
        CLinkItem request;
        ASSERT_TRUE(request.SetUrl(c.url, true));
        std::future<int> connect;
        CSlowResolver resolver;
        connect = std::async(std::launch::async, [&] { return client->Connect(request, nullptr); });
        ASSERT_TRUE(resolver.WaitUntilEntered(1));
        client->Abort();
        ASSERT_EQ(connect.wait_for(kPatience), std::future_status::ready);
        EXPECT_EQ(connect.get(), kResultStopped);
        EXPECT_EQ(resolver.Left(), 0);
    }
}

} // namespace
