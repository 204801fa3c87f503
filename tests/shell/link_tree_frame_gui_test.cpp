// A task window offscreen: the panes in their places; the splitter sizes a
// user leaves go to the settings when the window closes and come back in the
// next window; the window's commands (view and info modes, list colouring,
// the lock, Tab and Shift+Tab between the panes, Restart, Check External
// Links); the Report command, through the Report options dialog, writes the
// report of a real check of a local folder to "default_report.*".

#include "../checker/FakeCrawlTransport.h"
#include "../checker/RealCrawl.h"

#include "checker/LinkNode.h"
#include "checker/TaskSettings.h"
#include "checker/ui/TanglewardenDoc.h"
#include "dialogs/ReportOptionsDlg.h"
#include "platform/core/RecordingDesktop.h"
#include "platform/core/RefPtr.h"
#include "platform/ui/RecordingModalDriver.h"
#include "res/Resources.h"
#include "transfer/base/TransferLog.h"

#include "foundation/properties/PropertySet.h"
#include "foundation/stores/PasswordStore.h"
#include "foundation/stores/SettingIds.h"
#include "platform/ui/SplitterWnd.h"
#include "checker/FormData.h"
#include "checker/ui/FormControls.h"
#include "checker/ui/FormWnd.h"
#include "editor/ui/HTMLEditView.h"
#include "foundation/desktop/InitInstanceBroadcast.h"
#include "platform/ui/WidgetWindow.h"
#include "checker/ui/LinkGroupTree.h"
#include "shell/LinkGeneralView.h"
#include "shell/LinkListView.h"
#include "shell/LinkTreeFrame.h"
#include "shell/LinkViewFrame.h"
#include "transfer/base/LogRegistry.h"

#include "tests/servers/ServerProcess.h"
#include "tests/support/FileContents.h"
#include "tests/support/QtApplication.h"
#include "tests/support/TaskWindowServices.h"
#include "tests/support/TempFolder.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QTreeView>
#include <QCoreApplication>
#include <QAction>
#include <QToolButton>
#include <QPointer>
#include <QTest>

#include <filesystem>
#include <regex>
#include <set>

#include <gtest/gtest.h>

namespace
{
class LinkTreeFrameTest : public ::testing::Test
{
protected:
    CLinkTreeViewServices Services()
    {
        CLinkTreeViewServices services = TaskWindowServices(m_transport, m_settings, &m_passwords, &m_logs);
        if (m_withReport)
        {
            // The report choices as asked: whether the options dialog would
            // show. No report is made.
            services.m_reportPrompt = [this](bool showDialog, CReportRequest&) {
                m_reportAsks.push_back(showDialog);
                return false;
            };
        }
        return services;
    }
    // A frame of 900 x 600 with its splitters laid out.
    CLinkTreeFrame* OpenFrame()
    {
        auto* frame = new CLinkTreeFrame(&m_settings, Services());
        frame->resize(900, 600);
        frame->show();
        QCoreApplication::processEvents(); // the window takes its size
        frame->OnCreateClient();
        QCoreApplication::processEvents();
        return frame;
    }

