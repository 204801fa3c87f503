#include "checker/LinkNames.h"
#include "checker/LinkNode.h"
#include "checker/LinkStats.h"
#include "checker/UrlRecord.h"

#include "StatsRecount.h"

#include "foundation/markup/LinkWalk.h"
#include "transfer/base/ResultCodes.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{
// A small link table: owns its nodes and URL records as the engine does.
class CLinkTable
{
public:
    ~CLinkTable()
    {
        for (auto& [url, record] : m_records)
            record->Release();
    }

    CLinkNode* Add(CLinkNode* parent, const std::string& url, int tagType, int linkType = kTypeImage)
    {
        auto node = std::make_unique<CLinkNode>();
        node->m_url = url;
        node->m_tagType = tagType;
        node->m_linkType = linkType;
        node->m_scope = kScopeInternal;
        node->m_linkId = static_cast<int>(m_nodes.size()) + 100;
        CLinkNode* raw = node.get();
        m_nodes.push_back(std::move(node));
        raw->CountInStats(m_stats);
        if (parent)
            parent->AddChild(raw, m_stats);
        raw->AttachToUrlRecord(Record(url), m_stats);
        return raw;
    }

    CUrlRecord* Record(const std::string& url)
    {
        CUrlRecord*& record = m_records[url];
        if (!record)
            record = new CUrlRecord();
        return record;
    }

    CLinkStats m_stats;
    std::vector<std::unique_ptr<CLinkNode>> m_nodes;
    std::map<std::string, CUrlRecord*> m_records;
};

// Every counter and every per-node count computed from scratch.
void ExpectRecountEquals(const CLinkTable& table)
{
    CLinkStats expected = EmptyRecount(table.m_stats);
    for (const auto& owned : table.m_nodes)
    {
        const CLinkNode& node = *owned;
        AddNodeToRecount(expected, node);

        int broken = 0;
        int sized = 0;
        int64_t childrenSize = 0;
        for (const CLinkNode* child : node.GetChildren())
        {
            broken += child->m_state == kStateBroken;
            sized += child->m_size != -1;
            if (child->IsFirstOccurrence() && IsPagePartTag(child->m_tagType))
            {
                childrenSize += child->m_size < 0 ? 0 : child->m_size;
                if (IsFrameTag(child->m_tagType))
                    childrenSize += child->m_childrenSize;
            }
        }
        int recursive = 0;
        std::vector<const CLinkNode*> pending(node.GetChildren().begin(), node.GetChildren().end());
        while (!pending.empty())
        {
            const CLinkNode* n = pending.back();
            pending.pop_back();
            ++recursive;
            pending.insert(pending.end(), n->GetChildren().begin(), n->GetChildren().end());
        }
        SCOPED_TRACE(node.m_url);
        EXPECT_EQ(node.m_brokenChildren, broken);
        EXPECT_EQ(node.m_sizedChildren, sized);
        EXPECT_EQ(node.m_childrenSize, childrenSize);
        EXPECT_EQ(node.m_sublinks, static_cast<int>(node.GetChildren().size()));
        EXPECT_EQ(node.m_sublinksRecursive, recursive);
    }
    EXPECT_EQ(table.m_stats, expected);
}

