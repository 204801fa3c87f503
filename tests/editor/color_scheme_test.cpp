#include "editor/EditColorScheme.h"
#include "editor/EditDisplayList.h"
#include "editor/EditTextBuffer.h"
#include "editor/SyntaxColorizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
constexpr int kWidth = 8;
constexpr int kHeight = 16;

class CFixedMeasurer : public CEditFontMeasurer
{
public:
    bool Measure(const CEditFont& font, int& height, int& width) const override
    {
        if (font.m_family != "Monospace")
            return false;
        height = kHeight * font.m_pointTenths / 100;
        width = kWidth * font.m_pointTenths / 100;
        return true;
    }
};

class CDesktopColors : public CEditSystemColors
{
public:
    COLORREF GetSysColor(int index) const override
    {
        switch (index)
        {
        case COLOR_WINDOW:
            return m_window;
        case COLOR_HIGHLIGHT:
            return EditRgb(1, 2, 3);
        case COLOR_HIGHLIGHTTEXT:
            return EditRgb(4, 5, 6);
        case COLOR_BTNFACE:
            return EditRgb(7, 8, 9);
        default:
            return EditRgb(10, 11, 12);
        }
    }
    COLORREF m_window = EditRgb(200, 100, 50);
};

const CFixedMeasurer kMeasurer;

void Explicit(CEditColorScheme& scheme)
{
    scheme.m_systemColorMode = false;
    scheme.ResetDefaultColors();
}

// A scheme showing rows of a buffer with the test font, 40 columns wide.
void ShowRows(CEditColorScheme& scheme, int top, int rows, int gutter)
{
    scheme.m_topLine = top;
    scheme.m_visibleRows = rows;
    scheme.m_visibleColumns = 40;
    scheme.m_gutterWidth = gutter;
    scheme.m_paintRect = {0, 0, 60 * kWidth, rows * kHeight};
}

std::vector<CEditDisplayItem> TextItems(const CEditDisplayList& list)
{
    std::vector<CEditDisplayItem> texts;
    for (const CEditDisplayItem& item : list.GetItems())
        if (item.m_kind == CEditDisplayItem::kText)
            texts.push_back(item);
    return texts;
}

const CEditDisplayItem* FindText(const CEditDisplayList& list, const std::string& text)
{
    for (const CEditDisplayItem& item : list.GetItems())
        if (item.m_kind == CEditDisplayItem::kText && item.m_text == text)
            return &item;
    return nullptr;
}
}

TEST(ColorScheme, GetColorByKindSelectionFocusAndFlags)
{
    struct Case
    {
        const char* name;
        int kind;
        bool selected;
        bool focused;
        bool background;
        int flags;
        COLORREF color;
    };
    const Case cases[] = {
        {"keyword text", 5, false, true, false, 0, 0xFF6400},
        {"selected keyword text is inverted", 5, true, true, false, 0, 0x9BFF},
        {"selected background with focus", 5, true, true, true, 0, 0x646464},
        {"selected background without focus", 5, true, false, true, 0, 0xB4B4B4},
        {"plain background", 0, false, true, true, 8, 0xE6E6E6},
        {"flags are ignored outside the gutter", 3, false, false, false, 15, 0xC864},
        {"kinds beyond the table paint as plain text", 99, false, false, false, 0, 0x323C00},
        {"gutter text", 10, false, true, false, 0, 0xC8C8C8},
        {"selected gutter text with focus", 10, true, true, false, 0, 0x9BFFFF},
        {"selected gutter text without focus", 10, true, false, false, 0, 0xC8C8C8},
        {"gutter background", 10, false, false, true, 0, 0xE6E6E6},
        {"flag 1 wins over flag 2", 10, false, false, true, 3, EditRgb(207, 232, 207)},
        {"flag 2", 10, true, false, true, 2, EditRgb(232, 207, 207)},
        {"flag 4", 10, false, true, true, 12, EditRgb(207, 207, 232)},
        {"flag 8", 10, false, true, true, 8, EditRgb(207, 232, 232)},
        {"selection with focus hides flags", 10, true, true, true, 1, 0x646464},
    };
    CEditColorScheme scheme;
    Explicit(scheme);
    for (const Case& c : cases)
    {
        scheme.m_focused = c.focused;
        EXPECT_EQ(scheme.GetColor(c.kind, c.selected, c.background, c.flags), c.color) << c.name;
    }
}

