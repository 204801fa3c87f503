// Editing: typing and deleting, case change, the clipboard, undo and redo.

#include "editor/ui/ColorEditView.h"

#include "editor/EditColorScheme.h"
#include "editor/EditTextBuffer.h"

#include "foundation/text/UnicodeCase.h"
#include "foundation/text/Utf8.h"

#include "platform/core/DesktopServices.h"

namespace
{
// Upper case (0), lower case (1) or each letter's case swapped (2), one
// code point for one, so the text keeps its length in characters.
std::string ConvertCase(std::string_view text, int mode)
{
    if (mode == 0)
        return Utf8ToUpper(text);
    if (mode == 1)
        return Utf8ToLower(text);
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();)
    {
        size_t length = 0;
        const uint32_t c = DecodeUtf8(text, at, length);
        const uint32_t upper = SimpleUpperCase(c);
        AppendUtf8(out, upper != c ? upper : SimpleLowerCase(c));
        at += std::max<size_t>(length, 1);
    }
    return out;
}
}

void CColorEditView::InsertText(std::string_view text)
{
    if (!IsEditable())
        return;
    CEditSelection& selection = m_scheme->m_selection;
    const int linesBefore = m_buffer->GetLineCount();
    const int firstLine = std::min(selection.m_anchorLine, selection.m_caretLine);
    const int result = m_buffer->ReplaceSelection(selection, text);
    m_desiredColumn = selection.m_caretColumn;
    if (result < 0 || m_buffer->GetLineCount() != linesBefore)
        MarkAllDirty();
    else
        SetDirtyRange(firstLine, firstLine + result + 1);
    ScheduleColoring();
    PlaceCaret(selection.m_caretLine, selection.m_caretColumn, true, true, true);
    OnModifiedChanged();
}

void CColorEditView::DeleteSelectionRange()
{
    if (!m_scheme->m_selection.IsEmpty())
        InsertText({});
}

void CColorEditView::DeleteCharLeft()
{
    if (!IsEditable())
        return;
    CEditSelection& selection = m_scheme->m_selection;
    if (selection.IsEmpty())
    {
        const CEditLine* line = m_buffer->GetLine(selection.m_caretLine);
        if (!line)
            return;
        const int tab = m_buffer->GetTabSize();
        const int index = line->ColumnToIndex(tab, selection.m_caretColumn);
        if (index > 0)
        {
            selection.m_anchorColumn = line->IndexToColumn(tab, line->PrevChar(index));
        }
        else if (selection.m_caretLine > 0)
        {
            // Joins with the previous line: its line end goes.
            const CEditLine* previous = m_buffer->GetLine(selection.m_caretLine - 1);
            selection.m_anchorLine = selection.m_caretLine - 1;
            selection.m_anchorColumn = previous->IndexToColumn(tab, previous->GetTextEnd());
        }
    }
    DeleteSelectionRange();
}

void CColorEditView::DeleteCharRight()
{
    if (!IsEditable())
        return;
    CEditSelection& selection = m_scheme->m_selection;
    if (selection.IsEmpty())
    {
        const CEditLine* line = m_buffer->GetLine(selection.m_caretLine);
        if (!line)
            return;
        const int tab = m_buffer->GetTabSize();
        const int index = line->ColumnToIndex(tab, selection.m_caretColumn);
        if (index < line->GetTextEnd())
        {
            selection.m_caretColumn = line->IndexToColumn(tab, line->NextChar(index));
        }
        else if (selection.m_caretLine + 1 < m_buffer->GetLineCount())
        {
            ++selection.m_caretLine;
            selection.m_caretColumn = 0;
        }
    }
    DeleteSelectionRange();
}

void CColorEditView::DeleteWordLeft()
{
    if (!IsEditable())
        return;
    MoveCaretByWord(-1, false);
    DeleteSelectionRange();
}

void CColorEditView::DeleteWordRight()
{
    if (!IsEditable())
        return;
    MoveCaretByWord(1, false);
    DeleteSelectionRange();
}

void CColorEditView::ChangeCase(int mode)
{
    if (!IsEditable())
        return;
    int64_t start = 0;
    int64_t end = 0;
    std::string text;
    if (!GetSelectedText(start, end, &text))
        return;
    SetRedraw(false);
    InsertText(ConvertCase(text, mode));
    SelectOffsets(start, end, false);
    SetRedraw(true);
}

bool CColorEditView::CanCopy() const
{
    return m_textEnabled && m_buffer && !m_scheme->m_selection.IsEmpty();
}

bool CColorEditView::CanCut() const
{
    return IsEditable() && !m_scheme->m_selection.IsEmpty();
}

bool CColorEditView::CanPaste() const
{
    IClipboard* clipboard = GetClipboard();
    return IsEditable() && clipboard && clipboard->HasText();
}

bool CColorEditView::CanSelectAll() const
{
    if (!m_textEnabled || !m_buffer || m_buffer->GetLineCount() == 0)
        return false;
    const int last = m_buffer->GetLineCount() - 1;
    const CEditSelection whole{0, last, 0, m_buffer->GetLine(last)->GetWidth()};
    return !(m_scheme->m_selection == whole);
}

bool CColorEditView::CanUndo() const
{
    return IsEditable() && m_buffer->CanUndo();
}

bool CColorEditView::CanRedo() const
{
    return IsEditable() && m_buffer->CanRedo();
}

void CColorEditView::Copy()
{
    std::string text;
    int64_t start = 0;
    int64_t end = 0;
    if (!CanCopy() || !GetSelectedText(start, end, &text))
        return;
    if (IClipboard* clipboard = GetClipboard())
        (void)clipboard->SetText(text);
}

void CColorEditView::Cut()
{
    std::string text;
    int64_t start = 0;
    int64_t end = 0;
    if (!CanCut() || !GetSelectedText(start, end, &text))
        return;
    // The text leaves the view only once the clipboard holds it.
    IClipboard* clipboard = GetClipboard();
    if (!clipboard || !clipboard->SetText(text))
        return;
    InsertText({});
}

void CColorEditView::Paste()
{
    std::string text;
    IClipboard* clipboard = GetClipboard();
    if (!CanPaste() || !clipboard->GetText(text))
        return;
    InsertText(text);
}

void CColorEditView::SelectAll()
{
    if (!CanSelectAll())
        return;
    const int last = m_buffer->GetLineCount() - 1;
    // The scroll position stays: neither end is scrolled into view.
    PlaceCaret(0, 0, true, false, false);
    m_desiredColumn = m_buffer->GetLine(last)->GetWidth();
    MarkAllDirty();
    PlaceCaret(last, m_desiredColumn, false, true, false);
}

void CColorEditView::AfterUndoRedo()
{
    const CEditSelection& selection = m_scheme->m_selection;
    m_desiredColumn = selection.m_anchorColumn;
    ScheduleColoring();
    MarkAllDirty();
    PlaceCaret(selection.m_anchorLine, selection.m_anchorColumn, true, true, true);
    OnModifiedChanged();
}

void CColorEditView::Undo()
{
    if (CanUndo() && m_buffer->Undo(m_scheme->m_selection))
        AfterUndoRedo();
}

void CColorEditView::Redo()
{
    if (CanRedo() && m_buffer->Redo(m_scheme->m_selection))
        AfterUndoRedo();
}
