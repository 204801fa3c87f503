#pragma once
// Reading a text buffer back in tests: the whole text, or its lines.

#include "editor/EditTextBuffer.h"

#include <string>
#include <vector>

inline std::string WholeText(const CEditTextBuffer& buffer)
{
    std::string text;
    for (int i = 0; i < buffer.GetLineCount(); ++i)
        text += buffer.GetLine(i)->GetText();
    return text;
}

inline std::vector<std::string> LineTexts(const CEditTextBuffer& buffer)
{
    std::vector<std::string> lines;
    for (int i = 0; i < buffer.GetLineCount(); ++i)
        lines.push_back(buffer.GetLine(i)->GetText());
    return lines;
}
