// The main window: titles of child tabs, the quick-connect bar and its
// start rule, every command of its menus and toolbar routed or disabled,
// child windows in the tabbed bar with their counters, child and main-window
// placement through the settings, the login prompt for worker threads, the
// history broadcast and the focus kept across deactivation.

#include "checker/TaskSettings.h"
#include "foundation/desktop/InitInstanceBroadcast.h"
#include "foundation/desktop/ShellHooks.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/stores/UrlHistory.h"
#include "platform/core/RecordingDesktop.h"
#include "platform/ui/CommandActions.h"
#include "platform/ui/RecordingModalDriver.h"
#include "platform/ui/WidgetWindow.h"
#include "res/ResourceIds.h"
#include "shell/AppGlobals.h"
#include "shell/MainFrame.h"
#include "shell/QuickConnectBar.h"
#include "shell/TanglewardenDocManager.h"
#include "shell/TanglewardenFrame.h"
#include "transfer/auth/PromptRequestQueue.h"
#include "widgets/LoginPromptDlg.h"
#include "widgets/TabbedBar.h"
#include "widgets/WindowPlacement.h"

#include "tests/support/QtApplication.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ShownMainFrame.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TemporaryDataFolder.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <atomic>
#include <map>
#include <memory>
#include <thread>

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
// The main window with its popup menus answered: each tracked menu's command
// ids are recorded, and the menu is not shown.
class CTestMainFrame : public CMainFrame
{
public:
    using CMainFrame::CMainFrame;

    std::vector<std::vector<UINT>> m_trackedMenus;

protected:
    void TrackPopupMenu(QMenu& menu, QPoint) override
    {
        std::vector<UINT> ids;
        for (const QAction* action : menu.actions())
            ids.push_back(CCommandActions::CommandId(action));
        m_trackedMenus.push_back(ids);
    }
};

std::vector<UINT> CommandIds(const QList<QAction*>& actions)
{
    std::vector<UINT> ids;
    for (const QAction* action : actions)
        ids.push_back(CCommandActions::CommandId(action));
    return ids;
}

class MainFrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestApplication();
        UseTemporaryUserFolders(m_env, m_temp);
        m_settings.SetInt(SETTING_MISC_MAX_RECURSION, 1);
        for (int id : {SETTING_LAYOUT_TOOLBAR_VISIBLE, SETTING_LAYOUT_STATUSBAR_VISIBLE, SETTING_LAYOUT_QC_VISIBLE,
                       SETTING_LAYOUT_TABBEDBAR_VISIBLE})
            m_settings.SetInt(id, 1);
        m_frame = std::make_unique<CTestMainFrame>(m_settings, Hooks());
        ASSERT_TRUE(CreateAndShowMainFrame(*m_frame));
    }

    void TearDown() override { GetHistoryList().clear(); }

    CMainFrame::CHooks Hooks()
    {
        CMainFrame::CHooks hooks;
        hooks.m_openTask = [this](const CPropertySet& task) {
            m_opened.emplace_back(task.GetStringValue(TASK_URI), GetIntOr(task, TASK_RECURSION));
        };
        hooks.m_closeAllOfKind = [this](int kind) { m_closedKinds.push_back(kind); };
        hooks.m_editTaskProperties = [this](CTaskSettings& task) {
            return m_editProperties ? m_editProperties(task) : false;
        };
        hooks.m_winHelp = [this](unsigned data, unsigned) { m_help.push_back(data); };
        hooks.m_prompts = &m_prompts;
        return hooks;
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
    CQuickConnectBar& Bar() { return *m_frame->GetQuickConnectBar(); }

    CTempFolder m_temp;
    ScopedEnvironment m_env;
    CPropertySet m_settings;
    CPromptRequestQueue m_prompts{std::chrono::seconds(30), std::chrono::milliseconds(100)};
    std::vector<std::pair<std::string, int>> m_opened;
    std::vector<int> m_closedKinds;
    std::vector<unsigned> m_help;
    std::function<bool(CTaskSettings&)> m_editProperties;
    std::unique_ptr<CTestMainFrame> m_frame;
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
    EXPECT_FALSE(Bar().StartButton()->isEnabled());
    m_frame->GetUrlCombo()->setEditText("  http://example.org/a  ");
    EXPECT_TRUE(Bar().StartButton()->isEnabled()) << "every edit of the address updates the start button";
    m_frame->GetDepthEdit()->setText("4");
    EXPECT_TRUE(m_frame->ExecuteCommand(ID_QC_START_KEY));
    // The start button, and an empty depth field that starts at depth 1.
    m_frame->GetDepthEdit()->setText("");
    QTest::mouseClick(Bar().StartButton(), Qt::LeftButton);
    const std::vector<std::pair<std::string, int>> expected = {{"http://example.org/a", 4},
                                                                {"http://example.org/a", 1}};
    EXPECT_EQ(m_opened, expected);
    EXPECT_EQ(m_frame->GetQuickConnectTask().GetUrl(), "http://example.org/a");
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

    // The next start keeps the toolbar hidden and the others shown.
    CMainFrame restarted(m_settings, {});
    ASSERT_TRUE(restarted.OnCreate());
    EXPECT_TRUE(restarted.findChild<QWidget*>("ToolRebarHolder")->isHidden());
    EXPECT_FALSE(restarted.findChild<QWidget*>("TabbedBarHolder")->isHidden());
}

