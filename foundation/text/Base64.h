#pragma once
// Base64 of RFC 4648 (alphabet A-Z a-z 0-9 + /, '=' padding, no line
// breaks), used for Basic credentials, the Negotiate and NTLM tokens and the
// Base64 tool.
//
// Decoding takes the text in groups of four characters and ignores 1 to 3
// characters left over at the end (so a text of 3 characters or fewer gives
// nothing). A group whose first or second character is '=' ends decoding; a
// group whose third character is '=' gives one byte, one whose fourth is '='
// two bytes, any other three; decoding goes on after a padded group. A group
// that needs a character from outside the alphabet (line breaks, blanks,
// bytes from 0x80 on) ends decoding, so such a text gives the bytes of the
// groups before it.

#include "foundation/text/ByteBuffer.h"

#include <cstddef>
#include <string>
#include <string_view>

std::string Base64Encode(const void* bytes, size_t count);

// Appends the decoded bytes to out. False only when the buffer could not
// take them (it is then left as it was).
bool Base64Decode(std::string_view text, CByteBuffer& out);

// The decoded bytes as text for showing, each 0x00, 0x01, 0x07 and 0xFF
// replaced by '?'.
std::string Base64DecodeToString(std::string_view text);
