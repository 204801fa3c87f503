// The link-group list: its rows as groups expand and collapse, the check
// boxes over the display filter (value rows, "All" rows, "Contain broken")
// with every change reported through the owner's callback, the counts, and
// the mouse and keys that act on rows.

#include "checker/ui/LinkGroupTree.h"

#include "tests/support/QtApplication.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QImage>
#include <QTest>
#include <QTreeView>

#include <vector>

namespace
{
using Tree = CLinkGroupTree;

class LinkGroupTreeTest : public ::testing::Test
{
protected:
    // The widgets below are members: the application must come first.
    static void SetUpTestSuite() { TestApplication(); }

    void SetUp() override
    {
        m_tree.resize(320, 900);
        m_tree.SetFilterCallback([this](const CLinkViewFilter& filter) { m_reported.push_back(filter); });
        m_tree.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_tree));
        m_tree.Fill(false);
    }

    std::vector<int> Codes() const
    {
        std::vector<int> codes;
        for (int row = 0; row < m_tree.GetItemCount(); ++row)
            codes.push_back(m_tree.GetRowCode(row));
        return codes;
    }

    // The codes of a group's rows as an expanded group lists them.
    static std::vector<int> GroupRows(int group)
    {
        std::vector<int> codes{Tree::kCodeAllFirst + group};
        const Tree::GroupInfo& info = Tree::GetGroupInfo(group);
        for (int value = group == Tree::kGroupState ? 1 : 0; value < info.m_count; ++value)
            codes.push_back(info.m_firstCode + value);
        if (group == Tree::kGroupState)
            codes.push_back(Tree::kCodeContainBroken);
        return codes;
    }

    void Act(int code, Tree::Action action = Tree::kToggle)
    {
        const int row = m_tree.FindRow(code);
        ASSERT_GE(row, 0) << "code " << code << " is not shown";
        m_tree.OnRowAction(row, true, action);
    }

    QPoint BoxPoint(int code) const
    {
        QRect icon;
        m_tree.GetItemRect(m_tree.FindRow(code), icon, LVIR_ICON);
        return QPoint(icon.left() - 8, icon.center().y());
    }

    Tree m_tree;
    std::vector<CLinkViewFilter> m_reported;
};

TEST_F(LinkGroupTreeTest, FillListsTheHeadersWithTheStateAndInterestGroupsOpen)
{
    std::vector<int> expected{Tree::kGroupState};
    for (int code : GroupRows(Tree::kGroupState))
        expected.push_back(code);
    expected.push_back(Tree::kGroupType);
    expected.push_back(Tree::kGroupInterest);
    for (int code : GroupRows(Tree::kGroupInterest))
        expected.push_back(code);
    expected.push_back(Tree::kGroupProtocol);
    expected.push_back(Tree::kGroupTags);
    EXPECT_EQ(Codes(), expected);

    ASSERT_EQ(m_tree.GetColumnCount(), 3);
    const struct
    {
        int code;
        const char* text;
    } texts[] = {
        {Tree::kGroupState, "Links by state"},
        {Tree::kGroupInterest, "Links by interest"},
        {Tree::kCodeAllFirst, "All"},
        {Tree::kCodeStateFirst + kStateBroken, "Broken"},
        {Tree::kCodeContainBroken, "Contain broken"},
        {Tree::kCodeInterestFirst + kScopeExternal, "External"},
    };
    for (const auto& each : texts)
        EXPECT_EQ(m_tree.GetItemText(m_tree.FindRow(each.code), 0), each.text) << each.code;
    EXPECT_TRUE(m_reported.empty());
}

