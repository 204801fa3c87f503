// The fixture site on nginx (and vsftpd for its FTP links) checked in the
// program's own task window, started the way a user starts a check: a
// project file named on the command line, and an address typed into the New
// Task dialog. Each check runs to its end; then every tree item, every list
// row, the counts of the link-group list and the report written by the
// window's Report command are what the window's own engine holds. A picture
// of the finished window is saved in the build folder.

#include "../checker/FixtureSite.h"
#include "../editor/BufferText.h"

#include "checker/LinkNode.h"
#include "checker/TaskSettings.h"
#include "checker/ui/LinkGroupTree.h"
#include "checker/ui/TanglewardenDoc.h"
#include "editor/EditLine.h"
#include "editor/EditTextBuffer.h"
#include "dialogs/NewTaskDlg.h"
#include "dialogs/ReportOptionsDlg.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/stores/Settings.h"
#include "platform/core/RecordingDesktop.h"
#include "platform/core/RefPtr.h"
#include "platform/ui/RecordingModalDriver.h"
#include "res/Resources.h"
#include "shell/LinkGeneralView.h"
#include "shell/LinkListRows.h"
#include "shell/LinkListView.h"
#include "shell/LinkTreeFrame.h"
#include "shell/MainFrame.h"
#include "shell/TanglewardenApp.h"
#include "shell/TanglewardenDocManager.h"
#include "transfer/base/TransferLog.h"
#include "widgets/OwnerDrawListCtrl.h"

#include "tests/support/DialogInput.h"
#include "tests/support/ProgramHome.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"

