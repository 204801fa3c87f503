// The picture window on screen: background around a small picture, the
// wheel and dragging.

#include "widgets/PictureWnd.h"
#include "widgets/ResourceImages.h"

#include "tests/support/QtApplication.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWheelEvent>

namespace
{
class PictureWndTest : public ::testing::Test
{
protected:
    void SetUp() override { TestApplication(); }

    // A picture whose every pixel tells its own place: red = x, green = y.
    static void FillPositions(CDibBitmap& bitmap)
    {
        const QSize size = bitmap.GetSize();
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                bitmap.GetBits()[x + y * size.width()] = uint32_t((x & 0xFF) << 16 | (y & 0xFF) << 8 | 0x40);
    }
    static void Wheel(QWidget& widget, int delta)
    {
        QWheelEvent event(QPointF(5, 5), widget.mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&widget, &event);
    }
};

TEST_F(PictureWndTest, SmallPictureAtTopLeftWithBackgroundAroundAndWheelDoesNothing)
{
    CPictureWnd window;
    window.resize(60, 40);
    window.SetBackground(CColorQuad(0, 200, 0));
    ASSERT_TRUE(window.SetBitmapSize(20, 10));
    FillPositions(window.GetBitmap());
    Wheel(window, -120);
    EXPECT_EQ(window.GetOffset(), QPoint(0, 0));

    const QImage shot = window.grab().toImage();
    EXPECT_EQ(shot.pixelColor(0, 0), QColor(0, 0, 0x40));
    EXPECT_EQ(shot.pixelColor(19, 9), QColor(19, 9, 0x40));
    EXPECT_EQ(shot.pixelColor(20, 5), QColor(0, 200, 0)) << "right of the picture";
    EXPECT_EQ(shot.pixelColor(5, 10), QColor(0, 200, 0)) << "below the picture";
    EXPECT_EQ(shot.pixelColor(59, 39), QColor(0, 200, 0));
}

TEST_F(PictureWndTest, SystemBackgroundUntilAColourIsSet)
{
    CPictureWnd window;
    window.resize(30, 30);
    ASSERT_TRUE(window.SetBitmapSize(10, 10));
    EXPECT_EQ(window.BackgroundColor(), window.palette().color(QPalette::Base));
    EXPECT_EQ(window.grab().toImage().pixelColor(20, 20), window.palette().color(QPalette::Base));
}

TEST_F(PictureWndTest, WheelJumpsOrStepsAndShowsTheNewPart)
{
    CPictureWnd window;
    window.resize(50, 50);
    ASSERT_TRUE(window.SetBitmapSize(50, 70));
    FillPositions(window.GetBitmap());
    Wheel(window, -120);
    EXPECT_EQ(window.GetOffset(), QPoint(0, 20));
    EXPECT_EQ(window.grab().toImage().pixelColor(3, 0), QColor(3, 20, 0x40));
    Wheel(window, 120);
    EXPECT_EQ(window.GetOffset(), QPoint(0, 0));

    ASSERT_TRUE(window.SetBitmapSize(50, 550));
    Wheel(window, -120);
    Wheel(window, -120);
    EXPECT_EQ(window.GetOffset(), QPoint(0, 72));
}

TEST_F(PictureWndTest, DragPansAndStopsAtThePictureEdge)
{
    CPictureWnd window;
    window.resize(100, 50);
    ASSERT_TRUE(window.SetBitmapSize(250, 50));
    QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(90, 20));
    EXPECT_FALSE(window.IsDragging()) << "dragging is off until enabled";
    QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(90, 20));

    window.SetDragEnabled(true);
    QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(90, 20));
    ASSERT_TRUE(window.IsDragging());
    QTest::mouseMove(&window, QPoint(60, 20));
    EXPECT_EQ(window.GetOffset(), QPoint(30, 0));
    QTest::mouseMove(&window, QPoint(-400, 20)); // far beyond the right edge
    EXPECT_EQ(window.GetOffset(), QPoint(150, 0)) << "W - w";
    Wheel(window, 120);
    EXPECT_EQ(window.GetOffset(), QPoint(150, 0)) << "the wheel is ignored while dragging";
    QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(-400, 20));
    EXPECT_FALSE(window.IsDragging());
}