    // A task window on a local folder's first page (three levels deep),
    // over the real transfer side, shown and active, its views on the
    // document; not started. The page links to another page, a text file
    // and an external page on a port that refuses connections.
    CLinkTreeFrame* OpenTaskWindow()
    {
        m_crawl = std::make_unique<CRealCrawl>();
        m_external = "http://127.0.0.1:" + std::to_string(m_refused.Port()) + "/x.html";
        std::filesystem::create_directories(m_folder / "site");
        WriteWhole(m_folder / "site/index.html", "<html><body><a href=\"a.html\">A</a> <a href=\"b.txt\">b</a>\n"
                                                 "<a href=\"" + m_external + "\">x</a></body></html>\n");
        WriteWhole(m_folder / "site/a.html", "<html><body><a href=\"index.html\">home</a></body></html>\n");
        WriteWhole(m_folder / "site/b.txt", "b\n");
        CPropertySet& settings = m_crawl->Settings();
        CLinkTreeViewServices services = Services();
        services.m_engine.m_transport = &m_crawl->Transport();
        services.m_engine.m_settings = &settings;
        services.m_settings = &settings;
        CTaskSettings task(m_folder / "site/index.html");
        task.SetInt(TASK_RECURSION, 3);
        m_document.SetTask(&task);
        auto* frame = new CLinkTreeFrame(&settings, services);
        frame->AttachDocument(m_document);
        frame->resize(900, 600);
        frame->InitialUpdateFrame(true);
        frame->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(frame));
        frame->OnCreateClient();
        return frame;
    }
    // Starts the window's task and waits for the end of its check.
    static void CheckToTheEnd(CLinkTreeFrame& frame)
    {
        CLinkTreeView& tree = *frame.GetTreeView();
        ASSERT_TRUE(tree.StartTask(false));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !tree.GetEngine().IsRunning(); }, 60000)) << "the check did not end";
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    bool m_application = (TestApplication(), true);
    CRecordingModalDriver m_driver;
    CTempFolder m_folder;
    CDeadTcpPort m_refused;
    std::string m_external;
    CFakeCrawlTransport m_transport;
    CPropertySet m_settings;
    CPasswordStore m_passwords;
    CLogRegistry m_logs;
    CTanglewardenDoc m_document{m_settings};
    std::unique_ptr<CRealCrawl> m_crawl; // the real transfer side of OpenTaskWindow
    bool m_withReport = false;
    std::vector<bool> m_reportAsks;
};

// A top-level window that counts the settings-changed messages it is sent.
class CSettingsProbe : public QWidget
{
public:
    CSettingsProbe() : m_handle(CWidgetWindow::Attach(this)) {}
    WindowHandle Handle() const { return m_handle; }
    int m_told = 0;

protected:
    bool event(QEvent* event) override
    {
        if (event->type() == CPostedMessageEvent::EventType() &&
            static_cast<CPostedMessageEvent*>(event)->Message().m_message == kSettingsChangedMessage)
        {
            ++m_told;
            return true;
        }
        return QWidget::event(event);
    }

private:
    WindowHandle m_handle;
};

TEST_F(LinkTreeFrameTest, ThePanesSitInTheirPlacesAndTheTasksCommandsReachThemFromAnyPane)
{
    std::unique_ptr<CLinkTreeFrame> frame(OpenFrame());
    auto* outer = qobject_cast<CSplitterWnd*>(frame->centralWidget());
    ASSERT_NE(outer, nullptr);
    auto* left = qobject_cast<CSplitterWnd*>(outer->GetPane(0, 0));
    auto* right = qobject_cast<CSplitterWnd*>(outer->GetPane(0, 1));
    ASSERT_NE(left, nullptr);
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(left->GetPane(0, 0), frame->GetTreeView());
    EXPECT_EQ(left->GetPane(1, 0), frame->GetGeneralView());
    EXPECT_EQ(right->GetPane(0, 0), frame->GetListView());
    EXPECT_EQ(right->GetPane(1, 0), frame->GetLinkViewFrame());
    EXPECT_EQ(frame->GetClassIndex(), 4);

    // The tree's task commands reach it from another pane.
    frame->SetActiveView(frame->GetGeneralView(), false);
    EXPECT_TRUE(frame->OnCmdMsg(ID_TASK_RESTART, CommandRequest::Probe, nullptr));
    EXPECT_EQ(frame->QueryCommandState(ID_VIEW_ALL_TREE_ITEMS).GetCheck(),
              frame->GetTreeView()->QueryCommandState(ID_VIEW_ALL_TREE_ITEMS).GetCheck());
    ASSERT_TRUE(frame->ExecuteCommand(ID_VIEW_ALL_TREE_ITEMS));
    EXPECT_EQ(frame->GetTreeView()->QueryCommandState(ID_VIEW_ALL_TREE_ITEMS).GetCheck(), 1);
    EXPECT_FALSE(frame->OnCmdMsg(ID_LINK_EDIT, CommandRequest::Probe, nullptr)) << "only the task commands";
}

