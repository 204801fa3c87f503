#pragma once
// The byte range of a partial HTTP response ("Content-Range: bytes
// first-last/total", RFC 9110 14.4).

#include <cstdint>
#include <string_view>

// Reads "bytes first-last/total": the text must be at least 4 characters
// longer than "bytes " and begin with it in any letter case; after it, the
// text must hold a '-' and, after that, a '/'; the three pieces around them,
// trimmed, must not be empty and are read as decimal 64-bit numbers (a piece
// that is not a number, such as the "*" of an unknown total, reads as 0).
// False, with the outputs untouched, when the form does not hold. The
// numbers are not checked against each other: the caller judges whether the
// range is the one it asked for.
bool ParseContentRange(std::string_view text, int64_t& first, int64_t& last, int64_t& total);
