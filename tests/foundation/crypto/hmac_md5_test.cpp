#include "foundation/text/HexText.h"
#include "foundation/crypto/HmacMd5.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::string Hex(const uint8_t (&digest)[16])
{
    return HexEncode(digest, sizeof digest, 0, "", "", "");
}
} // namespace

// The HMAC-MD5 test cases of RFC 2202, section 2.
TEST(HmacMd5, Rfc2202Cases)
{
    std::string key25;
    for (int i = 1; i <= 25; ++i)
        key25 += static_cast<char>(i);
    const struct
    {
        std::string key;
        std::string data;
        const char* digest;
    } cases[] = {
        {std::string(16, '\x0b'), "Hi There", "9294727a3638bb1c13f48ef8158bfc9d"},
        {"Jefe", "what do ya want for nothing?", "750c783e6ab0b503eaa86e310a5db738"},
        {std::string(16, '\xaa'), std::string(50, '\xdd'), "56be34521d144c88dbb8c733f0e8b3f6"},
        {key25, std::string(50, '\xcd'), "697eaf0aca3a3aea3a75164746ffaa79"},
        {std::string(16, '\x0c'), "Test With Truncation", "56461ef2342edc00f9bab995690efd4c"},
        // Keys longer than a block are hashed first.
        {std::string(80, '\xaa'), "Test Using Larger Than Block-Size Key - Hash Key First",
         "6b1ab7fe4bd7bf8f0b62e6ce61b9d0cd"},
        {std::string(80, '\xaa'), "Test Using Larger Than Block-Size Key and Larger Than One Block-Size Data",
         "6f630fad67cda0ee1fb1f562db3aa53e"},
    };
    for (const auto& c : cases)
    {
        uint8_t digest[16];
        HmacMd5(c.key.data(), c.key.size(), c.data.data(), c.data.size(), digest);
        EXPECT_EQ(Hex(digest), c.digest) << c.data;

        // The same code when the message arrives in chunks.
        CHmacMd5 chunked(c.key.data(), c.key.size());
        for (size_t at = 0; at < c.data.size(); at += 7)
            chunked.Update(c.data.data() + at, std::min<size_t>(7, c.data.size() - at));
        uint8_t chunkedDigest[16];
        chunked.Final(chunkedDigest);
        EXPECT_EQ(Hex(chunkedDigest), c.digest) << c.data;
    }
}
