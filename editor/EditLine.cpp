#include "editor/EditLine.h"

#include "foundation/text/UnicodeCase.h"
#include "foundation/text/Utf8.h"
#include "platform/core/Archive.h"

#include <algorithm>

namespace
{
bool IsLineEndChar(char c)
{
    return c == '\r' || c == '\n';
}

int NextTabStop(int column, int tabSize)
{
    return column + tabSize - column % tabSize;
}

// The code point at `at` folded for a case-blind comparison.
uint32_t FoldedChar(std::string_view text, size_t at, size_t& length)
{
    return SimpleUpperCase(DecodeUtf8(text, at, length));
}
}

std::string_view LineEndText(int kind)
{
    switch (kind)
    {
    case kLineEndCrLf:
        return "\r\n";
    case kLineEndCr:
        return "\r";
    case kLineEndLf:
        return "\n";
    default:
        return "";
    }
}

int GetCharClass(std::string_view text, size_t at)
{
    if (at >= text.size())
        return 0;
    const unsigned char c = static_cast<unsigned char>(text[at]);
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ? 1 : 0;
    size_t length;
    return DecodeUtf8(text, at, length) < kUtf8InvalidBase ? 1 : 0;
}

CEditLine::CEditLine(std::string_view text, int tabSize, int lineEndKind) : m_text(text)
{
    if (lineEndKind != -1)
        SetEndOfLine(lineEndKind);
    RecalcWidth(tabSize);
}

int CEditLine::GetTextEnd() const
{
    int end = GetLength();
    for (int i = 0; i < 2 && end > 0 && IsLineEndChar(m_text[end - 1]); ++i)
        --end;
    return end;
}

int CEditLine::GetLineEndKind() const
{
    const std::string_view end = std::string_view(m_text).substr(GetTextEnd());
    for (int kind : {kLineEndCrLf, kLineEndCr, kLineEndLf})
        if (end == LineEndText(kind))
            return kind;
    return 0;
}

void CEditLine::SetEndOfLine(int kind)
{
    if (m_text.empty() || !IsLineEndChar(m_text.back()))
        return;
    const int textEnd = GetTextEnd();
    // Spans that covered the old line end keep covering the new one.
    for (CEditColorSpan& span : m_spans)
        if (span.m_start + span.m_length > textEnd)
            span.m_length = std::max(0, textEnd - span.m_start) + static_cast<int>(LineEndText(kind).size());
    m_text.erase(static_cast<size_t>(textEnd));
    m_text += LineEndText(kind);
}

void CEditLine::RecalcWidth(int tabSize)
{
    m_tabCount = 0;
    int column = 0;
    size_t index = 0;
    const size_t length = m_text.size();
    const char* text = m_text.data();
    while (index < length)
    {
        const unsigned char c = static_cast<unsigned char>(text[index]);
        if (c >= 0x20 && c < 0x80)
        {
            // Printable ASCII, by far the most common case.
            ++column;
            ++index;
            continue;
        }
        if (c == '\r' || c == '\n' || c == '\0')
            break;
        if (c == '\t')
        {
            ++m_tabCount;
            column = NextTabStop(column, tabSize);
            ++index;
            continue;
        }
        ++column;
        index = static_cast<size_t>(NextChar(static_cast<int>(index)));
    }
    m_contentEnd = static_cast<int>(index);
    m_width = column;
}

int CEditLine::Advance(int tabSize, int index, int column) const
{
    return m_text[static_cast<size_t>(index)] == '\t' ? NextTabStop(column, tabSize) : column + 1;
}

int CEditLine::CharStart(int index) const
{
    index = std::clamp(index, 0, GetLength());
    return static_cast<int>(Utf8CharStart(m_text, static_cast<size_t>(index)));
}

int CEditLine::NextChar(int index) const
{
    if (index >= GetLength())
        return GetLength();
    if (static_cast<unsigned char>(m_text[static_cast<size_t>(index)]) < 0x80)
        return index + 1;
    return index + static_cast<int>(Utf8CharLength(m_text, static_cast<size_t>(index)));
}

int CEditLine::PrevChar(int index) const
{
    return index <= 0 ? 0 : CharStart(index - 1);
}

int CEditLine::IndexToColumn(int tabSize, int index) const
{
    if (index <= 0)
        return 0;
    int column = 0;
    for (int at = 0; at < index && at < m_contentEnd; at = NextChar(at))
        column = Advance(tabSize, at, column);
    return std::min(column, m_width);
}

int CEditLine::ColumnToIndex(int tabSize, int column) const
{
    if (column <= 0)
        return 0;
    column = std::min(column, m_width);
    int at = 0;
    int start = 0;
    while (at < m_contentEnd && start < column)
    {
        start = Advance(tabSize, at, start);
        at = NextChar(at);
    }
    return at;
}

bool CEditLine::ClampColumn(int tabSize, int& column) const
{
    int clamped = std::clamp(column, 0, m_width);
    if (m_tabCount > 0)
    {
        int start = 0;
        for (int at = 0; at < m_contentEnd; at = NextChar(at))
        {
            const int next = Advance(tabSize, at, start);
            if (clamped > start && clamped < next)
            {
                clamped = start;
                break;
            }
            if (next > clamped)
                break;
            start = next;
        }
    }
    const bool changed = clamped != column;
    column = clamped;
    return changed;
}

