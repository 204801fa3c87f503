// The fixture site of tests/fixtures/checker/site checked with the crawl
// engine, the real transfer manager and the real page link extraction:
// once over HTTP (nginx on 127.0.0.1 and 127.0.0.2), once over FTP
// (vsftpd) and once as a local folder. Every link of each check is in a
// table with its final state, referrer and size, and the broken links
// found, and those the text report lists, equal the fixture's own list.

#include "FixtureSite.h"
#include "RealCrawl.h"
#include "StatsRecount.h"

#include "checker/LinkChecker.h"
#include "checker/LinkNode.h"
#include "checker/UrlRecord.h"

#include "foundation/links/UrlParts.h"
#include "foundation/text/Escaping.h"
#include "platform/core/RefPtr.h"
#include "transfer/base/TransferLog.h"

#include "tests/support/FileContents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace
{
// One link of a check: its URL, referrer and fragment, its final state and
// its size. The size column: "" none known (-1), "=" the size of the file
// the URL names, "*" a listing the server makes (more than 0 bytes), a
// number that size, else a URL whose file gives the size.
struct CExpectedLink
{
    const char* url;
    const char* referrer;
    const char* fragment;
    int state;
    const char* size;
};

// Checked from @WEB@/ (index.html), external links and FTP included.
const CExpectedLink kWebLinks[] = {
    {"@WEB@/", "", "", kStateDownloaded, "@WEB@/index.html"},
    {"@WEB@/css/site.css", "@WEB@/", "", kStateDownloaded, "="},
    {"@WEB@/js/app.js", "@WEB@/", "", kStateInfoOnly, "="},
    {"@WEB@/images/logo.png", "@WEB@/", "", kStateInfoOnly, "="},
    {"@WEB@/docs/guide.html", "@WEB@/", "", kStateDownloaded, "="},
    {"@WEB@/docs/guide.html", "@WEB@/", "#install", kStateDownloaded, "="},
    {"@WEB@/", "@WEB@/", "#top", kStateDownloaded, "@WEB@/index.html"},
    {"@WEB@/frames.html", "@WEB@/", "", kStateDownloaded, "="},
    {"@WEB@/forms.html", "@WEB@/", "", kStateDownloaded, "="},
    {"@WEB@/missing.html", "@WEB@/", "", kStateBroken, ""},
    {"@WEB@/fail/report.html", "@WEB@/", "", kStateBroken, ""},
    {"http://127.0.0.1:@REFUSED@/", "@WEB@/", "", kStateBroken, ""},
    // A redirect on the same host is followed by the transfer: the page
    // has the target's content, and its links are relative to the target.
    {"@WEB@/moved.html", "@WEB@/", "", kStateDownloaded, "@WEB@/docs/new-place.html"},
    // Redirects to another host end Redirected with the target as a child.
    {"@WEB@/away.html", "@WEB@/", "", kStateRedirected, ""},
    {"@WEB@/loop-a.html", "@WEB@/", "", kStateRedirected, ""},
    {"@OTHER@/other/welcome.html", "@WEB@/", "", kStateInfoOnly, "="},
    // nginx's autoindex folder, and a name with a blank in it.
    {"@WEB@/pub/", "@WEB@/", "", kStateDownloaded, "*"},
    {"@WEB@/pub/read%20me.txt", "@WEB@/", "", kStateInfoOnly, "="},
    {"@FTPURL@/pub/", "@WEB@/", "", kStateDownloaded, "*"},
    {"@FTPURL@/pub/gone.zip", "@WEB@/", "", kStateBroken, ""},
    // mailto and javascript links are never requested.
    {"mailto:webmaster@example.invalid", "@WEB@/", "", kStateNotSupported, ""},
    {"", "@WEB@/", "", kStateNotSupported, ""},
    {"@WEB@/frames/menu.html", "@WEB@/frames.html", "", kStateDownloaded, "="},
    {"@WEB@/frames/content.html", "@WEB@/frames.html", "", kStateDownloaded, "="},
    // GET and POST forms: kept with their form, never requested.
    {"@WEB@/search.html", "@WEB@/forms.html", "", kStateDownloaded, ""},
    {"@WEB@/cgi/submit", "@WEB@/forms.html", "", kStateDownloaded, ""},
    {"@WEB@/", "@WEB@/docs/new-place.html", "", kStateDownloaded, "@WEB@/index.html"},
    {"@WEB@/docs/api/details.html", "@WEB@/docs/new-place.html", "", kStateDownloaded, "="},
    {"@OTHER@/other/welcome.html", "", "", kStateInfoOnly, "="},
    // The redirect loop across two hosts ends at the repetition of its start.
    {"@OTHER@/loop-b.html", "", "", kStateRedirected, ""},
    // An autoindex page's "../" names the folder above, closing '/' kept.
    {"@WEB@/", "@WEB@/pub/", "", kStateDownloaded, "@WEB@/index.html"},
    {"@WEB@/pub/sub/", "@WEB@/pub/", "", kStateDownloaded, "*"},
    {"@WEB@/pub/data.csv", "@WEB@/pub/", "", kStateInfoOnly, "="},
    {"@WEB@/pub/read%20me.txt", "@WEB@/pub/", "", kStateInfoOnly, "="},
    {"@WEB@/css/site.css", "@WEB@/docs/guide.html", "", kStateDownloaded, "="},
    {"@WEB@/images/logo.png", "@WEB@/docs/guide.html", "", kStateInfoOnly, "="},
    {"@WEB@/images/photo.jpg", "@WEB@/docs/guide.html", "", kStateInfoOnly, "="},
    {"@WEB@/docs/api/index.html", "@WEB@/docs/guide.html", "", kStateDownloaded, "="},
    {"@WEB@/", "@WEB@/docs/guide.html", "#top", kStateDownloaded, "@WEB@/index.html"},
    {"@FTPURL@/pub/old", "@FTPURL@/pub/", "", kStateDownloaded, "*"},
    {"@FTPURL@/pub/tool-1.0.zip", "@FTPURL@/pub/", "", kStateInfoOnly, "="},
    {"@WEB@/images/photo.jpg", "@WEB@/frames/content.html", "", kStateInfoOnly, "="},
    {"@WEB@/frames/gone.html", "@WEB@/frames/content.html", "", kStateBroken, ""},
    {"@WEB@/js/app.js", "@WEB@/docs/api/details.html", "", kStateInfoOnly, "="},
    {"@WEB@/docs/api/index.html", "@WEB@/docs/api/details.html", "", kStateDownloaded, "="},
    {"@WEB@/docs/api/diagram.png", "@WEB@/docs/api/details.html", "", kStateInfoOnly, "="},
    {"@WEB@/loop-a.html", "", "", kStateRedirected, ""},
    {"@WEB@/pub/", "@WEB@/pub/sub/", "", kStateDownloaded, "*"},
    {"@WEB@/pub/sub/deep.txt", "@WEB@/pub/sub/", "", kStateInfoOnly, "="},
    {"@WEB@/docs/guide.html", "@WEB@/frames/menu.html", "", kStateDownloaded, "="},
    {"@WEB@/docs/api/details.html", "@WEB@/docs/api/index.html", "", kStateDownloaded, "="},
    {"@WEB@/docs/guide.html", "@WEB@/docs/api/index.html", "", kStateDownloaded, "="},
    {"@WEB@/files/notes.txt", "@WEB@/docs/api/index.html", "", kStateInfoOnly, "="},
    {"@FTPURL@/pub/old/changes.txt", "@FTPURL@/pub/old", "", kStateInfoOnly, "="},
};

// Checked from the FTP server's root.
const CExpectedLink kFtpLinks[] = {
    {"@FTPURL@/", "", "", kStateDownloaded, "*"},
    {"@FTPURL@/pub", "@FTPURL@/", "", kStateDownloaded, "*"},
    {"@FTPURL@/readme.txt", "@FTPURL@/", "", kStateInfoOnly, "="},
    {"@FTPURL@/pub/old", "@FTPURL@/pub", "", kStateDownloaded, "*"},
    {"@FTPURL@/pub/tool-1.0.zip", "@FTPURL@/pub", "", kStateInfoOnly, "="},
    {"@FTPURL@/pub/old/changes.txt", "@FTPURL@/pub/old", "", kStateInfoOnly, "="},
};

// The same tree as a local folder.
const CExpectedLink kLocalLinks[] = {
    {"@ROOT@", "", "", kStateDownloaded, ""},
    {"@ROOT@/css", "@ROOT@", "", kStateDownloaded, "0"},
    {"@ROOT@/docs", "@ROOT@", "", kStateDownloaded, "0"},
    {"@ROOT@/files", "@ROOT@", "", kStateDownloaded, "0"},
    {"@ROOT@/forms.html", "@ROOT@", "", kStateDownloaded, "="},
    {"@ROOT@/frames", "@ROOT@", "", kStateDownloaded, "0"},
    {"@ROOT@/frames.html", "@ROOT@", "", kStateDownloaded, "="},
    {"@ROOT@/images", "@ROOT@", "", kStateDownloaded, "0"},
    {"@ROOT@/index.html", "@ROOT@", "", kStateDownloaded, "="},
    {"@ROOT@/js", "@ROOT@", "", kStateDownloaded, "0"},
    {"@ROOT@/other", "@ROOT@", "", kStateDownloaded, "0"},
    {"@ROOT@/pub", "@ROOT@", "", kStateDownloaded, "0"},
    {"@ROOT@/css/site.css", "@ROOT@/css", "", kStateDownloaded, "="},
    {"@ROOT@/docs/api", "@ROOT@/docs", "", kStateDownloaded, "0"},
    {"@ROOT@/docs/guide.html", "@ROOT@/docs", "", kStateDownloaded, "="},
    {"@ROOT@/docs/new-place.html", "@ROOT@/docs", "", kStateDownloaded, "="},
    {"@ROOT@/files/notes.txt", "@ROOT@/files", "", kStateDownloaded, "="},
    // The forms of a local page are resolved against a placeholder site.
    {"http://local-form.invalid/search.html", "@ROOT@/forms.html", "", kStateDownloaded, ""},
    {"http://local-form.invalid/cgi/submit", "@ROOT@/forms.html", "", kStateDownloaded, ""},
    {"@ROOT@/frames/content.html", "@ROOT@/frames", "", kStateDownloaded, "="},
    {"@ROOT@/frames/menu.html", "@ROOT@/frames", "", kStateDownloaded, "="},
    {"@ROOT@/frames/menu.html", "@ROOT@/frames.html", "", kStateDownloaded, "="},
    {"@ROOT@/frames/content.html", "@ROOT@/frames.html", "", kStateDownloaded, "="},
    {"@ROOT@/images/logo.png", "@ROOT@/images", "", kStateDownloaded, "="},
    {"@ROOT@/images/photo.jpg", "@ROOT@/images", "", kStateDownloaded, "="},
    {"@ROOT@/css/site.css", "@ROOT@/index.html", "", kStateDownloaded, "="},
    {"@ROOT@/js/app.js", "@ROOT@/index.html", "", kStateDownloaded, "="},
    {"@ROOT@/images/logo.png", "@ROOT@/index.html", "", kStateDownloaded, "="},
    {"@ROOT@/docs/guide.html", "@ROOT@/index.html", "", kStateDownloaded, "="},
    {"@ROOT@/docs/guide.html", "@ROOT@/index.html", "#install", kStateDownloaded, "="},
    {"@ROOT@/index.html", "@ROOT@/index.html", "#top", kStateDownloaded, "="},
    {"@ROOT@/frames.html", "@ROOT@/index.html", "", kStateDownloaded, "="},
    {"@ROOT@/forms.html", "@ROOT@/index.html", "", kStateDownloaded, "="},
    {"@ROOT@/missing.html", "@ROOT@/index.html", "", kStateBroken, ""},
    // On a local page a reference beginning with '/' names a local file.
    {"/fail/report.html", "@ROOT@/index.html", "", kStateBroken, ""},
    {"http://127.0.0.1:@REFUSED@/", "@ROOT@/index.html", "", kStateBroken, ""},
    {"@ROOT@/moved.html", "@ROOT@/index.html", "", kStateBroken, ""},
    {"@ROOT@/away.html", "@ROOT@/index.html", "", kStateBroken, ""},
    {"@ROOT@/loop-a.html", "@ROOT@/index.html", "", kStateBroken, ""},
    {"@OTHER@/other/welcome.html", "@ROOT@/index.html", "", kStateInfoOnly, "="},
    // A folder named from a page (not from a folder) is not walked.
    {"@ROOT@/pub/", "@ROOT@/index.html", "", kStateNotSupported, ""},
    {"@ROOT@/pub/read me.txt", "@ROOT@/index.html", "", kStateDownloaded, "="},
    {"@FTPURL@/pub/", "@ROOT@/index.html", "", kStateInfoOnly, ""},
    {"@FTPURL@/pub/gone.zip", "@ROOT@/index.html", "", kStateBroken, ""},
    {"mailto:webmaster@example.invalid", "@ROOT@/index.html", "", kStateNotSupported, ""},
    {"", "@ROOT@/index.html", "", kStateNotSupported, ""},
    {"@ROOT@/js/app.js", "@ROOT@/js", "", kStateDownloaded, "="},
    {"@ROOT@/other/welcome.html", "@ROOT@/other", "", kStateDownloaded, "="},
    {"@ROOT@/pub/data.csv", "@ROOT@/pub", "", kStateDownloaded, "="},
    {"@ROOT@/pub/read me.txt", "@ROOT@/pub", "", kStateDownloaded, "="},
    {"@ROOT@/pub/sub", "@ROOT@/pub", "", kStateDownloaded, "0"},
    {"@ROOT@/docs/api/details.html", "@ROOT@/docs/api", "", kStateDownloaded, "="},
    {"@ROOT@/docs/api/diagram.png", "@ROOT@/docs/api", "", kStateDownloaded, "="},
    {"@ROOT@/docs/api/index.html", "@ROOT@/docs/api", "", kStateDownloaded, "="},
    {"@ROOT@/css/site.css", "@ROOT@/docs/guide.html", "", kStateDownloaded, "="},
    {"/images/logo.png", "@ROOT@/docs/guide.html", "", kStateBroken, ""},
    {"@ROOT@/images/photo.jpg", "@ROOT@/docs/guide.html", "", kStateDownloaded, "="},
    {"@ROOT@/docs/api/index.html", "@ROOT@/docs/guide.html", "", kStateDownloaded, "="},
    {"@ROOT@/", "@ROOT@/docs/guide.html", "#top", kStateNotSupported, ""},
    {"@ROOT@/", "@ROOT@/docs/new-place.html", "", kStateNotSupported, ""},
    {"@ROOT@/docs/api/details.html", "@ROOT@/docs/new-place.html", "", kStateDownloaded, "="},
    {"@ROOT@/images/photo.jpg", "@ROOT@/frames/content.html", "", kStateDownloaded, "="},
    {"@ROOT@/frames/gone.html", "@ROOT@/frames/content.html", "", kStateBroken, ""},
    {"@ROOT@/docs/guide.html", "@ROOT@/frames/menu.html", "", kStateDownloaded, "="},
    {"@ROOT@/", "@ROOT@/other/welcome.html", "", kStateNotSupported, ""},
    {"@ROOT@/other/nowhere.html", "@ROOT@/other/welcome.html", "", kStateBroken, ""},
    {"@ROOT@/pub/sub/deep.txt", "@ROOT@/pub/sub", "", kStateDownloaded, "="},
    {"/js/app.js", "@ROOT@/docs/api/details.html", "", kStateBroken, ""},
    {"@ROOT@/docs/api/index.html", "@ROOT@/docs/api/details.html", "", kStateDownloaded, "="},
    {"@ROOT@/docs/api/diagram.png", "@ROOT@/docs/api/details.html", "", kStateDownloaded, "="},
    {"@ROOT@/docs/api/details.html", "@ROOT@/docs/api/index.html", "", kStateDownloaded, "="},
    {"@ROOT@/docs/guide.html", "@ROOT@/docs/api/index.html", "", kStateDownloaded, "="},
    {"@ROOT@/files/notes.txt", "@ROOT@/docs/api/index.html", "", kStateDownloaded, "="},
};

std::string Describe(const CLinkNode& node)
{
    std::ostringstream out;
    out << node.m_url << " from \"" << node.m_referrer << "\" " << node.m_fragment << ": state " << node.m_state
        << ", size " << node.m_size << ", detail " << node.m_errorDetail << " ("
        << (node.GetUrlRecord() ? node.GetUrlRecord()->m_status.GetText() : std::string("no record")) << ")";
    return out.str();
}

class SiteCheck : public testing::Test
{
protected:
    void SetUp() override { m_site.Start(); }

    void Check(const std::string& start)
    {
        CTaskSettings task(m_site.Fill(start), &m_crawl.Settings());
        task.SetInt(TASK_RECURSION, 10);
        // External links are checked, over HTTP and FTP.
        task.SetInt(TASK_FILTER_EXTERNAL, 1);
        task.SetInt(TASK_FILTER_PROTOCOLS, (1 << URL_SCHEME_HTTP) | (1 << URL_SCHEME_FTP));
        m_crawl.Check(task);
    }

    int64_t ExpectedSize(const CExpectedLink& row) const
    {
        const std::string size = row.size;
        if (size.empty())
            return -1;
        if (size[0] == '-' || (size[0] >= '0' && size[0] <= '9'))
            return std::stoll(size);
        const std::string file = m_site.ServedFile(m_site.Fill(size == "=" ? row.url : size));
        EXPECT_FALSE(file.empty()) << row.url;
        return static_cast<int64_t>(ReadWhole(file).size());
    }

    // Every link of the table is one row, every row one link.
    template <size_t N>
    void ExpectLinks(const CExpectedLink (&rows)[N])
    {
        CLinkChecker& engine = m_crawl.Engine();
        std::vector<bool> used(N, false);
        for (int i = 0; i < engine.GetLinkCount(); ++i)
        {
            const CLinkNode& node = *engine.GetNodeAt(i);
            SCOPED_TRACE(Describe(node));
            size_t row = 0;
            for (; row < N; ++row)
            {
                if (!used[row] && m_site.Fill(rows[row].url) == node.m_url &&
                    m_site.Fill(rows[row].referrer) == node.m_referrer && rows[row].fragment == node.m_fragment)
                    break;
            }
            if (row == N)
            {
                ADD_FAILURE() << "a link the table does not have";
                continue;
            }
            used[row] = true;
            EXPECT_EQ(node.m_state, rows[row].state);
            if (std::string(rows[row].size) == "*")
                EXPECT_GT(node.m_size, 0);
            else
                EXPECT_EQ(node.m_size, ExpectedSize(rows[row]));
        }
        for (size_t row = 0; row < N; ++row)
            EXPECT_TRUE(used[row]) << "no link " << rows[row].url << " from " << rows[row].referrer << " "
                                   << rows[row].fragment;
    }

    // The fixture's list of broken links: each URL with its result code.
    std::set<std::string> BrokenList(const std::string& listName) const
    {
        std::set<std::string> expected;
        std::istringstream list(ReadWhole(kSiteFolder + "/" + listName));
        for (std::string line; std::getline(list, line);)
        {
            if (!line.empty() && line[0] != '#')
                expected.insert(m_site.Fill(line));
        }
        return expected;
    }

    // The broken links found (each URL once, with its result code) are the
    // fixture's list.
    void ExpectBrokenList(const std::string& listName)
    {
        const std::set<std::string> expected = BrokenList(listName);
        std::set<std::string> found;
        CLinkChecker& engine = m_crawl.Engine();
        for (int i = 0; i < engine.GetLinkCount(); ++i)
        {
            const CLinkNode& node = *engine.GetNodeAt(i);
            if (node.m_state == kStateBroken)
                found.insert(node.m_url + " " + std::to_string(node.m_errorDetail));
        }
        EXPECT_EQ(found, expected);
    }

    // No link is left Waiting or Processing, no job in flight, and the
    // statistics equal a recount of the table.
    void ExpectSettled()
    {
        CLinkChecker& engine = m_crawl.Engine();
        const CLinkStats stats = engine.GetStats();
        CLinkStats recount = EmptyRecount(stats);
        for (int i = 0; i < engine.GetLinkCount(); ++i)
            AddNodeToRecount(recount, *engine.GetNodeAt(i));
        EXPECT_TRUE(stats == recount);
        EXPECT_EQ(stats.CountInProgress(CLinkStats::kAll), 0);
        EXPECT_EQ(engine.GetInFlightJobCount(), 0u);
    }

    CFixtureSite m_site;
    CRealCrawl m_crawl;
};

TEST_F(SiteCheck, OverHttpEveryLinkEndsAsTheFixtureSays)
{
    Check("@WEB@/");
    ExpectLinks(kWebLinks);
    ExpectBrokenList("broken-web.txt");
    ExpectSettled();
    // Each URL was asked for once, however often it is linked or redirected
    // to: the log's request lines are all different.
    std::map<std::string, int> requests;
    std::istringstream log(m_site.AccessLog());
    for (std::string line; std::getline(log, line);)
    {
        const size_t open = line.find('"');
        const size_t close = line.find('"', open + 1);
        if (open != std::string::npos && close != std::string::npos)
            ++requests[line.substr(open + 1, close - open - 1)];
    }
    EXPECT_GE(requests.size(), 20u);
    for (const auto& [request, count] : requests)
        EXPECT_EQ(count, 1) << request;
}

// The text report of broken links, written by the engine after the check,
// names exactly the fixture's broken links, each once with the page it was
// first found on as the fixture's table gives it.
TEST_F(SiteCheck, OverHttpTheTextReportListsTheBrokenLinksWithTheirPages)
{
    Check("@WEB@/");
    CReportOptions options;
    options.m_format = 0;
    options.m_statistics = true;
    options.m_groupKind = 1;
    options.m_template = "%link% <- %parent%";
    options.m_selection.m_stateMask = 1 << kStateBroken;
    options.m_selection.m_containsBroken = 0;
    options.m_selection.m_hideRepeats = 1;
    CRefPtr<CTransferLog> log = CRefPtr<CTransferLog>::Adopt(new CTransferLog());
    m_crawl.Engine().WriteReport(*log.Get(), options);
    std::string report;
    log->GetText(report);

    std::set<std::string> listed;
    std::istringstream lines(report);
    for (std::string line; std::getline(lines, line);)
    {
        const size_t arrow = line.find(" <- ");
        if (arrow == std::string::npos)
            continue;
        const std::string url = line.substr(0, arrow);
        const std::string parent = line.substr(arrow + 4, line.find('\r') - arrow - 4);
        EXPECT_TRUE(std::any_of(std::begin(kWebLinks), std::end(kWebLinks), [&](const CExpectedLink& row) {
            return row.state == kStateBroken && m_site.Fill(row.url) == url && m_site.Fill(row.referrer) == parent;
        })) << line;
        EXPECT_TRUE(listed.insert(url).second) << "listed twice: " << url;
    }
    std::set<std::string> expected;
    for (const std::string& entry : BrokenList("broken-web.txt"))
        expected.insert(entry.substr(0, entry.rfind(' ')));
    EXPECT_EQ(listed, expected) << report;
    const CLinkStats stats = m_crawl.Engine().GetStats();
    EXPECT_NE(report.find("\r\nBroken links: " + std::to_string(stats.m_states[CLinkStats::kAll][kStateBroken]) +
                          "\r\n"),
              std::string::npos)
        << report;
    EXPECT_EQ(report.find("Link group: Downloaded"), std::string::npos) << report;
}

TEST_F(SiteCheck, OverFtpEveryLinkEndsAsTheFixtureSays)
{
    Check("@FTPURL@/");
    ExpectLinks(kFtpLinks);
    ExpectBrokenList("broken-ftp.txt");
    ExpectSettled();
}

TEST_F(SiteCheck, AsALocalFolderEveryLinkEndsAsTheFixtureSays)
{
    Check("@ROOT@");
    ExpectLinks(kLocalLinks);
    ExpectBrokenList("broken-local.txt");
    ExpectSettled();
}
} // namespace
