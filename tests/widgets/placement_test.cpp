// Placement and list-column texts, column sizing, scroll codes and menu
// texts: the rules, as tables.

#include "widgets/ListColumns.h"
#include "widgets/WindowHelpers.h"
#include "widgets/WindowPlacement.h"

#include <gtest/gtest.h>

#include <climits>

namespace
{
TEST(Placement, ParsePutsTheRectangleOnTheScreen)
{
    const struct
    {
        const char* text;
        int screenWidth, screenHeight;
        CRect rect;
        int state;
    } cases[] = {
        {"100:50:800:600:1", 1024, 768, {100, 50, 900, 650}, 1},
        {"1500:50:800:600:0", 1024, 768, {224, 50, 1024, 650}, 0},
        {"", 1024, 768, {0, 0, 819, 614}, 0},
        {"-20:-20:5000:5000:0", 1024, 768, {0, 0, 1024, 768}, 0},
        {"10:20:300:200:-1", 1024, 768, {10, 20, 310, 220}, -1},
        {"10:20", 1024, 768, {10, 20, 829, 634}, 0},       // missing fields read as 0
        {"10:x:300:200:1", 1024, 768, {10, 0, 829, 614}, 0}, // reading stops at x
        {" 5: 6: 7: 8: 1", 1024, 768, {5, 6, 12, 14}, 1},  // blanks before numbers
        {"99999999999:0:100:100:0", 1024, 768, {924, 0, 1024, 100}, 0},
        {"0:0:-99999999999:100:0", 1024, 768, {0, 0, 819, 100}, 0},
        {"100:50:800:600:1", 0, 768, {0, 50, 0, 650}, 1},   // no screen width: horizontal 0
        {"100:50:800:600:1", 1024, -1, {100, 0, 900, 0}, 1},
    };
    for (const auto& c : cases)
    {
        int state = 42;
        EXPECT_EQ(ParsePlacement(c.text, c.screenWidth, c.screenHeight, state), c.rect) << c.text;
        EXPECT_EQ(state, c.state) << c.text;
    }
    EXPECT_EQ(IsPlacementMaximized("1:2:3:4:1"), 1);
    EXPECT_EQ(IsPlacementMaximized("1:2:3:4:-1"), -1);
    EXPECT_EQ(IsPlacementMaximized("garbage"), 0);
}

TEST(Placement, FormatWritesWhatTheScreenAllows)
{
    const struct
    {
        int left, top, right, bottom, screenWidth, screenHeight, state;
        const char* text;
    } cases[] = {
        {100, 50, 900, 650, 1024, 768, 1, "100:50:800:600:1"},
        {-8, -8, 1032, 776, 1024, 768, 0, "-8:-8:1040:784:0"},
        {100, 50, 900, 650, 0, 768, 0, "0:50:0:600:0"},
        {100, 50, 900, 650, 1024, 0, 0, "100:0:800:0:0"},
        {100, 50, 100, 40, 1024, 768, -1, "100:50:0:0:-1"}, // empty window: no extent
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatPlacement(c.left, c.top, c.right, c.bottom, c.screenWidth, c.screenHeight, c.state), c.text);
}

TEST(Placement, ShowCommandFollowsTheStoredState)
{
    const struct
    {
        int command, state, chosen;
    } cases[] = {
        {1, 1, 3}, {5, 1, 3}, {1, -1, 2}, {5, -1, 2}, {1, 0, 1}, {5, 0, 5},
        {-1, 1, 0}, {-1, 0, 0}, {4, 1, 4}, {3, 0, 3}, {2, 1, 2}, {0, 1, 0}, {9, -1, 9},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChoosePlacementShowCommand(c.command, c.state), c.chosen) << c.command << " " << c.state;
}

TEST(Placement, CreateStructTakesRectangleAndStateBits)
{
    CCreateStruct cs;
    cs.style = 0x00CF0000 | CCreateStruct::kStyleMinimize;
    PlacementToCreateStruct("100:50:800:600:1", cs, 1024, 768);
    EXPECT_EQ(cs.x, 100);
    EXPECT_EQ(cs.y, 50);
    EXPECT_EQ(cs.cx, 800);
    EXPECT_EQ(cs.cy, 600);
    EXPECT_EQ(cs.style, 0x00CF0000u | CCreateStruct::kStyleMaximize);
    PlacementToCreateStruct("1:1:1:1:-3", cs, 1024, 768);
    EXPECT_EQ(cs.style, 0x00CF0000u | CCreateStruct::kStyleMinimize);
    PlacementToCreateStruct("1:1:1:1:0", cs, 1024, 768);
    EXPECT_EQ(cs.style, 0x00CF0000u);
}

TEST(ListColumns, TextRoundTripAndDamagedTexts)
{
    EXPECT_EQ(FormatListColumns({200, 120, 36}), "200:120:36:");
    EXPECT_EQ(FormatListColumns({}), "");
    EXPECT_EQ(IntToString(-7), "-7");

    const struct
    {
        const char* text;
        int result;
        std::vector<int> widths; // of three columns that start at 50
    } cases[] = {
        {"200:1500:abc", 0, {200, 1000, 50}},
        {"200:120:36:", 1, {200, 120, 36}},
        {"  200:120:36  ", 1, {200, 120, 36}},
        {"200:120", 1, {200, 120, 50}},          // the end gives the last number
        {"200:", 1, {200, 50, 50}},
        {"1:2:3:4:5:", 1, {1, 2, 3}},            // a ':' for a missing column ends with 1
        {"1:2:3:4", 1, {1, 2, 3}},
        {"", 0, {50, 50, 50}},
        {"   ", 0, {50, 50, 50}},
        {"-5:10:", 0, {50, 50, 50}},
        {"7:1x", 0, {7, 50, 50}},                // the number being read is dropped
        {"::", 1, {0, 0, 50}},
        {"99999999999999999999:", 1, {1000, 50, 50}},
    };
    for (const auto& c : cases)
    {
        std::vector<int> widths = {50, 50, 50};
        EXPECT_EQ(ApplyListColumnsText(c.text, widths), c.result) << c.text;
        EXPECT_EQ(widths, c.widths) << c.text;
    }
    std::vector<int> none;
    EXPECT_EQ(ApplyListColumnsText("5", none), 1);
}

TEST(ListColumns, SizingRules)
{
    EXPECT_EQ(AutoColumnWidth(500, {100, 50, 80}, 1, 40), 320);
    EXPECT_EQ(AutoColumnWidth(500, {300, 50, 180}, 1, 40), 40) << "rest 20 below the minimum";
    EXPECT_EQ(AutoColumnWidth(500, {300, 50, 200}, 1, -1), -1) << "no rest: size to content";
    EXPECT_EQ(AutoColumnWidth(500, {300, 50, 190}, 1, -1), 10);

    EXPECT_EQ(ProportionalColumnWidths(1000, {0.5, 0.3, 0.1}), (std::vector<int>{500, 300, 200}));
    EXPECT_EQ(ProportionalColumnWidths(100, {0.5, 0.45, 0.05}), (std::vector<int>{50, 45, 5}))
        << "others 95 not below 90: own share";
    EXPECT_EQ(ProportionalColumnWidths(333, {0.333, 0.333}), (std::vector<int>{110, 223}));
    EXPECT_TRUE(ProportionalColumnWidths(100, {}).empty());
}

TEST(WindowHelpers, ScrollCodes)
{
    const struct
    {
        int code, thumb;
        bool ignoreFinal;
        bool result;
        int position; // from 50 in 0..100, line 3, page 20
    } cases[] = {
        {kScrollLineUp, 0, false, true, 47},     {kScrollLineDown, 0, false, true, 53},
        {kScrollPageUp, 0, false, true, 30},     {kScrollPageDown, 0, false, true, 70},
        {kScrollThumbPosition, 80, false, true, 80}, {kScrollThumbPosition, 80, true, false, 50},
        {kScrollThumbTrack, 10, true, true, 10}, {kScrollTop, 0, false, true, 0},
        {kScrollBottom, 0, false, true, 100},    {kScrollEnd, 0, false, false, 50},
        {kScrollEnd, 0, true, false, 50},        {99, 0, false, false, 50},
        {kScrollThumbTrack, 500, false, true, 100},
    };
    for (const auto& c : cases)
    {
        int position = 50;
        EXPECT_EQ(ScrollCodePosition(c.code, c.thumb, 50, 0, 100, 3, 20, c.ignoreFinal, position), c.result)
            << c.code;
        EXPECT_EQ(position, c.position) << c.code;
    }
    int position = 0;
    ASSERT_TRUE(ScrollCodePosition(kScrollPageDown, 0, INT_MAX - 1, 0, INT_MAX, 0, 100, false, position));
    EXPECT_EQ(position, INT_MAX);
}

TEST(WindowHelpers, MenuTexts)
{
    const struct
    {
        const char* item;
        const char* wanted;
        bool match;
    } cases[] = {
        {"&Item", "item", true},     {"It.em...", "item", true}, {"&Window", "WINDOW", true},
        {"&Édition", "édition", true}, {"Items", "item", false}, {"I&tem", "It em", false},
        {"", "", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MenuTextsMatch(c.item, c.wanted), c.match) << c.item << " / " << c.wanted;
}
} // namespace
