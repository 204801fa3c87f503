#include "editor/EditTextBuffer.h"

#include "editor/EditColorScheme.h"
#include "editor/EditColorizer.h"
#include "editor/EditDisplayList.h"
#include "editor/SyntaxColorizer.h"
#include "foundation/text/Utf8.h"
#include "platform/core/Archive.h"
#include "platform/core/Text.h"
#include "platform/core/TickCount.h"

#include <algorithm>
#include <cstring>

namespace
{
bool IsBreakChar(char c)
{
    return c == '\r' || c == '\n';
}

// Length of the break at `at` ("\r\n" is one break), 0 when none starts there.
size_t BreakLength(std::string_view text, size_t at)
{
    if (at >= text.size() || !IsBreakChar(text[at]))
        return 0;
    return text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
}

// The first CR or LF at or after `from`; the text's size when none. Two
// memchr scans are much faster than a scan for either byte over a file.
size_t FindBreak(std::string_view text, size_t from)
{
    if (from >= text.size())
        return text.size();
    const char* start = text.data() + from;
    size_t span = text.size() - from;
    if (const void* lf = std::memchr(start, '\n', span))
        span = static_cast<size_t>(static_cast<const char*>(lf) - start);
    if (const void* cr = std::memchr(start, '\r', span))
        span = static_cast<size_t>(static_cast<const char*>(cr) - start);
    return from + span;
}

// The kind of the first line end in text, 0 when it has none.
int FirstBreakKind(std::string_view text)
{
    const size_t at = FindBreak(text, 0);
    if (at == text.size())
        return 0;
    if (BreakLength(text, at) == 2)
        return kLineEndCrLf;
    return text[at] == '\r' ? kLineEndCr : kLineEndLf;
}

// A typed edit is exactly one character other than CR and LF.
bool IsTypedChar(std::string_view text)
{
    return !text.empty() && !IsBreakChar(text[0]) && Utf8CharLength(text, 0) == text.size();
}
}

CEditTextBuffer::CEditTextBuffer()
{
    AppendLine("");
}

CEditTextBuffer::~CEditTextBuffer()
{
    Clear();
}

CEditLine* CEditTextBuffer::GetLine(int line)
{
    return line >= 0 && line < GetLineCount() ? m_lines[static_cast<size_t>(line)].get() : nullptr;
}

const CEditLine* CEditTextBuffer::GetLine(int line) const
{
    return line >= 0 && line < GetLineCount() ? m_lines[static_cast<size_t>(line)].get() : nullptr;
}

void CEditTextBuffer::ClampPosition(int& line, int& index, bool rangeEnd) const
{
    if (m_lines.empty())
    {
        line = 0;
        index = 0;
        return;
    }
    line = std::clamp(line, 0, GetLineCount() - 1);
    const CEditLine& at = *GetLine(line);
    // No position lies inside a line end: the end of a range beyond the text
    // end takes the whole line end, any other position stops before it.
    if (rangeEnd && index > at.GetTextEnd())
        index = at.GetLength();
    else
        index = at.CharStart(std::clamp(index, 0, at.GetTextEnd()));
}

void CEditTextBuffer::OrderRange(int& startLine, int& startIndex, int& endLine, int& endIndex) const
{
    if (m_lines.empty())
        return;
    startLine = std::clamp(startLine, 0, GetLineCount() - 1);
    endLine = std::clamp(endLine, 0, GetLineCount() - 1);
    if (endLine < startLine || (endLine == startLine && endIndex < startIndex))
    {
        std::swap(startLine, endLine);
        std::swap(startIndex, endIndex);
    }
    const bool empty = startLine == endLine && startIndex == endIndex;
    ClampPosition(startLine, startIndex, false);
    if (empty)
    {
        // An empty range stays empty wherever it is moved to.
        endIndex = startIndex;
        return;
    }
    ClampPosition(endLine, endIndex, true);
}

void CEditTextBuffer::Touch()
{
    m_changeStamp = NextChangeStamp(m_changeStamp);
}

void CEditTextBuffer::Forget(const CEditLine& line)
{
    m_lengths.Remove(line.GetLength());
    m_widths.Remove(line.GetWidth());
    m_totalLength -= line.GetLength();
}

void CEditTextBuffer::Count(const CEditLine& line)
{
    m_lengths.Add(line.GetLength());
    m_widths.Add(line.GetWidth());
    m_totalLength += line.GetLength();
}

