#pragma once
// The pattern language of every filter in the program (task filters, the
// proxy skip list, finding in the views).
//
//   '*'      any run of characters, also an empty one
//   '?'      exactly one character
//   '[set]'  one character of the set; '[!set]' one character not in it. The
//            set runs to the next ']'. A set holding '-' must be exactly
//            "x-y" and means the range between x and y in either order; an
//            empty set, a missing ']' or any other use of '-' makes the
//            pattern match nothing.
//   other    the character itself
//
// Characters are bytes; without caseSensitive both sides are folded to upper
// case (ASCII). An empty text never matches, not even "*"; an empty pattern
// matches every other text. The matcher takes time proportional to text
// length times pattern length at worst, whatever the pattern.

#include <string_view>

bool WildcardMatch(std::string_view text, std::string_view pattern, bool caseSensitive = false);
