#include "checker/FormData.h"
#include "checker/LinkExtractor.h"
#include "checker/LinkNames.h"
#include "checker/TaskSettings.h"

#include "foundation/markup/LinkWalk.h"
#include "foundation/markup/XmlNode.h"
#include "foundation/markup/XmlParser.h"
#include "foundation/files/DirectoryTree.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>

// The case tables name only the fields that differ from their defaults; GCC
// warns about the others although they have default initialisers.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace
{

constexpr int kHttpAndHttps = (1 << 1) | (1 << 2);

struct PageSetup
{
    std::string base = "http://h.test/dir/page.html";
    int depth = 0;
    int siteLevel = 0;
    int type = kTypeHtml;
    bool external = false;
};

struct TaskSetup
{
    int recursion = 5;
    int action = 0;
    bool followExternal = false;
    int protocols = kHttpAndHttps;
    const char* exclude = "";
    bool keepEmpty = false;
    bool collectFiltered = true;
    bool subdomains = false;
};

struct Expected
{
    bool kept = true;
    std::string url;
    std::string name;
    std::string fragment;
    int state = kStateWaiting;
    int scope = kScopeInternal;
    int type = kTypeUnknown;
    int siteLevel = 1;
};

struct OnLinkCase
{
    const char* title;
    PageSetup page;
    TaskSetup task;
    int tag;
    std::string value;
    Expected want;
};

// "{tmp}" in a case's texts stands for a temporary folder holding a
// sub-folder "sub", so local cases have a real file system under them.
std::string Expand(std::string text, const std::string& folder)
{
    const std::string_view mark = "{tmp}";
    for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + folder.size()))
        text.replace(at, mark.size(), folder);
    return text;
}

CTaskSettings MakeTask(const TaskSetup& setup)
{
    CTaskSettings task;
    task.SetInt(TASK_RECURSION, setup.recursion);
    task.SetInt(TASK_ACTION, setup.action);
    CTaskFilter& filter = task.GetFilter();
    filter.m_external = setup.followExternal;
    filter.m_protocolMask = setup.protocols;
    filter.m_keepEmptyTags = setup.keepEmpty;
    if (setup.exclude[0])
    {
        filter.SetExcludeText(setup.exclude, ';');
        filter.SetExcludeEnabled(true);
    }
    return task;
}

CExtractedPage MakePage(const PageSetup& setup, const TaskSetup& task, const std::string& folder)
{
    CExtractedPage page;
    page.m_baseUrl = Expand(setup.base, folder);
    page.m_depth = setup.depth;
    page.m_siteLevel = setup.siteLevel;
    page.m_linkType = setup.type;
    page.m_external = setup.external;
    page.m_treatSubdomains = task.subdomains;
    page.m_collectFiltered = task.collectFiltered;
    return page;
}

// The first element of a parsed snippet.
CXmlNode& FirstElement(CXmlNode& root, const std::string& markup)
{
    EXPECT_TRUE(CXmlParser(CXmlParser::kHtml).ParseString(root, markup, nullptr));
    EXPECT_GT(root.GetChildCount(), 0u);
    return *root.GetChild(0);
}

