#include "transfer/jobs/SiteConnectionMap.h"

#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/jobs/TransferJob.h"

#include "tests/support/FakeProtocolClient.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{

class SiteConnectionMapTest : public ::testing::Test
{
protected:
    SiteConnectionMapTest()
        : pool(
              [this](int scheme, const std::string& proxy) -> std::unique_ptr<CProtocolClient>
              {
                  made.push_back({scheme, proxy});
                  if (scheme < 1 || scheme > 3)
                      return nullptr;
                  return std::make_unique<CFakeProtocolClient>(scheme);
              },
              CTransferServices{.m_settings = &settings})
    {
        settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS_PER_SITE, 1);
    }

    // Jobs live as long as the fixture and outlive the pool (declared
    // before it), as the transfer manager's jobs outlive its clients.
    CTransferJob& Job(const char* url)
    {
        jobs.push_back(std::make_unique<CTransferJob>());
        jobs.back()->SetUrl(url, true);
        return *jobs.back();
    }

    // Connects the job's client as a run would, logging in as user.
    static CFakeProtocolClient& Connected(CTransferJob& job, const std::string& user = "")
    {
        auto& client = static_cast<CFakeProtocolClient&>(*job.GetClient());
        client.SetConnected(1);
        client.SetLogin(user, "");
        return client;
    }

    struct Made
    {
        int scheme;
        std::string proxy;
    };
    CPropertySet settings;
    std::vector<Made> made;
    std::vector<std::unique_ptr<CTransferJob>> jobs;
    CSiteConnectionMap pool;
};

TEST_F(SiteConnectionMapTest, SiteLimitThenReuseAfterRelease)
{
    CTransferJob& first = Job("http://www.example.org/a.html");
    CTransferJob& second = Job("http://www.example.org:80/b.html");
    CTransferJob& other = Job("http://www.example.org:8080/c.html");

    ASSERT_EQ(pool.Acquire(first), kResultOk);
    CProtocolClient* client = first.GetClient();
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(client->GetJob(), &first);
    EXPECT_EQ(pool.Acquire(second), kResultNoMoreHandles);
    EXPECT_EQ(second.GetClient(), nullptr);
    EXPECT_EQ(pool.Acquire(other), kResultOk); // another port is another site
    EXPECT_EQ(pool.GetBusyCount(), 2);
    EXPECT_EQ(pool.GetClientCount(), 2);

    Connected(first).SetAborted(1);
    pool.Release(first);
    EXPECT_EQ(first.GetClient(), nullptr);
    EXPECT_FALSE(client->IsAborted());
    EXPECT_EQ(pool.GetBusyCount(), 1);

    ASSERT_EQ(pool.Acquire(second), kResultOk);
    EXPECT_EQ(second.GetClient(), client);
    EXPECT_EQ(pool.GetClientCount(), 2);
    EXPECT_EQ(made.size(), 2u);
}

TEST_F(SiteConnectionMapTest, LimitFromTheSettingsAndTheSiteToItselfBit)
{
    settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS_PER_SITE, 2);
    CTransferJob& a = Job("ftp://ftp.example.org/a");
    CTransferJob& b = Job("ftp://ftp.example.org/b");
    CTransferJob& c = Job("ftp://ftp.example.org/c");
    ASSERT_EQ(pool.Acquire(a), kResultOk);
    // A job that asks for the site to itself (request option bit 0) waits
    // while another runs there, though the limit would allow it.
    b.SetFlag(LI_REQUEST_OPTIONS, 0, true);
    EXPECT_EQ(pool.Acquire(b), kResultNoMoreHandles);
    EXPECT_EQ(pool.Acquire(c), kResultOk);
    CTransferJob& d = Job("ftp://ftp.example.org/d");
    EXPECT_EQ(pool.Acquire(d), kResultNoMoreHandles);
    EXPECT_EQ(pool.GetClientCount("ftp://ftp.example.org"), 2u);
}

