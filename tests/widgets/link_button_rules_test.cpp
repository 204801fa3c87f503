// The rules of the hyperlink button, the chevron menu and the icon menu.

#include "widgets/ChevronReBar.h"
#include "widgets/IconMenu.h"
#include "widgets/LinkButton.h"

#include <gtest/gtest.h>

namespace
{
TEST(LinkButtonRules, PressedLookAndColours)
{
    const struct
    {
        bool lit, selected, focused, checkMode, checked, menuShown;
        bool pressed;
        int back, text;
    } cases[] = {
        {false, false, false, false, false, false, false, kLinkBackOut, kLinkTextOut},
        {true, false, false, false, false, false, false, kLinkBackIn, kLinkTextIn},
        {false, true, false, false, false, false, true, kLinkBackIn, kLinkTextIn},
        {false, false, true, false, false, false, false, kLinkBackFocus, kLinkTextOut},
        {true, false, true, false, false, false, false, kLinkBackIn, kLinkTextIn},
        {false, false, false, true, true, false, true, kLinkBackIn, kLinkTextIn},   // ticked check button
        {false, false, true, true, false, false, false, kLinkBackFocus, kLinkTextOut},
        {false, false, false, false, true, false, false, kLinkBackOut, kLinkTextOut}, // a tick outside check mode
        {false, false, false, false, false, true, true, kLinkBackIn, kLinkTextIn},   // menu shown
    };
    for (const auto& c : cases)
    {
        const CLinkButtonState state{c.lit, c.selected, c.focused, c.checkMode, c.checked, c.menuShown};
        const int row = int(&c - cases);
        EXPECT_EQ(IsLinkButtonPressed(state), c.pressed) << "row " << row;
        EXPECT_EQ(LinkButtonBackground(state), c.back) << "row " << row;
        EXPECT_EQ(LinkButtonText(state), c.text) << "row " << row;
    }
}

TEST(LinkButtonRules, InOrOutImage)
{
    const struct
    {
        bool lit, checkMode, checked, hasOut, in;
    } cases[] = {
        {false, false, false, true, false}, {true, false, false, true, true},
        {false, false, false, false, true}, // the in image stands in for a missing out image
        {true, true, false, true, false},   // check mode: lit is not enough
        {false, true, true, true, true},
    };
    for (const auto& c : cases)
    {
        CLinkButtonState state;
        state.m_lit = c.lit;
        state.m_checkMode = c.checkMode;
        state.m_checked = c.checked;
        EXPECT_EQ(LinkButtonShowsInImage(state, c.hasOut), c.in) << int(&c - cases);
    }
}

TEST(LinkButtonRules, LightingOnMouseMove)
{
    const struct
    {
        bool flat, lit, leftDown, under, active, trackInactive, lights;
    } cases[] = {
        {true, false, false, true, true, false, true},
        {true, false, false, true, false, false, false}, // application not active
        {true, false, false, true, false, true, true},   // unless tracking when inactive
        {true, false, true, true, true, false, false},   // pressed elsewhere, moved over it
        {true, false, false, false, true, false, false},
        {false, false, false, true, true, false, false}, // raised buttons do not light
        {true, true, false, true, true, false, false},   // already lit
    };
    for (const auto& c : cases)
        EXPECT_EQ(LinkButtonLightsOnMove(c.flat, c.lit, c.leftDown, c.under, c.active, c.trackInactive), c.lights)
            << int(&c - cases);
}

TEST(LinkButtonRules, ImageAndCaptionPlaces)
{
    const QRect content(0, 0, 100, 40);
    const struct
    {
        QSize image;
        bool caption;
        int alignment;
        QRect imageRect, captionRect;
    } cases[] = {
        {{16, 16}, true, 0, {3, 12, 16, 16}, {19, 0, 81, 40}},
        {{16, 16}, true, 1, {42, 3, 16, 16}, {0, 19, 100, 21}},
        {{16, 16}, true, 2, {81, 12, 16, 16}, {0, 0, 81, 40}},
        {{16, 16}, false, 0, {42, 12, 16, 16}, {0, 0, 100, 40}},
        {{16, 16}, false, 2, {42, 12, 16, 16}, {0, 0, 100, 40}},
        {{0, 0}, true, 0, {}, {0, 0, 100, 40}},
    };
    for (const auto& c : cases)
    {
        const CLinkButtonLayout layout = ComputeLinkButtonLayout(content, c.image, c.caption, c.alignment);
        EXPECT_EQ(layout.m_image, c.imageRect) << int(&c - cases);
        EXPECT_EQ(layout.m_caption, c.captionRect) << int(&c - cases);
    }
}

TEST(ChevronRules, HiddenButtonsAndSeparators)
{
    auto button = [](int left, int right) { return CChevronButton{false, {left, 2, right, 24}}; };
    auto separator = [](int left) { return CChevronButton{true, {left, 2, left + 6, 24}}; };
    const CRect visible{0, 0, 100, 26};
    const struct
    {
        std::vector<CChevronButton> buttons;
        std::vector<int> entries;
    } cases[] = {
        // Three buttons and a separator before them hidden: the three, no separator.
        {{button(0, 23), button(23, 46), button(46, 69), separator(69), button(75, 98), button(98, 121),
          button(121, 144), button(144, 167)},
         {5, 6, 7}},
        // A separator between hidden buttons stays; the one before the first item does not.
        {{button(0, 23), separator(23), button(90, 113), separator(113), button(119, 142)}, {2, -1, 4}},
        // A button cut by the edge counts as hidden.
        {{button(0, 23), button(80, 103)}, {1}},
        {{button(0, 23), button(23, 46)}, {}},
        {{separator(0), separator(6)}, {}},
        {{}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseChevronItems(c.buttons, visible), c.entries) << int(&c - cases);
}

TEST(IconMenuRules, MeasuresAndTooltipTexts)
{
    EXPECT_EQ(CIconMenu::MeasureItem(QSize(16, 16)), QSize(134, 20));
    EXPECT_EQ(CIconMenu::MeasureItem(QSize(24, 22)), QSize(142, 26));
    const struct
    {
        const char* text;
        const char* tooltip;
    } cases[] = {
        {"Open a task\nOpen", "Open"},
        {"No tooltip here", ""},
        {"\nOnly tip", "Only tip"},
        {"a\nb\nc", "b\nc"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TooltipFromCommandString(c.text), c.tooltip) << c.text;
}
} // namespace