TEST_F(LinkTreeFrameTest, SplitterSizesGoToTheSettingsOnCloseAndComeBackInTheNextWindow)
{
    {
        QPointer<CLinkTreeFrame> frame = OpenFrame();
        // Without stored sizes: a third of the width, half and two thirds
        // of the height.
        const LinkTreeSplit first = frame->GetSplit();
        const int height = frame->GetTreeView()->parentWidget()->height();
        EXPECT_NEAR(first.m_leftWidth, frame->centralWidget()->width() / 3, 2);
        EXPECT_NEAR(first.m_leftTopHeight, height / 2, 2);
        EXPECT_NEAR(first.m_rightTopHeight, height * 2 / 3, 2);

        // The user drags the three splitters (the room of the panes is the
        // splitter's less its bar).
        const auto drag = [](QWidget* pane, int first) {
            auto* splitter = qobject_cast<CSplitterWnd*>(pane);
            ASSERT_NE(splitter, nullptr);
            const QRect room = splitter->contentsRect();
            const int total = splitter->orientation() == Qt::Horizontal ? room.width() : room.height();
            splitter->setSizes({first, total - splitter->handleWidth() - first});
        };
        auto* outer = qobject_cast<CSplitterWnd*>(frame->centralWidget());
        drag(outer, 220);
        drag(outer->GetPane(0, 0), 150);
        drag(outer->GetPane(0, 1), 260);
        QCoreApplication::processEvents();
        EXPECT_TRUE(frame->close());
        delete frame.data();
    }
    EXPECT_EQ(GetIntOr(m_settings, SETTING_LAYOUT_LINK_TREE_WIDTH_LEFT), 220);
    EXPECT_EQ(GetIntOr(m_settings, SETTING_LAYOUT_LINK_TREE_HEIGHT_LEFT), 150);
    EXPECT_EQ(GetIntOr(m_settings, SETTING_LAYOUT_LINK_TREE_HEIGHT_RIGHT), 260);

    std::unique_ptr<CLinkTreeFrame> again(OpenFrame());
    const LinkTreeSplit back = again->GetSplit();
    EXPECT_EQ(back.m_leftWidth, 220);
    EXPECT_EQ(back.m_leftTopHeight, 150);
    EXPECT_EQ(back.m_rightTopHeight, 260);
}

