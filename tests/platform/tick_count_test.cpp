#include "platform/core/TickCount.h"

#include <gtest/gtest.h>

TEST(TickCount, StampsStrictlyIncreaseWithinOneTick)
{
    uint32_t stamp = 0;
    for (int i = 0; i < 1000; ++i)
    {
        const uint32_t next = NextChangeStamp(stamp);
        ASSERT_GT(next, stamp);
        stamp = next;
    }
    // A stamp ahead of the clock moves by exactly one.
    const uint32_t ahead = GetTickCount() + 100000;
    EXPECT_EQ(NextChangeStamp(ahead), ahead + 1);
}
