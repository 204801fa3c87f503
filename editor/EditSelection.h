#pragma once
// The editor selection as the views keep it: anchor and caret, each a line
// and a display column (tabs expanded). Anchor = caret is an empty
// selection with the caret there.

struct CEditSelection
{
    int m_anchorLine = 0;
    int m_caretLine = 0;
    int m_anchorColumn = 0;
    int m_caretColumn = 0;

    bool IsEmpty() const { return m_anchorLine == m_caretLine && m_anchorColumn == m_caretColumn; }
    bool operator==(const CEditSelection&) const = default;
};
