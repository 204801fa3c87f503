#include "ColorText.h"
#include "editor/EditLinePainter.h"
#include "editor/KeywordSets.h"
#include "editor/SyntaxColorizer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace
{
using Maps = std::vector<std::string>;

struct ColorCase
{
    const char* name;
    int mode;
    const char* text;
    Maps kinds;
};

Maps Colour(int mode, const std::string& text, int* finalMode = nullptr)
{
    CEditTextBuffer buffer;
    auto owned = std::make_unique<CSyntaxColorizer>(mode);
    CSyntaxColorizer& colorizer = *owned;
    buffer.SetColorizer(std::move(owned));
    buffer.SetText(text);
    colorizer.Colorize(buffer);
    if (finalMode)
        *finalMode = colorizer.GetMode();
    return KindMaps(buffer);
}

// Records what painting hands the painter.
class CRecordingPainter : public CEditLinePainter
{
public:
    struct Cell
    {
        int line;
        int column;
        std::string character;
        int kind;
        bool selected;
        bool operator==(const Cell&) const = default;
    };

    void GetLineSelection(int& start, int& selected, int& after, int line, int width) override
    {
        start = line == m_selectedLine ? m_selectionStart : width;
        selected = line == m_selectedLine ? m_selectionLength : 0;
        after = width - start - selected;
    }
    void BeginLine(int line) override { m_line = line; }
    void AddChar(std::string_view character, int kind, bool selected, int column) override
    {
        m_cells.push_back({m_line, column, std::string(character), kind, selected});
    }
    void AddText(std::string_view, int, int, bool, int) override {}

    int m_selectedLine = -1;
    int m_selectionStart = 0;
    int m_selectionLength = 0;
    int m_line = -1;
    std::vector<Cell> m_cells;
};
}

TEST(SyntaxColorizer, MarkupModesColourTagsAttributesValuesAndBlocks)
{
    const ColorCase cases[] = {
        {"known tag", 1, "<td>x</td>", {"6556.66556"}},
        {"unknown tag", 1, "<tdx>", {"67776"}},
        {"every tag is unknown in XML", 2, "<td>", {"6776"}},
        {"unquoted value; blanks join the next span", 1, "<a href=x>", {"6588888696"}},
        {"quoted values and a bare value", 1, "<img src=\"a b\" alt='c' \"v\">",
         {"655588886699968888669666966"}},
        {"comment", 1, "a<!-- <b> -->b", {".111111111111."}},
        {"script", 1, "<SCRIPT>if(a<b)</script>x", {"111111111111111111111111."}},
        {"entities stay plain text", 1, "a &amp; b", {"........."}},
        {"XML has no blocks", 2, "<!-- c -->", {"6777888886"}},
        {"a tag over lines", 1, "<a\r\n href=\"x\r\ny\">", {"6588", "8888866999", "966"}},
        {"an unterminated tag runs to the end", 1, "<p x", {"6588"}},
    };
    for (const ColorCase& c : cases)
        EXPECT_EQ(Colour(c.mode, c.text), c.kinds) << c.name;
}

TEST(SyntaxColorizer, DetectionFindsMarkupInTheFirstTenLines)
{
    int mode = -2;
    EXPECT_EQ(Colour(-1, "x\r\ny\r\n<HTML><!-- c --><td>", &mode), (Maps{"...", "...", "6555566777888886" "6556"}));
    EXPECT_EQ(mode, 1);
    Colour(-1, "<?XML version=\"1.0\"?>", &mode);
    EXPECT_EQ(mode, 2);
    Colour(-1, "<html>\n<?xml?>", &mode);
    EXPECT_EQ(mode, 2);
    Colour(-1, "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n<html>", &mode);
    EXPECT_EQ(mode, 0);
}

