#include "foundation/links/JobStatus.h"

#include <gtest/gtest.h>

namespace
{

CJobStatus MakeBusyStatus()
{
    CJobStatus status;
    status.m_phase = 1;
    status.m_state = 3;
    status.m_result = 1010;
    status.m_reserved = 77;
    status.m_localBytes = 6000000000LL;
    status.m_remoteBytes = 7000000000LL;
    status.m_rate = 2048;
    status.m_elapsedSeconds = 12;
    status.m_remainingSeconds = 30;
    return status;
}

void ExpectResetValues(const CJobStatus& status)
{
    EXPECT_EQ(0, status.m_phase);
    EXPECT_EQ(0, status.m_state);
    EXPECT_EQ(0, status.m_result);
    EXPECT_EQ(0, status.m_localBytes);
    EXPECT_EQ(-1, status.m_remoteBytes);
    EXPECT_EQ(-1, status.m_rate);
    EXPECT_EQ(0, status.m_elapsedSeconds);
    EXPECT_EQ(-1, status.m_remainingSeconds);
}

TEST(JobStatus, NewRecordIsReset)
{
    ExpectResetValues(CJobStatus());
}

TEST(JobStatus, ResetKeepsTheReservedWord)
{
    CJobStatus status = MakeBusyStatus();
    status.Reset();
    ExpectResetValues(status);
    EXPECT_EQ(77, status.m_reserved);
}

TEST(JobStatus, CopyFromTakesAllButTheReservedWord)
{
    const CJobStatus source = MakeBusyStatus();
    CJobStatus target;
    target.m_reserved = 5;
    target.CopyFrom(source);
    EXPECT_EQ(1, target.m_phase);
    EXPECT_EQ(3, target.m_state);
    EXPECT_EQ(1010, target.m_result);
    EXPECT_EQ(6000000000LL, target.m_localBytes);
    EXPECT_EQ(7000000000LL, target.m_remoteBytes);
    EXPECT_EQ(2048, target.m_rate);
    EXPECT_EQ(12, target.m_elapsedSeconds);
    EXPECT_EQ(30, target.m_remainingSeconds);
    EXPECT_EQ(5, target.m_reserved);
}

} // namespace
