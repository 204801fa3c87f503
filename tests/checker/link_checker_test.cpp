#include "checker/LinkChecker.h"

#include "EngineFixture.h"

#include "checker/LinkNode.h"
#include "checker/UrlRecord.h"
#include "checker/UrlRecordIndex.h"

#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "transfer/base/ResultCodes.h"

#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace
{
using namespace std::chrono_literals;

// ---- Start kinds ---------------------------------------------------------------

struct StartKindCase
{
    const char* name;
    // Builds the start URI in the folder.
    std::string (*make)(const CTempFolder& folder);
    bool genericUrls;
    int recursion;
    int rootType;
    int rootState;
    std::vector<std::pair<int, int>> children; // type and state of each
};

std::string MakeList(const CTempFolder& folder, const std::string& name)
{
    ::mkdir((folder / "sub").c_str(), 0700);
    const std::string path = folder / name;
    WriteWhole(path, "\n  # a comment\n  http://h/a.html  \r\n\n" + (folder / "sub") + "\n");
    return path;
}

const StartKindCase kStartKinds[] = {
    {"ListAtRecursion1", [](const CTempFolder& f) { return MakeList(f, "list.urls"); }, true, 1, kTypeUrlList,
     kStateDownloaded, {{kTypeUnknown, kStateMaxRecursion}, {kTypeLocalFolder, kStateMaxRecursion}}},
    {"ListAtRecursion2", [](const CTempFolder& f) { return MakeList(f, "list.urls"); }, true, 2, kTypeUrlList,
     kStateDownloaded, {{kTypeUnknown, kStateWaiting}, {kTypeLocalFolder, kStateWaiting}}},
    // The extension is compared exactly: an upper-case list is one local file.
    {"UpperCaseListIsAFile", [](const CTempFolder& f) { return MakeList(f, "list.URLS"); }, true, 2, kTypeUnknown,
     kStateDownloaded, {}},
    {"Project",
     [](const CTempFolder& f) {
         const std::string path = f / "task.vbb";
         WriteWhole(path, "<?xml version=\"1.0\"?><Favorite>X-Favorite<Item URI=\"http://x/\" /></Favorite>");
         return path;
     },
     true, 2, kTypeUrlList, kStateDownloaded, {{kTypeUnknown, kStateWaiting}}},
    {"TemplateWithGenericUrls", [](const CTempFolder&) { return std::string("http://h/p<1-3>.html"); }, true, 2,
     kTypeGenericUrl, kStateDownloaded, {{kTypeUnknown, kStateWaiting}, {kTypeUnknown, kStateWaiting},
                                         {kTypeUnknown, kStateWaiting}}},
    {"TemplateWithoutGenericUrls", [](const CTempFolder&) { return std::string("http://h/p<1-3>.html"); }, false,
     2, kTypeUnknown, kStateWaiting, {}},
    {"Folder",
     [](const CTempFolder& f) {
         ::mkdir((f / "site").c_str(), 0700);
         return f / "site";
     },
     true, 2, kTypeLocalFolder, kStateWaiting, {}},
    {"BareHost", [](const CTempFolder&) { return std::string("www.host/x"); }, true, 2, kTypeUnknown,
     kStateWaiting, {}},
};

class StartKinds : public testing::TestWithParam<StartKindCase>
{
};

TEST_P(StartKinds, RootTypeStateAndChildren)
{
    const StartKindCase& c = GetParam();
    CEngineFixture f(c.genericUrls);
    CTempFolder folder;
    const std::string uri = c.make(folder);
    f.SetTask(uri, c.recursion);

    const CLinkNode* root = f.Node(0);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->m_linkId, 100);
    if (c.rootType == kTypeUnknown)
    {
        EXPECT_NE(root->m_linkType, kTypeUrlList);
    }
    else
    {
        EXPECT_EQ(root->m_linkType, c.rootType);
    }
    EXPECT_EQ(root->m_state, c.rootState);
    EXPECT_EQ(root->m_scope, kScopeInternal);
    ASSERT_EQ(root->GetChildren().size(), c.children.size());
    ASSERT_EQ(f.engine->GetLinkCount(), static_cast<int>(c.children.size()) + 1);
    for (size_t i = 0; i < c.children.size(); ++i)
    {
        const CLinkNode* child = root->GetChildren()[i];
        EXPECT_EQ(child->m_linkId, 101 + static_cast<int>(i));
        EXPECT_EQ(child->m_depth, 1);
        EXPECT_EQ(child->m_siteLevel, 1);
        EXPECT_EQ(child->m_linkType, c.children[i].first) << i;
        EXPECT_EQ(child->m_state, c.children[i].second) << i;
    }
    if (std::string(c.name) == "TemplateWithGenericUrls")
    {
        EXPECT_EQ(root->GetChildren()[0]->m_url, "http://h/p1.html");
        EXPECT_EQ(root->GetChildren()[2]->m_url, "http://h/p3.html");
    }
    if (std::string(c.name) == "TemplateWithoutGenericUrls")
    {
        EXPECT_EQ(root->m_url, "http://h/p<1-3>.html");
    }
    if (std::string(c.name) == "Project")
    {
        EXPECT_EQ(root->GetChildren()[0]->m_url, "http://x/");
    }
    f.ExpectStatsEqualRecount();
}

