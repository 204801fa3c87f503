#include "checker/LinkChecker.h"

#include "checker/CrawlTransport.h"
#include "checker/LinkNode.h"
#include "checker/UrlRecord.h"

#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/jobs/TransferManager.h"

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

std::mutex g_mutex;
std::condition_variable g_changed;
int g_calls = 0;

void CountProgress(int)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    ++g_calls;
    g_changed.notify_all();
}

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

    CTempFolder folder;
    CPropertySet settings;
    settings.SetInt(SETTING_LOGS_MAX_LOG_LINES, 2000);
    settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS, 4);
    settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS_PER_SITE, 4);
    settings.SetInt(SETTING_CONNECTIONS_CONNECTION_DELAY, 0);
    settings.SetInt(SETTING_TRANSFER_MANAGER_TIMEOUT_THREADING, 1000);
    settings.SetString(SETTING_MISC_CACHE_FOLDER, (folder / "cache").c_str());
    CTransferManagerOptions options;
    options.m_services.m_settings = &settings;
    options.m_dataFolder = folder.Path();
    CTransferManager manager(std::move(options));
    manager.Init();
    CManagerTransport transport(manager, manager.GetInfoCache());

    CLinkCheckerServices services;
    services.m_transport = &transport;
    services.m_settings = &settings;
    {
        CLinkChecker engine(services);
        engine.SetProgressCallback(&CountProgress, 0);
        const std::string site = "http://127.0.0.1:" + std::to_string(web.HttpPort()) + "/";
        CTaskSettings task(site + "index.html", &settings);
        task.SetInt(TASK_RECURSION, 10);
        ASSERT_TRUE(engine.SetTaskSettings(task));
        int before = 0;
        {
            std::lock_guard<std::mutex> lock(g_mutex);
            before = g_calls;
        }
        ASSERT_TRUE(engine.Start());
        {
            std::unique_lock<std::mutex> lock(g_mutex);
            ASSERT_TRUE(g_changed.wait_for(lock, 60s, [&] { return g_calls >= before + 2; }));
        }
        engine.Stop();

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
    manager.Stop();
}
} // namespace