const OnLinkCase kOnLinkCases[] = {
    {"relative link below the page's folder", {}, {}, kLinkAHref, "sub/a.html",
     {.url = "http://h.test/dir/sub/a.html", .name = "sub/a.html"}},
    {"a path from the root stays on the page's site", {}, {}, kLinkImgSrc, "/img/a.png",
     {.url = "http://h.test/img/a.png", .name = "/img/a.png"}},
    {"fragment only names the page itself", {}, {}, kLinkAHref, "#top",
     {.url = "http://h.test/dir/page.html", .name = "#top", .fragment = "#top"}},
    {"fragment is cut at the last '#'", {}, {}, kLinkAHref, "other.html#a#b",
     {.url = "http://h.test/dir/other.html#a", .name = "other.html#a", .fragment = "#b"}},
    {"A NAME adds nothing", {}, {}, kLinkAName, "anchor", {.kept = false}},
    {"empty value is dropped by default", {}, {}, kLinkImgSrc, "", {.kept = false}},
    {"empty value kept by the filter is broken", {}, {.keepEmpty = true}, kLinkImgSrc, "",
     {.state = kStateBroken, .scope = kScopeUnknown, .siteLevel = 0}},
    {"fragment only while downloading links is dropped", {}, {.action = 3}, kLinkAHref, "#top", {.kept = false}},
    {"protocol-relative takes the https page's scheme", {.base = "https://h.test/"}, {}, kLinkScriptSrc,
     "//cdn.test/x.js",
     {.url = "https://cdn.test/x.js", .name = "https://cdn.test/x.js", .state = kStateIsExternal,
      .scope = kScopeExternal, .siteLevel = 0}},
    {"protocol-relative to the same host is internal", {}, {}, kLinkAHref, "//h.test/a%20b.html",
     {.url = "http://h.test/a%20b.html", .name = "http://h.test/a%20b.html"}},
    {"protocol-relative on a local page is http, not a local path", {.base = "{tmp}/page.html"}, {.followExternal = true},
     kLinkAHref, "//cdn.test/x",
     {.url = "http://cdn.test/x", .name = "http://cdn.test/x", .scope = kScopeExternal, .siteLevel = 0}},
    {"file: reference is a decoded local path, not supported", {}, {}, kLinkAHref, "file:///srv/a%20b.txt",
     {.url = "/srv/a b.txt", .name = "/srv/a b.txt", .state = kStateNotSupported, .scope = kScopeNotSupported,
      .siteLevel = 0}},
    {"a web reference is resolved still percent-encoded", {}, {}, kLinkAHref, "a%20b%2Fc.html",
     {.url = "http://h.test/dir/a%20b%2Fc.html", .name = "a%20b%2Fc.html"}},
    {"a reference of a local page is decoded to its file", {.base = "{tmp}/page.html"}, {}, kLinkAHref,
     "my%20file.html", {.url = "{tmp}/my file.html", .name = "my%20file.html"}},
    {"a path from the root of a local page names a local file", {.base = "{tmp}/page.html"}, {}, kLinkAHref,
     "/srv/a%20b.html", {.url = "/srv/a b.html", .name = "/srv/a%20b.html"}},
    {"mailto is not supported", {}, {}, kLinkAHref, "MailTo:someone@h.test",
     {.url = "MailTo:someone@h.test", .name = "MailTo:someone@h.test", .state = kStateNotSupported,
      .scope = kScopeNotSupported, .type = kTypeMailto, .siteLevel = 0}},
    {"javascript is not supported", {}, {}, kLinkAHref, "JavaScript:go('#x')",
     {.name = "JavaScript:go('#x')", .state = kStateNotSupported, .scope = kScopeNotSupported,
      .type = kTypeScript, .siteLevel = 0}},
    {"another host is external and not followed", {}, {}, kLinkAHref, "http://other.test/x",
     {.url = "http://other.test/x", .name = "http://other.test/x", .state = kStateIsExternal,
      .scope = kScopeExternal, .siteLevel = 0}},
    {"another host is followed when the task says so", {}, {.followExternal = true}, kLinkAHref,
     "http://other.test/x",
     {.url = "http://other.test/x", .name = "http://other.test/x", .scope = kScopeExternal, .siteLevel = 0}},
    {"a subdomain is the same site when subdomains count", {}, {.subdomains = true}, kLinkAHref,
     "http://www.h.test/x", {.url = "http://www.h.test/x", .name = "http://www.h.test/x"}},
    {"the links of an external page are extra external", {.siteLevel = 0, .external = true}, {}, kLinkAHref,
     "x.html",
     {.url = "http://h.test/dir/x.html", .name = "x.html", .state = kStateIsExternal,
      .scope = kScopeExtraExternal}},
    {"at the recursion depth a link waits as max recursion", {.depth = 1, .siteLevel = 1}, {.recursion = 2},
     kLinkAHref, "x.html",
     {.url = "http://h.test/dir/x.html", .name = "x.html", .state = kStateMaxRecursion, .siteLevel = 2}},
    {"an excluded link is collected as filtered", {}, {.exclude = "*.zip"}, kLinkAHref, "a.zip",
     {.url = "http://h.test/dir/a.zip", .name = "a.zip", .state = kStateFiltered}},
    {"an excluded link is dropped when filtered links are not collected", {},
     {.exclude = "*.zip", .collectFiltered = false}, kLinkAHref, "a.zip", {.kept = false}},
    {"a scheme outside the protocol mask is filtered", {}, {}, kLinkAHref, "ftp://h.test/x",
     {.url = "ftp://h.test/x", .name = "ftp://h.test/x", .state = kStateFiltered}},
    {"a folder below a local folder is a local folder link", {.base = "{tmp}/", .type = kTypeLocalFolder}, {},
     kLinkAHref, "sub", {.url = "{tmp}/sub", .name = "sub", .type = kTypeLocalFolder}},
    {"a folder named by a local page is not supported", {.base = "{tmp}/page.html"}, {}, kLinkAHref, "sub",
     {.url = "{tmp}/sub", .name = "sub", .state = kStateNotSupported}},
    {"an unresolvable reference is broken", {.base = "{tmp}/page.html"}, {}, kLinkAHref, "\\\\server\\x",
     {.name = "\\\\server\\x", .state = kStateBroken, .scope = kScopeUnknown, .siteLevel = 0}},
    {"a form posts to its resolved action on the same site", {}, {}, kLinkFormAction, "/cgi/post",
     {.url = "http://h.test/cgi/post", .name = "FORM Action=\"/cgi/post\"", .state = kStateDownloaded,
      .type = kTypeForm}},
    {"a form of a local page posts to the placeholder site", {.base = "{tmp}/page.html"}, {}, kLinkFormAction, "send",
     {.url = "http://local-form.invalid/send", .name = "FORM Action=\"send\"", .state = kStateDownloaded,
      .scope = kScopeExternal, .type = kTypeForm, .siteLevel = 0}},
    {"a form found after leaving the site is external", {.depth = 2, .siteLevel = 1}, {}, kLinkFormAction, "p",
     {.url = "http://h.test/dir/p", .name = "FORM Action=\"p\"", .state = kStateDownloaded,
      .scope = kScopeExternal, .type = kTypeForm, .siteLevel = 0}},
    {"a form on a subdomain is not the same site", {}, {.subdomains = true}, kLinkFormAction,
     "http://www.h.test/p",
     {.url = "http://www.h.test/p", .name = "FORM Action=\"http://www.h.test/p\"", .state = kStateDownloaded,
      .scope = kScopeExternal, .type = kTypeForm, .siteLevel = 0}},
    {"forms are dropped while downloading links", {}, {.action = 3}, kLinkFormAction, "/cgi/post",
     {.kept = false}},
};

