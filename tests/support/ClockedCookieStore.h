#pragma once
// A cookie store whose clock the test sets, and the UTC times to set it to.

#include "foundation/stores/CookieStore.h"
#include "platform/core/OleDateTime.h"

#include <gtest/gtest.h>

#include <ctime>

inline time_t UtcTime(int year, int month, int day, int hour, int minute, int second)
{
    time_t t = 0;
    EXPECT_TRUE(COleDateTime(year, month, day, hour, minute, second).ToTimeT(t, false));
    return t;
}

class CClockedStore : public CCookieStore
{
public:
    time_t m_now = UtcTime(2024, 6, 1, 10, 0, 0);

protected:
    time_t GetClockTime() const override { return m_now; }
};
