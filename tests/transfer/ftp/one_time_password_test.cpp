#include "transfer/ftp/OneTimePassword.h"
#include "transfer/ftp/OtpDictionary.h"

#include "foundation/crypto/Md5.h"
#include "platform/core/Text.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

// RFC 2289 Appendix C, "OTP Verification Examples".
struct RfcVector
{
    OtpDigest digest;
    const char* passPhrase;
    const char* seed;
    int sequence;
    const char* hex;
    const char* words;
};

const RfcVector kRfcVectors[] = {
    {OtpDigest::Md4, "This is a test.", "TeSt", 0, "D185 4218 EBBB 0B51", "ROME MUG FRED SCAN LIVE LACE"},
    {OtpDigest::Md4, "This is a test.", "TeSt", 1, "6347 3EF0 1CD0 B444", "CARD SAD MINI RYE COL KIN"},
    {OtpDigest::Md4, "This is a test.", "TeSt", 99, "C5E6 1277 6E6C 237A", "NOTE OUT IBIS SINK NAVE MODE"},
    {OtpDigest::Md4, "AbCdEfGhIjK", "alpha1", 0, "5007 6F47 EB1A DE4E", "AWAY SEN ROOK SALT LICE MAP"},
    {OtpDigest::Md4, "AbCdEfGhIjK", "alpha1", 1, "65D2 0D19 49B5 F7AB", "CHEW GRIM WU HANG BUCK SAID"},
    {OtpDigest::Md4, "AbCdEfGhIjK", "alpha1", 99, "D150 C82C CE6F 62D1", "ROIL FREE COG HUNK WAIT COCA"},
    {OtpDigest::Md4, "OTP's are good", "correct", 0, "849C 79D4 F6F5 5388", "FOOL STEM DONE TOOL BECK NILE"},
    {OtpDigest::Md4, "OTP's are good", "correct", 1, "8C09 92FB 2508 47B1", "GIST AMOS MOOT AIDS FOOD SEEM"},
    {OtpDigest::Md4, "OTP's are good", "correct", 99, "3F3B F4B4 145F D74B", "TAG SLOW NOV MIN WOOL KENO"},
    {OtpDigest::Md5, "This is a test.", "TeSt", 0, "9E87 6134 D904 99DD", "INCH SEA ANNE LONG AHEM TOUR"},
    {OtpDigest::Md5, "This is a test.", "TeSt", 1, "7965 E054 36F5 029F", "EASE OIL FUM CURE AWRY AVIS"},
    {OtpDigest::Md5, "This is a test.", "TeSt", 99, "50FE 1962 C496 5880", "BAIL TUFT BITS GANG CHEF THY"},
    {OtpDigest::Md5, "AbCdEfGhIjK", "alpha1", 0, "8706 6DD9 644B F206", "FULL PEW DOWN ONCE MORT ARC"},
    {OtpDigest::Md5, "AbCdEfGhIjK", "alpha1", 1, "7CD3 4C10 40AD D14B", "FACT HOOF AT FIST SITE KENT"},
    {OtpDigest::Md5, "AbCdEfGhIjK", "alpha1", 99, "5AA3 7A81 F212 146C", "BODE HOP JAKE STOW JUT RAP"},
    {OtpDigest::Md5, "OTP's are good", "correct", 0, "F205 7539 43DE 4CF9", "ULAN NEW ARMY FUSE SUIT EYED"},
    {OtpDigest::Md5, "OTP's are good", "correct", 1, "DDCD AC95 6F23 4937", "SKIM CULT LOB SLAM POE HOWL"},
    {OtpDigest::Md5, "OTP's are good", "correct", 99, "B203 E28F A525 BE47", "LONG IVY JULY AJAR BOND LEE"},
};

// The RFC's hex form: four groups of four digits.
std::string HexGroups(const OtpKey& key)
{
    std::string hex;
    for (size_t i = 0; i < key.size(); ++i)
    {
        if (i > 0 && i % 2 == 0)
            hex += ' ';
        hex += Format("%02X", key[i]);
    }
    return hex;
}

TEST(OneTimePasswordTest, Rfc2289Vectors)
{
    for (const RfcVector& v : kRfcVectors)
    {
        SCOPED_TRACE(std::string(v.words));
        OtpKey key{};
        ASSERT_TRUE(ComputeOtpKey(v.digest, v.sequence, v.passPhrase, v.seed, key));
        EXPECT_EQ(v.hex, HexGroups(key));
        EXPECT_EQ(v.words, OtpToSixWords(key));

        std::string words;
        if (v.digest == OtpDigest::Md4)
            ASSERT_TRUE(ComputeOtpMd4(v.sequence, v.passPhrase, v.seed, words));
        else
            ASSERT_TRUE(ComputeOtpMd5(v.sequence, v.passPhrase, v.seed, words));
        EXPECT_EQ(v.words, words);

        // The same through the challenge an FTP server sends.
        const char* tag = v.digest == OtpDigest::Md4 ? "otp-md4" : "otp-md5";
        const std::string challenge =
            Format("331 Response to %s %d %s ext required for bob.", tag, v.sequence, v.seed);
        int kind = kLoginSkeyAuto;
        std::string answer;
        ASSERT_TRUE(MakeOtpAnswer(v.passPhrase, answer, challenge, kind));
        EXPECT_EQ(v.digest == OtpDigest::Md4 ? kLoginSkeyMd4 : kLoginSkeyMd5, kind);
        EXPECT_EQ(v.words, answer);
    }
}

