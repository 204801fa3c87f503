// The log and report windows in the main window: a log of the registry
// followed as lines are appended from another thread, the single log window,
// Close All Logs, a report written by the engine for a small local check
// shown with its colouring and titled by its caller, and the places of the
// top bars kept through the settings.

#include "../checker/RealCrawl.h"

#include "checker/ReportWriter.h"
#include "checker/TaskSettings.h"
#include "checker/ui/TanglewardenDoc.h"
#include "editor/EditLine.h"
#include "editor/EditTextBuffer.h"
#include "editor/SyntaxColorizer.h"
#include "editor/ui/HTMLEditView.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "platform/core/RefPtr.h"
#include "platform/ui/RecordingModalDriver.h"
#include "res/ResourceIds.h"
#include "shell/MainFrame.h"
#include "shell/TanglewardenDocManager.h"
#include "shell/TanglewardenFrame.h"
#include "shell/TextWindows.h"
#include "transfer/base/LogRegistry.h"
#include "transfer/base/TransferLogInterface.h"
#include "widgets/TabbedBar.h"

#include "tests/support/FileContents.h"
#include "tests/support/TextWindowsFixture.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTest>
#include <QToolBar>

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace
{
std::string Shown(ITransferLog& log)
{
    std::string text;
    log.GetText(text);
    return text;
}

int ColorMode(const CHTMLEditView& view)
{
    const auto* colorizer = dynamic_cast<const CSyntaxColorizer*>(view.GetColorizer());
    return colorizer ? colorizer->GetMode() : -100;
}

class TextWindowsTest : public CTextWindowsFixture
{
protected:
    void SetUp() override
    {
        for (int id : {SETTING_LAYOUT_TOOLBAR_VISIBLE, SETTING_LAYOUT_STATUSBAR_VISIBLE, SETTING_LAYOUT_QC_VISIBLE,
                       SETTING_LAYOUT_TABBEDBAR_VISIBLE})
            m_settings.SetInt(id, 1);
        ASSERT_NO_FATAL_FAILURE(OpenTextWindows(Hooks()));
    }

    CMainFrame::CHooks Hooks()
    {
        CMainFrame::CHooks hooks;
        hooks.m_closeAllOfKind = [this](int kind) { m_manager->CloseAllOfKind(kind); };
        return hooks;
    }

    // A new log of the registry with a name and its first line.
    int NewLog(const std::string& name, const std::string& firstLine)
    {
        const int id = m_logs.CreateLog();
        CRefPtr<ITransferLog> log = Log(id);
        log->SetName(name);
        log->AppendLine(kLogStatus, firstLine);
        return id;
    }
    CRefPtr<ITransferLog> Log(int id) { return CRefPtr<ITransferLog>::Adopt(m_logs.GetLog(id)); }

    static CHTMLEditView* ViewOf(CTanglewardenDoc* document)
    {
        return document ? FindEditView(*document) : nullptr;
    }
    CTabStripWnd& Tabs() { return m_frame->GetTabbedBar()->Strip(); }
    std::vector<std::string> TabTexts()
    {
        std::vector<std::string> texts;
        for (int i = 0; i < Tabs().GetTabCount(); ++i)
            texts.push_back(Tabs().GetTabText(i));
        return texts;
    }
};
} // namespace

