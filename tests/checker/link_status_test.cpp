#include "checker/LinkNames.h"
#include "checker/LinkNode.h"
#include "checker/LinkStats.h"
#include "checker/LinkStatus.h"
#include "checker/UrlRecord.h"

#include "transfer/base/ResultCodes.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
struct IconCase
{
    int type;
    int state;
    int detail;
    int repetition;
    int brokenChildren;
    const char* url;
    int icon;
    const char* statusText;
};

const char kWeb[] = "http://example.com/a";
const char kLocal[] = "/tmp/a.txt";

const IconCase kIconCases[] = {
    // The link type decides first, whatever the state.
    {kTypeMailto, kStateBroken, 7, 1, 0, "mailto:a@b.c", 17, "Broken"},
    {kTypeScript, kStateDownloaded, 0, 1, 0, "javascript:x()", 19, "Downloaded"},
    {kTypeGenericUrl, kStateWaiting, 0, 1, 0, kWeb, 25, "Waiting"},
    {kTypeUrlList, kStateWaiting, 0, 1, 0, kLocal, 25, "Waiting"},
    {kTypeForm, kStateDownloaded, 0, 1, 0, kWeb, 9, "Downloaded"},
    {kTypeAnchor, kStateUnknown, 0, 1, 0, kWeb, 21, "Unknown"},
    {kTypeHttpRedirect, kStateRedirected, 0, 1, 0, kWeb, 10, "Redirected"},
    // Then some states.
    {kTypeHtml, kStateRedirected, 0, 1, 0, kWeb, 10, "Redirected"},
    {kTypeImage, kStateFiltered, 0, 2, 0, kWeb, 6, "Filtered"},
    {kTypeHtml, kStateNotAvailableOffline, 0, 1, 0, kWeb, 24, "Not available offline"},
    {kTypeFtpList, kStateMaxRecursion, 0, 1, 0, "ftp://h/d/", 16, "Max recursion"},
    {kTypeLocalFolder, kStateMaxRecursion, 0, 1, 0, "/tmp/", 15, "Max recursion"},
    {kTypeHtml, kStateMaxRecursion, 0, 1, 0, kWeb, 18, "Max recursion"},
    // Then folders and listings.
    {kTypeFtpList, kStateDownloaded, 0, 1, 0, "ftp://h/d/", 13, "Downloaded"},
    {kTypeLocalFolder, kStateInfoOnly, 0, 1, 0, "/tmp/", 14, "Info only"},
    // Then by state.
    {kTypeHtml, kStateUnknown, 0, -1, 0, kWeb, 0, "Unknown"},
    {kTypeHtml, kStateWaiting, 0, 1, 0, kWeb, 2, "Waiting"},
    {kTypeHtml, kStateProcessing, 0, 1, 0, kWeb, 3, "Processing"},
    {kTypeHtml, kStateDownloaded, 0, 1, 0, kWeb, 11, "Downloaded"},
    {kTypeHtml, kStateDownloaded, 0, 3, 0, kWeb, 12, "Downloaded"},
    {kTypeHtml, kStateDownloaded, 0, 1, 2, kWeb, 26, "Downloaded, contains broken links"},
    {kTypeHtml, kStateDownloaded, 0, 2, 1, kWeb, 26, "Downloaded, contains broken links"},
    {kTypeImage, kStateDownloaded, 0, 1, 0, kWeb, 4, "Downloaded"},
    {kTypeImage, kStateDownloaded, 0, 2, 0, kWeb, 8, "Downloaded"},
    {kTypeText, kStateInfoOnly, 0, 1, 0, kLocal, 5, "Info only"},
    {kTypeText, kStateInfoOnly, 0, 2, 0, kLocal, 5, "Info only"},
    {kTypeText, kStateInfoOnly, 0, 1, 0, kWeb, 22, "Info only"},
    {kTypeText, kStateInfoOnly, 0, 4, 0, kWeb, 23, "Info only"},
    {kTypeText, kStateBroken, 0, 1, 0, kWeb, 20, "Broken"},
    {kTypeText, kStateBroken, kResultStopped, 1, 0, kWeb, 1, "Broken"},
    {kTypeText, kStateBroken, kResultAborted, 1, 0, kWeb, 6, "Broken"},
    {kTypeText, kStateBroken, kResultRedirectOutside, 1, 0, kWeb, 10, "Broken"},
    {kTypeText, kStateBroken, 1004, 1, 0, kWeb, 7, "Broken"},
    {kTypeHtml, kStateBroken, 1004, 1, 1, kWeb, 7, "Broken, contains broken links"},
    {kTypeText, kStateStopped, 0, 1, 0, kWeb, 1, "Stopped"},
    {kTypeText, kStateIsExternal, 0, 1, 0, kWeb, 6, "Is External"},
    {kTypeText, kStateNotSupported, 0, 1, 0, kWeb, 5, "Not supported"},
};

