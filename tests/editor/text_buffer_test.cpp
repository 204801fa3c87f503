#include "BufferText.h"
#include "editor/EditTextBuffer.h"
#include "platform/core/Archive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace
{
using Lines = std::vector<std::string>;

void Type(CEditTextBuffer& buffer, CEditSelection& selection, const std::string& chars)
{
    for (size_t at = 0; at < chars.size(); ++at)
        buffer.ReplaceSelection(selection, chars.substr(at, 1));
}

std::string Load(CEditTextBuffer& buffer, const std::string& bytes)
{
    CArchive loading(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    buffer.Serialize(loading);
    CArchive storing;
    buffer.Serialize(storing);
    return std::string(storing.Data().begin(), storing.Data().end());
}
}

TEST(TextBuffer, NewBufferHasOneEmptyUnmodifiedLine)
{
    CEditTextBuffer buffer;
    EXPECT_EQ(LineTexts(buffer), Lines{""});
    EXPECT_FALSE(buffer.IsModified());
    EXPECT_FALSE(buffer.CanUndo());
    EXPECT_FALSE(buffer.CanRedo());
    EXPECT_EQ(buffer.GetLineEndKind(), kLineEndCrLf);
}

TEST(TextBuffer, TypedCharactersOfOneClassShareARecord)
{
    CEditTextBuffer buffer;
    buffer.EnableUndo(true);
    CEditSelection caret;
    Type(buffer, caret, "ab cd");
    ASSERT_EQ(buffer.GetUndoRecordCount(), 3);
    EXPECT_EQ(buffer.GetUndoRecord(0)->m_newText, "ab");
    EXPECT_EQ(buffer.GetUndoRecord(1)->m_newText, " ");
    EXPECT_EQ(buffer.GetUndoRecord(2)->m_newText, "cd");
    ASSERT_TRUE(buffer.Undo(caret));
    EXPECT_EQ(WholeText(buffer), "ab ");
    EXPECT_EQ(caret, (CEditSelection{0, 0, 3, 3}));
    ASSERT_TRUE(buffer.Redo(caret));
    EXPECT_EQ(WholeText(buffer), "ab cd");
    EXPECT_EQ(caret, (CEditSelection{0, 0, 5, 5}));
}

TEST(TextBuffer, MultiByteLettersAreTypedAsOneWordAndUndoneWhole)
{
    CEditTextBuffer buffer;
    buffer.EnableUndo(true);
    CEditSelection caret;
    for (const char* letter : {"g", "r", "\xC3\xB6", "\xC3\x9F", "e"})
        buffer.ReplaceSelection(caret, letter);
    EXPECT_EQ(buffer.GetUndoRecordCount(), 1);
    EXPECT_EQ(caret, (CEditSelection{0, 0, 5, 5}));
    // An invalid byte is a character of its own class.
    buffer.ReplaceSelection(caret, "\xFF");
    EXPECT_EQ(buffer.GetUndoRecordCount(), 2);
    EXPECT_EQ(buffer.GetLine(0)->GetWidth(), 6);
    // A selection by columns covers whole characters.
    CEditSelection middle{0, 0, 2, 4};
    buffer.ReplaceSelection(middle, "\xD0\xB6");
    EXPECT_EQ(WholeText(buffer), "gr\xD0\xB6" "e\xFF");
    EXPECT_EQ(middle, (CEditSelection{0, 0, 3, 3}));
    while (buffer.Undo(caret))
    {
    }
    EXPECT_EQ(WholeText(buffer), "");
}

TEST(TextBuffer, SavePointSplitsTypingAndMarksTheBufferModified)
{
    CEditTextBuffer buffer;
    buffer.EnableUndo(true);
    CEditSelection caret;
    Type(buffer, caret, "ab");
    buffer.SetSavePoint();
    EXPECT_FALSE(buffer.IsModified());
    Type(buffer, caret, "c");
    EXPECT_TRUE(buffer.IsModified());
    EXPECT_EQ(buffer.GetUndoRecordCount(), 2);
    ASSERT_TRUE(buffer.Undo(caret));
    EXPECT_FALSE(buffer.IsModified());
}

TEST(TextBuffer, EditBelowTheTopDropsTheRedoRecordsAndAnUnreachableSavePoint)
{
    CEditTextBuffer buffer;
    buffer.EnableUndo(true);
    CEditSelection caret;
    Type(buffer, caret, "a b c");
    ASSERT_EQ(buffer.GetUndoRecordCount(), 5);
    buffer.SetSavePoint();
    ASSERT_TRUE(buffer.Undo(caret));
    ASSERT_TRUE(buffer.Undo(caret));
    Type(buffer, caret, "x");
    EXPECT_EQ(buffer.GetUndoRecordCount(), 4);
    EXPECT_FALSE(buffer.CanRedo());
    EXPECT_TRUE(buffer.IsModified());
    ASSERT_TRUE(buffer.Undo(caret));
    EXPECT_EQ(WholeText(buffer), "a b");
    EXPECT_TRUE(buffer.IsModified());
    buffer.SetSavePoint();
    EXPECT_FALSE(buffer.IsModified());
}

TEST(TextBuffer, UndoDisabledRecordsNothingButStillTracksChanges)
{
    CEditTextBuffer buffer;
    CEditSelection caret;
    Type(buffer, caret, "ab");
    EXPECT_EQ(buffer.GetUndoRecordCount(), 0);
    EXPECT_FALSE(buffer.Undo(caret));
    EXPECT_TRUE(buffer.IsModified());
    buffer.SetSavePoint();
    EXPECT_FALSE(buffer.IsModified());
}

TEST(TextBuffer, TabSizeIsLimitedAndWidthsFollow)
{
    CEditTextBuffer buffer;
    buffer.SetText("a\tb");
    struct Case
    {
        int asked;
        int size;
        int width;
    };
    for (const Case c : {Case{0, 4, 5}, Case{101, 100, 101}, Case{-3, 4, 5}, Case{8, 8, 9}})
    {
        buffer.SetTabSize(c.asked);
        EXPECT_EQ(buffer.GetTabSize(), c.size) << c.asked;
        EXPECT_EQ(buffer.GetWidestWidth(), c.width) << c.asked;
    }
}

TEST(TextBuffer, InsertingABreakKeepsTheFirstAsWrittenAndTheTailsOwnLineEnd)
{
    CEditTextBuffer buffer;
    buffer.SetText("abcd\r\nz");
    int line = 0;
    int index = 2;
    EXPECT_EQ(buffer.InsertText(line, index, "x\ny", true), -1);
    EXPECT_EQ(LineTexts(buffer), (Lines{"abx\n", "ycd\r\n", "z"}));
    EXPECT_EQ(line, 1);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(buffer.GetTotalLength(), 10);
    EXPECT_EQ(buffer.GetLongestLength(), 5);
}

TEST(TextBuffer, ALoneCrTypedBeforeALineEndTakesTheBuffersKind)
{
    CEditTextBuffer buffer;
    buffer.SetText("ab\ncd");
    CEditSelection caret{0, 0, 2, 2};
    buffer.ReplaceSelection(caret, "\r");
    EXPECT_EQ(LineTexts(buffer), (Lines{"ab\n", "\n", "cd"}));
    CEditTextBuffer mac;
    mac.SetText("ab\rcd");
    CEditSelection end{0, 0, 2, 2};
    mac.ReplaceSelection(end, "\r");
    EXPECT_EQ(LineTexts(mac), (Lines{"ab\r", "\r", "cd"}));
}

TEST(TextBuffer, NewLinesTakeTheLineEndOfTheFilesFirstLine)
{
    CEditTextBuffer lf;
    lf.SetText("one\ntwo\r\nthree");
    EXPECT_EQ(lf.GetLineEndKind(), kLineEndLf);
    int endLine = 0;
    int endIndex = 3;
    lf.Replace(0, 3, endLine, endIndex, "\r\na\r\nb");
    EXPECT_EQ(LineTexts(lf), (Lines{"one\r\n", "a\n", "b\n", "two\r\n", "three"}));

    CEditTextBuffer fresh;
    int line = 0;
    int index = 0;
    fresh.InsertText(line, index, "a\nb\nc", false);
    EXPECT_EQ(LineTexts(fresh), (Lines{"a\n", "b\r\n", "c"}));
}

TEST(TextBuffer, DeletingRangesJoinsLinesAndReturnsTheRemovedText)
{
    struct Case
    {
        const char* name;
        int startLine, startIndex, endLine, endIndex;
        int hint;
        const char* removed;
        Lines after;
    };
    const Case cases[] = {
        {"line end joins two lines", 0, 3, 1, 0, -1, "\r\n", {"abcdef\n", "gh"}},
        {"inside one line", 0, 1, 0, 2, 0, "b", {"ac\r\n", "def\n", "gh"}},
        {"an end past the text end takes the line end and joins", 1, 1, 1, 9, -1, "ef\n", {"abc\r\n", "dgh"}},
        {"a whole line goes with its object", 1, 0, 1, 9, -1, "def\n", {"abc\r\n", "gh"}},
        {"over three lines", 0, 2, 2, 1, -1, "c\r\ndef\ng", {"abh"}},
        {"reversed ends are put in order", 2, 1, 0, 2, -1, "c\r\ndef\ng", {"abh"}},
        {"out of range positions are limited", -4, -7, 99, 99, -1, "abc\r\ndef\ngh", {""}},
        {"an empty range changes nothing", 1, 2, 1, 2, 0, "", {"abc\r\n", "def\n", "gh"}},
    };
    for (const Case& c : cases)
    {
        CEditTextBuffer buffer;
        buffer.SetText("abc\r\ndef\ngh");
        std::string removed;
        EXPECT_EQ(buffer.DeleteRange(c.startLine, c.startIndex, c.endLine, c.endIndex, true, &removed), c.hint)
            << c.name;
        EXPECT_EQ(removed, c.removed) << c.name;
        EXPECT_EQ(LineTexts(buffer), c.after) << c.name;
        EXPECT_EQ(buffer.GetTotalLength(), static_cast<int64_t>(WholeText(buffer).size())) << c.name;
    }
}

TEST(TextBuffer, FindTextSearchesForwardWithoutWrapping)
{
    CEditTextBuffer buffer;
    buffer.SetText("needle one\r\nhay\r\nNeedle two needle");
    CEditSelection selection{1, 1, 0, 0};
    EXPECT_TRUE(buffer.FindText(selection, "needle", false));
    EXPECT_EQ(selection, (CEditSelection{2, 2, 0, 6}));
    EXPECT_TRUE(buffer.FindText(selection, "needle", false));
    EXPECT_EQ(selection, (CEditSelection{2, 2, 11, 17}));
    EXPECT_FALSE(buffer.FindText(selection, "needle", false));
    EXPECT_EQ(selection, (CEditSelection{0, 0, 0, 0}));

    CEditSelection after{1, 1, 0, 0};
    EXPECT_FALSE(buffer.FindText(after, "one", true));
    EXPECT_EQ(after, (CEditSelection{0, 0, 0, 0}));

    CEditTextBuffer cyrillic;
    cyrillic.SetText("\xD0\xB6\xD1\x83\xD0\xBA \xD0\x96\xD0\xA3\xD0\x9A");
    CEditSelection start{0, 0, 0, 3};
    EXPECT_TRUE(cyrillic.FindText(start, "\xD0\xB6\xD1\x83\xD0\xBA", false));
    EXPECT_EQ(start, (CEditSelection{0, 0, 4, 7}));
}

TEST(TextBuffer, OffsetsAndPositionsConvertBothWays)
{
    CEditTextBuffer buffer;
    buffer.SetText("ab\r\n\xC3\xA4x\nlast");
    struct Case
    {
        int64_t offset;
        int line;
        int index;
    };
    const Case cases[] = {{-5, 0, 0}, {1, 0, 1}, {2, 0, 2}, {3, 0, 2}, {4, 1, 0},
                          {5, 1, 0}, {6, 1, 2}, {7, 1, 3}, {8, 2, 0}, {99, 2, 4}};
    for (const Case& c : cases)
    {
        int line = -1;
        int index = -1;
        buffer.OffsetToPosition(c.offset, line, index);
        EXPECT_EQ(line, c.line) << c.offset;
        EXPECT_EQ(index, c.index) << c.offset;
    }
    int64_t start = 0;
    int64_t end = 0;
    std::string text;
    buffer.GetRangeText(start, end, CEditSelection{2, 0, 2, 1}, &text);
    EXPECT_EQ(start, 1);
    EXPECT_EQ(end, 10);
    EXPECT_EQ(text, "b\r\n\xC3\xA4x\nla");
}

TEST(TextBuffer, WordMovesCrossLineBoundariesAndStopAtTheEnds)
{
    CEditTextBuffer buffer;
    buffer.SetText("ab\r\ncd");
    int line = -1;
    int index = -1;
    EXPECT_TRUE(buffer.MoveWord(0, 2, line, index, true));
    EXPECT_EQ(line, 1);
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(buffer.MoveWord(1, 0, line, index, false));
    EXPECT_EQ(line, 0);
    EXPECT_EQ(index, 2);
    EXPECT_FALSE(buffer.MoveWord(1, 2, line, index, true));
    EXPECT_FALSE(buffer.MoveWord(0, 0, line, index, false));
    EXPECT_FALSE(buffer.MoveWord(7, 0, line, index, false));

    int start = 5;
    int end = 5;
    std::string word = "stale";
    EXPECT_FALSE(buffer.GetWordAt(9, start, end, &word));
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 0);
    EXPECT_EQ(word, "");
}