TEST(SyntaxColorizer, SourceModeColoursKeywordsNumbersStringsCommentsAndPreprocessorLines)
{
    const ColorCase cases[] = {
        {"keywords and numbers", 3, "if (x == 0x1F) return 1e-5;", {"55..0....2222..555555.2222."}},
        {"keywords keep case", 3, "Int int", {"000.555"}},
        {"a lone dot is no number", 3, ".5 . x", {"22...0"}},
        {"line comment in an LF file ends at its LF", 3, "a // c\nb", {"0.11111", "0"}},
        {"line comment in a CR LF file", 3, "a // c\r\nb", {"0.111111", "0"}},
        {"block comment over lines", 3, "/* a\r\nb */ c", {"111111", "1111.0"}},
        {"strings with escapes and an open one", 3, "'a\\'b' \"c\r\nd", {"999999.9999", "0"}},
        {"string carried on by a backslash", 3, "\"a\\\r\nb\" c", {"99999", "99.0"}},
        {"preprocessor line carried on", 3, "#define A \\\r\n  B\r\nx", {"3333333333333", "33333", "0"}},
        {"words in other modes may start with #", 1, "#x", {".."}},
    };
    for (const ColorCase& c : cases)
        EXPECT_EQ(Colour(c.mode, c.text), c.kinds) << c.name;
}

TEST(SyntaxColorizer, LogAndHeaderModesColourWholeLines)
{
    const ColorCase cases[] = {
        {"error line with brackets and quotes", 4, "E err [x] \"q\" z\r\n", {"ccccccfffcgggcccc", ""}},
        {"line kinds by first character", 4, "S a\nC b\n\tD\n<x\n>y\nDz",
         {"bbbb", "dddd", "eee", "eee", "eee", "ee"}},
        {"no colour until a choosing character", 4, "pl [n]xDy\r\n", {"0000000eeee", ""}},
        {"a lone CR keeps the line colour", 4, "E a\rb", {"cccc", "c"}},
        {"header name and value", 6, "Content-Type: text/html\r\nX: a:b\r\n",
         {"bbbbbbbbbbbbbeeeeeeeeeeee", "bbeeeeee", ""}},
    };
    for (const ColorCase& c : cases)
        EXPECT_EQ(Colour(c.mode, c.text), c.kinds) << c.name;
}

TEST(SyntaxColorizer, NoneAndOwnerModesLeaveSpansAlone)
{
    for (int mode : {0, 5})
    {
        CEditTextBuffer buffer;
        CSyntaxColorizer colorizer(mode);
        buffer.SetColorizer(&colorizer);
        buffer.SetText("<b>x</b>");
        buffer.GetLine(0)->GetSpans() = {{1, 1, 17}};
        colorizer.Colorize(buffer);
        EXPECT_EQ(KindMap(*buffer.GetLine(0)), ".h......") << mode;

        CRecordingPainter painter;
        colorizer.PaintLines(buffer, painter, 0, 0, 0, 100);
        ASSERT_EQ(painter.m_cells.size(), 8u);
        EXPECT_EQ(painter.m_cells[1].kind, mode == 0 ? 0 : 17) << mode;
        buffer.SetColorizer(nullptr);
    }
}

TEST(SyntaxColorizer, PaintingExpandsTabsLimitsColumnsAndShowsASelectedLineEnd)
{
    CEditTextBuffer buffer;
    buffer.SetColorizer(std::make_unique<CSyntaxColorizer>(3));
    buffer.SetText("a\tif\xFF\r\nx");  // an invalid byte is no letter
    CRecordingPainter painter;
    painter.m_selectedLine = 0;
    painter.m_selectionStart = 6;
    painter.m_selectionLength = 20;
    ASSERT_TRUE(buffer.GetColorizer()->PaintLines(buffer, painter, 0, 1, 1, 7));
    using Cell = CRecordingPainter::Cell;
    const std::vector<Cell> expected = {
        {0, 1, " ", 0, false}, {0, 2, " ", 0, false}, {0, 3, " ", 0, false},
        {0, 4, "i", 5, false}, {0, 5, "f", 5, false}, {0, 6, "\xEF\xBF\xBD", 0, true},
        {0, 7, " ", 0, true},
    };
    EXPECT_EQ(painter.m_cells, expected);
}

