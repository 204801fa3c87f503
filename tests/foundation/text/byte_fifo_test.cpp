#include "foundation/text/ByteFifo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <vector>

TEST(ByteFifo, FirstReservationAddsTheGrowth)
{
    CByteFifo fifo;
    EXPECT_EQ(fifo.GetReadPtr(), nullptr);
    const uint8_t* start = fifo.Reserve(10);
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(fifo.GetCapacity(), 0x8000 + 10);
    EXPECT_EQ(fifo.GetAvailable(), 10);
    EXPECT_EQ(fifo.GetReadPtr(), start);

    CByteFifo presized(100);
    EXPECT_EQ(presized.GetAvailable(), 100) << "the initial size counts as available";
}

TEST(ByteFifo, ReadingEverythingRewindsToTheStart)
{
    CByteFifo fifo;
    ASSERT_EQ(fifo.Write("abcdef", 6), 6);
    const uint8_t* start = fifo.GetReadPtr();
    char out[16] = {};
    EXPECT_EQ(fifo.Read(out, 2), 2);
    EXPECT_EQ(fifo.GetReadPtr(), start + 2);
    EXPECT_EQ(fifo.Read(out + 2, 100), 4) << "a read is clipped to what is available";
    EXPECT_STREQ(out, "abcdef");
    EXPECT_EQ(fifo.GetAvailable(), 0);
    EXPECT_EQ(fifo.GetReadPtr(), start);
    EXPECT_EQ(fifo.Read(out, 5), 0);

    ASSERT_EQ(fifo.Write("xyz", 3), 3);
    EXPECT_EQ(fifo.GetReadPtr(), start);
    fifo.DropTail(1);
    EXPECT_EQ(fifo.GetAvailable(), 2);
    fifo.DropTail(50);
    EXPECT_EQ(fifo.GetAvailable(), 0);
    ASSERT_EQ(fifo.Write("q", 1), 1);
    EXPECT_EQ(fifo.GetReadPtr(), start) << "dropping everything rewinds too";
}

TEST(ByteFifo, CompactsInsteadOfGrowingWhenMostIsRead)
{
    CByteFifo fifo;
    uint8_t* start = fifo.Reserve(0x8000);
    ASSERT_NE(start, nullptr);
    ASSERT_EQ(fifo.GetCapacity(), 65536);
    ASSERT_NE(fifo.Reserve(32000), nullptr); // write position 64768
    for (int i = 0; i < 64768; ++i)
        start[i] = static_cast<uint8_t>(i * 7);
    std::vector<uint8_t> sink(40000);
    ASSERT_EQ(fifo.Read(sink.data(), 40000), 40000);

    uint8_t* room = fifo.Reserve(1000); // 64768 + 1000 passes the capacity
    EXPECT_EQ(fifo.GetCapacity(), 65536) << "compacted, not grown";
    EXPECT_EQ(fifo.GetReadPtr(), start);
    EXPECT_EQ(room, start + 24768);
    ASSERT_EQ(fifo.GetAvailable(), 25768);
    for (int i = 0; i < 24768; ++i)
        ASSERT_EQ(start[i], static_cast<uint8_t>((i + 40000) * 7)) << i;
}

TEST(ByteFifo, StreamThroughKeepsOrderAndOneAllocation)
{
    CByteFifo fifo;
    std::deque<uint8_t> model;
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int32_t>((seed >> 8) % 4000);
    };
    uint8_t counter = 0;
    int32_t capacityAfterFirstFill = 0;
    for (int round = 0; round < 400; ++round)
    {
        std::vector<uint8_t> in(static_cast<size_t>(next()));
        for (auto& b : in)
            b = counter++;
        // Keep well under half the storage queued, so that compaction always
        // makes room.
        if (model.size() + in.size() < 12000)
        {
            ASSERT_EQ(fifo.Write(in.data(), static_cast<int32_t>(in.size())), static_cast<int32_t>(in.size()));
            model.insert(model.end(), in.begin(), in.end());
        }
        else
        {
            counter = static_cast<uint8_t>(counter - in.size());
        }
        if (capacityAfterFirstFill == 0)
            capacityAfterFirstFill = fifo.GetCapacity();
        std::vector<uint8_t> out(static_cast<size_t>(next()));
        const int32_t got = fifo.Read(out.data(), static_cast<int32_t>(out.size()));
        ASSERT_EQ(got, static_cast<int32_t>(std::min(out.size(), model.size())));
        for (int32_t i = 0; i < got; ++i)
        {
            ASSERT_EQ(out[static_cast<size_t>(i)], model.front()) << "round " << round;
            model.pop_front();
        }
        ASSERT_EQ(fifo.GetAvailable(), static_cast<int32_t>(model.size()));
    }
    EXPECT_EQ(fifo.GetCapacity(), capacityAfterFirstFill) << "reading and refilling works in one allocation";
}

TEST(ByteFifo, RefusedReservationsChangeNothing)
{
    CByteFifo fifo;
    ASSERT_EQ(fifo.Write("abc", 3), 3);
    const int32_t capacity = fifo.GetCapacity();
    EXPECT_EQ(fifo.Reserve(-1), nullptr);
    EXPECT_EQ(fifo.Reserve(INT32_MAX), nullptr);
    EXPECT_EQ(fifo.Write("x", INT32_MAX - 2), -1);
    EXPECT_EQ(fifo.Write("x", 0), 0);
    EXPECT_EQ(fifo.Write("x", -4), 0);
    EXPECT_EQ(fifo.GetCapacity(), capacity);
    ASSERT_EQ(fifo.GetAvailable(), 3);
    EXPECT_EQ(std::memcmp(fifo.GetReadPtr(), "abc", 3), 0);

    fifo.Reset();
    EXPECT_EQ(fifo.GetAvailable(), 0);
    EXPECT_EQ(fifo.GetCapacity(), capacity) << "reset keeps the storage";
    fifo.Free();
    EXPECT_EQ(fifo.GetCapacity(), 0);
    EXPECT_EQ(fifo.GetReadPtr(), nullptr);
}
