// The tabbed bar on screen: tabs by owner, activation and callbacks, the
// scroll bar, and the colours of the strip.

#include "widgets/TabbedBar.h"

#include "tests/support/QtApplication.h"

#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QMenu>
#include <QScrollBar>
#include <QTest>

#include <vector>

namespace
{
struct Call
{
    QWidget* owner;
    int flag;
    std::string text;
};
std::vector<Call> g_calls;

void RecordCall(const CTabInfo& tab, int flag, const std::string& text)
{
    g_calls.push_back({tab.m_owner, flag, text});
}

// Records the context menu instead of showing it.
class CMenuRecordingStrip : public CTabStripWnd
{
public:
    void TrackMenu(QMenu* menu, QPoint globalPoint) override
    {
        m_titles.push_back(menu->title().toStdString());
        m_points.push_back(mapFromGlobal(globalPoint));
        m_contextOwners.push_back(GetContextTab().m_owner);
    }
    std::vector<std::string> m_titles;
    std::vector<QPoint> m_points;
    std::vector<QWidget*> m_contextOwners;
};

class TabbedBarTest : public ::testing::Test
{
protected:
    void SetUp() override { g_calls.clear(); }
    QApplication& m_application = TestApplication(); // before the widgets
    QWidget m_a, m_b, m_c;
};

TEST_F(TabbedBarTest, MeasuredWidths)
{
    QFont font("DejaVu Sans");
    font.setPixelSize(12);
    const QFontMetrics metrics(font);
    EXPECT_EQ(MeasureTabWidth(metrics, "x"), 40);
    const std::string forty(40, 'W');
    ASSERT_GT(21 + 40 * metrics.horizontalAdvance('W'), 280);
    EXPECT_EQ(MeasureTabWidth(metrics, forty), 280);
    const std::string twentyFive(25, 'W');
    const int wide = 21 + 25 * metrics.horizontalAdvance('W');
    ASSERT_GT(wide, 280);
    EXPECT_EQ(MeasureTabWidth(metrics, twentyFive), wide) << "25 characters are never capped";
    EXPECT_EQ(MeasureTabWidth(metrics, "ab"), 40);
    const std::string accented = "\xC3\xA9t\xC3\xA9 and summer holidays in 2026 abroad, at last"; // 46 characters, 48 bytes
    int each = 21;
    for (char32_t c : QString::fromUtf8(accented.c_str()).toUcs4())
        each += metrics.horizontalAdvance(QString::fromUcs4(&c, 1));
    ASSERT_GT(each, 280);
    EXPECT_EQ(MeasureTabWidth(metrics, accented), 280) << "46 characters: capped";
    const std::string thirty = "\xC3\xA9\xC3\xA9" + std::string(28, 'W'); // 30 characters, 32 bytes
    EXPECT_GT(MeasureTabWidth(metrics, thirty), 280) << "characters, not bytes, are counted";
}

TEST_F(TabbedBarTest, TabsByOwnerAndTheirCallbacks)
{
    CTabbedBar bar;
    ASSERT_TRUE(bar.Create(nullptr, 0, false));
    bar.resize(600, 22);
    EXPECT_EQ(bar.AddTab("first", RecordCall, &m_a, nullptr, 1, true), 0);
    EXPECT_TRUE(g_calls.empty()) << "the first tab is already the active index";
    EXPECT_EQ(bar.AddTab("second", RecordCall, &m_b, nullptr, 2, true), 1);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].owner, &m_b);
    EXPECT_EQ(g_calls[0].flag, 1);
    EXPECT_EQ(g_calls[0].text, "second");
    EXPECT_EQ(bar.AddTab("third", RecordCall, &m_c, &m_c, 3, false), 2);
    EXPECT_EQ(bar.GetActiveTab(), (CTabInfo{RecordCall, &m_b, nullptr, 2}));

    // The same owner again renames its tab in place.
    EXPECT_EQ(bar.AddTab("first, renamed", RecordCall, &m_a, nullptr, 9, false), 0);
    EXPECT_EQ(bar.Strip().GetTabCount(), 3);
    EXPECT_EQ(bar.Strip().GetTabText(0), "first, renamed");
    EXPECT_EQ(bar.Strip().GetTabInfo(0).m_value, 1);

    // Clicking a tab activates it once; clicking the active tab again calls nothing.
    g_calls.clear();
    const int x = bar.Strip().GetTabWidth(0) + bar.Strip().GetTabWidth(1) + 5;
    QTest::mouseClick(&bar.Strip(), Qt::LeftButton, {}, QPoint(x, 8));
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].owner, &m_c);
    QTest::mouseClick(&bar.Strip(), Qt::LeftButton, {}, QPoint(x, 8));
    EXPECT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(bar.Strip().HitTest(QPoint(595, 8)), -1);

    // Removing a tab before the active one keeps the active tab active.
    g_calls.clear();
    bar.RemoveTabFor(nullptr, &m_a, nullptr, 0);
    EXPECT_EQ(bar.GetActiveTab().m_owner, &m_c);
    EXPECT_TRUE(g_calls.empty());
    // Removing the active last tab activates the one before it.
    bar.RemoveTabFor(nullptr, &m_c, nullptr, 0);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].owner, &m_b);
    EXPECT_EQ(bar.GetActiveTab().m_owner, &m_b);
    bar.RemoveTabFor(nullptr, &m_b, nullptr, 0);
    EXPECT_EQ(bar.GetActiveTab(), CTabInfo());
    EXPECT_EQ(bar.Strip().GetActiveIndex(), 0);
}

