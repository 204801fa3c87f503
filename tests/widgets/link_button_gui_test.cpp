// The hyperlink button on screen: colours, check toggling, lighting, its
// menu, its address and its bitmaps.

#include "widgets/LinkButton.h"

#include "platform/core/RecordingDesktop.h"

#include "tests/support/QtApplication.h"

#include <gtest/gtest.h>

#include <QMenu>
#include <QMouseEvent>
#include <QTest>

namespace
{
class LinkButtonTest : public ::testing::Test
{
protected:
    void SetUp() override { TestApplication(); }

    static QRgb Centre(QWidget& widget) { return widget.grab().toImage().pixel(3, widget.height() / 2); }
    static void MoveOver(QWidget& widget, QPoint point, Qt::MouseButtons buttons)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(point), widget.mapToGlobal(QPointF(point)), Qt::NoButton,
                         buttons, Qt::NoModifier);
        QApplication::sendEvent(&widget, &move);
    }
};

// Records the menu instead of showing it.
class CMenuRecordingButton : public CLinkButton
{
public:
    using CLinkButton::CLinkButton;
    void TrackMenu(QMenu* menu, QPoint globalPoint) override
    {
        m_tracked = menu;
        m_point = globalPoint;
        m_shownWhileTracking = IsMenuShown();
    }
    QMenu* m_tracked = nullptr;
    QPoint m_point;
    bool m_shownWhileTracking = false;
};

TEST_F(LinkButtonTest, SetColorMapsSixIndexesAndRefusesOthers)
{
    CLinkButton button;
    const QColor button_face = button.palette().color(QPalette::Button);
    const QColor button_text = button.palette().color(QPalette::ButtonText);
    for (int i = 0; i < kLinkColorCount; ++i)
        EXPECT_EQ(button.GetColor(i), i % 2 ? button_text : button_face) << i;
    for (int i = 0; i < kLinkColorCount; ++i)
        EXPECT_EQ(button.SetColor(i, QColor(i * 10, 0, 0)), 0);
    for (int i = 0; i < kLinkColorCount; ++i)
        EXPECT_EQ(button.GetColor(i), QColor(i * 10, 0, 0)) << i;
    EXPECT_EQ(button.SetColor(6, QColor(1, 2, 3)), 3);
    EXPECT_EQ(button.SetColor(-1, QColor(1, 2, 3)), 3);
    for (int i = 0; i < kLinkColorCount; ++i)
        EXPECT_EQ(button.GetColor(i), QColor(i * 10, 0, 0)) << "unchanged " << i;
    button.SetDefaultColors();
    EXPECT_EQ(button.GetColor(kLinkBackFocus), button_face);
}

TEST_F(LinkButtonTest, CheckButtonTogglesOnEveryClickAndLooksPressedWhileOn)
{
    CLinkButton button(nullptr, 0x0003); // an automatic check box
    ASSERT_TRUE(button.IsCheckMode());
    button.setText("Check");
    button.resize(80, 24);
    button.SetColor(kLinkBackIn, QColor(200, 0, 0));
    button.SetColor(kLinkBackOut, QColor(0, 0, 200));
    button.SetColor(kLinkBackFocus, QColor(0, 0, 200));
    button.SetDrawBorderWhenLit(false);
    EXPECT_EQ(Centre(button), QColor(0, 0, 200).rgb());
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(40, 12));
    EXPECT_TRUE(button.GetChecked());
    EXPECT_EQ(Centre(button), QColor(200, 0, 0).rgb()) << "pressed-looking while ticked";
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(40, 12));
    EXPECT_FALSE(button.GetChecked());
    EXPECT_EQ(Centre(button), QColor(0, 0, 200).rgb());
    // A double click: press, release, double-click press, release.
    int clicks = 0;
    QObject::connect(&button, &QAbstractButton::clicked, [&] { ++clicks; });
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(40, 12));
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, QPointF(40, 12), button.mapToGlobal(QPointF(40, 12)),
                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&button, &doubleClick);
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(40, 12));
    EXPECT_EQ(clicks, 2) << "the second press of a double click is a click too";
    EXPECT_FALSE(button.GetChecked());

    CLinkButton push;
    push.SetChecked(true);
    EXPECT_FALSE(push.GetChecked()) << "only in check mode";
    QTest::mouseClick(&push, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(push.GetChecked());
}