INSTANTIATE_TEST_SUITE_P(LinkChecker, StartKinds, testing::ValuesIn(kStartKinds),
                         [](const testing::TestParamInfo<StartKindCase>& info) { return info.param.name; });

// ---- Crawls --------------------------------------------------------------------

// A site three levels deep: the start page links to 30 pages (more than
// the engine keeps in flight), a missing page, a redirect to one of the
// pages, an image and an external link; every page links to a shared page
// and a page of its own one level down, which links to an image.
void BuildSite(CFakeCrawlTransport& t)
{
    CFakeReply start;
    for (int i = 0; i < 30; ++i)
        start.links.push_back("http://site/p" + std::to_string(i) + ".html");
    start.links.push_back("http://site/missing.html");
    start.links.push_back("http://site/moved");
    start.links.push_back("http://site/logo.png");
    start.links.push_back("http://other/x.html");
    t.m_site["http://site/index.html"] = start;
    for (int i = 0; i < 30; ++i)
    {
        CFakeReply page;
        page.links = {"http://site/shared.html", "http://site/d" + std::to_string(i) + ".html"};
        t.m_site["http://site/p" + std::to_string(i) + ".html"] = page;
        CFakeReply deep;
        deep.links = {"http://site/logo.png"};
        t.m_site["http://site/d" + std::to_string(i) + ".html"] = deep;
    }
    t.m_site["http://site/shared.html"] = CFakeReply{};
    CFakeReply moved;
    moved.result = kResultRedirectOutside;
    moved.redirect = "http://site/p3.html#top";
    t.m_site["http://site/moved"] = moved;
    CFakeReply image;
    image.resourceType = 4;
    image.size = 512;
    t.m_site["http://site/logo.png"] = image;
    CFakeReply external;
    external.resourceType = 2;
    t.m_site["http://other/x.html"] = external;
}

