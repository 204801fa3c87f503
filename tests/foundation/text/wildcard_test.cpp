#include "foundation/text/Wildcard.h"

#include <fnmatch.h>
#include <gtest/gtest.h>

#include <random>
#include <string>

namespace
{
struct WildcardCase
{
    const char* text;
    const char* pattern;
    bool caseSensitive;
    bool expected;
};

const WildcardCase kCases[] = {
    {"report.html", "*.HTML", false, true},
    {"report.html", "*.HTML", true, false},
    {"ab", "a**b", false, true},
    {"7up", "[!0-9]*", false, false},
    {"up7", "[!0-9]*", false, true},
    {"a", "[a-]", false, false},
    {"-", "[a-]", false, false},
    {"", "*", false, false},
    {"", "", false, false},
    {"anything", "", false, true},
    {"abc", "a?c", false, true},
    {"ac", "a?c", false, false},
    {"abc", "abc*", false, true},
    {"abc", "*abc", false, true},
    {"abc", "ab", false, false},
    {"ab", "abc", false, false},
    {"ab", "ab*c", false, false},
    {"x", "[xyz]", false, true},
    {"X", "[xyz]", false, true},
    {"X", "[xyz]", true, false},
    {"w", "[xyz]", false, false},
    {"w", "[!xyz]", false, true},
    {"m", "[z-a]", false, true},   // a range in either order
    {"M", "[a-z]", true, false},
    {"M", "[a-z]", false, true},
    {"b", "[a-c-e]", false, false}, // more than one range is no set
    {"b", "[-ab]", false, false},
    {"a", "[]", false, false},
    {"a", "[!]", false, false},
    {"a", "[a", false, false},
    {"b", "*[a", false, false},
    {"a*", "[*]*", false, false},
    {"*", "[*]", false, true},      // a star inside a set is literal
    {"a]", "[]]", false, false},    // the set ends at the first ']'
    {"ab", "[a]b", false, true},
    {"a.b.c", "*.*.c", false, true},
    {"mississippi", "*sip*", false, true},
    {"mississippi", "m*iss*ppi", false, true},
    {"mississippi", "m*iss*ppx", false, false},
    {"\xC3\xA4", "\xC3?", true, true}, // bytes, not characters
    {"\xE4", "[\xE0-\xEF]", true, true},
};
} // namespace

TEST(WildcardMatch, Table)
{
    for (const auto& c : kCases)
        EXPECT_EQ(WildcardMatch(c.text, c.pattern, c.caseSensitive), c.expected)
            << "text \"" << c.text << "\" pattern \"" << c.pattern << "\" caseSensitive " << c.caseSensitive;
}

// On the subset both languages share (no sets, no escapes, non-empty text
// and pattern) the matcher must agree with the C library.
TEST(WildcardMatch, AgreesWithFnmatch)
{
    std::mt19937 random(20240611);
    const char textChars[] = "abc";
    const char patternChars[] = "abc*?";
    auto make = [&](const char* alphabet, size_t alphabetSize, size_t maxLength) {
        std::string s(1 + random() % maxLength, ' ');
        for (char& c : s)
            c = alphabet[random() % alphabetSize];
        return s;
    };
    for (int i = 0; i < 4000; ++i)
    {
        const std::string text = make(textChars, 3, 10);
        const std::string pattern = make(patternChars, 5, 8);
        const bool expected = fnmatch(pattern.c_str(), text.c_str(), 0) == 0;
        ASSERT_EQ(WildcardMatch(text, pattern, true), expected) << "text \"" << text << "\" pattern \"" << pattern << "\"";
    }
}

TEST(WildcardMatch, ManyStarsOverLongText)
{
    const std::string text(10 * 1024, 'a');
    EXPECT_FALSE(WildcardMatch(text, "*a*a*a*a*b"));
    EXPECT_TRUE(WildcardMatch(text + "b", "*a*a*a*a*b"));
    EXPECT_TRUE(WildcardMatch(text, "*a*a*a*a*?"));
}
