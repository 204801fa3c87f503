// Command routing through a small MDI window: an application target, the
// main frame, an MDI child holding a nested frame with a view and its
// document; update handlers, actions built from menu tables, and keys a
// view claims from the window's accelerators.

#include "platform/ui/CommandActions.h"
#include "platform/ui/Document.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/View.h"

#include "tests/support/QtApplication.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QTest>
#include <QVBoxLayout>

#include <string>
#include <vector>

namespace
{
using Log = std::vector<std::string>;

// Each target of the test registers handlers for the ids it is given and
// logs its name when one runs.
template <class Base>
class CLogging : public Base
{
public:
    template <class... Args>
    CLogging(Log& log, std::string name, std::vector<UINT> ids, Args&&... args)
        : Base(std::forward<Args>(args)...), m_log(log), m_name(std::move(name))
    {
        for (UINT id : ids)
            this->OnCommand(id, [this] { m_log.push_back(m_name); });
    }
    void Update(UINT id, std::function<void(CCmdUI&)> update) { this->OnUpdateCommand(id, std::move(update)); }

private:
    Log& m_log;
    std::string m_name;
};

class CKeyView : public CLogging<CView>
{
public:
    using CLogging<CView>::CLogging;
    int m_keysSeen = 0;

protected:
    bool ClaimsKey(const QKeyEvent& key) const override { return key.matches(QKeySequence::Copy); }
    void keyPressEvent(QKeyEvent* key) override
    {
        if (key->matches(QKeySequence::Copy))
            ++m_keysSeen;
    }
};

class CQuickFirstFrame : public CLogging<CMDIFrameWnd>
{
public:
    using CLogging<CMDIFrameWnd>::CLogging;
    CLogging<CCmdTarget>* m_bar = nullptr;

    bool OnCmdMsg(UINT id, CommandRequest request, CCmdUI* ui) override
    {
        if (m_bar && m_bar->OnCmdMsg(id, request, ui))
            return true;
        return CMDIFrameWnd::OnCmdMsg(id, request, ui);
    }
};

class CommandRoutingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestApplication();
        m_frame = new CQuickFirstFrame(m_log, "main", std::vector<UINT>{100, 103, 104, 107});
        m_frame->SetApplicationTarget(&m_app);
        m_child = new CLogging<CMDIChildWnd>(m_log, "child", std::vector<UINT>{100, 101, 102, 103});
        m_inner = new CLogging<CFrameWnd>(m_log, "inner", std::vector<UINT>{100, 102}, m_child);
        m_view = new CKeyView(m_log, "view", std::vector<UINT>{100, 107}, m_inner);
        m_view->setFocusPolicy(Qt::StrongFocus);
        m_inner->setCentralWidget(m_view);
        m_child->setCentralWidget(m_inner);
        m_document.AddView(m_view);
        m_frame->AddChild(m_child);
        m_frame->resize(600, 400);
        m_frame->show();
        m_frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_frame));
        m_view->setFocus();
        QCoreApplication::processEvents();
    }
    void TearDown() override
    {
        m_document.RemoveView(m_view);
        delete m_frame;
    }

    Log m_log;
    CLogging<CCmdTarget> m_app{m_log, "app", std::vector<UINT>{100, 104, 105}};
    CLogging<CDocument> m_document{m_log, "document", std::vector<UINT>{100, 101}};
    CQuickFirstFrame* m_frame = nullptr;
    CLogging<CMDIChildWnd>* m_child = nullptr;
    CLogging<CFrameWnd>* m_inner = nullptr;
    CKeyView* m_view = nullptr;
};

TEST_F(CommandRoutingTest, FocusedViewBecomesActiveInEveryFrameAroundIt)
{
    EXPECT_EQ(m_inner->GetActiveView(), m_view);
    EXPECT_EQ(m_child->GetActiveView(), m_view);
    EXPECT_EQ(m_frame->GetActiveView(), m_view);
    EXPECT_EQ(m_frame->GetActiveDocument(), &m_document);
}

TEST_F(CommandRoutingTest, FirstTargetOnTheRouteRunsTheCommand)
{
    const struct
    {
        UINT m_id;
        const char* m_expected; // null: nobody, and the command is disabled
    } cases[] = {
        {100, "view"}, {101, "document"}, {102, "inner"}, {103, "child"},
        {104, "main"}, {105, "app"},      {106, nullptr},
    };
    for (const auto& c : cases)
    {
        m_log.clear();
        const bool ran = m_frame->ExecuteCommand(c.m_id);
        EXPECT_EQ(ran, c.m_expected != nullptr) << c.m_id;
        EXPECT_EQ(m_frame->QueryCommandState(c.m_id).IsEnabled(), c.m_expected != nullptr) << c.m_id;
        if (c.m_expected)
            EXPECT_EQ(m_log, Log{c.m_expected}) << c.m_id;
        else
            EXPECT_TRUE(m_log.empty()) << c.m_id;
    }
}

