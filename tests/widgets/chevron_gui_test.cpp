// The chevron bar and its icon menu: which buttons the menu offers, with
// which icons and texts, and how its items look.

#include "widgets/ChevronReBar.h"
#include "widgets/IconMenu.h"

#include "tests/support/QtApplication.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QPixmap>
#include <QStyleOptionMenuItem>
#include <QToolBar>

namespace
{
QIcon SolidIcon(QColor color)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(color);
    return QIcon(pixmap);
}

class ChevronTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_toolBar = new QToolBar;
        m_toolBar->setIconSize(QSize(16, 16));
        for (int i = 1; i <= 7; ++i)
        {
            if (i == 5)
                m_toolBar->addSeparator();
            QAction* action = m_toolBar->addAction(SolidIcon(QColor(i * 30, 0, 0)), QString("Button %1").arg(i));
            action->setProperty("twCommandId", 32000 + i);
            m_actions.push_back(action);
        }
        m_bar.SetStringSource([](int id) { return "Prompt of " + std::to_string(id) + "\nTip " + std::to_string(id); });
        m_band = m_bar.AddBar(m_toolBar, 59392, "", 0);
    }

    // Narrows the band so that the buttons from the first hidden one on do
    // not fit.
    void ShowUpTo(int lastVisible)
    {
        QWidget* hidden = m_toolBar->widgetForAction(m_actions[size_t(lastVisible)]);
        const int right = hidden->mapTo(m_bar.GetBandWidget(m_band), QPoint(hidden->width(), 0)).x();
        m_bar.GetBandWidget(m_band)->resize(right + CChevronReBar::kChevronWidth + 2, 26);
    }

    QApplication& m_application = TestApplication(); // before the bar
    CChevronReBar m_bar;
    QToolBar* m_toolBar = nullptr;
    std::vector<QAction*> m_actions;
    int m_band = -1;
};

TEST_F(ChevronTest, ToolbarBandsGetTheChevronOthersLoseIt)
{
    EXPECT_EQ(m_bar.GetBandStyle(m_band) & CChevronReBar::kBandUseChevron, CChevronReBar::kBandUseChevron);
    EXPECT_EQ(m_bar.GetBandId(m_band), 59392);
    const int label = m_bar.AddBar(new QLabel("not a toolbar"), 7, "", CChevronReBar::kBandUseChevron);
    EXPECT_EQ(m_bar.GetBandStyle(label) & CChevronReBar::kBandUseChevron, 0u);
    const int noId = m_bar.AddBar(new QToolBar, -1, "", CChevronReBar::kBandUseChevron);
    EXPECT_EQ(m_bar.GetBandStyle(noId) & CChevronReBar::kBandUseChevron, 0u);
    EXPECT_EQ(m_bar.BuildChevronMenu(label), nullptr);
    EXPECT_EQ(m_bar.GetBandWidget(m_band)->minimumSizeHint().width(), CChevronReBar::kChevronWidth)
        << "a chevron band shrinks to its chevron";
}

TEST_F(ChevronTest, MenuListsTheHiddenButtonsWithIconsAndTooltips)
{
    m_bar.resize(1000, 30);
    m_bar.show();
    m_bar.GetBandWidget(m_band)->resize(m_bar.GetBandWidget(m_band)->sizeHint().width(), 26);
    EXPECT_FALSE(m_bar.IsChevronShown(m_band));
    EXPECT_EQ(m_bar.BuildChevronMenu(m_band), nullptr) << "nothing hidden: no menu";

    m_actions[5]->setEnabled(false);
    ShowUpTo(3); // buttons 5, 6, 7 and the separator before them are hidden
    EXPECT_TRUE(m_bar.IsChevronShown(m_band));
    std::unique_ptr<CIconMenu> menu = m_bar.BuildChevronMenu(m_band);
    ASSERT_NE(menu, nullptr);
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), 3) << "no separator before the first item";
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ(ToolbarCommandId(items[i]), 32005 + i);
        EXPECT_EQ(items[i]->text().toStdString(), "Tip " + std::to_string(32005 + i));
        EXPECT_EQ(items[i]->icon().pixmap(16, 16).toImage().pixel(8, 8), QColor((5 + i) * 30, 0, 0).rgb());
    }
    EXPECT_TRUE(items[0]->isEnabled());
    EXPECT_FALSE(items[1]->isEnabled()) << "a disabled button is greyed";

    int triggered = 0;
    QObject::connect(m_actions[4], &QAction::triggered, [&] { ++triggered; });
    items[0]->trigger();
    EXPECT_EQ(triggered, 1) << "the item runs the button's command";
}

TEST_F(ChevronTest, ItemsAreMeasuredAndDrawnByTheMenu)
{
    m_bar.resize(1000, 30);
    m_bar.show();
    m_actions[6]->setEnabled(false);
    m_actions[5]->setCheckable(true);
    m_actions[5]->setChecked(true);
    ShowUpTo(3);
    std::unique_ptr<CIconMenu> menu = m_bar.BuildChevronMenu(m_band);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->MeasureItem(), QSize(134, 20));
    menu->popup(QPoint(0, 0));
    const QList<QAction*> items = menu->actions();
    const QRect first = menu->actionGeometry(items[0]);
    EXPECT_EQ(first.height(), 20);
    EXPECT_GE(first.width(), 134);

    menu->setActiveAction(items[0]);
    const QImage shot = menu->grab().toImage();
    const QPalette colors = menu->palette();
    EXPECT_EQ(shot.pixel(first.right() - 2, first.center().y()), colors.color(QPalette::Active, QPalette::Highlight).rgb())
        << "the selected item in the highlight colour";
    const QRect second = menu->actionGeometry(items[1]);
    EXPECT_EQ(shot.pixel(second.right() - 2, second.center().y()), colors.color(QPalette::Window).rgb());
    EXPECT_EQ(shot.pixel(first.left() + 4 + 8, first.top() + 2 + 8), QColor(150, 0, 0).rgb())
        << "the icon at left + 4, top + 2";
    EXPECT_EQ(shot.pixel(second.left() + 2, second.top() + 1), QColor(Qt::black).rgb())
        << "a checked item's sunken frame 2 pixels around its image";
    const QRgb greyed = shot.pixel(menu->actionGeometry(items[2]).left() + 4 + 8,
                                   menu->actionGeometry(items[2]).top() + 2 + 8);
    EXPECT_NE(greyed, QColor(210, 0, 0).rgb()) << "a greyed item's image is drawn disabled";
    menu->hide();
}
} // namespace