#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QMdiSubWindow>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace
{
// A report as text alike but for the time of writing.
std::string Timeless(const std::string& text)
{
    static const std::regex stamp(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d)");
    return std::regex_replace(text, stamp, "<time>");
}

class TaskWindowSiteCheck : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnterProgramHome(m_env, m_temp);
        m_site.Start();
        // A previous run left: no start-up action, new tasks ten levels deep,
        // a few connections without delays, reports written to a file in HTML.
        ASSERT_TRUE(StorePreviousRunSettings([this](CPropertySet& settings) {
            settings.SetInt(SETTING_MISC_FIRST_LAUNCH, 1);
            settings.SetInt(SETTING_LAYOUT_PROGRAM_START_EVENT, 0);
            settings.SetInt(SETTING_MISC_MAX_RECURSION, 10);
            settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS, 4);
            settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS_PER_SITE, 4);
            settings.SetInt(SETTING_CONNECTIONS_CONNECTION_DELAY, 0);
            settings.SetInt(SETTING_CONNECTIONS_CONNECTION_TIMEOUT, 20);
            settings.SetInt(SETTING_REPORT_OUTPUT, 1);
            settings.SetInt(SETTING_REPORT_STYLE, 1);
            settings.SetString(SETTING_MISC_REPORT_FOLDER, (m_temp / "reports").c_str());
        }));
        m_app = std::make_unique<CTanglewardenApp>();
        m_app->AddWindowRegistration(CLinkTreeFrame::RegisterTaskWindow);
    }
    void TearDown() override
    {
        m_app.reset();
        LeaveProgramHome();
    }

    // The task of both checks: the site from its first page, ten levels deep.
    CTaskSettings SiteTask() const
    {
        CTaskSettings task(m_site.Fill("@WEB@/"));
        task.SetInt(TASK_RECURSION, 10);
        return task;
    }

    // The one task window, once its check ended.
    CLinkTreeFrame* FinishedWindow()
    {
        const std::vector<CTanglewardenDoc*> tasks = m_app->GetDocManager()->GetDocumentsOfKind(kKindTask);
        EXPECT_EQ(tasks.size(), 1u);
        if (tasks.size() != 1)
            return nullptr;
        CLinkTreeView* tree = CLinkTreeFrame::FindTreeView(*tasks[0]);
        EXPECT_NE(tree, nullptr);
        if (!tree)
            return nullptr;
        CLinkChecker& engine = tree->GetEngine();
        EXPECT_TRUE(QTest::qWaitFor([&] { return engine.GetLinkCount() > 1 && !engine.IsRunning(); }, 120000))
            << "the check did not end";
        // The end of the run reaches the window as a posted message.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        return dynamic_cast<CLinkTreeFrame*>(tree->GetParentFrame());
    }

    // Every link of the engine is an item of the tree (with all items shown
    // and every level opened), under the item of its parent, with the
    // engine's URL and state.
    static void ExpectTreeIsTheEngines(CLinkTreeFrame& frame)
    {
        CLinkTreeView& view = *frame.GetTreeView();
        CLinkChecker& engine = view.GetEngine();
        ASSERT_TRUE(frame.ExecuteCommand(ID_VIEW_ALL_TREE_ITEMS));
        ASSERT_EQ(frame.QueryCommandState(ID_VIEW_ALL_TREE_ITEMS).GetCheck(), 1);
        CTreeCtrl& tree = view.GetTreeCtrl();
        std::map<int, int> parentOf; // link id -> the link id of its parent item (0 at the top)
        std::vector<std::pair<HTREEITEM, int>> open{{tree.GetRootItem(), 0}};
        for (size_t next = 0; next < open.size() && next < 10000; ++next)
        {
            for (HTREEITEM item = open[next].first; item; item = tree.GetNextSiblingItem(item))
            {
                const auto* info = reinterpret_cast<const CLinkInfo*>(tree.GetItemData(item));
                ASSERT_NE(info, nullptr) << tree.GetItemText(item);
                const CLinkNode* node = engine.GetNodeAt(info->m_linkId - 100);
                ASSERT_NE(node, nullptr) << info->m_url;
                EXPECT_EQ(info->m_url, node->m_url);
                EXPECT_EQ(info->m_state, node->m_state) << node->m_url;
                EXPECT_TRUE(parentOf.emplace(info->m_linkId, open[next].second).second) << "twice: " << node->m_url;
                (void)tree.Expand(item, TVE_EXPAND);
                if (HTREEITEM child = tree.GetChildItem(item))
                    open.emplace_back(child, info->m_linkId);
            }
        }
        ASSERT_EQ(int(parentOf.size()), engine.GetLinkCount());
        for (int i = 0; i < engine.GetLinkCount(); ++i)
        {
            const CLinkNode* node = engine.GetNodeAt(i);
            const int parent = node->GetParent() ? node->GetParent()->m_linkId : 0;
            EXPECT_EQ(parentOf[node->m_linkId], parent) << node->m_url;
        }
    }

    // With the first page selected the list holds its links, each cell as
    // the engine's record of the link gives it.
    static void ExpectListIsTheEngines(CLinkTreeFrame& frame)
    {
        CLinkTreeView& tree = *frame.GetTreeView();
        CLinkChecker& engine = tree.GetEngine();
        const CLinkNode* root = engine.GetNodeAt(0);
        ASSERT_TRUE(tree.SelectLink(root->m_linkId));
        CLinkListView& list = *frame.GetListView();
        list.FillList(0, true);
        const COwnerDrawListCtrl& rows = list.GetListCtrl();
        std::set<int> listed;
        for (int row = 0; row < rows.GetItemCount(); ++row)
        {
            CLinkInfo expected;
            expected.m_linkId = list.RowInfo(row)->m_linkId;
            (void)engine.QueryLinkInfo(expected);
            listed.insert(expected.m_linkId);
            for (int column = 0; column < kLinkListColumnCount; ++column)
                EXPECT_EQ(rows.GetItemText(row, column), LinkListCellText(expected, column))
                    << expected.m_url << " column " << column;
        }
        std::set<int> children;
        for (const CLinkNode* child : root->GetChildren())
            children.insert(child->m_linkId);
        EXPECT_EQ(listed, children);
        EXPECT_GE(listed.size(), 5u);
    }

    // The link-group list shows the engine's counts, over all links and
    // over unique links.
    static void ExpectGroupCountsAreTheEngines(CLinkTreeFrame& frame)
    {
        CLinkGroupTree& groups = *frame.GetGeneralView()->GetGroupTree();
        const CLinkStats stats = frame.GetTreeView()->GetEngine().GetStats();
        constexpr int kAllStates = CLinkGroupTree::kCodeAllFirst + CLinkGroupTree::kGroupState;
        // The one-second timer brings the last counts.
        const int allRow = groups.FindRow(kAllStates);
        ASSERT_GE(allRow, 0);
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return groups.GetItemText(allRow, 1) ==
                   CLinkGroupTree::FormatRowCount(CLinkGroupTree::GetRowCount(kAllStates, stats, 0));
        }, 5000));
        int numbers = 0;
        for (int row = 0; row < groups.GetItemCount(); ++row)
        {
            const int code = groups.GetRowCode(row);
            for (int half = 0; half < 2; ++half)
            {
                const int count = CLinkGroupTree::GetRowCount(code, stats, half);
                if (count < 0)
                    continue;
                EXPECT_EQ(groups.GetItemText(row, 1 + half), CLinkGroupTree::FormatRowCount(count))
                    << CLinkGroupTree::RowText(code) << " half " << half;
                numbers += count > 0 ? 1 : 0;
            }
        }
        EXPECT_GT(numbers, 4);
    }

    // The window's Report command (through the Report options dialog,
    // ended with OK) writes the engine's report to "default_report.html".
    void ExpectReportIsTheEngines(CLinkTreeFrame& frame)
    {
        m_driver.SetDialogScript([&](QDialog& shown) {
            if (auto* options = dynamic_cast<CReportOptionsDlg*>(&shown))
                QTest::mouseClick(options->GetDlgItem(IDOK), Qt::LeftButton);
            else
                EXPECT_TRUE(QTest::qWaitFor([&] { return !shown.isVisible(); }, 20000)); // the Wait dialog
        });
        ASSERT_TRUE(frame.ExecuteCommand(ID_TASK_REPORT));
        const std::string file = m_temp / "reports/default_report.html";
        ASSERT_TRUE(std::filesystem::exists(file));
        const CReportOptionsDlg stored(GetSettings(), nullptr);
        CRefPtr<CTransferLog> expected = CRefPtr<CTransferLog>::Adopt(new CTransferLog());
        frame.GetTreeView()->GetEngine().WriteReport(*expected.Get(), stored.GetReportOptions());
        std::string expectedText;
        expected->GetText(expectedText);
        const std::string written = ReadWhole(file);
        EXPECT_EQ(Timeless(written), Timeless(expectedText));
        // It names the links the fixture lists as broken (its FTP links are
        // external here and not checked).
        std::istringstream broken(ReadWhole(kSiteFolder + "/broken-web.txt"));
        int named = 0;
        for (std::string line; std::getline(broken, line);)
        {
            if (line.empty() || line[0] == '#' || line.starts_with("ftp:"))
                continue;
            const std::string url = m_site.Fill(line.substr(0, line.find(' ')));
            EXPECT_NE(written.find("href=\"" + url + "\""), std::string::npos) << url;
            ++named;
        }
        EXPECT_EQ(named, 4);
        EXPECT_EQ(m_launcher.m_opened, std::vector<std::string>{file});
    }

    void ExpectWindowIsTheEngines(CLinkTreeFrame& frame)
    {
        EXPECT_EQ(frame.GetFrameTitle().find(m_site.Fill("@WEB@/")), 0u) << frame.GetFrameTitle();
        ExpectListIsTheEngines(frame);
        ExpectGroupCountsAreTheEngines(frame);
        ExpectReportIsTheEngines(frame);
        ExpectTreeIsTheEngines(frame);
        EXPECT_TRUE(m_driver.Boxes().empty());
    }

    CTempFolder m_temp;
    ScopedEnvironment m_env;
    CFixtureSite m_site;
    CRecordingModalDriver m_driver;
    CRecordingLauncher m_launcher;
    std::unique_ptr<CTanglewardenApp> m_app;
};

