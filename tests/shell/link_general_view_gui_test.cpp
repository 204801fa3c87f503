// The general view of a task window over a real check of a local folder:
// the counts it shows are the engine's own (a recount of the link table),
// its list covers the view after a deferred layout, filter changes reach the
// owner's callback, and the edit commands are disabled.

#include "shell/LinkGeneralView.h"

#include "../checker/RealCrawl.h"
#include "../checker/StatsRecount.h"

#include "checker/LinkChecker.h"
#include "checker/LinkNode.h"
#include "platform/ui/ViewMessages.h"
#include "platform/ui/WidgetWindow.h"
#include "res/ResourceIds.h"

#include "tests/support/QtApplication.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTest>
#include <QTreeView>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace
{
using Tree = CLinkGroupTree;

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string Shown(int count)
{
    return count == 0 ? std::string() : std::to_string(count);
}

class LinkGeneralViewTest : public ::testing::Test
{
protected:
    // The widgets below are members: the application must come first.
    static void SetUpTestSuite() { TestApplication(); }

    void SetUp() override
    {
        m_view.resize(360, 700);
        m_view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_view));
        m_view.OnInitialUpdate();
        QApplication::processEvents();
    }

    CLinkGeneralView m_view;
};

TEST_F(LinkGeneralViewTest, ShowsTheEngineCountsAfterACheckOfALocalFolder)
{
    CTempFolder site;
    const std::string root = site.Path();
    WriteFile(root + "/index.html", "<html><body><a href=\"a.html\">a</a> <a href=\"missing.html\">gone</a>"
                                    " <img src=\"logo.png\"> <a href=\"sub/b.html\">b</a></body></html>");
    WriteFile(root + "/a.html", "<html><a href=\"index.html\">home</a> <img src=\"logo.png\">"
                                " <a href=\"also-missing.html\">x</a></html>");
    std::filesystem::create_directories(root + "/sub");
    WriteFile(root + "/sub/b.html", "<html><a href=\"../a.html\">a</a></html>");
    WriteFile(root + "/logo.png", std::string(64, 'p'));

    CRealCrawl crawl;
    CTaskSettings task(root + "/index.html", &crawl.Settings());
    task.SetInt(TASK_RECURSION, 10);
    crawl.Check(task);
    CLinkChecker& engine = crawl.Engine();

    // The engine's own figures: a recount of its link table.
    const CLinkStats engineStats = engine.GetStats();
    CLinkStats recount = EmptyRecount(engineStats);
    for (int i = 0; i < engine.GetLinkCount(); ++i)
        AddNodeToRecount(recount, *engine.GetNodeAt(i));
    ASSERT_TRUE(recount == engineStats);
    ASSERT_GE(recount.m_states[CLinkStats::kAll][kStateDownloaded], 3);
    ASSERT_EQ(recount.m_states[CLinkStats::kUnique][kStateBroken], 2);
    ASSERT_GT(recount.SumStates(CLinkStats::kAll), recount.SumStates(CLinkStats::kUnique)) << "no repeats";

    Tree& list = *m_view.GetGroupTree();
    for (int group : {Tree::kGroupType, Tree::kGroupProtocol, Tree::kGroupTags})
        list.OnRowAction(list.FindRow(group), false, Tree::kToggle);
    m_view.SetCounts(engineStats);

    struct Row
    {
        int code;
        int total;
        int unique;
    };
    std::vector<Row> rows;
    for (int state = 1; state < kLinkStateCount; ++state)
        rows.push_back(
            {Tree::kCodeStateFirst + state, recount.m_states[0][state], recount.m_states[1][state]});
    for (int type = 0; type < kLinkTypeCount; ++type)
        rows.push_back(
            {Tree::kCodeTypeFirst + type, recount.m_linkTypes[0][type], recount.m_linkTypes[1][type]});
    for (int protocol = 0; protocol < kLinkProtocolCount; ++protocol)
        rows.push_back({Tree::kCodeProtocolFirst + protocol, recount.m_protocols[0][protocol],
                        recount.m_protocols[1][protocol]});
    for (int scope = 0; scope < kLinkScopeCount; ++scope)
        rows.push_back(
            {Tree::kCodeInterestFirst + scope, recount.m_scopes[0][scope], recount.m_scopes[1][scope]});
    for (int tag = 0; tag < kTagTypeCount; ++tag)
        rows.push_back({Tree::kCodeTagFirst + tag, recount.m_tagTypes[0][tag], recount.m_tagTypes[1][tag]});
    rows.push_back({Tree::kCodeContainBroken, recount.m_brokenReferences[0], recount.m_brokenReferences[1]});
    for (int group = 0; group < Tree::kGroupCount; ++group)
        rows.push_back(
            {Tree::kCodeAllFirst + group, engine.GetLinkCount(), recount.SumStates(CLinkStats::kUnique)});

    for (const Row& each : rows)
    {
        const int row = list.FindRow(each.code);
        ASSERT_GE(row, 0) << each.code;
        EXPECT_EQ(list.GetItemText(row, 1), Shown(each.total)) << list.GetItemText(row, 0);
        EXPECT_EQ(list.GetItemText(row, 2), Shown(each.unique)) << list.GetItemText(row, 0);
    }
}