TEST_F(TabbedBarTest, PrevNextWrapAndContextTab)
{
    CTabbedBar bar;
    ASSERT_TRUE(bar.Create(nullptr, 0, false));
    bar.resize(600, 22);
    bar.AddTab("a", RecordCall, &m_a, nullptr, 0, false);
    bar.AddTab("b", RecordCall, &m_b, nullptr, 0, false);
    bar.AddTab("c", RecordCall, &m_c, nullptr, 0, false);
    bar.Strip().SelectPrevTab();
    EXPECT_EQ(bar.GetActiveTab().m_owner, &m_c) << "wraps to the last";
    bar.Strip().SelectNextTab();
    EXPECT_EQ(bar.GetActiveTab().m_owner, &m_a) << "wraps to the first";
    ASSERT_EQ(g_calls.size(), 2u);

    g_calls.clear();
    bar.Strip().SetMenuPoint(QPoint(45, 5)); // in the second 40-pixel tab
    EXPECT_EQ(bar.GetContextTab().m_owner, &m_b);
    EXPECT_TRUE(g_calls.empty());
    EXPECT_EQ(bar.ActivateContextTab().m_owner, &m_b);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].owner, &m_b);
    bar.Strip().SetMenuPoint(QPoint(-1, -1));
    EXPECT_EQ(bar.ActivateContextTab(), CTabInfo());
    EXPECT_EQ(g_calls.size(), 1u);
}