TEST_F(TaskWindowSiteCheck, AProjectOnTheCommandLineIsCheckedAndTheWindowShowsTheEnginesResults)
{
    const std::string project = m_temp / "site.vbb";
    {
        CPropertySet settings;
        CTaskSettings task = SiteTask();
        CTanglewardenDoc document(settings);
        document.SetTask(&task);
        ASSERT_TRUE(document.OnSaveDocument(project));
    }
    ASSERT_TRUE(m_app->InitInstance({project}));
    CMainFrame* main = m_app->GetMainWindow();
    main->resize(1280, 860);
    CLinkTreeFrame* frame = FinishedWindow();
    ASSERT_NE(frame, nullptr);
    if (auto* sub = qobject_cast<QMdiSubWindow*>(frame->parentWidget()))
        sub->showMaximized();
    QCoreApplication::processEvents();
    ExpectWindowIsTheEngines(*frame);

    // The keys of the window: Tab from the tree reaches the list, Ctrl+K
    // locks the list.
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    frame->GetTreeView()->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->GetActivePane() == LinkTreePane::kTree; }, 2000));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(frame->GetActivePane(), LinkTreePane::kList);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(frame->GetActivePane(), LinkTreePane::kTree);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->QueryCommandState(ID_LIST_LOCK).IsEnabled(); }, 2000));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_K, Qt::ControlModifier);
    EXPECT_TRUE(frame->GetListView()->IsLocked());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_K, Qt::ControlModifier);
    EXPECT_FALSE(frame->GetListView()->IsLocked());

    // The finished check as a user sees it: the first page's links in the
    // list, its statistics in the link-group list.
    ASSERT_TRUE(frame->GetTreeView()->SelectLink(frame->GetTreeView()->GetEngine().GetNodeAt(0)->m_linkId));
    frame->GetListView()->FillList(0, true);
    QCoreApplication::processEvents();
    const QImage picture = main->grab().toImage();
    EXPECT_TRUE(picture.save("link_tree_frame_finished_check.png"));
}