std::string Md5Words(int sequence, const char* seed)
{
    std::string words;
    EXPECT_TRUE(ComputeOtpMd5(sequence, "This is a test.", seed, words));
    return words;
}

TEST(OneTimePasswordTest, Challenges)
{
    const std::string pass = "This is a test.";
    struct Case
    {
        int kindIn;
        const char* challenge;
        bool ok;
        int kindOut;
        std::string answer; // "-": left alone
    };
    const std::string md4At99 = "NOTE OUT IBIS SINK NAVE MODE";
    const std::string md5At99 = "BAIL TUFT BITS GANG CHEF THY";
    const Case cases[] = {
        {kLoginSkeyAuto, "331 otp-md5 99 TeSt", true, kLoginSkeyMd5, md5At99},
        {kLoginSkeyAuto, "331 otp-md5 99 TeSt ext\r\n", true, kLoginSkeyMd5, md5At99},
        {kLoginSkeyAuto, "331 otp-md4   99 \t  TeSt   ", true, kLoginSkeyMd4, md4At99},
        {kLoginSkeyAuto, "331 s/key 99 TeSt", true, kLoginSkeyMd4, md4At99},
        {kLoginSkeyAuto, "331 otp-md5 0499 ke1234 ext", true, kLoginSkeyMd5, Md5Words(499, "ke1234")},
        // A sequence number is decimal, whatever its leading zeros.
        {kLoginSkeyAuto, "331 otp-md5 010 TeSt", true, kLoginSkeyMd5, Md5Words(10, "test")},
        {kLoginSkeyAuto, "331 otp-md5 9999 TeSt", true, kLoginSkeyMd5, Md5Words(kMaxOtpSequence, "test")},
        // A kind chosen beforehand: its tag, or " s/key ".
        {kLoginSkeyMd4, "331 s/key 99 TeSt", true, kLoginSkeyMd4, md4At99},
        {kLoginSkeyMd5, "331 Response to OTP-MD5 99 TeSt", true, kLoginSkeyMd5, md5At99},
        {kLoginSkeyMd5, "331 Password required for bob.", false, kLoginSkeyMd5, "-"},
        {kLoginSkeyMd4, "331 otp-md5 99 TeSt", false, kLoginSkeyMd4, "-"},
        // No challenge: the pass phrase goes as it is.
        {kLoginSkeyAuto, "331 Password required for bob.", true, kLoginSkeyAuto, pass},
        {kLoginSkeyAuto, "331 OTP-MD5 99 TeSt", true, kLoginSkeyAuto, pass},
        {kLoginSkeyAuto, "otp-md5 99 TeSt", true, kLoginSkeyAuto, pass},
        {kLoginNormal, "331 otp-md5 99 TeSt", true, kLoginNormal, pass},
        {kLoginAnonymous, "331 otp-md5 99 TeSt", true, kLoginAnonymous, pass},
        // Challenges that cannot be answered.
        {kLoginSkeyAuto, "331 otp-md5 abc def", false, kLoginSkeyMd5, "-"},
        {kLoginSkeyAuto, "331 otp-md5 99", false, kLoginSkeyMd5, "-"},
        {kLoginSkeyAuto, "331 otp-md5 99\r\n", false, kLoginSkeyMd5, "-"},
        {kLoginSkeyAuto, "331 otp-md5 99seed", false, kLoginSkeyMd5, "-"},
        {kLoginSkeyAuto, "331 otp-md5 -5 TeSt", false, kLoginSkeyMd5, "-"},
        {kLoginSkeyAuto, "331 otp-md5 +5 TeSt", false, kLoginSkeyMd5, "-"},
        {kLoginSkeyAuto, "331 otp-md5 0x10 TeSt", false, kLoginSkeyMd5, "-"},
        {kLoginSkeyAuto, "331 otp-md5 10000 TeSt", false, kLoginSkeyMd5, "-"},
        {kLoginSkeyAuto, "331 otp-md5 2147483647 TeSt", false, kLoginSkeyMd5, "-"},
        {kLoginSkeyAuto, "331 otp-md5 99999999999999999999999 TeSt", false, kLoginSkeyMd5, "-"},
        {kLoginSkeyAuto, "331 otp-md5 ", false, kLoginSkeyMd5, "-"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.challenge);
        int kind = c.kindIn;
        std::string answer = "-";
        EXPECT_EQ(c.ok, MakeOtpAnswer(pass, answer, c.challenge, kind));
        EXPECT_EQ(c.kindOut, kind);
        EXPECT_EQ(c.answer, answer);
    }
}

