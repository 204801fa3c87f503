#include "checker/LinkExtractor.h"
#include "checker/LinkNames.h"
#include "checker/LinkNode.h"
#include "checker/LinkStats.h"
#include "checker/PageParser.h"
#include "checker/TaskSettings.h"
#include "checker/UrlRecord.h"

#include "foundation/properties/PropertySet.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace
{

const std::string kPages = std::string(TW_FIXTURES_DIR) + "/checker/pages";

// The engine as page parsing sees it: a link table, URL records keyed by
// URL, statistics and a stop flag. It notes whether the stop flag was read
// while the engine lock was released, which is when the parse runs.
class CFakeEngine : public IPageParseHost, public IStopSource
{
public:
    CFakeEngine() : m_lock(m_section)
    {
        m_task.GetFilter().m_protocolMask = (1 << 1) | (1 << 3);
        m_task.SetInt(TASK_RECURSION, 3);
    }
    ~CFakeEngine() override
    {
        for (auto& [url, record] : m_records)
            record->Release();
    }

    const IStopSource& GetStopSource() const override { return *this; }
    CLinkStats& GetStats() override { return m_stats; }
    const CTaskSettings& GetTask() const override { return m_task; }
    const IPropertySet& GetSettings() const override { return m_settings; }
    CLinkNode* AppendNode(std::unique_ptr<CLinkNode> node) override
    {
        CLinkNode* raw = node.get();
        m_table.push_back(std::move(node));
        raw->m_linkId = static_cast<int>(m_table.size()) + 99;
        raw->CountInStats(m_stats);
        return raw;
    }
    void PrepareLink(CLinkNode& node, CEngineLock& lock) override
    {
        EXPECT_TRUE(lock.owns_lock());
        node.AttachToUrlRecord(Record(node.m_url), m_stats);
    }
    void UpdateLocalSize(CUrlRecord& record, int64_t size) override { record.m_localSize = size; }
    bool IsStopRequested() const override
    {
        if (!m_lock.owns_lock())
            m_readUnlocked = true;
        return m_stop;
    }

    CUrlRecord* Record(const std::string& url)
    {
        CUrlRecord*& record = m_records[url];
        if (!record)
            record = new CUrlRecord();
        return record;
    }

    // A downloaded first occurrence whose content is in localPath; remote
    // when url is not empty.
    CLinkNode& AddPage(const std::string& url, const std::string& localPath, int kind)
    {
        auto owned = std::make_unique<CLinkNode>();
        CLinkNode& node = *owned;
        node.m_url = url.empty() ? localPath : url;
        node.m_linkType = kind;
        node.m_state = kStateDownloaded;
        node.m_scope = kScopeInternal;
        AppendNode(std::move(owned));
        CUrlRecord* record = Record(node.m_url);
        record->m_url = url;
        record->m_localPath = localPath;
        record->m_contentKind = kind;
        record->m_status.SetState(CUrlStatus::kDone, 0);
        node.AttachToUrlRecord(record, m_stats);
        return node;
    }

    bool Parse(CLinkNode& node) { return CPageParser(*this).ParsePage(node, m_lock); }

    // The state and link type counters of both groups against a recount.
    void ExpectCountsMatchTable() const
    {
        CLinkStats expected;
        for (const auto& node : m_table)
            for (int g = 0; g < (node->IsFirstOccurrence() ? 2 : 1); ++g)
            {
                ++expected.m_states[g][node->m_state];
                ++expected.m_linkTypes[g][node->m_linkType];
            }
        for (int g = 0; g < CLinkStats::kGroupCount; ++g)
            for (int i = 0; i < kLinkStateCount; ++i)
                EXPECT_EQ(expected.m_states[g][i], m_stats.m_states[g][i]) << "group " << g << " state " << i;
        for (int g = 0; g < CLinkStats::kGroupCount; ++g)
            for (int i = 0; i < kLinkTypeCount; ++i)
                EXPECT_EQ(expected.m_linkTypes[g][i], m_stats.m_linkTypes[g][i]) << "group " << g << " type " << i;
    }

    std::vector<std::pair<std::string, int>> ChildUrlsAndStates(const CLinkNode& page) const
    {
        std::vector<std::pair<std::string, int>> result;
        for (const CLinkNode* child : page.GetChildren())
            result.emplace_back(child->m_url, child->m_state);
        return result;
    }

    CCriticalSection m_section;
    CEngineLock m_lock;
    CLinkStats m_stats;
    CTaskSettings m_task;
    CPropertySet m_settings;
    std::vector<std::unique_ptr<CLinkNode>> m_table;
    std::map<std::string, CUrlRecord*> m_records;
    bool m_stop = false;
    mutable bool m_readUnlocked = false;
};

TEST(PageParserTest, HtmlPageGivesItsLinksAsChildrenInDocumentOrder)
{
    CFakeEngine engine;
    CLinkNode& page = engine.AddPage("http://h.test/dir/page.html", kPages + "/page.html", kTypeHtml);

    ASSERT_TRUE(engine.Parse(page));

    const std::vector<std::pair<std::string, int>> expected = {
        {"http://h.test/dir/style.css", kStateWaiting},
        {"http://h.test/dir/bg.gif", kStateWaiting},
        {"http://h.test/dir/a.html", kStateWaiting},
        // The fragment names the page again: a repetition that takes the
        // first occurrence's state.
        {"http://h.test/dir/page.html", kStateDownloaded},
        {"http://h.test/dir/img/logo.png", kStateWaiting},
        {"http://other.test/", kStateIsExternal},
        {"http://h.test/search", kStateDownloaded},
    };
    EXPECT_EQ(expected, engine.ChildUrlsAndStates(page));
    ASSERT_EQ(expected.size() + 1, engine.m_table.size());
    for (size_t i = 0; i < engine.m_table.size(); ++i)
        EXPECT_EQ(static_cast<int>(i) + 100, engine.m_table[i]->m_linkId);
    EXPECT_EQ(2, page.GetChildren()[3]->m_repetition);
    EXPECT_EQ(kTypeForm, page.GetChildren()[6]->m_linkType);

    CUrlRecord& record = *page.GetUrlRecord();
    EXPECT_EQ(page.m_linkId, record.m_parsedNodeId);
    EXPECT_NE(0u, record.m_parseStamp);
    EXPECT_GT(record.m_localSize, 0);
    EXPECT_TRUE(record.m_localTime.IsValid());
    EXPECT_TRUE(engine.m_lock.owns_lock());
    EXPECT_TRUE(engine.m_readUnlocked) << "the parse ran with the engine lock held";
    engine.ExpectCountsMatchTable();

    // A page is parsed once.
    EXPECT_FALSE(engine.Parse(page));
    EXPECT_EQ(expected.size(), page.GetChildren().size());
}

// A page the transfer reached through a redirect on its site ("/moved.html"
// answered from "/dir/page.html"): its links are relative to where the
// content came from, and they name it as their referrer.
TEST(PageParserTest, RedirectedPageResolvesItsLinksAgainstWhereItsContentCameFrom)
{
    CFakeEngine engine;
    CLinkNode& page = engine.AddPage("http://h.test/moved.html", kPages + "/page.html", kTypeHtml);
    page.GetUrlRecord()->m_contentUrl = "http://h.test/dir/page.html";

    ASSERT_TRUE(engine.Parse(page));

    const std::vector<std::pair<std::string, int>> children = engine.ChildUrlsAndStates(page);
    ASSERT_GE(children.size(), 3u);
    EXPECT_EQ("http://h.test/dir/a.html", children[2].first);
    EXPECT_EQ("http://h.test/dir/page.html", page.GetChildren()[2]->m_referrer);
}

TEST(PageParserTest, FtpListingGivesOneChildPerEntry)
{
    CFakeEngine engine;
    CLinkNode& listing = engine.AddPage("ftp://f.test/pub/", kPages + "/listing.txt", kTypeFtpList);

    ASSERT_TRUE(engine.Parse(listing));

    ASSERT_EQ(3u, listing.GetChildren().size());
    const struct
    {
        const char* url;
        int type;
    } expected[] = {
        {"ftp://f.test/pub/docs", kTypeFtpList},
        {"ftp://f.test/pub/readme.txt", kTypeText},
        {"ftp://f.test/pub/latest", kTypeFtpLink},
    };
    for (size_t i = 0; i < 3; ++i)
    {
        const CLinkNode& child = *listing.GetChildren()[i];
        EXPECT_EQ(expected[i].url, child.m_url);
        EXPECT_EQ(expected[i].type, child.m_linkType);
        EXPECT_EQ(kStateWaiting, child.m_state);
        EXPECT_EQ(1, child.m_depth);
    }
    EXPECT_EQ(1234, listing.GetChildren()[1]->m_size);
    engine.ExpectCountsMatchTable();
}

TEST(PageParserTest, LocalFolderGivesItsEntries)
{
    CFakeEngine engine;
    const std::string folder = kPages + "/folder";
    CLinkNode& root = engine.AddPage("", folder, kTypeLocalFolder);

    ASSERT_TRUE(engine.Parse(root));

    ASSERT_EQ(2u, root.GetChildren().size());
    EXPECT_EQ(folder + "/a.txt", root.GetChildren()[0]->m_url);
    EXPECT_EQ(kTypeText, root.GetChildren()[0]->m_linkType);
    EXPECT_EQ(folder + "/sub", root.GetChildren()[1]->m_url);
    EXPECT_EQ(kTypeLocalFolder, root.GetChildren()[1]->m_linkType);
    EXPECT_EQ(kScopeInternal, root.GetChildren()[1]->m_scope);
    EXPECT_TRUE(engine.m_readUnlocked);
    engine.ExpectCountsMatchTable();
}

TEST(PageParserTest, LocalTextHoldingHtmlIsParsedAsAPage)
{
    CFakeEngine engine;
    const std::string path = kPages + "/sniffed.txt";
    CLinkNode& text = engine.AddPage("", path, kTypeText);

    ASSERT_TRUE(engine.Parse(text));

    EXPECT_EQ(kTypeHtml, text.m_linkType);
    EXPECT_EQ(kTypeHtml, text.GetUrlRecord()->m_contentKind);
    ASSERT_EQ(1u, text.GetChildren().size());
    // A local page's reference names a file: its escapes are decoded.
    EXPECT_EQ(kPages + "/b c.html", text.GetChildren()[0]->m_url);
    engine.ExpectCountsMatchTable();
}

TEST(PageParserTest, NulBytesDoNotEndThePage)
{
    CTempFolder folder;
    const std::string path = folder / "nul.html";
    const std::string bytes = "<p>" + std::string(2, '\0') + "</p><a href=\"after.html\">x</a>";
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, file);
    ASSERT_EQ(bytes.size(), std::fwrite(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
    CFakeEngine engine;
    CLinkNode& page = engine.AddPage("http://h.test/nul.html", path, kTypeHtml);

    ASSERT_TRUE(engine.Parse(page));

    ASSERT_EQ(1u, page.GetChildren().size());
    EXPECT_EQ("http://h.test/after.html", page.GetChildren()[0]->m_url);
}

TEST(PageParserTest, RemoteFileOfAnotherKindIsNeverOpened)
{
    CFakeEngine engine;
    CLinkNode& text = engine.AddPage("http://h.test/notes.txt", kPages + "/sniffed.txt", kTypeText);

    ASSERT_TRUE(engine.Parse(text));

    EXPECT_EQ(kTypeText, text.m_linkType);
    EXPECT_TRUE(text.GetChildren().empty());
    EXPECT_EQ(-1, text.GetUrlRecord()->m_localSize);
}

// A folder standing where the page's content should be reads as missing
// content, as a missing file does.
TEST(PageParserTest, MissingContentMakesThePageBroken)
{
    for (const std::string& content : {kPages + "/gone.html", kPages + "/folder"})
    {
        for (const bool remote : {false, true})
        {
            SCOPED_TRACE(content + (remote ? " remote" : " local"));
            CFakeEngine engine;
            CLinkNode& page = engine.AddPage(remote ? "http://h.test/gone.html" : "", content, kTypeHtml);

            EXPECT_FALSE(engine.Parse(page));

            EXPECT_EQ(kStateBroken, page.m_state);
            EXPECT_EQ(kParseCannotOpen, page.m_errorDetail);
            const CUrlRecord& record = *page.GetUrlRecord();
            EXPECT_EQ(CUrlStatus::kError, record.m_status.m_state);
            EXPECT_EQ(kParseCannotOpen, record.m_status.m_code);
            EXPECT_EQ(remote ? "Cannot open downloaded file" : "Cannot open local file", record.m_status.GetText());
            EXPECT_EQ(0, record.m_parsedNodeId);
            EXPECT_TRUE(page.GetChildren().empty());
            engine.ExpectCountsMatchTable();
        }
    }
}

TEST(PageParserTest, AStopLeavesThePageStoppedAndUnparsed)
{
    CFakeEngine engine;
    CLinkNode& page = engine.AddPage("http://h.test/dir/page.html", kPages + "/page.html", kTypeHtml);
    engine.m_stop = true;

    EXPECT_FALSE(engine.Parse(page));

    EXPECT_EQ(kStateStopped, page.m_state);
    EXPECT_TRUE(page.GetChildren().empty());
    EXPECT_EQ(1u, engine.m_table.size());
    const CUrlRecord& record = *page.GetUrlRecord();
    EXPECT_EQ(kParseStopped, record.m_status.m_code);
    EXPECT_EQ("Parsing stopped", record.m_status.GetText());
    EXPECT_EQ(0, record.m_parsedNodeId);
    EXPECT_TRUE(engine.m_lock.owns_lock());
    engine.ExpectCountsMatchTable();
}

TEST(PageParserTest, OnlyADownloadedFirstOccurrenceIsParsed)
{
    CFakeEngine engine;
    CLinkNode& page = engine.AddPage("http://h.test/dir/page.html", kPages + "/page.html", kTypeHtml);
    page.GetUrlRecord()->m_status.SetState(CUrlStatus::kWorking, 0);
    EXPECT_FALSE(engine.Parse(page));
    page.GetUrlRecord()->m_status.SetState(CUrlStatus::kDone, 0);
    page.SetStateCounted(kStateInfoOnly, engine.m_stats);
    EXPECT_FALSE(engine.Parse(page));
    EXPECT_TRUE(page.GetChildren().empty());
    EXPECT_EQ(0, page.GetUrlRecord()->m_parsedNodeId);
}

} // namespace
