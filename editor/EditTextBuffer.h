#pragma once
// The text model behind every editor view: lines with their own line ends
// and colour spans, positional editing, undo with a save point, tab and
// column conversion, word moves, search, ranges and offsets, and loading and
// saving through an archive.
//
// Positions are (line, index) pairs counted from 0, where the index counts
// bytes of UTF-8 text; the views work in (line, column) pairs and convert
// through CEditLine. Every position handed to a public operation is limited
// to the buffer (lines to the last line, indexes to the line and to a
// character boundary), so no call indexes out of range.
//
// Line ends are kept as they were read, so a file is saved byte for byte as
// it was loaded. New lines made by an edit take the buffer's line-end kind,
// which comes from the first line end of the text set by SetText (CR LF for
// a new buffer).
//
// Used on the UI thread only; nothing is locked.

#include "editor/EditLine.h"
#include "editor/EditLinePainter.h"
#include "editor/EditPaintRun.h"
#include "editor/EditSelection.h"
#include "editor/EditUndoRecord.h"
#include "editor/ExtentCounter.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CArchive;
class CEditColorizer;
class CEditColorScheme;
class CEditDisplayList;

class CEditTextBuffer : public CEditLinePainter
{
public:
    CEditTextBuffer();
    ~CEditTextBuffer() override;
    CEditTextBuffer(const CEditTextBuffer&) = delete;
    CEditTextBuffer& operator=(const CEditTextBuffer&) = delete;

    int GetLineCount() const { return static_cast<int>(m_lines.size()); }
    // Null for a line outside the buffer.
    CEditLine* GetLine(int line);
    const CEditLine* GetLine(int line) const;
    int GetTabSize() const { return m_tabSize; }
    int GetLongestLength() const { return m_lengths.Max(); }
    int GetWidestWidth() const { return m_widths.Max(); }
    int64_t GetTotalLength() const { return m_totalLength; }
    int GetLineEndKind() const { return m_lineEndKind; }
    unsigned GetChangeStamp() const { return m_changeStamp; }

    // Text.
    // Replaces the whole text (one recorded edit), keeping its line ends as
    // written; its first line end sets the kind for new lines.
    void SetText(std::string_view text);
    // Inserts at the text end of the last line (one recorded edit).
    void AppendText(std::string_view text);
    // Leaves the buffer without lines, undo records or extents.
    void Clear();

    // Editing. A repaint hint is -1 when lines other than the edited one may
    // look different, else 0.
    // Replaces [start, end) with text as one undoable edit; end becomes the
    // end of the inserted text.
    int Replace(int startLine, int startIndex, int& endLine, int& endIndex, std::string_view text);
    // Replaces the selected text; the selection becomes empty at the end of
    // the inserted text.
    int ReplaceSelection(CEditSelection& selection, std::string_view text);
    // Inserts without recording undo; the position moves to the end of the
    // inserted text. Breaks after the first (and a first lone CR, unless the
    // buffer's line ends are CR) take the buffer's line-end kind.
    int InsertText(int& line, int& index, std::string_view text, bool recalcExtents);
    // Deletes without recording undo; an end index beyond a line's text end
    // takes its line end too.
    int DeleteRange(int startLine, int startIndex, int endLine, int endIndex, bool recalcExtents,
                    std::string* deleted = nullptr);
    // A new line at index (an empty one for empty text); at the line count
    // the same as AppendLine.
    void InsertLine(std::string_view text, int index);
    // Empty text appends an empty line; otherwise the text goes onto the
    // last line when that has no line end, else it becomes a new line.
    void AppendLine(std::string_view text);

    // Undo.
    bool Undo(CEditSelection& selection);
    bool Redo(CEditSelection& selection);
    bool CanUndo() const { return m_undoPosition > 0; }
    bool CanRedo() const { return m_undoPosition < static_cast<int>(m_undo.size()); }
    void ClearUndo();
    void EnableUndo(bool on);
    bool IsUndoEnabled() const { return m_undoEnabled; }
    void SetSavePoint();
    bool IsModified() const;
    int GetUndoRecordCount() const { return static_cast<int>(m_undo.size()); }
    const CEditUndoRecord* GetUndoRecord(int index) const;

    // Queries.
    // The two ends in text order, limited to the buffer and the lines' widths.
    void NormalizeSelection(const CEditSelection& selection, int& firstLine, int& lastLine, int& firstColumn,
                            int& lastColumn) const;
    // Byte offsets of the selected range from the start of the text, and the
    // text when asked.
    void GetRangeText(int64_t& startOffset, int64_t& endOffset, const CEditSelection& selection,
                      std::string* text) const;
    // The position of a byte offset; an offset inside a line end gives that
    // line's text end.
    void OffsetToPosition(int64_t offset, int& line, int& index) const;
    bool GetWordAt(int line, int& index, int& end, std::string* word) const;
    // One word move, across line boundaries; false at the buffer's ends.
    bool MoveWord(int line, int index, int& newLine, int& newIndex, bool forward) const;
    // Searches forward from the selection to the last line without
    // wrapping; a match becomes the selection, no match gives (0, 0, 0, 0).
    bool FindText(CEditSelection& selection, std::string_view pattern, bool matchCase) const;
    void RecalcExtents();

