// The main window's menu bar follows the active child: each kind's menu from
// the resource tables while a window of that kind is active, the frame's own
// with no child; the commands of a child's menu reach that child and tick
// from its state; the Window menu lists the open children whichever menu is
// shown.

#include "../checker/FakeCrawlTransport.h"

#include "checker/TaskSettings.h"
#include "checker/ui/TanglewardenDoc.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/PasswordStore.h"
#include "foundation/stores/SettingIds.h"
#include "platform/ui/CommandActions.h"
#include "platform/ui/RecordingModalDriver.h"
#include "res/Resources.h"
#include "shell/LinkListView.h"
#include "shell/LinkTreeFrame.h"
#include "shell/MainFrame.h"
#include "shell/TanglewardenDocManager.h"
#include "shell/TanglewardenFrame.h"
#include "transfer/base/LogRegistry.h"
#include "widgets/WindowHelpers.h"

#include "tests/support/QtApplication.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ShownMainFrame.h"
#include "tests/support/TaskWindowServices.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TemporaryDataFolder.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <string>
#include <vector>

namespace
{
// The top-level titles of a menu table.
std::vector<std::string> TableTitles(UINT menuId)
{
    std::vector<std::string> titles;
    const MenuDesc* menu = FindMenu(menuId);
    EXPECT_NE(menu, nullptr) << menuId;
    if (!menu)
        return titles;
    for (const MenuItemDesc& item : menu->m_items)
    {
        if (item.m_level == 0 && item.m_id == 0 && item.m_text)
            titles.emplace_back(item.m_text);
    }
    return titles;
}

class MainFrameMenuTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestApplication();
        UseTemporaryUserFolders(m_env, m_temp);
        m_frame = std::make_unique<CMainFrame>(m_settings, CMainFrame::CHooks{});
        ASSERT_TRUE(CreateAndShowMainFrame(*m_frame));
    }

    CTanglewardenFrame* Open(int kind, const std::string& title)
    {
        CTanglewardenFrame* child = CTanglewardenFrame::MakeForKind(kind, &m_settings);
        m_frame->AddChild(child);
        child->OnCreate();
        child->SetFrameTitle(title, 1);
        return child;
    }

    // A task window in the main window, as the program opens one, over a
    // scripted transfer side; not started.
    CLinkTreeFrame* OpenTaskWindow()
    {
        CLinkTreeViewServices services = TaskWindowServices(m_transport, m_settings, &m_passwords, &m_logs);
        CTaskSettings task("http://example.org/");
        m_document.SetTask(&task);
        auto* frame = dynamic_cast<CLinkTreeFrame*>(CTanglewardenFrame::MakeForKind(kKindTask, &m_settings, &services));
        EXPECT_NE(frame, nullptr);
        if (!frame)
            return nullptr;
        frame->AttachDocument(m_document);
        m_frame->AddChild(frame);
        frame->OnCreate();
        frame->OnCreateClient();
        return frame;
    }

    std::vector<std::string> BarTitles() const
    {
        std::vector<std::string> titles;
        for (const QAction* title : m_frame->menuBar()->actions())
            titles.push_back(title->text().toStdString());
        return titles;
    }

    QMenu* BarMenu(const char* text) const { return FindMenuItemByText(m_frame->menuBar(), text); }

    // The Window menu as it is about to open: the texts of its list and
    // which of them is ticked.
    std::vector<std::pair<std::string, bool>> WindowList() const
    {
        std::vector<std::pair<std::string, bool>> list;
        QMenu* window = BarMenu("window");
        EXPECT_NE(window, nullptr);
        if (!window)
            return list;
        emit window->aboutToShow();
        for (const QAction* item : window->actions())
        {
            if (!item->isSeparator() && CCommandActions::CommandId(item) == 0)
                list.emplace_back(item->text().toStdString(), item->isChecked());
        }
        return list;
    }

    void CloseAll()
    {
        m_frame->MdiArea()->closeAllSubWindows();
        EXPECT_TRUE(QTest::qWaitFor([this] { return m_frame->findChildren<CMDIChildWnd*>().isEmpty(); }, 5000));
    }

    CTempFolder m_temp;
    ScopedEnvironment m_env;
    CRecordingModalDriver m_driver; // no closing window may ask anybody
    CPropertySet m_settings;
    CFakeCrawlTransport m_transport;
    CPasswordStore m_passwords;
    CLogRegistry m_logs;
    CTanglewardenDoc m_document{m_settings};
    std::unique_ptr<CMainFrame> m_frame;
};
} // namespace

