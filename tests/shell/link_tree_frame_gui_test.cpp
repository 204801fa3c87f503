// A task window offscreen: the splitter sizes a user leaves go to the
// settings when the window closes and come back in the next window; the
// Report command, through the Report options dialog, writes the report of a
// real check of a local folder to "default_report.*".

#include "../checker/FakeCrawlTransport.h"
#include "../checker/RealCrawl.h"

#include "checker/TaskSettings.h"
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
#include "shell/LinkGeneralView.h"
#include "shell/LinkTreeFrame.h"
#include "shell/LinkViewFrame.h"
#include "transfer/base/LogRegistry.h"

#include "tests/support/FileContents.h"
#include "tests/support/QtApplication.h"
#include "tests/support/TempFolder.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTest>

#include <filesystem>
#include <regex>

#include <gtest/gtest.h>

namespace
{
class LinkTreeFrameTest : public ::testing::Test
{
protected:
    CLinkTreeViewServices Services()
    {
        CLinkTreeViewServices services;
        services.m_engine.m_transport = &m_transport;
        services.m_engine.m_settings = &m_settings;
        services.m_settings = &m_settings;
        services.m_passwords = &m_passwords;
        services.m_logs = &m_logs;
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

    bool m_application = (TestApplication(), true);
    CFakeCrawlTransport m_transport;
    CPropertySet m_settings;
    CPasswordStore m_passwords;
    CLogRegistry m_logs;
};

TEST_F(LinkTreeFrameTest, ThePanesSitInTheirPlacesAndTheListSlotWaitsForTheList)
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
    EXPECT_EQ(right->GetPane(0, 0)->objectName(), QStringLiteral("LinkListSlot"));
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
    CLinkTreeViewServices services;
    services.m_engine.m_transport = &crawl.Transport();
    services.m_engine.m_settings = &settings;
    services.m_settings = &settings;
    services.m_passwords = &passwords;
    services.m_logs = &logs;
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
