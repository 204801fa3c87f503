// The queries and commands the views give the engine, each as a scripted
// scenario on a small finished table of the fake site.

#include "EngineFixture.h"

#include "checker/FormData.h"
#include "checker/LinkChecker.h"
#include "checker/LinkNode.h"
#include "checker/UrlRecord.h"

#include "foundation/files/DirectoryTree.h"
#include "foundation/files/FileSystem.h"
#include "foundation/links/LinkItem.h"
#include "platform/core/RefPtr.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/base/TransferLog.h"

#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace
{
// The start page links two pages, a missing page, an image and an external
// page, and p1 twice; p1 links a page one level deeper and the missing page
// again.
void BuildSmallSite(CFakeCrawlTransport& t)
{
    CFakeReply index;
    index.links = {"http://site/p1.html", "http://site/p2.html", "http://site/missing.html",
                   "http://site/img.png", "http://other/x.html", "http://site/p1.html"};
    t.m_site["http://site/index.html"] = index;
    CFakeReply p1;
    p1.links = {"http://site/deep.html", "http://site/missing.html"};
    t.m_site["http://site/p1.html"] = p1;
    t.m_site["http://site/p2.html"] = CFakeReply{};
    t.m_site["http://site/deep.html"] = CFakeReply{};
    CFakeReply image;
    image.resourceType = 4;
    image.size = 512;
    t.m_site["http://site/img.png"] = image;
    CFakeReply external;
    external.resourceType = 2;
    t.m_site["http://other/x.html"] = external;
}

// A finished crawl of the small site at the given Recursion.
struct CSmallSite : CEngineFixture
{
    explicit CSmallSite(int recursion)
    {
        BuildSmallSite(transport);
        SetTask("http://site/index.html", recursion);
        RunToEnd();
    }

    int Id(const std::string& url, int repetition = 1) const
    {
        for (int i = 0; i < engine->GetLinkCount(); ++i)
        {
            if (Node(i)->m_url == url &&
                (Node(i)->m_repetition == repetition || (repetition == 1 && Node(i)->m_repetition == -1)))
                return Node(i)->m_linkId;
        }
        ADD_FAILURE() << "no link " << url << " (" << repetition << ")";
        return 0;
    }

    const CLinkNode& Link(int id) const { return *engine->GetNodeById(id); }

    int Requests(const std::string& url, int kind = -1)
    {
        int count = 0;
        for (const auto& request : transport.Requests())
            count += request.url == url && (kind < 0 || request.kind == kind);
        return count;
    }
};

// ---- Queries --------------------------------------------------------------------

TEST(LinkCheckerQueries, TreeItemsReferrersAndCopies)
{
    CSmallSite f(2);
    const int p1 = f.Id("http://site/p1.html");
    const int p1Again = f.Id("http://site/p1.html", 2);
    const int deep = f.Id("http://site/deep.html");

    CLinkTreeItemArray root;
    f.engine->GetRootLink(&root, nullptr);
    ASSERT_EQ(root.size(), 1u);
    EXPECT_EQ(root[0].m_linkId, 100);
    EXPECT_EQ(root[0].m_info->m_url, "http://site/index.html");

    int out = -1;
    EXPECT_TRUE(f.engine->GetReferrerId(deep, out));
    EXPECT_EQ(out, p1);
    EXPECT_FALSE(f.engine->GetReferrerId(100, out));
    EXPECT_EQ(out, 0);
    EXPECT_FALSE(f.engine->GetReferrerId(99, out));
    EXPECT_TRUE(f.engine->GetFirstOccurrence(p1Again, out));
    EXPECT_EQ(out, p1);
    EXPECT_TRUE(f.engine->GetFirstOccurrence(p1, out));
    EXPECT_EQ(out, p1);
    EXPECT_FALSE(f.engine->GetFirstOccurrence(100 + f.engine->GetLinkCount(), out));
    EXPECT_TRUE(f.engine->GetLinkLogId(p1, out));
    EXPECT_EQ(out, f.Link(p1).GetUrlRecord()->m_jobId + CFakeCrawlTransport::kLogIdOffset);
    EXPECT_FALSE(f.engine->GetLinkLogId(12345, out));
    EXPECT_EQ(out, 0);

    // A fresh copy takes everything; a second query finds nothing newer
    // until the link changes.
    CLinkInfo copy;
    copy.m_linkId = p1;
    EXPECT_EQ(f.engine->QueryLinkInfo(copy),
              CLinkNode::kCopiedContent | CLinkNode::kCopiedChildren | CLinkNode::kCopiedDescendants);
    EXPECT_EQ(copy.m_state, kStateDownloaded);
    EXPECT_EQ(copy.m_sublinks, 2);
    EXPECT_EQ(f.engine->QueryLinkInfo(copy), 0);
    f.engine->TouchAllLinks();
    EXPECT_EQ(f.engine->QueryLinkInfo(copy), CLinkNode::kCopiedContent | CLinkNode::kCopiedChildren);
    copy.m_linkId = 99;
    EXPECT_EQ(f.engine->QueryLinkInfo(copy), 0);

    CLinkStats stats;
    f.engine->GetStatistics(stats);
    EXPECT_TRUE(stats == f.engine->GetStats());
    EXPECT_EQ(f.engine->GetRecursion(), 2);
}

TEST(LinkCheckerQueries, UpdateLinkTreeReturnsOnlyWhatIsNewerThanTheStamp)
{
    CSmallSite f(2);
    const CLinkNode& root = f.Link(100);
    const int children = static_cast<int>(root.GetChildren().size());
    uint32_t newest = 0;
    for (const CLinkNode* child : root.GetChildren())
        newest = std::max(newest, child->m_contentStamp);
    CLinkViewFilter brokenOnly;
    brokenOnly.m_stateMask = 1 << kStateBroken;
    brokenOnly.m_containsBroken = 0;

    struct Case
    {
        const char* name;
        int id;
        uint32_t stamp;
        bool recursive;
        const CLinkViewFilter* filter;
        size_t items;
        uint32_t stampAfter;
    };
    const Case cases[] = {
        {"AllChildren", 100, 0, false, nullptr, static_cast<size_t>(children), newest},
        {"NothingNewer", 100, newest, false, nullptr, 0, 0},
        {"WholeTree", 100, 0, true, nullptr, static_cast<size_t>(f.engine->GetLinkCount() - 1), 0},
        {"Filtered", 100, 0, false, &brokenOnly, 1, 0},
        {"FilteredWholeTree", 100, 0, true, &brokenOnly, 2, 0},
        {"BadIdLeavesTheStamp", 99, 7, false, nullptr, 0, 7},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CLinkTreeItemArray items;
        CLinkTreeItemMap map;
        uint32_t stamp = c.stamp;
        f.engine->UpdateLinkTree(c.id, stamp, &items, &map, c.recursive, c.filter);
        EXPECT_EQ(items.size(), c.items);
        EXPECT_EQ(map.size(), c.items);
        if (c.stampAfter != 0 || c.items == 0)
        {
            EXPECT_EQ(stamp, c.stampAfter);
        }
        else
        {
            EXPECT_GT(stamp, c.stamp);
        }
        for (const CLinkTreeItem& item : items)
        {
            ASSERT_NE(item.m_info, nullptr);
            EXPECT_EQ(item.m_info->m_linkId, item.m_linkId);
            EXPECT_EQ(map.at(item.m_linkId).m_linkId, item.m_linkId);
            EXPECT_GT(item.m_info->m_contentStamp, c.stamp);
            if (c.filter != nullptr)
            {
                EXPECT_EQ(item.m_info->m_state, kStateBroken);
            }
        }
    }

    // Without a container nothing happens; after a touch everything is new.
    uint32_t stamp = newest;
    f.engine->UpdateLinkTree(100, stamp, nullptr, nullptr, false, nullptr);
    EXPECT_EQ(stamp, newest);
    f.engine->TouchAllLinks();
    CLinkTreeItemArray items;
    f.engine->UpdateLinkTree(100, stamp, &items, nullptr, false, nullptr);
    EXPECT_EQ(static_cast<int>(items.size()), children);
    EXPECT_GT(stamp, newest);
    items.clear();
    f.engine->RefreshLinkTree(100, &items, nullptr, false, nullptr);
    EXPECT_EQ(static_cast<int>(items.size()), children);
}

TEST(LinkCheckerQueries, ARunIsFinishedFromItsLastProgressCallOnWhileItsThreadLeaves)
{
    CEngineFixture f;
    CFakeReply held;
    held.hold = true;
    f.transport.m_site["http://site/index.html"] = held;
    f.SetTask("http://site/index.html", 1);
    EXPECT_TRUE(f.engine->IsRunFinished()) << "before any run";
    ASSERT_TRUE(f.engine->Start());
    ASSERT_TRUE(f.transport.WaitForHeldJobs(1, 20s));
    EXPECT_FALSE(f.engine->IsRunFinished());
    f.engine->Stop();
    EXPECT_TRUE(f.engine->IsRunFinished());

    // A report job counts as a run until it is written.
    CRefPtr<CTransferLog> log = CRefPtr<CTransferLog>::Adopt(new CTransferLog());
    const int before = ProgressCalls();
    ASSERT_TRUE(f.engine->StartReportJob(log.Get(), CReportOptions()));
    ASSERT_TRUE(WaitForProgressCalls(before + 2, 20s)) << "the report did not end";
    EXPECT_TRUE(f.engine->IsRunFinished()) << "the last call comes after the job is done";
    f.engine->Stop();
}

TEST(LinkCheckerQueries, StateByHrefResolvesOnThePageAndJudgesUnknownAddresses)
{
    CSmallSite partial(2); // deep.html stopped at the recursion limit
    const int p1 = partial.Id("http://site/p1.html");
    EXPECT_EQ(partial.engine->GetLinkStateByHref(100, "p1.html"), kStateDownloaded);
    EXPECT_EQ(partial.engine->GetLinkStateByHref(p1, "missing.html#part"), kStateBroken);
    EXPECT_EQ(partial.engine->GetLinkStateByHref(p1, "/deep.html"), kStateMaxRecursion);
    EXPECT_EQ(partial.engine->GetLinkStateByHref(100, "nowhere.html"), kStateUnknown);
    EXPECT_EQ(partial.engine->GetLinkStateByHref(100, ""), kStateUnknown);
    EXPECT_EQ(partial.engine->GetLinkStateByHref(99, "p1.html"), kStateUnknown);

    CSmallSite whole(10);
    EXPECT_EQ(whole.engine->GetLinkStateByHref(100, "nowhere.html"), kStateBroken);
    EXPECT_EQ(whole.engine->GetLinkStateByHref(100, "deep.html"), kStateDownloaded);
}

TEST(LinkCheckerQueries, OrphanFilesAreTheFilesNoLinkReached)
{
    CEngineFixture f(true, &ParseEnginePage);
    CTempFolder folder;
    ::mkdir((folder / "sub").c_str(), 0700);
    WriteWhole(folder / "index.html", "<html><a href=\"a.html\">a</a></html>");
    WriteWhole(folder / "a.html", "<html></html>");
    WriteWhole(folder / "b.txt", "12345");
    WriteWhole(folder / "sub/c.html", "123");
    f.SetTask(folder / "index.html", 5);
    std::vector<std::string> names;
    int64_t total = -1;
    f.engine->FindOrphanFiles(names, total); // links still pending
    EXPECT_TRUE(names.empty());
    f.RunToEnd();
    f.engine->FindOrphanFiles(names, total);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{folder / "b.txt", folder / "sub/c.html"}));
    EXPECT_EQ(total, 8);

    CSmallSite remote(10);
    names.clear();
    remote.engine->FindOrphanFiles(names, total);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(total, 0);
}