TEST(LinkChecker, CrawlsAThreeLevelSiteToFinalStates)
{
    CEngineFixture f;
    BuildSite(f.transport);
    f.SetTask("http://site/index.html", 10);
    const int progressBefore = ProgressCalls();
    f.RunToEnd();

    f.ExpectNothingPending();
    f.ExpectStatsEqualRecount();
    EXPECT_GE(ProgressCalls(), progressBefore + 2);
    // Never more jobs at once than the engine allows, and the limit reached.
    EXPECT_EQ(f.transport.MaxRunning(), CLinkChecker::kMaxInFlight);
    EXPECT_EQ(f.transport.Running(), 0);

    // Each URL was requested once, however often it was linked.
    std::set<std::string> urls;
    for (const auto& request : f.transport.Requests())
        EXPECT_TRUE(urls.insert(request.url).second) << request.url;
    EXPECT_EQ(urls.size(), 1u + 30 + 3 + 1 + 1 + 30); // start, pages, missing/moved/logo, other, shared, deep

    EXPECT_EQ(f.Node(0)->m_state, kStateDownloaded);
    const CLinkNode* missing = f.Find("http://site/missing.html");
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->m_state, kStateBroken);
    EXPECT_EQ(missing->m_errorDetail, kResultHttp4xx);
    EXPECT_EQ(missing->GetUrlRecord()->m_status.GetText(), TransferErrorText(kResultHttp4xx) + "(HTTP/1.1 404 Not Found)");

    const CLinkNode* moved = f.Find("http://site/moved");
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->m_state, kStateRedirected);
    EXPECT_EQ(moved->m_linkType, kTypeHttpRedirect);
    ASSERT_EQ(moved->GetChildren().size(), 1u);
    const CLinkNode* target = moved->GetChildren()[0];
    EXPECT_EQ(target->m_url, "http://site/p3.html"); // the fragment cut
    EXPECT_EQ(target->m_scope, kScopeExternal);
    EXPECT_GT(target->m_repetition, 1);
    EXPECT_EQ(target->m_state, target->GetFirstOccurrence()->m_state);

    // A repeated image copies the first one's results.
    int logos = 0;
    for (int i = 0; i < f.engine->GetLinkCount(); ++i)
    {
        const CLinkNode* node = f.Node(i);
        if (node->m_url != "http://site/logo.png")
            continue;
        ++logos;
        EXPECT_EQ(node->m_state, kStateInfoOnly) << node->m_linkId;
        EXPECT_EQ(node->m_linkType, kTypeImage) << node->m_linkId;
        EXPECT_EQ(node->m_size, 512) << node->m_linkId;
    }
    EXPECT_EQ(logos, 31);
    // Request kinds: a page check for internal links, information only for
    // external ones.
    for (const auto& request : f.transport.Requests())
    {
        if (request.url == "http://other/x.html")
        {
            EXPECT_EQ(request.kind, LI_OP_FILE_INFO);
        }
        if (request.url == "http://site/logo.png")
        {
            EXPECT_EQ(request.kind, LI_OP_CHECK);
        }
    }
    const CLinkStats stats = f.engine->GetStats();
    EXPECT_EQ(stats.m_remoteSize, 30 * 1000 + 30 * 1000 + 1000 + 1000 + 512 + 1000);
    EXPECT_GT(stats.m_bytesReceived, 0);
}

TEST(LinkChecker, FinishOnMaxRecursionRequestsTheLinksAtTheLimitWithCountedStates)
{
    // A list read at Recursion 1 puts its links at Max recursion; finishing
    // on it turns them Waiting as the queue reaches them and asks each for
    // information only.
    CEngineFixture f;
    BuildSite(f.transport);
    CTempFolder folder;
    std::string list;
    for (int i = 0; i < 25; ++i)
        list += "http://site/p" + std::to_string(i) + ".html\n";
    WriteWhole(folder / "pages.urls", list);
    f.SetTask(folder / "pages.urls", 1, 1);
    EXPECT_EQ(f.CountState(kStateMaxRecursion), 25);
    f.RunToEnd();

    f.ExpectNothingPending();
    f.ExpectStatsEqualRecount();
    EXPECT_EQ(f.CountState(kStateMaxRecursion), 0);
    EXPECT_EQ(f.CountState(kStateInfoOnly), 25);
    ASSERT_EQ(f.transport.Requests().size(), 25u);
    for (const auto& request : f.transport.Requests())
        EXPECT_EQ(request.kind, LI_OP_FILE_INFO) << request.url;
}