TEST_F(MainFrameTest, EveryOpenChildHasItsTabInView)
{
    Open(kKindTextEditor, "/home/user/notes.txt");
    Open(kKindLinkReport);
    Open(kKindTransferLog, "/home/user/downloads/Site/pages/index.html");
    // The area and the bar take their sizes from posted layout requests.
    const QRect area = m_frame->MdiArea()->viewport()->rect();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            for (CMDIChildWnd* child : m_frame->GetChildren())
                if (!area.contains(child->parentWidget()->geometry()))
                    return false;
            return m_frame->GetTabbedBar()->width() > m_frame->width() * 3 / 4 &&
                   Tabs().GetTotalWidth() <= Tabs().width();
        },
        5000));
    // Windows without a stored placement cascade inside the area.
    std::vector<QPoint> corners;
    for (CMDIChildWnd* child : m_frame->GetChildren())
    {
        EXPECT_TRUE(area.contains(child->parentWidget()->geometry())) << child->windowTitle().toStdString();
        corners.push_back(child->parentWidget()->geometry().topLeft());
    }
    ASSERT_EQ(corners.size(), 3u);
    EXPECT_LT(corners[0].x(), corners[1].x());
    EXPECT_LT(corners[1].y(), corners[2].y());
    // The bar spans the window and the strip shows every tab whole.
    ASSERT_EQ(Tabs().GetTabCount(), 3);
    EXPECT_GT(m_frame->GetTabbedBar()->width(), m_frame->width() * 3 / 4);
    EXPECT_LE(Tabs().GetTotalWidth(), Tabs().width());
    EXPECT_EQ(Tabs().GetScrollOffset(), 0);
    int left = 0;
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ(Tabs().HitTest(QPoint(left + Tabs().GetTabWidth(i) / 2, 5)), i);
        left += Tabs().GetTabWidth(i);
    }
    EXPECT_EQ(Tabs().GetActiveIndex(), 2);
    const QPixmap shot = m_frame->grab();
    ASSERT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save(QStringLiteral("main_frame.png")));
}

TEST_F(MainFrameTest, QuickConnectBarComesFromItsTemplateAndItsAddressBoxStretches)
{
    for (int id : {int(IDC_QC_URL), int(IDC_QC_DEPTH), int(IDC_QC_DEPTH_SPIN), int(ID_QC_START), int(ID_QC_BROWSE),
                   int(ID_QC_PROPERTIES)})
        EXPECT_NE(Bar().GetDlgItem(id), nullptr) << id;
    QWidget* combo = m_frame->GetUrlCombo();
    QPushButton* properties = Bar().PropertiesButton();
    const int comboWidth = combo->width();
    const int rightGap = Bar().width() - properties->geometry().right();
    m_frame->resize(1200, 600);
    EXPECT_TRUE(QTest::qWaitFor([&] { return combo->width() >= comboWidth + 250; }, 5000))
        << "the address box takes the new width";
    EXPECT_EQ(Bar().width() - properties->geometry().right(), rightGap) << "the buttons keep to the right edge";
}

