#include "shell/TransferQueueView.h"

#include "checker/LinkStatus.h"
#include "foundation/links/JobStatus.h"
#include "foundation/links/LinkItem.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/text/DisplayFormats.h"
#include "foundation/threads/PeriodicPoster.h"
#include "platform/ui/ViewMessages.h"
#include "platform/ui/WidgetWindow.h"
#include "res/Resources.h"
#include "transfer/base/LogRegistry.h"
#include "transfer/base/TransferLogInterface.h"
#include "transfer/client/ProtocolClient.h"
#include "transfer/jobs/TransferManagerInterface.h"
#include "widgets/ListColumns.h"
#include "widgets/OwnerDrawListCtrl.h"
#include "widgets/PaintHelpers.h"
#include "widgets/SysColor.h"
#include "widgets/WindowHelpers.h"
#include "platform/ui/CommandActions.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace
{
CTransferQueueView* g_queueView = nullptr;

struct QueueColumn
{
    UINT m_heading;
    int m_format;
    int m_width;
};
constexpr QueueColumn kColumns[kTransferQueueColumnCount] = {
    {IDS_QUEUE_COLUMN_NAME, LVCFMT_LEFT, 360},       {IDS_QUEUE_COLUMN_LOCAL_PATH, LVCFMT_LEFT, 160},
    {IDS_QUEUE_COLUMN_LOCAL_SIZE, LVCFMT_RIGHT, 76}, {IDS_QUEUE_COLUMN_REMOTE_SIZE, LVCFMT_RIGHT, 76},
    {IDS_QUEUE_COLUMN_PERCENT, LVCFMT_RIGHT, 56},    {IDS_QUEUE_COLUMN_TIME, LVCFMT_LEFT, 70},
    {IDS_QUEUE_COLUMN_TIME_LEFT, LVCFMT_LEFT, 70},   {IDS_QUEUE_COLUMN_SPEED, LVCFMT_LEFT, 70},
    {IDS_QUEUE_COLUMN_STATUS, LVCFMT_LEFT, 120},
};

// Layout requests of WM_VIEW_DEFERRED.
constexpr uintptr_t kLayoutAfterSize = 0;
constexpr uintptr_t kLayoutFirst = 1;

// The periodic post's period and the delay that scrolling asks for.
constexpr int kPosterPeriodMs = 100;
constexpr int kScrollDelayMs = 200;

// Raises a count for a scope (the re-entrancy guard of ScheduleUpdate).
class CBusy
{
public:
    explicit CBusy(int& count) : m_count(count) { ++m_count; }
    ~CBusy() { --m_count; }
    CBusy(const CBusy&) = delete;
    CBusy& operator=(const CBusy&) = delete;

private:
    int& m_count;
};

bool IsNavigationKey(int key)
{
    switch (key)
    {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Up:
    case Qt::Key_Down: return true;
    default: return false;
    }
}
} // namespace

QColor ProgressBarColor(double percent, unsigned state)
{
    const bool selected = (state & (LVIS_SELECTED | LVIS_DROPHILITED)) != 0;
    if (percent == 100.0)
        return selected ? QColor(0, 0, 100) : QColor(200, 200, 255);
    return selected ? QColor(0, 100, 0) : QColor(200, 255, 200);
}

int ProgressBarFill(int width, double percent)
{
    if (width <= 0 || !(percent > 0.0))
        return 0;
    // A percentage above 100 never paints outside the bar.
    return std::min(width, static_cast<int>(std::trunc(width * percent * 0.01)));
}

bool DrawProgressCell(COwnerDrawListCtrl& list, int row, int column, QPainter& painter, const QRect& cell,
                      unsigned state, const ListColumn&)
{
    if (column != kProgressColumn)
        return false;
    QRect bar = cell.adjusted(1, 1, -1, -1);
    if (bar.width() <= 0 || bar.height() <= 0)
        return false;
    // A sunken edge two pixels deep.
    const QPalette& palette = list.palette();
    Draw3dRect(painter, bar, GetSysColor(kColorBtnShadow, palette), GetSysColor(kColorBtnHighlight, palette));
    Draw3dRect(painter, bar.adjusted(1, 1, -1, -1), GetSysColor(kColor3DDkShadow, palette),
               GetSysColor(kColor3DLight, palette));
    bar.adjust(2, 2, -2, -2);
    const std::string text = list.GetItemText(row, column);
    const double percent = std::atof(text.c_str());
    const int fill = ProgressBarFill(bar.width(), percent);
    if (fill > 0 && bar.height() > 0)
        painter.fillRect(QRect(bar.left(), bar.top(), fill, bar.height()), ProgressBarColor(percent, state));
    return false;
}