TEST(LinkChecker, AtTheRecursionLimitLinksStayAtMaxRecursion)
{
    CEngineFixture f;
    BuildSite(f.transport);
    f.SetTask("http://site/index.html", 2, 0);
    f.RunToEnd();
    f.ExpectNothingPending();
    f.ExpectStatsEqualRecount();
    EXPECT_EQ(f.CountState(kStateMaxRecursion), 60); // shared and deep links below each page
}

TEST(LinkChecker, URecordsAreFoundByTheirExactKey)
{
    CUrlRecordIndex index;
    CUrlRecord* plain = index.FindOrAdd("http://h/a");
    EXPECT_NE(plain, index.FindOrAdd("http://h/a/"));
    EXPECT_NE(plain, index.FindOrAdd("http:\\\\h\\a"));
    EXPECT_NE(plain, index.FindOrAdd("http://h//a"));
    EXPECT_EQ(plain, index.FindOrAdd("http://h/a"));
    EXPECT_EQ(plain, index.Find("http://h/a"));
    EXPECT_EQ(index.Find("http://h/b"), nullptr);
    EXPECT_EQ(index.Find("http://h"), nullptr); // a prefix of a key is no key
    EXPECT_EQ(index.GetCount(), 4u);
    index.Clear();
    EXPECT_EQ(index.Find("http://h/a"), nullptr);
    EXPECT_EQ(index.GetCount(), 0u);
}

TEST(LinkChecker, TrailingSlashIsAnotherUrlInACrawl)
{
    CEngineFixture f;
    CFakeReply start;
    start.links = {"http://site/a", "http://site/a/"};
    f.transport.m_site["http://site/index.html"] = start;
    f.transport.m_site["http://site/a"] = CFakeReply{};
    f.SetTask("http://site/index.html", 5);
    f.RunToEnd();
    const CLinkNode* withSlash = f.Find("http://site/a/");
    const CLinkNode* without = f.Find("http://site/a");
    ASSERT_NE(withSlash, nullptr);
    ASSERT_NE(without, nullptr);
    EXPECT_NE(withSlash->GetUrlRecord(), without->GetUrlRecord());
    EXPECT_EQ(without->m_state, kStateDownloaded);
    EXPECT_EQ(withSlash->m_state, kStateBroken);
}

// A redirect on the same site is followed inside the job: the page that
// arrives is the target's, so its links are read relative to the target
// (the record's content URL), while the link keeps the URL it was found as.
TEST(LinkChecker, PageReachedThroughARedirectOnTheSiteIsReadAtTheTarget)
{
    CEngineFixture f;
    CFakeReply start;
    start.links = {"http://site/old/x"};
    f.transport.m_site["http://site/index.html"] = start;
    CFakeReply moved;
    moved.redirectPath = "/new/page.html";
    f.transport.m_site["http://site/old/x"] = moved;
    CFakeReply target;
    target.links = {"http://site/new/child.html"};
    f.transport.m_site["http://site/new/page.html"] = target;
    f.transport.m_site["http://site/new/child.html"] = CFakeReply{};
    f.SetTask("http://site/index.html", 5);
    f.RunToEnd();

    f.ExpectNothingPending();
    const CLinkNode* page = f.Node(1);
    ASSERT_NE(page->GetUrlRecord(), nullptr);
    EXPECT_EQ(page->m_url, "http://site/old/x");
    EXPECT_EQ(page->GetUrlRecord()->m_contentUrl, "http://site/new/page.html");
    EXPECT_EQ(page->m_state, kStateDownloaded);
    ASSERT_EQ(page->GetChildren().size(), 1u);
    EXPECT_EQ(page->GetChildren()[0]->m_state, kStateDownloaded);
}

