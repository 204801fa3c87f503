#pragma once
// The standard dictionary of RFC 2289 (Appendix D) through which a one-time
// password is written as six short English words: 2048 words of one to four
// capital letters, so that each word carries 11 bits.

#include <string_view>

inline constexpr int kOtpDictionarySize = 2048;

// Word index (0 to 2047) of the dictionary; empty for any other index.
std::string_view OtpDictionaryWord(int index);
