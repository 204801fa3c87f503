// Posted messages to widgets (dropped for closed windows, drained for
// coalescing), timers by id, and the print loop on a PDF writer.

#include "platform/ui/PrintLoop.h"
#include "platform/ui/WidgetWindow.h"
#include "platform/ui/WindowTimers.h"

#include "tests/support/QtApplication.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPainter>
#include <QPdfWriter>
#include <QTest>
#include <QWidget>

#include <memory>
#include <thread>

namespace
{
constexpr uint32_t WM_ENGINE_PROGRESS = 0x0401;
constexpr uint32_t WM_OTHER = 0x0402;

// Counts deliveries per message; a progress delivery drains the others
// first, as a coalescing handler does.
class CReceiver : public QWidget
{
public:
    std::map<uint32_t, int> m_deliveries;
    size_t m_drained = 0;

protected:
    bool event(QEvent* event) override
    {
        if (event->type() != CPostedMessageEvent::EventType())
            return QWidget::event(event);
        const WindowMessage& message = static_cast<CPostedMessageEvent*>(event)->Message();
        if (message.m_message == WM_ENGINE_PROGRESS)
            m_drained += CWidgetWindow::RemovePendingMessages(message.m_window, WM_ENGINE_PROGRESS);
        ++m_deliveries[message.m_message];
        return true;
    }
};

class PostingTest : public ::testing::Test
{
protected:
    QApplication& m_application = TestApplication();
};

TEST_F(PostingTest, PostsToAClosedWindowAreDropped)
{
    auto receiver = std::make_unique<CReceiver>();
    const WindowHandle handle = CWidgetWindow::Attach(receiver.get());
    ASSERT_TRUE(PostMessage(handle, WM_OTHER, 1, 2));
    receiver.reset(); // closes with a post still queued
    QCoreApplication::processEvents();
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_FALSE(PostMessage(handle, WM_OTHER, 1, 2));
    EXPECT_EQ(CWidgetWindow::RemovePendingMessages(handle, WM_OTHER), 0u);
}

TEST_F(PostingTest, FiftyPostsOfOneKindCoalesceIntoOneDelivery)
{
    CReceiver receiver;
    const WindowHandle handle = CWidgetWindow::Attach(&receiver);
    std::thread worker([&] {
        for (int i = 0; i < 50; ++i)
        {
            PostMessage(handle, WM_ENGINE_PROGRESS, 0, 0);
            if (i == 25)
                PostMessage(handle, WM_OTHER, 0, 0);
        }
    });
    worker.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(receiver.m_deliveries[WM_ENGINE_PROGRESS], 1);
    EXPECT_EQ(receiver.m_drained, 49u);
    EXPECT_EQ(receiver.m_deliveries[WM_OTHER], 1) << "other kinds are kept";

    // A post after the drain is delivered again.
    PostMessage(handle, WM_ENGINE_PROGRESS, 0, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(receiver.m_deliveries[WM_ENGINE_PROGRESS], 2);
}

TEST_F(PostingTest, TimersTickByIdUntilKilled)
{
    QWidget owner;
    std::map<UINT_PTR, int> ticks;
    auto* timers = new CWindowTimers(&owner, [&](UINT_PTR id) { ++ticks[id]; });
    EXPECT_EQ(timers->SetTimer(0, 10), 0u);
    EXPECT_EQ(timers->SetTimer(111, 5), 111u);
    EXPECT_EQ(timers->SetTimer(112, 5), 112u);
    EXPECT_EQ(timers->SetTimer(112, 5), 112u) << "restarting keeps one timer";
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks[111] >= 3 && ticks[112] >= 3; }, 3000));
    EXPECT_TRUE(timers->KillTimer(111));
    EXPECT_FALSE(timers->KillTimer(111));
    EXPECT_FALSE(timers->IsRunning(111));
    const int stopped = ticks[111];
    const int running = ticks[112];
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks[112] >= running + 3; }, 3000));
    EXPECT_EQ(ticks[111], stopped);
}

class CRecordingPrintable : public IPrintable
{
public:
    bool m_refuse = false;
    UINT m_maxPage = 0xFFFF;
    std::vector<std::string> m_calls;

    bool OnPreparePrinting(CPrintInfo& info) override
    {
        m_calls.push_back(info.m_device ? "prepare" : "prepare-without-device");
        info.SetMaxPage(m_maxPage);
        return !m_refuse;
    }
    void OnBeginPrinting(QPainter&, CPrintInfo& info) override
    {
        m_calls.push_back(info.m_rectDraw.isEmpty() ? "begin-empty" : "begin");
    }
    void OnPrint(QPainter& painter, CPrintInfo& info) override
    {
        painter.drawText(info.m_rectDraw, QString::number(info.m_nCurPage));
        m_calls.push_back("page " + std::to_string(info.m_nCurPage));
    }
    void OnEndPrinting(QPainter&, CPrintInfo&) override { m_calls.push_back("end"); }
};

TEST_F(PostingTest, PrintLoopRunsPreparedPagesBetweenBeginAndEnd)
{
    CTempFolder folder;
    const struct
    {
        bool m_refuse;
        UINT m_maxPage;
        UINT m_fromPage;
        UINT m_printed;
        std::vector<std::string> m_calls;
    } cases[] = {
        {false, 3, 1, 3, {"prepare", "begin", "page 1", "page 2", "page 3", "end"}},
        {false, 3, 2, 2, {"prepare", "begin", "page 2", "page 3", "end"}},
        {false, 0xFFFF, 1, 1, {"prepare", "begin", "page 1", "end"}},
        {true, 3, 1, 0, {"prepare"}},
    };
    for (const auto& c : cases)
    {
        QPdfWriter writer(QString::fromStdString(folder / "out.pdf"));
        CRecordingPrintable printable;
        printable.m_refuse = c.m_refuse;
        printable.m_maxPage = c.m_maxPage;
        CPrintInfo info;
        info.m_nFromPage = c.m_fromPage;
        EXPECT_EQ(RunPrintLoop(printable, writer, info), c.m_printed);
        EXPECT_EQ(printable.m_calls, c.m_calls);
    }
}
} // namespace