TEST_F(MainFrameTest, DepthStartsFromTheSettingAndIsWrittenBackWhenTheBarGoes)
{
    EXPECT_EQ(m_frame->GetDepthEdit()->text(), "1");
    Bar().DepthSpin()->stepUp();
    EXPECT_EQ(m_frame->GetDepthEdit()->text(), "2") << "the arrows step the depth";
    m_frame->GetDepthEdit()->setText("7");
    m_frame.reset();
    EXPECT_EQ(GetIntOr(m_settings, SETTING_MISC_MAX_RECURSION), 7);

    // A depth field left at 0 is stored as 1; a stored depth out of range
    // shows clamped.
    m_settings.SetInt(SETTING_MISC_MAX_RECURSION, 5000);
    {
        CMainFrame frame(m_settings, {});
        ASSERT_TRUE(frame.OnCreate());
        EXPECT_EQ(frame.GetDepthEdit()->text(), "1000");
        frame.GetDepthEdit()->setText("0");
    }
    EXPECT_EQ(GetIntOr(m_settings, SETTING_MISC_MAX_RECURSION), 1);
}

TEST_F(MainFrameTest, EditCommandsActOnTheQuickConnectBoxThatHasTheFocus)
{
    m_frame->activateWindow();
    QComboBox* combo = m_frame->GetUrlCombo();
    QLineEdit* url = combo->lineEdit();
    QLineEdit* depth = m_frame->GetDepthEdit();
    url->setText("http://example.org/");
    combo->setFocus();
    url->selectAll();
    const auto inAddress = [&] {
        QWidget* focus = QApplication::focusWidget();
        return focus && (focus == combo || combo->isAncestorOf(focus));
    };
    ASSERT_TRUE(QTest::qWaitFor(inAddress, 2000));
    EXPECT_TRUE(m_frame->QueryCommandState(ID_EDIT_COPY).IsEnabled());
    EXPECT_FALSE(m_frame->QueryCommandState(ID_EDIT_UNDO).IsEnabled()) << "Undo only for the depth box";
    EXPECT_TRUE(m_frame->ExecuteCommand(ID_EDIT_CUT));
    EXPECT_EQ(url->text(), "");

    depth->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == depth; }, 2000));
    depth->selectAll();
    QTest::keyClicks(depth, "9");
    EXPECT_TRUE(m_frame->QueryCommandState(ID_EDIT_UNDO).IsEnabled());
    EXPECT_TRUE(m_frame->ExecuteCommand(ID_EDIT_UNDO));
    EXPECT_EQ(depth->text(), "1");

    // On a button the editing commands show disabled.
    Bar().PropertiesButton()->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == Bar().PropertiesButton(); }, 2000));
    for (UINT id : {ID_EDIT_COPY, ID_EDIT_CUT, ID_EDIT_PASTE, ID_EDIT_UNDO})
        EXPECT_FALSE(m_frame->QueryCommandState(id).IsEnabled()) << id;
    // Tab goes round the bar: from the last button back to the address box.
    EXPECT_TRUE(m_frame->ExecuteCommand(ID_QC_NEXT_CONTROL));
    EXPECT_TRUE(inAddress());
    EXPECT_TRUE(m_frame->ExecuteCommand(ID_QC_PREV_CONTROL));
    EXPECT_EQ(QApplication::focusWidget(), Bar().PropertiesButton());
}