TEST(SyntaxColorizer, APassRunsOnlyAfterAChangeOrAnInvalidate)
{
    CEditTextBuffer buffer;
    auto owned = std::make_unique<CSyntaxColorizer>(-1);
    CSyntaxColorizer& colorizer = *owned;
    buffer.SetColorizer(std::move(owned));
    // A buffer that was never edited is not coloured, so detection waits.
    colorizer.Colorize(buffer);
    EXPECT_EQ(colorizer.GetMode(), -1);
    buffer.SetText("<HTML>\r\n<b>x</b>");
    colorizer.Colorize(buffer);
    EXPECT_EQ(colorizer.GetMode(), 1);
    EXPECT_EQ(colorizer.GetLastStamp(), buffer.GetChangeStamp());
    // Without a change the next pass does nothing.
    buffer.GetLine(1)->GetSpans() = {{3, 1, 17}};
    colorizer.Colorize(buffer);
    EXPECT_EQ(KindMap(*buffer.GetLine(1)), "...h....");
    colorizer.Invalidate();
    colorizer.Colorize(buffer);
    EXPECT_EQ(KindMap(*buffer.GetLine(1)), "656.6656");
}

TEST(SyntaxColorizer, AddRunSplitsARunOverLines)
{
    CEditTextBuffer buffer;
    buffer.SetText("ab\r\ncd\r\nef");
    CSyntaxColorizer colorizer(5);
    colorizer.AddRun(buffer, 9, 0, 1, 2, 1);
    EXPECT_EQ(buffer.GetLine(0)->GetSpans(), (std::vector<CEditColorSpan>{{1, 3, 9}}));
    EXPECT_EQ(buffer.GetLine(1)->GetSpans(), (std::vector<CEditColorSpan>{{0, 4, 9}}));
    EXPECT_EQ(buffer.GetLine(2)->GetSpans(), (std::vector<CEditColorSpan>{{0, 1, 9}}));
}

TEST(SyntaxColorizer, SignificantCharactersDependOnTheMode)
{
    struct Case
    {
        int mode;
        const char* significant;
        const char* plain;
    };
    for (const Case c : {Case{1, "\r\n<>-!'\"", "/*\\a"}, Case{2, "<>", "/"}, Case{3, "\r\n/*'\"\\", "<>-!a"},
                         Case{-1, "", "<>/\""}, Case{4, "", "<\""}})
    {
        CSyntaxColorizer colorizer(c.mode);
        for (const char* p = c.significant; *p; ++p)
            EXPECT_TRUE(colorizer.IsDelimiterChar(*p)) << c.mode << " " << *p;
        for (const char* p = c.plain; *p; ++p)
            EXPECT_FALSE(colorizer.IsDelimiterChar(*p)) << c.mode << " " << *p;
    }
}

TEST(SyntaxColorizer, EditsNextToSignificantCharactersAskForAFullRepaint)
{
    struct Case
    {
        const char* name;
        bool insert;
        int at;
        int to;
        const char* text;
        int hint;
    };
    // Over "ab<cd" in HTML mode, where '<' is significant.
    const Case cases[] = {
        {"insert just after the '<'", true, 3, 0, "x", -1},
        {"insert where '<' is two places after", true, 1, 0, "x", -1},
        {"insert where '<' is right after", true, 2, 0, "x", 0},
        {"insert far from it", true, 0, 0, "x", 0},
        {"insert a '<'", true, 0, 0, "<", -1},
        {"delete before it", false, 0, 1, "", 0},
        {"delete with the '<' right after", false, 1, 2, "", -1},
        {"delete the '<'", false, 2, 3, "", -1},
        {"delete after it", false, 4, 5, "", 0},
    };
    for (const Case& c : cases)
    {
        CEditTextBuffer buffer;
        buffer.SetColorizer(std::make_unique<CSyntaxColorizer>(1));
        buffer.SetText("ab<cd");
        int line = 0;
        int index = c.at;
        const int hint = c.insert ? buffer.InsertText(line, index, c.text, false)
                                  : buffer.DeleteRange(0, c.at, 0, c.to, false);
        EXPECT_EQ(hint, c.hint) << c.name;
    }
}

