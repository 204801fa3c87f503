#include "platform/core/Archive.h"

#include <gtest/gtest.h>

TEST(Archive, StringLengthForms)
{
    struct Case
    {
        size_t length;
        std::vector<uint8_t> prefix;
    };
    const Case cases[] = {
        {0, {0x00}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {0xFFFD, {0xFF, 0xFD, 0xFF}},
        {0xFFFE, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
    };
    for (const Case& c : cases)
    {
        CArchive out;
        out.WriteString(std::string(c.length, 'q'));
        ASSERT_EQ(out.Data().size(), c.prefix.size() + c.length) << c.length;
        EXPECT_TRUE(std::equal(c.prefix.begin(), c.prefix.end(), out.Data().begin())) << c.length;

        CArchive in(out.Data());
        std::string back;
        ASSERT_TRUE(in.ReadString(back));
        EXPECT_EQ(back.size(), c.length);
        EXPECT_EQ(in.Remaining(), 0u);
    }
}

TEST(Archive, IntegersAreLittleEndian)
{
    CArchive out;
    out.WriteUInt16(0x0102);
    out.WriteUInt32(0x03040506);
    out.WriteInt64(-2);
    out.WriteDouble(1.5);
    const std::vector<uint8_t> expected = {0x02, 0x01, 0x06, 0x05, 0x04, 0x03, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF,
                                           0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F};
    EXPECT_EQ(out.Data(), expected);

    CArchive in(out.Data());
    uint16_t a;
    uint32_t b;
    int64_t c;
    double d;
    ASSERT_TRUE(in.ReadUInt16(a) && in.ReadUInt32(b) && in.ReadInt64(c) && in.ReadDouble(d));
    EXPECT_EQ(a, 0x0102);
    EXPECT_EQ(b, 0x03040506u);
    EXPECT_EQ(c, -2);
    EXPECT_EQ(d, 1.5);
}

TEST(Archive, HostileLengthsFailWithoutAllocating)
{
    // A 32-bit length of 4 GB with three bytes behind it.
    const std::vector<uint8_t> bytes = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b', 'c'};
    CArchive in(bytes);
    std::string text = "unchanged";
    EXPECT_FALSE(in.ReadString(text));
    EXPECT_EQ(text, "unchanged");
    EXPECT_TRUE(in.Failed());
    uint8_t b;
    EXPECT_FALSE(in.ReadByte(b)); // a failed archive stays failed

    const std::vector<uint8_t> shortInt = {1, 2, 3};
    CArchive in2(shortInt);
    uint32_t v = 99;
    EXPECT_FALSE(in2.ReadUInt32(v));
    EXPECT_EQ(v, 99u);
}