TEST_F(MainFrameTest, BrowseOffersItsMenuAndPutsTheChosenPathIntoTheAddress)
{
    EXPECT_TRUE(m_frame->ExecuteCommand(ID_QC_BROWSE));
    ASSERT_EQ(m_frame->m_trackedMenus.size(), 1u);
    const std::vector<UINT> browse = {ID_QC_BROWSE_FILE, ID_QC_BROWSE_FOLDER, ID_QC_BROWSE_FAVORITES};
    EXPECT_EQ(m_frame->m_trackedMenus[0], browse);
    EXPECT_FALSE(m_frame->QueryCommandState(ID_QC_BROWSE_FAVORITES).IsEnabled());

    CScriptedFilePicker picker;
    picker.m_answers = {"/srv/site/index.html", "", "/srv/site"};
    m_frame->GetDepthEdit()->setText("2");
    EXPECT_TRUE(m_frame->ExecuteCommand(ID_QC_BROWSE_FILE));
    EXPECT_EQ(m_frame->GetUrlCombo()->currentText(), "/srv/site/index.html");
    EXPECT_TRUE(m_frame->ExecuteCommand(ID_QC_BROWSE_FOLDER)); // cancelled: nothing changes
    EXPECT_EQ(m_frame->GetUrlCombo()->currentText(), "/srv/site/index.html");
    EXPECT_TRUE(m_frame->ExecuteCommand(ID_QC_BROWSE_FOLDER));
    EXPECT_EQ(picker.m_fileRequests.size(), 1u);
    ASSERT_EQ(picker.m_folderRequests.size(), 2u);
    EXPECT_EQ(picker.m_folderRequests[0].m_title, "Select folder");
    const std::vector<std::pair<std::string, int>> expected = {{"/srv/site/index.html", 2}, {"/srv/site", 2}};
    EXPECT_EQ(m_opened, expected) << "a chosen path starts the task at once";
}

TEST_F(MainFrameTest, PropertiesEditACopyOfTheQuickConnectTask)
{
    m_frame->GetUrlCombo()->setEditText(" http://example.org/ ");
    m_frame->GetDepthEdit()->setText("3");
    std::string seenUrl;
    int seenDepth = 0;
    m_editProperties = [&](CTaskSettings& task) {
        seenUrl = task.GetUrl();
        seenDepth = GetIntOr(task, TASK_RECURSION);
        task.SetString(TASK_URI, "http://example.org/other/");
        task.SetInt(TASK_RECURSION, 5);
        return false; // cancelled
    };
    EXPECT_TRUE(m_frame->ExecuteCommand(ID_QC_PROPERTIES));
    EXPECT_EQ(seenUrl, "http://example.org/");
    EXPECT_EQ(seenDepth, 3);
    EXPECT_EQ(m_frame->GetQuickConnectTask().GetUrl(), "http://example.org/") << "a cancelled copy is dropped";
    EXPECT_EQ(m_frame->GetDepthEdit()->text(), "3");

    m_editProperties = [](CTaskSettings& task) {
        task.SetString(TASK_URI, "http://example.org/other/");
        task.SetInt(TASK_RECURSION, 5);
        return true;
    };
    EXPECT_TRUE(m_frame->ExecuteCommand(ID_QC_PROPERTIES));
    EXPECT_EQ(m_frame->GetQuickConnectTask().GetUrl(), "http://example.org/other/");
    EXPECT_EQ(m_frame->GetUrlCombo()->currentText(), "http://example.org/other/");
    EXPECT_EQ(m_frame->GetDepthEdit()->text(), "5");

    // Without the dialog the command stays disabled, as do help and the
    // login prompt's work.
    CMainFrame bare(m_settings, {});
    ASSERT_TRUE(bare.OnCreate());
    EXPECT_FALSE(bare.QueryCommandState(ID_QC_PROPERTIES).IsEnabled());
    EXPECT_FALSE(bare.QueryCommandState(ID_HELP_CONTENTS).IsEnabled());
}