TEST_F(LinkTreeFrameTest, ViewAndInfoModeCommandsSetTheListsModeAndTickOnlyTheirOwn)
{
    std::unique_ptr<CLinkTreeFrame> frame(OpenTaskWindow());
    CLinkListView& list = *frame->GetListView();
    const std::pair<UINT, int> viewModes[] = {{ID_VIEW_MODE_LARGE_ICONS, 0}, {ID_VIEW_MODE_SMALL_ICONS, 1},
                                              {ID_VIEW_MODE_LIST, 2},        {ID_VIEW_MODE_DETAILS, 3},
                                              {ID_VIEW_MODE_THUMBNAILS, 4}};
    // From the tree: the list's commands reach it through the frame.
    frame->SetActiveView(frame->GetTreeView(), false);
    for (const auto& [command, mode] : viewModes)
    {
        ASSERT_TRUE(frame->ExecuteCommand(command)) << command;
        EXPECT_EQ(list.GetViewMode(), mode);
        for (const auto& [other, otherMode] : viewModes)
            EXPECT_EQ(frame->QueryCommandState(other).GetCheck(), other == command ? 1 : 0) << command << " " << other;
    }
    // The Views button is never offered; its command toggles thumbnails
    // and details.
    EXPECT_FALSE(frame->QueryCommandState(ID_VIEW_VIEWS).IsEnabled());
    ASSERT_TRUE(frame->OnCmdMsg(ID_VIEW_VIEWS, CommandRequest::Execute, nullptr));
    EXPECT_EQ(list.GetViewMode(), 3);
    ASSERT_TRUE(frame->OnCmdMsg(ID_VIEW_VIEWS, CommandRequest::Execute, nullptr));
    EXPECT_EQ(list.GetViewMode(), 4);
    ASSERT_TRUE(frame->ExecuteCommand(ID_VIEW_MODE_LIST));
    ASSERT_TRUE(frame->OnCmdMsg(ID_VIEW_VIEWS, CommandRequest::Execute, nullptr));
    EXPECT_EQ(list.GetViewMode(), 4);

    // Info modes: the link view frame shows the page (Log is its third tab).
    const std::pair<UINT, int> infoModes[] = {
        {ID_INFO_LOG, 2}, {ID_INFO_FORM, 4}, {ID_INFO_INFORMATION, 3}, {ID_INFO_CONTENT, 1}};
    for (const auto& [command, mode] : infoModes)
    {
        ASSERT_TRUE(frame->ExecuteCommand(command)) << command;
        EXPECT_EQ(list.GetInfoMode(), mode);
        EXPECT_EQ(frame->GetLinkViewFrame()->GetCurrentPage(), mode);
        for (const auto& [other, otherMode] : infoModes)
            EXPECT_EQ(frame->QueryCommandState(other).GetCheck(), other == command ? 1 : 0) << command << " " << other;
    }
}

TEST_F(LinkTreeFrameTest, ColorizeListFlipsTheSettingSavesAndTellsEveryWindow)
{
    CFakeWindowTree windows;
    CSettingsProbe probe;
    windows.Add(probe.Handle(), nullptr);
    std::unique_ptr<CLinkTreeFrame> frame(OpenTaskWindow());
    int saves = 0;
    frame->SetSaveSettings([&saves] { return ++saves > 0; });
    CPropertySet& settings = m_crawl->Settings();
    settings.SetInt(SETTING_COLORS_ENABLE_LINK_LIST_COLORING, 1);
    EXPECT_EQ(frame->QueryCommandState(ID_VIEW_COLORIZE_LIST).GetCheck(), 1);

    for (int expected : {0, 1})
    {
        ASSERT_TRUE(frame->ExecuteCommand(ID_VIEW_COLORIZE_LIST));
        EXPECT_EQ(GetIntOr(settings, SETTING_COLORS_ENABLE_LINK_LIST_COLORING), expected);
        EXPECT_EQ(frame->QueryCommandState(ID_VIEW_COLORIZE_LIST).GetCheck(), expected);
    }
    EXPECT_EQ(saves, 2);
    QCoreApplication::processEvents();
    EXPECT_EQ(probe.m_told, 2);
}