bool IsResumableIcon(int icon)
{
    return icon != kNeverResumedIcon && LinkStateGroup(icon) == 1;
}

int ShowRowLogs(const std::vector<int>& logIds, bool singleWindow,
                const std::function<void(size_t index, int logId)>& show)
{
    int shown = 0;
    for (size_t index = 0; index < logIds.size(); ++index)
    {
        if (logIds[index] == 0)
            continue;
        show(index, logIds[index]);
        ++shown;
        if (shown >= kMaxLogsShown || singleWindow)
            break;
    }
    return shown;
}

CTransferQueueView* GetTransferQueueWnd()
{
    return g_queueView;
}

CTransferQueueView::CTransferQueueView(ITransferManager& manager, const IPropertySet& settings, CLogRegistry& logs,
                                       LogOpener openLog, const CImageList* smallImages, QWidget* parent)
    : CView(parent), m_manager(manager), m_settings(settings), m_logs(logs), m_openLog(std::move(openLog))
{
    if (smallImages)
        m_images = *smallImages;
    setFocusPolicy(Qt::StrongFocus);
    AddCommands();
    g_queueView = this;
}

CTransferQueueView::~CTransferQueueView()
{
    if (m_posterId)
        RemovePeriodicPost(std::exchange(m_posterId, 0));
    // The jobs stay in the manager; only the watch on them ends.
    ReleaseVisibleJobs();
    if (g_queueView == this)
        g_queueView = nullptr;
}

void CTransferQueueView::AddCommands()
{
    const auto anySelected = [this](CCmdUI& ui) { ui.Enable(m_list && m_list->GetSelectedCount() > 0); };
    const auto anyRows = [this](CCmdUI& ui) { ui.Enable(m_list && m_list->GetItemCount() > 0); };
    OnCommand(ID_INFO_LOG, [this] { OnShowLog(); });
    OnUpdateCommand(ID_INFO_LOG, anySelected);
    OnCommand(ID_LINK_RESUME, [this] { OnResumeSelected(); });
    OnUpdateCommand(ID_LINK_RESUME, anySelected);
    OnCommand(ID_QUEUE_RESUME_ALL, [this] { OnResumeAll(); });
    OnUpdateCommand(ID_QUEUE_RESUME_ALL, anyRows);
    OnCommand(ID_LINK_STOP, [this] { OnStopSelected(); });
    OnUpdateCommand(ID_LINK_STOP, anySelected);
    OnCommand(ID_QUEUE_STOP_ALL, [this] { OnStopAll(); });
    OnUpdateCommand(ID_QUEUE_STOP_ALL, anyRows);
    OnCommand(ID_TASK_REFRESH, [this] { Refresh(); });
    OnUpdateCommand(ID_TASK_REFRESH, [](CCmdUI& ui) { ui.Enable(true); });
}

void CTransferQueueView::OnInitialUpdate()
{
    CView::OnInitialUpdate();
    if (m_list)
        return;
    m_list = new COwnerDrawListCtrl(this);
    m_list->setObjectName("TransferQueueList");
    // The id CDialog::GetDlgCtrlID reads.
    m_list->setProperty("twControlId", kTransferQueueListId);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    if (!m_images.IsEmpty())
        m_list->SetImageList(&m_images, LVSIL_SMALL);
    m_list->m_drawCallback = &DrawProgressCell;
    for (int column = 0; column < kTransferQueueColumnCount; ++column)
    {
        const char* heading = LoadResourceString(kColumns[column].m_heading);
        m_list->InsertColumn(column, heading ? heading : "", kColumns[column].m_format, kColumns[column].m_width);
    }

    connect(m_list, &CListCtrl::itemActivated, this, [this](int) { OnShowLog(); });
    connect(m_list, &CListCtrl::contextMenuRequested, this,
            [this](int, const QPoint& globalPoint) { OnContextMenu(globalPoint); });
    // Keys and the wheel are watched on the rows' widget; every scroll
    // (wheel, keys, the bar) moves the bar's value.
    m_list->ReportView()->installEventFilter(this);
    m_list->ReportView()->viewport()->installEventFilter(this);
    connect(m_list->ReportView()->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int) { ScheduleUpdate(kScrollDelayMs); });

    Refresh();
    PostToSelf(WM_VIEW_DEFERRED, kLayoutFirst);
}

