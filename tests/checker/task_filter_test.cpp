#include "checker/LinkNames.h"
#include "checker/LinkNode.h"
#include "checker/TaskFilter.h"
#include "checker/TaskSettings.h"

#include "foundation/markup/LinkWalk.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace
{
TEST(ParseHexMask, Table)
{
    const std::pair<const char*, int32_t> cases[] = {
        {"6", 6},
        {"00000006", 6},
        {"x6", 6},
        {"0x6", 6},
        {"0x0006", 6},
        {"000x006", 6},
        {"0X6", 6},
        {"FFFFFFFF", -1},
        {"ffffffff", -1},
        {"00000002", 2},
        {"1a2B", 0x1a2b},
        {"12g4", 0x12},
        {"", 0},
        {"x", 0},
        {"xx6", 0},
        {"0", 0},
        {"  6", 0},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ParseHexMask(text), value) << '"' << text << '"';
}

TEST(TaskFilter, ProtocolsSixMeansHttpAndHttpsOnly)
{
    for (const char* text : {"6", "00000006", "x6", "0x06"})
    {
        CTaskFilter filter;
        ASSERT_TRUE(filter.SetText(TASK_FILTER_PROTOCOLS, text));
        CLinkNode node;
        node.m_tagType = 1;
        for (const auto& [url, accepted] : {std::pair{"http://h/", true}, {"https://h/", true},
                                            {"ftp://h/", false}, {"mailto:a@h", false}})
        {
            node.m_url = url;
            EXPECT_EQ(filter.Accept(node), accepted) << text << " " << url;
        }
    }
}

struct AcceptCase
{
    const char* url;
    int tagType;
    int32_t protocolMask;
    int32_t tagMask;
    const char* include; // null: include off
    const char* exclude; // null: exclude off
    bool caseSensitive;
    bool accepted;
};

const AcceptCase kAcceptCases[] = {
    {"http://h/a.html", kLinkAHref, 2, -1, nullptr, nullptr, false, true},
    {"https://h/a.html", kLinkAHref, 2, -1, nullptr, nullptr, false, false},
    {"ftp://h/f.zip", kLinkAHref, 1 << 3, -1, nullptr, nullptr, false, true},
    {"ftp://h/f.zip", kLinkAHref, 2, -1, nullptr, nullptr, false, false},
    // A local path passes whatever the protocol mask holds.
    {"/home/u/a.html", kLinkAHref, 0, -1, nullptr, nullptr, false, true},
    {"file:///home/u/a.html", kLinkAHref, 0, -1, nullptr, nullptr, false, true},
    // Text without a scheme prefix passes the protocol test.
    {"a.html", kLinkAHref, 0, -1, nullptr, nullptr, false, true},
    // A scheme the table does not know has no prefix either; the table's
    // own "unknown://" is scheme 0.
    {"gopher://h/", kLinkAHref, 2, -1, nullptr, nullptr, false, true},
    {"unknown://h/", kLinkAHref, 2, -1, nullptr, nullptr, false, false},
    {"unknown://h/", kLinkAHref, 1, -1, nullptr, nullptr, false, true},
    // Tags.
    {"http://h/i.png", kLinkImgSrc, 2, ~(1 << kLinkImgSrc), nullptr, nullptr, false, false},
    {"http://h/i.png", kLinkImgSrc, 2, 1 << kLinkImgSrc, nullptr, nullptr, false, true},
    {"http://h/", kLinkNotTagged, 2, ~1, nullptr, nullptr, false, false},
    // Patterns.
    {"http://h/docs/a.html", kLinkAHref, 2, -1, "*/docs/*;", nullptr, false, true},
    {"http://h/news/a.html", kLinkAHref, 2, -1, "*/docs/*;", nullptr, false, false},
    {"http://h/DOCS/a.html", kLinkAHref, 2, -1, "*/docs/*;", nullptr, false, true},
    {"http://h/DOCS/a.html", kLinkAHref, 2, -1, "*/docs/*;", nullptr, true, false},
    {"http://h/docs/a.zip", kLinkAHref, 2, -1, "*/docs/*;", "*.zip;", false, false},
    {"http://h/a.zip", kLinkAHref, 2, -1, nullptr, "*.ZIP", false, false},
    {"http://h/a.zip", kLinkAHref, 2, -1, nullptr, "*.ZIP", true, true},
    // The protocol test comes before the patterns.
    {"https://h/docs/", kLinkAHref, 2, -1, "*", nullptr, false, false},
    // An empty URL passes the patterns.
    {"", kLinkAHref, 2, -1, "*.html", nullptr, false, true},
};

TEST(TaskFilter, AcceptTable)
{
    for (const AcceptCase& c : kAcceptCases)
    {
        CTaskFilter filter;
        filter.m_protocolMask = c.protocolMask;
        filter.m_tagMask = c.tagMask;
        filter.m_caseSensitive = c.caseSensitive;
        if (c.include)
        {
            filter.SetIncludeEnabled(true);
            filter.SetText(TASK_FILTER_INCLUDE, c.include);
        }
        if (c.exclude)
        {
            filter.SetExcludeEnabled(true);
            filter.SetText(TASK_FILTER_EXCLUDE, c.exclude);
        }
        CLinkNode node;
        node.m_url = c.url;
        node.m_tagType = c.tagType;
        EXPECT_EQ(filter.Accept(node), c.accepted)
            << c.url << " tag " << c.tagType << " include " << (c.include ? c.include : "-") << " exclude "
            << (c.exclude ? c.exclude : "-");
    }
}

TEST(TaskFilter, ResumeAndFollowExternal)
{
    CTaskFilter filter;
    CLinkNode node;
    node.m_url = "http://h/a";
    node.m_tagType = kLinkAHref;
    const std::tuple<int, int, bool, bool> cases[] = {
        {kStateStopped, kScopeInternal, true, true},
        {kStateMaxRecursion, kScopeInternal, true, false},
        {kStateIsExternal, kScopeExternal, false, true},
        {kStateStopped, kScopeExtraExternal, false, false},
        {kStateIsExternal, kScopeExtraExternal, false, false},
        {kStateDownloaded, kScopeInternal, false, false},
    };
    for (const auto& [state, scope, resume, follow] : cases)
    {
        node.m_state = state;
        node.m_scope = scope;
        EXPECT_EQ(node.CanResume(filter), resume) << state << "/" << scope;
        EXPECT_EQ(node.CanFollowExternal(filter), follow) << state << "/" << scope;
    }
    node.m_state = kStateStopped;
    node.m_scope = kScopeInternal;
    node.m_url = "ftp://h/a"; // the filter refuses it
    EXPECT_FALSE(node.CanResume(filter));
    EXPECT_FALSE(node.CanFollowExternal(filter));
}

TEST(LinkNode, RootOfATask)
{
    CTaskSettings task("http://h/form");
    task.SetString(TASK_REFERRER, "http://r/");
    CLinkNode unnamed(task, 100);
    EXPECT_EQ(unnamed.m_name, "http://h/form");
    EXPECT_EQ(unnamed.m_sourceText, "http://h/form");
    EXPECT_EQ(unnamed.m_referrer, "http://r/");
    EXPECT_EQ(unnamed.m_linkId, 100);
    EXPECT_EQ(unnamed.m_postDescription, "");

    task.SetString(TASK_NAME, "Form");
    task.SetInt(TASK_ENABLE_POST, 1);
    task.SetString(TASK_POST_DATA, "a=1");
    task.SetString(TASK_POST_FILE_PATH, "/tmp/body");
    CLinkNode post(task, 101);
    EXPECT_EQ(post.m_name, "Form");
    EXPECT_EQ(post.m_postDescription, "data:a=1");
    EXPECT_EQ(post.GetDisplayUrl(), "http://h/form/data:a=1");

    task.SetInt(TASK_USE_POST_FILE, 1);
    EXPECT_EQ(CLinkNode(task, 102).m_postDescription, "file:/tmp/body");

    task.SetString(TASK_URI, "ftp://h/form");
    EXPECT_EQ(CLinkNode(task, 103).m_postDescription, "");

    task.SetString(TASK_URI, "/tmp");
    const CLinkNode folder(task, 104);
    EXPECT_EQ(folder.m_linkType, kTypeLocalFolder);
    EXPECT_EQ(folder.m_postDescription, "");
}
} // namespace
