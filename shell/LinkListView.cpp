#include "shell/LinkListView.h"

#include "checker/LinkNode.h"
#include "checker/LinkTreeItem.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "res/Resources.h"
#include "foundation/desktop/InitInstanceBroadcast.h"
#include "platform/ui/ViewMessages.h"
#include "platform/ui/WidgetWindow.h"
#include "shell/LinkItemCommands.h"
#include "shell/LinkTreeView.h"
#include "shell/LinkViewFrame.h"
#include "shell/ThumbnailWorker.h"
#include "widgets/ListColumns.h"
#include "platform/ui/ImageList.h"
#include "platform/ui/MaskColor.h"
#include "widgets/OwnerDrawListCtrl.h"

#include <QApplication>
#include <QHeaderView>
#include <QListView>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QPainter>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <unordered_set>

namespace
{
CLinkInfo* InfoOf(DWORD_PTR data)
{
    return reinterpret_cast<CLinkInfo*>(data);
}

// The link icons, shared by every list (the tree uses the small ones too).
CImageList& LinkIcons(int size)
{
    static CImageList s_small(16, 16);
    static CImageList s_large(32, 32);
    CImageList& icons = size == 32 ? s_large : s_small;
    if (icons.IsEmpty())
        (void)icons.AddStrip(LoadBitmapResource(size == 32 ? IDB_LINKS_LARGE : IDB_LINKS_SMALL));
    return icons;
}

// The header arrow with its magenta background in the header's own colour.
QImage SortArrow(bool ascending)
{
    return ReplaceMaskColor(LoadBitmapResource(ascending ? IDB_SORT_ASCENDING : IDB_SORT_DESCENDING),
                            QApplication::palette().color(QPalette::Button).rgb());
}

// Row colours in the icon, small-icon, list and thumbnail modes: the row's
// background under its icon and label (details paint through the owner-draw
// callback instead).
class CRowColourDelegate : public QStyledItemDelegate
{
public:
    CRowColourDelegate(const CLinkListView& view, QObject* parent) : QStyledItemDelegate(parent), m_view(view) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (const std::optional<QColor> colour = m_view.RowPaintBackground(index.row()))
            option->backgroundBrush = *colour;
    }

private:
    const CLinkListView& m_view;
};

} // namespace

CLinkListView::CLinkListView(CLinkTreeView& tree, IPropertySet& settings, QWidget* parent)
    : CView(parent), m_tree(tree), m_treeAlive(&tree), m_settings(settings)
{
    m_fillTimer = new QTimer(this);
    m_fillTimer->setSingleShot(true);
    connect(m_fillTimer, &QTimer::timeout, this, [this] { FillNow(false); });
    AddCommands();
}

CLinkListView::~CLinkListView()
{
    // The tree may go first (the splitter deletes its panes in order); when
    // it stays it must not call a list that is gone.
    if (m_treeAlive)
        m_tree.SetListPane(nullptr);
    // The link view frame may stay a moment longer (a closing task window
    // deletes the list pane first).
    DetachLinkViewFrame();
    if (m_thumbnailWorker)
        m_thumbnailWorker->Stop();
    m_thumbnailWorker.reset();
    if (m_list)
    {
        SaveListColumns(m_settings, m_list->ReportView()->header(), SETTING_LAYOUT_LINK_LIST_COLUMNS);
        // The rows own their copies; free them before the list goes.
        m_list->DeleteAllItems();
    }
}

void CLinkListView::OnInitialUpdate()
{
    if (!m_list)
        CreateList();
    CView::OnInitialUpdate();
}

