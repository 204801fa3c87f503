#include "RealCrawl.h"

#include "checker/LinkChecker.h"
#include "checker/LinkNode.h"
#include "checker/UrlRecord.h"

#include "transfer/base/ResultCodes.h"

#include "tests/servers/NginxServer.h"
#include "tests/support/FileContents.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace
{
using namespace std::chrono_literals;

// A tiny site three levels deep on nginx, checked with the real transfer
// manager and the real page link extraction: pages are downloaded and parsed, the image is checked, the
// missing page is broken with the server's answer, each URL once.
TEST(LinkCheckerInterop, ChecksATinySiteOnNginx)
{
    CNginxServer web;
    ASSERT_TRUE(web.Start());
    ASSERT_TRUE(web.WriteDocument("index.html",
                                  "<html><body><a href=\"a.html\">a</a> <a href=\"dir/b.html\">b</a>"
                                  " <img src=\"logo.png\"> <a href=\"missing.html\">gone</a></body></html>"));
    ASSERT_TRUE(web.WriteDocument("a.html", "<html><a href=\"dir/b.html\">b</a><img src=\"logo.png\"></html>"));
    ASSERT_TRUE(web.WriteDocument("dir/b.html", "<html><a href=\"c.html\">c</a></html>"));
    ASSERT_TRUE(web.WriteDocument("dir/c.html", "<html><img src=\"../logo.png\"></html>"));
    ASSERT_TRUE(web.WriteDocument("logo.png", std::string(300, 'p')));

    CRealCrawl crawl;
    CLinkChecker& engine = crawl.Engine();
    {
        const std::string site = "http://127.0.0.1:" + std::to_string(web.HttpPort()) + "/";
        CTaskSettings task(site + "index.html", &crawl.Settings());
        task.SetInt(TASK_RECURSION, 10);
        crawl.Check(task);

        struct Expected
        {
            std::string path;
            int state;
            int64_t size;
        };
        const std::vector<Expected> expected = {
            {"index.html", kStateDownloaded, -2},
            {"a.html", kStateDownloaded, -2},
            {"dir/b.html", kStateDownloaded, -2},
            {"dir/c.html", kStateDownloaded, -2},
            {"logo.png", kStateInfoOnly, 300},
            {"missing.html", kStateBroken, -2},
        };
        for (const Expected& e : expected)
        {
            SCOPED_TRACE(e.path);
            const CLinkNode* found = nullptr;
            for (int i = 0; i < engine.GetLinkCount() && found == nullptr; ++i)
            {
                if (engine.GetNodeAt(i)->m_url == site + e.path)
                    found = engine.GetNodeAt(i);
            }
            ASSERT_NE(found, nullptr);
            EXPECT_EQ(found->m_state, e.state) << found->GetUrlRecord()->m_status.GetText();
            if (e.size != -2)
            {
                EXPECT_EQ(found->m_size, e.size);
            }
            if (e.state == kStateBroken)
            {
                EXPECT_EQ(found->m_errorDetail, kResultRemoteNotFound);
            }
            if (e.state == kStateDownloaded)
            {
                EXPECT_EQ(ReadWhole(found->GetUrlRecord()->m_localPath), ReadWhole(web.DocumentRoot() + "/" + e.path));
            }
        }
        int waiting = 0;
        for (int i = 0; i < engine.GetLinkCount(); ++i)
        {
            const int state = engine.GetNodeAt(i)->m_state;
            waiting += state == kStateWaiting || state == kStateProcessing;
        }
        EXPECT_EQ(waiting, 0);
        EXPECT_EQ(engine.GetInFlightJobCount(), 0u);
        // Every page and file was asked for once, however often it is linked.
        const std::string log = web.AccessLog();
        for (const char* path : {"/logo.png", "/dir/b.html", "/index.html"})
        {
            size_t count = 0;
            for (size_t at = log.find(std::string(" ") + path + " "); at != std::string::npos;
                 at = log.find(std::string(" ") + path + " ", at + 1))
                ++count;
            EXPECT_EQ(count, 1u) << path << "\n" << log;
        }
        EXPECT_GT(engine.GetStats().m_bytesReceived, 0);
    }
}

// The prompt queue's owner is asked whether anybody can answer as soon as a
// question is posted: that is the sign that a job waits for a prompt.
std::mutex g_askedMutex;
std::condition_variable g_askedChanged;
bool g_asked = false;

int SomebodyCouldAnswer(int)
{
    std::lock_guard<std::mutex> lock(g_askedMutex);
    g_asked = true;
    g_askedChanged.notify_all();
    return 1;
}

// A page behind a password makes its job ask for a user name and password
// and wait (up to a minute) for an answer that nobody gives. Stopping the
// crawl cancels the question: the stop returns at once, the link ends
// Stopped, nothing is left Waiting, Processing or in flight.
TEST(LinkCheckerInterop, StopCancelsAJobWaitingForACredentialPrompt)
{
    CTempFolder scratch;
    WriteWhole(scratch / "htpasswd", "alice:{PLAIN}secret\n");
    CNginxServer web;
    CNginxServer::Options options;
    options.m_serverConfig =
        "location /private/ { auth_basic \"Private\"; auth_basic_user_file " + scratch / "htpasswd" + "; }\n";
    ASSERT_TRUE(web.Start(options));
    ASSERT_TRUE(web.WriteDocument("index.html", "<html><a href=\"private/page.html\">p</a></html>"));
    ASSERT_TRUE(web.WriteDocument("private/page.html", "<html>secret</html>"));

    CRealCrawl crawl;
    crawl.Settings().SetInt(SETTING_HTTP_ENABLE_BASIC_AUTHENTICATION, 1);
    crawl.Prompts().SetOwner(&SomebodyCouldAnswer, 0);
    CLinkChecker& engine = crawl.Engine();
    const std::string site = "http://127.0.0.1:" + std::to_string(web.HttpPort()) + "/";
    CTaskSettings task(site + "index.html", &crawl.Settings());
    task.SetInt(TASK_RECURSION, 10);
    ASSERT_TRUE(engine.SetTaskSettings(task));
    ASSERT_TRUE(engine.Start());
    {
        std::unique_lock<std::mutex> lock(g_askedMutex);
        ASSERT_TRUE(g_askedChanged.wait_for(lock, 30s, [] { return g_asked; }));
    }
    CPromptRequest pending;
    ASSERT_EQ(crawl.Prompts().GetPending(pending), 1);

    const auto stopStart = std::chrono::steady_clock::now();
    engine.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stopStart, 10s);
    EXPECT_FALSE(engine.IsRunning());
    EXPECT_EQ(crawl.Prompts().GetPending(pending), 0);

    const CLinkNode* page = crawl.Find(site + "private/page.html", site + "index.html", "");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->m_state, kStateStopped);
    EXPECT_EQ(engine.GetStats().CountInProgress(CLinkStats::kAll), 0);
    EXPECT_EQ(engine.GetInFlightJobCount(), 0u);
}

