#pragma once
// Writing attribute lists that ParseAttributeList (AttributeList.h) reads
// back exactly, for the store files whose lines are such lists and whose
// values are taken as they stand, without entity decoding.

#include <string>
#include <string_view>

// Appends name=value to line, after a blank when line is not empty. The value
// goes in double quotes; one that holds a double quote goes in single quotes;
// one that holds both goes bare, which works only when it has no white space
// and does not begin with a quote. False, with line unchanged, when no form
// carries the value (that case, or a CR or LF in it).
bool AppendAttributeText(std::string& line, std::string_view name, std::string_view value);