void CEditTextBuffer::MarkStale(int line)
{
    CEditLine* edited = GetLine(line);
    if (!edited)
        return;
    if (!edited->m_colorStale)
    {
        edited->m_colorStale = true;
        ++m_staleLines;
    }
    m_colorFrontier = std::min(m_colorFrontier, line);
}

void CEditTextBuffer::MarkColored(int line)
{
    CEditLine* colored = GetLine(line);
    if (colored && colored->m_colorStale)
    {
        colored->m_colorStale = false;
        --m_staleLines;
    }
}

void CEditTextBuffer::MarkAllStale()
{
    for (auto& line : m_lines)
        line->m_colorStale = true;
    m_staleLines = GetLineCount();
    m_colorFrontier = 0;
}

std::unique_ptr<CEditLine> CEditTextBuffer::MakeLine(std::string_view text, int lineEndKind)
{
    return std::make_unique<CEditLine>(text, m_tabSize, lineEndKind);
}

void CEditTextBuffer::InsertLineObjects(int at, std::vector<std::unique_ptr<CEditLine>>& lines)
{
    // Every line but the last ends in a line end, or saving would join it
    // with the next one: the line before the new ones and each new line that
    // gets a successor take the buffer's kind when they have none.
    const auto giveLineEnd = [&](CEditLine& line, bool counted) {
        if (line.GetTextEnd() != line.GetLength())
            return;
        if (counted)
            Forget(line);
        line.AppendChars(LineEndText(m_lineEndKind), m_tabSize);
        if (counted)
            Count(line);
    };
    if (CEditLine* before = GetLine(at - 1))
        giveLineEnd(*before, true);
    for (size_t i = 0; i < lines.size(); ++i)
        if (at < GetLineCount() || i + 1 < lines.size())
            giveLineEnd(*lines[i], false);
    for (const auto& line : lines)
    {
        Count(*line);
        // New lines are born stale.
        ++m_staleLines;
    }
    m_lines.insert(m_lines.begin() + at, std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
    m_colorFrontier = std::min(m_colorFrontier, at);
    // The line before new lines hands them their starting colour state.
    MarkStale(at - 1);
}

void CEditTextBuffer::RemoveLineObjects(int first, int count)
{
    for (int i = first; i < first + count; ++i)
    {
        const CEditLine& line = *m_lines[static_cast<size_t>(i)];
        Forget(line);
        if (line.m_colorStale)
            --m_staleLines;
    }
    m_lines.erase(m_lines.begin() + first, m_lines.begin() + first + count);
    m_colorFrontier = std::min(m_colorFrontier, first);
    MarkStale(first - 1);
    MarkStale(first);
}

bool CEditTextBuffer::IsSignificant(char c) const
{
    return m_colorizer && m_colorizer->IsDelimiterChar(c);
}

std::string CEditTextBuffer::ConvertBreaks(std::string_view text) const
{
    if (FindBreak(text, 0) == text.size())
        return std::string(text);
    const std::string_view lineEnd = LineEndText(m_lineEndKind);
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    bool first = true;
    for (size_t from = 0;;)
    {
        const size_t next = FindBreak(text, from);
        out.append(text.substr(from, next - from));
        if (next == text.size())
            break;
        const size_t length = BreakLength(text, next);
        // A lone CR typed or pasted before a line's LF would read back as
        // one CR LF, and the lines would no longer match the text; so only
        // a buffer of CR line ends keeps one as written.
        const bool loneCr = length == 1 && text[next] == '\r' && m_lineEndKind != kLineEndCr;
        if (first && !loneCr)
            out.append(text.substr(next, length));
        else
            out.append(lineEnd);
        first = false;
        from = next + length;
    }
    return out;
}

int CEditTextBuffer::InsertText(int& line, int& index, std::string_view text, bool recalcExtents)
{
    const std::string converted = ConvertBreaks(text);
    const int result = InsertTextAt(line, index, converted, true);
    if (recalcExtents)
        RecalcExtents();
    return result;
}

int CEditTextBuffer::InsertTextAt(int& line, int& index, std::string_view text, bool keepLineEnds)
{
    if (text.empty())
        return 0;
    if (m_lines.empty())
        AppendLine("");
    ClampPosition(line, index, false);
    CEditLine& start = *GetLine(line);
    const int lineEndKind = keepLineEnds ? -1 : m_lineEndKind;

    size_t at = FindBreak(text, 0);
    if (at == text.size())
    {
        bool significant = std::any_of(text.begin(), text.end(), [&](char c) { return IsSignificant(c); });
        const std::string& old = start.GetText();
        if (index > 0 && IsSignificant(old[static_cast<size_t>(index - 1)]))
            significant = true;
        if (index + 1 < start.GetLength() && IsSignificant(old[static_cast<size_t>(index + 1)]))
            significant = true;
        Forget(start);
        start.InsertChars(text, index, m_tabSize);
        Count(start);
        MarkStale(line);
        index += static_cast<int>(text.size());
        return significant ? -1 : 0;
    }

    // Cut the start line at the index; its tail follows the last new line.
    const std::string tail = start.GetText().substr(static_cast<size_t>(index));
    Forget(start);
    start.DeleteChars(index, start.GetLength(), m_tabSize);
    at += BreakLength(text, at);
    start.AppendChars(text.substr(0, at), m_tabSize);
    Count(start);
    MarkStale(line);

    std::vector<std::unique_ptr<CEditLine>> added;
    while (true)
    {
        const size_t next = FindBreak(text, at);
        if (next == text.size())
        {
            std::string last(text.substr(at));
            index = static_cast<int>(last.size());
            last += tail;
            added.push_back(MakeLine(last, -1));
            break;
        }
        const size_t end = next + BreakLength(text, next);
        added.push_back(MakeLine(text.substr(at, end - at), lineEndKind));
        at = end;
    }
    const int breaks = static_cast<int>(added.size());
    InsertLineObjects(line + 1, added);
    line += breaks;
    return -1;
}

int CEditTextBuffer::DeleteRange(int startLine, int startIndex, int endLine, int endIndex, bool recalcExtents,
                                 std::string* deleted)
{
    if (deleted)
        deleted->clear();
    if (m_lines.empty())
        return 0;
    OrderRange(startLine, startIndex, endLine, endIndex);

    // Taking a line end joins the next line, so no line but the last is
    // left without one.
    if (endIndex > GetLine(endLine)->GetTextEnd() && endLine + 1 < GetLineCount())
    {
        ++endLine;
        endIndex = 0;
    }
    int result = 0;
    CEditLine& first = *GetLine(startLine);
    if (startLine == endLine)
    {
        if (startIndex == endIndex)
            return 0;
        const int end = endIndex > first.GetTextEnd() ? first.GetLength() : endIndex;
        const std::string& text = first.GetText();
        if (deleted)
            deleted->assign(text, static_cast<size_t>(startIndex), static_cast<size_t>(end - startIndex));
        const bool hadLineEnd = first.GetTextEnd() < first.GetLength();
        if (startIndex == 0 && end == first.GetLength() && hadLineEnd)
            result = -1;
        for (int i = startIndex; i <= end && i < first.GetLength(); ++i)
            if (IsSignificant(text[static_cast<size_t>(i)]))
                result = -1;
        Forget(first);
        first.DeleteChars(startIndex, end, m_tabSize);
        Count(first);
        MarkStale(startLine);
    }
    else
    {
        CEditLine& last = *GetLine(endLine);
        if (deleted)
        {
            deleted->assign(first.GetText(), static_cast<size_t>(startIndex));
            for (int i = startLine + 1; i < endLine; ++i)
                deleted->append(GetLine(i)->GetText());
            deleted->append(last.GetText(), 0, static_cast<size_t>(endIndex));
        }
        const std::string rest = last.GetText().substr(static_cast<size_t>(endIndex));
        Forget(first);
        first.DeleteChars(startIndex, first.GetLength(), m_tabSize);
        first.InsertChars(rest, first.GetLength(), m_tabSize);
        Count(first);
        MarkStale(startLine);
        RemoveLineObjects(startLine + 1, endLine - startLine);
        result = -1;
    }
    if (first.GetLength() == 0 && startLine < GetLineCount() - 1)
    {
        RemoveLineObjects(startLine, 1);
        result = -1;
    }
    if (recalcExtents)
        RecalcExtents();
    return result;
}

void CEditTextBuffer::InsertLine(std::string_view text, int index)
{
    index = std::clamp(index, 0, GetLineCount());
    if (index == GetLineCount())
    {
        AppendLine(text);
        return;
    }
    std::vector<std::unique_ptr<CEditLine>> added;
    added.push_back(MakeLine(text, m_lineEndKind));
    InsertLineObjects(index, added);
}

void CEditTextBuffer::AppendLine(std::string_view text)
{
    CEditLine* last = GetLine(GetLineCount() - 1);
    if (!text.empty() && last && last->GetTextEnd() == last->GetLength())
    {
        Forget(*last);
        last->AppendChars(text, m_tabSize);
        Count(*last);
        MarkStale(GetLineCount() - 1);
        return;
    }
    std::vector<std::unique_ptr<CEditLine>> added;
    added.push_back(MakeLine(text, m_lineEndKind));
    InsertLineObjects(GetLineCount(), added);
}

void CEditTextBuffer::SetText(std::string_view text)
{
    if (const int kind = FirstBreakKind(text))
        m_lineEndKind = kind;
    if (m_lines.empty())
        AppendLine("");
    int endLine = GetLineCount() - 1;
    int endIndex = GetLine(endLine)->GetLength();
    ReplaceText(0, 0, endLine, endIndex, text, true);
}

void CEditTextBuffer::AppendText(std::string_view text)
{
    if (m_lines.empty())
        AppendLine("");
    const int line = GetLineCount() - 1;
    int endLine = line;
    int endIndex = GetLine(line)->GetTextEnd();
    Replace(line, endIndex, endLine, endIndex, text);
}

void CEditTextBuffer::Clear()
{
    m_lines.clear();
    m_lines.shrink_to_fit();
    m_undo.clear();
    m_undo.shrink_to_fit();
    m_undoPosition = 0;
    if (m_savePoint > 0)
        m_savePoint = -1;
    m_lengths.Clear();
    m_widths.Clear();
    m_totalLength = 0;
    m_colorFrontier = 0;
    m_staleLines = 0;
}

int CEditTextBuffer::Replace(int startLine, int startIndex, int& endLine, int& endIndex, std::string_view text)
{
    const std::string converted = ConvertBreaks(text);
    return ReplaceText(startLine, startIndex, endLine, endIndex, converted, false);
}

int CEditTextBuffer::ReplaceText(int startLine, int startIndex, int& endLine, int& endIndex, std::string_view text,
                                 bool keepLineEnds)
{
    if (m_lines.empty())
        AppendLine("");
    OrderRange(startLine, startIndex, endLine, endIndex);

    const bool typed = IsTypedChar(text);
    const int typedClass = typed ? GetCharClass(text, 0) : -1;
    CEditUndoRecord* record = nullptr;
    bool merged = false;
    if (m_undoEnabled)
    {
        const int count = static_cast<int>(m_undo.size());
        CEditUndoRecord* last = count > 0 ? m_undo.back().get() : nullptr;
        if (typed && m_undoPosition > 0 && m_undoPosition == count && m_undoPosition != m_savePoint &&
            startLine == endLine && startIndex == endIndex && last->m_startLine == startLine &&
            last->m_newEndLine == startLine && last->m_newEndIndex == startIndex && typedClass == m_lastCharClass)
        {
            record = last;
            record->m_newText.append(text);
            merged = true;
        }
        else
        {
            m_undo.resize(static_cast<size_t>(m_undoPosition));
            if (m_undoPosition < m_savePoint)
                m_savePoint = -1;
            m_undo.push_back(std::make_unique<CEditUndoRecord>());
            m_undoPosition = static_cast<int>(m_undo.size());
            record = m_undo.back().get();
            record->m_newText = text;
            record->m_startLine = startLine;
            record->m_startIndex = startIndex;
            record->m_oldEndLine = endLine;
            record->m_oldEndIndex = endIndex;
        }
    }
    else
    {
        ClearUndo();
    }
    m_lastCharClass = typedClass;

    std::string removed;
    const int deleteHint = DeleteRange(startLine, startIndex, endLine, endIndex, false, &removed);
    if (record && !merged)
        record->m_oldText = std::move(removed);
    endLine = startLine;
    endIndex = startIndex;
    const int insertHint = InsertTextAt(endLine, endIndex, text, keepLineEnds);
    if (record)
    {
        record->m_newEndLine = endLine;
        record->m_newEndIndex = endIndex;
    }
    Touch();
    return deleteHint != 0 || insertHint != 0 ? -1 : 0;
}

void CEditTextBuffer::SelectionAt(CEditSelection& selection, int line, int index) const
{
    const CEditLine* at = GetLine(line);
    const int column = at ? at->IndexToColumn(m_tabSize, index) : 0;
    selection = {line, line, column, column};
}

int CEditTextBuffer::ReplaceSelection(CEditSelection& selection, std::string_view text)
{
    if (m_lines.empty())
        AppendLine("");
    int firstLine, lastLine, firstColumn, lastColumn;
    NormalizeSelection(selection, firstLine, lastLine, firstColumn, lastColumn);
    const int startIndex = GetLine(firstLine)->ColumnToIndex(m_tabSize, firstColumn);
    int endLine = lastLine;
    int endIndex = GetLine(lastLine)->ColumnToIndex(m_tabSize, lastColumn);
    const int result = Replace(firstLine, startIndex, endLine, endIndex, text);
    SelectionAt(selection, endLine, endIndex);
    return result;
}

bool CEditTextBuffer::Undo(CEditSelection& selection)
{
    if (!m_undoEnabled || m_undoPosition <= 0)
        return false;
    const CEditUndoRecord& record = *m_undo[static_cast<size_t>(m_undoPosition - 1)];
    DeleteRange(record.m_startLine, record.m_startIndex, record.m_newEndLine, record.m_newEndIndex, false);
    int line = record.m_startLine;
    int index = record.m_startIndex;
    InsertTextAt(line, index, record.m_oldText, true);
    SelectionAt(selection, line, index);
    --m_undoPosition;
    m_lastCharClass = -1;
    Touch();
    return true;
}

bool CEditTextBuffer::Redo(CEditSelection& selection)
{
    if (!m_undoEnabled || m_undoPosition >= static_cast<int>(m_undo.size()))
        return false;
    const CEditUndoRecord& record = *m_undo[static_cast<size_t>(m_undoPosition)];
    DeleteRange(record.m_startLine, record.m_startIndex, record.m_oldEndLine, record.m_oldEndIndex, false);
    int line = record.m_startLine;
    int index = record.m_startIndex;
    InsertTextAt(line, index, record.m_newText, true);
    SelectionAt(selection, line, index);
    ++m_undoPosition;
    m_lastCharClass = -1;
    Touch();
    return true;
}

void CEditTextBuffer::ClearUndo()
{
    m_undo.clear();
    m_undoPosition = 0;
    if (m_savePoint > 0)
        m_savePoint = -1;
}

void CEditTextBuffer::EnableUndo(bool on)
{
    m_undoEnabled = on;
    ClearUndo();
}

void CEditTextBuffer::SetSavePoint()
{
    m_savePoint = m_undoPosition;
    m_savedStamp = m_changeStamp;
}

bool CEditTextBuffer::IsModified() const
{
    return m_undoEnabled ? m_undoPosition != m_savePoint : m_changeStamp != m_savedStamp;
}

const CEditUndoRecord* CEditTextBuffer::GetUndoRecord(int index) const
{
    return index >= 0 && index < static_cast<int>(m_undo.size()) ? m_undo[static_cast<size_t>(index)].get() : nullptr;
}

void CEditTextBuffer::NormalizeSelection(const CEditSelection& selection, int& firstLine, int& lastLine,
                                         int& firstColumn, int& lastColumn) const
{
    firstLine = lastLine = firstColumn = lastColumn = 0;
    if (m_lines.empty())
        return;
    const int top = GetLineCount() - 1;
    int aLine = std::clamp(selection.m_anchorLine, 0, top);
    int cLine = std::clamp(selection.m_caretLine, 0, top);
    int aColumn = std::clamp(selection.m_anchorColumn, 0, GetLine(aLine)->GetWidth());
    int cColumn = std::clamp(selection.m_caretColumn, 0, GetLine(cLine)->GetWidth());
    if (cLine < aLine || (cLine == aLine && cColumn < aColumn))
    {
        std::swap(aLine, cLine);
        std::swap(aColumn, cColumn);
    }
    firstLine = aLine;
    lastLine = cLine;
    firstColumn = aColumn;
    lastColumn = cColumn;
}

void CEditTextBuffer::GetRangeText(int64_t& startOffset, int64_t& endOffset, const CEditSelection& selection,
                                   std::string* text) const
{
    startOffset = endOffset = 0;
    if (text)
        text->clear();
    if (m_lines.empty())
        return;
    int firstLine, lastLine, firstColumn, lastColumn;
    NormalizeSelection(selection, firstLine, lastLine, firstColumn, lastColumn);
    const CEditLine& first = *GetLine(firstLine);
    const CEditLine& last = *GetLine(lastLine);
    const int startIndex = first.ColumnToIndex(m_tabSize, firstColumn);
    const int endIndex = last.ColumnToIndex(m_tabSize, lastColumn);
    for (int i = 0; i < firstLine; ++i)
        startOffset += GetLine(i)->GetLength();
    startOffset += startIndex;
    int64_t count;
    if (firstLine == lastLine)
    {
        count = endIndex - startIndex;
        if (text)
            text->assign(first.GetText(), static_cast<size_t>(startIndex), static_cast<size_t>(count));
    }
    else
    {
        count = first.GetLength() - startIndex;
        for (int i = firstLine + 1; i < lastLine; ++i)
            count += GetLine(i)->GetLength();
        count += endIndex;
        if (text)
        {
            text->reserve(static_cast<size_t>(count));
            text->assign(first.GetText(), static_cast<size_t>(startIndex));
            for (int i = firstLine + 1; i < lastLine; ++i)
                text->append(GetLine(i)->GetText());
            text->append(last.GetText(), 0, static_cast<size_t>(endIndex));
        }
    }
    endOffset = startOffset + count;
}

void CEditTextBuffer::OffsetToPosition(int64_t offset, int& line, int& index) const
{
    line = index = 0;
    if (m_lines.empty())
        return;
    offset = std::clamp<int64_t>(offset, 0, m_totalLength);
    for (line = 0; line < GetLineCount() - 1; ++line)
    {
        const int length = GetLine(line)->GetLength();
        if (offset < length)
            break;
        offset -= length;
    }
    const CEditLine& at = *GetLine(line);
    index = at.CharStart(std::min<int>(static_cast<int>(offset), at.GetTextEnd()));
}

bool CEditTextBuffer::GetWordAt(int line, int& index, int& end, std::string* word) const
{
    const CEditLine* at = GetLine(line);
    if (!at || !at->GetWordAt(index, index, end, word))
    {
        index = end = 0;
        if (word)
            word->clear();
        return false;
    }
    return true;
}

bool CEditTextBuffer::MoveWord(int line, int index, int& newLine, int& newIndex, bool forward) const
{
    const CEditLine* at = GetLine(line);
    if (!at)
        return false;
    int moved;
    if (at->MoveWord(index, moved, forward))
    {
        newLine = line;
        newIndex = moved;
        return true;
    }
    if (forward)
    {
        if (line + 1 >= GetLineCount())
            return false;
        newLine = line + 1;
        newIndex = 0;
        return true;
    }
    if (line == 0)
        return false;
    newLine = line - 1;
    newIndex = GetLine(newLine)->GetTextEnd();
    return true;
}

bool CEditTextBuffer::FindText(CEditSelection& selection, std::string_view pattern, bool matchCase) const
{
    int firstLine, lastLine, firstColumn, lastColumn;
    NormalizeSelection(selection, firstLine, lastLine, firstColumn, lastColumn);
    for (int line = lastLine; line < GetLineCount() && !pattern.empty(); ++line)
    {
        const CEditLine& at = *GetLine(line);
        int start = 0;
        int end = -1;
        if (line == lastLine && firstLine == lastLine)
        {
            start = at.ColumnToIndex(m_tabSize, firstColumn);
            end = at.ColumnToIndex(m_tabSize, lastColumn);
        }
        if (at.FindInLine(start, end, pattern, matchCase))
        {
            selection = {line, line, at.IndexToColumn(m_tabSize, start), at.IndexToColumn(m_tabSize, end)};
            return true;
        }
    }
    selection = {};
    return false;
}

void CEditTextBuffer::RecalcExtents()
{
    m_lengths.Clear();
    m_widths.Clear();
    for (const auto& line : m_lines)
    {
        m_lengths.Add(line->GetLength());
        m_widths.Add(line->GetWidth());
    }
}

void CEditTextBuffer::SetTabSize(int size)
{
    if (size <= 0)
        size = 4;
    size = std::min(size, 100);
    if (size == m_tabSize)
        return;
    m_tabSize = size;
    for (auto& line : m_lines)
        line->RecalcWidth(m_tabSize);
    RecalcExtents();
}

void CEditTextBuffer::SetColorizer(std::unique_ptr<CEditColorizer> colorizer)
{
    m_ownedColorizer = std::move(colorizer);
    m_colorizer = m_ownedColorizer.get();
}

void CEditTextBuffer::SetColorizer(CEditColorizer* colorizer)
{
    m_ownedColorizer.reset();
    m_colorizer = colorizer;
}

void CEditTextBuffer::Serialize(CArchive& archive)
{
    if (archive.IsStoring())
    {
        for (const auto& line : m_lines)
            line->Write(archive);
        return;
    }
    Clear();
    std::string text(archive.Remaining(), '\0');
    if (!archive.Read(text.data(), text.size()))
        text.clear();
    std::replace(text.begin(), text.end(), '\0', '?');
    const bool undo = m_undoEnabled;
    m_undoEnabled = false;
    SetText(text);
    m_undoEnabled = undo;
}

void CEditTextBuffer::Colorize(CEditDisplayList& list, CEditColorScheme& scheme, int firstLine, int lastLine,
                               bool recolor)
{
    firstLine = std::max(firstLine, scheme.m_topLine);
    if (lastLine <= 0)
        lastLine = GetLineCount() - 1;
    lastLine = std::min({lastLine, scheme.m_topLine + scheme.m_visibleRows - 1, GetLineCount() - 1});
    m_paintScheme = &scheme;
    m_paintList = &list;
    m_paintRow = firstLine - scheme.m_topLine;
    const int firstColumn = scheme.m_firstColumn;
    const int lastColumn = scheme.m_firstColumn + scheme.m_visibleColumns;
    bool painted = false;
    if (m_colorizer)
    {
        m_colorizer->SetRecolor(recolor);
        painted = m_colorizer->PaintLines(*this, *this, firstLine, lastLine, firstColumn, lastColumn);
    }
    if (!painted)
    {
        CSyntaxColorizer plain(0);
        plain.PaintLines(*this, *this, firstLine, lastLine, firstColumn, lastColumn);
    }
    m_paintScheme = nullptr;
    m_paintList = nullptr;
    m_paintLine = -1;
    m_paintRuns.clear();
    m_paintRunBytes.clear();
    m_paintText.clear();
}

void CEditTextBuffer::BeginPaint()
{
    // The display list carries colours per item, so there is no device
    // state to set and restore.
}

void CEditTextBuffer::OrderedSelection(int& firstLine, int& firstColumn, int& lastLine, int& lastColumn) const
{
    const CEditSelection& selection = m_paintScheme->m_selection;
    firstLine = selection.m_anchorLine;
    firstColumn = selection.m_anchorColumn;
    lastLine = selection.m_caretLine;
    lastColumn = selection.m_caretColumn;
    if (lastLine < firstLine || (lastLine == firstLine && lastColumn < firstColumn))
    {
        std::swap(firstLine, lastLine);
        std::swap(firstColumn, lastColumn);
    }
}

void CEditTextBuffer::GetLineSelection(int& startColumn, int& selectedColumns, int& columnsAfter, int line,
                                       int lineWidth)
{
    startColumn = lineWidth;
    selectedColumns = 0;
    columnsAfter = 0;
    // The painter operations act only inside Colorize, which hands them the
    // scheme and the display list.
    if (!m_paintScheme)
        return;
    int firstLine, firstColumn, lastLine, lastColumn;
    OrderedSelection(firstLine, firstColumn, lastLine, lastColumn);
    if (line < firstLine || line > lastLine || m_paintScheme->m_selection.IsEmpty())
        return;
    if (firstLine == lastLine)
    {
        startColumn = firstColumn;
        selectedColumns = lastColumn - firstColumn;
        columnsAfter = lineWidth - lastColumn;
    }
    else if (line == firstLine)
    {
        startColumn = firstColumn;
        selectedColumns = lineWidth - firstColumn;
    }
    else if (line < lastLine)
    {
        startColumn = 0;
        selectedColumns = lineWidth;
    }
    else
    {
        startColumn = 0;
        selectedColumns = lastColumn;
        columnsAfter = lineWidth - lastColumn;
    }
}

void CEditTextBuffer::BeginLine(int line)
{
    m_paintLine = line;
    m_paintRuns.clear();
    m_paintRunBytes.clear();
    m_paintText.clear();
}

void CEditTextBuffer::AddChar(std::string_view character, int kind, bool selected, int column)
{
    AddRun(character, 1, kind, selected, column);
}

void CEditTextBuffer::AddText(std::string_view characters, int count, int kind, bool selected, int column)
{
    AddRun(characters, count, kind, selected, column);
}

void CEditTextBuffer::AddRun(std::string_view characters, int count, int kind, bool selected, int column)
{
    if (!m_paintScheme)
        return;
    const CEditLine* line = GetLine(m_paintLine);
    const int flags = line ? line->GetFlags() : 0;
    const COLORREF text = m_paintScheme->GetColor(kind, selected, false, flags);
    const COLORREF background = m_paintScheme->GetColor(kind, selected, true, flags);
    if (!m_paintRuns.empty() && m_paintRuns.back().m_textColor == text &&
        m_paintRuns.back().m_backgroundColor == background)
    {
        m_paintRuns.back().m_length += count;
    }
    else
    {
        m_paintRuns.push_back({column, count, text, background});
        m_paintRunBytes.push_back(m_paintText.size());
    }
    m_paintText.append(characters);
}

void CEditTextBuffer::PaintLine(int line)
{
    if (!m_paintScheme)
        return;
    const CEditColorScheme& scheme = *m_paintScheme;
    CEditDisplayList& list = *m_paintList;
    const int gutter = scheme.m_gutterWidth;
    const int w = scheme.m_fontMetrics.m_paintCharWidth;
    const int h = scheme.m_fontMetrics.m_paintLineHeight;
    const int y = m_paintRow * h;
    const CEditLine* current = GetLine(line);
    const int flags = current ? current->GetFlags() : 0;

    if (gutter > 0)
    {
        int firstLine, firstColumn, lastLine, lastColumn;
        OrderedSelection(firstLine, firstColumn, lastLine, lastColumn);
        // The last line of a selection over several lines counts only when
        // the selection goes into it.
        const bool selected = line >= firstLine && line <= lastLine &&
                              !(line == lastLine && lastLine > firstLine && lastColumn == 0);
        const std::string number = Format("%d", line + 1);
        const int length = static_cast<int>(number.size());
        const int x0 = (gutter - length - 1) * w;
        if (x0 > 0)
        {
            list.FillSolidRect({0, y, x0, y + h}, scheme.GetColor(kGutterKind, false, true, flags));
            scheme.DrawMarker(list, 0, y, w, y + h, flags);
        }
        list.TextOut({x0, y, x0 + length * w, y + h}, number, scheme.GetColor(kGutterKind, selected, true, flags),
                     scheme.GetColor(kGutterKind, selected, false, flags));
        list.FillSolidRect({(gutter - 1) * w, y, gutter * w, y + h}, scheme.GetBaseColor(kSlotSeparator));
        const int lineX = gutter * w - w / 2 - 1;
        list.FillSolidRect({lineX, y, lineX + 1, y + h}, scheme.GetColor(kGutterKind, false, false, flags));
    }

    int x = gutter * w;
    for (size_t i = 0; i < m_paintRuns.size(); ++i)
    {
        const CEditPaintRun& run = m_paintRuns[i];
        const size_t from = m_paintRunBytes[i];
        const size_t to = i + 1 < m_paintRuns.size() ? m_paintRunBytes[i + 1] : m_paintText.size();
        list.TextOut({x, y, x + w * run.m_length, y + h}, std::string_view(m_paintText).substr(from, to - from),
                     run.m_backgroundColor, run.m_textColor);
        x += w * run.m_length;
    }
    if (x < scheme.m_paintRect.m_right)
        list.FillSolidRect({x, y, scheme.m_paintRect.m_right, y + h}, scheme.GetBaseColor(kSlotBeyondText));
    ++m_paintRow;
}

void CEditTextBuffer::EndPaint()
{
    if (!m_paintScheme)
        return;
    const CEditColorScheme& scheme = *m_paintScheme;
    CEditDisplayList& list = *m_paintList;
    const int row = GetLineCount() - scheme.m_topLine;
    if (row < 0 || row > scheme.m_visibleRows - 1)
        return;
    const int gutter = scheme.m_gutterWidth;
    const int w = scheme.m_fontMetrics.m_paintCharWidth;
    const int top = row * scheme.m_fontMetrics.m_paintLineHeight;
    const int bottom = scheme.m_paintRect.m_bottom;
    int left = scheme.m_paintRect.m_left;
    if (gutter > 0)
    {
        list.FillSolidRect({left, top, (gutter - 1) * w, bottom}, scheme.GetBaseColor(kSlotGutter));
        list.FillSolidRect({(gutter - 1) * w, top, gutter * w, bottom}, scheme.GetBaseColor(kSlotSeparator));
        const int lineX = gutter * w - w / 2 - 1;
        list.FillSolidRect({lineX, top, lineX + 1, bottom}, scheme.GetColor(kGutterKind, false, false, 0));
        left = gutter * w;
    }
    list.FillSolidRect({left, top, scheme.m_paintRect.m_right, bottom}, scheme.GetBaseColor(kSlotBeyondText));
}