TEST_F(CommandRoutingTest, FrameOverrideSeesCommandsBeforeTheView)
{
    CLogging<CCmdTarget> bar(m_log, "bar", std::vector<UINT>{100});
    m_frame->m_bar = &bar;
    EXPECT_TRUE(m_frame->ExecuteCommand(100));
    EXPECT_EQ(m_log, Log{"bar"});
    m_frame->m_bar = nullptr;
}

TEST_F(CommandRoutingTest, UpdateHandlerOnTheRouteCanDisableAHandledCommand)
{
    m_frame->Update(107, [](CCmdUI& ui) { ui.Enable(false); });
    EXPECT_FALSE(m_frame->ExecuteCommand(107));
    EXPECT_TRUE(m_log.empty()) << "a disabled command must not run";

    // Without a view the child's own update still applies; commands the
    // view handled are then no longer available.
    m_child->Update(103, [](CCmdUI& ui) {
        ui.SetCheck(1);
        ui.SetText("Checked");
    });
    const CCmdUI state = m_frame->QueryCommandState(103);
    EXPECT_TRUE(state.IsEnabled());
    ASSERT_TRUE(state.GetCheck());
    EXPECT_EQ(*state.GetCheck(), 1);
    EXPECT_EQ(state.GetText().value_or(""), "Checked");
}

TEST_F(CommandRoutingTest, MenuOpeningRunsUpdateHandlersIntoItsActions)
{
    bool enabled = false;
    m_frame->Update(104, [&](CCmdUI& ui) { ui.Enable(enabled); });
    m_child->Update(103, [](CCmdUI& ui) { ui.SetCheck(1); });
    static const MenuItemDesc items[] = {
        {0, 0, "&File"}, {1, 104, "&Open\tCtrl+O"}, {1, 0, nullptr}, {1, 103, "&Tick"}, {1, 106, "&Nobody"},
    };
    QMenu menu;
    m_frame->Commands().BuildMenu(&menu, items);
    ASSERT_EQ(menu.actions().size(), 1);
    QMenu* file = menu.actions()[0]->menu();
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->actions().size(), 4);
    EXPECT_TRUE(file->actions()[1]->isSeparator());

    emit file->aboutToShow();
    QAction* open = m_frame->Commands().Action(104);
    EXPECT_FALSE(open->isEnabled());
    EXPECT_EQ(open->text().toStdString(), "&Open\tCtrl+O");
    EXPECT_TRUE(m_frame->Commands().Action(103)->isChecked());
    EXPECT_FALSE(m_frame->Commands().Action(106)->isEnabled());

    enabled = true;
    emit file->aboutToShow();
    EXPECT_TRUE(open->isEnabled());
    open->trigger();
    EXPECT_EQ(m_log, Log{"main"});
}

TEST_F(CommandRoutingTest, ToolbarActionsFollowTheIdleTick)
{
    bool enabled = true;
    m_frame->Update(104, [&](CCmdUI& ui) { ui.Enable(enabled); });
    QAction* action = m_frame->Commands().Action(104);
    m_frame->Commands().StartIdleUpdates(10);
    enabled = false;
    EXPECT_TRUE(QTest::qWaitFor([&] { return !action->isEnabled(); }, 2000));
    enabled = true;
    EXPECT_TRUE(QTest::qWaitFor([&] { return action->isEnabled(); }, 2000));
}

TEST_F(CommandRoutingTest, AcceleratorRunsCommandUnlessTheFocusedViewClaimsTheKey)
{
    static const AcceleratorDesc keys[] = {{"Ctrl+C", 105}, {"Ctrl+Alt+O", 104}};
    m_frame->Commands().InstallAccelerators(keys);
    m_frame->Commands().UpdateAllActions();
    ASSERT_TRUE(m_view->hasFocus());

    QTest::keyClick(m_view, Qt::Key_O, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(m_log, Log{"main"});

    m_log.clear();
    QTest::keyClick(m_view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(m_log.empty()) << "the view claimed Ctrl+C";
    EXPECT_EQ(m_view->m_keysSeen, 1);
}
} // namespace
