#include "foundation/text/ByteBuffer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

namespace
{
// Hands out heap blocks, counts the calls and can be told to refuse.
class CountingAllocator : public IByteBufferAllocator
{
public:
    ~CountingAllocator() override { EXPECT_TRUE(m_live.empty()) << "blocks not released"; }

    uint8_t* Allocate(size_t size) override
    {
        ++m_allocations;
        m_lastSize = size;
        if (m_fail)
            return nullptr;
        auto* p = static_cast<uint8_t*>(std::malloc(size));
        m_live.insert(p);
        return p;
    }

    void Free(uint8_t* data) override
    {
        ++m_frees;
        EXPECT_EQ(m_live.erase(data), 1u) << "freed a block this allocator did not give";
        std::free(data);
    }

    int m_allocations = 0;
    int m_frees = 0;
    size_t m_lastSize = 0;
    bool m_fail = false;
    std::set<uint8_t*> m_live;
};

void Fill(CByteBuffer& buffer, const std::string& text)
{
    for (const char c : text)
        ASSERT_TRUE(buffer.AppendByte(static_cast<uint8_t>(c)));
}

std::string Contents(const CByteBuffer& buffer)
{
    return std::string(reinterpret_cast<const char*>(buffer.GetData()), static_cast<size_t>(buffer.GetLength()));
}
} // namespace

TEST(ByteBuffer, ConstructionRoundsUpToWholeSteps)
{
    const struct
    {
        int32_t initial;
        int32_t capacity;
        int32_t length;
        int allocations;
    } cases[] = {{0, 0, 0, 0}, {-5, 0, 0, 0}, {1, 256, 1, 1}, {256, 256, 256, 1}, {257, 512, 257, 1}};
    for (const auto& c : cases)
    {
        CountingAllocator allocator;
        {
            CByteBuffer buffer(&allocator, c.initial);
            EXPECT_EQ(buffer.GetCapacity(), c.capacity) << c.initial;
            EXPECT_EQ(buffer.GetLength(), c.length) << c.initial;
            EXPECT_EQ(buffer.GetReadPos(), 0);
            EXPECT_EQ(buffer.GetGrowStep(), 256);
            EXPECT_EQ(allocator.m_allocations, c.allocations) << c.initial;
        }
        EXPECT_EQ(allocator.m_frees, c.allocations) << "destructor releases through the allocator";
    }
}

TEST(ByteBuffer, AppendGrowsByStepAndKeepsContents)
{
    CountingAllocator allocator;
    CByteBuffer buffer(&allocator);
    EXPECT_EQ(buffer.GetData(), nullptr);
    ASSERT_TRUE(buffer.AppendByte('x'));
    EXPECT_EQ(buffer.GetCapacity(), 256);
    EXPECT_EQ(allocator.m_allocations, 1);
    EXPECT_EQ(buffer.GetData()[0], 'x');

    std::string expected = "x";
    for (int i = 1; i < 257; ++i)
        expected += static_cast<char>('a' + i % 26);
    Fill(buffer, expected.substr(1));
    EXPECT_EQ(buffer.GetCapacity(), 512);
    EXPECT_EQ(allocator.m_allocations, 2);
    EXPECT_EQ(allocator.m_frees, 1);
    EXPECT_EQ(Contents(buffer), expected);

    buffer.SetGrowStep(10);
    buffer.SetLength(512);
    ASSERT_TRUE(buffer.AppendByte('z'));
    EXPECT_EQ(buffer.GetCapacity(), 522);
    EXPECT_EQ(Contents(buffer).substr(0, 257), expected);
}

TEST(ByteBuffer, GrowAddsExactlyAndFreeResets)
{
    CountingAllocator allocator;
    CByteBuffer buffer(&allocator);
    Fill(buffer, "abc");
    buffer.SetReadPos(2);
    EXPECT_TRUE(buffer.Grow(0));
    EXPECT_TRUE(buffer.Grow(-3));
    EXPECT_EQ(allocator.m_allocations, 1) << "n < 1 allocates nothing";
    ASSERT_TRUE(buffer.Grow(100));
    EXPECT_EQ(buffer.GetCapacity(), 356);
    EXPECT_EQ(allocator.m_lastSize, 356u);
    EXPECT_EQ(Contents(buffer), "abc");
    EXPECT_EQ(buffer.GetReadPos(), 2);

    buffer.Free();
    EXPECT_EQ(buffer.GetData(), nullptr);
    EXPECT_EQ(buffer.GetLength(), 0);
    EXPECT_EQ(buffer.GetCapacity(), 0);
    EXPECT_EQ(buffer.GetReadPos(), 0);
    EXPECT_EQ(allocator.m_frees, allocator.m_allocations);
}

TEST(ByteBuffer, AssignTakesStepBytesAndPositions)
{
    CByteBuffer source;
    source.SetGrowStep(100);
    Fill(source, std::string(300, 's'));
    source.SetReadPos(7);

    const struct
    {
        int32_t initial;     // destination's starting length (capacity in steps of 256)
        int32_t capacity;    // after assignment
        int allocations;     // in total, construction included
        int frees;
    } cases[] = {
        {0, 300, 1, 0},     // 0 + 3 steps of 100
        {1, 356, 2, 1},     // 256 + 1 step of 100; old storage released
        {257, 512, 1, 0},   // already large enough: no new storage
    };
    for (const auto& c : cases)
    {
        CountingAllocator allocator;
        {
            CByteBuffer dest(&allocator, c.initial);
            dest = source;
            EXPECT_EQ(dest.GetCapacity(), c.capacity) << c.initial;
            EXPECT_EQ(dest.GetGrowStep(), 100);
            EXPECT_EQ(dest.GetLength(), 300);
            EXPECT_EQ(dest.GetReadPos(), 7);
            EXPECT_EQ(Contents(dest), Contents(source));
            EXPECT_EQ(allocator.m_allocations, c.allocations) << c.initial;
            EXPECT_EQ(allocator.m_frees, c.frees) << c.initial;
            EXPECT_EQ(dest.GetAllocator(), &allocator) << "assignment keeps the destination's allocator";
        }
    }

    CByteBuffer& alias = source;
    source = alias;
    EXPECT_EQ(Contents(source), std::string(300, 's'));
    EXPECT_EQ(source.GetReadPos(), 7);
}

