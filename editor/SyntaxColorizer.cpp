#include "editor/SyntaxColorizer.h"

#include "editor/EditLinePainter.h"
#include "editor/EditTextBuffer.h"
#include "editor/KeywordSets.h"
#include "foundation/text/Utf8.h"
#include "platform/core/Text.h"

#include <algorithm>

namespace
{
// What the scan is inside of at a line boundary.
enum ScanStep : int8_t
{
    kStepText = 0,
    kStepBlock,
    kStepString,
    kStepPreprocessor,
    // Inside a tag, before an attribute, a bare value or '>'.
    kStepTagBlanks,
    // After an attribute name, before '=' or the next attribute.
    kStepTagAfterName,
    // After '=' and the blanks that follow it.
    kStepTagAfterEquals,
    kStepTagValue,
};

constexpr int kMaxDetectLines = 10;
// A character that is not valid UTF-8 is painted as U+FFFD.
constexpr std::string_view kReplacementGlyph = "\xEF\xBF\xBD";

bool IsBlank(char c)
{
    return c == ' ' || c == '\r' || c == '\n' || c == '\t';
}

bool IsLineEndChar(char c)
{
    return c == '\r' || c == '\n';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Bytes of the word character (ASCII letter, digit or '_', or a valid
// character beyond ASCII) at `at`; 0 for any other character.
size_t WordCharLength(std::string_view text, size_t at)
{
    if (at >= text.size())
        return 0;
    const char c = text[at];
    if (static_cast<unsigned char>(c) < 0x80)
        return IsAsciiLetter(c) || IsDigit(c) || c == '_' ? 1 : 0;
    size_t length;
    return DecodeUtf8(text, at, length) < kUtf8InvalidBase ? length : 0;
}

size_t SkipWordChars(std::string_view text, size_t at)
{
    while (const size_t length = WordCharLength(text, at))
        at += length;
    return at;
}

// True for an end string made of line-end characters only: such a block
// ends at the end of the line it started on, whatever its line end.
bool EndsAtLineEnd(std::string_view end)
{
    return !end.empty() && end.find_first_not_of("\r\n") == std::string_view::npos;
}
}

// The line being scanned, with the state that carries over to the next line.
struct CSyntaxColorizer::CScanLine
{
    CEditTextBuffer& buffer;
    int line;
    std::string_view text;
    CEditScanState& state;
    bool lastLine;

    size_t Length() const { return text.size(); }
    void OpenToken(size_t at)
    {
        state.m_pendingBack = 0;
        state.m_pendingIndex = static_cast<int32_t>(at);
    }
    void CloseToken() { state.m_pendingBack = -1; }
    bool HasToken() const { return state.m_pendingBack >= 0; }
};

CSyntaxColorizer::CSyntaxColorizer(int mode) : m_mode(mode)
{
    SetDelimiters(mode);
}

void CSyntaxColorizer::SetDelimiters(int mode)
{
    m_start = {};
    m_end = {};
    if (mode == 1)
    {
        m_start = {"<!--", "<script"};
        m_end = {"-->", "</script>"};
    }
    else if (mode == 3)
    {
        m_start = {"/*", "//", "//"};
        m_end = {"*/", "\r\n", "\n"};
    }
    m_delimiterFirst.fill(false);
    for (size_t i = 0; i < m_start.size(); ++i)
    {
        if (m_start[i].empty() || m_end[i].empty())
            continue;
        const char first = m_start[i][0];
        m_delimiterFirst[static_cast<unsigned char>(AsciiToUpper(first))] = true;
        m_delimiterFirst[static_cast<unsigned char>(AsciiToLower(first))] = true;
    }
}

bool CSyntaxColorizer::IsDelimiterChar(char c) const
{
    switch (m_mode)
    {
    case 1:
    case 2:
        return c == '\r' || c == '\n' || c == '<' || c == '>' || c == '-' || c == '!' || c == '\'' || c == '"';
    case 3:
        return c == '\r' || c == '\n' || c == '/' || c == '*' || c == '\'' || c == '"' || c == '\\';
    default:
        return false;
    }
}

int CSyntaxColorizer::GetTagKind(std::string_view tagName) const
{
    return m_mode == 1 && IsHtmlTagName(tagName) ? 5 : 7;
}

int CSyntaxColorizer::GetAttributeKind(std::string_view, std::string_view) const
{
    return 8;
}

int CSyntaxColorizer::GetValueKind(std::string_view, std::string_view, std::string_view) const
{
    return 9;
}

int CSyntaxColorizer::GetWordKind(std::string_view word) const
{
    return m_mode == 3 && IsKeyword(word, 3) ? 5 : 0;
}

void CSyntaxColorizer::AddRun(CEditTextBuffer& buffer, int kind, int startLine, int startIndex, int endLine,
                              int endIndex)
{
    const auto append = [&](int line, int start, int end) {
        if (CEditLine* at = buffer.GetLine(line); at && start < end)
            at->GetSpans().push_back({start, end - start, kind});
    };
    if (startLine == endLine)
    {
        append(startLine, startIndex, endIndex);
        return;
    }
    for (int line = startLine; line < endLine; ++line)
        if (const CEditLine* at = buffer.GetLine(line))
            append(line, line == startLine ? startIndex : 0, at->GetLength());
    append(endLine, 0, endIndex);
}

void CSyntaxColorizer::DetectMode(const CEditTextBuffer& buffer)
{
    int mode = 0;
    const int lines = std::min(buffer.GetLineCount(), kMaxDetectLines);
    for (int line = 0; line < lines; ++line)
    {
        const std::string_view text = buffer.GetLine(line)->GetText();
        for (size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at + 1))
        {
            if (StartsWithNoCase(text.substr(at), "<html"))
            {
                mode = 1;
                break;
            }
            if (StartsWithNoCase(text.substr(at), "<?xml"))
            {
                mode = 2;
                break;
            }
        }
    }
    m_mode = mode;
}

void CSyntaxColorizer::Invalidate()
{
    CEditColorizer::Invalidate();
    m_primed = false;
    m_forced = true;
}

bool CSyntaxColorizer::Colorize(CEditTextBuffer& buffer)
{
    ColorizeThrough(buffer, buffer.GetLineCount() - 1);
    return true;
}

void CSyntaxColorizer::ColorizeThrough(CEditTextBuffer& buffer, int lastLine)
{
    const unsigned stamp = buffer.GetChangeStamp();
    const int count = buffer.GetLineCount();
    // A buffer that was never edited (stamp 0) has nothing to colour yet; in
    // particular, detection waits for its text.
    if (stamp == m_lastStamp && !m_forced && (stamp == 0 || buffer.GetColorFrontier() > lastLine))
        return;
    if (m_mode == -1)
        DetectMode(buffer);
    if (m_mode == 0 || m_mode == 5)
        return;
    if (!m_primed)
    {
        // The lines may hold another colouriser's spans and states.
        buffer.MarkAllStale();
        m_primed = true;
    }
    m_forced = false;

    // A token open at the frontier's start began on an earlier line, whose
    // spans it wrote when it ended: rescan from the line it began on.
    int line = std::min(buffer.GetColorFrontier(), count);
    while (line > 0 && line < count && buffer.GetLine(line)->m_scanState.m_pendingBack > 0)
        line -= buffer.GetLine(line)->m_scanState.m_pendingBack;
    line = std::max(line, 0);

    CEditScanState state = line > 0 && line < count ? buffer.GetLine(line)->m_scanState : CEditScanState{};
    // Whether the state the current line starts in differs from the one it
    // was last coloured from.
    bool startChanged = false;
    for (; line < count; ++line)
    {
        CEditLine& current = *buffer.GetLine(line);
        CEditLine* next = buffer.GetLine(line + 1);
        // A token open across this line's start or end writes spans into
        // it when it ends on a later line, so such a line is always scanned.
        const bool open = state.m_pendingBack >= 0 || (next && next->m_scanState.m_pendingBack >= 0);
        if (!current.m_colorStale && !startChanged && !open)
        {
            // Unchanged text from an unchanged state: its spans stand, and
            // the next line's stored state is where this one ends.
            if (buffer.GetStaleLineCount() == 0)
            {
                line = count;
                break;
            }
            if (next)
                state = next->m_scanState;
        }
        else
        {
            current.m_scanState = state;
            current.GetSpans().clear();
            current.SetFlags(0);
            ScanLine(buffer, line, state, !next);
            buffer.MarkColored(line);
            if (next)
            {
                startChanged = !(next->m_scanState == state);
                next->m_scanState = state;
            }
        }
        if (line >= lastLine && state.m_pendingBack < 0)
        {
            // Stopping early: a next line that now starts differently is
            // coloured again when it is needed.
            if (next && startChanged)
                buffer.MarkStale(line + 1);
            ++line;
            break;
        }
    }
    buffer.SetColorFrontier(std::min(line, count));
    m_lastStamp = stamp;
}

int CSyntaxColorizer::MatchDelimiter(std::string_view text, size_t at) const
{
    if (!m_delimiterFirst[static_cast<unsigned char>(text[at])])
        return -1;
    for (size_t i = 0; i < m_start.size(); ++i)
        if (!m_start[i].empty() && !m_end[i].empty() && StartsWithNoCase(text.substr(at), m_start[i]))
            return static_cast<int>(i);
    return -1;
}

void CSyntaxColorizer::ScanLine(CEditTextBuffer& buffer, int line, CEditScanState& state, bool lastLine)
{
    CScanLine scan{buffer, line, buffer.GetLine(line)->GetText(), state, lastLine};
    if (m_mode == 4)
    {
        ScanLogLine(scan);
        return;
    }
    if (m_mode == 6)
    {
        ScanHeaderLine(scan);
        return;
    }
    const bool markup = m_mode == 1 || m_mode == 2;
    size_t at = 0;
    while (at < scan.Length())
    {
        switch (state.m_step)
        {
        case kStepBlock:
            at = ScanBlock(scan, at, at);
            break;
        case kStepString:
            at = ScanString(scan, at, at);
            break;
        case kStepPreprocessor:
            at = ScanPreprocessor(scan, at, at);
            break;
        default:
            at = markup ? ScanMarkup(scan, at) : ScanSource(scan, at);
            break;
        }
    }
    if (lastLine)
        FinishText(scan);
    else if (state.m_pendingBack >= 0)
        ++state.m_pendingBack;
}

size_t CSyntaxColorizer::ScanBlock(CScanLine& scan, size_t at, size_t blockStart)
{
    const std::string_view end = m_end[static_cast<size_t>(scan.state.m_pair)];
    size_t stop = scan.Length();
    bool closed = EndsAtLineEnd(end);
    if (!closed)
    {
        const size_t found = FindNoCase(scan.text, end, at);
        if (found != std::string_view::npos)
        {
            stop = found + end.size();
            closed = true;
        }
    }
    AddRun(scan.buffer, 1, scan.line, static_cast<int>(blockStart), scan.line, static_cast<int>(stop));
    if (closed)
        scan.state.m_step = kStepText;
    return stop;
}

size_t CSyntaxColorizer::ScanMarkup(CScanLine& scan, size_t at)
{
    CEditScanState& state = scan.state;
    const std::string_view text = scan.text;
    const size_t length = scan.Length();
    const auto skipBlanks = [&](size_t from) {
        while (from < length && IsBlank(text[from]))
            ++from;
        return from;
    };

    switch (state.m_step)
    {
    case kStepText:
    {
        while (at < length && text[at] != '<' && !m_delimiterFirst[static_cast<unsigned char>(text[at])])
            ++at;
        if (at >= length)
            return length;
        if (const int pair = MatchDelimiter(text, at); pair >= 0)
        {
            state.m_step = kStepBlock;
            state.m_pair = static_cast<int8_t>(pair);
            return ScanBlock(scan, at + m_start[static_cast<size_t>(pair)].size(), at);
        }
        if (text[at] != '<')
            return at + 1;
        AddRun(scan.buffer, 6, scan.line, static_cast<int>(at), scan.line, static_cast<int>(at + 1));
        ++at;
        if (at < length && text[at] == '/')
        {
            AddRun(scan.buffer, 6, scan.line, static_cast<int>(at), scan.line, static_cast<int>(at + 1));
            ++at;
        }
        size_t end = at;
        while (end < length && text[end] != '>' && !IsBlank(text[end]))
            ++end;
        state.m_tagName.assign(text.substr(at, end - at));
        state.m_attributeName.clear();
        if (end > at)
            AddRun(scan.buffer, GetTagKind(state.m_tagName), scan.line, static_cast<int>(at), scan.line,
                   static_cast<int>(end));
        state.m_step = kStepTagBlanks;
        scan.OpenToken(end);
        return end;
    }
    case kStepTagBlanks:
    {
        at = skipBlanks(at);
        if (at >= length)
            return length;
        const char c = text[at];
        if (c == '>')
        {
            AddPendingRun(scan, 6, at + 1);
            scan.CloseToken();
            state.m_step = kStepText;
            state.m_tagName.clear();
            state.m_attributeName.clear();
            return at + 1;
        }
        if (c == '\'' || c == '"')
        {
            AddPendingRun(scan, 6, at + 1);
            state.m_quote = c;
            state.m_attributeName.clear();
            state.m_step = kStepTagValue;
            scan.OpenToken(at + 1);
            return at + 1;
        }
        size_t end = at;
        while (end < length && text[end] != '=' && text[end] != '>' && !IsBlank(text[end]))
            ++end;
        state.m_attributeName.assign(text.substr(at, end - at));
        if (end > at)
        {
            AddPendingRun(scan, GetAttributeKind(state.m_tagName, state.m_attributeName), end);
            scan.OpenToken(end);
        }
        state.m_step = kStepTagAfterName;
        return end;
    }
    case kStepTagAfterName:
        at = skipBlanks(at);
        if (at >= length)
            return length;
        if (text[at] == '=')
        {
            state.m_step = kStepTagAfterEquals;
            return at + 1;
        }
        // An attribute without a value: the next one follows directly.
        state.m_step = kStepTagBlanks;
        return at;
    case kStepTagAfterEquals:
    {
        at = skipBlanks(at);
        if (at >= length)
            return length;
        AddPendingRun(scan, 6, at);
        const char c = text[at];
        if (c == '\'' || c == '"')
        {
            AddRun(scan.buffer, 6, scan.line, static_cast<int>(at), scan.line, static_cast<int>(at + 1));
            state.m_quote = c;
            state.m_step = kStepTagValue;
            scan.OpenToken(at + 1);
            return at + 1;
        }
        size_t end = at;
        while (end < length && text[end] != '>' && !IsBlank(text[end]))
            ++end;
        if (end > at)
            AddRun(scan.buffer, GetValueKind(state.m_tagName, state.m_attributeName, text.substr(at, end - at)),
                   scan.line, static_cast<int>(at), scan.line, static_cast<int>(end));
        state.m_step = kStepTagBlanks;
        scan.OpenToken(end);
        return end;
    }
    case kStepTagValue:
    {
        const size_t quote = text.find(state.m_quote, at);
        if (quote == std::string_view::npos)
            return length;
        const std::string value = PendingText(scan, quote);
        if (!value.empty())
            AddPendingRun(scan, GetValueKind(state.m_tagName, state.m_attributeName, value), quote);
        AddRun(scan.buffer, 6, scan.line, static_cast<int>(quote), scan.line, static_cast<int>(quote + 1));
        state.m_step = kStepTagBlanks;
        scan.OpenToken(quote + 1);
        return quote + 1;
    }
    default:
        return length;
    }
}

size_t CSyntaxColorizer::ScanSource(CScanLine& scan, size_t at)
{
    const std::string_view text = scan.text;
    const size_t length = scan.Length();
    const char c = text[at];
    const auto run = [&](int kind, size_t start, size_t end) {
        AddRun(scan.buffer, kind, scan.line, static_cast<int>(start), scan.line, static_cast<int>(end));
    };
    if (const int pair = MatchDelimiter(text, at); pair >= 0)
    {
        scan.state.m_step = kStepBlock;
        scan.state.m_pair = static_cast<int8_t>(pair);
        return ScanBlock(scan, at + m_start[static_cast<size_t>(pair)].size(), at);
    }
    if (c == '\'' || c == '"')
    {
        scan.state.m_step = kStepString;
        scan.state.m_quote = c;
        return ScanString(scan, at + 1, at);
    }
    if (c == '#' && m_mode == 3)
    {
        scan.state.m_step = kStepPreprocessor;
        return ScanPreprocessor(scan, at + 1, at);
    }
    if (c == '.' || IsDigit(c))
    {
        if (c == '.' && !(at + 1 < length && IsDigit(text[at + 1])))
            return at + 1;
        size_t end = at + 1;
        while (end < length)
        {
            const char n = text[end];
            if (const size_t word = WordCharLength(text, end))
                end += word;
            else if (n == '.' || (n == '-' && (text[end - 1] == 'e' || text[end - 1] == 'E')))
                ++end;
            else
                break;
        }
        run(2, at, end);
        return end;
    }
    if ((WordCharLength(text, at) > 0 && !IsDigit(c)) || (c == '#' && m_mode != 3))
    {
        const size_t end = SkipWordChars(text, at + std::max<size_t>(WordCharLength(text, at), 1));
        run(GetWordKind(text.substr(at, end - at)), at, end);
        return end;
    }
    return at + 1;
}

size_t CSyntaxColorizer::ScanString(CScanLine& scan, size_t at, size_t start)
{
    const std::string_view text = scan.text;
    const size_t length = scan.Length();
    bool continues = false;
    size_t end = length;
    while (at < length)
    {
        const char c = text[at];
        if (c == '\\' && m_mode == 3)
        {
            if (at + 1 < length && IsLineEndChar(text[at + 1]))
            {
                // A backslash before the line end carries the string on.
                continues = true;
                break;
            }
            at += 2;
            continue;
        }
        if (c == scan.state.m_quote)
        {
            end = at + 1;
            break;
        }
        if (IsLineEndChar(c))
            break;
        ++at;
    }
    end = std::min(end, length);
    AddRun(scan.buffer, 9, scan.line, static_cast<int>(start), scan.line, static_cast<int>(end));
    if (!continues)
        scan.state.m_step = kStepText;
    return end;
}

size_t CSyntaxColorizer::ScanPreprocessor(CScanLine& scan, size_t at, size_t start)
{
    const std::string_view text = scan.text;
    const size_t length = scan.Length();
    bool continues = false;
    while (at < length)
    {
        const char c = text[at];
        if (c == '\\' && at + 1 < length)
        {
            if (IsLineEndChar(text[at + 1]))
            {
                continues = true;
                break;
            }
            at += 2;
            continue;
        }
        if (IsLineEndChar(c))
            break;
        ++at;
    }
    AddRun(scan.buffer, 3, scan.line, static_cast<int>(start), scan.line, static_cast<int>(length));
    if (!continues)
        scan.state.m_step = kStepText;
    return length;
}

void CSyntaxColorizer::ScanLogLine(CScanLine& scan)
{
    CEditScanState& state = scan.state;
    for (size_t at = 0; at < scan.Length();)
    {
        const char c = scan.text[at];
        const size_t next = at + std::max<size_t>(Utf8CharLength(scan.text, at), 1);
        int kind;
        if (state.m_colour == 0)
        {
            if (c == '\t' || c == '<' || c == '>' || c == 'D')
                state.m_colour = 14;
            else if (c == 'C')
                state.m_colour = 13;
            else if (c == 'E')
                state.m_colour = 12;
            else if (c == 'S')
                state.m_colour = 11;
            state.m_quote = 0;
            kind = state.m_colour;
        }
        else if (state.m_quote == '"')
        {
            kind = 16;
            if (c == '"')
                state.m_quote = 0;
        }
        else if (state.m_quote == '[')
        {
            kind = 15;
            if (c == ']')
                state.m_quote = 0;
        }
        else if (c == '"' || c == '[')
        {
            state.m_quote = c;
            kind = c == '"' ? 16 : 15;
        }
        else
        {
            kind = state.m_colour;
        }
        AddRun(scan.buffer, kind, scan.line, static_cast<int>(at), scan.line, static_cast<int>(next));
        if (c == '\n')
            state.m_colour = 0;
        at = next;
    }
}

void CSyntaxColorizer::ScanHeaderLine(CScanLine& scan)
{
    CEditScanState& state = scan.state;
    for (size_t at = 0; at < scan.Length();)
    {
        const char c = scan.text[at];
        const size_t next = at + std::max<size_t>(Utf8CharLength(scan.text, at), 1);
        if (state.m_colour == 0)
            state.m_colour = 11;
        AddRun(scan.buffer, state.m_colour, scan.line, static_cast<int>(at), scan.line, static_cast<int>(next));
        if (c == ':' && state.m_colour == 11)
            state.m_colour = 14;
        if (c == '\n')
            state.m_colour = 0;
        at = next;
    }
}

void CSyntaxColorizer::AddPendingRun(CScanLine& scan, int kind, size_t end)
{
    if (!scan.HasToken())
        return;
    AddRun(scan.buffer, kind, scan.line - scan.state.m_pendingBack, scan.state.m_pendingIndex, scan.line,
           static_cast<int>(end));
}

std::string CSyntaxColorizer::PendingText(CScanLine& scan, size_t end) const
{
    std::string text;
    const int first = scan.line - scan.state.m_pendingBack;
    for (int line = first; line < scan.line; ++line)
        if (const CEditLine* at = scan.buffer.GetLine(line))
            text.append(at->GetText(), line == first ? static_cast<size_t>(scan.state.m_pendingIndex) : 0);
    const size_t from = scan.state.m_pendingBack == 0 ? static_cast<size_t>(scan.state.m_pendingIndex) : 0;
    text.append(scan.text.substr(from, end - std::min(end, from)));
    return text;
}

void CSyntaxColorizer::FinishText(CScanLine& scan)
{
    CEditScanState& state = scan.state;
    if (scan.HasToken())
    {
        const size_t end = scan.Length();
        if (state.m_step == kStepTagValue)
        {
            const std::string value = PendingText(scan, end);
            if (!value.empty())
                AddPendingRun(scan, GetValueKind(state.m_tagName, state.m_attributeName, value), end);
        }
        else
        {
            AddPendingRun(scan, 6, end);
        }
    }
    // The end of the text closes whatever was open; the next pass over a
    // longer text starts this line again.
    state = CEditScanState{};
}

bool CSyntaxColorizer::PaintLines(CEditTextBuffer& buffer, CEditLinePainter& painter, int firstLine, int lastLine,
                                  int firstColumn, int lastColumn)
{
    lastLine = std::min(lastLine, buffer.GetLineCount() - 1);
    firstLine = std::max(firstLine, 0);
    if (m_recolor)
        ColorizeThrough(buffer, lastLine);
    painter.BeginPaint();
    for (int line = firstLine; line <= lastLine; ++line)
        PaintLine(buffer, painter, line, firstColumn, lastColumn);
    painter.EndPaint();
    return true;
}

void CSyntaxColorizer::PaintLine(CEditTextBuffer& buffer, CEditLinePainter& painter, int line, int firstColumn,
                                 int lastColumn)
{
    const CEditLine& current = *buffer.GetLine(line);
    int selectionStart = 0;
    int selected = 0;
    int after = 0;
    painter.GetLineSelection(selectionStart, selected, after, line, buffer.GetWidestWidth() + 10);
    painter.BeginLine(line);
    const auto isSelected = [&](int column) { return column >= selectionStart && column < selectionStart + selected; };

    const std::string_view text = current.GetText();
    const std::vector<CEditColorSpan>& spans = current.GetSpans();
    const int tabSize = buffer.GetTabSize();
    const bool plain = m_mode == 0;
    size_t span = 0;
    int column = 0;
    size_t at = 0;
    while (at < text.size() && column <= lastColumn)
    {
        const char c = text[at];
        if (c == '\r' || c == '\n' || c == '\0')
            break;
        int kind = 0;
        if (!plain)
        {
            while (span < spans.size() && spans[span].m_start + spans[span].m_length <= static_cast<int>(at))
                ++span;
            if (span < spans.size() && spans[span].m_start <= static_cast<int>(at))
                kind = spans[span].m_color;
        }
        size_t length;
        const uint32_t code = DecodeUtf8(text, at, length);
        if (c == '\t')
        {
            const int next = column + tabSize - column % tabSize;
            for (; column < next; ++column)
                if (column >= firstColumn && column <= lastColumn)
                    painter.AddChar(" ", kind, isSelected(column), column);
        }
        else
        {
            if (column >= firstColumn)
                painter.AddChar(code >= kUtf8InvalidBase ? kReplacementGlyph : text.substr(at, length), kind,
                                isSelected(column), column);
            ++column;
        }
        at += length;
    }
    if (column >= firstColumn && column <= lastColumn && current.GetTextEnd() < current.GetLength())
        painter.AddChar(" ", 0, isSelected(column), column);
    painter.PaintLine(line);
}