TEST(LinkChecker, RedirectChainEndsBrokenAfterTwentyRedirectsInARow)
{
    CEngineFixture f;
    for (int i = 0; i < 40; ++i)
    {
        CFakeReply hop;
        hop.result = kResultRedirectOutside;
        hop.redirect = "http://site/r" + std::to_string(i + 1);
        f.transport.m_site["http://site/r" + std::to_string(i)] = hop;
    }
    f.SetTask("http://site/r0", 100);
    f.RunToEnd();

    f.ExpectNothingPending();
    f.ExpectStatsEqualRecount();
    ASSERT_EQ(f.engine->GetLinkCount(), CLinkChecker::kMaxRedirectChain + 1);
    const CLinkNode* last = f.Node(CLinkChecker::kMaxRedirectChain);
    EXPECT_EQ(last->m_url, "http://site/r20");
    EXPECT_EQ(last->m_state, kStateBroken);
    EXPECT_EQ(last->m_errorDetail, kResultTooManyRedirects);
    EXPECT_EQ(last->GetUrlRecord()->m_status.m_code, kResultTooManyRedirects);
    EXPECT_TRUE(last->GetChildren().empty());
    EXPECT_EQ(f.Node(19)->m_state, kStateRedirected);
}

TEST(LinkChecker, OfflineWithoutCacheEntryIsNotAvailableAndStartsNoJob)
{
    CEngineFixture f;
    CTaskSettings task("http://site/index.html", &f.settings);
    task.SetInt(TASK_RECURSION, 3);
    task.SetInt(TASK_ACTION, 2);
    ASSERT_TRUE(f.engine->SetTaskSettings(task));
    f.RunToEnd();
    EXPECT_EQ(f.Node(0)->m_state, kStateNotAvailableOffline);
    EXPECT_EQ(f.Node(0)->GetUrlRecord()->m_status.GetText(), "File info is not available offline");
    EXPECT_EQ(f.transport.JobCount(), 0);
    EXPECT_EQ(f.transport.CacheLookups(), 1);
    f.ExpectStatsEqualRecount();
}

TEST(LinkChecker, LocalFilesAreAnsweredAtOnce)
{
    CEngineFixture f;
    CTempFolder folder;
    WriteWhole(folder / "a.txt", "hello");
    WriteWhole(folder / "list.urls", (folder / "a.txt") + "\n" + (folder / "gone.txt") + "\n");
    f.SetTask(folder / "list.urls", 3);
    f.RunToEnd();
    const CLinkNode* present = f.Find(folder / "a.txt");
    const CLinkNode* gone = f.Find(folder / "gone.txt");
    ASSERT_NE(present, nullptr);
    ASSERT_NE(gone, nullptr);
    EXPECT_EQ(present->m_state, kStateDownloaded);
    EXPECT_EQ(present->m_size, 5);
    EXPECT_EQ(present->GetUrlRecord()->m_status.GetText(), "OK (local file)");
    EXPECT_EQ(gone->m_state, kStateBroken);
    EXPECT_EQ(gone->m_errorDetail, kResultNotFound);
    EXPECT_EQ(gone->GetUrlRecord()->m_status.GetText(), "Local file not found");
    EXPECT_EQ(f.transport.JobCount(), 0);
    f.ExpectNothingPending();
    f.ExpectStatsEqualRecount();
}

// A local folder is walked by the real page link extraction: its file is
// answered at once, its subfolder walked in turn and the page there parsed,
// all without a transfer.
TEST(LinkChecker, CrawlsALocalFolderWithThePageParser)
{
    CEngineFixture f(true, &ParseEnginePage);
    f.SetTask(std::string(TW_FIXTURES_DIR) + "/checker/pages/folder", 5);
    f.RunToEnd();

    f.ExpectNothingPending();
    f.ExpectStatsEqualRecount();
    EXPECT_EQ(f.transport.JobCount(), 0);
    EXPECT_EQ(f.Node(0)->m_linkType, kTypeLocalFolder);
    EXPECT_EQ(f.Node(0)->m_state, kStateDownloaded);
    const auto endsWith = [](const std::string& text, const std::string& tail) {
        return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
    };
    const CLinkNode* file = nullptr;
    const CLinkNode* page = nullptr;
    for (int i = 0; i < f.engine->GetLinkCount(); ++i)
    {
        if (endsWith(f.Node(i)->m_url, "/a.txt"))
            file = f.Node(i);
        if (endsWith(f.Node(i)->m_url, "/sub/b.html"))
            page = f.Node(i);
    }
    ASSERT_NE(file, nullptr);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(file->m_state, kStateDownloaded);
    EXPECT_EQ(file->GetUrlRecord()->m_status.GetText(), "OK (local file)");
    EXPECT_EQ(page->m_state, kStateDownloaded);
    EXPECT_EQ(page->GetUrlRecord()->m_status.GetText(), "OK (local HTML)");
    EXPECT_EQ(page->GetUrlRecord()->m_parsedNodeId, page->m_linkId);
}