TEST_F(LinkButtonTest, FlatButtonLightsUnderTheMouseOnly)
{
    CLinkButton button;
    button.resize(80, 24);
    button.SetTrackWhenInactive(true); // the offscreen application need not be active
    button.SetColor(kLinkBackIn, QColor(0, 160, 0));
    button.SetColor(kLinkBackOut, QColor(50, 50, 50));
    button.SetColor(kLinkBackFocus, QColor(50, 50, 50));
    MoveOver(button, QPoint(10, 10), Qt::LeftButton);
    EXPECT_FALSE(button.IsLit()) << "a press that began elsewhere does not light it";
    MoveOver(button, QPoint(10, 10), Qt::NoButton);
    EXPECT_TRUE(button.IsLit());
    EXPECT_EQ(button.grab().toImage().pixel(40, 2), QColor(0, 160, 0).rgb());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);
    EXPECT_FALSE(button.IsLit());
    EXPECT_EQ(button.grab().toImage().pixel(40, 2), QColor(50, 50, 50).rgb());

    button.SetFlat(false);
    MoveOver(button, QPoint(10, 10), Qt::NoButton);
    EXPECT_FALSE(button.IsLit()) << "raised buttons do not light";
}

TEST_F(LinkButtonTest, RaisedDefaultButtonHasABlackFrame)
{
    CLinkButton button(nullptr, CLinkButton::kStyleDefPushButton);
    EXPECT_TRUE(button.IsDefault());
    button.SetFlat(false);
    button.resize(60, 20);
    const QImage shot = button.grab().toImage();
    EXPECT_EQ(shot.pixel(0, 0), QColor(Qt::black).rgb());
    EXPECT_EQ(shot.pixel(1, 1), button.palette().color(QPalette::Light).rgb()) << "the 3-D edge inside the frame";
    EXPECT_EQ(shot.pixel(58, 18), button.palette().color(QPalette::Shadow).rgb());

    button.SetStyle(0);
    EXPECT_FALSE(button.IsDefault());
    button.SetStyle(0x0003);
    EXPECT_TRUE(button.IsCheckMode());
}

TEST_F(LinkButtonTest, MenuIsShownBelowAndTheFlagClearedAfter)
{
    QWidget owner;
    CMenuRecordingButton button(&owner);
    button.setGeometry(10, 10, 80, 24);
    QMenu menu;
    menu.addAction("one");
    button.SetMenu(&menu, &owner);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(button.m_tracked, &menu);
    EXPECT_TRUE(button.m_shownWhileTracking);
    EXPECT_FALSE(button.IsMenuShown());
    EXPECT_EQ(button.m_point, button.mapToGlobal(QPoint(0, 24)));
}

TEST_F(LinkButtonTest, ClickOpensTheWholeAddress)
{
    CRecordingLauncher launcher;
    CLinkButton button;
    button.resize(80, 24);
    const std::string url = "https://example.com/" + std::string(400, 'a') + "?q=1";
    button.SetURL(url);
    EXPECT_EQ(button.GetURL(), url);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(launcher.m_opened.size(), 1u);
    EXPECT_EQ(launcher.m_opened[0], url) << "no cut at 260 characters";

    button.SetURL("");
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(launcher.m_opened.size(), 1u);
}

TEST_F(LinkButtonTest, BitmapsWithTheirTransparentColour)
{
    QImage bitmap(8, 8, QImage::Format_RGB32);
    bitmap.fill(QColor(255, 0, 255));
    bitmap.setPixelColor(4, 4, QColor(0, 128, 0));
    const QBitmap mask = CreateBitmapMask(bitmap, QColor(255, 0, 255));
    ASSERT_FALSE(mask.isNull());
    const QImage maskImage = mask.toImage();
    EXPECT_EQ(maskImage.pixel(4, 4), QColor(Qt::color1).rgb()) << "kept";
    EXPECT_EQ(maskImage.pixel(0, 0), QColor(Qt::color0).rgb()) << "the transparent colour is clear";
    EXPECT_TRUE(CreateBitmapMask(QImage(), Qt::black).isNull());

    CLinkButton button;
    button.resize(40, 20);
    button.SetColor(kLinkBackOut, QColor(10, 20, 30));
    EXPECT_EQ(button.SetBitmapsFromHandles(QImage(), Qt::black), 1);
    EXPECT_EQ(button.SetBitmapsFromHandles(bitmap, QColor(255, 0, 255)), 0);
    const QImage shot = button.grab().toImage();
    // No caption: the bitmap is centred, at 16, 6.
    EXPECT_EQ(shot.pixel(20, 10), QColor(0, 128, 0).rgb());
    EXPECT_EQ(shot.pixel(17, 7), QColor(10, 20, 30).rgb()) << "magenta shows the background";
}
} // namespace
