// The first sizes of a task window's splitters and the order Tab and
// Shift+Tab visit its panes in.

#include "shell/LinkTreeFrame.h"

#include <gtest/gtest.h>

namespace
{
TEST(LinkTreeSplitTest, StoredSizesAreKeptWhileTheyFitElseTheDefaultShares)
{
    struct Case
    {
        int m_width, m_height;
        LinkTreeSplit m_stored;
        LinkTreeSplit m_expected;
    };
    const Case cases[] = {
        {900, 600, {0, 0, 0}, {300, 300, 400}},          // nothing stored
        {900, 600, {250, 120, 500}, {250, 120, 500}},    // all fit
        {900, 600, {900, 600, 600}, {900, 600, 600}},    // exactly the room still fits
        {900, 600, {901, 601, 700}, {300, 300, 400}},    // larger than the new area
        {900, 600, {-5, -1, 0}, {300, 300, 400}},        // not above 0
        {900, 600, {1200, 100, 9999}, {300, 100, 400}},  // each size on its own
        {100, 7, {0, 0, 0}, {33, 3, 4}},                 // integer shares
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.m_width << "x" << c.m_height << " stored " << c.m_stored.m_leftWidth
                                        << "," << c.m_stored.m_leftTopHeight << "," << c.m_stored.m_rightTopHeight);
        const LinkTreeSplit split = ComputeLinkTreeSplit(c.m_width, c.m_height, c.m_stored);
        EXPECT_EQ(split.m_leftWidth, c.m_expected.m_leftWidth);
        EXPECT_EQ(split.m_leftTopHeight, c.m_expected.m_leftTopHeight);
        EXPECT_EQ(split.m_rightTopHeight, c.m_expected.m_rightTopHeight);
    }
}

TEST(LinkTreePaneTest, TabGoesTreeListEditorGeneralAndShiftTabTheOtherWay)
{
    using enum LinkTreePane;
    const LinkTreePane order[] = {kTree, kList, kEditor, kGeneral};
    for (size_t i = 0; i < std::size(order); ++i)
    {
        const LinkTreePane next = order[(i + 1) % std::size(order)];
        EXPECT_EQ(StepLinkTreePane(order[i], true), next) << i;
        EXPECT_EQ(StepLinkTreePane(next, false), order[i]) << i;
    }
}
} // namespace
