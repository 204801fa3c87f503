#pragma once
// A line sink that collects what is written into one string: a tree's text
// in memory, where no file is wanted.

#include "foundation/text/LineSink.h"

#include <string>
#include <string_view>

class CStringLineSink : public ILineSink
{
public:
    bool Flush() override { return true; }
    bool WriteLine(std::string_view text) override
    {
        m_text.append(text);
        return true;
    }
    // Collecting only: there is nothing to read back.
    bool ReadLine(std::string& text) override
    {
        text.clear();
        return false;
    }

    const std::string& GetText() const { return m_text; }

protected:
    std::string m_text;
};