// ---- Deeper and wider -------------------------------------------------------------

TEST(LinkCheckerCommands, ContinueTaskGoesDeeperUpToRecursion1000)
{
    CSmallSite f(2);
    const int deep = f.Id("http://site/deep.html");
    ASSERT_EQ(f.Link(deep).m_state, kStateMaxRecursion);
    EXPECT_TRUE(f.engine->CanContinueTask());

    // deep.html alone: the repetition of missing.html beside it took the
    // state of its first occurrence.
    EXPECT_EQ(f.RunCommand([&] { return f.engine->ContinueTask(5); }), 1);
    EXPECT_EQ(f.engine->GetRecursion(), 7);
    EXPECT_EQ(f.Link(deep).m_state, kStateDownloaded);
    EXPECT_EQ(f.Requests("http://site/deep.html"), 1);
    EXPECT_EQ(f.Requests("http://site/missing.html"), 1);
    EXPECT_FALSE(f.engine->CanContinueTask());
    f.ExpectNothingPending();
    f.ExpectStatsEqualRecount();

    CTaskSettings task("http://site/index.html", &f.settings);
    task.SetInt(TASK_RECURSION, 998);
    ASSERT_TRUE(f.engine->SetTaskSettings(task));
    f.engine->GetNodeAt(0)->SetStateCounted(kStateMaxRecursion, f.engine->Stats());
    EXPECT_EQ(f.RunCommand([&] { return f.engine->ContinueTask(5); }), 1);
    EXPECT_EQ(f.engine->GetRecursion(), 1000);
    f.engine->GetNodeAt(0)->SetStateCounted(kStateMaxRecursion, f.engine->Stats());
    EXPECT_FALSE(f.engine->CanContinueTask());
    EXPECT_EQ(f.engine->ContinueTask(5), 0);
    EXPECT_EQ(f.engine->GetRecursion(), 1000);
    EXPECT_EQ(f.Node(0)->m_state, kStateMaxRecursion);
}