// Failures and test lists show the case's title, not its bytes.
void PrintTo(const OnLinkCase& c, std::ostream* os)
{
    *os << c.title;
}

class OnLinkTable : public ::testing::TestWithParam<OnLinkCase>
{
};

TEST_P(OnLinkTable, ClassifiesTheReference)
{
    const OnLinkCase& c = GetParam();
    CTempFolder folder;
    ASSERT_TRUE(CreateDirectoryTree(folder / "sub"));
    const CTaskSettings task = MakeTask(c.task);
    CLinkExtractor extractor(MakePage(c.page, c.task, folder.Path()), task, nullptr);

    auto root = CXmlNode::Create();
    CXmlNode& element = FirstElement(*root, "<form action=\"x\"><input name=\"q\" value=\"1\"></form>");
    extractor.OnLink(c.tag, c.value, element, 0);

    if (!c.want.kept)
    {
        EXPECT_TRUE(extractor.GetNodes().empty());
        return;
    }
    ASSERT_EQ(1u, extractor.GetNodes().size());
    const CLinkNode& node = *extractor.GetNodes()[0];
    EXPECT_EQ(Expand(c.want.url, folder.Path()), node.m_url);
    EXPECT_EQ(Expand(c.want.name, folder.Path()), node.m_name);
    EXPECT_EQ(c.want.fragment, node.m_fragment);
    EXPECT_EQ(c.want.state, node.m_state);
    EXPECT_EQ(c.want.scope, node.m_scope);
    EXPECT_EQ(c.want.type, node.m_linkType);
    EXPECT_EQ(c.want.siteLevel, node.m_siteLevel);
    EXPECT_EQ(c.want.state == kStateBroken ? 102 : 0, node.m_errorDetail);
    // Every node starts the same way, whatever became of it.
    EXPECT_EQ(c.page.depth + 1, node.m_depth);
    EXPECT_EQ(-1, node.m_linkId);
    EXPECT_EQ(c.value, node.m_sourceText);
    EXPECT_EQ(Expand(c.page.base, folder.Path()), node.m_referrer);
    EXPECT_EQ(c.tag, node.m_tagType);
    EXPECT_EQ(c.want.type == kTypeForm, node.m_form.Get() != nullptr);
}

INSTANTIATE_TEST_SUITE_P(Rules, OnLinkTable, ::testing::ValuesIn(kOnLinkCases),
                         [](const ::testing::TestParamInfo<OnLinkCase>& info) {
                             return "case" + std::to_string(info.index);
                         });

TEST(LinkExtractorTest, FormLinkCarriesTheParsedFormAndTheTagPosition)
{
    CTaskSettings task;
    CExtractedPage page;
    page.m_baseUrl = "http://h.test/dir/page.html";
    CLinkExtractor extractor(page, task, nullptr);
    auto root = CXmlNode::Create();
    CXmlNode& form = FirstElement(*root, "<p>x</p>\n<form method=\"post\" action=\"send\"><input name=\"q\" "
                                         "value=\"a b\"></form>");
    (void)form;
    WalkLinks(*root, extractor, 0, ~0u, nullptr);

    ASSERT_EQ(1u, extractor.GetNodes().size());
    const CLinkNode& node = *extractor.GetNodes()[0];
    ASSERT_NE(nullptr, node.m_form.Get());
    const CFormData& data = *node.m_form.Get();
    EXPECT_EQ("http://h.test/dir/send", data.GetAction());
    EXPECT_TRUE(data.IsPost());
    EXPECT_NE(std::string::npos, data.GetSource().find("<input name=\"q\""));
    EXPECT_EQ("?q=a+b", data.GetSubmitString());
    EXPECT_EQ(1, node.m_sourceLine);
    EXPECT_EQ(0, node.m_tagText.find("<form method=\"post\""));
}