TEST_F(LinkTreeFrameTest, TabAndShiftTabCycleThroughThePanesAndAShownFormsFields)
{
    std::unique_ptr<CLinkTreeFrame> frame(OpenTaskWindow());
    CHTMLEditView* editor = frame->GetEditView();
    const auto viewOf = [&](LinkTreePane pane) -> QWidget* {
        switch (pane)
        {
        case LinkTreePane::kTree: return frame->GetTreeView();
        case LinkTreePane::kList: return frame->GetListView();
        case LinkTreePane::kEditor: return editor;
        case LinkTreePane::kGeneral: return frame->GetGeneralView();
        }
        return nullptr;
    };
    const auto focusIsIn = [](QWidget* view) {
        QWidget* focus = QApplication::focusWidget();
        return focus && (focus == view || view->isAncestorOf(focus));
    };
    frame->GetTreeView()->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->GetActivePane() == LinkTreePane::kTree; }, 2000));

    struct Case
    {
        UINT m_command;
        LinkTreePane m_order[4];
    };
    const Case cases[] = {
        {ID_QC_NEXT_CONTROL, {LinkTreePane::kList, LinkTreePane::kEditor, LinkTreePane::kGeneral, LinkTreePane::kTree}},
        {ID_QC_PREV_CONTROL, {LinkTreePane::kGeneral, LinkTreePane::kEditor, LinkTreePane::kList, LinkTreePane::kTree}},
    };
    for (const Case& c : cases)
    {
        for (LinkTreePane expected : c.m_order)
        {
            ASSERT_TRUE(frame->ExecuteCommand(c.m_command));
            EXPECT_EQ(frame->GetActivePane(), expected) << c.m_command;
            EXPECT_TRUE(focusIsIn(viewOf(expected))) << c.m_command << " pane " << int(expected);
        }
    }

    // A form in the editor view: entered forwards its first field has the
    // focus, and Tab walks its fields before the general view is reached.
    CFormData form;
    form.SetActionAndMethod("<form method=get><input name=q value=one><input name=r value=two>"
                            "<input type=submit name=go value=Go></form>",
                            "http://site.test/find");
    form.BuildPage();
    editor->ShowFromView(form);
    CFormData& shown = editor->GetFormChild()->GetForm();
    frame->GetListView()->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->GetActivePane() == LinkTreePane::kList; }, 2000));
    ASSERT_TRUE(frame->ExecuteCommand(ID_QC_NEXT_CONTROL));
    EXPECT_EQ(frame->GetActivePane(), LinkTreePane::kEditor);
    EXPECT_EQ(QApplication::focusWidget(), GetFirstTabStopControl(shown));
    std::set<QWidget*> fields{QApplication::focusWidget()};
    int tabs = 0;
    while (frame->GetActivePane() == LinkTreePane::kEditor && tabs < 20)
    {
        ASSERT_TRUE(frame->ExecuteCommand(ID_QC_NEXT_CONTROL));
        ++tabs;
        if (frame->GetActivePane() == LinkTreePane::kEditor)
            fields.insert(QApplication::focusWidget());
    }
    EXPECT_EQ(frame->GetActivePane(), LinkTreePane::kGeneral);
    EXPECT_GE(fields.size(), 3u) << "two text fields and the button";
    EXPECT_EQ(int(fields.size()), tabs);
    // Entered backwards, the last field.
    ASSERT_TRUE(frame->ExecuteCommand(ID_QC_PREV_CONTROL));
    EXPECT_EQ(frame->GetActivePane(), LinkTreePane::kEditor);
    EXPECT_EQ(QApplication::focusWidget(), GetLastTabStopControl(shown));
}

TEST_F(LinkTreeFrameTest, RestartChecksAgainAndRefillsTheList)
{
    std::unique_ptr<CLinkTreeFrame> frame(OpenTaskWindow());
    CheckToTheEnd(*frame);
    CLinkListView& list = *frame->GetListView();
    CLinkTreeView& tree = *frame->GetTreeView();
    ASSERT_EQ(tree.GetSelectedLinkId(), 100) << "the first page is selected at the end of the check";
    list.FillList(0, false);
    const int rows = list.GetListCtrl().GetItemCount();
    ASSERT_EQ(rows, 3);
    // The page's text changes: the second check finds what the file holds then.
    WriteWhole(m_folder / "site/a.html", "<html><body><a href=\"index.html\">home</a> <a href=\"c.html\">c</a>"
                                         "</body></html>\n");
    const int links = tree.GetEngine().GetLinkCount();

    frame->SetActiveView(frame->GetGeneralView(), false);
    ASSERT_TRUE(frame->ExecuteCommand(ID_TASK_RESTART));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !tree.GetEngine().IsRunning(); }, 60000));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(tree.GetEngine().GetLinkCount(), links + 1) << "checked again";
    EXPECT_EQ(tree.GetSelectedLinkId(), 100);
    EXPECT_TRUE(QTest::qWaitFor([&] { return list.GetListCtrl().GetItemCount() == rows; }, 2000))
        << list.GetListCtrl().GetItemCount();
    EXPECT_TRUE(m_driver.Boxes().empty());
}