TEST_F(TaskWindowSiteCheck, AnAddressTypedIntoNewTaskIsCheckedAndTheWindowShowsTheEnginesResults)
{
    ASSERT_TRUE(m_app->InitInstance({}));
    const std::string start = m_site.Fill("@WEB@/");
    int newTaskDialogs = 0;
    m_driver.SetDialogScript([&](QDialog& shown) {
        auto* dialog = dynamic_cast<CNewTaskDlg*>(&shown);
        ASSERT_NE(dialog, nullptr) << shown.metaObject()->className();
        ++newTaskDialogs;
        TypeText(dialog->GetDlgItem(IDC_NEWTASK_URI), start);
        QTest::mouseClick(dialog->GetDlgItem(IDOK), Qt::LeftButton);
    });
    // A task without a start address, as File > New gives for a new page.
    CTaskSettings empty;
    ASSERT_NE(m_app->GetDocManager()->NewTaskDocument(&empty), nullptr);
    EXPECT_EQ(newTaskDialogs, 1);
    CLinkTreeFrame* frame = FinishedWindow();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->GetTreeView()->GetEngine().GetNodeAt(0)->m_url, start);
    auto& document = dynamic_cast<CTanglewardenDoc&>(*frame->GetTreeView()->GetDocument());
    EXPECT_EQ(GetIntOr(*document.GetTask(), TASK_RECURSION), 10);
    ExpectWindowIsTheEngines(*frame);

    // A report for a window opens a report window titled with the task's
    // name, showing the report the file held.
    GetSettings().SetInt(SETTING_REPORT_OUTPUT, 0);
    CTanglewardenDocManager& documents = *m_app->GetDocManager();
    ASSERT_TRUE(documents.GetDocumentsOfKind(kKindLinkReport).empty());
    ASSERT_TRUE(frame->ExecuteCommand(ID_TASK_REPORT));
    const std::vector<CTanglewardenDoc*> windows = documents.GetDocumentsOfKind(kKindLinkReport);
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0]->GetTitle(), document.GetDisplayName());
    const CEditTextBuffer* text = windows[0]->GetText();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(Timeless(WholeText(*text)), Timeless(ReadWhole(m_temp / "reports/default_report.html")));
    EXPECT_TRUE(documents.GetDocumentsOfKind(kKindTransferLog).empty());
    EXPECT_TRUE(m_driver.Boxes().empty());

    // Tab in the main window's address box stays among its own controls.
    CMainFrame* main = m_app->GetMainWindow();
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    frame->MDIActivate();
    main->GetUrlCombo()->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return main->GetUrlCombo()->isAncestorOf(QApplication::focusWidget()) ||
                                             QApplication::focusWidget() == main->GetUrlCombo(); }, 2000));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_FALSE(frame->isAncestorOf(QApplication::focusWidget()));
}
} // namespace
