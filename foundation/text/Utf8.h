#pragma once
// Walking and writing UTF-8 one code point at a time. Text from files and
// pages is not trusted to be valid: a byte that does not start a well-formed
// sequence (a stray continuation byte, an overlong form, a surrogate, a value
// past U+10FFFF, a cut sequence) counts as one character of its own and is
// decoded to a value no real character has, so it is kept and compared as
// the byte it is.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Bytes of the character that starts at `at` (1 to 4); 1 for a byte that is
// not valid UTF-8 there, 0 at or past the end.
size_t Utf8CharLength(std::string_view text, size_t at);

// The code point of the character at `at` (with its length in bytes through
// `length`); an invalid byte b decodes to kUtf8InvalidBase + b.
inline constexpr uint32_t kUtf8InvalidBase = 0x110000;
uint32_t DecodeUtf8(std::string_view text, size_t at, size_t& length);

// The start of the character that holds byte `at`: steps back over at most
// three continuation bytes when they belong to one well-formed sequence.
size_t Utf8CharStart(std::string_view text, size_t at);

// Appends a code point; a value past U+10FFFF or a surrogate becomes U+FFFD,
// and an invalid-byte value from DecodeUtf8 becomes its byte again.
void AppendUtf8(std::string& out, uint32_t codePoint);
