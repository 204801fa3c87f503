#pragma once
// Unicode's simple case mapping: one code point to one code point, so a
// case change never changes the number of characters, and a case-blind
// comparison matches "ä" with "Ä" and "ж" with "Ж". The table is generated
// (UnicodeCaseTable.cpp, written by scripts/gen-unicode-case).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

struct UnicodeCasePair
{
    uint32_t from;
    uint32_t to;
};

extern const UnicodeCasePair kUnicodeUpperPairs[];
extern const size_t kUnicodeUpperPairsCount;
extern const UnicodeCasePair kUnicodeLowerPairs[];
extern const size_t kUnicodeLowerPairsCount;

// The code point itself when it has no simple mapping (also for the
// invalid-byte values of Utf8.h).
uint32_t SimpleUpperCase(uint32_t codePoint);
uint32_t SimpleLowerCase(uint32_t codePoint);

// The text with every character mapped; bytes that are not valid UTF-8 are
// kept as they are.
std::string Utf8ToUpper(std::string_view text);
std::string Utf8ToLower(std::string_view text);