    // Settings.
    void SetTabSize(int size);
    // A colouriser the buffer deletes with itself or when replaced.
    void SetColorizer(std::unique_ptr<CEditColorizer> colorizer);
    // A colouriser the caller keeps alive as long as it is attached.
    void SetColorizer(CEditColorizer* colorizer);
    CEditColorizer* GetColorizer() const { return m_colorizer; }

    // Storage: stores every line as it stands; loads the whole archive with
    // each NUL byte turned into '?'. The owner sets the save point.
    void Serialize(CArchive& archive);

    // Painting: colours and paints the visible lines from first to last
    // (0 or less: the last line) into the display list with the scheme's
    // colours and view state; recolor brings the colours up to date first.
    void Colorize(CEditDisplayList& list, CEditColorScheme& scheme, int firstLine, int lastLine, bool recolor);

    // The line painter operations the colouriser drives during Colorize.
    void BeginPaint() override;
    void EndPaint() override;
    void BeginLine(int line) override;
    void PaintLine(int line) override;
    void GetLineSelection(int& startColumn, int& selectedColumns, int& columnsAfter, int line,
                          int lineWidth) override;
    void AddChar(std::string_view character, int kind, bool selected, int column) override;
    void AddText(std::string_view characters, int count, int kind, bool selected, int column) override;

    // Colouring bookkeeping for the colouriser: lines before the frontier
    // are coloured and unchanged since; lines at or after it may be stale
    // (each edited or new line is marked), and the colouriser catches up
    // from the frontier when it needs a line.
    int GetColorFrontier() const { return m_colorFrontier; }
    void SetColorFrontier(int line) { m_colorFrontier = line; }
    int GetStaleLineCount() const { return m_staleLines; }
    void MarkColored(int line);
    // The line is to be coloured again.
    void MarkStale(int line);
    // Every line is to be coloured again.
    void MarkAllStale();

private:
    void ClampPosition(int& line, int& index, bool rangeEnd) const;
    // Puts a range in text order and limits both ends to the buffer.
    void OrderRange(int& startLine, int& startIndex, int& endLine, int& endIndex) const;
    int ReplaceText(int startLine, int startIndex, int& endLine, int& endIndex, std::string_view text,
                    bool keepLineEnds);
    int InsertTextAt(int& line, int& index, std::string_view text, bool keepLineEnds);
    // The text with every break after the first, and a first that is a lone
    // CR, in the buffer's kind.
    std::string ConvertBreaks(std::string_view text) const;
    std::unique_ptr<CEditLine> MakeLine(std::string_view text, int lineEndKind);
    void InsertLineObjects(int at, std::vector<std::unique_ptr<CEditLine>>& lines);
    void RemoveLineObjects(int first, int count);
    // Keeps the extents and total while a line changes.
    void Forget(const CEditLine& line);
    void Count(const CEditLine& line);
    bool IsSignificant(char c) const;
    void Touch();
    void SelectionAt(CEditSelection& selection, int line, int index) const;
    void AddRun(std::string_view characters, int count, int kind, bool selected, int column);
    // The selection's two ends in text order (line, column).
    void OrderedSelection(int& firstLine, int& firstColumn, int& lastLine, int& lastColumn) const;

    std::vector<std::unique_ptr<CEditLine>> m_lines;
    std::vector<std::unique_ptr<CEditUndoRecord>> m_undo;
    CExtentCounter m_lengths;
    CExtentCounter m_widths;
    int64_t m_totalLength = 0;
    int m_undoPosition = 0;
    int m_savePoint = 0;
    int m_tabSize = 4;
    int m_lineEndKind = kLineEndCrLf;
    int m_lastCharClass = -1;
    bool m_undoEnabled = false;
    CEditColorizer* m_colorizer = nullptr;
    std::unique_ptr<CEditColorizer> m_ownedColorizer;
    unsigned m_changeStamp = 0;
    unsigned m_savedStamp = 0;
    int m_colorFrontier = 0;
    int m_staleLines = 0;

    // Valid only during Colorize.
    CEditColorScheme* m_paintScheme = nullptr;
    CEditDisplayList* m_paintList = nullptr;
    int m_paintRow = 0;
    int m_paintLine = -1;
    std::vector<CEditPaintRun> m_paintRuns;
    // Where each run's characters start in the paint text.
    std::vector<size_t> m_paintRunBytes;
    std::string m_paintText;
};
