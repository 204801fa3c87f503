// The transfer queue window over the real transfer manager, fetching from
// nginx on 127.0.0.1: the manager's notifications reach the view through
// the main frame, 200 downloads reach their final states with one row each
// while more jobs arrive during refreshes, slow downloads are stopped and
// resumed from the view's commands and their rows go when the jobs are
// removed, and a grab shows the progress bars.

#include "shell/MainFrame.h"
#include "shell/TransferQueueView.h"

#include "foundation/desktop/ShellHooks.h"
#include "foundation/links/LinkItem.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "platform/ui/WidgetWindow.h"
#include "shell/AppGlobals.h"
#include "transfer/base/LogRegistry.h"
#include "transfer/jobs/TransferManager.h"
#include "widgets/OwnerDrawListCtrl.h"

#include "tests/servers/NginxServer.h"
#include "tests/support/QtApplication.h"
#include "tests/support/QueueRows.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WatchedTransferManager.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTest>
#include <QTreeView>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace
{
using namespace std::chrono_literals;

constexpr int kSmallFiles = 200;
constexpr int kSlowFiles = 3;
constexpr int kSlowSize = 512 * 1024; // 8 s at 64 KB/s

int Notify(int code)
{
    return NotifyMainFrame(code);
}

class TransferQueueInterop : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestApplication();
        CNginxServer::Options options;
        // Slow files stay running long enough to be stopped.
        options.m_serverConfig = "location /slow/ { limit_rate 64k; }";
        ASSERT_TRUE(m_web.Start(options));
        for (int i = 0; i < kSmallFiles; ++i)
            ASSERT_TRUE(m_web.WriteDocument("f/" + std::to_string(i) + ".txt", std::string(2000 + i, 'a' + i % 26)));
        for (int i = 0; i < kSlowFiles; ++i)
            ASSERT_TRUE(m_web.WriteDocument("slow/" + std::to_string(i) + ".bin", std::string(kSlowSize, 's')));

        m_settings.SetInt(SETTING_LOGS_MAX_LOG_LINES, 200);
        m_settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS, 20);
        m_settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS_PER_SITE, 20);
        m_settings.SetInt(SETTING_CONNECTIONS_SESSION_IDLE_TIME, 60);
        m_settings.SetInt(SETTING_CONNECTIONS_CONNECTION_TIMEOUT, 30);
        m_settings.SetInt(SETTING_CONNECTIONS_CONNECTION_DELAY, 0);
        m_settings.SetInt(SETTING_TRANSFER_MANAGER_TIMEOUT_THREADING, 1000);
        m_settings.SetInt(SETTING_HTTP_VERSION, 1);
        m_settings.SetInt(SETTING_HTTP_ENABLE_CONNECTION, 1);
        CTransferManagerOptions managerOptions;
        managerOptions.m_services.m_settings = &m_settings;
        managerOptions.m_services.m_logs = &m_logs;
        managerOptions.m_dataFolder = m_folder.Path();
        m_manager = std::make_unique<CTransferManager>(std::move(managerOptions));
        m_manager->Init();
        m_watched = std::make_unique<CWatchedManager>(*m_manager);

        // The program's path of a notification: the manager's callback
        // posts WM_WORKER_NOTIFY to the main frame, which hands it on.
        m_main = std::make_unique<CMainFrame>(m_settings, CMainFrame::CHooks{});
        ASSERT_TRUE(m_main->OnCreate());
        InstallShellServices();
        SetPromptWindow(CWidgetWindow::Attach(m_main.get()));
        m_manager->SetCallback(&Notify, 0, kTransferCallbackAdded);
        m_manager->SetCallback(&Notify, 1, kTransferCallbackRemoved);
        m_manager->SetCallback(&Notify, 2, kTransferCallbackGroup);

        // Tall enough for every row to be on screen, so every row is watched.
        m_view = std::make_unique<CTransferQueueView>(*m_watched, m_settings, m_logs, CTransferQueueView::LogOpener{},
                                                      nullptr);
        m_view->resize(780, 6000); // rows are drawn no wider than the screen
        m_view->show();
        m_view->OnInitialUpdate();
    }
    void TearDown() override
    {
        SetPromptWindow(nullptr);
        SetNotifyMainFrameHook(nullptr);
        if (m_manager)
        {
            for (int kind = 0; kind < 3; ++kind)
                m_manager->SetCallback(nullptr, 0, kind);
        }
        m_view.reset();
        m_main.reset();
        m_manager.reset();
    }

    std::string Url(const std::string& path) const
    {
        return "http://127.0.0.1:" + std::to_string(m_web.HttpPort()) + "/" + path;
    }

    int AddDownload(const std::string& path)
    {
        CLinkItem request;
        EXPECT_TRUE(request.SetUrl(Url(path).c_str(), true));
        const std::string local = m_folder / ("local-" + std::to_string(m_localCount.fetch_add(1)));
        request.SetString(LI_LOCAL_FILE, local.c_str());
        request.SetOperationAndFlags(LI_OP_DOWNLOAD, 0);
        int id = 0;
        EXPECT_EQ(m_manager->AddJob(request, &id, true), 0);
        return id;
    }

    std::vector<int> RowIds() const { return QueueRowIds(*m_view); }

    std::string Cell(int jobId, int column) const
    {
        const int row = m_view->FindRow(jobId);
        return row < 0 ? std::string("<no row>") : m_view->GetList()->GetItemText(row, column);
    }

    bool AllRowsSay(const std::vector<int>& ids, const std::string& status) const
    {
        for (int id : ids)
        {
            if (Cell(id, 8) != status)
                return false;
        }
        return true;
    }

    // The inner bar of a row's progress cell, as drawn on screen.
    QImage GrabProgressCell(int jobId, const QString& name) const
    {
        COwnerDrawListCtrl* list = m_view->GetList();
        QRect cell;
        EXPECT_TRUE(list->GetSubItemRect(m_view->FindRow(jobId), kProgressColumn, LVIR_LABEL, cell));
        QWidget* rows = list->ReportView()->viewport();
        rows->repaint();
        const QImage image = rows->grab(cell).toImage();
        image.save(name);
        return image;
    }

    CNginxServer m_web;
    CTempFolder m_folder;
    CPropertySet m_settings;
    CLogRegistry m_logs;
    std::unique_ptr<CTransferManager> m_manager;
    std::unique_ptr<CWatchedManager> m_watched;
    std::unique_ptr<CMainFrame> m_main;
    std::unique_ptr<CTransferQueueView> m_view;
    std::atomic<int> m_localCount{0};
};