// ---- Stopping and ending -----------------------------------------------------

TEST(LinkChecker, StopInTheMiddleTakesBackEveryLinkAndCancelsAHeldJob)
{
    CEngineFixture f;
    BuildSite(f.transport);
    // These pages never answer by themselves, like a job waiting for a
    // credential prompt nobody answers: only a stop ends them.
    for (int i = 10; i < 30; ++i)
        f.transport.m_site["http://site/p" + std::to_string(i) + ".html"].hold = true;
    f.SetTask("http://site/index.html", 10);
    const int before = ProgressCalls();
    ASSERT_TRUE(f.engine->Start());
    ASSERT_TRUE(f.transport.WaitForHeldJobs(CLinkChecker::kMaxInFlight, 20s));

    const auto stopStart = std::chrono::steady_clock::now();
    f.engine->Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stopStart, 5s);
    EXPECT_FALSE(f.engine->IsRunning());
    EXPECT_GE(ProgressCalls(), before + 2);

    f.ExpectNothingPending();
    f.ExpectStatsEqualRecount();
    EXPECT_EQ(f.transport.Running(), 0);
    const CLinkNode* held = f.Find("http://site/p10.html");
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->m_state, kStateStopped);
    EXPECT_GE(f.CountState(kStateStopped), 20);

    // A later run has nothing waiting and ends at once instead of spinning
    // on jobs that are gone.
    f.RunToEnd();
    f.ExpectNothingPending();
    f.ExpectStatsEqualRecount();
}

TEST(LinkChecker, RunWithNothingWaitingEndsAtOnceWithTwoProgressCalls)
{
    CEngineFixture f;
    f.transport.m_site["http://site/index.html"] = CFakeReply{};
    f.SetTask("http://site/index.html", 3);
    f.RunToEnd();
    const int before = ProgressCalls();
    f.RunToEnd();
    EXPECT_EQ(ProgressCalls(), before + 2);
    EXPECT_EQ(f.transport.Requests().size(), 1u);
}

TEST(LinkChecker, EngineDestroyedRightAfterARunEnds)
{
    for (int round = 0; round < 20; ++round)
    {
        CEngineFixture f;
        BuildSite(f.transport);
        f.SetTask("http://site/index.html", 3);
        const int before = ProgressCalls();
        ASSERT_TRUE(f.engine->Start());
        ASSERT_TRUE(WaitForProgressCalls(before + 2, 20s));
        // The owner drops the engine as soon as the thread says it ended.
        for (int spin = 0; spin < 1000000 && f.engine->IsRunning(); ++spin)
            std::this_thread::yield();
        f.engine.reset();
    }
}

TEST(LinkChecker, EngineDestroyedWhileRunningStopsAndJoins)
{
    CEngineFixture f;
    BuildSite(f.transport);
    for (int i = 0; i < 30; ++i)
        f.transport.m_site["http://site/p" + std::to_string(i) + ".html"].hold = true;
    f.SetTask("http://site/index.html", 3);
    ASSERT_TRUE(f.engine->Start());
    ASSERT_TRUE(f.transport.WaitForHeldJobs(1, 20s));
    f.engine.reset();
    EXPECT_EQ(f.transport.Running(), 0);
    EXPECT_EQ(f.transport.JobCount(), 0); // Clear removed the jobs
}
} // namespace
