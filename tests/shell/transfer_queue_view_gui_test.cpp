// The transfer queue view over a real transfer manager that runs nothing:
// the progress bar's colours and fill, which rows Resume takes, the cap of
// Show Log, the coalescing of ScheduleUpdate, and rows that follow the
// manager's added and removed jobs without ever showing a job twice.

#include "shell/TransferQueueView.h"

#include "foundation/links/LinkItem.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "platform/ui/ListCtrl.h"
#include "res/ResourceIds.h"
#include "transfer/base/LogRegistry.h"
#include "transfer/base/TransferLogInterface.h"
#include "transfer/jobs/TransferManager.h"
#include "widgets/OwnerDrawListCtrl.h"

#include "tests/support/QtApplication.h"
#include "tests/support/QueueRows.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WatchedTransferManager.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTreeView>
#include <QWheelEvent>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace
{
class TransferQueueViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestApplication();
        m_settings.SetInt(SETTING_LOGS_MAX_LOG_LINES, 100);
        CTransferManagerOptions options;
        options.m_services.m_settings = &m_settings;
        options.m_services.m_logs = &m_logs;
        options.m_dataFolder = m_folder.Path();
        options.m_tick = false;
        m_manager = std::make_unique<CTransferManager>(std::move(options));
        m_watched = std::make_unique<CWatchedManager>(*m_manager);
    }
    void TearDown() override
    {
        m_view.reset();
        m_manager.reset();
    }

    // Jobs that wait in the manager's new list; nothing runs them.
    std::vector<int> AddJobs(int count)
    {
        std::vector<int> ids;
        for (int i = 0; i < count; ++i)
        {
            CLinkItem request;
            const std::string url = "http://host.example/file" + std::to_string(m_next++) + ".bin";
            EXPECT_TRUE(request.SetUrl(url.c_str(), true));
            request.SetString(LI_LOCAL_FILE, (m_folder / ("file" + std::to_string(m_next))).c_str());
            request.SetOperationAndFlags(LI_OP_DOWNLOAD, 0);
            int id = 0;
            EXPECT_EQ(m_manager->AddJob(request, &id, false), 0);
            ids.push_back(id);
        }
        return ids;
    }

    // A shown view of about 10 rows.
    CTransferQueueView& MakeView(int height = 220)
    {
        m_view = std::make_unique<CTransferQueueView>(*m_watched, m_settings, m_logs,
                                                      [this](int logId) { m_opened.push_back(logId); }, nullptr);
        m_view->resize(800, height);
        m_view->show();
        m_view->OnInitialUpdate();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_view.get()));
        return *m_view;
    }

    std::vector<int> RowIds() const { return QueueRowIds(*m_view); }

    void SelectRows(int first, int count)
    {
        COwnerDrawListCtrl* list = m_view->GetList();
        for (int row = first; row < first + count; ++row)
            list->SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
    }

    CTempFolder m_folder;
    CPropertySet m_settings;
    CLogRegistry m_logs;
    std::unique_ptr<CTransferManager> m_manager;
    std::unique_ptr<CWatchedManager> m_watched;
    std::unique_ptr<CTransferQueueView> m_view;
    std::vector<int> m_opened;
    int m_next = 0;
};