TEST_F(TransferQueueInterop, QueuedDownloadsReachTheirFinalStatesWithOneRowEach)
{
    // Refreshes run while jobs keep coming: a second thread adds them in
    // bursts, each after the rows of the last burst are shown, and three
    // refreshes meet jobs added between their two questions to the manager.
    std::mutex lock;
    std::condition_variable shown;
    int rowsShown = 0;
    std::vector<int> added;
    int injections = 0;
    std::function<void()> inject;
    inject = [&] {
        for (int i = 0; i < 5; ++i)
            added.push_back(AddDownload("f/" + std::to_string(195 - 5 * injections + i) + ".txt"));
        if (++injections < 3)
            m_watched->m_beforeJobIds = inject;
    };
    m_watched->m_beforeJobIds = inject;
    std::vector<int> addedByThread;
    std::thread adder([&] {
        for (int burst = 0; burst < 5; ++burst)
        {
            for (int i = 0; i < 37; ++i)
                addedByThread.push_back(AddDownload("f/" + std::to_string(burst * 37 + i) + ".txt"));
            std::unique_lock<std::mutex> held(lock);
            shown.wait_for(held, 30s, [&] { return rowsShown >= int(addedByThread.size()); });
        }
    });
    const auto deadline = std::chrono::steady_clock::now() + 120s;
    std::vector<int> all;
    while (std::chrono::steady_clock::now() < deadline)
    {
        QTest::qWait(20);
        const std::vector<int> rows = RowIds();
        ASSERT_EQ(std::set<int>(rows.begin(), rows.end()).size(), rows.size()) << "a job shown twice";
        {
            std::lock_guard<std::mutex> held(lock);
            rowsShown = int(rows.size());
        }
        shown.notify_all();
        if (rows.size() == size_t(kSmallFiles) && AllRowsSay(rows, "downloaded"))
        {
            all = rows;
            break;
        }
    }
    adder.join();
    ASSERT_EQ(all.size(), size_t(kSmallFiles)) << "rows: " << RowIds().size();
    EXPECT_EQ(injections, 3);
    std::vector<int> expected = addedByThread;
    expected.insert(expected.end(), added.begin(), added.end());
    EXPECT_EQ(std::set<int>(all.begin(), all.end()), std::set<int>(expected.begin(), expected.end()));
    // Finished rows show their sizes and a full bar.
    for (int id : all)
    {
        EXPECT_EQ(Cell(id, 2), Cell(id, 3));
        EXPECT_EQ(Cell(id, 4), "100.00 %");
    }
}