TEST_F(LinkTreeFrameTest, CheckExternalLinksChecksThemAndSaysSoWhenNoneIsLeft)
{
    std::unique_ptr<CLinkTreeFrame> frame(OpenTaskWindow());
    CheckToTheEnd(*frame);
    CLinkTreeView& tree = *frame->GetTreeView();
    const auto external = [&] {
        for (int i = 0; i < tree.GetEngine().GetLinkCount(); ++i)
            if (tree.GetEngine().GetNodeAt(i)->m_url == m_external)
                return tree.GetEngine().GetNodeAt(i)->m_state;
        return -1;
    };
    EXPECT_EQ(external(), kStateIsExternal) << "external links wait for the command";
    frame->SetActiveView(frame->GetListView(), false);
    ASSERT_TRUE(frame->ExecuteCommand(ID_TASK_CHECK_EXTERNAL));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !tree.GetEngine().IsRunning(); }, 60000));
    QCoreApplication::processEvents();
    EXPECT_EQ(external(), kStateBroken) << "the connection is refused";
    EXPECT_TRUE(m_driver.Boxes().empty());

    // None is left: the button is off, and the command sent all the same
    // (a key pressed before the buttons were updated) says so.
    EXPECT_FALSE(frame->QueryCommandState(ID_TASK_CHECK_EXTERNAL).IsEnabled());
    ASSERT_TRUE(frame->OnCmdMsg(ID_TASK_CHECK_EXTERNAL, CommandRequest::Execute, nullptr));
    ASSERT_EQ(m_driver.Boxes().size(), 1u);
    EXPECT_EQ(m_driver.Boxes()[0].m_text, "There are no more unchecked external links.");
}

TEST_F(LinkTreeFrameTest, LockFollowsTheListAndSetsTheLinkViewBarsButton)
{
    std::unique_ptr<CLinkTreeFrame> frame(OpenTaskWindow());
    CLinkListView& list = *frame->GetListView();
    auto* button = frame->GetLinkViewFrame()->findChild<QToolButton*>("linkViewLock");
    ASSERT_NE(button, nullptr);
    // Nothing to copy before the check: no lock.
    EXPECT_FALSE(frame->QueryCommandState(ID_LIST_LOCK).IsEnabled());
    EXPECT_FALSE(button->isEnabled());
    // Ctrl+K is the window's key for it.
    EXPECT_EQ(frame->Commands().Action(ID_LIST_LOCK)->shortcut(), QKeySequence("Ctrl+K"));

    CheckToTheEnd(*frame);
    ASSERT_TRUE(list.CanCopy());
    EXPECT_EQ(frame->QueryCommandState(ID_LIST_LOCK).GetCheck(), 0);
    // The button follows by itself.
    EXPECT_TRUE(QTest::qWaitFor([&] { return button->isEnabled(); }, 2000));
    ASSERT_TRUE(frame->ExecuteCommand(ID_LIST_LOCK));
    EXPECT_TRUE(list.IsLocked());
    EXPECT_EQ(frame->QueryCommandState(ID_LIST_LOCK).GetCheck(), 1);
    EXPECT_TRUE(button->isChecked());
    // The bar's button unlocks it again.
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(list.IsLocked());
    EXPECT_EQ(frame->QueryCommandState(ID_LIST_LOCK).GetCheck(), 0);
    EXPECT_FALSE(button->isChecked());
}

