// The Qt desktop services on the offscreen platform: the clipboard, posting
// to widgets, the widget tree, and opening documents that are missing.

#include "platform/ui/QtDesktopServices.h"
#include "platform/ui/WidgetWindow.h"

#include "foundation/desktop/ShellHelpers.h"

#include "tests/support/QtApplication.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QCompleter>
#include <QDialog>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QWidget>

#include <memory>
#include <thread>
#include <vector>

namespace
{
class QtDesktopServicesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestApplication();
        InstallQtDesktopServices();
    }
    void TearDown() override
    {
        InstallClipboard(nullptr);
        InstallDocumentLauncher(nullptr);
        InstallFilePicker(nullptr);
        InstallWindowTree(nullptr);
        InstallAutoComplete(nullptr);
    }
};

TEST_F(QtDesktopServicesTest, ClipboardTextRoundTrip)
{
    const std::string text = "Link 1: http://example.com/caf\xC3\xA9 (OK)\r\nsecond line";
    ASSERT_TRUE(SetClipboardText(text, text.size()));
    EXPECT_TRUE(ClipboardHasText());
    std::string read;
    ASSERT_TRUE(GetClipboardText(read));
    EXPECT_EQ(read, text);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), text) << "what other programs see";

    ASSERT_TRUE(SetClipboardText("abcdef", 3));
    ASSERT_TRUE(GetClipboardText(read));
    EXPECT_EQ(read, "abc");
}

TEST_F(QtDesktopServicesTest, AClipboardHoldingOnlyAPictureHasNoText)
{
    auto* data = new QMimeData;
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    data->setImageData(picture);
    QGuiApplication::clipboard()->setMimeData(data);
    EXPECT_FALSE(ClipboardHasText());
    std::string read = "old";
    EXPECT_FALSE(GetClipboardText(read));
    EXPECT_TRUE(read.empty());
}

// A widget that keeps the posted messages it receives.
class CMessageWidget : public QWidget
{
public:
    using QWidget::QWidget;
    std::vector<WindowMessage> m_received;

protected:
    bool event(QEvent* event) override
    {
        if (event->type() == CPostedMessageEvent::EventType())
        {
            m_received.push_back(static_cast<CPostedMessageEvent*>(event)->Message());
            return true;
        }
        return QWidget::event(event);
    }
};

// Processes events until the condition holds or the bound passes.
template <typename Condition> bool ProcessEventsUntil(Condition condition)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return condition();
}

TEST_F(QtDesktopServicesTest, PostsFromAnyThreadArriveOnTheUiThread)
{
    CMessageWidget widget;
    const WindowHandle handle = CWidgetWindow::Attach(&widget);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(CWidgetWindow::Attach(&widget), handle);
    EXPECT_EQ(CWidgetWindow::FindWidget(handle), &widget);

    std::thread worker([handle] { EXPECT_TRUE(PostMessage(handle, 0x0AB1, 2, -7)); });
    worker.join();
    EXPECT_TRUE(widget.m_received.empty()) << "delivered before the UI thread ran";
    ASSERT_TRUE(ProcessEventsUntil([&] { return !widget.m_received.empty(); }));
    EXPECT_EQ(widget.m_received[0].m_window, handle);
    EXPECT_EQ(widget.m_received[0].m_message, 0x0AB1u);
    EXPECT_EQ(widget.m_received[0].m_wParam, 2u);
    EXPECT_EQ(widget.m_received[0].m_lParam, -7);
}

TEST_F(QtDesktopServicesTest, AGoneWidgetsHandleIsClosed)
{
    WindowHandle handle = nullptr;
    {
        CMessageWidget widget;
        handle = CWidgetWindow::Attach(&widget);
        EXPECT_TRUE(PostMessage(handle, 1, 0, 0)); // still queued when it goes
    }
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_FALSE(PostMessage(handle, 1, 0, 0));
    EXPECT_EQ(CWidgetWindow::FindWidget(handle), nullptr);
    QCoreApplication::processEvents();
}

