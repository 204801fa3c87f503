// The tabbed bar's rules: tab widths, tab outlines, scrolling and layout.

#include "widgets/TabbedBar.h"

#include <gtest/gtest.h>

namespace
{
TEST(TabRules, WidthIsClampedAndCappedOnlyForLongTexts)
{
    const struct
    {
        int measured, characters, width;
    } cases[] = {
        {21 + 7, 1, 40},   {39, 3, 40},     {40, 3, 40},     {150, 12, 150},
        {281, 31, 280},    {600, 40, 280},  {600, 30, 600},  {400, 25, 400}, // 25 characters: never capped
        {280, 50, 280},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClampTabWidth(c.measured, c.characters), c.width) << c.measured << " " << c.characters;
}

TEST(TabRules, ShapesOfFirstMiddleLastActiveAndInactiveTabs)
{
    using P = QPoint;
    const struct
    {
        int left, right, index, count;
        bool active;
        int offset;
        P points[4];
        int textLeft, textRight;
    } cases[] = {
        // A middle tab, active, then inactive (narrower and lower).
        {100, 200, 1, 3, true, 0, {P(96, 0), P(101, 19), P(199, 19), P(204, 0)}, 100, 200},
        {100, 200, 1, 3, false, 0, {P(98, 0), P(103, 18), P(197, 18), P(202, 0)}, 100, 200},
        // The first tab starts straight, its text 4 in.
        {0, 80, 0, 3, true, 0, {P(0, 0), P(5, 19), P(79, 19), P(84, 0)}, 4, 80},
        {0, 80, 0, 3, false, 0, {P(2, 0), P(7, 18), P(77, 18), P(82, 0)}, 4, 80},
        // The last of several ends 4 early.
        {200, 300, 2, 3, true, 0, {P(196, 0), P(201, 19), P(295, 19), P(300, 0)}, 200, 296},
        // A single tab is first, not last.
        {0, 80, 0, 1, true, 0, {P(0, 0), P(5, 19), P(79, 19), P(84, 0)}, 4, 80},
        // The scroll offset shifts everything left.
        {100, 200, 1, 3, true, 30, {P(66, 0), P(71, 19), P(169, 19), P(174, 0)}, 70, 170},
    };
    for (const auto& c : cases)
    {
        const CTabShape shape = ComputeTabShape(c.left, c.right, 0, 19, c.index, c.count, c.active, c.offset);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(shape.m_points[i], c.points[i]) << "tab " << c.index << " active " << c.active << " point " << i;
        EXPECT_EQ(shape.m_textLeft, c.textLeft) << c.index;
        EXPECT_EQ(shape.m_textRight, c.textRight) << c.index;
    }
}

TEST(TabRules, EnsureActiveVisible)
{
    const std::vector<int> widths = {100, 100, 100, 100, 100}; // total 500
    const struct
    {
        int active, offset, client, wanted;
    } cases[] = {
        {0, 0, 250, 0},
        {2, 0, 250, 70},     // right edge 300 beyond 250: ends 20 inside
        {4, 0, 250, 250},    // 370 would leave empty space: total - w
        {1, 150, 250, 100},  // left edge hidden: flush left
        {2, 195, 250, 200},  // left edge within 10 pixels: flush left
        {2, 150, 250, 150},  // already visible
        {0, 0, 600, 0},      // everything fits
        {7, 400, 250, 250},  // no such tab: only the end rule
        {3, 0, 100, 300},    // tab as wide as the strip: 320 would hide its left edge
    };
    for (const auto& c : cases)
        EXPECT_EQ(EnsureActiveVisibleOffset(widths, c.active, c.offset, c.client), c.wanted)
            << c.active << " from " << c.offset;
    EXPECT_EQ(EnsureActiveVisibleOffset({}, 0, 40, 250), 0);
}

TEST(TabRules, ScrollOffsetRequests)
{
    const struct
    {
        int x, offset, total, client, wanted;
    } cases[] = {
        {-20, 0, 500, 250, 0}, {20, 0, 500, 250, 20}, {260, 240, 500, 250, 250},
        {230, 250, 500, 250, 230}, {20, 0, 100, 250, 0}, {500, 0, 500, 250, 250},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClampScrollOffset(c.x, c.offset, c.total, c.client), c.wanted) << c.x << " from " << c.offset;
}

TEST(TabRules, BarLayout)
{
    const struct
    {
        int tabs, total, client, grip;
        bool shown;
        int left, right;
    } cases[] = {
        {1, 900, 400, 12, false, 0, 388}, // one tab never scrolls
        {2, 900, 400, 12, true, 24, 388},
        {2, 388, 400, 12, false, 0, 388}, // fits beside the grip
        {2, 389, 400, 12, true, 24, 388},
        {3, 400, 400, 0, false, 0, 400},
        {0, 0, 400, 0, false, 0, 400},
    };
    for (const auto& c : cases)
    {
        const CTabbedBarLayout layout = ComputeTabbedBarLayout(c.tabs, c.total, c.client, c.grip);
        EXPECT_EQ(layout.m_scrollShown, c.shown) << c.tabs << " " << c.total;
        EXPECT_EQ(layout.m_stripLeft, c.left) << c.tabs << " " << c.total;
        EXPECT_EQ(layout.m_stripRight, c.right) << c.tabs << " " << c.total;
    }
}
} // namespace
