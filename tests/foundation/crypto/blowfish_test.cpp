#include "foundation/crypto/Blowfish.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace
{
std::vector<uint8_t> FromHex(std::string_view hex)
{
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return bytes;
}

// The published vectors read each 32-bit half big-endian; this cipher reads
// it little-endian, so clear and cipher text are swapped word by word.
std::vector<uint8_t> SwapWords(std::vector<uint8_t> bytes)
{
    for (size_t i = 0; i + 3 < bytes.size(); i += 4)
    {
        std::swap(bytes[i], bytes[i + 3]);
        std::swap(bytes[i + 1], bytes[i + 2]);
    }
    return bytes;
}

struct EcbVector
{
    const char* key;
    const char* clear;
    const char* cipher;
};

// Eric Young's ECB test data for Blowfish.
const EcbVector kEcbVectors[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
    {"07A1133E4A0B2686", "0248D43806F67172", "1730E5778BEA1DA4"},
    {"3849674C2602319E", "51454B582DDF440A", "A25E7856CF2651EB"},
    {"04B915BA43FEB5B6", "42FD443059577FA2", "353882B109CE8F1A"},
    {"0113B970FD34F2CE", "059B5E0851CF143A", "48F4D0884C379918"},
    {"0170F175468FB5E6", "0756D8E0774761D2", "432193B78951FC98"},
    {"43297FAD38E373FE", "762514B829BF486A", "13F04154D69D1AE5"},
    {"07A7137045DA2A16", "3BDD119049372802", "2EEDDA93FFD39C79"},
    {"04689104C2FD3B2F", "26955F6835AF609A", "D887E0393C2DA6E3"},
    {"37D06BB516CB7546", "164D5E404F275232", "5F99D04F5B163969"},
    {"1F08260D1AC2465E", "6B056E18759F5CCA", "4A057A3B24D3977B"},
    {"584023641ABA6176", "004BD6EF09176062", "452031C1E4FADA8E"},
    {"025816164629B007", "480D39006EE762F2", "7555AE39F59B87BD"},
    {"49793EBC79B3258F", "437540C8698F3CFA", "53C55F9CB49FC019"},
    {"4FB05E1515AB73A7", "072D43A077075292", "7A8E7BFA937E89A3"},
    {"49E95D6D4CA229BF", "02FE55778117F12A", "CF9C5D7A4986ADB5"},
    {"018310DC409B26D6", "1D9D5C5018F728C2", "D1ABB290658BC778"},
    {"1C587F1C13924FEF", "305532286D6F295A", "55CB3774D13EF201"},
    {"0101010101010101", "0123456789ABCDEF", "FA34EC4847B268B2"},
    {"1F1F1F1F0E0E0E0E", "0123456789ABCDEF", "A790795108EA3CAE"},
    {"E0FEE0FEF1FEF1FE", "0123456789ABCDEF", "C39E072D9FAC631D"},
    {"0000000000000000", "FFFFFFFFFFFFFFFF", "014933E0CDAFF6E4"},
    {"FFFFFFFFFFFFFFFF", "0000000000000000", "F21E9A77B71C49BC"},
    {"0123456789ABCDEF", "0000000000000000", "245946885754369A"},
    {"FEDCBA9876543210", "FFFFFFFFFFFFFFFF", "6B5C5A9C5D9E0A5A"},
};

// Eric Young's key-length data: clear text FEDCBA9876543210 under the first
// 1, 2, ... 24 bytes of this key.
const char kSetKeyKey[] = "F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677";
const char* const kSetKeyCipher[24] = {
    "F9AD597C49DB005E", "E91D21C1D961A6D6", "E9C2B70A1BC65CF3", "BE1E639408640F05", "B39E44481BDB1E6E",
    "9457AA83B1928C0D", "8BB77032F960629D", "E87A244E2CC85E82", "15750E7A4F4EC577", "122BA70B3AB64AE0",
    "3A833C9AFFC537F6", "9409DA87A90F6BF2", "884F80625060B8B4", "1F85031C19E11968", "79D9373A714CA34F",
    "93142887EE3BE15C", "03429E838CE2D14B", "A4299E27469FF67B", "AFD5AED1C1BC96A8", "10851C0E3858DA9F",
    "E6F51ED79B9DB21F", "64A6E14AFD36B46F", "80C7D7D45A5479AD", "05044B62FA52D080",
};

void ExpectVector(const std::vector<uint8_t>& key, const char* clear, const char* cipher)
{
    CBlowfish blowfish(key.data(), key.size());
    const std::vector<uint8_t> plain = SwapWords(FromHex(clear));
    const std::vector<uint8_t> expected = SwapWords(FromHex(cipher));

    std::vector<uint8_t> block = plain;
    EXPECT_EQ(blowfish.Encrypt(block.data(), 8), 0);
    EXPECT_EQ(block, expected);
    EXPECT_EQ(blowfish.Decrypt(block.data(), 8), 0);
    EXPECT_EQ(block, plain);
}
} // namespace

