#pragma once
// Colouring in tests: each line's spans drawn as one character per byte
// ('.' where no span lies, the kind as a base-36 digit elsewhere), so a
// table row shows the expected colours under the text.

#include "BufferText.h"
#include "editor/EditTextBuffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

inline std::string KindMap(const CEditLine& line)
{
    std::string map(line.GetText().size(), '.');
    int end = 0;
    for (const CEditColorSpan& span : line.GetSpans())
    {
        EXPECT_GE(span.m_start, end) << "spans overlap or are out of order in \"" << line.GetText() << "\"";
        EXPECT_GT(span.m_length, 0);
        end = span.m_start + span.m_length;
        const char digit = static_cast<char>(span.m_color < 10 ? '0' + span.m_color : 'a' + span.m_color - 10);
        for (int i = span.m_start; i < end && i < static_cast<int>(map.size()); ++i)
            map[static_cast<size_t>(i)] = digit;
    }
    return map;
}

inline std::vector<std::string> KindMaps(const CEditTextBuffer& buffer)
{
    std::vector<std::string> maps;
    for (int i = 0; i < buffer.GetLineCount(); ++i)
        maps.push_back(KindMap(*buffer.GetLine(i)));
    return maps;
}

