// Following a transfer log that grows on another thread.

#include "ViewFixture.h"

#include "transfer/base/TransferLog.h"

#include "platform/core/RefPtr.h"

#include <thread>

namespace
{
class ViewFollowTest : public ViewFixture
{
protected:
    void SetUp() override
    {
        ViewFixture::SetUp();
        m_log = new CTransferLog(7);
    }

    void TearDown() override
    {
        m_view->AttachSource(nullptr);
        m_log->Release();
        ViewFixture::TearDown();
    }

    std::string LogText() const
    {
        std::string text;
        m_log->GetText(text);
        return text;
    }

    CTransferLog* m_log = nullptr;
};

TEST_F(ViewFollowTest, ALogAppendedFromAWorkerIsFollowedToItsEnd)
{
    m_log->AppendLine(kLogStatus, "start");
    m_view->AttachSource(m_log);
    EXPECT_EQ(Text(), "S:\tstart\r\n");
    std::thread worker([this] {
        for (int i = 0; i < 300; ++i)
            m_log->AppendFormat(kLogReceived, "line %d", i);
    });
    worker.join();
    ASSERT_TRUE(WaitFor([&] { return Text() == LogText(); }));
    EXPECT_EQ(m_buffer->GetLineCount(), 302); // 301 lines and the empty last one
    EXPECT_FALSE(m_view->IsModified());
    // The view shows the last lines and keeps doing so.
    int top = 0, left = 0;
    m_view->GetScrollPosition(top, left);
    EXPECT_EQ(top, 302 - m_view->GetVisibleRows() + 1);
    EXPECT_TRUE(m_view->IsFollowingEnd());
    m_log->AppendLine(kLogStatus, "more");
    ASSERT_TRUE(WaitFor([&] { return Text() == LogText(); }));
    m_view->GetScrollPosition(top, left);
    EXPECT_EQ(top, 303 - m_view->GetVisibleRows() + 1);
}

TEST_F(ViewFollowTest, ACrLfSplitAcrossTwoReadsAddsNoBlankLine)
{
    m_view->AttachSource(m_log);
    m_log->AppendLine(kLogRaw, "abc\r");
    ASSERT_TRUE(WaitFor([&] { return Text() == "abc"; }));
    m_log->AppendLine(kLogRaw, "\ndef\r\n");
    ASSERT_TRUE(WaitFor([&] { return Text() == "abc\r\ndef\r\n"; }));
    EXPECT_EQ(m_buffer->GetLineCount(), 3);
    EXPECT_EQ(m_buffer->GetLine(1)->GetText(), "def\r\n");
}

TEST_F(ViewFollowTest, ATruncatedOrTrimmedLogIsReloadedFromItsStart)
{
    m_view->AttachSource(m_log);
    for (int i = 0; i < 10; ++i)
        m_log->AppendFormat(kLogStatus, "old %d", i);
    ASSERT_TRUE(WaitFor([&] { return Text() == LogText(); }));
    m_log->Clear();
    m_log->AppendLine(kLogStatus, "new");
    ASSERT_TRUE(WaitFor([&] { return Text() == "S:\tnew\r\n"; }));
    // Lines dropped from the front while as many are added keep the length
    // but not the start.
    m_log->AppendLine(kLogStatus, "one");
    ASSERT_TRUE(WaitFor([&] { return Text() == LogText(); }));
    m_log->TakeLines(1);
    m_log->AppendLine(kLogStatus, "two");
    ASSERT_TRUE(WaitFor([&] { return Text() == LogText(); }));
    EXPECT_EQ(Text(), "S:\tone\r\nS:\ttwo\r\n");
}

TEST_F(ViewFollowTest, DetachingStopsFollowingAndClearsTheText)
{
    m_view->AttachSource(m_log);
    m_log->AppendLine(kLogStatus, "a");
    ASSERT_TRUE(WaitFor([&] { return !Text().empty(); }));
    m_view->AttachSource(nullptr);
    EXPECT_EQ(Text(), "");
    m_log->AppendLine(kLogStatus, "b");
    QCoreApplication::processEvents();
    EXPECT_EQ(Text(), "");
    EXPECT_EQ(m_view->GetAttached(), nullptr);
}
}