TEST(OneTimePasswordTest, SequenceNumbersOutsideTheChainAreRefused)
{
    OtpKey key{};
    key.fill(0xAA);
    const OtpKey untouched = key;
    EXPECT_FALSE(ComputeOtpKey(OtpDigest::Md5, -1, "pass", "seed", key));
    EXPECT_FALSE(ComputeOtpKey(OtpDigest::Md5, kMaxOtpSequence + 1, "pass", "seed", key));
    EXPECT_FALSE(ComputeOtpKey(OtpDigest::Md4, INT32_MAX, "pass", "seed", key));
    EXPECT_EQ(untouched, key);
    std::string words = "kept";
    EXPECT_FALSE(ComputeOtpMd5(-1, "pass", "seed", words));
    EXPECT_FALSE(ComputeOtpMd4(kMaxOtpSequence + 1, "pass", "seed", words));
    EXPECT_EQ("kept", words);

    // The highest number is still answered.
    EXPECT_TRUE(ComputeOtpKey(OtpDigest::Md5, kMaxOtpSequence, "pass", "seed", key));

    // One more step is one more digest and fold over the previous password.
    OtpKey at98{};
    ASSERT_TRUE(ComputeOtpKey(OtpDigest::Md5, 98, "This is a test.", "TeSt", at98));
    Md5Context context;
    Md5Init(context);
    Md5Update(context, at98.data(), static_cast<uint32_t>(at98.size()));
    uint8_t digest[16];
    Md5Final(context, digest);
    OtpKey folded{};
    for (size_t i = 0; i < folded.size(); ++i)
        folded[i] = digest[i] ^ digest[i + 8];
    EXPECT_EQ("50FE 1962 C496 5880", HexGroups(folded));
}

TEST(OneTimePasswordTest, SixWordsAndItsBits)
{
    // All zero bits: word 0 six times, checksum 0.
    EXPECT_EQ("A A A A A A", OtpToSixWords(OtpKey{}));
    // All one bits: five times word 2047; the last word holds 9 one bits and
    // the checksum (32 groups of 3 = 96, low bits 00).
    OtpKey ones;
    ones.fill(0xFF);
    EXPECT_EQ("YOKE YOKE YOKE YOKE YOKE " + std::string(OtpDictionaryWord(0x7FC)), OtpToSixWords(ones));

    const uint8_t bytes[] = {0xAB, 0xCD, 0xEF};
    EXPECT_EQ(0xABCu, ExtractBits(bytes, sizeof bytes, 0, 12));
    EXPECT_EQ(0xBCDEu, ExtractBits(bytes, sizeof bytes, 4, 16));
    EXPECT_EQ(0x3u, ExtractBits(bytes, sizeof bytes, 22, 2));
    // Bits past the end read as zero instead of being read from beyond.
    EXPECT_EQ(0xB0u, ExtractBits(bytes, 1, 4, 8));
    EXPECT_EQ(0xEF0u, ExtractBits(bytes, sizeof bytes, 16, 12));
    EXPECT_EQ(0u, ExtractBits(bytes, sizeof bytes, 40, 11));
}

TEST(OneTimePasswordTest, TheDictionary)
{
    EXPECT_EQ("A", OtpDictionaryWord(0));
    EXPECT_EQ("YOU", OtpDictionaryWord(570));
    EXPECT_EQ("ABED", OtpDictionaryWord(571));
    EXPECT_EQ("YOKE", OtpDictionaryWord(kOtpDictionarySize - 1));
    EXPECT_EQ("", OtpDictionaryWord(-1));
    EXPECT_EQ("", OtpDictionaryWord(kOtpDictionarySize));
    // Short words in order, then four-letter words in order, all capitals and
    // each once: a word lost or doubled would show here or in the vectors.
    for (int i = 1; i < kOtpDictionarySize; ++i)
    {
        const std::string_view previous = OtpDictionaryWord(i - 1);
        const std::string_view word = OtpDictionaryWord(i);
        SCOPED_TRACE(std::string(word));
        ASSERT_TRUE(word.size() >= 1 && word.size() <= 4);
        EXPECT_EQ(MakeUpper(word), word);
        if (i == 571)
            EXPECT_LT(previous.size(), 4u);
        else
            EXPECT_LT(previous, word);
        EXPECT_EQ(i >= 571, word.size() == 4);
    }
}

} // namespace
