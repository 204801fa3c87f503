// The key table, typed characters and the edit commands.

#include "editor/ui/ColorEditView.h"

#include "editor/EditColorScheme.h"
#include "editor/EditTextBuffer.h"

#include "res/ResourceIds.h"

#include <QKeyEvent>

namespace
{
// Column and line deltas that reach the line's or the text's end.
constexpr int kFar = 1000000000;
}

void CColorEditView::RegisterCommands()
{
    OnCommand(ID_EDIT_COPY, [this] { Copy(); });
    OnUpdateCommand(ID_EDIT_COPY, [this](CCmdUI& ui) { ui.Enable(CanCopy()); });
    OnCommand(ID_EDIT_CUT, [this] { Cut(); });
    OnUpdateCommand(ID_EDIT_CUT, [this](CCmdUI& ui) { ui.Enable(CanCut()); });
    OnCommand(ID_EDIT_PASTE, [this] { Paste(); });
    OnUpdateCommand(ID_EDIT_PASTE, [this](CCmdUI& ui) { ui.Enable(CanPaste()); });
    OnCommand(ID_EDIT_SELECT_ALL, [this] { SelectAll(); });
    OnUpdateCommand(ID_EDIT_SELECT_ALL, [this](CCmdUI& ui) { ui.Enable(CanSelectAll()); });
    OnCommand(ID_EDIT_UNDO, [this] { Undo(); });
    OnUpdateCommand(ID_EDIT_UNDO, [this](CCmdUI& ui) { ui.Enable(CanUndo()); });
    OnCommand(ID_EDIT_REDO, [this] { Redo(); });
    OnUpdateCommand(ID_EDIT_REDO, [this](CCmdUI& ui) { ui.Enable(CanRedo()); });
    OnCommand(ID_FILE_PRINT, [this] { OnFilePrint(); });
    OnCommand(ID_FILE_PRINT_DIRECT, [this] { OnFilePrintDirect(); });
    OnCommand(ID_FILE_PRINT_PREVIEW, [this] { OnFilePrintPreview(); });
}

bool CColorEditView::TakesText(const QKeyEvent& key) const
{
    if (!IsEditable() || key.text().isEmpty() ||
        (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    // Printable characters only: ASCII controls, DEL and the C1 controls
    // (U+0080 to U+009F) pass on.
    for (const QChar c : key.text())
    {
        const char16_t code = c.unicode();
        if (code < 0x20 || code == 0x7F || (code >= 0x80 && code < 0xA0))
            return false;
    }
    return true;
}

std::function<void()> CColorEditView::KeyCommand(const QKeyEvent& key) const
{
    if (!m_textEnabled)
        return {};
    auto* self = const_cast<CColorEditView*>(this);
    const Qt::KeyboardModifiers modifiers = key.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool alt = modifiers & Qt::AltModifier;
    const bool ctrlAlone = modifiers == Qt::ControlModifier;
    const bool none = modifiers == Qt::NoModifier;
    const bool editable = IsEditable();
    const bool collapse = !shift;
    const bool hasSelection = !m_scheme->m_selection.IsEmpty();

    switch (key.key())
    {
    case Qt::Key_Backspace:
        if (ctrlAlone && editable)
            return [self] { self->DeleteWordLeft(); };
        if (none && editable)
            return [self] { self->DeleteCharLeft(); };
        return {};
    case Qt::Key_Tab:
        if (none && editable)
            return [self] { self->InsertText("\t"); };
        return {};
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (none && editable)
            return [self] { self->InsertText("\r\n"); };
        return {};
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (ctrl || alt)
            return [] {};
        return [self, collapse, down = key.key() == Qt::Key_PageDown] {
            const int page = std::max(self->m_visibleRows - 1, 1);
            self->MoveCaret(down ? page : -page, 0, collapse);
        };
    case Qt::Key_Home:
        if (ctrl)
            return [self, collapse] { self->MoveCaretTo(0, 0, collapse); };
        return [self, collapse] { self->MoveCaret(0, -kFar, collapse); };
    case Qt::Key_End:
        if (ctrl)
            return [self, collapse] { self->MoveCaret(kFar, kFar, collapse); };
        return [self, collapse] { self->MoveCaret(0, kFar, collapse); };
    case Qt::Key_Left:
    case Qt::Key_Right:
    {
        const int direction = key.key() == Qt::Key_Right ? 1 : -1;
        if (ctrl && !alt)
            return [self, collapse, direction] { self->MoveCaretByWord(direction, collapse); };
        if (ctrl || alt)
            return {};
        if (hasSelection && !shift)
        {
            // A selection collapses to the end the key points to.
            return [self, direction] {
                const CEditSelection& s = self->m_scheme->m_selection;
                const bool anchorFirst = s.m_anchorLine < s.m_caretLine ||
                                         (s.m_anchorLine == s.m_caretLine && s.m_anchorColumn < s.m_caretColumn);
                const bool toAnchor = (direction < 0) == anchorFirst;
                self->MoveCaretTo(toAnchor ? s.m_anchorLine : s.m_caretLine,
                                  toAnchor ? s.m_anchorColumn : s.m_caretColumn, true);
            };
        }
        return [self, collapse, direction] { self->MoveCaret(0, direction, collapse); };
    }
    case Qt::Key_Up:
    case Qt::Key_Down:
    {
        const int direction = key.key() == Qt::Key_Down ? 1 : -1;
        if (ctrl)
        {
            return [self, direction] {
                if (!self->m_dragging)
                    self->ScrollLines(direction);
            };
        }
        if (direction > 0 && alt)
            return {};
        return [self, collapse, direction] { self->MoveCaret(direction, 0, collapse); };
    }
    case Qt::Key_Insert:
        if (ctrlAlone && hasSelection)
            return [self] { self->Copy(); };
        return {};
    case Qt::Key_Delete:
        if (ctrlAlone && editable)
            return [self] { self->DeleteWordRight(); };
        if (none && editable)
            return [self] { self->DeleteCharRight(); };
        return {};
    case Qt::Key_A:
        if (ctrlAlone && CanSelectAll())
            return [self] { self->SelectAll(); };
        return {};
    case Qt::Key_C:
        if (ctrlAlone && hasSelection)
            return [self] { self->Copy(); };
        return {};
    case Qt::Key_U:
        if (ctrlAlone && editable)
            return [self] { self->ChangeCase(1); };
        if (ctrl && shift && !alt && editable)
            return [self] { self->ChangeCase(0); };
        return {};
    case Qt::Key_V:
        if (ctrlAlone && CanPaste())
            return [self] { self->Paste(); };
        return {};
    case Qt::Key_X:
        if (ctrlAlone && CanCut())
            return [self] { self->Cut(); };
        return {};
    case Qt::Key_Y:
        if (ctrlAlone && CanRedo())
            return [self] { self->Redo(); };
        return {};
    case Qt::Key_Z:
        if (ctrlAlone && CanUndo())
            return [self] { self->Undo(); };
        return {};
    default:
        return {};
    }
}

bool CColorEditView::ClaimsKey(const QKeyEvent& key) const
{
    return static_cast<bool>(KeyCommand(key)) || TakesText(key);
}

void CColorEditView::keyPressEvent(QKeyEvent* event)
{
    if (const std::function<void()> command = KeyCommand(*event))
    {
        command();
        event->accept();
        return;
    }
    if (TakesText(*event))
    {
        InsertText(event->text().toStdString());
        event->accept();
        return;
    }
    CView::keyPressEvent(event);
}
