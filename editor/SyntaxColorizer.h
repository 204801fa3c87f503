#pragma once
// The colouriser of the editor: scans the buffer's text in one of its modes
// and writes colour spans (token kinds) into the lines, then paints the
// visible lines through the buffer's line painter.
//
// Modes: -1 detect (becomes 0, 1 or 2 at the first pass), 0 none, 1 HTML,
// 2 XML, 3 C-like source, 4 transfer log lines, 5 spans made by the owner,
// 6 header lines.
//
// The scan reads the text as one stream across lines, but colouring is kept
// per line: each line stores the scan state at its start, so a pass resumes
// at the first line an edit touched and stops as soon as a line it reaches
// is unchanged and starts in the state it had before. Painting colours only
// as far as the lines it paints (the rest catches up when it is needed), so
// an edit and the redraw of one screen cost the same in any size of buffer.
//
// Token kinds: 0 plain word, 1 block between delimiters, 2 number,
// 3 preprocessor line, 5 keyword or known HTML tag, 6 tag punctuation,
// 7 other tag name, 8 attribute name, 9 attribute value or string,
// 11 to 16 log and header line colours.

#include "editor/EditColorizer.h"
#include "editor/EditScanState.h"

#include <array>
#include <string>
#include <string_view>

class CEditLine;

class CSyntaxColorizer : public CEditColorizer
{
public:
    explicit CSyntaxColorizer(int mode);

    bool PaintLines(CEditTextBuffer& buffer, CEditLinePainter& painter, int firstLine, int lastLine,
                    int firstColumn, int lastColumn) override;
    bool IsDelimiterChar(char c) const override;
    void Invalidate() override;
    void SetRecolor(bool recolor) override { m_recolor = recolor; }

    // One colouring pass: brings the spans of every line up to date.
    virtual bool Colorize(CEditTextBuffer& buffer);
    // Brings the spans of lines 0..lastLine up to date.
    void ColorizeThrough(CEditTextBuffer& buffer, int lastLine);

    // Kind of a tag name: 5 for a known HTML tag in mode 1, else 7.
    virtual int GetTagKind(std::string_view tagName) const;
    virtual int GetAttributeKind(std::string_view tagName, std::string_view attributeName) const;
    virtual int GetValueKind(std::string_view tagName, std::string_view attributeName,
                             std::string_view value) const;
    // Kind of a word: 5 for a C-like keyword in mode 3, else 0.
    virtual int GetWordKind(std::string_view word) const;
    // Appends the spans of a run from (startLine, startIndex) to
    // (endLine, endIndex) to the lines it covers.
    virtual void AddRun(CEditTextBuffer& buffer, int kind, int startLine, int startIndex, int endLine,
                        int endIndex);

    // The block delimiter pairs of a mode; the others are emptied.
    void SetDelimiters(int mode);
    int GetMode() const { return m_mode; }

private:
    struct CScanLine;

    void DetectMode(const CEditTextBuffer& buffer);
    // Scans one line from the state at its start; leaves the state at its end.
    void ScanLine(CEditTextBuffer& buffer, int line, CEditScanState& state, bool lastLine);
    // The pair whose start string begins at `at`, -1 for none.
    int MatchDelimiter(std::string_view text, size_t at) const;
    size_t ScanBlock(CScanLine& scan, size_t at, size_t blockStart);
    size_t ScanMarkup(CScanLine& scan, size_t at);
    size_t ScanSource(CScanLine& scan, size_t at);
    size_t ScanString(CScanLine& scan, size_t at, size_t start);
    size_t ScanPreprocessor(CScanLine& scan, size_t at, size_t start);
    void ScanLogLine(CScanLine& scan);
    void ScanHeaderLine(CScanLine& scan);
    // A run from the open token's start to `end` on the current line.
    void AddPendingRun(CScanLine& scan, int kind, size_t end);
    std::string PendingText(CScanLine& scan, size_t end) const;
    // The open token at the end of the text runs to the end.
    void FinishText(CScanLine& scan);
    void PaintLine(CEditTextBuffer& buffer, CEditLinePainter& painter, int line, int firstColumn, int lastColumn);

    int m_mode;
    // Views of the constant pairs of SetDelimiters.
    std::array<std::string_view, 4> m_start;
    std::array<std::string_view, 4> m_end;
    // Bytes that can begin a delimiter's start string.
    std::array<bool, 256> m_delimiterFirst{};
    bool m_recolor = true;
    // False until the first pass marks every line for colouring, and again
    // after Invalidate.
    bool m_primed = false;
    // Invalidate asks for a pass although the buffer did not change.
    bool m_forced = false;
};
