#include "platform/core/WindowMessage.h"

#include <gtest/gtest.h>

namespace
{
TEST(WindowMessageTest, ANameKeepsItsNumber)
{
    const uint32_t broadcast = RegisterWindowMessage("tw-test-broadcast");
    const uint32_t other = RegisterWindowMessage("tw-test-other");
    EXPECT_GE(broadcast, kFirstRegisteredMessage);
    EXPECT_LE(broadcast, kLastRegisteredMessage);
    EXPECT_NE(broadcast, other);
    EXPECT_EQ(RegisterWindowMessage(std::string("tw-test-") + "broadcast"), broadcast);
    EXPECT_EQ(RegisterWindowMessage(""), 0u);
}
} // namespace