TEST(ByteBuffer, FailedAllocationLeavesBufferIntact)
{
    CountingAllocator allocator;
    CByteBuffer buffer(&allocator);
    Fill(buffer, std::string(256, 'q'));
    buffer.SetReadPos(5);
    const uint8_t* data = buffer.GetData();
    allocator.m_fail = true;

    EXPECT_FALSE(buffer.Grow(10));
    EXPECT_FALSE(buffer.AppendByte('r'));
    CByteBuffer big;
    Fill(big, std::string(400, 'b'));
    EXPECT_FALSE(buffer.Assign(big));

    EXPECT_EQ(buffer.GetData(), data);
    EXPECT_EQ(buffer.GetCapacity(), 256);
    EXPECT_EQ(buffer.GetReadPos(), 5);
    EXPECT_EQ(buffer.GetGrowStep(), 256);
    EXPECT_EQ(Contents(buffer), std::string(256, 'q'));

    CByteBuffer refused(&allocator, 10);
    EXPECT_EQ(refused.GetLength(), 0);
    EXPECT_EQ(refused.GetCapacity(), 0);
}

TEST(ByteBuffer, GrowthPastLargestCapacityIsRefused)
{
    CountingAllocator allocator;
    CByteBuffer buffer(&allocator);
    Fill(buffer, "keep");
    const int before = allocator.m_allocations;
    EXPECT_FALSE(buffer.Grow(CByteBuffer::kMaxCapacity));
    EXPECT_FALSE(buffer.Grow(CByteBuffer::kMaxCapacity - 255));
    EXPECT_EQ(allocator.m_allocations, before) << "an overflowing size must never reach the allocator";
    EXPECT_EQ(buffer.GetCapacity(), 256);
    EXPECT_EQ(Contents(buffer), "keep");

    CByteBuffer huge(&allocator, CByteBuffer::kMaxCapacity);
    EXPECT_EQ(huge.GetCapacity(), 0) << "rounding up would pass the largest capacity";
    EXPECT_EQ(allocator.m_allocations, before);
}

TEST(ByteBuffer, CopyHeadCopiesClippedPrefix)
{
    CByteBuffer source;
    source.SetGrowStep(7);
    Fill(source, "Hello, world");
    source.SetReadPos(3);

    const struct
    {
        int32_t n;
        const char* expected;
    } cases[] = {{5, "Hello"}, {0, ""}, {-2, ""}, {100, "Hello, world"}};
    for (const auto& c : cases)
    {
        CByteBuffer dest;
        dest.SetGrowStep(9);
        Fill(dest, "old content");
        dest.SetReadPos(4);
        EXPECT_EQ(&source.CopyHead(dest, c.n), &dest);
        EXPECT_EQ(Contents(dest), c.expected) << c.n;
        EXPECT_EQ(dest.GetReadPos(), 0);
        EXPECT_EQ(dest.GetGrowStep(), 256);
    }

    source.CopyHead(source, 4);
    EXPECT_EQ(Contents(source), "Hell");
    EXPECT_EQ(source.GetReadPos(), 0);
}

TEST(ByteBuffer, MatchAtNoCase)
{
    CByteBuffer buffer;
    Fill(buffer, "HTTP/1.1 200 OK\r\nContent-Type: text/html");
    const struct
    {
        int32_t readPos;
        const char* bytes;
        int32_t n;
        bool expected;
    } cases[] = {
        {0, "http/", 5, true},
        {0, "HTTP/", 5, true},
        {0, "HTTX", 4, false},
        {17, "content-type:", 13, true},
        {17, "CONTENT-TYPE: TEXT/HTML", 23, true},
        {17, "content-type: text/html!", 24, false}, // one byte more than remains
        {39, "L", 1, true},
        {40, "l", 1, false}, // at the end
        {40, "", 0, true},
        {5, "x", -1, true},
    };
    for (const auto& c : cases)
    {
        buffer.SetReadPos(c.readPos);
        EXPECT_EQ(buffer.MatchAtNoCase(c.bytes, c.n), c.expected) << c.readPos << " " << c.bytes;
        EXPECT_EQ(buffer.GetReadPos(), c.readPos) << "the read position does not move";
    }
}

TEST(ByteBuffer, LengthAndReadPositionStayInRange)
{
    CByteBuffer buffer(nullptr, 10);
    buffer.SetReadPos(8);
    buffer.SetLength(4);
    EXPECT_EQ(buffer.GetReadPos(), 4);
    buffer.SetLength(1000);
    EXPECT_EQ(buffer.GetLength(), 256);
    buffer.SetReadPos(-1);
    EXPECT_EQ(buffer.GetReadPos(), 0);
    buffer.SetGrowStep(0);
    EXPECT_EQ(buffer.GetGrowStep(), 1);
    ASSERT_TRUE(buffer.AppendByte('!'));
    EXPECT_EQ(buffer.GetCapacity(), 257);
}
