// The main window: titles of child tabs, the quick-connect start rule, every
// command of its menus and toolbar routed or disabled, child windows in the
// tabbed bar with their counters, and child placement through the settings.

#include "checker/TaskSettings.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "platform/ui/CommandActions.h"
#include "res/ResourceIds.h"
#include "shell/MainFrame.h"
#include "shell/TanglewardenDocManager.h"
#include "shell/TanglewardenFrame.h"
#include "widgets/TabbedBar.h"

#include "tests/support/QtApplication.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSpinBox>
#include <QTest>
#include <QToolBar>

#include <memory>

TEST(ShortenPathForTitle, KeepsTheLastSeparatorWithTwentyCharactersAfterIt)
{
    struct Case
    {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"", ""},
        {"short/name.txt", "short/name.txt"},
        {"C:\\Data\\Site\\pages\\index.html", "...\\Site\\pages\\index.html"},
        {"/home/user/Site/pages/index.html", ".../Site/pages/index.html"},
        {"/a/12345678901234567890", ".../12345678901234567890"},   // exactly 20 after the separator
        {"/a/1234567890123456789", ".../a/1234567890123456789"},   // 19 after the last, 21 after the first
        {"a/1234567890123456789", "a/1234567890123456789"},        // only 19 after the one separator
        {"abcdefghijklmnopqrstuvwxyz", "abcdefghijklmnopqrstuvwxyz"}, // no separator
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShortenPathForTitle(c.text), c.expected) << c.text;
}

TEST(QuickConnect, StartRuleTrimsTheUrlAndTakesDepthOneForNothingAboveZero)
{
    struct Case
    {
        const char* url;
        const char* depth;
        const char* expectedUrl;
        int expectedDepth;
    };
    const Case cases[] = {
        {"  http://example.org/  ", "3", "http://example.org/", 3},
        {"http://example.org/", "0", "http://example.org/", 1},
        {"http://example.org/", "", "http://example.org/", 1},
        {"http://example.org/", "-4", "http://example.org/", 1},
        {"http://example.org/", "7x", "http://example.org/", 1},
        {" \t ", "5", "", 5},
        {"", "1000", "", 1000},
    };
    for (const Case& c : cases)
    {
        const CQuickConnectRequest request = MakeQuickConnectRequest(c.url, c.depth);
        EXPECT_EQ(request.m_url, c.expectedUrl) << c.url << " / " << c.depth;
        EXPECT_EQ(request.m_depth, c.expectedDepth) << c.url << " / " << c.depth;
    }
}

namespace
{
class MainFrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestApplication();
        m_env.Set("HOME", m_temp.Path());
        m_env.Set("XDG_CONFIG_HOME", m_temp / "config");
        m_env.Set("XDG_DATA_HOME", m_temp / "data");
        m_settings.SetInt(SETTING_MISC_MAX_RECURSION, 1);
        for (int id : {SETTING_LAYOUT_TOOLBAR_VISIBLE, SETTING_LAYOUT_STATUSBAR_VISIBLE, SETTING_LAYOUT_QC_VISIBLE,
                       SETTING_LAYOUT_TABBEDBAR_VISIBLE})
            m_settings.SetInt(id, 1);
        CMainFrame::CHooks hooks;
        hooks.m_openTask = [this](const CPropertySet& task) {
            m_opened.emplace_back(task.GetStringValue(TASK_URI), GetIntOr(task, TASK_RECURSION));
        };
        hooks.m_closeAllOfKind = [this](int kind) { m_closedKinds.push_back(kind); };
        m_frame = std::make_unique<CMainFrame>(m_settings, std::move(hooks));
        ASSERT_TRUE(m_frame->OnCreate());
        m_frame->resize(900, 600);
        m_frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_frame.get()));
    }

    CTanglewardenFrame* Open(int kind, const std::string& title = {})
    {
        CTanglewardenFrame* child = CTanglewardenFrame::MakeForKind(kind, &m_settings);
        m_frame->AddChild(child);
        child->OnCreate();
        if (!title.empty())
            child->SetFrameTitle(title, 1);
        return child;
    }

    CTabStripWnd& Tabs() { return m_frame->GetTabbedBar()->Strip(); }

    CTempFolder m_temp;
    ScopedEnvironment m_env;
    CPropertySet m_settings;
    std::vector<std::pair<std::string, int>> m_opened;
    std::vector<int> m_closedKinds;
    std::unique_ptr<CMainFrame> m_frame;
};
} // namespace

