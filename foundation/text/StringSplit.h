#pragma once
// Cutting texts into pieces and words.
//
// Splitting rule: every piece before an occurrence of the separator is added,
// empty pieces included; the piece after the last occurrence is added only
// when it is not empty. So "a,,b," gives "a", "", "b" and "," gives "". An
// empty text, a separator character 0 or an empty separator text adds
// nothing. A visitor whose Add returns false stops the split.

#include "foundation/text/AbstractVisitor.h"

#include <string>
#include <string_view>
#include <vector>

// Splits into array through a CStringArrayVisitor: the pieces are inserted at
// positions 0, 1, 2, ... in front of anything the array already holds, each
// trimmed of white space at both ends when trim is set.
void SplitString(std::string_view text, std::vector<std::string>& array, char separator, bool trim = false);
void SplitStringInto(std::string_view text, CAbstractVisitor& visitor, char separator);
void SplitByString(std::string_view text, CAbstractVisitor& visitor, std::string_view separator);

// The first run of non-white characters after any leading white space, as a
// view into text; empty (at the end of text) when text holds no word.
std::string_view FindFirstWord(std::string_view text);
std::string GetFirstWord(std::string_view text);