// The per-site limit is the settings' value at the time of each Acquire (at
// least 1), and Acquire copies no request settings into the job: the run
// copies them in itself and drops them at its end, so a copy made here would
// only be overwritten.
TEST_F(SiteConnectionMapTest, LimitIsReadAtEachAcquireAndNothingIsCopiedIntoTheJob)
{
    settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS_PER_SITE, 0);
    CTransferJob& a = Job("http://www.example.org/a");
    CTransferJob& b = Job("http://www.example.org/b");
    ASSERT_EQ(pool.Acquire(a), kResultOk);
    EXPECT_EQ(pool.Acquire(b), kResultNoMoreHandles); // 0 counts as 1
    settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS_PER_SITE, 2);
    EXPECT_EQ(pool.Acquire(b), kResultOk);
    for (int id : {LI_HTTP_VERSION, LI_USER_AGENT, LI_CONNECTION_HEADER, LI_FTP_DATA_CONNECTION,
                   LI_CONNECTION_DELAY, LI_CONNECTION_RETRIES, LI_TRANSFER_RETRIES, LI_CONNECTIONS_PER_SITE,
                   LI_REQUEST_OPTIONS})
        EXPECT_FALSE(b.Has(id)) << id;
}

TEST_F(SiteConnectionMapTest, ReuseNeedsTheSameProxyAndAMatchingLogin)
{
    settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS_PER_SITE, 10);
    struct Case
    {
        const char* url;
        const char* clientUser;
        const char* jobProxy;
        bool reused;
    };
    const Case cases[] = {
        {"ftp://ftp.example.org/f", "anonymous", "", true},
        {"ftp://ftp.example.org/f", "FTP", "", true},
        {"ftp://ftp.example.org/f", "", "", true},
        {"ftp://ftp.example.org/f", "bob", "", false},
        {"ftp://Bob:pw@ftp.example.org/f", "bob", "", true},
        {"ftp://alice:pw@ftp.example.org/f", "bob", "", false},
        {"ftp://$@ftp.example.org/f", "$", "", false},
        {"ftp://ftp.example.org/f", "anonymous", "no", true},
        {"ftp://ftp.example.org/f", "anonymous", "socks5://proxy.example.org:1080", false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.url) + " client " + c.clientUser + " proxy " + c.jobProxy);
        CSiteConnectionMap own([](int scheme, const std::string&) -> std::unique_ptr<CProtocolClient>
                               { return std::make_unique<CFakeProtocolClient>(scheme); },
                               CTransferServices{.m_settings = &settings});
        CTransferJob& first = Job("ftp://ftp.example.org/first");
        ASSERT_EQ(own.Acquire(first), kResultOk);
        CProtocolClient* client = first.GetClient();
        Connected(first, c.clientUser);
        own.Release(first);

        CTransferJob& job = Job(c.url);
        job.SetString(LI_PROXY_URL, c.jobProxy);
        EXPECT_EQ(job.GetUrlParts().m_user.empty(), std::string(c.url).find('@') == std::string::npos);
        ASSERT_EQ(own.Acquire(job), kResultOk);
        EXPECT_EQ(job.GetClient() == client, c.reused);
        EXPECT_EQ(own.GetClientCount(), c.reused ? 1 : 2);
        own.Release(job);
    }
}

TEST_F(SiteConnectionMapTest, ProxyChoiceFollowsTheSettingsAndSkipRules)
{
    settings.SetString(SETTING_PROXY_HTTP, "http://proxy.example.org:3128");
    settings.SetInt(SETTING_PROXY_HTTP_ENABLED, 1);
    settings.SetInt(SETTING_PROXY_SKIP_LOCAL_ENABLED, 1);
    settings.SetInt(SETTING_PROXY_SKIP_LIST_ENABLED, 1);
    settings.SetString(SETTING_PROXY_SKIP_LIST, "*.intranet.example");
    struct Case
    {
        const char* url;
        bool viaProxy;
    };
    const Case cases[] = {
        {"http://www.example.org/", true},
        {"http://localhost/", false},
        {"http://wiki.intranet.example/", false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.url);
        CTransferJob& job = Job(c.url);
        ASSERT_EQ(pool.Acquire(job), kResultOk);
        EXPECT_EQ(job.GetClient()->GetProxyKey().empty(), !c.viaProxy);
        EXPECT_EQ(made.back().proxy.empty(), !c.viaProxy);
        pool.Release(job);
    }
}