TEST_F(MainFrameTest, EveryCommandOfMenusAndToolbarIsRoutedOrDisabled)
{
    ASSERT_FALSE(m_frame->menuBar()->actions().isEmpty());
    ASSERT_FALSE(m_frame->GetToolBar()->actions().isEmpty());
    QList<QAction*> actions = m_frame->GetToolBar()->actions();
    for (const QMenu* menu : m_frame->menuBar()->findChildren<QMenu*>())
        actions += menu->actions();
    int walked = 0;
    for (QAction* action : actions)
    {
        const UINT id = CCommandActions::CommandId(action);
        if (id == 0)
            continue;
        ++walked;
        const CCmdUI state = m_frame->QueryCommandState(id);
        if (state.IsEnabled())
        {
            EXPECT_TRUE(m_frame->OnCmdMsg(id, CommandRequest::Probe, nullptr)) << "enabled without a handler: " << id;
        }
    }
    EXPECT_GT(walked, 20);
    // Windows not built yet stay disabled even though the menu shows them.
    for (UINT id : {ID_TOOLS_PASSWORDS, ID_TOOLS_COOKIES, ID_TOOLS_CACHE})
        EXPECT_FALSE(m_frame->QueryCommandState(id).IsEnabled()) << id;
}

TEST_F(MainFrameTest, QuickConnectStartsOnlyWithAUrlAndWithItsDepth)
{
    m_frame->GetUrlCombo()->setEditText("   ");
    EXPECT_FALSE(m_frame->QueryCommandState(ID_QC_START_KEY).IsEnabled());
    EXPECT_FALSE(m_frame->ExecuteCommand(1));
    m_frame->GetUrlCombo()->setEditText("  http://example.org/a  ");
    m_frame->GetDepthEdit()->setValue(4);
    EXPECT_TRUE(m_frame->ExecuteCommand(ID_QC_START_KEY));
    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened[0].first, "http://example.org/a");
    EXPECT_EQ(m_opened[0].second, 4);
}