TEST_F(LinkTreeFrameTest, CtrlRAsksForTheReportsOptionsAndCtrlShiftRTakesTheStoredOnes)
{
    // No Shift stand-in: the command looks at the keyboard itself.
    m_withReport = true;
    std::unique_ptr<CLinkTreeFrame> frame(OpenTaskWindow());
    QWidget& tree = frame->GetTreeView()->GetTreeCtrl();
    tree.setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return tree.hasFocus(); }, 2000));
    QAction* report = frame->Commands().Action(ID_TASK_REPORT);
    ASSERT_TRUE(QTest::qWaitFor([&] { return report->isEnabled(); }, 2000)) << "the key's command follows its state";
    QTest::keyClick(&tree, Qt::Key_R, Qt::ControlModifier);
    ASSERT_EQ(m_reportAsks, std::vector<bool>{true}) << "Ctrl+R asks with the dialog";
    ASSERT_EQ(report->shortcuts().size(), 2) << report->shortcuts().size();
    EXPECT_EQ(report->shortcuts()[1], QKeySequence("Ctrl+Shift+R"));
    QTest::keyClick(&tree, Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(m_reportAsks, (std::vector<bool>{true, false})) << "with Shift held the options dialog is skipped";
}

// Whether every shown name of the link-group list fits its column: the
// state image, the text and the margins the row drawing keeps.
void ExpectNamesWhole(CLinkGroupTree& groups)
{
    const QFontMetrics metrics(groups.ReportView()->viewport()->font());
    const int column = groups.GetColumnWidth(0);
    ASSERT_GT(groups.GetItemCount(), 0);
    for (int row = 0; row < groups.GetItemCount(); ++row)
    {
        const std::string name = groups.GetItemText(row, 0);
        const int needed = groups.GetImageList(LVSIL_STATE)->GetIconSize().width() +
                           metrics.horizontalAdvance(QString::fromStdString(name)) + 2 * COwnerDrawListCtrl::kCellMargin;
        EXPECT_GE(column, needed) << name;
    }
}

TEST_F(LinkTreeFrameTest, TheLinkGroupNamesShowWholeAndTakeTheRoomTheCountsLeave)
{
    std::unique_ptr<CLinkTreeFrame> frame(OpenTaskWindow());
    CheckToTheEnd(*frame);
    CLinkGroupTree& groups = *frame->GetGeneralView()->GetGroupTree();
    QCoreApplication::processEvents();
    ASSERT_EQ(groups.GetColumnCount(), 3);
    ExpectNamesWhole(groups);
    const auto rest = [&] { return groups.ReportView()->header()->width() - groups.GetColumnWidth(1) - groups.GetColumnWidth(2); };
    EXPECT_EQ(groups.GetColumnWidth(0), std::max(rest(), groups.GetNameColumnContentWidth()));

    // Every group open: the longer names of the others fit too.
    for (int group = 0; group < CLinkGroupTree::kGroupCount; ++group)
    {
        if (!groups.IsGroupExpanded(group))
            groups.OnRowAction(groups.FindRow(group), false, CLinkGroupTree::kToggle);
    }
    QCoreApplication::processEvents();
    ExpectNamesWhole(groups);
    EXPECT_TRUE(frame->GetGeneralView()->grab().save(QCoreApplication::applicationDirPath() + "/link_group_names.png"));

    // A wider window: the names take the room gained.
    frame->resize(1300, 700);
    ASSERT_TRUE(QTest::qWaitFor([&] { return groups.GetColumnWidth(0) == rest() && rest() > groups.GetNameColumnContentWidth(); }, 5000))
        << groups.GetColumnWidth(0) << " of " << rest();
    ExpectNamesWhole(groups);
}

