#include "transfer/jobs/TransferMeter.h"

#include "foundation/links/LinkItem.h"
#include "transfer/jobs/TransferJob.h"
#include "transfer/base/TransferLogPair.h"

#include "tests/support/CapturedLog.h"

#include <gtest/gtest.h>

namespace
{

TEST(TransferMeter, BeginAndSetValuesWriteTheJobStatus)
{
    CTransferJob job;
    job.SetInt64(LI_ATTEMPT_BYTES_DOWN, 77);
    CTransferMeter download(job, true);
    download.Begin(5, 11);
    CJobStatus status = job.GetStatus();
    EXPECT_EQ(status.m_localBytes, 5);
    EXPECT_EQ(status.m_remoteBytes, 11);
    EXPECT_EQ(status.m_rate, -1);
    EXPECT_EQ(status.m_remainingSeconds, -1);
    int64_t attempt = -1;
    EXPECT_TRUE(job.GetInt64(LI_ATTEMPT_BYTES_DOWN, attempt));
    EXPECT_EQ(attempt, 0);
    EXPECT_FALSE(download.HasMoved());
    // Reaching the total: remaining 0, whatever the rate.
    download.Advance(6);
    EXPECT_TRUE(download.HasMoved());
    download.SetValues(11, 11);
    status = job.GetStatus();
    EXPECT_EQ(status.m_localBytes, 11);
    EXPECT_EQ(status.m_remainingSeconds, 0);

    // An upload shows the total as local bytes and the position as remote.
    CTransferMeter upload(job, false);
    upload.Begin(2, 9);
    status = job.GetStatus();
    EXPECT_EQ(status.m_localBytes, 9);
    EXPECT_EQ(status.m_remoteBytes, 2);
    EXPECT_TRUE(job.GetInt64(LI_ATTEMPT_BYTES_UP, attempt));
    EXPECT_EQ(attempt, 0);
}

TEST(TransferMeter, RateCountsOnlyTheBytesOfThisAttempt)
{
    // A resumed download begins at 1,000,000 of 2,000,000 and moves 10
    // bytes: whatever time passed, the rate is at most 10 bytes in 10 ms.
    CTransferJob job;
    CTransferMeter meter(job, true);
    meter.Begin(1000000, 2000000);
    meter.Advance(10);
    meter.SetValues(1000010, 2000000);
    const CJobStatus status = job.GetStatus();
    EXPECT_GE(status.m_rate, 0);
    EXPECT_LE(status.m_rate, 1000);
    EXPECT_EQ(status.m_localBytes, 1000010);
}

TEST(TransferLogPair, ForwardsEveryLineToBothLogs)
{
    EXPECT_EQ(CTransferLogPair::Make(nullptr, nullptr, 0), nullptr);

    CCapturedLog jobLog;
    CCapturedLog clientLog;
    ITransferLog* pair = CTransferLogPair::Make(jobLog.Get(), clientLog.Get(), 42);
    ASSERT_NE(pair, nullptr);
    EXPECT_EQ(pair->GetName(), "Log Pair");
    EXPECT_EQ(pair->GetLogId(), 42);
    pair->AppendLine(kLogStatus, "plain");
    pair->AppendFormat(kLogError, "size %I64d of %s", int64_t(5000000000), "x");
    pair->AppendMessage(kLogStatus, 15);
    pair->Release();
    for (const CCapturedLog* log : {&jobLog, &clientLog})
    {
        EXPECT_TRUE(log->Contains("S:\tplain"));
        EXPECT_TRUE(log->Contains("E:\tsize 5000000000 of x"));
        EXPECT_TRUE(log->Contains("Transfer finished."));
    }

    // One log alone: written once.
    ITransferLog* single = CTransferLogPair::Make(jobLog.Get(), nullptr, 0);
    single->AppendLine(kLogStatus, "only");
    single->Release();
    EXPECT_EQ(jobLog.Count("only"), 1);
}

// The protocol text is written once: to the job's log when there is one,
// else to the client's.
TEST(TransferLogPair, ProtocolTextGoesToOneLog)
{
    CCapturedLog jobLog;
    CCapturedLog clientLog;
    ITransferLog* pair = CTransferLogPair::Make(jobLog.Get(), clientLog.Get(), 42);
    pair->AppendLine(kLogSent, "GET /a HTTP/1.1");
    pair->AppendFormat(kLogReceived, "HTTP/1.1 %d OK", 200);
    pair->AppendLine(kLogStatus, "between");
    pair->Release();
    for (const char* text : {"GET /a HTTP/1.1", "HTTP/1.1 200 OK"})
    {
        EXPECT_EQ(jobLog.Count(text), 1) << text;
        EXPECT_EQ(clientLog.Count(text), 0) << text;
    }
    EXPECT_EQ(clientLog.Count("between"), 1);

    CCapturedLog alone;
    ITransferLog* clientOnly = CTransferLogPair::Make(nullptr, alone.Get(), 42);
    clientOnly->AppendLine(kLogReceived, "HTTP/1.1 404 Not Found");
    clientOnly->Release();
    EXPECT_EQ(alone.Count("HTTP/1.1 404 Not Found"), 1);
}

} // namespace
