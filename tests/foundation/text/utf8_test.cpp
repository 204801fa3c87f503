#include "foundation/text/UnicodeCase.h"
#include "foundation/text/Utf8.h"

#include <gtest/gtest.h>

#include <string>

TEST(Utf8, CharLengthCountsWellFormedSequencesAndSingleBadBytes)
{
    struct Case
    {
        std::string text;
        size_t length;
    };
    const Case cases[] = {
        {"a", 1},
        {"\xC3\xA4", 2},          // ä
        {"\xE2\x82\xAC", 3},      // €
        {"\xF0\x9F\x98\x80", 4},  // emoji
        {"\x80", 1},              // stray continuation byte
        {"\xC3", 1},              // cut sequence
        {"\xC0\xAF", 1},          // overlong '/'
        {"\xED\xA0\x80", 1},      // surrogate
        {"\xF4\x90\x80\x80", 1},  // past U+10FFFF
        {"\xFF", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf8CharLength(c.text, 0), c.length) << c.text;
    EXPECT_EQ(Utf8CharLength("a", 1), 0u);
}

TEST(Utf8, InvalidBytesRoundTripThroughDecodeAndAppend)
{
    const std::string text = "x\xC3\xA4\xFF\xE2\x82\xACy\xC3";
    std::string out;
    for (size_t at = 0; at < text.size();)
    {
        size_t length;
        AppendUtf8(out, DecodeUtf8(text, at, length));
        at += length;
    }
    EXPECT_EQ(out, text);
}

TEST(Utf8, CharStartStepsBackOnlyInsideOneSequence)
{
    const std::string text = "a\xE2\x82\xAC\x80";
    EXPECT_EQ(Utf8CharStart(text, 0), 0u);
    EXPECT_EQ(Utf8CharStart(text, 2), 1u);
    EXPECT_EQ(Utf8CharStart(text, 3), 1u);
    // The stray continuation byte after the euro sign is its own character.
    EXPECT_EQ(Utf8CharStart(text, 4), 4u);
}

TEST(UnicodeCase, SimpleMappingCoversLatinCyrillicGreekAndKeepsTheRest)
{
    EXPECT_EQ(Utf8ToUpper("größe слово αβγ"), "GRÖßE СЛОВО ΑΒΓ");
    EXPECT_EQ(Utf8ToLower("ÄÖÜ ЖЁ"), "äöü жё");
    EXPECT_EQ(SimpleUpperCase(0x00DF), 0x00DFu);  // ß has no one-character upper case
    EXPECT_EQ(Utf8ToUpper("a\xFF" "b"), "A\xFF" "B");
}