void CEditLine::GetExpandedText(std::string& out, int tabSize) const
{
    out.clear();
    int column = 0;
    const int textEnd = GetTextEnd();
    for (int at = 0; at < textEnd; at = NextChar(at))
    {
        if (m_text[static_cast<size_t>(at)] == '\t')
        {
            const int next = NextTabStop(column, tabSize);
            out.append(static_cast<size_t>(next - column), ' ');
            column = next;
            continue;
        }
        out.append(m_text, static_cast<size_t>(at), static_cast<size_t>(NextChar(at) - at));
        ++column;
    }
}

void CEditLine::InsertChars(std::string_view text, int index, int tabSize)
{
    if (text.empty())
        return;
    index = CharStart(std::clamp(index, 0, GetTextEnd()));
    const int n = static_cast<int>(text.size());
    m_text.insert(static_cast<size_t>(index), text);
    for (CEditColorSpan& span : m_spans)
    {
        if (span.m_start <= index && index < span.m_start + span.m_length)
            span.m_length += n;
        else if (span.m_start > index)
            span.m_start += n;
    }
    RecalcWidth(tabSize);
}

void CEditLine::AppendChars(std::string_view text, int tabSize)
{
    InsertChars(text, GetTextEnd(), tabSize);
}

void CEditLine::DeleteChars(int from, int to, int tabSize)
{
    from = CharStart(std::max(from, 0));
    to = to > GetTextEnd() ? GetLength() : CharStart(to);
    if (from >= to)
        return;
    const int n = to - from;
    m_text.erase(static_cast<size_t>(from), static_cast<size_t>(n));
    for (CEditColorSpan& span : m_spans)
    {
        const int end = span.m_start + span.m_length;
        const int shared = std::max(0, std::min(end, to) - std::max(span.m_start, from));
        if (span.m_start >= from)
            span.m_start = std::max(from, span.m_start - n);
        span.m_length -= shared;
    }
    std::erase_if(m_spans, [](const CEditColorSpan& span) { return span.m_length <= 0; });
    RecalcWidth(tabSize);
}

bool CEditLine::GetWordAt(int index, int& start, int& end, std::string* word) const
{
    if (index < 0 || index >= GetLength())
        return false;
    index = CharStart(index);
    const int cls = GetCharClass(m_text, static_cast<size_t>(index));
    start = index;
    while (start > 0)
    {
        const int before = PrevChar(start);
        if (GetCharClass(m_text, static_cast<size_t>(before)) != cls)
            break;
        start = before;
    }
    const int textEnd = GetTextEnd();
    end = index;
    while (end < textEnd && GetCharClass(m_text, static_cast<size_t>(end)) == cls)
        end = NextChar(end);
    if (word)
        *word = m_text.substr(static_cast<size_t>(start), static_cast<size_t>(std::max(end - start, 0)));
    return true;
}

bool CEditLine::MoveWord(int index, int& newIndex, bool forward) const
{
    const int textEnd = GetTextEnd();
    int p = CharStart(std::clamp(index, 0, textEnd));
    const auto blank = [&](int at) { return IsEditBlank(m_text[static_cast<size_t>(at)]); };
    const auto cls = [&](int at) { return GetCharClass(m_text, static_cast<size_t>(at)); };
    if (forward)
    {
        if (textEnd == 0 || p >= textEnd)
            return false;
        if (NextChar(p) >= textEnd)
        {
            if (blank(p))
                return false;
            newIndex = textEnd;
            return true;
        }
        const int run = cls(p);
        while (p < textEnd && cls(p) == run)
            p = NextChar(p);
        while (p < textEnd && blank(p))
            p = NextChar(p);
        newIndex = p;
        return true;
    }
    if (p == 0)
        return false;
    while (p > 0 && blank(PrevChar(p)))
        p = PrevChar(p);
    if (p > 0)
    {
        const int run = cls(PrevChar(p));
        while (p > 0 && cls(PrevChar(p)) == run)
            p = PrevChar(p);
    }
    newIndex = p;
    return true;
}

bool CEditLine::FindInLine(int& start, int& end, std::string_view pattern, bool matchCase) const
{
    const int length = GetLength();
    if (!pattern.empty())
    {
        const std::string_view text = m_text;
        for (int at = CharStart(std::max(start, 0)); at < length; at = NextChar(at))
        {
            size_t t = static_cast<size_t>(at);
            size_t p = 0;
            while (p < pattern.size() && t < text.size())
            {
                size_t tl;
                size_t pl;
                const uint32_t a = matchCase ? DecodeUtf8(text, t, tl) : FoldedChar(text, t, tl);
                const uint32_t b = matchCase ? DecodeUtf8(pattern, p, pl) : FoldedChar(pattern, p, pl);
                if (a != b)
                    break;
                t += tl;
                p += pl;
            }
            if (p < pattern.size())
                continue;
            const int matchEnd = static_cast<int>(t);
            if (at == start && matchEnd == end)
                continue;
            start = at;
            end = matchEnd;
            return true;
        }
    }
    start = length;
    end = length;
    return false;
}

void CEditLine::Write(CArchive& archive) const
{
    archive.Write(m_text.data(), m_text.size());
}