QImage BannerResource(int id)
{
    if (id != 130)
        return QImage();
    QImage image(30, 10, QImage::Format_RGB32);
    image.fill(QColor(9, 99, 199));
    return image;
}

TEST_F(PictureWndTest, ResourcePictureWithItsBackgroundAndTextDrawnIntoIt)
{
    ResourceImageLoader previous = InstallResourceImageLoader(BannerResource);
    CPictureWnd window;
    window.resize(50, 20);
    EXPECT_FALSE(window.LoadResource(131, 0x00FF0000));
    EXPECT_TRUE(window.LoadResource(130, 0x00FF8000)); // background RGB(255, 128, 0), flag 0
    EXPECT_EQ(window.GetVisibleRect(), (CRect{0, 0, 30, 10}));
    EXPECT_EQ(window.BackgroundColor(), QColor(255, 128, 0));
    window.DrawText("x", {0, 0, 30, 10}, Qt::AlignCenter, QColor(Qt::white), QColor(0, 0, 0));
    QImage shot = window.grab().toImage();
    EXPECT_EQ(shot.pixel(40, 15), QColor(255, 128, 0).rgb());
    EXPECT_EQ(shot.pixel(1, 1), QColor(9, 99, 199).rgb()) << "outside the text's own box";
    int changed = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 30; ++x)
            changed += window.GetBitmap().GetPixel(x, y) != 0x000963C7u;
    EXPECT_GT(changed, 0) << "the text went into the picture's bitmap";
    EXPECT_EQ(window.GetBitmap().GetPixel(1, 1), 0x000963C7u);
    window.LoadResource(130, 0xFF000000); // flag byte: the system colour
    EXPECT_EQ(window.BackgroundColor(), window.palette().color(QPalette::Base));
    InstallResourceImageLoader(previous);
}

TEST_F(PictureWndTest, CursorsFollowTheDrag)
{
    CPictureWnd window;
    window.resize(50, 50);
    ASSERT_TRUE(window.SetBitmapSize(200, 200));
    window.SetDragEnabled(true);
    EXPECT_FALSE(window.testAttribute(Qt::WA_SetCursor)) << "no cursor of its own: the default";
    window.SetCursors(QCursor(Qt::OpenHandCursor), QCursor(Qt::ClosedHandCursor));
    EXPECT_EQ(window.cursor().shape(), Qt::OpenHandCursor);
    QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(window.cursor().shape(), Qt::ClosedHandCursor);
    QFocusEvent focusOut(QEvent::FocusOut);
    QApplication::sendEvent(&window, &focusOut);
    EXPECT_FALSE(window.IsDragging()) << "losing the focus ends the drag";
    EXPECT_EQ(window.cursor().shape(), Qt::OpenHandCursor);
}

TEST_F(PictureWndTest, TiledAndStretchedModes)
{
    CPictureWnd window;
    window.resize(4, 4);
    ASSERT_TRUE(window.SetBitmapSize(4, 4));
    ASSERT_TRUE(window.GetBitmap().Resize(2, 2));
    window.GetBitmap().Fill(0x00FF0000);
    window.GetBitmap().GetBits()[3] = 0x000000FF; // bottom-right blue
    window.SetBackground(CColorQuad(0, 200, 0));
    window.UpdateLayout();
    window.SetDrawMode(CPictureWnd::kDrawTiled);
    QImage shot = window.grab().toImage();
    EXPECT_EQ(shot.pixelColor(1, 1), QColor(0, 0, 255));
    EXPECT_EQ(shot.pixelColor(2, 2), QColor(0, 200, 0)) << "tiles fill the visible rectangle, no more";

    window.SetDrawMode(CPictureWnd::kDrawStretched);
    shot = window.grab().toImage();
    EXPECT_EQ(shot.pixelColor(0, 0), QColor(255, 0, 0));
}
} // namespace