TEST(LinkTypeIcon, FollowsTypeThenStateThenOccurrence)
{
    for (const IconCase& c : kIconCases)
    {
        CLinkNode node;
        node.m_linkType = c.type;
        node.m_state = c.state;
        node.m_errorDetail = c.detail;
        node.m_repetition = c.repetition;
        node.m_brokenChildren = c.brokenChildren;
        node.m_url = c.url;
        SCOPED_TRACE(testing::Message() << "type " << c.type << " state " << c.state << " detail " << c.detail
                                        << " repetition " << c.repetition << " url " << c.url);
        EXPECT_EQ(LinkTypeIcon(node), c.icon);
        EXPECT_EQ(node.GetStateText(), c.statusText);
    }
}

TEST(LinkStateText, BrokenAddsTheRecordsStatusText)
{
    CUrlRecord* record = new CUrlRecord();
    CLinkStats stats;
    CLinkNode node;
    node.AttachToUrlRecord(record, stats);
    record->SetText("404 Not Found");
    node.m_state = kStateBroken;
    node.m_brokenChildren = 1;
    EXPECT_EQ(node.GetStateText(), "Broken, 404 Not Found, contains broken links");
    node.m_state = kStateDownloaded;
    EXPECT_EQ(node.GetStateText(), "Downloaded, contains broken links");
    record->Release();
}

struct JobCase
{
    int status;
    int code;
    int kind;
    const char* text;
    int icon;
    int group;
};

const JobCase kJobCases[] = {
    {0, 0, 1, "new", 0, 0},
    {1, 0, 1, "suspended", 20, 1},
    {1, kResultStopped, 1, "stopped", 1, 1},
    {1, kResultAborted, 1, "skipped", 6, 1},
    {1, kResultRedirectOutside, 1, "external redirect", 10, 1},
    {1, 99999, 1, "Error 99999", 7, 1},
    {2, 0, 1, "waiting", 2, 2},
    {3, 0, 1, "working", 3, 3},
    {4, 0, 6, "info OK", 22, 4},
    {4, 0, 1, "downloaded", 4, 4},
    {4, 0, 8, "downloaded", 4, 4},
    {4, 0, 2, "uploaded", 4, 4},
    {4, 0, 3, "finished", 4, 4},
    {7, 0, 1, "unknown", 5, 1},
    {-1, 0, 1, "unknown", 5, 1},
};

TEST(LinkStatusText, TableOfJobStatuses)
{
    for (const JobCase& c : kJobCases)
    {
        SCOPED_TRACE(testing::Message() << "status " << c.status << " code " << c.code << " kind " << c.kind);
        std::string text;
        const int icon = LinkStatusText(c.status, c.code, c.kind, &text);
        EXPECT_EQ(icon, c.icon);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(LinkStatusText(c.status, c.code, c.kind), c.icon);
        EXPECT_EQ(LinkStateGroup(icon), c.group);
    }
}

TEST(LinkStatusText, OtherCodesUseTheTransferErrorText)
{
    std::string text;
    LinkStatusText(1, kResultInvalidParameter, 1, &text);
    EXPECT_EQ(text, TransferErrorText(kResultInvalidParameter));
    EXPECT_FALSE(text.empty());
}

TEST(LinkNames, TablesAndOutOfRange)
{
    EXPECT_EQ(LinkStateName(0), "Unknown");
    EXPECT_EQ(LinkStateName(8), "Not available offline");
    EXPECT_EQ(LinkStateName(12), "Is External");
    EXPECT_EQ(LinkScopeName(3), "Extra external");
    EXPECT_EQ(LinkScopeName(4), "Not supported");
    EXPECT_EQ(LinkProtocolName(5), "SMPT(E-mail)");
    EXPECT_EQ(LinkProtocolName(6), "Script");
    // Values from stored data or a damaged view never read past a table.
    for (int bad : {-1, 13, 1000, -2147483647 - 1})
        EXPECT_EQ(LinkStateName(bad), "") << bad;
    for (int bad : {-1, 5, 77})
        EXPECT_EQ(LinkScopeName(bad), "") << bad;
    for (int bad : {-1, 7, 2147483647})
        EXPECT_EQ(LinkProtocolName(bad), "") << bad;
}

TEST(LinkNames, DisplayProtocolOfUrls)
{
    const std::pair<const char*, int> cases[] = {
        {"/home/u/a.html", kProtocolLocal}, {"~/a.html", kProtocolLocal},
        {"file:///a", kProtocolLocal},      {"http://h/", kProtocolHttp},
        {"https://h/", kProtocolHttps},     {"ftp://h/", kProtocolFtp},
        {"mailto:a@b", kProtocolMail},      {"javascript:go()", kProtocolScript},
        {"ftps://h/", kProtocolUnknown},    {"socks5://h/", kProtocolUnknown},
        {"news:x", kProtocolUnknown},       {"", kProtocolUnknown},
    };
    for (const auto& [url, protocol] : cases)
        EXPECT_EQ(GetLinkProtocol(url), protocol) << url;
}
} // namespace