TEST_F(LinkGeneralViewTest, TheListCoversTheViewAfterEachDeferredLayout)
{
    Tree& list = *m_view.GetGroupTree();
    EXPECT_EQ(list.geometry(), m_view.rect());
    EXPECT_EQ(list.GetItemState(0, LVIS_FOCUSED), LVIS_FOCUSED);
    EXPECT_FALSE(list.IsOneColumn());
    EXPECT_TRUE(list.GetStyle() & LVS_SINGLESEL);

    m_view.resize(500, 300);
    QApplication::processEvents();
    EXPECT_GE(m_view.GetSizeCount(), 2);
    EXPECT_EQ(list.geometry(), m_view.rect());
}

// A layout with Ctrl held sizes the name column as well, whatever asked for
// it; without Ctrl a plain layout leaves the user's width alone.
TEST_F(LinkGeneralViewTest, ALayoutWithCtrlHeldAlsoSizesTheNameColumn)
{
    Tree& list = *m_view.GetGroupTree();
    QHeaderView* header = list.ReportView()->header();
    const int sized = header->sectionSize(0);
    ASSERT_GT(sized, 40);
    const auto layOut = [&] {
        ASSERT_TRUE(PostMessage(CWidgetWindow::Attach(&m_view), WM_VIEW_DEFERRED, 0, 0));
        QApplication::processEvents();
    };

    header->resizeSection(0, 40);
    layOut();
    EXPECT_EQ(header->sectionSize(0), 40) << "no Ctrl: the width stays";

    QTest::keyPress(list.ReportView(), Qt::Key_Control, Qt::ControlModifier);
    ASSERT_EQ(QApplication::keyboardModifiers(), Qt::ControlModifier);
    layOut();
    QTest::keyRelease(list.ReportView(), Qt::Key_Control);
    EXPECT_EQ(header->sectionSize(0), sized);
}

TEST_F(LinkGeneralViewTest, FilterChangesReachTheOwnerAndEditCommandsAreDisabled)
{
    std::vector<CLinkViewFilter> reported;
    m_view.SetFilterCallback([&](const CLinkViewFilter& filter) { reported.push_back(filter); });
    Tree& list = *m_view.GetGroupTree();
    list.OnRowAction(list.FindRow(Tree::kCodeStateFirst + kStateIsExternal), true, Tree::kToggle);
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_FALSE(MaskHasBit(reported[0].m_stateMask, kStateIsExternal));

    for (UINT id : {ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_SELECT_ALL, ID_EDIT_REDO, ID_EDIT_FIND_NEXT})
    {
        EXPECT_FALSE(m_view.QueryCommandState(id).IsEnabled()) << id;
        EXPECT_FALSE(m_view.ExecuteCommand(id)) << id;
    }
}
} // namespace