TEST_F(MainFrameTest, HelpUpdateCheckAndBase64ReachTheirServices)
{
    CRecordingLauncher launcher;
    CRecordingModalDriver driver;
    m_settings.SetString(SETTING_IDENTITY_WEB_SITE, "https://tanglewarden.example/");
    EXPECT_TRUE(m_frame->ExecuteCommand(ID_HELP_CONTENTS));
    EXPECT_EQ(m_help, std::vector<unsigned>{0});
    EXPECT_TRUE(m_frame->ExecuteCommand(ID_HELP_CHECK_UPDATE));
    EXPECT_EQ(launcher.m_opened, std::vector<std::string>{"https://tanglewarden.example/"});
    std::string shown;
    driver.SetDialogScript([&](QDialog& dialog) { shown = dialog.windowTitle().toStdString(); });
    EXPECT_TRUE(m_frame->ExecuteCommand(ID_TOOLS_BASE64));
    EXPECT_EQ(driver.DialogRuns(), 1);
    EXPECT_EQ(shown, "Base64 conversion");
}

TEST_F(MainFrameTest, TheViewsButtonDropsDownTheViewTypes)
{
    auto* button = qobject_cast<QToolButton*>(
        m_frame->GetToolBar()->widgetForAction(m_frame->Commands().Action(ID_VIEW_VIEWS)));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->popupMode(), QToolButton::MenuButtonPopup);
    ASSERT_NE(button->menu(), nullptr);
    const std::vector<UINT> views = {ID_VIEW_MODE_LARGE_ICONS, ID_VIEW_MODE_SMALL_ICONS, ID_VIEW_MODE_LIST,
                                     ID_VIEW_MODE_DETAILS, ID_VIEW_MODE_THUMBNAILS};
    EXPECT_EQ(CommandIds(button->menu()->actions()), views);
}

TEST_F(MainFrameTest, EveryToolbarButtonHasATooltip)
{
    const std::map<UINT, std::string> expected = {
        {ID_FILE_NEW, "New"}, {ID_TOOLS_SETTINGS, "Settings"}, {ID_VIEW_VIEWS, "Views"}, {ID_HELP_CONTENTS, "Contents"}};
    for (const QAction* action : m_frame->GetToolBar()->actions())
    {
        const UINT id = CCommandActions::CommandId(action);
        if (id == 0)
            continue;
        EXPECT_FALSE(action->toolTip().isEmpty()) << id;
        if (auto found = expected.find(id); found != expected.end())
        {
            EXPECT_EQ(action->toolTip().toStdString(), found->second) << id;
        }
    }
}

TEST_F(MainFrameTest, TheTabMenuClosesOrBringsUpTheTabUnderIt)
{
    CTanglewardenFrame* first = Open(kKindTextEditor, "/home/user/a.txt");
    CTanglewardenFrame* second = Open(kKindTextEditor, "/home/user/b.txt");
    ASSERT_EQ(Tabs().GetActiveIndex(), 1);
    const QPoint onFirst(Tabs().GetTabWidth(0) / 2, 5);

    // The menu under the first tab: both commands there, Bring to top
    // enabled as that tab is not the active one; choosing it activates it.
    std::vector<UINT> shown;
    std::vector<bool> enabled;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        shown = CommandIds(menu->actions());
        for (const QAction* action : menu->actions())
            enabled.push_back(action->isEnabled());
        for (QAction* action : menu->actions())
            if (CCommandActions::CommandId(action) == ID_TAB_BRING_TO_TOP)
                action->trigger();
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, onFirst, Tabs().mapToGlobal(onFirst));
    QApplication::sendEvent(&Tabs(), &event);
    const std::vector<UINT> tabMenu = {ID_TAB_CLOSE, ID_TAB_BRING_TO_TOP};
    EXPECT_EQ(shown, tabMenu);
    EXPECT_EQ(enabled, (std::vector<bool>{true, true}));
    EXPECT_EQ(Tabs().GetActiveIndex(), 0);
    EXPECT_EQ(m_frame->MDIGetActive(), first);
    EXPECT_FALSE(m_frame->QueryCommandState(ID_TAB_BRING_TO_TOP).IsEnabled()) << "now the active one";

    // Close on the menu point's tab closes that window.
    Tabs().SetMenuPoint(QPoint(Tabs().GetTabWidth(0) + Tabs().GetTabWidth(1) / 2, 5));
    EXPECT_TRUE(m_frame->ExecuteCommand(ID_TAB_CLOSE));
    QTest::qWait(0);
    EXPECT_EQ(Tabs().GetTabCount(), 1);
    EXPECT_EQ(m_frame->GetChildren(), std::vector<CMDIChildWnd*>{first});
    (void)second;
}