TEST_F(TransferQueueInterop, SlowDownloadsAreStoppedResumedAndLoseTheirRowsWhenRemoved)
{
    const int done = AddDownload("f/0.txt");
    std::vector<int> slow;
    for (int i = 0; i < kSlowFiles; ++i)
        slow.push_back(AddDownload("slow/" + std::to_string(i) + ".bin"));
    // Running, with a third of the bytes in.
    QTRY_VERIFY_WITH_TIMEOUT(Cell(done, 8) == "downloaded" && AllRowsSay(slow, "working") &&
                                 std::atoll(Cell(slow[0], 2).c_str()) > kSlowSize / 3 && !Cell(slow[0], 3).empty(),
                             30000);

    COwnerDrawListCtrl* list = m_view->GetList();
    for (int id : slow)
        list->SetItemState(m_view->FindRow(id), LVIS_SELECTED, LVIS_SELECTED);
    m_view->OnStopSelected();
    QTRY_VERIFY_WITH_TIMEOUT(AllRowsSay(slow, "stopped"), 20000);
    EXPECT_EQ(list->GetItemImage(m_view->FindRow(slow[0])), 1);
    EXPECT_EQ(Cell(done, 8), "downloaded") << "only the selected rows stop";
    const long long stoppedAt = std::atoll(Cell(slow[0], 2).c_str());
    EXPECT_GT(stoppedAt, 0);
    EXPECT_LT(stoppedAt, kSlowSize);

    // One grab: a full blue bar beside a partly filled green one.
    for (int id : slow)
        list->SetItemState(m_view->FindRow(id), 0, LVIS_SELECTED);
    list->SetColumnWidth(0, 200);
    list->SetColumnWidth(kProgressColumn, 160);
    const QImage full = GrabProgressCell(done, "transfer_queue_progress_done.png");
    const QImage partial = GrabProgressCell(slow[0], "transfer_queue_progress.png");
    ASSERT_FALSE(full.isNull());
    ASSERT_FALSE(partial.isNull());
    // The inner bar starts 3 pixels in; the text sits right, so the
    // left half shows the fill.
    const int middle = full.height() / 2;
    EXPECT_EQ(full.pixelColor(3, middle), QColor(200, 200, 255));
    EXPECT_EQ(full.pixelColor(full.width() / 2, middle), QColor(200, 200, 255));
    const int fill = ProgressBarFill(partial.width() - 6, std::atof(Cell(slow[0], 4).c_str()));
    ASSERT_GT(fill, 2);
    EXPECT_EQ(partial.pixelColor(3, middle), QColor(200, 255, 200));
    EXPECT_EQ(partial.pixelColor(3 + fill - 1, middle), QColor(200, 255, 200));
    EXPECT_NE(partial.pixelColor(3 + fill + 1, middle), QColor(200, 255, 200));

    // Resume All takes only the stopped rows, which run again from where
    // they stopped.
    m_view->OnResumeAll();
    ASSERT_FALSE(m_watched->m_started.empty());
    EXPECT_EQ(m_watched->m_started.back(), slow);
    QTRY_VERIFY_WITH_TIMEOUT(AllRowsSay(slow, "working") && std::atoll(Cell(slow[0], 2).c_str()) > stoppedAt, 20000);

    // Removing the jobs takes exactly their rows.
    ASSERT_EQ(m_manager->RemoveJobs(slow.data(), int(slow.size()), nullptr), 0);
    QTRY_COMPARE_WITH_TIMEOUT(RowIds(), std::vector<int>{done}, 10000);
    EXPECT_EQ(m_view->FindRow(done), 0);
}
} // namespace