void CTransferQueueView::PostToSelf(uint32_t message, uintptr_t wParam)
{
    (void)PostMessage(CWidgetWindow::Attach(this), message, static_cast<WPARAM>(wParam), 0);
}

int CTransferQueueView::FindRow(int jobId) const
{
    const auto found = m_rowMap.find(jobId);
    return found == m_rowMap.end() ? -1 : found->second;
}

std::vector<int> CTransferQueueView::RowJobIds(bool selectedOnly) const
{
    std::vector<int> ids;
    if (!m_list)
        return ids;
    if (selectedOnly)
    {
        for (int row = m_list->GetNextItem(-1, LVNI_SELECTED); row >= 0; row = m_list->GetNextItem(row, LVNI_SELECTED))
            ids.push_back(static_cast<int>(m_list->GetItemData(row)));
    }
    else
    {
        for (int row = 0; row < m_list->GetItemCount(); ++row)
            ids.push_back(static_cast<int>(m_list->GetItemData(row)));
    }
    return ids;
}

void CTransferQueueView::Refresh()
{
    if (!m_list)
        return;
    PruneItems();
    int manager = kTransferManagerId;
    int lastAdded = 0;
    m_manager.GetJobAttribute(&manager, 1, kJobAttributeKnown, &lastAdded);
    if (lastAdded == m_lastAddedId)
        return;
    std::vector<int> ids;
    (void)m_manager.GetJobIds(m_lastAddedId, ids);

    // Jobs the manager adds after lastAdded was read are listed too; the
    // stored id moves past the newest one taken, so that the next refresh
    // starts after it instead of adding those jobs a second time.
    uint32_t newest = static_cast<uint32_t>(lastAdded);
    m_list->SetRedraw(false);
    for (int id : ids)
    {
        newest = std::max(newest, static_cast<uint32_t>(id));
        if (m_rowMap.count(id) != 0)
            continue;
        CLinkItem properties;
        CJobStatus status;
        if (m_manager.GetJobPropertiesAndStatus(id, properties, status) != 0)
            continue;
        m_operations[id] = properties.GetOperation();
        const int row = m_list->InsertItem(m_list->GetItemCount(), properties.GetUrlText(true, false));
        SetItemFromJob(row, status, &properties);
        m_list->SetItemData(row, static_cast<DWORD_PTR>(id));
        m_rowMap[id] = row;
    }
    m_list->SetRedraw(true);
    m_list->update();
    m_lastAddedId = static_cast<int>(newest);
    ScheduleUpdate(kPosterPeriodMs);
}

void CTransferQueueView::PruneItems()
{
    if (!m_list || m_list->GetItemCount() == 0)
        return;
    int manager = kTransferManagerId;
    int lastRemoved = 0;
    m_manager.GetJobAttribute(&manager, 1, kJobAttributeLogId, &lastRemoved);
    if (lastRemoved == m_lastRemovedId)
        return;
    m_lastRemovedId = lastRemoved;

    const std::vector<int> ids = RowJobIds(false);
    std::vector<int> known(ids.size(), 0);
    m_manager.GetJobAttribute(ids.data(), static_cast<int>(ids.size()), kJobAttributeKnown, known.data());
    m_list->SetRedraw(false);
    for (size_t row = ids.size(); row-- > 0;)
    {
        if (known[row] != 0)
            continue;
        m_list->DeleteItem(static_cast<int>(row));
        m_operations.erase(ids[row]);
    }
    RebuildRowMap();
    m_list->SetRedraw(true);
    m_list->update();
    ScheduleUpdate(kPosterPeriodMs);
}

void CTransferQueueView::RebuildRowMap()
{
    m_rowMap.clear();
    for (int row = 0; row < m_list->GetItemCount(); ++row)
        m_rowMap[static_cast<int>(m_list->GetItemData(row))] = row;
}

void CTransferQueueView::ReleaseVisibleJobs()
{
    if (m_visibleIds.empty())
        return;
    (void)m_manager.SetJobsGroup(m_visibleIds, 0);
    m_visibleIds.clear();
}

