#include "foundation/text/MemoryReadStream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

TEST(MemoryReadStreamTest, ReadLineKeepsLineFeedsAndEndsWithTheLastBytes)
{
    const struct
    {
        std::string text;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"\n", {"\n"}},
        {"a\r\nb\n", {"a\r\n", "b\n"}},
        {"a\n\nlast", {"a\n", "\n", "last"}},
        {std::string("x\0y\nz", 5), {std::string("x\0y\n", 4), "z"}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.text);
        CMemoryReadStream stream(c.text.data(), c.text.size());
        std::vector<std::string> lines;
        std::string line = "stale";
        for (size_t guard = 0; guard < 10 && stream.ReadLine(line); ++guard)
            lines.push_back(line);
        EXPECT_EQ(lines, c.lines);
        EXPECT_EQ(line, "");
        EXPECT_FALSE(stream.ReadLine(line));
    }
}

TEST(MemoryReadStreamTest, ReadSeekAndTellStayWithinTheBytes)
{
    const char bytes[] = "0123456789";
    CMemoryReadStream stream(bytes, 10);
    char buffer[16] = {};
    EXPECT_EQ(stream.Read(buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    EXPECT_EQ(stream.Tell(), 4);

    EXPECT_EQ(stream.Seek(-2, 1), 2);
    EXPECT_EQ(stream.Seek(-100, 1), 0);
    EXPECT_EQ(stream.Seek(INT64_MAX, 1), 10);
    EXPECT_EQ(stream.Seek(INT64_MIN, 2), 0);
    EXPECT_EQ(stream.Seek(-3, 2), 7);
    EXPECT_EQ(stream.Seek(0, 7), -1);
    EXPECT_EQ(stream.Tell(), 7);

    EXPECT_EQ(stream.Read(buffer, 16), 3);
    EXPECT_EQ(std::string(buffer, 3), "789");
    EXPECT_EQ(stream.Read(buffer, 16), 0);
    EXPECT_EQ(stream.Read(buffer, -1), 0);
    EXPECT_EQ(stream.Write("x", 1), -1);

    CMemoryReadStream none(nullptr, 5);
    EXPECT_EQ(none.Read(buffer, 16), 0);
    EXPECT_EQ(none.Seek(3, 0), 0);
}