TEST(LinkCheckerCommands, CheckExternalLinksAsksForInformationOnly)
{
    CSmallSite f(10);
    EXPECT_FALSE(f.engine->CanCheckExternalLinks());
    // The page link extraction leaves a link to another site Is External.
    CFakeReply external;
    external.resourceType = 2;
    f.transport.m_site["http://other/y.html"] = external;
    int id = 0;
    {
        CEngineLock lock(f.engine->GetLock());
        auto made = std::make_unique<CLinkNode>();
        made->m_url = made->m_name = "http://other/y.html";
        made->m_depth = 1;
        made->SetScope(kScopeExternal);
        made->SetState(kStateIsExternal);
        CLinkNode* link = f.engine->AppendNode(std::move(made));
        f.Node(0)->AddChild(link, f.engine->Stats());
        f.engine->PrepareLink(link, lock);
        id = link->m_linkId;
    }
    EXPECT_TRUE(f.engine->CanCheckExternalLinks());

    EXPECT_EQ(f.RunCommand([&] { return f.engine->CheckExternalLinks(); }), 1);
    EXPECT_EQ(f.Link(id).m_state, kStateInfoOnly);
    EXPECT_EQ(f.Link(id).m_scope, kScopeExternal);
    EXPECT_EQ(f.Requests("http://other/y.html", LI_OP_FILE_INFO), 1);
    EXPECT_FALSE(f.engine->CanCheckExternalLinks());
    f.ExpectNothingPending();
    f.ExpectStatsEqualRecount();
}