TEST(LinkNode, CountersEqualARecountAfterScriptedOperations)
{
    CLinkTable t;
    CLinkNode* root = t.Add(nullptr, "http://site/", kLinkNotTagged, kTypeHtml);
    CLinkNode* page = t.Add(root, "http://site/a.html", kLinkAHref, kTypeHtml);
    CLinkNode* frame = t.Add(root, "http://site/frame.html", kLinkFrameSrc, kTypeHtml);
    CLinkNode* logo = t.Add(frame, "http://site/logo.png", kLinkImgSrc);
    CLinkNode* logoAgain = t.Add(page, "http://site/logo.png", kLinkImgSrc);
    CLinkNode* css = t.Add(frame, "http://site/s.css", kLinkLinkHref, kTypeText);
    CLinkNode* mail = t.Add(page, "mailto:x@site", kLinkAHref, kTypeMailto);
    CLinkNode* missing = t.Add(page, "https://site/missing", kLinkAHref, kTypeUnknown);
    CLinkNode* pageAgain = t.Add(frame, "http://site/a.html", kLinkAHref, kTypeHtml);
    ExpectRecountEquals(t);

    root->SetStateCounted(kStateDownloaded, t.m_stats);
    frame->SetStateCounted(kStateProcessing, t.m_stats);
    logo->SetSize(1000);
    css->SetSize(-1);
    css->SetSize(250);
    frame->SetSize(4000);
    missing->SetBrokenCounted(1004, t.m_stats);
    page->SetBrokenCounted(kResultRedirectOutside, t.m_stats);
    mail->SetStateCounted(kStateIsExternal, t.m_stats);
    ExpectRecountEquals(t);
    EXPECT_EQ(frame->m_childrenSize, 1250);
    EXPECT_EQ(root->m_childrenSize, 4000 + 1250); // the frame's page size passes on up

    // A repetition takes its results from the first node.
    page->SetStateCounted(kStateDownloaded, t.m_stats);
    page->SetSize(512);
    EXPECT_TRUE(pageAgain->SyncFromFirst(t.m_stats));
    EXPECT_TRUE(logoAgain->SyncFromFirst(t.m_stats));
    EXPECT_FALSE(logo->SyncFromFirst(t.m_stats));
    EXPECT_EQ(logoAgain->m_size, 1000);
    EXPECT_EQ(pageAgain->m_state, kStateDownloaded);
    ExpectRecountEquals(t);

    // The first node takes its record's results, with a URL of another scheme.
    CUrlRecord* record = missing->GetUrlRecord();
    record->m_url = "ftp://site/moved";
    record->m_remoteSize = 77;
    record->m_contentKind = kTypeArchive;
    EXPECT_TRUE(missing->ApplyUrlRecord(t.m_stats));
    EXPECT_EQ(missing->m_url, "ftp://site/moved");
    ExpectRecountEquals(t);

    // Sizes that become unknown again, and children added in one step.
    logo->SetSize(-1);
    frame->SetStateCounted(kStateBroken, t.m_stats);
    std::vector<CLinkNode*> more;
    for (const char* url : {"http://site/b.png", "http://site/c.png"})
    {
        t.m_nodes.push_back(std::make_unique<CLinkNode>());
        CLinkNode* n = t.m_nodes.back().get();
        n->m_url = url;
        n->m_tagType = kLinkImgSrc;
        n->m_state = kStateBroken;
        n->m_size = 10;
        n->CountInStats(t.m_stats);
        more.push_back(n);
    }
    frame->AddChildren(more, t.m_stats);
    for (CLinkNode* n : more)
        n->AttachToUrlRecord(t.Record(n->m_url), t.m_stats);
    missing->SetStateCounted(kStateDownloaded, t.m_stats);
    ExpectRecountEquals(t);
    EXPECT_EQ(t.m_stats.SumStates(CLinkStats::kAll), 11);
    EXPECT_EQ(t.m_stats.SumStates(CLinkStats::kUnique), 9);
}

TEST(LinkNode, UnknownSizesAddNothing)
{
    CLinkTable t;
    CLinkNode* root = t.Add(nullptr, "http://site/", kLinkNotTagged, kTypeHtml);
    CLinkNode* image = t.Add(root, "http://site/i.png", kLinkImgSrc);
    CLinkNode* link = t.Add(root, "http://site/x.html", kLinkAHref, kTypeHtml);

    image->SetSize(-1); // unknown to unknown
    EXPECT_EQ(root->m_childrenSize, 0);
    EXPECT_EQ(root->m_sizedChildren, 0);

    image->SetSize(300); // becomes known later
    EXPECT_EQ(root->m_childrenSize, 300);
    EXPECT_EQ(root->m_sizedChildren, 1);

    image->SetSize(-1); // unknown again: takes out only what it had added
    EXPECT_EQ(root->m_childrenSize, 0);
    EXPECT_EQ(root->m_sizedChildren, 0);

    link->SetSize(5000); // not a page part: counted as sized, not in the page size
    EXPECT_EQ(root->m_childrenSize, 0);
    EXPECT_EQ(root->m_sizedChildren, 1);
    ExpectRecountEquals(t);
}

TEST(LinkNode, AddingAnEmptyArrayChangesNothing)
{
    CLinkTable t;
    CLinkNode* root = t.Add(nullptr, "http://site/", kLinkNotTagged, kTypeHtml);
    const CLinkStats before = t.m_stats;
    const uint32_t content = root->m_contentStamp;
    const uint32_t children = root->m_childrenStamp;
    const uint32_t descendants = root->m_descendantsStamp;
    root->AddChildren({}, t.m_stats);
    EXPECT_EQ(t.m_stats, before);
    EXPECT_EQ(root->m_contentStamp, content);
    EXPECT_EQ(root->m_childrenStamp, children);
    EXPECT_EQ(root->m_descendantsStamp, descendants);
}

TEST(LinkNode, AttachingARepetitionMovesItOutOfTheUniqueGroup)
{
    CLinkTable t;
    CLinkNode* root = t.Add(nullptr, "http://site/", kLinkNotTagged, kTypeHtml);
    CLinkNode* a = t.Add(root, "http://site/p.png", kLinkImgSrc);
    CLinkNode* b = t.Add(root, "http://site/p.png", kLinkImgSrc);
    EXPECT_EQ(a->m_repetition, 1);
    EXPECT_EQ(b->m_repetition, 2);
    EXPECT_EQ(b->GetFirstOccurrence(), a);
    EXPECT_EQ(a->GetReferenceCount(), 2); // both found on an HTML page
    EXPECT_EQ(t.m_stats.m_tagTypes[CLinkStats::kAll][kLinkImgSrc], 2);
    EXPECT_EQ(t.m_stats.m_tagTypes[CLinkStats::kUnique][kLinkImgSrc], 1);
}