TEST(LinkTreeFrameReportTest, TheReportCommandWritesTheEnginesReportThroughTheOptionsDialog)
{
    TestApplication();
    CRecordingModalDriver driver;
    CRecordingLauncher launcher;
    CTempFolder folder;
    std::filesystem::create_directories(folder / "site");
    WriteWhole(folder / "site/index.html", "<html><body><a href=\"a.html\">A</a> <a href=\"gone.html\">gone</a>\n"
                                           "<a href=\"notes.txt\">notes</a></body></html>\n");
    WriteWhole(folder / "site/a.html", "<html><body><a href=\"index.html\">home</a></body></html>\n");
    WriteWhole(folder / "site/notes.txt", "notes\n");
    const std::string start = folder / "site/index.html";

    CRealCrawl crawl;
    CPropertySet& settings = crawl.Settings();
    const std::string reports = folder / "reports/new";
    settings.SetString(SETTING_MISC_REPORT_FOLDER, reports.c_str());
    settings.SetInt(SETTING_REPORT_OUTPUT, 1); // a file
    settings.SetInt(SETTING_REPORT_STYLE, 1);  // HTML
    CPasswordStore passwords;
    CLogRegistry logs;
    CLinkTreeViewServices services = TaskWindowServices(crawl.Transport(), settings, &passwords, &logs);
    int saves = 0;
    services.m_reportPrompt = MakeReportPrompt(settings, [&saves] { return ++saves > 0; }, nullptr);
    services.m_shiftHeld = [] { return false; };

    CTanglewardenDoc document(settings);
    CTaskSettings task(start, &settings);
    task.SetInt(TASK_RECURSION, 3);
    document.SetTask(&task);
    std::unique_ptr<CLinkTreeFrame> frame(new CLinkTreeFrame(&settings, services));
    document.AddView(frame->GetTreeView());
    frame->resize(900, 600);
    frame->InitialUpdateFrame(true);
    CLinkTreeView& tree = *frame->GetTreeView();
    ASSERT_TRUE(tree.StartTask(false));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !tree.GetEngine().IsRunning(); }, 60000)) << "the check did not end";
    QCoreApplication::processEvents();

    // The options dialog is ended with OK; a Wait dialog, should the report
    // take long, ends with the job.
    int optionDialogs = 0;
    driver.SetDialogScript([&](QDialog& shown) {
        if (auto* options = dynamic_cast<CReportOptionsDlg*>(&shown))
        {
            ++optionDialogs;
            QTest::mouseClick(options->GetDlgItem(IDOK), Qt::LeftButton);
            return;
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return !shown.isVisible(); }, 20000));
    });
    ASSERT_TRUE(frame->GetTreeView()->ExecuteCommand(ID_TASK_REPORT));
    EXPECT_EQ(optionDialogs, 1);
    EXPECT_EQ(saves, 0) << "an untouched OK changes no setting";

    // The file holds what the engine writes for the stored choices.
    const CReportOptionsDlg stored(settings, nullptr);
    CRefPtr<CTransferLog> expected = CRefPtr<CTransferLog>::Adopt(new CTransferLog());
    tree.GetEngine().WriteReport(*expected.Get(), stored.GetReportOptions());
    std::string expectedText;
    expected->GetText(expectedText);
    const std::string file = reports + "/default_report.html";
    ASSERT_TRUE(std::filesystem::exists(file));
    const std::string written = ReadWhole(file);
    ASSERT_FALSE(written.empty());
    // Alike but for the time of writing.
    const auto timeless = [](const std::string& text) {
        static const std::regex stamp(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d)");
        return std::regex_replace(text, stamp, "<time>");
    };
    EXPECT_EQ(timeless(written), timeless(expectedText));
    EXPECT_NE(written.find("Link group: All links (5/4)"), std::string::npos) << written;
    EXPECT_EQ(launcher.m_opened, std::vector<std::string>{file});
    EXPECT_TRUE(driver.Boxes().empty());

    // Cancel ends the command: no new file.
    std::filesystem::remove(file);
    driver.SetDialogScript([](QDialog& shown) { shown.reject(); });
    (void)frame->GetTreeView()->ExecuteCommand(ID_TASK_REPORT);
    EXPECT_FALSE(std::filesystem::exists(file));
}
} // namespace
