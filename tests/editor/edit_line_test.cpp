#include "editor/EditLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
using Spans = std::vector<CEditColorSpan>;
}

TEST(EditLine, TabsAndColumnsConvertBothWays)
{
    // A letter, a tab and a letter with tab size 4: the tab covers columns 1 to 3.
    const CEditLine line("a\tb", 4, -1);
    EXPECT_EQ(line.GetWidth(), 5);
    EXPECT_EQ(line.GetTabCount(), 1);
    struct Case
    {
        int index;
        int column;
    };
    for (const Case c : {Case{-1, 0}, Case{0, 0}, Case{1, 1}, Case{2, 4}, Case{3, 5}, Case{9, 5}})
        EXPECT_EQ(line.IndexToColumn(4, c.index), c.column) << c.index;
    for (const Case c : {Case{0, -3}, Case{1, 1}, Case{2, 2}, Case{2, 3}, Case{2, 4}, Case{3, 5}, Case{3, 50}})
        EXPECT_EQ(line.ColumnToIndex(4, c.column), c.index) << c.column;

    struct Clamp
    {
        int column;
        int clamped;
        bool changed;
    };
    for (const Clamp c : {Clamp{2, 1, true}, Clamp{3, 1, true}, Clamp{4, 4, false}, Clamp{1, 1, false},
                          Clamp{-2, 0, true}, Clamp{9, 5, true}})
    {
        int column = c.column;
        EXPECT_EQ(line.ClampColumn(4, column), c.changed) << c.column;
        EXPECT_EQ(column, c.clamped) << c.column;
    }
    std::string expanded;
    line.GetExpandedText(expanded, 4);
    EXPECT_EQ(expanded, "a   b");
}

TEST(EditLine, MultiByteCharactersTakeOneColumnAndAnInvalidByteIsOneOfItsOwn)
{
    // "gr", "ö" (2 bytes), "\xFF" (not UTF-8), "ж" (2 bytes), tab, "e".
    const CEditLine line("gr\xC3\xB6\xFF\xD0\xB6\te\r\n", 4, -1);
    EXPECT_EQ(line.GetTextEnd(), 9);
    EXPECT_EQ(line.GetWidth(), 9);  // g r ö \xFF ж = 5 columns, tab to 8, e
    EXPECT_EQ(line.IndexToColumn(4, 4), 3);
    EXPECT_EQ(line.IndexToColumn(4, 5), 4);
    EXPECT_EQ(line.IndexToColumn(4, 7), 5);
    EXPECT_EQ(line.ColumnToIndex(4, 3), 4);
    EXPECT_EQ(line.ColumnToIndex(4, 4), 5);
    EXPECT_EQ(line.ColumnToIndex(4, 8), 8);
    EXPECT_EQ(line.CharStart(3), 2);
    EXPECT_EQ(line.CharStart(6), 5);
    int start = 0, end = 0;
    std::string word;
    ASSERT_TRUE(line.GetWordAt(3, start, end, &word));
    EXPECT_EQ(word, "gr\xC3\xB6");
}

TEST(EditLine, LineEndsAreReplacedOnlyWhenPresent)
{
    CEditLine ended("ab\n", 4, kLineEndCrLf);
    EXPECT_EQ(ended.GetText(), "ab\r\n");
    EXPECT_EQ(ended.GetLineEndKind(), kLineEndCrLf);
    ended.SetEndOfLine(kLineEndCr);
    EXPECT_EQ(ended.GetText(), "ab\r");
    CEditLine open("ab", 4, kLineEndLf);
    EXPECT_EQ(open.GetText(), "ab");
    EXPECT_EQ(open.GetLineEndKind(), 0);
}

TEST(EditLine, SpansFollowInsertionsAndDeletions)
{
    struct Case
    {
        const char* name;
        bool insert;
        int at;
        int to;  // end of a deletion
        Spans after;
    };
    // Spans over "abcdefghij": [2,5) kind 1 and [6,8) kind 2.
    const Case cases[] = {
        {"insert inside the first span grows it", true, 3, 0, {{2, 5, 1}, {8, 2, 2}}},
        {"insert at a span's start grows it", true, 2, 0, {{2, 5, 1}, {8, 2, 2}}},
        {"insert at a span's end leaves it", true, 5, 0, {{2, 3, 1}, {8, 2, 2}}},
        {"insert before both moves both", true, 0, 0, {{4, 3, 1}, {8, 2, 2}}},
        {"delete across the first span's end", false, 4, 7, {{2, 2, 1}, {4, 1, 2}}},
        {"delete a whole span removes it", false, 1, 6, {{1, 2, 2}}},
        {"delete after both leaves them", false, 8, 10, {{2, 3, 1}, {6, 2, 2}}},
    };
    for (const Case& c : cases)
    {
        CEditLine line("abcdefghij", 4, -1);
        line.GetSpans() = {{2, 3, 1}, {6, 2, 2}};
        if (c.insert)
            line.InsertChars("xy", c.at, 4);
        else
            line.DeleteChars(c.at, c.to, 4);
        EXPECT_EQ(line.GetSpans(), c.after) << c.name;
    }
}