TEST_F(MainFrameTest, MainWindowPlacementIsAppliedBeforeItIsShown)
{
    struct Case
    {
        const char* stored;
        QRect geometry;
        bool maximised;
    };
    const Case cases[] = {
        {"40:50:500:300:0", QRect(40, 50, 500, 300), false},
        {"10:20:400:250:1", QRect(10, 20, 400, 250), true},
    };
    for (const Case& c : cases)
    {
        m_settings.SetString(SETTING_LAYOUT_MAIN_FRAME, c.stored);
        CMainFrame frame(m_settings, {});
        ASSERT_TRUE(frame.OnCreate());
        EXPECT_EQ(frame.geometry(), c.geometry) << c.stored;
        EXPECT_EQ(frame.windowState().testFlag(Qt::WindowMaximized), c.maximised) << c.stored;
    }
}

TEST_F(MainFrameTest, TheHistoryBroadcastRefillsTheAddressBox)
{
    InitInstanceBroadcast lifetime;
    const WindowHandle window = CWidgetWindow::Attach(m_frame.get());
    GetHistoryList() = {"http://second.example/", "http://first.example/"};
    // Another broadcast code leaves the box alone.
    ASSERT_TRUE(PostMessage(window, GetInstanceBroadcastMessage(), kBroadcastSettingsSaved, 0));
    QTest::qWait(0);
    EXPECT_EQ(m_frame->GetUrlCombo()->count(), 0);
    ASSERT_TRUE(PostMessage(window, GetInstanceBroadcastMessage(), kBroadcastHistorySaved, 0));
    QTest::qWait(0);
    ASSERT_EQ(m_frame->GetUrlCombo()->count(), 2);
    EXPECT_EQ(m_frame->GetUrlCombo()->itemText(0), "http://second.example/");
    EXPECT_EQ(m_frame->GetUrlCombo()->currentText(), "http://second.example/");
}

TEST_F(MainFrameTest, TheFocusComesBackAfterTheWindowWasInactive)
{
    m_frame->activateWindow();
    QLineEdit* depth = m_frame->GetDepthEdit();
    depth->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == depth; }, 2000));
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(m_frame.get(), &deactivate);
    EXPECT_EQ(m_frame->GetRememberedFocus(), depth);
    m_frame->GetUrlCombo()->setFocus();
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(m_frame.get(), &activate);
    EXPECT_EQ(QApplication::focusWidget(), depth);

    // A remembered control that became disabled is left alone.
    QApplication::sendEvent(m_frame.get(), &deactivate);
    m_frame->GetUrlCombo()->setFocus();
    depth->setEnabled(false);
    QApplication::sendEvent(m_frame.get(), &activate);
    QWidget* focus = QApplication::focusWidget();
    EXPECT_TRUE(focus == m_frame->GetUrlCombo() || m_frame->GetUrlCombo()->isAncestorOf(focus));
}

namespace
{
// A transfer thread that asks for credentials and waits for the answer.
struct CWaitingWorker
{
    CWaitingWorker(CPromptRequestQueue& queue, std::string prompt)
        : m_thread([this, &queue, prompt] { m_result = queue.PostAndWait(m_id, m_user, m_password, prompt); })
    {
    }
    ~CWaitingWorker() { m_thread.join(); }

