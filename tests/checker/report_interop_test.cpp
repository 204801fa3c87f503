// End to end: a small site on nginx checked with the real transfer manager
// and page link extraction, then its text report of broken links compared
// with the site's own list of what is broken and where it is linked from.

#include "checker/CrawlTransport.h"
#include "checker/LinkChecker.h"

#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "platform/core/RefPtr.h"
#include "transfer/base/TransferLog.h"
#include "transfer/jobs/TransferManager.h"

#include "tests/servers/NginxServer.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <utility>

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

bool WaitForCalls(int count)
{
    std::unique_lock<std::mutex> lock(g_mutex);
    return g_changed.wait_for(lock, 60s, [&] { return g_calls >= count; });
}

int Calls()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_calls;
}

// The site's pages, and what on it is broken: each broken address with the
// page that links it first.
const std::pair<const char*, const char*> kPages[] = {
    {"index.html", "<html><a href=\"a.html\">a</a> <a href=\"dir/b.html\">b</a> <img src=\"img.png\">"
                   " <a href=\"missing.html\">gone</a></html>"},
    {"a.html", "<html><img src=\"gone.png\"> <a href=\"dir/b.html\">b</a></html>"},
    {"dir/b.html", "<html><a href=\"../a.html\">a</a> <a href=\"nothere.html\">x</a>"
                   " <a href=\"../index.html\">top</a> <a href=\"../missing.html\">gone</a></html>"},
    {"img.png", "png"},
};
const std::set<std::pair<std::string, std::string>> kBroken = {
    {"missing.html", "index.html"},
    {"gone.png", "a.html"},
    {"dir/nothere.html", "dir/b.html"},
};

TEST(ReportInterop, TextReportListsTheSitesBrokenLinksWithTheirParents)
{
    CNginxServer web;
    ASSERT_TRUE(web.Start());
    for (const auto& [path, content] : kPages)
        ASSERT_TRUE(web.WriteDocument(path, content));

    CTempFolder folder;
    CPropertySet settings;
    settings.SetInt(SETTING_LOGS_MAX_LOG_LINES, 2000);
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
    const std::string site = "http://127.0.0.1:" + std::to_string(web.HttpPort()) + "/";
    {
        CLinkChecker engine(services);
        engine.SetProgressCallback(&CountProgress, 0);
        CTaskSettings task(site + "index.html", &settings);
        task.SetInt(TASK_RECURSION, 10);
        ASSERT_TRUE(engine.SetTaskSettings(task));
        int before = Calls();
        ASSERT_TRUE(engine.Start());
        ASSERT_TRUE(WaitForCalls(before + 2)) << "the check did not end";
        engine.Stop();

        CReportOptions report;
        report.m_format = 0;
        report.m_statistics = true;
        report.m_groupKind = 1;
        report.m_template = "%link% <- %parent%";
        report.m_selection.m_stateMask = 1 << kStateBroken;
        report.m_selection.m_containsBroken = 0;
        report.m_selection.m_hideRepeats = 1;
        CRefPtr<CTransferLog> log = CRefPtr<CTransferLog>::Adopt(new CTransferLog());
        before = Calls();
        ASSERT_TRUE(engine.StartReportJob(log.Get(), report));
        ASSERT_TRUE(WaitForCalls(before + 2)) << "the report was not written";
        engine.Stop();

        std::string text;
        log->GetText(text);
        std::set<std::pair<std::string, std::string>> listed;
        size_t at = 0;
        for (size_t end = text.find("\r\n"); end != std::string::npos; at = end + 2, end = text.find("\r\n", at))
        {
            const std::string line = text.substr(at, end - at);
            const size_t arrow = line.find(" <- ");
            if (arrow == std::string::npos)
                continue;
            ASSERT_EQ(line.compare(0, site.size(), site), 0) << line;
            ASSERT_EQ(line.compare(arrow + 4, site.size(), site), 0) << line;
            listed.emplace(line.substr(site.size(), arrow - site.size()), line.substr(arrow + 4 + site.size()));
        }
        EXPECT_EQ(listed, kBroken) << text;
        EXPECT_NE(text.find("\r\nBroken links: 4\r\n"), std::string::npos) << text; // one repetition
        EXPECT_NE(text.find("\r\nLink group: Broken (4/3)\r\n"), std::string::npos) << text;
        EXPECT_EQ(text.find("Link group: Downloaded"), std::string::npos) << text;
    }
    manager.Stop();
}
} // namespace
