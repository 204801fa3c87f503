// The link list's rules without a window: column headers and cell texts, the
// sort order on every column, row colours by state and the view modes.

#include "res/Resources.h"
#include "shell/LinkListRows.h"

#include "checker/LinkInfo.h"
#include "checker/LinkNames.h"
#include "checker/LinkViewFilter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

namespace
{
CLinkInfo Link(int linkType, int repetition = 1)
{
    CLinkInfo link;
    link.m_linkType = linkType;
    link.m_repetition = repetition;
    return link;
}

TEST(LinkListColumns, HeadersAlignmentAndWidthsAreTheTable)
{
    const char* const titles[] = {"Name", "Parent link", "#", "##", "Size", "Time", "Tag", "Type", "Content-Type",
                                  "Status"};
    const bool right[] = {false, false, true, true, true, false, false, false, false, false};
    const auto& columns = LinkListColumns();
    int total = 0;
    for (int i = 0; i < kLinkListColumnCount; ++i)
    {
        SCOPED_TRACE(i);
        const char* title = LoadResourceString(static_cast<UINT>(columns[i].m_titleId));
        ASSERT_NE(title, nullptr);
        EXPECT_STREQ(title, titles[i]);
        EXPECT_EQ(columns[i].m_alignRight, right[i]);
        total += columns[i].m_width;
    }
    EXPECT_EQ(total, kLinkListWidthTotal);
}

TEST(LinkListColumns, EachCellShowsItsFieldOfTheLink)
{
    CLinkInfo link = Link(kTypeHtml);
    link.m_name = "Index (2)";
    link.m_referrer = "http://site.test/";
    link.m_index = 4;
    link.m_linkId = 112;
    link.m_size = 1234567;
    link.m_time = COleDateTime(2024, 3, 5, 7, 8, 9);
    link.m_tagType = 1;
    link.m_contentType = "text/html";
    link.m_statusText = "OK";
    const char* const expected[] = {"Index (2)", "http://site.test/", "5", "13", "1,234,567",
                                    "03/05/2024 07:08:09", "A HREF", "HTML", "text/html", "OK"};
    for (int column = 0; column < kLinkListColumnCount; ++column)
        EXPECT_EQ(LinkListCellText(link, column), expected[column]) << column;
    EXPECT_EQ(LinkListCellText(link, kLinkListColumnCount), "");

    // Unknown size and date show nothing rather than a made-up value.
    CLinkInfo unknown;
    EXPECT_EQ(LinkListCellText(unknown, 4), "");
    EXPECT_EQ(LinkListCellText(unknown, 5), "");
}

struct OrderCase
{
    const char* m_name;
    int m_column;
    CLinkInfo m_first; // sorts strictly before m_second, ascending
    CLinkInfo m_second;
};

std::vector<OrderCase> OrderCases()
{
    std::vector<OrderCase> cases;
    auto add = [&](const char* name, int column, auto setFirst, auto setSecond, int typeA = kTypeFile,
                   int typeB = kTypeFile) {
        OrderCase c{name, column, Link(typeA), Link(typeB)};
        setFirst(c.m_first);
        setSecond(c.m_second);
        cases.push_back(c);
    };
    auto none = [](CLinkInfo&) {};
    add("name", 0, [](CLinkInfo& l) { l.m_name = "B"; }, [](CLinkInfo& l) { l.m_name = "a"; });
    add("referrer", 1, [](CLinkInfo& l) { l.m_referrer = "x1"; }, [](CLinkInfo& l) { l.m_referrer = "x2"; });
    add("index", 2, [](CLinkInfo& l) { l.m_index = 2; }, [](CLinkInfo& l) { l.m_index = 10; });
    add("link id", 3, [](CLinkInfo& l) { l.m_linkId = 150; }, [](CLinkInfo& l) { l.m_linkId = 1000; });
    add("size 64-bit", 4, [](CLinkInfo& l) { l.m_size = 5; }, [](CLinkInfo& l) { l.m_size = 5'000'000'000LL; });
    add("date", 5, [](CLinkInfo& l) { l.m_time = COleDateTime(2020, 1, 1, 0, 0, 0); },
        [](CLinkInfo& l) { l.m_time = COleDateTime(2021, 1, 1, 0, 0, 0); });
    add("valid date before invalid", 5, [](CLinkInfo& l) { l.m_time = COleDateTime(2030, 1, 1, 0, 0, 0); }, none);
    add("tag name", 6, [](CLinkInfo& l) { l.m_tagType = 1; }, [](CLinkInfo& l) { l.m_tagType = 2; });
    // "FORM ACTION" (6) before "IMG SRC" (3): the shown name, not the number.
    add("tag name not number", 6, [](CLinkInfo& l) { l.m_tagType = 6; }, [](CLinkInfo& l) { l.m_tagType = 3; });
    add("type number", 7, none, none, kTypeText, kTypeImage);
    add("content type", 8, [](CLinkInfo& l) { l.m_contentType = "image/png"; },
        [](CLinkInfo& l) { l.m_contentType = "text/html"; });
    add("status", 9, [](CLinkInfo& l) { l.m_statusText = "Broken"; }, [](CLinkInfo& l) { l.m_statusText = "OK"; });
    // The kind group outranks the key on every column but "#" and "##".
    add("folder before form", 0, [](CLinkInfo& l) { l.m_name = "z"; }, [](CLinkInfo& l) { l.m_name = "a"; },
        kTypeLocalFolder, kTypeForm);
    add("ftp list before form", 4, [](CLinkInfo& l) { l.m_size = 9; }, [](CLinkInfo& l) { l.m_size = 1; },
        kTypeFtpList, kTypeForm);
    add("form before page", 9, none, none, kTypeForm, kTypeHtml);
    add("page before image", 7, none, none, kTypeHtml, kTypeImage);
    add("index ignores the group", 2, [](CLinkInfo& l) { l.m_index = 0; }, [](CLinkInfo& l) { l.m_index = 1; },
        kTypeImage, kTypeLocalFolder);
    add("link id ignores the group", 3, [](CLinkInfo& l) { l.m_linkId = 100; },
        [](CLinkInfo& l) { l.m_linkId = 101; }, kTypeImage, kTypeHtml);
    // Equal keys: the more repeated link first.
    add("tie: repeated first", 0, [](CLinkInfo& l) { l.m_repetition = 3; }, [](CLinkInfo& l) { l.m_repetition = 1; });
    return cases;
}

TEST(CompareLinks, EachColumnOrdersByItsKeyAndIsAntisymmetric)
{
    for (const OrderCase& c : OrderCases())
    {
        SCOPED_TRACE(c.m_name);
        EXPECT_LT(CompareLinks(c.m_first, c.m_second, c.m_column), 0);
        EXPECT_GT(CompareLinks(c.m_second, c.m_first, c.m_column), 0);
        EXPECT_EQ(CompareLinks(c.m_first, c.m_first, c.m_column), 0);
    }
}

TEST(CompareLinks, TwoInvalidDatesTieAndFallBackToRepetition)
{
    CLinkInfo a = Link(kTypeFile, 1);
    CLinkInfo b = Link(kTypeFile, 4);
    EXPECT_GT(CompareLinks(a, b, 5), 0);
    b.m_repetition = 1;
    EXPECT_EQ(CompareLinks(a, b, 5), 0);
}

TEST(CompareLinks, SortingBySizeDescendingKeepsRepeatedLinksFirstAmongEqualSizes)
{
    std::vector<CLinkInfo> links;
    const int64_t sizes[] = {10, 30, 30, 20};
    const int repetitions[] = {1, 1, 2, 1};
    for (int i = 0; i < 4; ++i)
    {
        links.push_back(Link(kTypeFile, repetitions[i]));
        links.back().m_size = sizes[i];
        links.back().m_index = i;
    }
    // The view's sort is the comparison times the direction, -1 descending.
    std::stable_sort(links.begin(), links.end(),
                     [](const CLinkInfo& a, const CLinkInfo& b) { return CompareLinks(a, b, 4) * -1 < 0; });
    std::vector<int> order;
    for (const CLinkInfo& l : links)
        order.push_back(l.m_index);
    // Descending reverses the tie too: the view reverses the whole result.
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 0}));
}