TEST(TextBuffer, LoadAndSaveAreByteExact)
{
    const std::string files[] = {
        "one\ntwo\nthree\n",
        "one\r\ntwo\r\nthree",
        "mixed\nends\r\nand\rcr\n\nlast",
        "gr\xC3\xB6\xC3\x9F" "e\n\xFF\xFE bytes\r\n",
        "",
        "\n\n\r\n",
    };
    for (const std::string& file : files)
    {
        CEditTextBuffer buffer;
        EXPECT_EQ(Load(buffer, file), file);
    }
    CEditTextBuffer buffer;
    EXPECT_EQ(Load(buffer, std::string("a\0b\n", 4)), "a?b\n");
}

TEST(TextBuffer, UndoRestoresMixedLineEndsExactly)
{
    CEditTextBuffer buffer;
    const std::string original = "a\nb\r\nc\rd";
    buffer.SetText(original);
    buffer.EnableUndo(true);
    CEditSelection all{0, 3, 0, 1};
    buffer.ReplaceSelection(all, "x\r\ny\nz");
    CEditSelection second{0, 1, 0, 0};
    buffer.ReplaceSelection(second, "");
    CEditSelection caret;
    while (buffer.Undo(caret))
    {
    }
    EXPECT_EQ(WholeText(buffer), original);
    while (buffer.Redo(caret))
    {
    }
    EXPECT_EQ(WholeText(buffer), "y\nz");
}