TEST_F(TextWindowsTest, ALogWindowFollowsItsLogAsAnotherThreadAppendsLines)
{
    const int id = NewLog("http://a.example/page.html", "Connecting to a.example");
    CTanglewardenDoc* document = m_manager->OpenLogDocument(id, m_logs);
    ASSERT_NE(document, nullptr);
    ASSERT_NE(ViewOf(document), nullptr);
    CHTMLEditView& view = *ViewOf(document);
    EXPECT_EQ(view.GetMode(), CHTMLEditView::kModeSource);
    EXPECT_EQ(TextOf(view), "S:\tConnecting to a.example\r\n");
    EXPECT_EQ(ColorMode(view), 4) << "coloured as a log";
    EXPECT_EQ(view.GetGutterWidth(), 0) << "a followed log has no line numbers";
    EXPECT_EQ(TabTexts(), std::vector<std::string>{"Log: " + ShortenPathForTitle("http://a.example/page.html")});

    // A job's thread writes while the window is open.
    constexpr int kLines = 300;
    std::thread writer([log = Log(id)]() mutable {
        for (int i = 1; i <= kLines; ++i)
            log->AppendFormat(i % 5, "line %d", i); // status, error, sent, received, detail
    });
    writer.join();
    CRefPtr<ITransferLog> log = Log(id);
    ASSERT_TRUE(QTest::qWaitFor([&] { return TextOf(view) == Shown(*log.Get()); }, 10000)) << TextOf(view);
    EXPECT_EQ(view.GetBuffer()->GetLineCount(), kLines + 2) << "and the empty line after the last line end";
    EXPECT_NE(TextOf(view).find("E:\tline 296\r\n>:\tline 297\r\n"), std::string::npos);
    // The end of the log is in view, as the window follows it.
    int top = 0;
    int left = 0;
    view.GetScrollPosition(top, left);
    EXPECT_GT(top, 0);
    EXPECT_GE(top + view.GetVisibleRows(), kLines + 2);
    EXPECT_FALSE(document->IsModified()) << "following a log is not an edit";

    // The registry lets go of the log; the window still has it and follows.
    ASSERT_TRUE(m_logs.ReleaseLog(id));
    log->AppendLine(kLogStatus, "after release");
    ASSERT_TRUE(QTest::qWaitFor([&] { return TextOf(view).ends_with("S:\tafter release\r\n"); }, 10000));

    // A picture of a log window, for a person to look at.
    m_frame->MdiArea()->subWindowList().front()->showMaximized();
    view.SetScrollPosition(240, 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_frame->grab().save(QCoreApplication::applicationDirPath() + "/log_window.png"));
}

TEST_F(TextWindowsTest, TheSingleLogWindowTakesEachNextLogAndFile)
{
    const int first = NewLog("first", "one");
    const int second = NewLog("second", "two");
    CTanglewardenDoc* one = m_manager->OpenLogDocument(first, m_logs);
    CTanglewardenDoc* two = m_manager->OpenLogDocument(second, m_logs);
    ASSERT_TRUE(one && two);
    EXPECT_NE(one, two) << "a window per log by default";
    EXPECT_EQ(m_manager->OpenLogDocument(first, m_logs), one) << "the open window of a log, as it is";
    EXPECT_EQ(CTanglewardenFrame::GetOpenFrameCount(2), 2);

    two->OnCloseDocument();
    QCoreApplication::processEvents();
    m_settings.SetInt(SETTING_MISC_SINGLE_LOG_WINDOW, 1);
    const int third = NewLog("", "three");
    CTanglewardenDoc* reused = m_manager->OpenLogDocument(third, m_logs);
    EXPECT_EQ(reused, one);
    EXPECT_EQ(reused->GetLogId(), third);
    ASSERT_NE(ViewOf(reused), nullptr);
    CHTMLEditView& view = *ViewOf(reused);
    EXPECT_EQ(TextOf(view), "S:\tthree\r\n");
    EXPECT_EQ(TabTexts(), std::vector<std::string>{"Log: Log"}) << "a log without a name";
    // The log shown before no longer reaches the window.
    Log(first)->AppendLine(kLogStatus, "late line of the first log");
    QCoreApplication::processEvents();
    EXPECT_EQ(TextOf(view), "S:\tthree\r\n");

    // A log file goes to the same window, read once and coloured as a log.
    const std::string file = m_temp / "transfer.log";
    WriteWhole(file, "S:\tfrom a file\r\nE:\tfailed\r\n");
    EXPECT_EQ(m_manager->OpenLogDocument(file), one);
    EXPECT_EQ(view.GetMode(), CHTMLEditView::kModeText);
    EXPECT_EQ(TextOf(view), "S:\tfrom a file\r\nE:\tfailed\r\n");
    EXPECT_EQ(ColorMode(view), 4);
    EXPECT_EQ(one->GetPathName(), file);
    EXPECT_EQ(TabTexts(), std::vector<std::string>{"Log: " + ShortenPathForTitle(file)});

    // Back to a registry log: the file no longer names the window, so opening
    // the file again reads it again rather than finding a window that shows
    // something else.
    EXPECT_EQ(m_manager->OpenLogDocument(first, m_logs), one);
    EXPECT_TRUE(one->GetPathName().empty());
    EXPECT_EQ(m_manager->FindDocumentOfKind(-1, false, kKindTransferLog, file), nullptr);
    EXPECT_EQ(CTanglewardenFrame::GetOpenFrameCount(2), 1);
}