TEST(LinkRowBackground, EachStateHasItsColourAndBrokenSublinksOverrideIt)
{
    struct Case
    {
        int m_state;
        std::optional<QColor> m_colour;
    };
    const Case cases[] = {
        {kStateUnknown, QColor(250, 220, 220)},      {kStateWaiting, QColor(230, 250, 230)},
        {kStateProcessing, QColor(230, 250, 230)},   {kStateDownloaded, std::nullopt},
        {kStateInfoOnly, std::nullopt},              {kStateBroken, QColor(255, 200, 200)},
        {kStateRedirected, QColor(200, 200, 255)},   {kStateNotSupported, QColor(250, 250, 240)},
        {kStateNotAvailableOffline, QColor(250, 250, 240)}, {kStateFiltered, QColor(240, 240, 245)},
        {kStateStopped, QColor(255, 210, 240)},      {kStateMaxRecursion, QColor(235, 235, 235)},
        {kStateIsExternal, QColor(245, 240, 240)},   {kLinkStateCount, std::nullopt},
        {-1, std::nullopt},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.m_state);
        CLinkInfo link;
        link.m_state = c.m_state;
        EXPECT_EQ(LinkRowBackground(link), c.m_colour);
        link.m_brokenChildren = 2;
        EXPECT_EQ(LinkRowBackground(link), QColor(250, 250, 220));
    }
}

