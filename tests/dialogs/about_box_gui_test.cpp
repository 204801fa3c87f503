// The About box: its text view (the version line and the notice, coloured
// by the box's own spans, read-only), its layout and minimum size, the home
// page opened only by a click that goes down and up on the area, and the box
// dragged by its picture.

#include "dialogs/AboutDlg.h"

#include "editor/EditColorScheme.h"
#include "editor/EditLine.h"
#include "editor/EditTextBuffer.h"
#include "editor/ui/ColorEditView.h"
#include "platform/core/RecordingDesktop.h"
#include "platform/ui/RecordingModalDriver.h"
#include "res/Resources.h"
#include "widgets/PictureWnd.h"

#include "tests/support/QtApplication.h"

#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QTest>

#include <functional>
#include <string>

namespace
{
void SendMouse(QWidget* widget, QEvent::Type type, QPoint point, Qt::MouseButtons buttons)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(point), QPointF(widget->mapToGlobal(point)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

class AboutBoxTest : public ::testing::Test
{
protected:
    // Runs the box with script acting as the user; the result code.
    int Run(const std::function<void(CAboutDlg&)>& script)
    {
        CAboutDlg dialog("Tanglewarden", "1.4.0", "https://home.example/");
        m_driver.SetDialogScript([&](QDialog&) { script(dialog); });
        return dialog.DoModal();
    }

    QApplication& m_application = TestApplication();
    CRecordingModalDriver m_driver;
    CRecordingLauncher m_launcher;
};

TEST_F(AboutBoxTest, TextViewShowsTheVersionLineAndTheNoticeInTheirColours)
{
    const int result = Run([](CAboutDlg& dialog) {
        EXPECT_EQ(dialog.windowTitle().toStdString(), "About Tanglewarden");
        CColorEditView* view = dialog.GetTextView();
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(dialog.GetDlgItem(IDC_ABOUT_TEXT), view);
        EXPECT_TRUE(view->IsLocked());
        EXPECT_FALSE(view->IsEditable());
        CEditTextBuffer* buffer = view->GetBuffer();
        ASSERT_NE(buffer, nullptr);
        ASSERT_GT(buffer->GetLineCount(), 5);
        const CEditLine* version = buffer->GetLine(0);
        EXPECT_EQ(version->GetText().substr(0, static_cast<size_t>(version->GetTextEnd())),
                  "Tanglewarden, v.1.4.0, Build Feb 05, 2004");
        // Painting runs the colouriser; the box's own spans must survive it.
        view->grab();
        const auto firstSpanKind = [&](int line) {
            const auto& spans = buffer->GetLine(line)->GetSpans();
            return spans.empty() ? -1 : spans.front().m_color;
        };
        EXPECT_EQ(firstSpanKind(0), 18);
        EXPECT_EQ(firstSpanKind(5), 17);
        EXPECT_EQ(firstSpanKind(1), -1);
        const CEditColorScheme& scheme = view->GetScheme();
        EXPECT_EQ(scheme.GetColor(17, false, false, 0), EditRgb(255, 0, 0));
        EXPECT_EQ(scheme.GetColor(18, false, false, 0), EditRgb(0, 0, 255));
        const QColor window = dialog.palette().color(QPalette::Window);
        EXPECT_EQ(scheme.GetBaseColor(kSlotText), EditRgb(window.red(), window.green(), window.blue()));

        // Typing changes nothing; Enter ends the box with OK.
        QTest::keyClicks(view, "xyz");
        EXPECT_EQ(buffer->GetLine(0)->GetText().substr(0, 3), "Tan");
        QTest::keyClick(&dialog, Qt::Key_Return);
    });
    EXPECT_EQ(result, IDOK);
}

TEST_F(AboutBoxTest, LayoutAndMinimumSizeAndTheViewFollowsTheBox)
{
    Run([](CAboutDlg& dialog) {
        CPictureWnd* picture = dialog.GetPicture();
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(dialog.GetDlgItem(IDC_ABOUT_PICTURE), picture);
        const int width = CAboutDlg::kSkinWidth;
        EXPECT_EQ(picture->geometry(), QRect(0, 0, width, CAboutDlg::kSkinHeight));
        EXPECT_EQ(dialog.GetTextView()->geometry(), QRect(0, CAboutDlg::kSkinHeight + 10, width, 150));
        EXPECT_EQ(dialog.size(), QSize(width + 30, CAboutDlg::kSkinHeight + 160));
        EXPECT_EQ(dialog.minimumSize(), QSize(width, CAboutDlg::kSkinHeight + 160));

        dialog.resize(dialog.width() + 40, dialog.height() + 25);
        QApplication::processEvents();
        EXPECT_EQ(dialog.GetTextView()->geometry(), QRect(0, CAboutDlg::kSkinHeight + 10, width + 40, 175));
        dialog.resize(10, 10);
        QApplication::processEvents();
        EXPECT_EQ(dialog.size(), dialog.minimumSize());
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
}

TEST_F(AboutBoxTest, OnlyAClickDownAndUpOnTheAreaOpensTheHomePage)
{
    const QPoint inside(150, 30);
    const QPoint outside(20, 50);
    EXPECT_EQ(CAboutDlg::HitTest(QPoint(115, 20)), 0);
    EXPECT_EQ(CAboutDlg::HitTest(QPoint(279, 39)), 0);
    EXPECT_EQ(CAboutDlg::HitTest(QPoint(280, 30)), -1);
    EXPECT_EQ(CAboutDlg::HitTest(QPoint(150, 40)), -1);
    struct Case
    {
        const char* m_name;
        QPoint m_down;
        QPoint m_up;
        size_t m_opened;
    };
    const Case cases[] = {
        {"down and up on the area", inside, inside, 1},
        {"down on the area, up outside", inside, outside, 0},
        {"down outside, up on the area", outside, inside, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.m_name);
        m_launcher.m_opened.clear();
        Run([&](CAboutDlg& dialog) {
            QWidget* picture = dialog.GetPicture();
            SendMouse(picture, QEvent::MouseButtonPress, c.m_down, Qt::LeftButton);
            SendMouse(picture, QEvent::MouseButtonRelease, c.m_up, Qt::NoButton);
            EXPECT_FALSE(dialog.IsDragging());
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        ASSERT_EQ(m_launcher.m_opened.size(), c.m_opened);
        if (c.m_opened)
        {
            EXPECT_EQ(m_launcher.m_opened[0], "https://home.example/");
        }
    }
}

TEST_F(AboutBoxTest, DraggingThePictureMovesTheBox)
{
    Run([&](CAboutDlg& dialog) {
        QWidget* picture = dialog.GetPicture();
        dialog.move(100, 100);
        const QPoint start = dialog.pos();
        SendMouse(picture, QEvent::MouseButtonPress, QPoint(20, 10), Qt::LeftButton);
        EXPECT_TRUE(dialog.IsDragging());
        SendMouse(picture, QEvent::MouseMove, QPoint(50, 25), Qt::LeftButton);
        EXPECT_EQ(dialog.pos(), start + QPoint(30, 15));
        SendMouse(picture, QEvent::MouseButtonRelease, QPoint(20, 10), Qt::NoButton);
        EXPECT_FALSE(dialog.IsDragging());
        // Moving without the button down is no drag.
        SendMouse(picture, QEvent::MouseMove, QPoint(80, 40), Qt::NoButton);
        EXPECT_EQ(dialog.pos(), start + QPoint(30, 15));
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    EXPECT_TRUE(m_launcher.m_opened.empty());
}
} // namespace
