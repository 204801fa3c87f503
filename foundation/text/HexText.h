#pragma once
// Hexadecimal dumps of bytes, as the Base64 tool and the logs show them.

#include <cstddef>
#include <string>
#include <string_view>

// Each byte as two lower-case digits. The line prefix (when not empty) goes
// before the first byte of every line; after each byte comes the line end
// when bytesPerLine is above 0 and the line is full, else the separator. The
// text therefore ends with a separator or a line end; no bytes give "".
// With bytesPerLine 0 or less everything is one line.
// Example: 0xAB 0x01 with (16, "", " ", "\r\n") gives "ab 01 ".
std::string HexEncode(const void* bytes, size_t count, int bytesPerLine, std::string_view linePrefix,
                      std::string_view separator, std::string_view lineEnd);