TEST(LinkListFilter, KeepsTheTreeMasksAndHideRepeatingButNotItsTypeGroupChoices)
{
    CLinkViewFilter tree;
    tree.m_pageMode = CLinkViewFilter::kAlwaysShown;
    tree.m_fileMode = CLinkViewFilter::kNeverShown;
    tree.m_type0Mode = CLinkViewFilter::kAlwaysShown;
    tree.m_stateMask = 1 << kStateBroken;
    tree.m_hideRepeats = 1;
    const CLinkViewFilter list = LinkListFilter(tree);

    CLinkInfo brokenFile = Link(kTypeFile);
    brokenFile.m_state = kStateBroken;
    CLinkInfo goodPage = Link(kTypeHtml);
    goodPage.m_state = kStateDownloaded;
    CLinkInfo repeatedBroken = brokenFile;
    repeatedBroken.m_repetition = 2;
    EXPECT_FALSE(tree.Match(brokenFile));
    EXPECT_TRUE(list.Match(brokenFile)) << "files show in the list";
    EXPECT_TRUE(tree.Match(goodPage));
    EXPECT_FALSE(list.Match(goodPage)) << "the state mask applies to pages too";
    EXPECT_FALSE(list.Match(repeatedBroken)) << "hide repeating carries over";
}

TEST(LinkListModeFor, EachModeSetsItsStyleAndImages)
{
    struct Case
    {
        int m_mode;
        UINT m_style;
        int m_iconSize;
        bool m_thumbnails;
        bool m_arrow;
    };
    const Case cases[] = {
        {0, LVS_ICON, 32, false, false},   {1, LVS_SMALLICON, 16, false, false}, {2, LVS_LIST, 16, false, false},
        {3, LVS_REPORT, 16, false, true},  {4, LVS_ICON, 0, true, false},        {9, LVS_REPORT, 16, false, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.m_mode);
        const LinkListModeRule rule = LinkListModeFor(c.m_mode);
        EXPECT_EQ(rule.m_style, c.m_style);
        EXPECT_EQ(rule.m_iconSize, c.m_iconSize);
        EXPECT_EQ(rule.m_thumbnails, c.m_thumbnails);
        EXPECT_EQ(rule.m_sortArrow, c.m_arrow);
    }
    EXPECT_EQ(LinkListModeFor(kLinkListDefaultMode).m_style, LVS_REPORT);
}
} // namespace