// A site that redirects to ever-new URLs, each on the other of two hosts (so
// the transfer hands every redirect back to the engine): the chain ends after
// twenty redirects in a row, the next link Broken with the redirect-limit
// result and no child, and the table stops growing.
TEST(LinkCheckerInterop, RedirectsToEverNewUrlsEndAfterTwentyInARow)
{
    CNginxServer web;
    CNginxServer::Options options;
    options.m_moreAddresses = {"127.0.0.2"};
    options.m_httpConfig = "map $server_addr $other_host { 127.0.0.1 127.0.0.2; default 127.0.0.1; }\n";
    options.m_serverConfig = "location ~ ^/hop/(.*)$ { return 302 http://$other_host:$server_port/hop/$1x; }\n";
    ASSERT_TRUE(web.Start(options)) << web.ErrorLog();

    CRealCrawl crawl;
    const std::string start = "http://127.0.0.1:" + std::to_string(web.HttpPort()) + "/hop/x";
    CTaskSettings task(start, &crawl.Settings());
    task.SetInt(TASK_RECURSION, 100);
    task.SetInt(TASK_FILTER_EXTERNAL, 1);
    crawl.Check(task);

    CLinkChecker& engine = crawl.Engine();
    ASSERT_EQ(engine.GetLinkCount(), CLinkChecker::kMaxRedirectChain + 1);
    for (int i = 0; i < CLinkChecker::kMaxRedirectChain; ++i)
        EXPECT_EQ(engine.GetNodeAt(i)->m_state, kStateRedirected) << engine.GetNodeAt(i)->m_url;
    const CLinkNode* last = engine.GetNodeAt(CLinkChecker::kMaxRedirectChain);
    EXPECT_EQ(last->m_state, kStateBroken);
    EXPECT_EQ(last->m_errorDetail, kResultTooManyRedirects);
    EXPECT_TRUE(last->GetChildren().empty());
    EXPECT_EQ(engine.GetStats().CountInProgress(CLinkStats::kAll), 0);
    EXPECT_EQ(engine.GetInFlightJobCount(), 0u);
}
} // namespace
