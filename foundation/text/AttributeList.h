#pragma once
// Attribute lists of the form  name=value name="a value" name='x' bare  as
// they occur in HTML and XML start tags and in the store files.
//
// Parsing rules, shared by every function here:
// - White space (blank, TAB, CR, LF, VT, FF; bytes from 0x80 on never count)
//   is skipped; a name runs to '=' or white space.
// - A name followed by the end of the text, or by white space and then
//   anything but '=', is a bare name; parsing goes on after it.
// - After '=' and any white space, a value starting with '"' or '\'' runs to
//   the same quote or to the end of the text and loses its quotes; any other
//   value runs to the next white space.
// - A '=' or an opening quote at the very end of the text ends parsing, and
//   that last name is not reported.
// Values are reported exactly as they stand; decoding entities is the
// caller's business (CAttributeMapSink does it).

#include "foundation/text/AbstractVisitor.h"

#include <cstddef>
#include <string>
#include <string_view>

// Hands each name and then its value to visitor.Add, and each bare name to
// bareNames (when given). A false result from any visitor ends parsing.
// Returns the number of name/value pairs met, counting one whose name or
// value was refused.
int ParseAttributeList(std::string_view text, CAbstractVisitor& visitor, CAbstractVisitor* bareNames = nullptr);

// The same with separate visitors for names, values and bare names; any of
// them may be null.
int ParseAttributeListEx(std::string_view text, CAbstractVisitor* names, CAbstractVisitor* values,
                         CAbstractVisitor* bareNames);

// Finds the first attribute called name (compared over its whole length,
// ignoring ASCII case unless caseSensitive) and gives offsets into text: the
// name's start and length, and the value's start and length, where a quoted
// value's span includes its quotes (an unclosed quote runs to the end). A
// bare name gives valueStart npos and valueLength -1. False, leaving the
// outputs alone, when it is not there or when text or name is empty.
bool FindAttribute(std::string_view text, std::string_view name, size_t& nameStart, size_t& nameLength,
                   size_t& valueStart, std::ptrdiff_t& valueLength, bool caseSensitive = false);

// Takes the texts ParseAttributeList hands over (name, value, name, value,
// ...) and gives each pair to OnAttribute, whose false ends parsing.
class CAttributePairVisitor : public CAbstractVisitor
{
public:
    bool Add(std::string_view text) final;

protected:
    virtual bool OnAttribute(std::string_view name, std::string_view value) = 0;

private:
    std::string m_name;
    bool m_haveName = false;
};