TEST(ColorScheme, SystemModeFollowsTheDesktopAndBlendsFlagBackgrounds)
{
    CDesktopColors desktop;
    CEditColorScheme scheme(&desktop);
    scheme.m_focused = true;
    EXPECT_EQ(scheme.GetColor(0, false, true, 0), EditRgb(200, 100, 50));
    EXPECT_EQ(scheme.GetColor(0, false, false, 0), EditRgb(10, 11, 12));
    EXPECT_EQ(scheme.GetColor(0, true, true, 0), EditRgb(1, 2, 3));
    EXPECT_EQ(scheme.GetColor(10, true, false, 0), EditRgb(4, 5, 6));
    // 0.9 of (200, 100, 50) plus 0.1 of the tint, cut to whole numbers.
    EXPECT_EQ(scheme.GetColor(10, false, true, 1), EditRgb(180, 115, 45));
    EXPECT_EQ(scheme.GetColor(10, false, true, 2), EditRgb(205, 90, 45));
    EXPECT_EQ(scheme.GetColor(10, false, true, 4), EditRgb(180, 90, 70));
    EXPECT_EQ(scheme.GetColor(10, false, true, 8), EditRgb(180, 115, 70));

    desktop.m_window = EditRgb(0, 0, 0);
    EXPECT_EQ(scheme.GetColor(10, false, true, 1), EditRgb(180, 115, 45));
    scheme.UpdateDerivedColors();
    EXPECT_EQ(scheme.GetColor(10, false, true, 1), EditRgb(0, 25, 0));

    CEditColorScheme fixed(&desktop);
    Explicit(fixed);
    desktop.m_window = EditRgb(255, 255, 255);
    fixed.UpdateDerivedColors();
    EXPECT_EQ(fixed.GetColor(10, false, true, 1), EditRgb(207, 232, 207));
}

TEST(FontMetrics, TheFirstMeasurableFamilyIsKept)
{
    CEditFontMetrics metrics(&kMeasurer);
    EXPECT_EQ(metrics.m_font.m_family, "Monospace");
    EXPECT_EQ(metrics.m_paintLineHeight, kHeight);
    EXPECT_EQ(metrics.m_paintCharWidth, kWidth);
    EXPECT_EQ(metrics.m_step, 1);
    ASSERT_TRUE(metrics.Create(200));
    EXPECT_EQ(metrics.m_charWidth, 16);
    EXPECT_EQ(metrics.m_step, 2);
    CEditFontMetrics unmeasured;
    EXPECT_EQ(unmeasured.m_lineHeight, 0);
    EXPECT_EQ(unmeasured.m_paintCharWidth, 0);
}

TEST(LinePainting, GutterNumbersStartWhereTheyFit)
{
    CEditTextBuffer buffer;
    std::string text;
    for (int i = 0; i < 1000; ++i)
        text += "x\r\n";
    buffer.SetText(text);
    struct Case
    {
        int gutter;
        int line;
        const char* number;
        int x0;
        bool gutterFill;
    };
    for (const Case c : {Case{6, 99, "100", 2 * kWidth, true}, Case{5, 999, "1000", 0, false}})
    {
        CEditColorScheme scheme(nullptr, &kMeasurer);
        Explicit(scheme);
        ShowRows(scheme, c.line, 1, c.gutter);
        buffer.GetLine(c.line)->SetFlags(2);
        CEditDisplayList list;
        buffer.Colorize(list, scheme, c.line, c.line, true);
        const CEditDisplayItem* number = FindText(list, c.number);
        ASSERT_NE(number, nullptr) << c.number;
        EXPECT_EQ(number->m_rect.m_left, c.x0) << c.number;
        const CEditDisplayItem& first = list.GetItems().front();
        if (c.gutterFill)
        {
            EXPECT_EQ(first.m_kind, CEditDisplayItem::kFill);
            EXPECT_EQ(first.m_rect, (CEditRect{0, 0, c.x0, kHeight}));
            EXPECT_EQ(list.GetItems()[1].m_rect, (CEditRect{1, 4, kWidth - 3, kHeight - 4}));
            EXPECT_EQ(list.GetItems()[1].m_background, EditRgb(255, 0, 0));
        }
        else
        {
            EXPECT_EQ(&first, number) << "nothing is drawn left of a number that fills the gutter";
        }
    }
}