TEST_F(TextWindowsTest, CloseAllLogsClosesTheLogWindowsOnly)
{
    ASSERT_NE(m_manager->OpenLogDocument(NewLog("a", "a"), m_logs), nullptr);
    ASSERT_NE(m_manager->OpenLogDocument(NewLog("b", "b"), m_logs), nullptr);
    ASSERT_NE(m_manager->OpenReportDocument(NewLog("report", "r"), 0), nullptr);
    EXPECT_TRUE(m_frame->QueryCommandState(ID_WINDOW_CLOSE_LOGS).IsEnabled());
    ASSERT_TRUE(m_frame->ExecuteCommand(ID_WINDOW_CLOSE_LOGS));
    ASSERT_TRUE(QTest::qWaitFor([] { return CTanglewardenFrame::GetOpenFrameCount(2) == 0; }, 5000));
    EXPECT_TRUE(m_manager->GetDocumentsOfKind(kKindTransferLog).empty());
    EXPECT_EQ(m_manager->GetDocumentsOfKind(kKindLinkReport).size(), 1u);
    EXPECT_EQ(CTanglewardenFrame::GetOpenFrameCount(3), 1);
    EXPECT_EQ(TabTexts(), std::vector<std::string>{"Report: Report"});
    EXPECT_FALSE(m_frame->QueryCommandState(ID_WINDOW_CLOSE_LOGS).IsEnabled());
    EXPECT_TRUE(m_frame->QueryCommandState(ID_WINDOW_CLOSE_REPORTS).IsEnabled());
}

TEST_F(TextWindowsTest, AReportOfALocalCheckShowsInItsWindowAndFollowsAReportWrittenAgain)
{
    // A small local site with one broken link, checked by the real engine.
    CTempFolder site;
    WriteWhole(site / "index.html", "<a href='ok.html'>ok</a> <a href='missing.html'>gone</a>");
    WriteWhole(site / "ok.html", "<p>fine</p>");
    CRealCrawl crawl;
    CTaskSettings task(site / "index.html");
    task.SetInt(TASK_RECURSION, 2);
    crawl.Check(task);
    ASSERT_GE(crawl.Engine().GetLinkCount(), 3);

    const int id = m_logs.CreateLog();
    CRefPtr<ITransferLog> report = Log(id);
    CReportOptions options;
    options.m_format = 1; // HTML
    crawl.Engine().WriteReport(*report.Get(), options);
    ASSERT_NE(Shown(*report.Get()).find("missing.html"), std::string::npos);

    CTanglewardenDoc* document = m_manager->OpenReportDocument(id, options.m_format);
    ASSERT_NE(ViewOf(document), nullptr);
    CHTMLEditView& view = *ViewOf(document);
    EXPECT_EQ(TextOf(view), Shown(*report.Get()));
    EXPECT_EQ(ColorMode(view), 1) << "an HTML report is coloured as HTML";
    EXPECT_TRUE(view.IsLocked());
    EXPECT_FALSE(view.CanUndo());
    EXPECT_GT(view.GetGutterWidth(), 0) << "a report has line numbers";
    EXPECT_EQ(document->GetLogId(), id);

    // The task window names the report after its start address.
    document->SetTitle(site / "index.html");
    EXPECT_EQ(TabTexts(), std::vector<std::string>{"Report: " + ShortenPathForTitle(site / "index.html")});
    EXPECT_EQ(document->GetDisplayName(), site / "index.html");

    // The same report asked for again: the window as it is; a text report
    // written into the same object shows there.
    EXPECT_EQ(m_manager->OpenReportDocument(id, 0), document);
    report->Clear();
    options.m_format = 0;
    crawl.Engine().WriteReport(*report.Get(), options);
    ASSERT_TRUE(QTest::qWaitFor([&] { return TextOf(view) == Shown(*report.Get()); }, 10000));
    EXPECT_EQ(TextOf(view).find("<html"), std::string::npos);

    // With "Misc/Single Report Window" another report reuses the window and
    // a text format is not coloured.
    m_settings.SetInt(SETTING_MISC_SINGLE_REPORT_WINDOW, 1);
    const int other = NewLog("", "plain report");
    EXPECT_EQ(m_manager->OpenReportDocument(other, 2), document);
    EXPECT_EQ(TextOf(view), "S:\tplain report\r\n");
    EXPECT_EQ(view.GetColorizer(), nullptr);
    EXPECT_EQ(m_manager->GetDocumentsOfKind(kKindLinkReport).size(), 1u);
}

