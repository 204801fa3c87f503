#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"
#include "editor/EditDisplayList.h"
#include "editor/EditTextBuffer.h"
#include "editor/ui/HTMLColorScheme.h"
#include "editor/ui/LinkColorizer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace
{
// The kind of the span covering the first character of `needle` on a line.
int KindAt(const CEditTextBuffer& buffer, int line, const std::string& needle)
{
    const CEditLine& edit = *buffer.GetLine(line);
    const size_t at = std::string(edit.GetText()).find(needle);
    EXPECT_NE(at, std::string::npos) << needle;
    for (const CEditColorSpan& span : edit.GetSpans())
        if (static_cast<int>(at) >= span.m_start && static_cast<int>(at) < span.m_start + span.m_length)
            return span.m_color;
    return -1;
}

struct CColoredPage
{
    CEditTextBuffer m_buffer;
    CLinkColorizer* m_colorizer = nullptr;

    CColoredPage(const std::string& basePath, const std::string& text, bool autoHighlight = true)
    {
        auto owned = std::make_unique<CLinkColorizer>(basePath, nullptr, 0);
        m_colorizer = owned.get();
        m_colorizer->SetAutoHighlight(autoHighlight);
        m_buffer.SetColorizer(std::move(owned));
        m_buffer.SetText(text);
        m_colorizer->Colorize(m_buffer);
    }
    int Flags(int line) const { return m_buffer.GetLine(line)->GetFlags(); }
};
}

TEST(LinkColorizer, StatesMapToTheirKinds)
{
    const struct
    {
        int state;
        int kind;
    } cases[] = {{0, 19}, {1, 20}, {2, 20}, {3, 17}, {4, 17}, {5, 18}, {6, 17}, {7, 17},
                 {8, 17}, {9, 20}, {10, 18}, {11, 19}, {12, 20}, {13, 20}, {40, 20}};
    for (const auto& c : cases)
        EXPECT_EQ(CLinkColorizer::KindOfState(c.state), c.kind) << "state " << c.state;
}

TEST(LinkColorizer, LinksBesideAPageAreColouredByWhatTheyReach)
{
    CTempFolder folder;
    WriteWhole(folder / "there.html", "x");
    WriteWhole(folder / "Upper.html", "x");
    const struct
    {
        const char* link;
        int kind;
        int flag;
    } cases[] = {
        {"there.html", 17, 1},
        {"missing.html", 18, 2},
        {"upper.html", 18, 2},  // paths compare exactly: only "Upper.html" exists
        {"Upper.html", 17, 1},
        {"there%2Ehtml", 17, 1}, // decoded before the test
        {"http://example.com/", 19, 4},
        {"ftp://example.com/a", 19, 4},
        {"mailto:a@example.com", 17, 1},
    };
    for (const auto& c : cases)
    {
        CColoredPage page(folder / "page.html", std::string("<a href=\"") + c.link + "\">x</a>");
        EXPECT_EQ(KindAt(page.m_buffer, 0, c.link), c.kind) << c.link;
        EXPECT_EQ(page.Flags(0), c.flag) << c.link;
    }
}

TEST(LinkColorizer, OnlyLinkAttributesAreHighlighted)
{
    CTempFolder folder;
    CColoredPage page(folder / "page.html",
                      "<img SRC=\"gone.png\" alt=\"gone.png\">\n<body background=\"b.png\">\n<a href=\"\">\n");
    EXPECT_EQ(KindAt(page.m_buffer, 0, "gone.png\" alt"), 18);
    EXPECT_EQ(KindAt(page.m_buffer, 0, "gone.png\">"), 9);
    EXPECT_EQ(KindAt(page.m_buffer, 1, "b.png"), 18);
    EXPECT_EQ(page.Flags(2), 0);
}

TEST(LinkColorizer, AutoHighlightOffGivesPlainValuesAndNoMarkers)
{
    CTempFolder folder;
    CColoredPage page(folder / "page.html", "<a href=\"missing.html\">x</a>", false);
    EXPECT_EQ(KindAt(page.m_buffer, 0, "missing.html"), 9);
    EXPECT_EQ(page.Flags(0), 0);
}

TEST(LinkColorizer, WithoutEngineOrBasePathLinksAreUndetermined)
{
    CColoredPage page("", "<a href=\"missing.html\">x</a>");
    EXPECT_EQ(KindAt(page.m_buffer, 0, "missing.html"), 19);
    EXPECT_EQ(page.Flags(0), 4);
}

TEST(HTMLColorScheme, BrokenLinkImageWinsOnALine)
{
    CTempFolder folder;
    WriteWhole(folder / "ok.html", "x");
    CColoredPage page(folder / "page.html", "<a href=\"ok.html\">a</a> <a href=\"bad.html\">b</a>");
    EXPECT_EQ(page.Flags(0), 1 | 2);
    const struct
    {
        int flags;
        int resource;
    } cases[] = {{1, 184}, {2, 239}, {4, 174}, {8, 185}, {1 | 2, 239}, {1 | 4, 174}, {8 | 1, 185}, {15, 239}};
    for (const auto& c : cases)
    {
        ASSERT_NE(CHTMLColorScheme::MarkerFor(c.flags), nullptr);
        EXPECT_EQ(CHTMLColorScheme::MarkerFor(c.flags)->m_resourceId, c.resource) << c.flags;
    }
    EXPECT_EQ(CHTMLColorScheme::MarkerFor(0), nullptr);
    CHTMLColorScheme scheme;
    CEditDisplayList list;
    scheme.DrawMarker(list, 0, 0, 14, 14, 0);
    EXPECT_TRUE(list.GetItems().empty());
    scheme.DrawMarker(list, 0, 0, 14, 14, 2);
    bool drewImageColour = false;
    for (const CEditDisplayItem& item : list.GetItems())
        drewImageColour |= item.m_background == CHTMLColorScheme::MarkerFor(2)->m_color;
    EXPECT_TRUE(drewImageColour);
}

TEST(HTMLColorScheme, LinkKindsAreDrawnOnTintsThatStayTheSame)
{
    CHTMLColorScheme scheme;
    scheme.m_systemColorMode = false;
    scheme.ResetDefaultColors();
    scheme.UpdateDerivedColors();
    const COLORREF text = scheme.GetBaseColor(kSlotText);
    for (int kind = 17; kind <= 20; ++kind)
    {
        const COLORREF own = CHTMLColorScheme::GetLinkDefault(kind);
        const COLORREF expected = EditRgb(int(0.8 * RedOf(text) + 0.2 * RedOf(own)),
                                          int(0.8 * GreenOf(text) + 0.2 * GreenOf(own)),
                                          int(0.8 * BlueOf(text) + 0.2 * BlueOf(own)));
        EXPECT_EQ(scheme.GetColor(kind, false, true, 0), expected) << kind;
        // Selected runs use the selection colours of every kind.
        EXPECT_EQ(scheme.GetColor(kind, true, true, 0), scheme.GetColor(0, true, true, 0));
    }
    const COLORREF before = scheme.GetColor(18, false, true, 0);
    for (int i = 0; i < 5; ++i)
        scheme.UpdateDerivedColors();
    EXPECT_EQ(scheme.GetColor(18, false, true, 0), before);
    EXPECT_EQ(scheme.GetColor(9, false, true, 0), text);
}

TEST(HTMLColorScheme, OkAndBrokenLinksHaveTheirOwnTextColours)
{
    CHTMLColorScheme scheme;
    EXPECT_EQ(scheme.GetColor(17, false, false, 0), 0xFF0000u);
    EXPECT_EQ(scheme.GetColor(18, false, false, 0), 0x0000FFu);
}