TEST_F(SiteConnectionMapTest, SchemeWithoutClientIsNotSupported)
{
    CTransferJob& job = Job("mailto:someone@example.org");
    EXPECT_EQ(pool.Acquire(job), kResultNotSupported);
    EXPECT_EQ(job.GetClient(), nullptr);
    EXPECT_EQ(pool.GetSiteCount(), 0u);
    EXPECT_TRUE(made.empty());
}

TEST_F(SiteConnectionMapTest, ReleaseOfADisconnectedClientDestroysIt)
{
    CTransferJob& job = Job("http://www.example.org/");
    ASSERT_EQ(pool.Acquire(job), kResultOk);
    pool.Release(job);
    EXPECT_EQ(pool.GetClientCount(), 0);
    EXPECT_EQ(pool.GetBusyCount(), 0);
    EXPECT_EQ(pool.GetSiteCount(), 0u);
}

TEST_F(SiteConnectionMapTest, IdleSweep)
{
    settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS_PER_SITE, 5);
    CTransferJob& dropped = Job("http://a.example.org/");
    CTransferJob& kept = Job("http://b.example.org/");
    CTransferJob& waiting = Job("http://c.example.org/");
    ASSERT_EQ(pool.Acquire(dropped), kResultOk);
    ASSERT_EQ(pool.Acquire(kept), kResultOk);
    ASSERT_EQ(pool.Acquire(waiting), kResultOk);
    Connected(dropped).dropOnIdleCheck = true;
    Connected(kept);
    Connected(waiting).dropOnIdleCheck = true;
    pool.Release(dropped);
    pool.Release(kept);
    EXPECT_EQ(pool.GetClientCount(), 3);

    // The waiting job is not running: its client's connection is checked,
    // found gone, and the client is taken from it and closed.
    pool.SweepIdle(60);
    EXPECT_EQ(waiting.GetClient(), nullptr);
    EXPECT_EQ(pool.GetClientCount(), 1);
    EXPECT_EQ(pool.GetBusyCount(), 0);
    EXPECT_EQ(pool.GetSiteCount(), 1u);
    EXPECT_EQ(pool.GetClientCount("http://b.example.org"), 1u);

    // Idle for at least 0 seconds: closed.
    pool.SweepIdle(0);
    EXPECT_EQ(pool.GetClientCount(), 0);
    EXPECT_EQ(pool.GetSiteCount(), 0u);
}

TEST_F(SiteConnectionMapTest, SweepLeavesTheClientOfARunningJob)
{
    CTransferJob& job = Job("http://www.example.org/");
    ASSERT_EQ(pool.Acquire(job), kResultOk);
    auto& client = Connected(job);
    client.dropOnIdleCheck = true;
    struct Owner : ITransferJobOwner
    {
        CJobList lists[kJobListCount];
        CJobList& GetJobList(int index) override { return lists[index]; }
        void RegisterProgressMeter(CTransferMeter*) override {}
        void UnregisterProgressMeter(CTransferMeter*) override {}
        void OnGroupJobProgress(CTransferJob&) override {}
    } owner;
    job.SetOwner(&owner);
    job.MoveToList(kJobListRunning);
    pool.SweepIdle(0);
    EXPECT_EQ(client.idleChecks, 0);
    EXPECT_EQ(job.GetClient(), &client);
    EXPECT_EQ(pool.GetClientCount(), 1);
    pool.Release(job);
    job.MoveToList(kJobListIdle);
}

} // namespace