TEST_F(MainFrameTest, ChildrenKeepTabsAndCountersUpToDate)
{
    EXPECT_FALSE(m_frame->QueryCommandState(ID_WINDOW_CLOSE_LOGS).IsEnabled());
    CTanglewardenFrame* report = Open(kKindLinkReport);
    CTanglewardenFrame* tree = Open(kKindTask);
    EXPECT_EQ(Tabs().GetTabCount(), 1) << "a link tree frame has no tab until it has a title";
    EXPECT_EQ(Tabs().GetTabText(0), "Report: Report");
    // Close All Logs follows the log windows only.
    EXPECT_FALSE(m_frame->QueryCommandState(ID_WINDOW_CLOSE_LOGS).IsEnabled());
    EXPECT_TRUE(m_frame->QueryCommandState(ID_WINDOW_CLOSE_REPORTS).IsEnabled());

    CTanglewardenFrame* log = Open(kKindTransferLog, "/home/user/downloads/Site/pages/index.html");
    EXPECT_EQ(Tabs().GetTabCount(), 2);
    EXPECT_EQ(Tabs().GetTabText(1), "Log: .../Site/pages/index.html");
    EXPECT_EQ(CTanglewardenFrame::GetOpenFrameCount(2), 1);
    EXPECT_TRUE(m_frame->QueryCommandState(ID_WINDOW_CLOSE_LOGS).IsEnabled());
    EXPECT_TRUE(m_frame->ExecuteCommand(ID_WINDOW_CLOSE_LOGS));
    EXPECT_EQ(m_closedKinds, std::vector<int>{kKindTransferLog});

    tree->SetFrameTitle("http://example.org/", 1);
    EXPECT_EQ(Tabs().GetTabCount(), 3);
    m_frame->MdiArea()->tileSubWindows();
    EXPECT_EQ(Tabs().GetTabCount(), 3);

    m_frame->SetChildTabColor(log, 255);
    EXPECT_EQ(Tabs().GetTabTextColor(1), QColor(255, 0, 0));

    // A tab's close event closes its window, which takes the tab away.
    log->parentWidget()->close();
    QTest::qWait(0);
    EXPECT_EQ(Tabs().GetTabCount(), 2);
    EXPECT_EQ(CTanglewardenFrame::GetOpenFrameCount(2), 0);
    EXPECT_FALSE(m_frame->QueryCommandState(ID_WINDOW_CLOSE_LOGS).IsEnabled());
    report->parentWidget()->close();
    tree->parentWidget()->close();
    QTest::qWait(0);
    EXPECT_EQ(Tabs().GetTabCount(), 0);
    EXPECT_EQ(CTanglewardenFrame::GetTotalFrameCount(), 0);
}

TEST_F(MainFrameTest, ChildPlacementRoundTripAndTheFirstFrameMaximised)
{
    CTanglewardenFrame* editor = Open(kKindTextEditor);
    QWidget* sub = editor->parentWidget();
    sub->showNormal();
    sub->setGeometry(30, 40, 320, 200);
    sub->close();
    QTest::qWait(0);
    const std::string stored = m_settings.GetStringValue(SETTING_LAYOUT_EDIT);
    EXPECT_EQ(stored, "30:40:320:200:0");

    CTanglewardenFrame* again = Open(kKindTextEditor);
    EXPECT_EQ(again->parentWidget()->geometry(), QRect(30, 40, 320, 200));
    again->parentWidget()->close();
    QTest::qWait(0);

    // A stored maximised placement maximises the only editor, not a second.
    m_settings.SetString(SETTING_LAYOUT_EDIT, "30:40:320:200:1");
    CTanglewardenFrame* first = Open(kKindTextEditor);
    EXPECT_TRUE(first->parentWidget()->isMaximized());
    CTanglewardenFrame* second = Open(kKindTextEditor);
    EXPECT_FALSE(second->parentWidget()->isMaximized());
}

TEST_F(MainFrameTest, BarVisibilityIsSavedOnClose)
{
    QWidget* holder = m_frame->findChild<QWidget*>("ToolRebarHolder");
    ASSERT_NE(holder, nullptr);
    ASSERT_TRUE(holder->isVisible());
    EXPECT_TRUE(m_frame->ExecuteCommand(ID_VIEW_TOOLBAR));
    EXPECT_FALSE(holder->isVisible());
    EXPECT_EQ(m_frame->QueryCommandState(ID_VIEW_TOOLBAR).GetCheck(), 0);
    m_frame->close();
    EXPECT_EQ(GetIntOr(m_settings, SETTING_LAYOUT_TOOLBAR_VISIBLE, -1), 0);
    EXPECT_EQ(GetIntOr(m_settings, SETTING_LAYOUT_TABBEDBAR_VISIBLE, -1), 1);
    EXPECT_FALSE(m_settings.GetStringValue(SETTING_LAYOUT_MAIN_FRAME).empty());
}

TEST_F(MainFrameTest, ScreenshotOfTheMainWindow)
{
    Open(kKindTextEditor, "/home/user/notes.txt");
    Open(kKindLinkReport);
    QTest::qWait(50);
    const QPixmap shot = m_frame->grab();
    ASSERT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save(QStringLiteral("main_frame.png")));
}