TEST(TransferQueueProgress, FinishedBarsAreBlueOthersGreenDarkerWhenSelected)
{
    struct Case
    {
        double percent;
        unsigned state;
        QColor colour;
    };
    const Case cases[] = {
        {100.0, 0, QColor(200, 200, 255)},
        {100.0, LVIS_SELECTED, QColor(0, 0, 100)},
        {100.0, LVIS_DROPHILITED, QColor(0, 0, 100)},
        {100.0, LVIS_FOCUSED, QColor(200, 200, 255)},
        {99.99, 0, QColor(200, 255, 200)},
        {99.99, LVIS_SELECTED | LVIS_FOCUSED, QColor(0, 100, 0)},
        {0.0, LVIS_DROPHILITED, QColor(0, 100, 0)},
        {100.01, 0, QColor(200, 255, 200)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProgressBarColor(c.percent, c.state), c.colour) << c.percent << " state " << c.state;
}

TEST(TransferQueueProgress, TheFillIsTheTruncatedShareOfTheBarAndStaysInside)
{
    struct Case
    {
        int width;
        double percent;
        int fill;
    };
    const Case cases[] = {
        {50, 100.0, 50}, {50, 99.99, 49}, {50, 50.0, 25}, {51, 50.0, 25}, {50, 0.0, 0},
        {50, -5.0, 0},   {50, 250.0, 50}, {0, 100.0, 0},  {-3, 50.0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProgressBarFill(c.width, c.percent), c.fill) << c.width << " at " << c.percent;
}

TEST(TransferQueueResume, OnlyRowsOfTheErrorGroupAreResumedAndNeverIcon10)
{
    struct Case
    {
        int icon;
        bool resumed;
    };
    // 0 new, 2 waiting, 3 working, 4 and 22 done; 1 stopped, 6 skipped, 7
    // failed, 20 suspended; 10 an external redirect.
    const Case cases[] = {{0, false}, {2, false}, {3, false},  {4, false},  {22, false},
                          {1, true},  {6, true},  {7, true},   {20, true},  {10, false}};
    for (const Case& c : cases)
        EXPECT_EQ(IsResumableIcon(c.icon), c.resumed) << "icon " << c.icon;
}

TEST(TransferQueueShowLog, ShowsAtMost100LogsOrOnlyTheFirstInASingleWindow)
{
    // 150 selected rows; every third has no log.
    std::vector<int> logs;
    for (int i = 0; i < 150; ++i)
        logs.push_back(i % 3 == 0 ? 0 : 1000 + i);
    struct Case
    {
        bool single;
        int shown;
    };
    for (const Case c : {Case{false, 100}, Case{true, 1}})
    {
        std::vector<std::pair<size_t, int>> seen;
        EXPECT_EQ(ShowRowLogs(logs, c.single, [&](size_t index, int logId) { seen.emplace_back(index, logId); }),
                  c.shown);
        ASSERT_EQ(seen.size(), size_t(c.shown));
        // The logs of the first rows that have one, in row order.
        size_t index = 0;
        for (const auto& [row, logId] : seen)
        {
            while (logs[index] == 0)
                ++index;
            EXPECT_EQ(row, index);
            EXPECT_EQ(logId, logs[index]);
            ++index;
        }
    }
    int calls = 0;
    EXPECT_EQ(ShowRowLogs(std::vector<int>(5, 0), false, [&](size_t, int) { ++calls; }), 0);
    EXPECT_EQ(calls, 0);
}

TEST_F(TransferQueueViewTest, RowsShowEveryJobOnceWithItsUrlPathAndStatus)
{
    const std::vector<int> ids = AddJobs(3);
    CTransferQueueView& view = MakeView();
    EXPECT_EQ(GetTransferQueueWnd(), &view);
    EXPECT_EQ(RowIds(), ids);
    COwnerDrawListCtrl* list = view.GetList();
    ASSERT_EQ(list->GetColumnCount(), kTransferQueueColumnCount);
    ListColumn column;
    ASSERT_TRUE(list->GetColumn(4, column));
    EXPECT_EQ(column.m_text, "Xfer %");
    EXPECT_EQ(column.m_format, LVCFMT_RIGHT);
    EXPECT_EQ(list->GetItemText(0, 0), "http://host.example/file0.bin");
    EXPECT_EQ(list->GetItemText(0, 1), m_folder / "file1");
    EXPECT_EQ(list->GetItemText(0, 8), "new");
    EXPECT_EQ(list->GetItemImage(0), 0);
    // Nothing reported yet: no total, so no percentage, speed or time left.
    EXPECT_EQ(list->GetItemText(0, 3), "");
    EXPECT_EQ(list->GetItemText(0, 4), "");
    EXPECT_EQ(list->GetItemText(0, 6), "");
    EXPECT_EQ(list->GetItemText(0, 7), "");

    view.Refresh();
    EXPECT_EQ(RowIds(), ids) << "nothing new: no row added";
    m_view.reset();
    EXPECT_EQ(GetTransferQueueWnd(), nullptr);
}

TEST_F(TransferQueueViewTest, JobsAddedWhileTheViewRefreshesGetOneRowEach)
{
    std::vector<int> ids = AddJobs(5);
    CTransferQueueView& view = MakeView();
    ASSERT_EQ(RowIds(), ids);
    const std::vector<int> more = AddJobs(4);
    // Between the view's reading of the last added id and its listing of the
    // new jobs, the manager gains three more.
    std::vector<int> during;
    m_watched->m_beforeJobIds = [&] { during = AddJobs(3); };
    view.Refresh();
    ids.insert(ids.end(), more.begin(), more.end());
    ids.insert(ids.end(), during.begin(), during.end());
    EXPECT_EQ(RowIds(), ids);
    view.Refresh();
    view.Refresh();
    EXPECT_EQ(RowIds(), ids) << "no job twice";
    const std::vector<int> last = AddJobs(2);
    view.Refresh();
    ids.insert(ids.end(), last.begin(), last.end());
    EXPECT_EQ(RowIds(), ids);
}

TEST_F(TransferQueueViewTest, RemovedJobsLoseExactlyTheirRowsAndTheRowMapFollows)
{
    std::vector<int> ids = AddJobs(8);
    CTransferQueueView& view = MakeView();
    const int gone[] = {ids[0], ids[3], ids[4], ids[7]};
    ASSERT_EQ(m_manager->RemoveJobs(gone, 4, nullptr), 0);
    view.Refresh();
    const std::vector<int> left = {ids[1], ids[2], ids[5], ids[6]};
    EXPECT_EQ(RowIds(), left);
    for (size_t row = 0; row < left.size(); ++row)
        EXPECT_EQ(view.FindRow(left[row]), int(row));
    for (int id : gone)
        EXPECT_EQ(view.FindRow(id), -1);
}

TEST_F(TransferQueueViewTest, ABurstOfScrollsYieldsOneUpdateOfTheVisibleRowsOnTheNextTick)
{
    const std::vector<int> ids = AddJobs(300);
    CTransferQueueView& view = MakeView();
    // The refresh of the first fill asked for its update; let it run.
    QTRY_COMPARE_WITH_TIMEOUT(view.GetPosterId(), 0, 5000);
    ASSERT_FALSE(view.GetVisibleIds().empty());

    QTreeView* rows = view.GetList()->ReportView();
    rows->verticalScrollBar()->setValue(100);
    const int watchesBefore = m_watched->m_watchCount;
    for (int i = 0; i < 20; ++i)
    {
        QWheelEvent wheel(QPointF(50, 50), rows->viewport()->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(rows->viewport(), &wheel);
    }
    const int poster = view.GetPosterId();
    EXPECT_NE(poster, 0) << "one periodic post registered";
    EXPECT_EQ(m_watched->m_watchCount, watchesBefore) << "nothing updated before the tick";
    QTRY_COMPARE_WITH_TIMEOUT(view.GetPosterId(), 0, 5000);
    QTest::qWait(300);
    EXPECT_EQ(m_watched->m_watchCount, watchesBefore + 1) << "exactly one update";

    // The rows on screen plus one are watched, and only they.
    COwnerDrawListCtrl* list = view.GetList();
    const int top = list->GetTopIndex();
    EXPECT_GT(top, 100);
    std::vector<int> expected;
    for (int row = top; row <= std::min(top + list->GetCountPerPage() + 1, list->GetItemCount() - 1); ++row)
        expected.push_back(ids[size_t(row)]);
    EXPECT_EQ(view.GetVisibleIds(), expected);
    std::vector<int> watched;
    ASSERT_EQ(m_manager->GetGroupIds(watched, 0), 0);
    std::sort(watched.begin(), watched.end());
    EXPECT_EQ(watched, expected);

    // A short delay posts one tick instead; a delay of 0 updates at once.
    view.ScheduleUpdate(5);
    EXPECT_EQ(view.GetPosterId(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(m_watched->m_watchCount, watchesBefore + 2, 5000);
    view.ScheduleUpdate(0);
    EXPECT_EQ(m_watched->m_watchCount, watchesBefore + 3);

    // The window going releases the watch.
    m_view.reset();
    watched.clear();
    ASSERT_EQ(m_manager->GetGroupIds(watched, 0), 0);
    EXPECT_TRUE(watched.empty());
}

TEST_F(TransferQueueViewTest, ResumeTakesStoppedRowsOnlyAndStopTakesEveryChosenRow)
{
    const std::vector<int> ids = AddJobs(6);
    // Jobs 1, 3 and 4 were queued and stopped; the others are new.
    for (int index : {1, 3, 4})
    {
        ASSERT_EQ(m_manager->StartJob(ids[size_t(index)]), 0);
        ASSERT_EQ(m_manager->StopJob(ids[size_t(index)]), 0);
    }
    CTransferQueueView& view = MakeView();
    view.ScheduleUpdate(0);
    ASSERT_EQ(view.GetList()->GetItemText(1, 8), "stopped");

    view.OnResumeAll();
    ASSERT_EQ(m_watched->m_started.size(), 1u);
    EXPECT_EQ(m_watched->m_started[0], (std::vector<int>{ids[1], ids[3], ids[4]}));

    SelectRows(2, 2); // a new row and a stopped one
    view.OnResumeSelected();
    ASSERT_EQ(m_watched->m_started.size(), 2u);
    EXPECT_EQ(m_watched->m_started[1], std::vector<int>{ids[3]});

    view.GetList()->SetItemState(3, 0, LVIS_SELECTED);
    view.OnResumeSelected();
    EXPECT_EQ(m_watched->m_started.size(), 2u) << "nothing to resume: no manager call";

    view.OnStopSelected();
    ASSERT_EQ(m_watched->m_stopped.size(), 1u);
    EXPECT_EQ(m_watched->m_stopped[0], std::vector<int>{ids[2]});
    view.OnStopAll();
    ASSERT_EQ(m_watched->m_stopped.size(), 2u);
    EXPECT_EQ(m_watched->m_stopped[1], ids);
}

TEST_F(TransferQueueViewTest, ShowLogOpensTheLogsOfTheSelectedRowsNamedAfterTheirUrls)
{
    const std::vector<int> ids = AddJobs(150);
    CTransferQueueView& view = MakeView();
    SelectRows(0, 150);
    struct Case
    {
        int single;
        size_t opened;
    };
    for (const Case c : {Case{0, 100}, Case{1, 1}})
    {
        m_settings.SetInt(SETTING_MISC_SINGLE_LOG_WINDOW, c.single);
        m_opened.clear();
        view.OnShowLog();
        ASSERT_EQ(m_opened.size(), c.opened);
        for (size_t row = 0; row < c.opened; ++row)
        {
            int logId = 0;
            m_manager->GetJobAttribute(&ids[row], 1, kJobAttributeLogId, &logId);
            EXPECT_EQ(m_opened[row], logId);
            ITransferLog* log = m_logs.GetLog(logId);
            ASSERT_NE(log, nullptr);
            EXPECT_EQ(log->GetName(), view.GetList()->GetItemText(int(row), 0));
            log->Release();
        }
    }
}

// The context menu is the Item menu with Show Log as its default.
class CMenuRecordingView : public CTransferQueueView
{
public:
    using CTransferQueueView::CTransferQueueView;
    QStringList m_texts;
    QString m_default;
    QPoint m_at;

protected:
    void TrackMenu(QMenu* menu, QPoint globalPoint) override
    {
        for (QAction* action : menu->actions())
            m_texts.push_back(action->text());
        m_default = menu->defaultAction() ? menu->defaultAction()->text() : QString();
        m_at = globalPoint;
    }
};

TEST_F(TransferQueueViewTest, TheContextMenuIsTheItemMenuWithShowLogFirst)
{
    AddJobs(2);
    CMenuRecordingView view(*m_watched, m_settings, m_logs, {}, nullptr);
    view.resize(400, 200);
    view.show();
    view.OnInitialUpdate();
    view.OnContextMenu(QPoint(-1, -1));
    EXPECT_EQ(view.m_texts, (QStringList{"Show &Log", "", "&Resume Selected", "Resume &All", "&Stop Selected",
                                         "S&top All", "R&efresh\tF5"}));
    EXPECT_EQ(view.m_default, "Show &Log");
    EXPECT_EQ(view.m_at, view.mapToGlobal(QPoint(5, 5)));
}
} // namespace
