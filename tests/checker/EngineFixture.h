#pragma once
// A crawl engine for unit tests: the scripted transfer side, a fake page
// parser that reads a page's links from the fake site, and a progress
// signal a test can wait on. The engine is stopped and joined before the
// fake site goes away.

#include "FakeCrawlTransport.h"
#include "StatsRecount.h"
#include "TestPageLinks.h"

#include "checker/LinkChecker.h"
#include "checker/LinkNode.h"
#include "checker/UrlRecord.h"

#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace
{
using namespace std::chrono_literals;

// ---- The fake page parser and the progress signal ------------------------------

// The site the fake parser reads links from; set by each test that crawls.
CFakeCrawlTransport* g_site = nullptr;

// The links of a page as the fake site lists them become its children.
void FakeParsePage(CLinkChecker& engine, CLinkNode& page, CEngineLock& lock)
{
    CUrlRecord* record = page.GetUrlRecord();
    if (g_site == nullptr || record == nullptr || record->m_parsedNodeId != 0 ||
        page.GetFirstOccurrence() != &page)
        return;
    // Like the real parser, the page is where its content came from.
    const auto found = g_site->m_site.find(record->m_contentUrl.empty() ? record->m_url : record->m_contentUrl);
    if (found == g_site->m_site.end())
        return;
    // The parse itself runs without the engine lock.
    lock.unlock();
    const std::vector<std::string> links = found->second.links;
    lock.lock();
    record->m_parsedNodeId = page.m_linkId;
    AddTestLinks(engine, page, links, "http://site/", lock);
}

std::mutex g_progressMutex;
std::condition_variable g_progressChanged;
int g_progressCalls = 0;

void CountProgress(std::intptr_t)
{
    std::lock_guard<std::mutex> lock(g_progressMutex);
    ++g_progressCalls;
    g_progressChanged.notify_all();
}

int ProgressCalls()
{
    std::lock_guard<std::mutex> lock(g_progressMutex);
    return g_progressCalls;
}

bool WaitForProgressCalls(int count, std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(g_progressMutex);
    return g_progressChanged.wait_for(lock, timeout, [&] { return g_progressCalls >= count; });
}

// ---- A test engine ------------------------------------------------------------

struct CEngineFixture
{
    CTempFolder cache;
    CPropertySet settings;
    CFakeCrawlTransport transport;
    std::unique_ptr<CLinkChecker> engine;

    explicit CEngineFixture(bool genericUrls = true, PageParseFunction parsePage = &FakeParsePage)
    {
        settings.SetString(SETTING_MISC_CACHE_FOLDER, cache.Path().c_str());
        settings.SetInt(SETTING_MISC_ENABLE_GENERIC_URLS, genericUrls ? 1 : 0);
        CLinkCheckerServices services;
        services.m_transport = &transport;
        services.m_settings = &settings;
        services.m_parsePage = parsePage;
        engine = std::make_unique<CLinkChecker>(services);
        engine->SetProgressCallback(&CountProgress, 0);
        g_site = &transport;
    }
    ~CEngineFixture()
    {
        engine.reset();
        g_site = nullptr;
    }

    void SetTask(const std::string& uri, int recursion, int finishOnMaxRecursion = 0)
    {
        CTaskSettings task(uri, &settings);
        task.SetInt(TASK_RECURSION, recursion);
        task.SetInt(TASK_FINISH_ON_MAX_REC, finishOnMaxRecursion);
        ASSERT_TRUE(engine->SetTaskSettings(task));
    }

    // Starts a run and waits for its end notification, then joins.
    void RunToEnd()
    {
        const int before = ProgressCalls();
        ASSERT_TRUE(engine->Start());
        ASSERT_TRUE(WaitForProgressCalls(before + 2, 20s)) << "the run did not end";
        engine->Stop();
    }

    // Gives a command that may start a run, and waits for that run to end:
    // the command's own progress call, then the run's start and end.
    template <class Command> int RunCommand(Command command)
    {
        const int before = ProgressCalls();
        const int result = command();
        if (engine->IsRunning())
        {
            EXPECT_TRUE(WaitForProgressCalls(before + 3, 20s)) << "the run did not end";
        }
        engine->Stop();
        return result;
    }

    CLinkNode* Node(int index) const { return engine->GetNodeAt(index); }

    const CLinkNode* Find(const std::string& url) const
    {
        for (int i = 0; i < engine->GetLinkCount(); ++i)
        {
            if (Node(i)->m_url == url)
                return Node(i);
        }
        return nullptr;
    }

    int CountState(int state) const
    {
        int count = 0;
        for (int i = 0; i < engine->GetLinkCount(); ++i)
            count += Node(i)->m_state == state;
        return count;
    }

    // The statistics counters as a recount of the table gives them.
    void ExpectStatsEqualRecount() const
    {
        const CLinkStats stats = engine->GetStats();
        CLinkStats expected = EmptyRecount(stats);
        for (int i = 0; i < engine->GetLinkCount(); ++i)
            AddNodeToRecount(expected, *Node(i));
        EXPECT_TRUE(stats == expected) << "statistics drifted from the table";
    }

    void ExpectNothingPending() const
    {
        EXPECT_EQ(CountState(kStateWaiting), 0);
        EXPECT_EQ(CountState(kStateProcessing), 0);
        EXPECT_EQ(engine->GetInFlightJobCount(), 0u);
    }
};

} // namespace