void CTransferQueueView::ScheduleUpdate(int delayMs)
{
    if (m_busy != 0)
        return;
    const CBusy busy(m_busy);
    if (delayMs >= 1 && delayMs <= 9)
    {
        PostToSelf(WM_CONTINUE_FILL, 1);
        return;
    }
    if (delayMs >= 10)
    {
        if (!m_posterId)
            m_posterId = AddPeriodicPost(CWidgetWindow::Attach(this), WM_CONTINUE_FILL, 0, 0, kPosterPeriodMs);
        if (m_posterId)
            return;
        // No poster thread: the update runs now.
    }
    if (m_posterId)
        RemovePeriodicPost(std::exchange(m_posterId, 0));
    ReleaseVisibleJobs();
    if (!m_list || m_list->GetItemCount() == 0)
        return;
    const int top = m_list->GetTopIndex();
    const int last = std::min(top + m_list->GetCountPerPage() + 1, m_list->GetItemCount() - 1);
    for (int row = top; row <= last; ++row)
        m_visibleIds.push_back(static_cast<int>(m_list->GetItemData(row)));
    if (!m_visibleIds.empty())
        (void)m_manager.SetJobsGroup(m_visibleIds, -1);
    UpdateItem();
}

void CTransferQueueView::UpdateItem()
{
    if (!m_list || m_list->GetItemCount() == 0)
        return;
    std::vector<int> ids;
    (void)m_manager.GetGroupIds(ids, m_stampKey);
    for (int id : ids)
    {
        CJobStatus status;
        if (m_manager.GetJobStatus(id, status) != 0)
            continue;
        const int row = FindRow(id);
        if (row >= 0)
            SetItemFromJob(row, status, nullptr);
    }
}

void CTransferQueueView::SetItemFromJob(int row, const CJobStatus& status, const CLinkItem* properties)
{
    const int jobId = static_cast<int>(m_list->GetItemData(row));
    const auto operation = m_operations.find(jobId);
    const int kind = properties ? properties->GetOperation() : (operation != m_operations.end() ? operation->second : 0);
    std::string statusText;
    const int icon = LinkStatusText(status.m_state, status.m_result, kind, &statusText);
    m_list->SetItemImage(row, icon);
    if (properties)
        m_list->SetItemText(row, 1, CProtocolClient::GetLocalFilePath(*properties));
    // Bytes done over the total: a download fills its local file up to the
    // remote size; an upload sends its local file.
    const bool upload = kind == LI_OP_UPLOAD;
    const int64_t done = upload ? status.m_remoteBytes : status.m_localBytes;
    const int64_t total = upload ? status.m_localBytes : status.m_remoteBytes;
    m_list->SetItemText(row, 3, FormatSizeWithBytes(total, 0, ""));
    m_list->SetItemText(row, 2, FormatSizeWithBytes(done, 0, ""));
    m_list->SetItemText(row, 7, FormatSpeed(status.m_rate, ""));
    m_list->SetItemText(row, 5, FormatDuration(status.m_elapsedSeconds, ""));
    m_list->SetItemText(row, 6, FormatDuration(status.m_remainingSeconds, ""));
    m_list->SetItemText(row, 4, done < 0 ? std::string() : FormatPercent(done, total, ""));
    m_list->SetItemText(row, 8, statusText);
}

std::vector<int> CTransferQueueView::ResumableJobIds(bool selectedOnly) const
{
    std::vector<int> ids;
    if (!m_list)
        return ids;
    const auto take = [&](int row) {
        if (IsResumableIcon(m_list->GetItemImage(row)))
            ids.push_back(static_cast<int>(m_list->GetItemData(row)));
    };
    if (selectedOnly)
    {
        for (int row = m_list->GetNextItem(-1, LVNI_SELECTED); row >= 0; row = m_list->GetNextItem(row, LVNI_SELECTED))
            take(row);
    }
    else
    {
        for (int row = 0; row < m_list->GetItemCount(); ++row)
            take(row);
    }
    return ids;
}

void CTransferQueueView::OnResumeSelected()
{
    const std::vector<int> ids = ResumableJobIds(true);
    if (!ids.empty())
        (void)m_manager.StartJobs(ids.data(), static_cast<int>(ids.size()), nullptr);
}

void CTransferQueueView::OnResumeAll()
{
    const std::vector<int> ids = ResumableJobIds(false);
    if (!ids.empty())
        (void)m_manager.StartJobs(ids.data(), static_cast<int>(ids.size()), nullptr);
}

void CTransferQueueView::OnStopSelected()
{
    const std::vector<int> ids = RowJobIds(true);
    if (!ids.empty())
        (void)m_manager.StopJobs(ids.data(), static_cast<int>(ids.size()), nullptr);
}

