#pragma once
// The text forms NTLM messages carry: "Unicode" strings are UTF-16LE without
// a terminating zero; the NTLMv2 key hashes the user name upper-cased.
//
// Input texts are this program's UTF-8. A byte that does not start a valid
// UTF-8 sequence stands for the character of the same number (U+0000 to
// U+00FF), as in Latin-1, so a name saved in an 8-bit code page still gives a
// definite string instead of being dropped.

#include <cstdint>
#include <string_view>
#include <vector>

std::vector<uint8_t> NtlmUnicode(std::string_view text);

// Upper-cases each character of the Basic Multilingual Plane by the simple
// case mapping of the C library's UTF-8 locale ("C.UTF-8"), or ASCII only
// when that locale is missing; other characters stay as they are.
std::vector<uint8_t> NtlmUpperUnicode(std::string_view text);