TEST(TextBuffer, PositionsOutsideTheBufferAreLimited)
{
    CEditTextBuffer buffer;
    buffer.SetText("ab\r\ncd");
    int endLine = 50;
    int endIndex = 50;
    buffer.Replace(-3, -3, endLine, endIndex, "X");
    EXPECT_EQ(WholeText(buffer), "X");
    int line = 40;
    int index = -9;
    buffer.InsertText(line, index, "y", false);
    EXPECT_EQ(WholeText(buffer), "yX");
    buffer.InsertLine("z", 99);
    buffer.InsertLine("w", -5);
    EXPECT_EQ(LineTexts(buffer), (Lines{"w\r\n", "yXz"}));
    CEditSelection wild{-4, 77, -1000, 1000};
    buffer.ReplaceSelection(wild, "q");
    EXPECT_EQ(WholeText(buffer), "q");
    EXPECT_EQ(wild, (CEditSelection{0, 0, 1, 1}));
    // No position lies between the CR and the LF of a line end.
    CEditTextBuffer ends;
    ends.SetText("ab\r\ncd");
    int insideLine = 0;
    int insideIndex = 3;
    ends.Replace(0, 3, insideLine, insideIndex, "x");
    EXPECT_EQ(LineTexts(ends), (Lines{"abx\r\n", "cd"}));
    ends.DeleteRange(0, 4, 1, 1, true);
    EXPECT_EQ(LineTexts(ends), (Lines{"abxd"}));
    // An index inside a multi-byte character never splits it.
    CEditTextBuffer utf;
    utf.SetText("\xC3\xA4\xC3\xB6");
    int at = 0;
    int mid = 1;
    utf.InsertText(at, mid, "-", false);
    EXPECT_EQ(WholeText(utf), "-\xC3\xA4\xC3\xB6");
}