// The view of a log window shows its document's text; the document goes
// first when the window closes, and the view (deleted later) must not keep
// that text.
TEST_F(TextWindowsTest, AClosedWindowsViewNoLongerHoldsItsDocumentsText)
{
    CTanglewardenDoc* byUser = m_manager->OpenLogDocument(NewLog("user", "closed by the user"), m_logs);
    CTanglewardenDoc* byDocument = m_manager->OpenLogDocument(NewLog("document", "closed with its document"), m_logs);
    ASSERT_TRUE(byUser && byDocument);
    QPointer<CHTMLEditView> userView = ViewOf(byUser);
    QPointer<CHTMLEditView> documentView = ViewOf(byDocument);
    ASSERT_TRUE(userView && documentView);
    EXPECT_EQ(userView->GetBuffer(), byUser->GetText());

    userView->GetParentFrame()->parentWidget()->close();
    byDocument->OnCloseDocument();
    EXPECT_TRUE(m_manager->GetDocumentsOfKind(kKindTransferLog).empty());
    // The windows are deleted later; until then their views hold no text.
    for (const QPointer<CHTMLEditView>& view : {userView, documentView})
    {
        if (view)
        {
            EXPECT_EQ(view->GetBuffer(), nullptr);
            view->repaint();
        }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(CTanglewardenFrame::GetOpenFrameCount(2), 0);
}

TEST_F(TextWindowsTest, ReportsNeedARegistryAndAValidId)
{
    EXPECT_EQ(m_manager->OpenReportDocument(0, 1), nullptr);
    EXPECT_EQ(m_manager->OpenReportDocument(-1, 1), nullptr);
    m_manager->SetLogRegistry(nullptr);
    EXPECT_EQ(m_manager->OpenReportDocument(NewLog("r", "r"), 1), nullptr);
    EXPECT_TRUE(m_manager->GetDocumentsOfKind(kKindLinkReport).empty());
}

TEST(BarPlace, TextsOfTwoNumbersFromZeroAreRead)
{
    struct Case
    {
        const char* m_text;
        bool m_read;
        int m_row;
        int m_order;
    };
    const Case cases[] = {
        {"0:0", true, 0, 0}, {"2:1", true, 2, 1}, {"", false, 7, 7},  {"1", false, 7, 7},
        {"1:", false, 7, 7}, {"-1:0", false, 7, 7}, {"1:2:3", false, 7, 7}, {"a:b", false, 7, 7},
    };
    for (const Case& c : cases)
    {
        CBarPlace place{7, 7};
        EXPECT_EQ(ParseBarPlace(c.m_text, place), c.m_read) << c.m_text;
        EXPECT_EQ(place.m_row, c.m_row) << c.m_text;
        EXPECT_EQ(place.m_order, c.m_order) << c.m_text;
        if (c.m_read)
        {
            EXPECT_EQ(FormatBarPlace(place), c.m_text);
        }
    }
}

TEST(BarPlaces, TheTopBarsComeBackWhereTheyWereAndAreSavedOnClose)
{
    TestApplication();
    CTempFolder temp;
    ScopedEnvironment env;
    UseTemporaryUserFolders(env, temp);
    struct Case
    {
        const char* m_tool;
        const char* m_quick;
        const char* m_savedTool;
        const char* m_savedQuick;
    };
    const Case cases[] = {
        {"", "", "0:0", "1:0"},            // nothing stored: the toolbar above the quick-connect bar
        {"1:0", "0:0", "1:0", "0:0"},      // the quick-connect bar above
        {"0:0", "0:1", "0:0", "0:1"},      // side by side
        {"0:1", "0:0", "0:1", "0:0"},      // side by side, the quick-connect bar first
        {"5:0", "junk", "0:0", "1:0"},     // one unreadable place: the default
        {"3:0", "3:0", "0:0", "0:1"},      // a tie keeps the toolbar first
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.m_tool) + " / " + c.m_quick);
        CPropertySet settings;
        settings.SetInt(SETTING_LAYOUT_TOOLBAR_VISIBLE, 1);
        settings.SetInt(SETTING_LAYOUT_QC_VISIBLE, 1);
        settings.SetString(SETTING_LAYOUT_TOOLBAR, c.m_tool);
        settings.SetString(SETTING_LAYOUT_QUICK_CONNECT, c.m_quick);
        CMainFrame frame(settings, {});
        ASSERT_TRUE(frame.OnCreate());
        frame.LoadRememberedStrings();
        frame.resize(1400, 500);
        frame.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
        QCoreApplication::processEvents();
        const QToolBar* tool = frame.GetToolBarHolder();
        const QToolBar* quick = frame.GetQuickConnectHolder();
        EXPECT_TRUE(tool->isVisible());
        EXPECT_TRUE(quick->isVisible());
        CBarPlace toolPlace;
        CBarPlace quickPlace;
        ASSERT_TRUE(ParseBarPlace(c.m_savedTool, toolPlace));
        ASSERT_TRUE(ParseBarPlace(c.m_savedQuick, quickPlace));
        if (toolPlace.m_row == quickPlace.m_row)
        {
            EXPECT_EQ(tool->y(), quick->y());
            EXPECT_EQ(tool->x() < quick->x(), toolPlace.m_order < quickPlace.m_order);
        }
        else
        {
            EXPECT_EQ(tool->y() < quick->y(), toolPlace.m_row < quickPlace.m_row);
        }
        frame.close();
        EXPECT_EQ(settings.GetStringValue(SETTING_LAYOUT_TOOLBAR), c.m_savedTool);
        EXPECT_EQ(settings.GetStringValue(SETTING_LAYOUT_QUICK_CONNECT), c.m_savedQuick);
    }
}

TEST(BarPlaces, AHiddenBarKeepsThePlaceItHad)
{
    TestApplication();
    CTempFolder temp;
    ScopedEnvironment env;
    UseTemporaryUserFolders(env, temp);
    CPropertySet settings;
    settings.SetString(SETTING_LAYOUT_TOOLBAR, "1:0");
    settings.SetString(SETTING_LAYOUT_QUICK_CONNECT, "0:0");
    settings.SetInt(SETTING_LAYOUT_TOOLBAR_VISIBLE, 1);
    settings.SetInt(SETTING_LAYOUT_QC_VISIBLE, 0);
    CMainFrame frame(settings, {});
    ASSERT_TRUE(frame.OnCreate());
    frame.LoadRememberedStrings();
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    EXPECT_FALSE(frame.GetQuickConnectHolder()->isVisible());
    frame.close();
    // With one bar shown there is nothing to arrange: both places stay.
    EXPECT_EQ(settings.GetStringValue(SETTING_LAYOUT_TOOLBAR), "1:0");
    EXPECT_EQ(settings.GetStringValue(SETTING_LAYOUT_QUICK_CONNECT), "0:0");
}