TEST_F(MainFrameMenuTest, TheMenuBarShowsTheActiveKindsMenuAndTheOwnOneWithNoChild)
{
    EXPECT_EQ(m_frame->GetShownMenuId(), IDR_MAINFRAME);
    EXPECT_EQ(BarTitles(), TableTitles(IDR_MAINFRAME));

    struct Case
    {
        int kind;
        UINT menu;
    };
    const Case cases[] = {
        {kKindTransferQueue, IDR_QUEUE},
        {kKindTransferLog, IDR_LOG},
        {kKindLinkReport, IDR_REPORT},
        {kKindTextEditor, IDR_EDIT},
    };
    std::vector<CTanglewardenFrame*> children;
    for (const Case& c : cases)
    {
        children.push_back(Open(c.kind, "window " + std::to_string(c.kind)));
        EXPECT_EQ(m_frame->GetShownMenuId(), c.menu) << c.kind;
        EXPECT_EQ(BarTitles(), TableTitles(c.menu)) << c.kind;
    }
    // Back to the queue: its Item menu is there again, with the queue's words.
    children.front()->MDIActivate();
    EXPECT_EQ(m_frame->GetShownMenuId(), IDR_QUEUE);
    EXPECT_EQ(BarTitles(), TableTitles(IDR_QUEUE));
    QMenu* item = BarMenu("item");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(m_frame->Commands().Action(ID_INFO_LOG)->text().toStdString(), "Show &Log");

    CloseAll();
    EXPECT_EQ(m_frame->GetShownMenuId(), IDR_MAINFRAME);
    EXPECT_EQ(BarTitles(), TableTitles(IDR_MAINFRAME));
}

TEST_F(MainFrameMenuTest, TheTaskMenusReachTheTaskWindowAndTickFromItsList)
{
    CLinkTreeFrame* task = OpenTaskWindow();
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(m_frame->GetShownMenuId(), IDR_TASK);
    EXPECT_EQ(BarTitles(), TableTitles(IDR_TASK));
    ASSERT_NE(BarMenu("task"), nullptr);
    ASSERT_NE(BarMenu("link"), nullptr);

    QMenu* view = BarMenu("view");
    ASSERT_NE(view, nullptr);
    QMenu* views = FindMenuItemByText(view, "views");
    ASSERT_NE(views, nullptr);
    auto modeItem = [views](UINT id) -> QAction* {
        for (QAction* action : views->actions())
        {
            if (CCommandActions::CommandId(action) == id)
                return action;
        }
        return nullptr;
    };
    const std::pair<UINT, int> modes[] = {{ID_VIEW_MODE_LARGE_ICONS, 0}, {ID_VIEW_MODE_SMALL_ICONS, 1},
                                          {ID_VIEW_MODE_LIST, 2},        {ID_VIEW_MODE_DETAILS, 3},
                                          {ID_VIEW_MODE_THUMBNAILS, 4}};
    CLinkListView& list = *task->GetListView();
    for (const auto& [command, mode] : modes)
    {
        // Chosen from the menu bar, the command reaches the task's list.
        QAction* chosen = modeItem(command);
        ASSERT_NE(chosen, nullptr) << command;
        chosen->trigger();
        EXPECT_EQ(list.GetViewMode(), mode) << command;
    }
    for (const auto& [command, mode] : modes)
    {
        // Changed in the list, the ticks follow when the menu opens.
        list.SetViewMode(mode);
        emit views->aboutToShow();
        for (const auto& [other, otherMode] : modes)
            EXPECT_EQ(modeItem(other)->isChecked(), other == command) << command << " " << other;
    }

    // A queue opened beside it has no view modes in its menu; the task's
    // come back with the task.
    CTanglewardenFrame* queue = Open(kKindTransferQueue, "queue");
    EXPECT_EQ(BarTitles(), TableTitles(IDR_QUEUE));
    EXPECT_EQ(BarMenu("task"), nullptr);
    task->MDIActivate();
    EXPECT_EQ(BarTitles(), TableTitles(IDR_TASK));
    EXPECT_EQ(m_frame->Commands().Action(ID_INFO_LOG)->text().toStdString(), "&Log\tCtrl+Shift+L");
    (void)queue;
    CloseAll();
    EXPECT_EQ(BarTitles(), TableTitles(IDR_MAINFRAME));
}

TEST_F(MainFrameMenuTest, TheWindowListFollowsTheChildrenWhicheverMenuIsShown)
{
    EXPECT_TRUE(WindowList().empty());
    CTanglewardenFrame* log = Open(kKindTransferLog, "first");
    CTanglewardenFrame* queue = Open(kKindTransferQueue, "second");
    const std::string logTitle = log->windowTitle().toStdString();
    const std::string queueTitle = queue->windowTitle().toStdString();
    ASSERT_EQ(m_frame->GetShownMenuId(), IDR_QUEUE);
    using List = std::vector<std::pair<std::string, bool>>;
    EXPECT_EQ(WindowList(), (List{{"&1 " + logTitle, false}, {"&2 " + queueTitle, true}}));
    // Opened twice, the list is not doubled.
    EXPECT_EQ(WindowList().size(), 2u);

    // Choosing the first entry activates the log, whose menu is shown.
    QMenu* window = BarMenu("window");
    ASSERT_NE(window, nullptr);
    QAction* first = nullptr;
    for (QAction* item : window->actions())
    {
        if (item->text().startsWith("&1 "))
            first = item;
    }
    ASSERT_NE(first, nullptr);
    first->trigger();
    EXPECT_EQ(m_frame->MDIGetActive(), log);
    EXPECT_EQ(m_frame->GetShownMenuId(), IDR_LOG);
    EXPECT_EQ(WindowList(), (List{{"&1 " + logTitle, true}, {"&2 " + queueTitle, false}}));

    log->MDIDestroy();
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_frame->GetChildren().size() == 1; }, 5000));
    EXPECT_EQ(m_frame->GetShownMenuId(), IDR_QUEUE);
    EXPECT_EQ(WindowList(), (List{{"&1 " + queueTitle, true}}));
    CloseAll();
    EXPECT_TRUE(WindowList().empty());
}