TEST(LinkNode, CopyInfoIfChangedReportsWhatMoved)
{
    CLinkTable t;
    CLinkNode* root = t.Add(nullptr, "http://site/", kLinkNotTagged, kTypeHtml);
    root->m_name = "Home";
    CLinkNode* first = t.Add(root, "http://site/p.png", kLinkImgSrc);
    first->m_name = "pic";
    CLinkNode* again = t.Add(root, "http://site/p.png", kLinkImgSrc);
    again->m_name = "pic";
    first->SetSize(42);

    CLinkInfo copy;
    EXPECT_EQ(root->CopyInfoIfChanged(copy), CLinkNode::kCopiedContent | CLinkNode::kCopiedChildren |
                                                 CLinkNode::kCopiedDescendants);
    EXPECT_EQ(copy.m_sublinks, 2);
    EXPECT_EQ(copy.m_sublinksRecursive, 2);
    EXPECT_EQ(copy.m_name, "Home");
    EXPECT_EQ(root->CopyInfoIfChanged(copy), 0);
    EXPECT_EQ(copy.m_linkId, root->m_linkId);

    CLinkInfo repetition;
    again->CopyInfoIfChanged(repetition);
    EXPECT_EQ(repetition.m_name, "pic (2)");
    EXPECT_EQ(repetition.m_size, 42); // size comes from the first occurrence
    EXPECT_EQ(repetition.m_references, 2);

    again->SetStateCounted(kStateBroken, t.m_stats);
    EXPECT_EQ(again->CopyInfoIfChanged(repetition), CLinkNode::kCopiedContent);
    EXPECT_EQ(repetition.m_statusText, "Broken");
    EXPECT_EQ(root->CopyInfoIfChanged(copy), CLinkNode::kCopiedContent); // its broken-children count
    EXPECT_EQ(copy.m_statusText, "Unknown, contains broken links");
}

TEST(LinkNode, NumberedNames)
{
    CLinkNode node;
    node.m_name = "n";
    for (const auto& [repetition, name] :
         std::vector<std::pair<int, std::string>>{{-1, "n"}, {1, "n"}, {0, "n (0)"}, {2, "n (2)"}})
    {
        node.m_repetition = repetition;
        EXPECT_EQ(node.GetNumberedName(), name) << repetition;
    }
}

TEST(LinkNode, CheckableAndRecheckable)
{
    struct Case
    {
        int state;
        int detail;
        int type;
        bool recheckable;
        bool checkable;
    };
    const Case cases[] = {
        {kStateBroken, kResultInvalidParameter, kTypeHtml, false, false},
        {kStateBroken, 1004, kTypeHtml, true, true},
        {kStateUnknown, 0, kTypeHtml, false, false},
        {kStateFiltered, 0, kTypeHtml, true, false},
        {kStateInfoOnly, 0, kTypeForm, true, false},
        {kStateStopped, 0, kTypeAnchor, true, false},
        {kStateMaxRecursion, 0, kTypeImage, true, true},
        {kStateIsExternal, 0, kTypeScript, true, false},
        {kStateDownloaded, 0, kTypeGenericUrl, false, false},
        {kStateDownloaded, 0, kTypeHtml, false, true},
        {kStateWaiting, 0, kTypeHtml, false, true},
    };
    for (const Case& c : cases)
    {
        CLinkNode node;
        node.m_state = c.state;
        node.m_errorDetail = c.detail;
        node.m_linkType = c.type;
        EXPECT_EQ(node.IsRecheckable(), c.recheckable) << c.state << "/" << c.detail << "/" << c.type;
        EXPECT_EQ(node.IsCheckable(), c.checkable) << c.state << "/" << c.detail << "/" << c.type;
    }
}

TEST(LinkNode, SiteEntryStopsAtGenericUrls)
{
    CLinkTable t;
    CLinkNode* root = t.Add(nullptr, "http://site/", kLinkNotTagged, kTypeHtml);
    CLinkNode* a = t.Add(root, "http://site/a", kLinkAHref, kTypeHtml);
    CLinkNode* b = t.Add(a, "http://site/b", kLinkAHref, kTypeHtml);
    b->m_siteLevel = 2;
    EXPECT_EQ(b->GetSiteEntry(), root);
    b->m_siteLevel = 3;
    EXPECT_EQ(b->GetSiteEntry(), nullptr);
    b->m_siteLevel = 0;
    EXPECT_EQ(b->GetSiteEntry(), nullptr);
    b->m_siteLevel = 1;
    a->m_linkType = kTypeGenericUrl;
    EXPECT_EQ(b->GetSiteEntry(), nullptr);
}

