#include "transfer/http/MemorySink.h"

#include <gtest/gtest.h>

#include "tests/support/BufferText.h"

#include <string>

#include "foundation/text/ByteBuffer.h"

namespace
{

} // namespace

TEST(MemorySink, WritesGrowTheBufferInSteps)
{
    CByteBuffer buffer;
    CMemorySink sink(&buffer);
    EXPECT_EQ(sink.Write("hello", 5), 5);
    EXPECT_EQ(buffer.GetCapacity(), 256);
    const std::string big(300, 'x');
    EXPECT_EQ(sink.Write(big.data(), 300), 300);
    EXPECT_EQ(buffer.GetCapacity(), 512);
    EXPECT_EQ(Bytes(buffer), "hello" + big);
    EXPECT_EQ(sink.Tell(), 305);
}

TEST(MemorySink, SeekClampsAndWritesGoToThePosition)
{
    CByteBuffer buffer;
    CMemorySink sink(&buffer);
    ASSERT_EQ(sink.Write("0123456789", 10), 10);
    const struct
    {
        int64_t offset;
        int origin;
        int64_t position;
    } cases[] = {
        {4, 0, 4},  {2, 1, 6}, {-3, 2, 7},         {-100, 1, 0},      {100, 0, 10},
        {5, 2, 10}, {3, 7, 3}, {INT64_MAX, 1, 10}, {INT64_MIN, 2, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.offset);
        EXPECT_EQ(sink.Seek(c.offset, c.origin), c.position);
        EXPECT_EQ(sink.Tell(), c.position);
    }
    sink.Seek(8, 0);
    EXPECT_EQ(sink.Write("abcd", 4), 4);
    EXPECT_EQ(Bytes(buffer), "01234567abcd");
    sink.Seek(0, 0);
    char out[5] = {};
    EXPECT_EQ(sink.Read(out, 4), 4);
    EXPECT_EQ(std::string(out), "0123");
}

TEST(MemorySink, WithoutBufferTakesNothing)
{
    CMemorySink sink(nullptr);
    EXPECT_EQ(sink.Write("abc", 3), 0);
    EXPECT_EQ(sink.Tell(), 0);
    EXPECT_EQ(sink.Seek(5, 0), 0);
    CByteBuffer buffer;
    CMemorySink real(&buffer);
    EXPECT_EQ(real.Write("abc", -1), -1);
    EXPECT_EQ(real.Write(nullptr, 3), -1);
    EXPECT_EQ(buffer.GetLength(), 0);
}
