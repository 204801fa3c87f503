#include "RealCrawl.h"

#include "checker/LinkChecker.h"
#include "checker/LinkNode.h"
#include "checker/UrlRecord.h"

#include "transfer/base/ResultCodes.h"

#include "tests/servers/NginxServer.h"
#include "tests/support/FileContents.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
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
} // namespace