TEST(LinkNode, DisplayUrlAndHref)
{
    CLinkNode node;
    node.m_url = "http://h/form";
    node.m_postDescription = "data:a=1";
    EXPECT_EQ(node.GetDisplayUrl(), "http://h/form/data:a=1");
    EXPECT_EQ(node.GetLinkHref(), "http://h/form");
    node.m_url = "/tmp/x y.html";
    EXPECT_EQ(node.GetDisplayUrl(), "/tmp/x y.html");
    EXPECT_EQ(node.GetLinkHref(), "file:///tmp/x y.html");
    // What is shown never carries a login's password.
    node.m_url = "ftp://user:secret@h/a";
    node.m_postDescription.clear();
    EXPECT_EQ(node.GetDisplayUrl(), "ftp://user:****@h/a");
}

TEST(LinkInfo, TooltipForms)
{
    CLinkInfo mail;
    mail.m_linkType = kTypeMailto;
    mail.m_name = "Write";
    mail.m_tagType = 1;
    mail.m_tagText = "<a href=\"mailto:x@y\">";
    mail.m_repetition = 0;
    mail.m_depth = 2;
    mail.m_statusText = "Is External";
    mail.m_index = 4;
    mail.m_linkId = 105;
    mail.m_referrer = "http://y/";
    mail.m_scope = kScopeExternal;
    EXPECT_EQ(CLinkInfo::FormatTooltip(mail, "|"),
              "Link:\tWrite|Tag type:\tA HREF|Tag:\t<a href=\"mailto:x@y\">|Repetition:\t?|Link depth:\t2|"
              "Status:\tIs External|Index:\t5|Global index:\t6|Referrer:\thttp://y/|Interest:\tExternal|");

    CLinkInfo page;
    page.m_linkType = kTypeHtml;
    page.m_name = "Home";
    page.m_url = "http://y/";
    page.m_contentType = "text/html";
    page.m_tagType = 0;
    page.m_repetition = 3;
    page.m_size = 100;
    page.m_childrenSize = 2000;
    page.m_references = 7;
    page.m_sublinks = 3;
    page.m_sublinksRecursive = 9;
    page.m_linkId = 100;
    page.m_time = COleDateTime(2024, 12, 31, 23, 59, 58);
    page.m_scope = kScopeInternal;
    EXPECT_EQ(CLinkInfo::FormatTooltip(page),
              "Link:\tHome\r\nURL:\thttp://y/\r\nLocal copy:\t\r\nContent type:\ttext/html\r\n"
              "Tag type:\tNot tagged\r\nTag:\t\r\nType:\tHTML\r\nSize:\t100 Bytes\r\n"
              "Page size:\t2.05 KB (2,100 Bytes)\r\nTime:\t12/31/2024 23:59:58\r\nRepetition:\t3\r\n"
              "Link depth:\t0\r\nReferences:\t7\r\nSublinks:\t3\r\nSublinks (rec):\t9\r\nStatus:\t\r\n"
              "Index:\t0\r\nGlobal index:\t1\r\nReferrer:\t\r\nInterest:\tInternal\r\n");

    page.m_size = -1; // the page size is the children's alone
    EXPECT_NE(CLinkInfo::FormatTooltip(page).find("Size:\t\r\nPage size:\t1.95 KB (2,000 Bytes)"), std::string::npos)
        << CLinkInfo::FormatTooltip(page);
}

TEST(LinkStats, SumsOverStateGroups)
{
    CLinkStats stats;
    for (int state = 0; state < kLinkStateCount; ++state)
        stats.m_states[CLinkStats::kUnique][state] = 1 << state;
    const int g = CLinkStats::kUnique;
    EXPECT_EQ(stats.CountInProgress(g), 2 + 4);
    EXPECT_EQ(stats.CountChecked(g), 8 + 16 + 32 + 64 + 128 + 256);
    EXPECT_EQ(stats.CountSkipped(g), 512 + 1024 + 2048 + 4096);
    EXPECT_EQ(stats.CountProcessed(g), stats.CountChecked(g) + stats.CountSkipped(g));
    EXPECT_EQ(stats.CountPending(g), 2 + 4 + 2048);
    EXPECT_EQ(stats.SumStates(g), (1 << 13) - 1);
    EXPECT_EQ(stats.SumStates(CLinkStats::kAll), 0);

    const uint32_t stamp = stats.m_stamp;
    stats.m_bytesSent = 5;
    stats.Clear();
    EXPECT_EQ(stats.SumStates(g), 0);
    EXPECT_EQ(stats.m_bytesSent, 0);
    EXPECT_NE(stats.m_stamp, stamp);
}
} // namespace
