#pragma once
// One line of the text buffer: its bytes with its own line end, its display
// width, marker flags and colour spans. Text is UTF-8: indexes count bytes,
// columns count characters (a byte that is not valid UTF-8 is a character of
// its own), and a tab advances to the next multiple of the tab size. Lines
// are made and deleted only by the text buffer, which hands them indexes on
// character boundaries; the line clamps what it is given to its own length.

#include "editor/EditScanState.h"

#include <string>
#include <string_view>
#include <vector>

class CArchive;

// One coloured stretch of a line: bytes [start, start + length) in the
// colour of a token kind (an index into the colour scheme's token slots).
struct CEditColorSpan
{
    int m_start = 0;
    int m_length = 0;
    int m_color = 0;

    bool operator==(const CEditColorSpan&) const = default;
};

// Line-end kinds; any other value means no line end.
enum EditLineEnd
{
    kLineEndCrLf = 1,
    kLineEndCr = 2,
    kLineEndLf = 3,
};

// The text of a line-end kind ("" for none).
std::string_view LineEndText(int kind);

// The class of the character at `at` for typing merges and word moves:
// 1 = word characters, that is ASCII letters, digits and '_' and every valid
// character beyond ASCII (one class, so "größe" and "слово" are words);
// 0 = anything else, including a byte that is not valid UTF-8.
int GetCharClass(std::string_view text, size_t at);

inline bool IsEditBlank(char c)
{
    return c == ' ' || c == '\t';
}

class CEditLine
{
public:
    // Copies the text; when lineEndKind is not -1 and the text ends in CR or
    // LF, its line end becomes that kind's.
    CEditLine(std::string_view text, int tabSize, int lineEndKind);

    const std::string& GetText() const { return m_text; }
    int GetLength() const { return static_cast<int>(m_text.size()); }
    // The length without the trailing CR and LF characters (at most two).
    int GetTextEnd() const;
    // The kind of this line's line end (0 for none).
    int GetLineEndKind() const;
    int GetTabCount() const { return m_tabCount; }
    int GetWidth() const { return m_width; }

    int GetFlags() const { return m_flags; }
    void SetFlags(int flags) { m_flags = flags; }
    std::vector<CEditColorSpan>& GetSpans() { return m_spans; }
    const std::vector<CEditColorSpan>& GetSpans() const { return m_spans; }

    // A line end is replaced by the kind's; a line without one is left alone.
    void SetEndOfLine(int kind);
    // Recounts tabs and width over the characters before the first CR, LF
    // or NUL.
    void RecalcWidth(int tabSize);

    // The column reached after the characters before index (never past the
    // width); 0 for index <= 0.
    int IndexToColumn(int tabSize, int index) const;
    // The index of the first character whose start column is at or after
    // column (limited to the width); a column inside a tab gives the index
    // after the tab.
    int ColumnToIndex(int tabSize, int column) const;
    // Limits column to 0..width and moves a column inside a tab back to the
    // tab's start; true when it changed the column.
    bool ClampColumn(int tabSize, int& column) const;
    // The text before the line end with tabs expanded to blanks.
    void GetExpandedText(std::string& out, int tabSize) const;

    // Inserts at index (at most at the text end); spans follow.
    void InsertChars(std::string_view text, int index, int tabSize);
    void AppendChars(std::string_view text, int tabSize);
    // Deletes [from, to); a `to` beyond the text end reaches the full length,
    // line end included. Spans lose what they shared with the range.
    void DeleteChars(int from, int to, int tabSize);

    // The run of same-class characters around index (end stops at the text
    // end); false for an index outside the line.
    bool GetWordAt(int index, int& start, int& end, std::string* word) const;
    // One word move within the text end; false when the line gives none.
    bool MoveWord(int index, int& newIndex, bool forward) const;
    // The first match at or after start whose [start, end) differs from the
    // one given in; without one, start and end become the line length.
    bool FindInLine(int& start, int& end, std::string_view pattern, bool matchCase) const;

    // The raw text, line end included.
    void Write(CArchive& archive) const;

    // Index of the character boundary at or before index, within the line.
    int CharStart(int index) const;
    // Index just past the character that starts at index.
    int NextChar(int index) const;
    // Index of the character before index.
    int PrevChar(int index) const;

    // Colouring bookkeeping, kept by the buffer and read by the colouriser:
    // the scan state at this line's start and whether the line changed since
    // it was last coloured.
    CEditScanState m_scanState;
    bool m_colorStale = true;

private:
    // Column after the character at index when it starts at column.
    int Advance(int tabSize, int index, int column) const;

    std::string m_text;
    int m_tabCount = 0;
    int m_width = 0;
    // End of the characters that have columns: the first CR, LF or NUL.
    int m_contentEnd = 0;
    int m_flags = 0;
    std::vector<CEditColorSpan> m_spans;
};