TEST_F(LinkGroupTreeTest, RowImagesShowTicksBranchesAndHeaderState)
{
    const struct
    {
        int code;
        int image;
    } cases[] = {
        {Tree::kGroupState, 4},                        // expanded header
        {Tree::kGroupType, 3},                         // collapsed header
        {Tree::kCodeAllFirst, 2},                      // ticked
        {Tree::kCodeStateFirst + kStateIsExternal, 2}, // last state, but "Contain broken" ends the group
        {Tree::kCodeContainBroken, 6},                 // last row, ticked
        {Tree::kCodeTypeFirst + kTypeAnchor, 6},
        {Tree::kCodeInterestFirst + kScopeNotSupported, 6},
        {Tree::kCodeTagFirst + kTagTypeCount - 1, 6},
    };
    for (const auto& each : cases)
        EXPECT_EQ(m_tree.RowImage(each.code), each.image) << each.code;
    const int row = m_tree.FindRow(Tree::kCodeContainBroken);
    EXPECT_EQ(m_tree.GetItemState(row, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(6));
    Act(Tree::kCodeContainBroken);
    EXPECT_EQ(m_tree.GetItemState(row, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(5));
}

TEST_F(LinkGroupTreeTest, HeadersExpandAndCollapseWithoutTellingTheOwnerAndTicksSurvive)
{
    Act(Tree::kGroupTags);
    const int header = m_tree.FindRow(Tree::kGroupTags);
    const std::vector<int> tagRows = GroupRows(Tree::kGroupTags);
    ASSERT_EQ(m_tree.GetItemCount(), header + 1 + static_cast<int>(tagRows.size()));
    for (size_t i = 0; i < tagRows.size(); ++i)
        EXPECT_EQ(m_tree.GetRowCode(header + 1 + static_cast<int>(i)), tagRows[i]);
    EXPECT_TRUE(m_tree.IsGroupExpanded(Tree::kGroupTags));
    EXPECT_EQ(m_tree.GetItemState(header, LVIS_SELECTED | LVIS_FOCUSED), LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_TRUE(m_reported.empty());

    const int image = Tree::kCodeTagFirst + 3;
    Act(image);
    ASSERT_EQ(m_reported.size(), 1u);
    EXPECT_FALSE(MaskHasBit(m_reported.back().m_tagMask, 3));

    Act(Tree::kGroupTags);
    EXPECT_EQ(m_tree.FindRow(image), -1);
    EXPECT_EQ(m_tree.GetItemCount(), header + 1);
    Act(Tree::kGroupTags);
    EXPECT_FALSE(m_tree.IsCodeChecked(image));
    EXPECT_EQ(m_tree.GetItemState(m_tree.FindRow(image), LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(1));
    EXPECT_TRUE(m_tree.IsCodeChecked(Tree::kCodeTagFirst + 4));
    EXPECT_EQ(m_reported.size(), 1u);

    // Collapsing the state group moves the rows after it up.
    const int interest = m_tree.FindRow(Tree::kGroupInterest);
    Act(Tree::kGroupState);
    EXPECT_EQ(m_tree.FindRow(Tree::kGroupInterest), interest - static_cast<int>(GroupRows(0).size()));
}

TEST_F(LinkGroupTreeTest, AllRowsCarryTheirWholeGroupAndReportTheFilter)
{
    Act(Tree::kGroupType);
    Act(Tree::kCodeAllFirst + Tree::kGroupType);
    ASSERT_EQ(m_reported.size(), 1u);
    EXPECT_EQ(m_reported.back().m_typeMask, 0);
    EXPECT_EQ(m_reported.back().m_stateMask, -1) << "other groups keep their masks";
    for (int type = 0; type < kLinkTypeCount; ++type)
    {
        const int row = m_tree.FindRow(Tree::kCodeTypeFirst + type);
        EXPECT_FALSE(m_tree.IsCodeChecked(Tree::kCodeTypeFirst + type));
        EXPECT_EQ(m_tree.GetItemState(row, LVIS_STATEIMAGEMASK),
                  INDEXTOSTATEIMAGEMASK(type == kTypeAnchor ? 5u : 1u));
    }
    Act(Tree::kCodeAllFirst + Tree::kGroupType);
    EXPECT_EQ(m_reported.back().m_typeMask, -1);
    EXPECT_TRUE(m_tree.IsCodeChecked(Tree::kCodeTypeFirst + kTypeHtml));

    // The state group's "All" takes "Contain broken" along.
    Act(Tree::kCodeAllFirst + Tree::kGroupState, Tree::kClear);
    EXPECT_EQ(m_reported.back().m_stateMask, 0);
    EXPECT_EQ(m_reported.back().m_containsBroken, 0);
    EXPECT_FALSE(m_tree.IsCodeChecked(Tree::kCodeContainBroken));
    Act(Tree::kCodeAllFirst + Tree::kGroupState, Tree::kSet);
    EXPECT_EQ(m_reported.back().m_containsBroken, 1);
    EXPECT_EQ(m_reported.size(), 4u);
}

TEST_F(LinkGroupTreeTest, ValueRowsEditTheirBitAndContainBrokenItsFlag)
{
    const struct
    {
        int code;
        int32_t CLinkViewFilter::*mask;
        int bit;
    } cases[] = {
        {Tree::kCodeStateFirst + kStateBroken, &CLinkViewFilter::m_stateMask, kStateBroken},
        {Tree::kCodeInterestFirst + kScopeExternal, &CLinkViewFilter::m_scopeMask, kScopeExternal},
        {Tree::kCodeContainBroken, &CLinkViewFilter::m_containsBroken, 0},
    };
    for (const auto& each : cases)
    {
        Act(each.code);
        ASSERT_FALSE(m_reported.empty());
        EXPECT_FALSE(MaskHasBit(m_reported.back().*each.mask, each.bit)) << each.code;
        Act(each.code, Tree::kSet);
        EXPECT_TRUE(MaskHasBit(m_reported.back().*each.mask, each.bit)) << each.code;
        Act(each.code, Tree::kSet);
        EXPECT_TRUE(MaskHasBit(m_reported.back().*each.mask, each.bit)) << "set twice stays set";
    }
    EXPECT_EQ(m_reported.size(), 9u);
    EXPECT_EQ(m_reported.back(), CLinkViewFilter());
}

TEST_F(LinkGroupTreeTest, SetFilterDerivesTheAllFlags)
{
    CLinkViewFilter filter;
    filter.m_stateMask = 32;
    filter.m_typeMask = -1 & ~(1 << kTypeImage);
    filter.m_stateMask |= 1; // Unknown alone would not make the state group complete
    m_tree.SetFilter(filter);
    EXPECT_FALSE(m_tree.IsGroupAll(Tree::kGroupState));
    EXPECT_FALSE(m_tree.IsGroupAll(Tree::kGroupType));
    EXPECT_TRUE(m_tree.IsGroupAll(Tree::kGroupTags));
    EXPECT_TRUE(m_tree.IsCodeChecked(Tree::kCodeStateFirst + kStateBroken));
    EXPECT_FALSE(m_tree.IsCodeChecked(Tree::kCodeStateFirst + kStateDownloaded));

    filter.m_stateMask = -1 & ~1; // every state but Unknown still counts as all
    m_tree.SetFilter(filter);
    EXPECT_TRUE(m_tree.IsGroupAll(Tree::kGroupState));
    filter.m_containsBroken = 0;
    m_tree.SetFilter(filter);
    EXPECT_FALSE(m_tree.IsGroupAll(Tree::kGroupState));
    EXPECT_TRUE(m_reported.empty()) << "only user actions are reported";
}

TEST_F(LinkGroupTreeTest, CountsAreGroupedByThousandsEmptyForZeroAndAllSumsTheStates)
{
    CLinkStats stats;
    stats.m_states[CLinkStats::kAll][kStateDownloaded] = 1234567;
    stats.m_states[CLinkStats::kUnique][kStateDownloaded] = 999;
    stats.m_states[CLinkStats::kAll][kStateBroken] = 3;
    stats.m_states[CLinkStats::kUnique][kStateBroken] = 1;
    stats.m_brokenReferences[CLinkStats::kAll] = 2;
    stats.m_scopes[CLinkStats::kAll][kScopeInternal] = 1000;
    m_tree.SetCounts(stats);

    const struct
    {
        int code;
        const char* total;
        const char* unique;
    } cases[] = {
        {Tree::kCodeStateFirst + kStateDownloaded, "1,234,567", "999"},
        {Tree::kCodeStateFirst + kStateBroken, "3", "1"},
        {Tree::kCodeStateFirst + kStateWaiting, "", ""},
        {Tree::kCodeContainBroken, "2", ""},
        {Tree::kCodeAllFirst + Tree::kGroupState, "1,234,570", "1,000"},
        {Tree::kCodeAllFirst + Tree::kGroupInterest, "1,234,570", "1,000"},
        {Tree::kCodeInterestFirst + kScopeInternal, "1,000", ""},
        {Tree::kGroupState, "", ""},
    };
    for (const auto& each : cases)
    {
        const int row = m_tree.FindRow(each.code);
        EXPECT_EQ(m_tree.GetItemText(row, 1), each.total) << each.code;
        EXPECT_EQ(m_tree.GetItemText(row, 2), each.unique) << each.code;
    }

    // Rows made later show the kept counts; a count back to 0 is cleared.
    Act(Tree::kGroupType);
    stats.m_states[CLinkStats::kAll][kStateBroken] = 0;
    stats.m_linkTypes[CLinkStats::kAll][kTypeHtml] = 12;
    m_tree.SetCounts(stats);
    EXPECT_EQ(m_tree.GetItemText(m_tree.FindRow(Tree::kCodeStateFirst + kStateBroken), 1), "");
    EXPECT_EQ(m_tree.GetItemText(m_tree.FindRow(Tree::kCodeTypeFirst + kTypeHtml), 1), "12");
    Act(Tree::kGroupType);
    Act(Tree::kGroupType);
    EXPECT_EQ(m_tree.GetItemText(m_tree.FindRow(Tree::kCodeTypeFirst + kTypeHtml), 1), "12");
}

TEST_F(LinkGroupTreeTest, SpaceTogglesEverySelectedRowAndTellsTheOwnerOnce)
{
    const int codes[] = {Tree::kCodeStateFirst + kStateBroken, Tree::kCodeStateFirst + kStateRedirected,
                         Tree::kCodeInterestFirst + kScopeInternal};
    for (int code : codes)
        m_tree.SetItemState(m_tree.FindRow(code), LVIS_SELECTED, LVIS_SELECTED);
    m_tree.ReportView()->setFocus();
    QTest::keyClick(m_tree.ReportView(), Qt::Key_Space);
    for (int code : codes)
        EXPECT_FALSE(m_tree.IsCodeChecked(code)) << code;
    ASSERT_EQ(m_reported.size(), 1u);
    EXPECT_FALSE(MaskHasBit(m_reported[0].m_stateMask, kStateRedirected));
    EXPECT_FALSE(MaskHasBit(m_reported[0].m_scopeMask, kScopeInternal));

    // With Ctrl the key is not an action (the list may use it for its
    // selection, which is set again below).
    QTest::keyClick(m_tree.ReportView(), Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(m_reported.size(), 1u);
    for (int code : codes)
        EXPECT_FALSE(m_tree.IsCodeChecked(code)) << code;
    for (int row = 0; row < m_tree.GetItemCount(); ++row)
        m_tree.SetItemState(row, 0, LVIS_SELECTED);
    for (int code : codes)
        m_tree.SetItemState(m_tree.FindRow(code), LVIS_SELECTED, LVIS_SELECTED);
    QTest::keyClick(m_tree.ReportView(), Qt::Key_Return);
    EXPECT_EQ(m_reported.size(), 2u);
    for (int code : codes)
        EXPECT_TRUE(m_tree.IsCodeChecked(code)) << code;
}

TEST_F(LinkGroupTreeTest, AClickOnTheBoxTogglesTheRowAndAClickOnTheTextOnlySelects)
{
    QWidget* rows = m_tree.ReportView()->viewport();
    const int broken = Tree::kCodeStateFirst + kStateBroken;
    QTest::mouseClick(rows, Qt::LeftButton, {}, BoxPoint(broken));
    EXPECT_FALSE(m_tree.IsCodeChecked(broken));
    ASSERT_EQ(m_reported.size(), 1u);

    QRect label;
    const int stopped = Tree::kCodeStateFirst + kStateStopped;
    ASSERT_TRUE(m_tree.GetItemRect(m_tree.FindRow(stopped), label, LVIR_LABEL));
    QTest::mouseClick(rows, Qt::LeftButton, {}, label.center());
    EXPECT_TRUE(m_tree.IsCodeChecked(stopped));
    EXPECT_EQ(m_reported.size(), 1u);
    EXPECT_EQ(m_tree.GetNextItem(-1, LVNI_SELECTED), m_tree.FindRow(stopped));

    // A double click on the text toggles the selected row.
    QTest::mouseDClick(rows, Qt::LeftButton, {}, label.center());
    EXPECT_FALSE(m_tree.IsCodeChecked(stopped));
    EXPECT_EQ(m_reported.size(), 2u);

    // A header's box opens its group.
    QTest::mouseClick(rows, Qt::LeftButton, {}, BoxPoint(Tree::kGroupProtocol));
    EXPECT_TRUE(m_tree.IsGroupExpanded(Tree::kGroupProtocol));
    EXPECT_EQ(m_reported.size(), 2u);
}

TEST_F(LinkGroupTreeTest, HeadersAreDrawnOnABand)
{
    const int header = m_tree.FindRow(Tree::kGroupType);
    QRect cell;
    ASSERT_TRUE(m_tree.GetSubItemRect(header, 1, LVIR_LABEL, cell));
    const QImage picture = m_tree.ReportView()->viewport()->grab().toImage();
    EXPECT_EQ(QColor(picture.pixel(cell.center())), QColor(230, 230, 220));
    // The state images are the six cells of the strip.
    ASSERT_NE(m_tree.GetImageList(LVSIL_STATE), nullptr);
    EXPECT_EQ(m_tree.GetImageList(LVSIL_STATE)->GetImageCount(), 6);
}

TEST(LinkGroupTreeOneColumn, SpansTheListWithOneColumnAndNoCounts)
{
    TestApplication();
    CLinkGroupTree tree;
    tree.resize(300, 400);
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    tree.Fill(true);
    ASSERT_EQ(tree.GetColumnCount(), 1);
    EXPECT_EQ(tree.GetColumnWidth(0), tree.ReportView()->viewport()->width());
    CLinkStats stats;
    stats.m_states[CLinkStats::kAll][kStateBroken] = 5;
    tree.SetCounts(stats);
    EXPECT_EQ(tree.GetItemText(tree.FindRow(CLinkGroupTree::kCodeStateFirst + kStateBroken), 1), "");
    tree.resize(500, 400);
    QApplication::processEvents();
    EXPECT_EQ(tree.GetColumnWidth(0), tree.ReportView()->viewport()->width());
}
} // namespace