void CLinkListView::CreateList()
{
    if (m_list)
        return;
    m_list = new COwnerDrawListCtrl(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);

    const auto& columns = LinkListColumns();
    for (int i = 0; i < kLinkListColumnCount; ++i)
    {
        const char* title = LoadResourceString(static_cast<UINT>(columns[i].m_titleId));
        (void)m_list->InsertColumn(i, title ? title : "", columns[i].m_alignRight ? LVCFMT_RIGHT : LVCFMT_LEFT,
                                   columns[i].m_width);
    }
    if (RestoreListColumns(m_settings, m_list->ReportView()->header(), SETTING_LAYOUT_LINK_LIST_COLUMNS) == 0)
        PostToSelf(WM_VIEW_DEFERRED, kLayoutAutoSize);

    connect(m_list, &CListCtrl::itemDeleting, this, [](int, DWORD_PTR data) { delete InfoOf(data); });
    connect(m_list, &CListCtrl::columnClicked, this, [this](int column) { OnColumnClick(column); });
    connect(m_list, &CListCtrl::keyPressed, this, [this](int key, Qt::KeyboardModifiers modifiers) {
        OnListKey(key, modifiers);
    });
    connect(m_list, &CListCtrl::itemActivated, this, [this](int) {
        if (!m_enterKeyActive)
            (void)OpenSelected();
    });
    connect(m_list, &CListCtrl::itemChanged, this, [this](int, UINT oldState, UINT newState) {
        if (oldState != newState)
            FillList(kDeferredFillMs, false);
    });
    connect(m_list, &CListCtrl::contextMenuRequested, this, [this](int, const QPoint& at) {
        TrackLinkItemMenu(*this, ContextDefaultCommand(), at);
    });
    m_list->m_drawCallback = [this](COwnerDrawListCtrl&, int row, int, QPainter& painter, const QRect& cell, UINT,
                                    const ListColumn&) {
        if (const std::optional<QColor> colour = RowPaintBackground(row))
            painter.fillRect(cell, *colour);
        return false;
    };
    // Scrolling (bar, wheel or keys) shows other rows: refresh them once it
    // settles.
    auto* icons = m_list->findChild<QListView*>();
    for (QAbstractScrollArea* rows : std::initializer_list<QAbstractScrollArea*>{m_list->ReportView(), icons})
        if (rows)
            connect(rows->verticalScrollBar(), &QScrollBar::valueChanged, this,
                    [this](int) { FillList(kDeferredFillMs, false); });
    if (icons)
        icons->setItemDelegate(new CRowColourDelegate(*this, icons));

    m_tree.SetListPane(this);
    // In a task window the info pane is the link view frame beside the list.
    if (!m_linkViewFrame)
        if (CLinkViewFrame* frame = GetLinkViewFrame())
            SetLinkViewFrame(frame);
    SetViewMode(kLinkListDefaultMode);
}

void CLinkListView::SetViewMode(int mode)
{
    if (mode < 0 || mode > 4)
        mode = kLinkListDefaultMode;
    m_viewMode = mode;
    if (!m_list)
        return;
    const LinkListModeRule rule = LinkListModeFor(mode);
    const bool wasThumbnails = m_thumbnails != nullptr;
    if (rule.m_thumbnails)
    {
        // Every row shows the same placeholder until thumbnails are made.
        const int width = std::max(1, GetIntOr(m_settings, SETTING_LAYOUT_THUMBNAIL_WIDTH, 80));
        const int height = std::max(1, GetIntOr(m_settings, SETTING_LAYOUT_THUMBNAIL_HEIGHT, 60));
        m_thumbnails = std::make_unique<CImageList>(width, height);
        const QPalette palette = QApplication::palette();
        for (const QColor& fill : {QColor(230, 240, 240), palette.color(QPalette::Highlight),
                                   palette.color(QPalette::Mid)})
        {
            QImage plain(width, height, QImage::Format_ARGB32);
            plain.fill(fill);
            (void)m_thumbnails->Add(plain);
        }
        m_list->SetImageList(m_thumbnails.get(), LVSIL_NORMAL);
        if (m_thumbnailWorker)
            m_thumbnailWorker->Stop();
        m_thumbnailWorker = std::make_unique<CThumbnailWorker>();
    }
    else
    {
        m_list->SetImageList(&LinkIcons(rule.m_iconSize), rule.m_iconSize == 32 ? LVSIL_NORMAL : LVSIL_SMALL);
        if (rule.m_iconSize == 32)
            m_list->SetImageList(&LinkIcons(16), LVSIL_SMALL);
        if (m_thumbnailWorker)
            m_thumbnailWorker->Stop();
        m_thumbnailWorker.reset();
    }
    m_list->SetView(rule.m_style);
    // The focus given to the view goes to the rows of the mode.
    setFocusProxy(m_list->RowsWidget());
    ShowSortArrow();
    if (rule.m_thumbnails || wasThumbnails)
    {
        if (!rule.m_thumbnails)
            m_thumbnails.reset();
        FillNow(true);
    }
}