TEST(EditLine, DeletingPastTheTextEndTakesTheLineEnd)
{
    CEditLine line("abc\r\n", 4, -1);
    line.DeleteChars(-5, 4, 4);
    EXPECT_EQ(line.GetText(), "");
}

TEST(EditLine, MoveWordSkipsRunsOfOneClassThenBlanks)
{
    struct Case
    {
        const char* text;
        int from;
        bool forward;
        bool moved;
        int to;
    };
    const Case cases[] = {
        {"abc  def", 0, true, true, 5},
        {"abc  def", 1, true, true, 5},
        {"abc, def", 0, true, true, 3},
        {"abc, def", 3, true, true, 5},
        {"abc", 2, true, true, 3},
        {"ab ", 2, true, false, 0},
        {"abc", 3, true, false, 0},
        {"", 0, true, false, 0},
        {"abc  def", 8, false, true, 5},
        {"abc  def", 5, false, true, 0},
        {"   def", 3, false, true, 0},
        {"abc", 0, false, false, 0},
        // Letters beyond ASCII are word characters.
        {"gr\xC3\xB6\xC3\x9F" "e \xD1\x81\xD0\xBB\xD0\xBE\xD0\xB2\xD0\xBE", 0, true, true, 8},
        {"gr\xC3\xB6\xC3\x9F" "e \xD1\x81\xD0\xBB\xD0\xBE\xD0\xB2\xD0\xBE", 18, false, true, 8},
        {"\xD1\x81\xD0\xBB\xD0\xBE\xD0\xB2\xD0\xBE x", 0, true, true, 11},
        {"x \xD1\x81\xD0\xBB\xD0\xBE\xD0\xB2\xD0\xBE", 12, false, true, 2},
    };
    for (const Case& c : cases)
    {
        const CEditLine line(c.text, 4, -1);
        int to = 0;
        EXPECT_EQ(line.MoveWord(c.from, to, c.forward), c.moved) << c.text << " from " << c.from;
        if (c.moved)
        {
            EXPECT_EQ(to, c.to) << c.text << " from " << c.from;
        }
    }
}

TEST(EditLine, FindInLineMatchesCaseBlindAcrossScriptsAndSkipsTheGivenMatch)
{
    struct Case
    {
        const char* text;
        const char* pattern;
        bool matchCase;
        int start;
        int end;
        bool found;
        int foundStart;
        int foundEnd;
    };
    const Case cases[] = {
        {"one Two two", "two", true, 0, -1, true, 8, 11},
        {"one Two two", "two", false, 0, -1, true, 4, 7},
        {"one Two two", "two", false, 4, 7, true, 8, 11},
        {"one two", "three", false, 0, -1, false, 7, 7},
        {"Stra\xC3\x9F" "e \xC3\x84pfel", "\xC3\xA4" "PFEL", false, 0, -1, true, 8, 14},
        {"\xD0\x96\xD0\x96 \xD0\xB6", "\xD0\xB6", false, 0, 2, true, 2, 4},
        {"\xD0\x96\xD0\x96 \xD0\xB6", "\xD0\xB6", true, 0, -1, true, 5, 7},
        {"ab\r\n", "b\r", true, 0, -1, true, 1, 3},
    };
    for (const Case& c : cases)
    {
        const CEditLine line(c.text, 4, -1);
        int start = c.start;
        int end = c.end;
        EXPECT_EQ(line.FindInLine(start, end, c.pattern, c.matchCase), c.found) << c.text << " / " << c.pattern;
        EXPECT_EQ(start, c.foundStart) << c.text << " / " << c.pattern;
        EXPECT_EQ(end, c.foundEnd) << c.text << " / " << c.pattern;
    }
}