TEST_F(TabbedBarTest, ContextMenuOfTheTabUnderThePoint)
{
    QWidget frame;
    auto* strip = new CMenuRecordingStrip;
    strip->setParent(&frame);
    strip->resize(300, 20);
    strip->InsertTab(-1, "a", RecordCall, &m_a, nullptr, 0, false);
    strip->InsertTab(-1, "b", RecordCall, &m_b, nullptr, 0, false);
    QContextMenuEvent none(QContextMenuEvent::Mouse, QPoint(45, 5), strip->mapToGlobal(QPoint(45, 5)));
    QApplication::sendEvent(strip, &none);
    EXPECT_TRUE(strip->m_titles.empty()) << "no menu id: nothing";

    std::vector<std::pair<int, QWidget*>> asked;
    strip->SetContextMenu(204, [&](int id, QWidget* owner) {
        asked.emplace_back(id, owner);
        auto menu = std::make_unique<QMenu>();
        menu->setTitle("tabs");
        return menu;
    });
    QContextMenuEvent mouse(QContextMenuEvent::Mouse, QPoint(45, 5), strip->mapToGlobal(QPoint(45, 5)));
    QApplication::sendEvent(strip, &mouse);
    QContextMenuEvent keyboard(QContextMenuEvent::Keyboard, QPoint(200, 10), strip->mapToGlobal(QPoint(200, 10)));
    QApplication::sendEvent(strip, &keyboard);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0], std::make_pair(204, static_cast<QWidget*>(&frame))) << "owned by the top-level window";
    EXPECT_EQ(strip->m_titles, (std::vector<std::string>{"tabs", "tabs"}));
    EXPECT_EQ(strip->m_points, (std::vector<QPoint>{QPoint(45, 5), QPoint(5, 5)}));
    EXPECT_EQ(strip->m_contextOwners, (std::vector<QWidget*>{&m_b, &m_a})) << "keyboard: the first visible tab";
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(TabbedBarTest, ScrollBarOnlyForSeveralTabsThatDoNotFit)
{
    CTabbedBar bar;
    ASSERT_TRUE(bar.Create(nullptr, 0, true));
    bar.resize(200, 22);
    bar.show();
    bar.AddTab(std::string(40, 'W'), RecordCall, &m_a, nullptr, 0, false);
    EXPECT_FALSE(bar.ScrollBar().isVisible()) << "a single tab never scrolls";
    EXPECT_EQ(bar.Strip().geometry(), QRect(0, 0, 188, 22)) << "the grip keeps 12 pixels";
    bar.AddTab(std::string(40, 'W'), RecordCall, &m_b, nullptr, 0, false);
    EXPECT_TRUE(bar.ScrollBar().isVisible());
    EXPECT_TRUE(bar.ScrollBar().isEnabled());
    EXPECT_EQ(bar.Strip().geometry(), QRect(24, 0, 164, 22));

    bar.ScrollBar().triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(bar.Strip().GetScrollOffset(), 20);
    bar.ScrollBar().triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(bar.Strip().GetScrollOffset(), 40);
    bar.ScrollBar().triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(bar.Strip().GetScrollOffset(), 40) << "only the arrows scroll";
    bar.ScrollBar().triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(bar.Strip().GetScrollOffset(), 20);
    for (int i = 0; i < 100; ++i)
        bar.OnHScroll(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(bar.Strip().GetScrollOffset(), 560 - 164) << "stops where the last tab ends";
    EXPECT_EQ(bar.Strip().HitTest(QPoint(163, 5)), 1);

    bar.SelectTabFor(nullptr, &m_a, nullptr, 0, true);
    EXPECT_EQ(bar.Strip().GetScrollOffset(), 396) << "the active tab is not selected again";
    bar.SelectTabFor(nullptr, &m_b, nullptr, 0, true);
    bar.SelectTabFor(nullptr, &m_a, nullptr, 0, true);
    EXPECT_EQ(bar.Strip().GetScrollOffset(), 0) << "selecting scrolls the tab into view";
}

TEST_F(TabbedBarTest, StripColours)
{
    CTabbedBar bar;
    ASSERT_TRUE(bar.Create(nullptr, 0, false));
    bar.resize(400, 22);
    bar.AddTab("one", RecordCall, &m_a, nullptr, 0, false);
    bar.AddTab("two", RecordCall, &m_b, nullptr, 0, false);
    const QPalette& colors = bar.Strip().palette();
    ASSERT_NE(colors.color(QPalette::Base), colors.color(QPalette::Button));

    QImage shot = bar.Strip().grab().toImage();
    EXPECT_EQ(shot.pixel(20, 2), colors.color(QPalette::Base).rgb()) << "the active tab in the window colour";
    const int second = bar.Strip().GetTabWidth(0);
    EXPECT_EQ(shot.pixel(second + 12, 2), colors.color(QPalette::Button).rgb()) << "inactive tabs in button face";
    EXPECT_EQ(shot.pixel(390, 10), colors.color(QPalette::Active, QPalette::Highlight).rgb()) << "active look";
    EXPECT_EQ(shot.pixel(10, 0), QColor(0, 0, 180).rgb()) << "the active tab's outline";
    EXPECT_EQ(shot.pixel(second + 10, 0), QColor(0, 0, 0).rgb()) << "an inactive tab's outline";

    bar.SetActiveLook(false);
    shot = bar.Strip().grab().toImage();
    EXPECT_EQ(shot.pixel(390, 10), colors.color(QPalette::Mid).rgb()) << "inactive look";

    EXPECT_EQ(bar.Strip().GetTabTextColor(1), colors.color(QPalette::Text));
    bar.SetTabColor(nullptr, &m_b, nullptr, 0, -1, QColor(200, 0, 0));
    EXPECT_EQ(bar.Strip().GetTabTextColor(1), QColor(200, 0, 0));
    bar.SetTabColor(nullptr, &m_b, nullptr, 0, kColorHighlight, QColor(200, 0, 0));
    EXPECT_EQ(bar.Strip().GetTabTextColor(1), colors.color(QPalette::Highlight));

    // A strip taller than the bitmap's first 20 rows is painted whole.
    bar.resize(400, 40);
    shot = bar.Strip().grab().toImage();
    EXPECT_EQ(shot.pixel(390, 35), colors.color(QPalette::Mid).rgb());
}
} // namespace