TEST(BlowfishTest, EcbVectorsWithLittleEndianHalves)
{
    for (const EcbVector& v : kEcbVectors)
    {
        SCOPED_TRACE(v.key);
        ExpectVector(FromHex(v.key), v.clear, v.cipher);
    }
}

TEST(BlowfishTest, KeyLengthVectors)
{
    const std::vector<uint8_t> fullKey = FromHex(kSetKeyKey);
    for (size_t length = 1; length <= 24; ++length)
    {
        SCOPED_TRACE(length);
        ExpectVector(std::vector<uint8_t>(fullKey.begin(), fullKey.begin() + length), "FEDCBA9876543210",
                     kSetKeyCipher[length - 1]);
    }
}

TEST(BlowfishTest, BlockFunctionsUseThePublishedWordOrder)
{
    const uint8_t key[8] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    CBlowfish blowfish(key, sizeof key);
    uint32_t left = 0x11111111;
    uint32_t right = 0x11111111;
    blowfish.EncryptBlock(left, right);
    EXPECT_EQ(left, 0x61F9C380u);
    EXPECT_EQ(right, 0x2281B096u);
    blowfish.DecryptBlock(left, right);
    EXPECT_EQ(left, 0x11111111u);
    EXPECT_EQ(right, 0x11111111u);
}

TEST(BlowfishTest, PartialBlockIsLeftAloneAndReported)
{
    const uint8_t key[] = "partial";
    CBlowfish blowfish(key, 7);
    uint8_t ten[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    uint8_t eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(blowfish.Encrypt(ten, 10), 6);
    EXPECT_EQ(blowfish.Encrypt(eight, 8), 0);
    EXPECT_EQ(std::vector<uint8_t>(ten, ten + 8), std::vector<uint8_t>(eight, eight + 8));
    EXPECT_EQ(ten[8], 9);
    EXPECT_EQ(ten[9], 10);
    EXPECT_EQ(blowfish.Decrypt(ten, 13), 3);
    EXPECT_EQ(ten[0], 1);

    uint8_t untouched[4] = {4, 3, 2, 1};
    EXPECT_EQ(blowfish.Encrypt(untouched, 0), 0);
    EXPECT_EQ(blowfish.Decrypt(untouched, 0), 0);
    EXPECT_EQ(untouched[0], 4);
    EXPECT_EQ(untouched[3], 1);
}

TEST(BlowfishTest, KeyBytesPast72DoNotCount)
{
    std::vector<uint8_t> longKey(119);
    for (size_t i = 0; i < longKey.size(); ++i)
        longKey[i] = static_cast<uint8_t>(i * 37 + 11);
    std::vector<uint8_t> otherTail = longKey;
    otherTail[72] ^= 0xFF;
    otherTail[118] ^= 0x55;
    CBlowfish full(longKey.data(), longKey.size());
    CBlowfish cut(longKey.data(), 72);
    CBlowfish changedTail(otherTail.data(), otherTail.size());
    CBlowfish shorter(longKey.data(), 71);

    std::vector<uint8_t> a(64, 0x5A), b(64, 0x5A), c(64, 0x5A), d(64, 0x5A);
    full.Encrypt(a.data(), 64);
    cut.Encrypt(b.data(), 64);
    changedTail.Encrypt(c.data(), 64);
    shorter.Encrypt(d.data(), 64);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a, c);
    EXPECT_NE(a, d);
}

TEST(BlowfishTest, DecryptUndoesEncrypt)
{
    const char key[] = "a key of some length";
    CBlowfish blowfish(key, sizeof key - 1);
    for (int length : {8, 64, 1000})
    {
        std::vector<uint8_t> original(static_cast<size_t>(length));
        for (size_t i = 0; i < original.size(); ++i)
            original[i] = static_cast<uint8_t>(i * 131 + 7);
        std::vector<uint8_t> buffer = original;
        EXPECT_EQ(blowfish.Encrypt(buffer.data(), length), 0);
        EXPECT_NE(buffer, original);
        EXPECT_EQ(blowfish.Decrypt(buffer.data(), length), 0);
        EXPECT_EQ(buffer, original) << length;
    }
}

TEST(BlowfishTest, EmptyKeyStillEnciphersReversibly)
{
    CBlowfish blowfish(nullptr, 0);
    uint8_t block[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    blowfish.Encrypt(block, 8);
    EXPECT_NE(block[0] | block[1] << 8, 1 | 2 << 8);
    blowfish.Decrypt(block, 8);
    EXPECT_EQ(block[0], 1);
    EXPECT_EQ(block[7], 8);
}