TEST(KeywordSets, LookupsKeepCaseForKeywordsAndFoldTagNames)
{
    InitKeywordSets(false);
    EXPECT_TRUE(IsKeyword("__virtual_inheritance", 3));
    EXPECT_FALSE(IsKeyword("Int", 3));
    EXPECT_TRUE(IsKeyword("TD", 1));
    EXPECT_FALSE(IsKeyword("td", 1));
    EXPECT_FALSE(IsKeyword("int", 2));
    EXPECT_FALSE(IsKeyword("", 3));
    EXPECT_TRUE(IsHtmlTagName("blockquote"));
    EXPECT_FALSE(IsHtmlTagName("section"));
    EXPECT_FALSE(IsHtmlTagName(""));
    InitKeywordSets(true);
    InitKeywordSets(true);
    EXPECT_TRUE(IsKeyword("wmain", 3));
}

// Colouring resumes at the first changed line and stops where the old
// colours hold again: after any edits, the lines it paints and, once caught
// up, every line must be coloured exactly as a fresh pass colours the text.
TEST(SyntaxColorizer, LazyColouringAfterEditsMatchesAFreshPass)
{
    const char* pieces[] = {"<a href=\"", "\"", ">", "<", "</td>", "<!--", "-->", "/*", "*/", "//", "\r\n", "\n",
                            "'", "x", " ", "#if", "\\", "int ", "0x1F", "<script>", "</script>", "=", "E", "["};
    for (int mode : {1, 2, 3, 4, 6})
    {
        std::mt19937 random(7 + static_cast<unsigned>(mode));
        const auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
        CEditTextBuffer buffer;
        auto owned = std::make_unique<CSyntaxColorizer>(mode);
        CSyntaxColorizer& colorizer = *owned;
        buffer.SetColorizer(std::move(owned));
        std::string text;
        for (int i = 0; i < 300; ++i)
            text += pieces[pick(std::size(pieces))];
        buffer.SetText(text);
        buffer.EnableUndo(true);
        for (int step = 0; step < 200; ++step)
        {
            const int line = static_cast<int>(pick(static_cast<size_t>(buffer.GetLineCount())));
            int index = static_cast<int>(pick(static_cast<size_t>(buffer.GetLine(line)->GetLength() + 1)));
            int endLine = line;
            int endIndex = index;
            if (step % 3 == 0)
                endLine = std::min(buffer.GetLineCount() - 1, line + static_cast<int>(pick(3)));
            CEditSelection caret;
            if (step % 7 == 6)
                buffer.Undo(caret);
            else
                buffer.Replace(line, index, endLine, endIndex, step % 4 == 0 ? "" : pieces[pick(std::size(pieces))]);
            const int first = static_cast<int>(pick(static_cast<size_t>(buffer.GetLineCount())));
            const int last = std::min(buffer.GetLineCount() - 1, first + 5);
            CRecordingPainter painter;
            colorizer.PaintLines(buffer, painter, first, last, 0, 1000);

            CEditTextBuffer reread;
            reread.SetText(WholeText(buffer));
            ASSERT_EQ(LineTexts(reread), LineTexts(buffer)) << "step " << step;
            const Maps fresh = Colour(mode, WholeText(buffer));
            const Maps lazy = KindMaps(buffer);
            for (int i = first; i <= last; ++i)
                ASSERT_EQ(lazy[static_cast<size_t>(i)], fresh[static_cast<size_t>(i)])
                    << "mode " << mode << " step " << step << " line " << i;
        }
        colorizer.Colorize(buffer);
        EXPECT_EQ(KindMaps(buffer), Colour(mode, WholeText(buffer))) << mode;
    }
}