TEST(LinePainting, FlagsChooseTheNumberBackgroundAndTheMarker)
{
    struct Case
    {
        int flags;
        COLORREF background;
        bool marker;
        COLORREF markerColor;
    };
    const Case cases[] = {
        {3, EditRgb(207, 232, 207), true, EditRgb(255, 0, 0)},
        {1, EditRgb(207, 232, 207), false, 0},
        {12, EditRgb(207, 207, 232), true, EditRgb(0, 255, 0)},
        {8, EditRgb(207, 232, 232), true, EditRgb(0, 0, 255)},
    };
    for (const Case& c : cases)
    {
        CEditTextBuffer buffer;
        buffer.SetText("a\r\nb");
        buffer.GetLine(0)->SetFlags(c.flags);
        CEditColorScheme scheme(nullptr, &kMeasurer);
        Explicit(scheme);
        ShowRows(scheme, 0, 1, 4);
        CEditDisplayList list;
        buffer.Colorize(list, scheme, 0, 0, true);
        EXPECT_EQ(FindText(list, "1")->m_background, c.background) << c.flags;
        const std::vector<CEditDisplayItem>& items = list.GetItems();
        const bool marker = items[1].m_rect == CEditRect{1, 4, kWidth - 3, kHeight - 4};
        EXPECT_EQ(marker, c.marker) << c.flags;
        if (marker)
        {
            EXPECT_EQ(items[1].m_background, c.markerColor) << c.flags;
        }
    }
}

TEST(LinePainting, SelectionMarksNumbersOfTheLinesItEntersAndTheSelectedLineEnd)
{
    CEditTextBuffer buffer;
    buffer.SetText("l0\r\nl1\r\nl2\r\nline three\r\nl4\r\nl5\r\nl6");
    CEditColorScheme scheme(nullptr, &kMeasurer);
    Explicit(scheme);
    scheme.m_focused = true;
    ShowRows(scheme, 0, 7, 3);
    scheme.m_selection = {5, 3, 0, 5};
    CEditDisplayList list;
    buffer.Colorize(list, scheme, 0, 6, true);
    for (int line = 0; line < 7; ++line)
    {
        const bool selected = line == 3 || line == 4;
        EXPECT_EQ(FindText(list, std::to_string(line + 1))->m_background, selected ? 0x646464u : 0xE6E6E6u) << line;
    }
    // Line 3 is selected from column 5 through its line end; line 4 whole.
    const CEditDisplayItem* head = FindText(list, "line ");
    const CEditDisplayItem* tail = FindText(list, "three ");
    ASSERT_NE(head, nullptr);
    ASSERT_NE(tail, nullptr);
    EXPECT_EQ(head->m_background, 0xE6E6E6u);
    EXPECT_EQ(tail->m_background, 0x646464u);
    EXPECT_EQ(tail->m_rect.m_left, 3 * kWidth + 5 * kWidth);
    ASSERT_NE(FindText(list, "l4 "), nullptr);
    EXPECT_EQ(FindText(list, "l4 ")->m_background, 0x646464u);
    ASSERT_NE(FindText(list, "l5 "), nullptr);
    EXPECT_EQ(FindText(list, "l5 ")->m_background, 0xE6E6E6u);
}

TEST(LinePainting, RunsJoinEqualColoursAndTheRowIsFilledToTheRight)
{
    CEditTextBuffer buffer;
    buffer.SetColorizer(std::make_unique<CSyntaxColorizer>(3));
    buffer.SetText("int x, y;");
    CEditColorScheme scheme(nullptr, &kMeasurer);
    Explicit(scheme);
    ShowRows(scheme, 0, 3, 0);
    CEditDisplayList list;
    buffer.Colorize(list, scheme, 0, 0, true);
    const std::vector<CEditDisplayItem> texts = TextItems(list);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].m_text, "int");
    EXPECT_EQ(texts[0].m_textColor, 0xFF6400u);
    EXPECT_EQ(texts[1].m_text, " x, y;");
    EXPECT_EQ(texts[1].m_rect, (CEditRect{3 * kWidth, 0, 9 * kWidth, kHeight}));
    // Right of the text, then below the last line.
    const std::vector<CEditDisplayItem>& items = list.GetItems();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[2].m_rect, (CEditRect{9 * kWidth, 0, 60 * kWidth, kHeight}));
    EXPECT_EQ(items[3].m_rect, (CEditRect{0, kHeight, 60 * kWidth, 3 * kHeight}));
    EXPECT_EQ(items[3].m_background, 0xE6E6E6u);
}

TEST(LinePainting, HorizontalScrollPaintsFromTheFirstVisibleColumn)
{
    CEditTextBuffer buffer;
    buffer.SetText("abcdefgh\xC3\xA4ij");
    CEditColorScheme scheme(nullptr, &kMeasurer);
    Explicit(scheme);
    ShowRows(scheme, 0, 1, 0);
    scheme.m_firstColumn = 6;
    CEditDisplayList list;
    buffer.Colorize(list, scheme, 0, 0, false);
    const std::vector<CEditDisplayItem> texts = TextItems(list);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].m_text, "gh\xC3\xA4ij");
}
