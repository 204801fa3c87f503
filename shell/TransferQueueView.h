#pragma once
// CTransferQueueView: the one view of the transfer-queue window. It lists
// every job of the transfer manager in an owner-drawn report list, one row
// per job, and lets the user resume, stop and read the logs of jobs. It
// holds no job data of its own: each row carries its job id as item data,
// and every cell is rewritten from copies asked of the manager.
//
// Rows come and go with the manager's jobs: Refresh adds rows for the jobs
// added since the last one it saw (the manager's last added id) and first
// prunes the rows of removed jobs (when the manager's last removed id
// moved). A job is never given a second row: jobs the manager adds while a
// refresh runs are either taken by it or by the next one, never by both.
//
// Only the rows on screen (plus one) are watched in the manager (group -1),
// so an update reads at most one page of statuses. Updates are coalesced:
// ScheduleUpdate with 10 ms or more registers one 100 ms periodic
// WM_CONTINUE_FILL post; its first tick does the update and removes the
// registration, so a burst of scrolls yields one update.
//
// At most one queue view exists; GetTransferQueueWnd returns it (null while
// no queue window is open). The main frame hands the manager's worker
// notifications to it: codes 0 and 1 resynchronise the rows (Refresh), 2
// rewrites the watched rows (UpdateItem).
//
// UI thread only; the view holds no lock, and each manager call takes the
// manager's own lock for its duration.

#include "platform/ui/ImageList.h"
#include "platform/ui/View.h"

#include <QColor>

#include <functional>
#include <unordered_map>
#include <vector>

class CCommandActions;
class CJobStatus;
class CLogRegistry;
class CLinkItem;
class COwnerDrawListCtrl;
class IPropertySet;
class ITransferManager;
class QMenu;
class QPainter;
struct ListColumn;

// The list's control id and the number of its columns.
inline constexpr int kTransferQueueListId = 1001;
inline constexpr int kTransferQueueColumnCount = 9;
// The column whose percentage text is drawn over a progress bar.
inline constexpr int kProgressColumn = 4;
// Show Log opens at most this many log windows at a time.
inline constexpr int kMaxLogsShown = 100;
// The icon of rows that are never resumed.
inline constexpr int kNeverResumedIcon = 10;

// The progress bar's fill: a finished transfer (exactly 100 %) in blue, any
// other in green; darker on a selected or drop-highlighted row.
QColor ProgressBarColor(double percent, unsigned state);
// The bar's filled width within the bar's inner width.
int ProgressBarFill(int width, double percent);
// Draws column 4's sunken bar and its fill (the cell text is the
// percentage); leaves every other cell alone. Always false: the list's
// default drawing then writes the text over the bar.
bool DrawProgressCell(COwnerDrawListCtrl& list, int row, int column, QPainter& painter, const QRect& cell,
                      unsigned state, const ListColumn& columnInfo);

// Whether a row with this icon is resumed by Resume: its status group is the
// error group (stopped, suspended, skipped, failed or unknown) and its icon
// is not 10.
bool IsResumableIcon(int icon);

// Shows the logs of the selected rows in order (log id 0: the row has no
// log), calling show with each row's position and log id, and stops after
// kMaxLogsShown logs, after the first log with singleWindow, or at the end.
// Returns the number shown.
int ShowRowLogs(const std::vector<int>& logIds, bool singleWindow,
                const std::function<void(size_t index, int logId)>& show);

class CTransferQueueView : public CView
{
    Q_OBJECT

public:
    // Opens a log window for a log of the log registry.
    using LogOpener = std::function<void(int logId)>;

    // manager: the jobs shown; settings: where "Misc/Single Log Window" is
    // read; logs: the registry of the jobs' logs (Show Log names each log
    // after its job's URL before opening it); smallImages: the icons of
    // column 0, copied (may be null). The references must outlive the view.
    // The view becomes GetTransferQueueWnd.
    CTransferQueueView(ITransferManager& manager, const IPropertySet& settings, CLogRegistry& logs,
                       LogOpener openLog, const CImageList* smallImages, QWidget* parent = nullptr);
    ~CTransferQueueView() override;

    // Creates the list with its columns, fills it (Refresh) and posts the
    // first layout.
    void OnInitialUpdate() override;

    // Prunes the rows of removed jobs and adds rows for new jobs.
    void Refresh();
    // Rewrites the rows of the watched jobs from their statuses.
    void UpdateItem();
    // delayMs 1..9: one WM_CONTINUE_FILL post; 10 or more: the 100 ms
    // periodic post (registered once); 0 or less: the update itself, which
    // watches the rows on screen plus one and rewrites them.
    void ScheduleUpdate(int delayMs);

    // The commands on jobs.
    void OnShowLog();
    void OnResumeSelected();
    void OnResumeAll();
    void OnStopSelected();
    void OnStopAll();
    // The Item menu at globalPoint; (-1, -1), from the keyboard, puts it 5
    // pixels right of and below the view's top-left corner.
    void OnContextMenu(QPoint globalPoint);

    COwnerDrawListCtrl* GetList() const { return m_list; }
    // The periodic post's registration; 0 when none.
    int GetPosterId() const { return m_posterId; }
    const std::vector<int>& GetVisibleIds() const { return m_visibleIds; }
    // The row of a job; -1 when it has none.
    int FindRow(int jobId) const;

protected:
    // Runs the context menu; tests answer it without a popup.
    virtual void TrackMenu(QMenu* menu, QPoint globalPoint);

    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AddCommands();
    void PruneItems();
    void SetItemFromJob(int row, const CJobStatus& status, const CLinkItem* properties);
    void RebuildRowMap();
    void ReleaseVisibleJobs();
    void Layout(uintptr_t mode);
    void PostToSelf(uint32_t message, uintptr_t wParam);
    std::vector<int> RowJobIds(bool selectedOnly) const;
    std::vector<int> ResumableJobIds(bool selectedOnly) const;

    ITransferManager& m_manager;
    const IPropertySet& m_settings;
    CLogRegistry& m_logs;
    LogOpener m_openLog;
    CImageList m_images;
    CCommandActions* m_menuActions = nullptr;
    int m_lastAddedId = 0;
    int m_lastRemovedId = 0;
    // The change-stamp key of GetGroupIds: 0 takes every watched job.
    const uint32_t m_stampKey = 0;
    int m_posterId = 0;
    std::unordered_map<int, int> m_rowMap; // job id -> row index
    // The request kind of each row's job (the status record lacks it; the
    // status text of a finished job depends on it).
    std::unordered_map<int, int> m_operations;
    int m_busy = 0;
    std::vector<int> m_visibleIds;
    int m_sizeCount = 0;
    COwnerDrawListCtrl* m_list = nullptr;
};

// The open queue view; null while no queue window is open.
CTransferQueueView* GetTransferQueueWnd();
