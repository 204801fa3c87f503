#include "foundation/text/HexText.h"
#include "foundation/crypto/Md4.h"
#include "foundation/crypto/Md5.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace
{
struct DigestVector
{
    const char* input;
    const char* md4;
    const char* md5;
};

// The test suites of RFC 1320 and RFC 1321, appendix A.5.
const DigestVector kSuite[] = {
    {"", "31d6cfe0d16ae931b73c59d7e0c089c0", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "bde52cb31de33e46245e05fbdbd6fb24", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "a448017aaf21d8525fc10ae87aa6729d", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "d9130a8164549fe818874806e1c7014b", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "d79e1c308aa5bbcdeea8ed63df412da9", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "043f8582f241db351ce627e153e7f0e4",
     "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "e33b4ddc9c38f2199c3e7b164fcc0536", "57edf4a22be3c955ac49da2e2107b67a"},
};

std::string Hex(const uint8_t (&digest)[16])
{
    return HexEncode(digest, sizeof digest, 0, "", "", "");
}

std::string Md4Of(std::string_view input)
{
    Md4Context context;
    Md4Init(context);
    Md4Update(context, input.data(), static_cast<uint32_t>(input.size()));
    uint8_t digest[16];
    Md4Final(context, digest);
    return Hex(digest);
}

std::string Md5Of(std::string_view input)
{
    Md5Context context;
    Md5Init(context);
    Md5Update(context, input.data(), static_cast<uint32_t>(input.size()));
    uint8_t digest[16];
    Md5Final(context, digest);
    return Hex(digest);
}

// Chunk sizes that land on, just before and just after 64-byte block edges.
const uint32_t kChunks[] = {1, 63, 64, 65, 0, 127, 128, 3, 200, 55, 56, 57, 1000};

// Feeds input in pieces of the sizes above, in turn.
template <typename Context, typename Update>
void FeedInPieces(Context& context, std::string_view input, Update update)
{
    size_t done = 0;
    for (size_t i = 0; done < input.size(); ++i)
    {
        const uint32_t size =
            static_cast<uint32_t>(std::min<size_t>(kChunks[i % std::size(kChunks)], input.size() - done));
        update(context, input.data() + done, size);
        done += size;
    }
}
} // namespace

TEST(DigestTest, Md4MatchesRfc1320Suite)
{
    for (const DigestVector& v : kSuite)
        EXPECT_EQ(Md4Of(v.input), v.md4) << '"' << v.input << '"';
}

TEST(DigestTest, Md5MatchesRfc1321Suite)
{
    for (const DigestVector& v : kSuite)
        EXPECT_EQ(Md5Of(v.input), v.md5) << '"' << v.input << '"';
}

TEST(DigestTest, InputFedInPiecesAcrossBlockEdgesGivesTheSameDigest)
{
    // One million 'a': a well-known value for both digests.
    const std::string input(1000000, 'a');

    Md4Context md4;
    Md4Init(md4);
    FeedInPieces(md4, input, [](Md4Context& c, const char* p, uint32_t n) { Md4Update(c, p, n); });
    uint8_t digest4[16];
    Md4Final(md4, digest4);
    EXPECT_EQ(Hex(digest4), "bbce80cc6bb65e5c6745e30d4eeca9a4");

    Md5Context md5;
    Md5Init(md5);
    FeedInPieces(md5, input, [](Md5Context& c, const char* p, uint32_t n) { Md5Update(c, p, n); });
    uint8_t digest5[16];
    Md5Final(md5, digest5);
    EXPECT_EQ(Hex(digest5), "7707d6ae4e027c70eea2a935c2296f21");
}

TEST(DigestTest, Md5UpdateReportsTheBufferFillLevel)
{
    Md5Context context;
    Md5Init(context);
    const std::string bytes(70, 'x');
    EXPECT_EQ(Md5Update(context, bytes.data(), 70), 6u);
    EXPECT_EQ(Md5Update(context, bytes.data(), 58), 0u);
    EXPECT_EQ(Md5Update(context, bytes.data(), 1), 1u);
}