void CLinkListView::CollectThumbnailUrl(const CLinkInfo& info)
{
    if (m_thumbnailWorker && !info.m_url.empty())
        (void)m_thumbnailWorker->AddUrl(info.m_url);
}

std::optional<QColor> CLinkListView::RowPaintBackground(int row) const
{
    if (!m_list || row < 0 || row >= m_list->GetItemCount())
        return std::nullopt;
    const UINT state = m_list->GetItemState(row, LVIS_SELECTED | LVIS_DROPHILITED);
    const COwnerDrawListCtrl::RowLook look = COwnerDrawListCtrl::ChooseRowLook(
        state, m_list->RowsWidget()->hasFocus(), (m_list->GetStyle() & LVS_SHOWSELALWAYS) != 0);
    if (look.m_lookSelected)
        return std::nullopt;
    return RowBackground(row);
}

std::optional<QColor> CLinkListView::RowBackground(int row) const
{
    const CLinkInfo* info = RowInfo(row);
    if (!info || GetIntOr(m_settings, SETTING_COLORS_ENABLE_LINK_LIST_COLORING, 1) == 0)
        return std::nullopt;
    return LinkRowBackground(*info);
}

const CLinkInfo* CLinkListView::RowInfo(int row) const
{
    if (!m_list || row < 0 || row >= m_list->GetItemCount())
        return nullptr;
    return InfoOf(m_list->GetItemData(row));
}

void CLinkListView::FillList(int delayMs, bool rebuild)
{
    if (m_fillReentry > 0)
        return;
    if (delayMs > 0)
    {
        // Each request restarts the wait, so a burst fills once.
        m_fillTimer->start(delayMs < 10 ? 0 : delayMs);
        return;
    }
    FillNow(rebuild);
}

void CLinkListView::FillNow(bool rebuild)
{
    if (!m_list || m_fillReentry > 0)
        return;
    // A fill may select rows, which asks for a fill: that one is dropped.
    const QScopedValueRollback<int> reentry(m_fillReentry, m_fillReentry + 1);
    m_fillTimer->stop();

    const int selected = m_tree.GetSelectedLinkId();
    const CLinkViewFilter filter = LinkListFilter(m_tree.GetViewFilter());
    if (!rebuild)
        rebuild = selected != m_parentId || !(filter == m_filter);
    m_parentId = selected;
    m_filter = filter;

    if (selected == 0)
    {
        m_parent = CLinkInfo();
        m_list->DeleteAllItems();
        ShowSelectionInfo();
        return;
    }
    if (m_parent.m_linkId != selected)
    {
        m_parent = CLinkInfo();
        m_parent.m_linkId = selected;
    }
    const int changed = m_tree.GetEngine().QueryLinkInfo(m_parent);
    if (rebuild)
        Rebuild();
    else if ((changed & CLinkNode::kCopiedChildren) != 0 ||
             (m_listDescendants && (changed & CLinkNode::kCopiedDescendants) != 0))
        Merge();
    else
        RefreshVisible();
    ShowSelectionInfo();
}