    std::atomic<int> m_id{0};
    std::string m_user;
    std::string m_password;
    std::atomic<int> m_result{-1};
    std::thread m_thread;
};

bool WaitForPending(CPromptRequestQueue& queue, const std::string& prompt)
{
    return QTest::qWaitFor(
        [&] {
            CPromptRequest request;
            return queue.GetPending(request) && request.m_prompt == prompt;
        },
        10000);
}

void Answer(QDialog& dialog, const char* user, const char* password)
{
    auto& prompt = static_cast<CLoginPromptDlg&>(dialog);
    qobject_cast<QLineEdit*>(prompt.GetDlgItem(IDC_LOGIN_USER))->setText(user);
    qobject_cast<QLineEdit*>(prompt.GetDlgItem(IDC_LOGIN_PASSWORD))->setText(password);
    static_cast<QDialog&>(prompt).accept();
}
} // namespace

TEST_F(MainFrameTest, ASecondCredentialRequestWaitsForTheFirstPromptToBeAnswered)
{
    CRecordingModalDriver driver;
    m_prompts.SetRunning(true);
    CWaitingWorker first(m_prompts, "first.example");
    ASSERT_TRUE(WaitForPending(m_prompts, "first.example"));
    CWaitingWorker second(m_prompts, "second.example");

    std::vector<std::string> captions;
    driver.SetDialogScript([&](QDialog& dialog) {
        captions.push_back(dialog.windowTitle().toStdString());
        if (captions.size() == 1)
        {
            // The second request is announced while the first is shown: no
            // second prompt, the first stays.
            QDeadlineTimer bound(10000);
            while (second.m_id.load() == 0 && !bound.hasExpired())
                QTest::qWait(5);
            m_frame->OnWorkerNotify(kWorkerCredentialRequest);
            EXPECT_EQ(dialog.windowTitle().toStdString(), "first.example");
            Answer(dialog, "ann", "secret");
        }
        else
        {
            Answer(dialog, "bob", "hidden");
        }
    });
    const WindowHandle window = CWidgetWindow::Attach(m_frame.get());
    ASSERT_TRUE(PostMessage(window, WM_WORKER_NOTIFY, kWorkerCredentialRequest, 0));
    QTest::qWait(0);
    EXPECT_EQ(driver.DialogRuns(), 1);
    EXPECT_EQ(m_frame->GetLoginPrompt(), nullptr);
    // The repeated notice of the waiting worker brings the second up.
    ASSERT_TRUE(PostMessage(window, WM_WORKER_NOTIFY, kWorkerCredentialRequest, 0));
    QTest::qWait(0);
    EXPECT_EQ(driver.DialogRuns(), 2);
    EXPECT_EQ(captions, (std::vector<std::string>{"first.example", "second.example"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return first.m_result >= 0 && second.m_result >= 0; }, 10000));
    EXPECT_EQ(first.m_result, 1);
    EXPECT_EQ(first.m_user, "ann");
    EXPECT_EQ(first.m_password, "secret");
    EXPECT_EQ(second.m_result, 1);
    EXPECT_EQ(second.m_user, "bob");
}

TEST_F(MainFrameTest, ClosingWhileThePromptIsOpenCancelsItAndStillCloses)
{
    CRecordingModalDriver driver;
    m_prompts.SetRunning(true);
    CWaitingWorker worker(m_prompts, "site.example");
    ASSERT_TRUE(WaitForPending(m_prompts, "site.example"));
    bool stayedOpen = false;
    driver.SetDialogScript([&](QDialog&) {
        m_frame->close();
        stayedOpen = m_frame->isVisible();
    });
    m_frame->OnWorkerNotify(kWorkerCredentialRequest);
    EXPECT_TRUE(stayedOpen) << "the frame waits for the prompt to go";
    EXPECT_EQ(driver.DialogRuns(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !m_frame->isVisible(); }, 5000)) << "then it closes";
    ASSERT_TRUE(QTest::qWaitFor([&] { return worker.m_result >= 0; }, 10000));
    EXPECT_EQ(worker.m_result, 0) << "the request was cancelled";
}
