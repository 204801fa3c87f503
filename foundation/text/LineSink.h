#pragma once
// ILineSink: the text line stream through which the markup tree is written
// (CXmlNode::Write) and through which a markup file can be read line by line.
// CXmlWriter (XmlWriter.h) implements it over an open file; tests and other
// callers may implement it over a string.
//
// WriteLine hands over one piece of text; the sink decides what, if anything,
// follows it (CXmlWriter appends its line-end text). The markup writer puts
// its own line ends into the pieces, so it is used with sinks that add none.

#include <string>
#include <string_view>

class ILineSink
{
public:
    virtual ~ILineSink() = default;

    // Pushes out anything the sink holds back; false when that fails.
    virtual bool Flush() = 0;
    // Writes the text; false when it could not be written (whole).
    virtual bool WriteLine(std::string_view text) = 0;
    // Reads the next line into text (emptied first); false at the end or on
    // failure.
    virtual bool ReadLine(std::string& text) = 0;
};