TEST(TextBuffer, ClearedBufferIsSafeToUse)
{
    CEditTextBuffer buffer;
    buffer.SetText("abc");
    buffer.Clear();
    EXPECT_EQ(buffer.GetLineCount(), 0);
    CEditSelection selection{1, 2, 3, 4};
    EXPECT_FALSE(buffer.FindText(selection, "a", true));
    int64_t start = 9;
    int64_t end = 9;
    buffer.GetRangeText(start, end, selection, nullptr);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 0);
    buffer.ReplaceSelection(selection, "new");
    EXPECT_EQ(LineTexts(buffer), Lines{"new"});
}

TEST(TextBuffer, AppendLineJoinsAnOpenLastLineAndAppendTextExtendsIt)
{
    CEditTextBuffer buffer;
    buffer.AppendLine("first");
    buffer.AppendLine("");
    buffer.AppendLine("second\n");
    buffer.AppendText(" more\nnext");
    EXPECT_EQ(LineTexts(buffer), (Lines{"first\r\n", "second more\n", "next\n"}));
}

// Random edits at random, often out-of-range, positions keep the buffer
// whole: every line but the last ends in exactly one line end and holds no
// other CR or LF, the totals and extents match the lines, and undoing every
// edit gives back the text byte for byte.
TEST(TextBuffer, RandomEditsKeepTheLinesWholeAndUndoRestoresTheText)
{
    const char* pieces[] = {"a", "\xC3\xA4", "\xFF", " ", "\t", "\r\n", "\n", "\r", "word", "x\ny\r\nz", ""};
    std::mt19937 random(11);
    const auto pick = [&](int low, int high) { return low + static_cast<int>(random() % (high - low + 1)); };
    CEditTextBuffer buffer;
    const std::string original = "one\ntwo\r\nthree\r\nfour\n\nfive";
    buffer.SetText(original);
    buffer.EnableUndo(true);
    for (int step = 0; step < 600; ++step)
    {
        const int lines = buffer.GetLineCount();
        const char* text = pieces[pick(0, static_cast<int>(std::size(pieces)) - 1)];
        CEditSelection selection{pick(-2, lines + 1), pick(-2, lines + 1), pick(-3, 12), pick(-3, 12)};
        if (step % 5 == 0)
        {
            int line = pick(-2, lines + 1);
            int index = pick(-3, 12);
            buffer.Replace(pick(-2, lines + 1), pick(-3, 12), line, index, text);
        }
        else
        {
            buffer.ReplaceSelection(selection, text);
        }

        int64_t total = 0;
        int longest = 0;
        int widest = 0;
        for (int i = 0; i < buffer.GetLineCount(); ++i)
        {
            const CEditLine& line = *buffer.GetLine(i);
            const std::string& bytes = line.GetText();
            total += line.GetLength();
            longest = std::max(longest, line.GetLength());
            widest = std::max(widest, line.GetWidth());
            const size_t breakAt = bytes.find_first_of("\r\n");
            ASSERT_TRUE(breakAt == std::string::npos || breakAt == static_cast<size_t>(line.GetTextEnd()))
                << "step " << step << " line " << i;
            if (i + 1 < buffer.GetLineCount())
            {
                ASSERT_NE(line.GetLineEndKind(), 0) << "step " << step << " line " << i;
            }
        }
        ASSERT_EQ(buffer.GetTotalLength(), total) << step;
        ASSERT_EQ(buffer.GetLongestLength(), longest) << step;
        ASSERT_EQ(buffer.GetWidestWidth(), widest) << step;
    }
    CEditSelection caret;
    while (buffer.Undo(caret))
    {
    }
    EXPECT_EQ(WholeText(buffer), original);
}
