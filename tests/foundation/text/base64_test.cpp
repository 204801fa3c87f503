#include "foundation/text/Base64.h"
#include "foundation/text/HexText.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::string Decode(std::string_view text)
{
    CByteBuffer buffer;
    EXPECT_TRUE(Base64Decode(text, buffer));
    return std::string(reinterpret_cast<const char*>(buffer.GetData()), static_cast<size_t>(buffer.GetLength()));
}

std::string Hex(std::string_view bytes)
{
    return HexEncode(bytes.data(), bytes.size(), 0, "", "", "");
}

struct Rfc4648Vector
{
    const char* plain;
    const char* base64;
    const char* hex;
};

// RFC 4648, section 10.
const Rfc4648Vector kVectors[] = {
    {"", "", ""},
    {"f", "Zg==", "66"},
    {"fo", "Zm8=", "666f"},
    {"foo", "Zm9v", "666f6f"},
    {"foob", "Zm9vYg==", "666f6f62"},
    {"fooba", "Zm9vYmE=", "666f6f6261"},
    {"foobar", "Zm9vYmFy", "666f6f626172"},
};
} // namespace

TEST(Base64, Rfc4648VectorsBothWays)
{
    for (const auto& v : kVectors)
    {
        const std::string plain = v.plain;
        EXPECT_EQ(Base64Encode(plain.data(), plain.size()), v.base64) << plain;
        EXPECT_EQ(Decode(v.base64), plain) << v.base64;
        EXPECT_EQ(Base64DecodeToString(v.base64), plain) << v.base64;
        EXPECT_EQ(Hex(plain), v.hex) << plain;
    }
}

TEST(Base64, NonAsciiAndEveryByteRoundTrip)
{
    const std::string umlauts = "\xC3\xA4\xC3\xB6\xC3\xBC\xE2\x82\xAC";
    EXPECT_EQ(Base64Encode(umlauts.data(), umlauts.size()), "w6TDtsO84oKs");
    EXPECT_EQ(Decode("w6TDtsO84oKs"), umlauts);

    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    for (size_t length = 253; length <= all.size(); ++length) // every padding case
        EXPECT_EQ(Decode(Base64Encode(all.data(), length)), all.substr(0, length));
}

TEST(Base64, DecodeAppendsToWhatTheBufferHolds)
{
    CByteBuffer buffer;
    ASSERT_TRUE(buffer.AppendByte('x'));
    ASSERT_TRUE(Base64Decode(std::string(400, 'A') + "YWJj", buffer)); // more than one growth step
    ASSERT_EQ(buffer.GetLength(), 1 + 300 + 3);
    EXPECT_EQ(buffer.GetData()[0], 'x');
    EXPECT_EQ(buffer.GetData()[1], 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.GetData()) + 301, 3), "abc");
}

TEST(Base64, GroupingAndPadding)
{
    struct Case
    {
        const char* text;
        std::string expected;
    };
    const Case cases[] = {
        {"YWJ", ""},                    // three characters or fewer give nothing
        {"YWJjZA", "abc"},              // a short tail is ignored
        {"YQ==YWJj", "a" "abc"},        // decoding goes on after a padded group
        {"YWI=YQ==", "ab" "a"},
        {"YQ=xYWJj", "a" "abc"},        // the third '=' decides; the fourth is not read
        {"YWJj=QQQYWJj", "abc"},        // '=' first in a group ends decoding
        {"YWJjY=QQ", "abc"},            // '=' second in a group ends decoding
        {"YWJj\r\nYWJj", "abc"},        // a line break is outside the alphabet
        {"YWJjYW\x80j", "abc"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Decode(c.text), c.expected) << c.text;
}

// Every byte value, in every position of a group, must be read safely.
TEST(Base64, EveryByteValueAsInput)
{
    for (int b = 0; b < 256; ++b)
    {
        const char c = static_cast<char>(b);
        const bool inAlphabet = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                                c == '+' || c == '/';
        for (int position = 0; position < 4; ++position)
        {
            std::string text = "QUJD"; // "ABC"
            text[static_cast<size_t>(position)] = c;
            text += "QUJD";
            const std::string decoded = Decode(text);
            if (inAlphabet)
                EXPECT_EQ(decoded.size(), 6u) << b << " at " << position;
            else if (c == '=' && position >= 2)
                EXPECT_EQ(decoded.size(), (position == 2 ? 1u : 2u) + 3u) << b << " at " << position;
            else
                EXPECT_EQ(decoded, "") << b << " at " << position;
            EXPECT_EQ(Base64DecodeToString(text).size(), decoded.size()) << b << " at " << position;
        }
    }
}

TEST(Base64, DecodeToStringMasksControlBytes)
{
    const unsigned char bytes[] = {0x00, 'a', 0x01, 0x07, 0xFF, 0x02, 0xFE};
    const std::string encoded = Base64Encode(bytes, sizeof bytes);
    EXPECT_EQ(Base64DecodeToString(encoded), "?a???\x02\xFE");
}

TEST(HexEncode, LinesPrefixesAndSeparators)
{
    const unsigned char two[] = {0xAB, 0x01};
    EXPECT_EQ(HexEncode(two, 2, 16, "", " ", "\r\n"), "ab 01 ");

    unsigned char eighteen[18];
    for (int i = 0; i < 18; ++i)
        eighteen[i] = static_cast<unsigned char>(i * 15);
    EXPECT_EQ(HexEncode(eighteen, 18, 16, "", " ", "\r\n"),
              "00 0f 1e 2d 3c 4b 5a 69 78 87 96 a5 b4 c3 d2 e1\r\nf0 ff ");
    EXPECT_EQ(HexEncode(eighteen, 4, 2, "> ", ":", "\n"), "> 00:0f\n> 1e:2d\n");
    EXPECT_EQ(HexEncode(eighteen, 3, 0, "> ", ",", "\n"), "> 00,0f,1e,");
    EXPECT_EQ(HexEncode(eighteen, 0, 16, "> ", " ", "\n"), "");
}