void CLinkListView::Rebuild()
{
    m_list->SetRedraw(false);
    m_list->DeleteAllItems();
    CLinkTreeItemArray items;
    m_tree.GetEngine().RefreshLinkTree(m_parentId, &items, nullptr, m_listDescendants, &m_filter);
    for (CLinkTreeItem& item : items)
        if (item.m_info)
            (void)AppendRow(std::move(item.m_info), item.m_icon);
    Sort();
    m_list->SetRedraw(true);
    if (m_list->GetItemCount() > 0)
        (void)m_list->SetItemState(0, LVIS_FOCUSED, LVIS_FOCUSED);
}

void CLinkListView::Merge()
{
    const bool wasEmpty = m_list->GetItemCount() == 0;
    m_list->SetRedraw(false);
    CLinkTreeItemMap found;
    m_tree.GetEngine().RefreshLinkTree(m_parentId, nullptr, &found, m_listDescendants, &m_filter);
    bool structural = false;
    for (int row = m_list->GetItemCount() - 1; row >= 0; --row)
    {
        const CLinkInfo* old = RowInfo(row);
        const auto it = old ? found.find(old->m_linkId) : found.end();
        if (it == found.end() || !it->second.m_info)
        {
            (void)m_list->DeleteItem(row);
            structural = true;
            continue;
        }
        CLinkInfo* fresh = it->second.m_info.release();
        delete InfoOf(m_list->GetItemData(row));
        (void)m_list->SetItemData(row, reinterpret_cast<DWORD_PTR>(fresh));
        (void)m_list->SetItemImage(row, m_thumbnails ? 0 : it->second.m_icon);
        SetRowTexts(row, *fresh);
        found.erase(it);
    }
    for (auto& [id, item] : found)
        if (item.m_info)
        {
            (void)AppendRow(std::move(item.m_info), item.m_icon);
            structural = true;
        }
    if (structural)
        Sort();
    m_list->SetRedraw(true);
    if (wasEmpty && m_list->GetItemCount() > 0)
        (void)m_list->SetItemState(0, LVIS_FOCUSED, LVIS_FOCUSED);
}

void CLinkListView::RefreshVisible()
{
    const int count = m_list->GetItemCount();
    const int top = std::max(0, m_list->GetTopIndex());
    const int end = std::min(count, top + m_list->GetCountPerPage() + 1);
    for (int row = top; row < end; ++row)
    {
        CLinkInfo* info = InfoOf(m_list->GetItemData(row));
        if (info && (m_tree.GetEngine().QueryLinkInfo(*info) & CLinkNode::kCopiedContent) != 0)
            SetRowTexts(row, *info);
    }
    m_list->SetRedraw(true);
}

int CLinkListView::AppendRow(std::unique_ptr<CLinkInfo> info, int icon)
{
    const int row = m_list->InsertItem(m_list->GetItemCount(), info->m_name,
                                       m_thumbnails ? 0 : icon);
    CLinkInfo* owned = info.release();
    (void)m_list->SetItemData(row, reinterpret_cast<DWORD_PTR>(owned));
    SetRowTexts(row, *owned);
    CollectThumbnailUrl(*owned);
    return row;
}

void CLinkListView::SetRowTexts(int row, const CLinkInfo& info)
{
    for (int column = 0; column < kLinkListColumnCount; ++column)
        (void)m_list->SetItemText(row, column, LinkListCellText(info, column));
}

void CLinkListView::Sort()
{
    const int column = m_sortColumn;
    const int direction = m_sortDirection;
    m_list->SortItems([column, direction](DWORD_PTR a, DWORD_PTR b) {
        return CompareLinks(*InfoOf(a), *InfoOf(b), column) * direction;
    });
}

void CLinkListView::ShowSortArrow()
{
    if (!m_list)
        return;
    if (LinkListModeFor(m_viewMode).m_sortArrow)
        SetHeaderSortBitmap(*m_list, m_sortColumn, SortArrow(m_sortDirection > 0));
    else
        SetHeaderSortBitmap(*m_list, -1, QImage());
}

void CLinkListView::OnColumnClick(int column)
{
    if (column < 0 || column >= kLinkListColumnCount)
        return;
    if (column == m_sortColumn)
        m_sortDirection = -m_sortDirection;
    else
        m_sortColumn = column;
    ShowSortArrow();
    FillNow(true);
}

