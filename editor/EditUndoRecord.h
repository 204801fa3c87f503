#pragma once
// One undoable edit of the text buffer: what it removed and what it
// inserted, where. Positions are (line, byte index).

#include <string>

struct CEditUndoRecord
{
    std::string m_newText;
    std::string m_oldText;
    int m_startLine = 0;
    int m_startIndex = 0;
    // End of the removed range in the text as it was before the edit.
    int m_oldEndLine = 0;
    int m_oldEndIndex = 0;
    // End of the inserted text in the text as it is after the edit.
    int m_newEndLine = 0;
    int m_newEndIndex = 0;
};