void CTransferQueueView::OnStopAll()
{
    const std::vector<int> ids = RowJobIds(false);
    if (!ids.empty())
        (void)m_manager.StopJobs(ids.data(), static_cast<int>(ids.size()), nullptr);
}

void CTransferQueueView::OnShowLog()
{
    if (!m_list)
        return;
    const bool singleWindow = GetIntOr(m_settings, SETTING_MISC_SINGLE_LOG_WINDOW) != 0;
    std::vector<int> rows;
    for (int row = m_list->GetNextItem(-1, LVNI_SELECTED); row >= 0; row = m_list->GetNextItem(row, LVNI_SELECTED))
        rows.push_back(row);
    if (rows.empty())
        return;
    std::vector<int> jobIds;
    for (int row : rows)
        jobIds.push_back(static_cast<int>(m_list->GetItemData(row)));
    std::vector<int> logIds(jobIds.size(), 0);
    m_manager.GetJobAttribute(jobIds.data(), static_cast<int>(jobIds.size()), kJobAttributeLogId, logIds.data());
    (void)ShowRowLogs(logIds, singleWindow, [&](size_t index, int logId) {
        // The log window is titled with the job's URL.
        if (ITransferLog* log = m_logs.GetLog(logId))
        {
            log->SetName(m_list->GetItemText(rows[index], 0));
            log->Release();
        }
        if (m_openLog)
            m_openLog(logId);
    });
}

void CTransferQueueView::OnContextMenu(QPoint globalPoint)
{
    if (globalPoint == QPoint(-1, -1))
        globalPoint = mapToGlobal(QPoint(5, 5));
    const MenuDesc* resource = FindMenu(IDR_QUEUE);
    if (!resource)
        return;
    if (!m_menuActions)
        m_menuActions = new CCommandActions(this, *this);
    QMenu menu(window());
    m_menuActions->BuildMenu(&menu, resource->m_items);
    QMenu* items = FindMenuItemByText(&menu, "item");
    if (!items)
        return;
    m_menuActions->UpdateActions(items->actions());
    items->setDefaultAction(m_menuActions->Action(ID_INFO_LOG));
    TrackMenu(items, globalPoint);
}

void CTransferQueueView::TrackMenu(QMenu* menu, QPoint globalPoint)
{
    menu->exec(globalPoint);
}

void CTransferQueueView::Layout(uintptr_t mode)
{
    // The list fills the view through its layout; what is left is the width
    // of column 0 and the update of the rows now on screen.
    if (!m_list)
        return;
    const bool control = (QApplication::keyboardModifiers() & Qt::ControlModifier) != 0;
    if (control || mode == kLayoutFirst)
        AutoSizeListColumn(m_list->ReportView()->header(), 0, 100);
    if (mode == kLayoutFirst)
        return;
    ScheduleUpdate(kScrollDelayMs);
}

bool CTransferQueueView::event(QEvent* event)
{
    if (event->type() == CPostedMessageEvent::EventType())
    {
        const WindowMessage& message = static_cast<CPostedMessageEvent*>(event)->Message();
        if (message.m_message == WM_CONTINUE_FILL)
        {
            // One update serves every tick that is still queued.
            CWidgetWindow::RemovePendingMessages(message.m_window, WM_CONTINUE_FILL);
            ScheduleUpdate(0);
            return true;
        }
        if (message.m_message == WM_VIEW_DEFERRED)
        {
            Layout(static_cast<uintptr_t>(message.m_wParam));
            return true;
        }
    }
    return CView::event(event);
}

void CTransferQueueView::resizeEvent(QResizeEvent* event)
{
    CView::resizeEvent(event);
    // The first size is the window's creation; later ones re-lay it out.
    if (++m_sizeCount >= 2)
        PostToSelf(WM_VIEW_DEFERRED, kLayoutAfterSize);
}

void CTransferQueueView::focusInEvent(QFocusEvent* event)
{
    CView::focusInEvent(event);
    if (m_list)
        m_list->RowsWidget()->setFocus();
}

bool CTransferQueueView::eventFilter(QObject* watched, QEvent* event)
{
    if (m_list && watched == m_list->ReportView()->viewport() && event->type() == QEvent::Wheel)
        ScheduleUpdate(kScrollDelayMs);
    if (m_list && watched == m_list->ReportView())
    {
        if (event->type() == QEvent::KeyPress)
        {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            {
                OnShowLog();
                return true;
            }
            if (IsNavigationKey(key->key()))
                ScheduleUpdate(kScrollDelayMs);
        }
    }
    return CView::eventFilter(watched, event);
}