TEST_F(QtDesktopServicesTest, SettingsChangesReachEveryWindowBelowTheMainOne)
{
    CMessageWidget main;
    auto* view = new CMessageWidget(&main);
    auto* pane = new CMessageWidget(view);
    new QWidget(view); // a widget without a handle is not a window of ours
    auto* dialog = new CMessageWidget(&main);
    dialog->setWindowFlags(Qt::Dialog);
    const WindowHandle mainHandle = CWidgetWindow::Attach(&main);
    CWidgetWindow::Attach(view);
    CWidgetWindow::Attach(pane);
    CWidgetWindow::Attach(dialog);

    EXPECT_EQ(PostMessageToAllWindows(mainHandle, 0x0AA4, 0, 0), 3);
    ASSERT_TRUE(
        ProcessEventsUntil([&] { return pane->m_received.size() == 1 && dialog->m_received.size() == 1; }));
    EXPECT_EQ(view->m_received.size(), 1u);
    EXPECT_TRUE(main.m_received.empty());

    // Top-level windows of the UI thread: the main window and the dialog.
    const std::vector<WindowHandle> top = GetWindowTree()->GetThreadTopLevelWindows();
    EXPECT_NE(std::find(top.begin(), top.end(), mainHandle), top.end());
    EXPECT_NE(std::find(top.begin(), top.end(), CWidgetWindow::HandleOf(dialog)), top.end());
    EXPECT_EQ(std::find(top.begin(), top.end(), CWidgetWindow::HandleOf(pane)), top.end());
    std::vector<WindowHandle> fromWorker{nullptr};
    std::thread worker([&] { fromWorker = GetWindowTree()->GetThreadTopLevelWindows(); });
    worker.join();
    EXPECT_TRUE(fromWorker.empty()) << "a worker thread owns no windows";
}

TEST_F(QtDesktopServicesTest, WindowTextsAndOwners)
{
    QWidget dialog;
    dialog.setWindowTitle("Settings");
    auto* edit = new QLineEdit("/srv/downloads", &dialog);
    const WindowHandle editHandle = CWidgetWindow::Attach(edit);
    IWindowTree* tree = GetWindowTree();
    std::string text;
    ASSERT_TRUE(tree->GetText(editHandle, text));
    EXPECT_EQ(text, "/srv/downloads");
    ASSERT_TRUE(tree->SetText(editHandle, "/srv/caf\xC3\xA9"));
    EXPECT_EQ(edit->text(), QString::fromUtf8("/srv/caf\xC3\xA9"));
    const WindowHandle owner = tree->GetOwnerOrParent(editHandle);
    ASSERT_NE(owner, nullptr);
    ASSERT_TRUE(tree->GetText(owner, text));
    EXPECT_EQ(text, "Settings");
    EXPECT_FALSE(tree->GetText(nullptr, text));
}

TEST_F(QtDesktopServicesTest, AutoCompletionNeedsAnEditBox)
{
    QWidget dialog;
    auto* edit = new QLineEdit(&dialog);
    EXPECT_TRUE(GetAutoComplete()->Enable(CWidgetWindow::Attach(edit), 14, {"http://a.example/"}));
    ASSERT_NE(edit->completer(), nullptr);
    EXPECT_EQ(edit->completer()->model()->rowCount(), 1);
    EXPECT_FALSE(GetAutoComplete()->Enable(CWidgetWindow::Attach(&dialog), 14, {}));
}

TEST_F(QtDesktopServicesTest, AMissingDocumentIsReportedWithoutStartingAnything)
{
    const struct
    {
        std::string m_target;
        const char* m_text;
    } cases[] = {
        {"/tw-no-such-folder/report.html", "The specified path was not found.\r\n"},
        {"/tmp/tw-no-such-report-9d1c.html", "The specified file was not found.\r\n"},
    };
    struct CLog : IShellLog
    {
        void WriteLine(int, const std::string& text) override { m_last = text; }
        std::string m_last;
    };
    for (const auto& test : cases)
    {
        CLog log;
        EXPECT_FALSE(ShellOpen(test.m_target, &log));
        EXPECT_EQ(log.m_last, test.m_text);
    }
}
} // namespace