// ---- Chosen links ------------------------------------------------------------------

TEST(LinkCheckerCommands, RecheckDownloadsAnInfoOnlyLinkAndRequeuesTheFirstOccurrence)
{
    CSmallSite f(10);
    const int image = f.Id("http://site/img.png");
    const int missing = f.Id("http://site/missing.html");
    const int missingAgain = f.Id("http://site/missing.html", 2);
    const int p2 = f.Id("http://site/p2.html");
    ASSERT_EQ(f.Link(image).m_state, kStateInfoOnly);

    struct Case
    {
        std::vector<int> ids;
        bool all;
        bool can;
    };
    const Case cases[] = {
        {{image, missing}, true, true}, {{image, p2}, true, false}, {{p2, image}, false, true},
        {{p2}, false, false},           {{99}, false, false},       {{}, false, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(f.engine->CanRecheckLinks(c.ids.data(), static_cast<int>(c.ids.size()), c.all), c.can);

    EXPECT_EQ(f.RunCommand([&] { return f.engine->RecheckLink(image); }), 1);
    EXPECT_EQ(f.Link(image).m_state, kStateDownloaded);
    EXPECT_EQ(f.Requests("http://site/img.png", LI_OP_DOWNLOAD), 1);

    // A repetition re-queues its first occurrence; both end as it does.
    EXPECT_EQ(f.RunCommand([&] { return f.engine->RecheckLink(missingAgain); }), 1);
    EXPECT_EQ(f.Requests("http://site/missing.html"), 2);
    EXPECT_EQ(f.Link(missing).m_state, kStateBroken);
    EXPECT_EQ(f.Link(missingAgain).m_state, kStateBroken);
    EXPECT_EQ(f.engine->RecheckLink(p2), 0);
    f.ExpectNothingPending();
    f.ExpectStatsEqualRecount();
}

TEST(LinkCheckerCommands, StoppingAWaitingLinkMakesNoTransferCall)
{
    CEngineFixture f;
    f.SetTask("http://site/index.html", 3);
    EXPECT_TRUE(f.engine->CanStopLink(100));
    EXPECT_EQ(f.engine->StopLink(100), 1);
    EXPECT_EQ(f.Node(0)->m_state, kStateStopped);
    EXPECT_EQ(f.transport.JobCount(), 0);
    EXPECT_FALSE(f.engine->CanStopLink(100));
    EXPECT_EQ(f.engine->StopLink(100), 0);
    f.ExpectStatsEqualRecount();
}

// A held page (its job never ends by itself) is stopped while the run goes
// on, chosen by its first occurrence or by a repetition: either way its job
// is stopped at once and the run ends instead of waiting for it.
TEST(LinkCheckerCommands, StoppingAProcessingLinkStopsItsJobAtOnce)
{
    for (const int repetition : {1, 2})
    {
        SCOPED_TRACE(repetition);
        CEngineFixture f;
        CFakeReply index;
        index.links = {"http://site/held.html", "http://site/held.html"};
        f.transport.m_site["http://site/index.html"] = index;
        CFakeReply held;
        held.hold = true;
        f.transport.m_site["http://site/held.html"] = held;
        f.SetTask("http://site/index.html", 3);
        const int before = ProgressCalls();
        ASSERT_TRUE(f.engine->Start());
        ASSERT_TRUE(f.transport.WaitForHeldJobs(1, 20s));
        const int chosen = 101 + (repetition - 1);
        EXPECT_TRUE(f.engine->CanStopLink(chosen));
        EXPECT_EQ(f.engine->StopLink(chosen), 1);
        EXPECT_EQ(f.transport.Running(), 0);
        ASSERT_TRUE(WaitForProgressCalls(before + 3, 20s)) << "the run did not end";
        f.engine->Stop();
        EXPECT_EQ(f.Node(1)->m_state, kStateStopped);
        EXPECT_EQ(f.Node(2)->m_state, kStateStopped);
        f.ExpectNothingPending();
        f.ExpectStatsEqualRecount();
    }
}

// ---- Forms --------------------------------------------------------------------------

TEST(LinkCheckerCommands, FormSubmissionBecomesALinkBelowTheForm)
{
    struct Case
    {
        const char* method;
        const char* url;
        const char* post;
        int kind;
    };
    const Case cases[] = {
        // The action's own query is replaced, never extended.
        {"get", "http://site/a?q=2", "", LI_OP_FILE_INFO},
        {"post", "http://site/a?x=1", "data:q=2", LI_OP_DOWNLOAD},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.method);
        CEngineFixture f;
        f.SetTask("http://site/index.html", 3);
        int formId = 0;
        {
            CEngineLock lock(f.engine->GetLock());
            auto made = std::make_unique<CLinkNode>();
            made->m_url = made->m_name = "http://site/a";
            made->m_linkType = kTypeForm;
            made->m_depth = 1;
            made->m_siteLevel = 1;
            CLinkNode* form = f.engine->AppendNode(std::move(made));
            f.Node(0)->AddChild(form, f.engine->Stats());
            formId = form->m_linkId;
        }
        CFormData form;
        form.SetActionAndMethod(std::string("<form method=\"") + c.method +
                                    "\"><input name=\"q\" value=\"2\"></form>",
                                "http://site/a?x=1#frag");
        ASSERT_EQ(form.GetSubmitString(), "?q=2");
        EXPECT_EQ(f.engine->AddFormSubmitLink(100, form), 0); // not a FORM link

        const int id = f.RunCommand([&] { return f.engine->AddFormSubmitLink(formId, form); });
        ASSERT_EQ(id, formId + 1);
        const CLinkNode& link = *f.engine->GetNodeById(id);
        EXPECT_EQ(link.m_url, c.url);
        EXPECT_EQ(link.m_name, c.url);
        EXPECT_EQ(link.m_postDescription, c.post);
        EXPECT_EQ(link.m_depth, 2);
        EXPECT_EQ(link.m_siteLevel, 2);
        EXPECT_EQ(link.m_scope, kScopeExtraExternal);
        EXPECT_EQ(link.GetParent()->m_linkId, formId);
        ASSERT_NE(f.engine->GetNodeById(formId)->m_form.Get(), nullptr);
        EXPECT_EQ(f.engine->GetNodeById(formId)->m_form.Get()->GetSubmitString(), "?q=2");
        bool requested = false;
        for (const auto& request : f.transport.Requests())
        {
            if (request.url == c.url)
            {
                requested = true;
                EXPECT_EQ(request.kind, c.kind);
            }
        }
        EXPECT_TRUE(requested);
        f.ExpectNothingPending();
        f.ExpectStatsEqualRecount();
    }
}

// ---- Saving links -------------------------------------------------------------------

// A table of remote links whose downloads are at hand: each URL's record
// holds a local copy with the URL as its content.
struct CSavedLinks : CEngineFixture
{
    CSavedLinks(const std::vector<std::string>& urls)
    {
        SetTask("http://site/index.html", 3);
        CEngineLock lock(engine->GetLock());
        for (const std::string& url : urls)
        {
            auto made = std::make_unique<CLinkNode>();
            made->m_url = made->m_name = url;
            made->m_depth = 1;
            made->SetState(kStateWaiting);
            CLinkNode* link = engine->AppendNode(std::move(made));
            Node(0)->AddChild(link, engine->Stats());
            CUrlRecord* record = engine->PrepareLink(link, lock);
            record->m_localPath = cache / ("copy" + std::to_string(m_ids.size()));
            record->m_hasLocalCopy = true;
            link->SetStateCounted(kStateDownloaded, engine->Stats());
            WriteWhole(record->m_localPath, url);
            m_ids.push_back(link->m_linkId);
        }
    }

    std::string Messages() const
    {
        std::string text;
        m_log->GetText(text);
        return text;
    }

    std::vector<int> m_ids;
    CRefPtr<CTransferLog> m_log = CRefPtr<CTransferLog>::Adopt(new CTransferLog());
};

// Every file below folder, as paths relative to it.
std::set<std::string> FilesBelow(const std::string& folder, const std::string& prefix = {})
{
    std::set<std::string> found;
    std::vector<std::string> files, folders;
    ListDirectory(folder, files, folders, "*");
    for (const std::string& name : files)
        found.insert(prefix + name);
    for (const std::string& name : folders)
    {
        const std::set<std::string> below = FilesBelow(folder + "/" + name, prefix + name + "/");
        found.insert(below.begin(), below.end());
    }
    return found;
}

TEST(LinkCheckerSave, OneLinkGoesToTheFileNamed)
{
    CSavedLinks f({"http://site/p1.html"});
    CTempFolder out;
    EXPECT_TRUE(f.engine->CanSaveLink(f.m_ids[0]));
    EXPECT_FALSE(f.engine->CanSaveLink(100)); // the root was never downloaded
    WriteWhole(out / "copy.html", "old");
    EXPECT_EQ(f.engine->SaveLinksAs(f.m_ids.data(), 1, out / "copy.html", f.m_log.Get()), 1);
    EXPECT_EQ(ReadWhole(out / "copy.html"), "http://site/p1.html");

    // A single target is a file name: an existing folder is not replaced.
    ::mkdir((out / "folder").c_str(), 0700);
    EXPECT_EQ(f.engine->SaveLinksAs(f.m_ids.data(), 1, out / "folder", f.m_log.Get()), 0);
    const std::string source = f.engine->GetNodeById(f.m_ids[0])->GetUrlRecord()->m_localPath;
    EXPECT_NE(f.Messages().find("Cannot copy file \"" + source + "\" to \"" + (out / "folder") + "\"."),
              std::string::npos)
        << f.Messages();
    EXPECT_TRUE(DirectoryExists(out / "folder"));
}

// A local link is its own file: saved under a name that differs only in
// case it is copied (paths compare exactly), saved onto itself it stays.
TEST(LinkCheckerSave, LocalFileComparesItsPathExactly)
{
    CEngineFixture f;
    CTempFolder folder;
    WriteWhole(folder / "Page.txt", "content");
    f.SetTask(folder / "Page.txt", 3);
    f.RunToEnd();
    const int root = 100;
    ASSERT_TRUE(f.engine->CanSaveLink(root));
    CRefPtr<CTransferLog> log = CRefPtr<CTransferLog>::Adopt(new CTransferLog());
    EXPECT_EQ(f.engine->SaveLinksAs(&root, 1, folder / "page.txt", log.Get()), 1);
    EXPECT_EQ(f.engine->SaveLinksAs(&root, 1, folder / "Page.txt", log.Get()), 1);
    EXPECT_EQ(ReadWhole(folder / "Page.txt"), "content");
    EXPECT_EQ(ReadWhole(folder / "page.txt"), "content");
    std::string messages;
    log->GetText(messages);
    EXPECT_EQ(messages, "");
}

TEST(LinkCheckerSave, SeveralLinksStayInsideTheFolderNamed)
{
    CSavedLinks f({"http://site/p1.html", "http://site/dir/", "http://site/x/..", "http://site/a\\..\\b",
                   "http://site/q?to=/etc/passwd", "http://site/y/%2e%2e"});
    CTempFolder out;
    const std::string target = out / "saved/here";
    const std::vector<int>& ids = f.m_ids;
    EXPECT_TRUE(f.engine->CanSaveLinks(ids.data(), static_cast<int>(ids.size()), true));
    EXPECT_EQ(f.engine->SaveLinksAs(ids.data(), static_cast<int>(ids.size()), target, f.m_log.Get()), 6)
        << f.Messages();
    const std::set<std::string> files = FilesBelow(target);
    // A last segment that is empty, "..", or holds a separator gives a name
    // made from the link id.
    const std::set<std::string> expected = {"p1.html",
                                            "link" + std::to_string(ids[1]),
                                            "link" + std::to_string(ids[2]),
                                            "link" + std::to_string(ids[3]),
                                            "q",
                                            "%2e%2e"};
    EXPECT_EQ(files, expected);
    EXPECT_EQ(ReadWhole(target + "/p1.html"), "http://site/p1.html");
    // Nothing was written beside or above the folder.
    EXPECT_EQ(FilesBelow(out.Path()).size(), 6u);
    EXPECT_EQ(f.Messages(), "");
}

TEST(LinkCheckerSave, FailuresAreReportedAndTheOthersSaved)
{
    CSavedLinks f({"http://site/p1.html", "http://site/p2.html"});
    CTempFolder out;
    const std::string gone = f.engine->GetNodeById(f.m_ids[0])->GetUrlRecord()->m_localPath;
    ::unlink(gone.c_str());
    const int ids[] = {f.m_ids[0], 99, 100, f.m_ids[1]};
    EXPECT_EQ(f.engine->SaveLinksAs(ids, 4, out / "dir", f.m_log.Get()), 1);
    EXPECT_EQ(ReadWhole(out / "dir/p2.html"), "http://site/p2.html");
    EXPECT_NE(f.Messages().find("Cannot copy file \"" + gone + "\" to \"" + (out / "dir/p1.html") + "\"."),
              std::string::npos)
        << f.Messages();

    // A folder that cannot be made: its parent is a file.
    WriteWhole(out / "file", "x");
    EXPECT_EQ(f.engine->SaveLinksAs(ids, 4, out / "file/dir", f.m_log.Get()), 0);
    EXPECT_NE(f.Messages().find("Cannot create dir \"" + (out / "file/dir") + "\"."), std::string::npos);
    EXPECT_EQ(f.engine->SaveLinksAs(ids, 0, out / "dir", f.m_log.Get()), 0);
}
} // namespace