void CLinkListView::SetListingDescendants(bool on)
{
    m_listDescendants = on;
    m_parentId = 0;
    FillNow(true);
}

std::vector<int> CLinkListView::SelectedRows() const
{
    std::vector<int> rows;
    if (!m_list)
        return rows;
    for (int row = m_list->GetNextItem(-1, LVNI_SELECTED); row >= 0; row = m_list->GetNextItem(row, LVNI_SELECTED))
        rows.push_back(row);
    return rows;
}

const CLinkInfo* CLinkListView::GetSingleSelection() const
{
    const std::vector<int> rows = SelectedRows();
    return rows.size() == 1 ? RowInfo(rows.front()) : nullptr;
}

bool CLinkListView::GetSingleSelectedUrl(std::string& url) const
{
    const CLinkInfo* info = GetSingleSelection();
    url = info ? info->m_url : std::string();
    return info != nullptr;
}

bool CLinkListView::CanCopy() const
{
    if (m_locked)
        return true;
    const std::vector<int> rows = SelectedRows();
    if (rows.empty())
        return m_tree.GetSelectedLinkId() != 0;
    return rows.size() == 1 && RowInfo(rows.front()) != nullptr;
}

std::string CLinkListView::SelectedUrls() const
{
    std::string text;
    for (const int row : SelectedRows())
        if (const CLinkInfo* info = RowInfo(row))
        {
            if (!text.empty())
                text += "\r\n";
            text += info->m_url;
        }
    return text;
}

void CLinkListView::SetInfoMode(int mode)
{
    m_infoMode = mode;
    if (CLinkViewFrame* frame = GetLinkViewFrame())
        frame->ShowPageForKind();
    FillNow(false);
}

void CLinkListView::SetLocked(bool locked)
{
    m_locked = locked;
    if (CLinkViewFrame* frame = GetLinkViewFrame())
        frame->SetLockCheck(locked);
    if (!locked)
        FillNow(false);
}

// ---- Messages -------------------------------------------------------------------

void CLinkListView::PostToSelf(uint32_t message, uintptr_t wParam)
{
    (void)PostMessage(CWidgetWindow::Attach(this), message, static_cast<WPARAM>(wParam), 0);
}

void CLinkListView::Layout(uintptr_t mode)
{
    // The list fills the view through its layout; what is left is the width
    // of column 0 and the rows now on screen.
    if (!m_list)
        return;
    const bool control = (QApplication::keyboardModifiers() & Qt::ControlModifier) != 0;
    if (control || mode == kLayoutAutoSize)
        AutoSizeListColumn(m_list->ReportView()->header(), 0, 180);
    if (mode == kLayoutAfterSize)
        FillList(kDeferredFillMs, false);
    if (auto* icons = qobject_cast<QListView*>(m_list->RowsWidget()))
        icons->doItemsLayout();
}

bool CLinkListView::event(QEvent* event)
{
    if (event->type() == CPostedMessageEvent::EventType())
    {
        const WindowMessage& message = static_cast<CPostedMessageEvent*>(event)->Message();
        if (message.m_message == WM_VIEW_DEFERRED)
        {
            Layout(static_cast<uintptr_t>(message.m_wParam));
            return true;
        }
        if (message.m_message == kSettingsChangedMessage)
        {
            // The row colours may have been switched on or off.
            if (m_list)
                m_list->RowsWidget()->update();
            if (auto* rows = m_list ? qobject_cast<QAbstractScrollArea*>(m_list->RowsWidget()) : nullptr)
                rows->viewport()->update();
            return true;
        }
    }
    return CView::event(event);
}

void CLinkListView::resizeEvent(QResizeEvent* event)
{
    CView::resizeEvent(event);
    // The first size is the window's creation; later ones re-lay it out.
    if (++m_sizeCount >= 2)
        PostToSelf(WM_VIEW_DEFERRED, kLayoutAfterSize);
}