TEST(LinkExtractorTest, ListingEntriesBecomeLinksBelowTheListing)
{
    CTaskSettings task;
    task.SetInt(TASK_RECURSION, 2);
    task.GetFilter().m_protocolMask = 1 << 3; // ftp
    task.GetFilter().SetExcludeText("*.iso", ';');
    task.GetFilter().SetExcludeEnabled(true);
    CExtractedPage page;
    page.m_baseUrl = "ftp://f.test/pub/";
    page.m_siteLevel = 1;
    page.m_linkType = kTypeFtpList;
    CLinkExtractor extractor(page, task, nullptr);

    const struct
    {
        const char* name;
        int kind;
        const char* url; // null: no node
        int type;
        int state;
    } entries[] = {
        {"docs", kEntryFolder, "ftp://f.test/pub/docs", kTypeFtpList, kStateWaiting},
        {"latest -> releases/v2", kEntrySymbolicLink, "ftp://f.test/pub/releases/v2", kTypeFtpLink, kStateWaiting},
        {"notes.txt", kEntryFile, "ftp://f.test/pub/notes.txt", kTypeText, kStateWaiting},
        {"disk.iso", kEntryFile, "ftp://f.test/pub/disk.iso", kTypeFile, kStateFiltered},
        // A hostile server's names never point outside the listing.
        {"..", kEntryFolder, nullptr, 0, 0},
        {"http://evil.test/x", kEntryFile, nullptr, 0, 0},
        {"away -> http://evil.test/", kEntrySymbolicLink, "ftp://f.test/pub/away", kTypeFtpLink, kStateWaiting},
    };
    size_t expectedNodes = 0;
    for (const auto& e : entries)
    {
        CFtpListingEntry entry;
        entry.m_name = e.name;
        entry.m_kind = e.kind;
        entry.m_size = 42;
        extractor.OnListingEntry(entry);
        SCOPED_TRACE(e.name);
        if (!e.url)
        {
            EXPECT_EQ(expectedNodes, extractor.GetNodes().size());
            continue;
        }
        ASSERT_EQ(++expectedNodes, extractor.GetNodes().size());
        const CLinkNode& node = *extractor.GetNodes().back();
        EXPECT_EQ(e.url, node.m_url);
        EXPECT_EQ(e.name, node.m_name);
        EXPECT_EQ(e.type, node.m_linkType);
        EXPECT_EQ(e.state, node.m_state);
        EXPECT_EQ(kScopeInternal, node.m_scope);
        EXPECT_EQ(2, node.m_siteLevel);
        EXPECT_EQ(42, node.m_size);
    }
}

TEST(LinkExtractorTest, ListingEntriesAtTheDepthLimitWaitAsMaxRecursionEvenWhenFiltered)
{
    CTaskSettings task;
    task.SetInt(TASK_RECURSION, 1);
    task.GetFilter().m_protocolMask = 0;
    CExtractedPage page;
    page.m_baseUrl = "ftp://f.test/pub/";
    page.m_external = true;
    CLinkExtractor extractor(page, task, nullptr);
    CFtpListingEntry entry;
    entry.m_name = "a.txt";
    entry.m_kind = kEntryFile;
    extractor.OnListingEntry(entry);
    ASSERT_EQ(1u, extractor.GetNodes().size());
    EXPECT_EQ(kStateMaxRecursion, extractor.GetNodes()[0]->m_state);
    EXPECT_EQ(kScopeExtraExternal, extractor.GetNodes()[0]->m_scope);
}

class CStopFlag : public IStopSource
{
public:
    bool IsStopRequested() const override { return m_stop; }
    bool m_stop = false;
};

TEST(LinkExtractorTest, AStopEndsTheWalkAndAddsNothingMore)
{
    CStopFlag stop;
    CTaskSettings task;
    CExtractedPage page;
    page.m_baseUrl = "http://h.test/";
    CLinkExtractor extractor(page, task, &stop);
    auto root = CXmlNode::Create();
    CXmlNode& a = FirstElement(*root, "<a href=\"x\">");
    extractor.OnLink(kLinkAHref, "x", a, 0);
    stop.m_stop = true;
    extractor.OnLink(kLinkAHref, "y", a, 0);
    CFtpListingEntry entry;
    entry.m_name = "z";
    extractor.OnListingEntry(entry);
    EXPECT_EQ(1u, extractor.GetNodes().size());
    EXPECT_NE(0, extractor.Poll());
}

} // namespace
