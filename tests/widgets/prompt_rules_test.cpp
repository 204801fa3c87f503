// The pure rules of the prompt and Base64 dialogs: what the text prompt's
// history becomes after an entry, and what typed Base64 shows on the plain
// side.

#include "widgets/Base64Dlg.h"
#include "widgets/TextPromptDlg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
using History = std::vector<std::string>;

TEST(TextPromptHistory, EnteredTextGoesOnTopOnce)
{
    const struct
    {
        History m_before;
        const char* m_entered;
        History m_after;
    } cases[] = {
        {{}, "alpha", {"alpha"}},
        {{"beta", "gamma"}, "alpha", {"alpha", "beta", "gamma"}},
        // An earlier entry equal ignoring case moves to the top as typed now.
        {{"beta", "ALPHA", "gamma", "Alpha"}, "alpha", {"alpha", "beta", "gamma"}},
        {{"alpha", "beta"}, "alpha", {"alpha", "beta"}},
        // Only whole entries match.
        {{"alphabet", "alp"}, "alpha", {"alpha", "alphabet", "alp"}},
        // Nothing entered: nothing recorded, nothing lost.
        {{"beta", "gamma"}, "", {"beta", "gamma"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CTextPromptDlg::RecordInHistory(c.m_before, c.m_entered), c.m_after) << c.m_entered;
}

TEST(Base64Typing, WhiteSpaceIsSkippedAndBadCharactersEndTheText)
{
    const struct
    {
        const char* m_typed;
        const char* m_base64;
        const char* m_shown;
    } cases[] = {
        {"SGVsbG8=", "SGVsbG8=", "Hello"},
        {"SGVs\r\nbG8=", "SGVsbG8=", "Hello"},
        {"  SG Vs\tbG 8=\n", "SGVsbG8=", "Hello"},
        // Decoding stops at the first character outside the alphabet...
        {"SGVsbG8h*QUJD", "SGVsbG8h", "Hello!"},
        {"SGVs-bG8=", "SGVs", "Hel"},
        {"\xC3\xA9SGVsbG8=", "", ""},
        // ...and a partial group at the end gives nothing yet.
        {"SGVsbG", "SGVsbG", "Hel"},
        {"", "", ""},
        // Bytes that cannot be shown become '?'.
        {"AAFoaf8H", "AAFoaf8H", "??hi??"},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(CBase64Dlg::TypedBase64(c.m_typed), c.m_base64) << c.m_typed;
        EXPECT_EQ(CBase64Dlg::DecodeForDisplay(c.m_typed, false), c.m_shown) << c.m_typed;
    }
}

TEST(Base64Typing, BinaryShowsSixteenPairsALine)
{
    // 17 bytes 0x00..0x10.
    const std::string base64 = "AAECAwQFBgcICQoLDA0ODxA=";
    EXPECT_EQ(CBase64Dlg::DecodeForDisplay(base64, true),
              "00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f\r\n10 ");
    EXPECT_EQ(CBase64Dlg::DecodeForDisplay(" /w ==", true), "ff ");
    EXPECT_EQ(CBase64Dlg::DecodeForDisplay("", true), "");
}
} // namespace
