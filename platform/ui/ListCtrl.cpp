#include "platform/ui/ListCtrl.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QIcon>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QListView>
#include <QPixmap>
#include <QScrollBar>
#include <QStackedLayout>
#include <QTreeView>

#include <algorithm>
#include <numeric>

// The rows and columns behind both views.
class CListModel : public QAbstractTableModel
{
public:
    struct Row
    {
        std::vector<std::string> m_texts;
        int m_image = -1;
        UINT m_state = 0; // the kept bits only; selection and focus live in the views
        DWORD_PTR m_data = 0;
    };

    explicit CListModel(CListCtrl& owner) : m_owner(owner) {}

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : std::max(1, static_cast<int>(m_columns.size()));
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || static_cast<size_t>(index.row()) >= m_rows.size())
            return {};
        const Row& row = m_rows[static_cast<size_t>(index.row())];
        switch (role)
        {
        case Qt::DisplayRole:
            return static_cast<size_t>(index.column()) < row.m_texts.size()
                       ? QString::fromStdString(row.m_texts[static_cast<size_t>(index.column())])
                       : QString();
        case Qt::DecorationRole: {
            if (index.column() != 0)
                return {};
            // A row without an image of its own shows its state image (state
            // image n is image n - 1 of the state list; 0 is none).
            const UINT stateImage = (row.m_state & LVIS_STATEIMAGEMASK) >> 12;
            CImageList* states = m_owner.GetImageList(LVSIL_STATE);
            if (row.m_image < 0 && stateImage > 0 && states && m_owner.GetView() == LVS_REPORT)
                return QVariant(states->GetIcon(static_cast<int>(stateImage) - 1));
            if (row.m_image < 0)
                return {};
            CImageList* images = m_owner.GetImageList(m_owner.GetView() == LVS_ICON ? LVSIL_NORMAL : LVSIL_SMALL);
            return images ? QVariant(images->GetIcon(row.m_image)) : QVariant();
        }
        case Qt::TextAlignmentRole:
            return Alignment(index.column());
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || section < 0 || static_cast<size_t>(section) >= m_columns.size())
            return {};
        if (role == Qt::DisplayRole)
            return QString::fromStdString(m_columns[static_cast<size_t>(section)].m_text);
        if (role == Qt::TextAlignmentRole)
            return Alignment(section);
        if (role == Qt::DecorationRole && !m_columns[static_cast<size_t>(section)].m_headerImage.isNull())
            return QPixmap::fromImage(m_columns[static_cast<size_t>(section)].m_headerImage);
        return {};
    }

    QVariant Alignment(int column) const
    {
        const int format = static_cast<size_t>(column) < m_columns.size() ? m_columns[static_cast<size_t>(column)].m_format : 0;
        const Qt::Alignment horizontal = format == LVCFMT_RIGHT    ? Qt::AlignRight
                                         : format == LVCFMT_CENTER ? Qt::AlignHCenter
                                                                   : Qt::AlignLeft;
        return QVariant::fromValue(horizontal | Qt::AlignVCenter);
    }

    void RowChanged(int row)
    {
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    }

    CListCtrl& m_owner;
    std::vector<Row> m_rows;
    std::vector<ListColumn> m_columns;

    friend class CListCtrl;
};

// The report-mode view; rows are painted through the control.
class CListReportView : public QTreeView
{
public:
    explicit CListReportView(CListCtrl& owner) : m_owner(owner)
    {
        setRootIsDecorated(false);
        setItemsExpandable(false);
        setUniformRowHeights(true);
        setAllColumnsShowFocus(true);
        setSelectionBehavior(QAbstractItemView::SelectRows);
        header()->setSectionsMovable(false);
        header()->setStretchLastSection(false);
        header()->setSectionsClickable(true);
    }

    void DefaultDrawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
    {
        QTreeView::drawRow(painter, option, index);
    }

protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        m_owner.DrawRow(*painter, option, index.row());
    }

private:
    CListCtrl& m_owner;
};

CListCtrl::CListCtrl(QWidget* parent)
    : QWidget(parent),
      m_model(new CListModel(*this)),
      m_selection(new QItemSelectionModel(m_model, this)),
      m_report(new CListReportView(*this)),
      m_iconView(new QListView),
      m_stack(new QStackedLayout(this))
{
    m_model->setParent(this);
    m_stack->setContentsMargins(0, 0, 0, 0);
    m_stack->addWidget(m_report);
    m_stack->addWidget(m_iconView);
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(m_report), static_cast<QAbstractItemView*>(m_iconView)})
    {
        view->setModel(m_model);
        view->setSelectionModel(m_selection);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->installEventFilter(this);
        connect(view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
            emit itemActivated(index.row());
        });
        connect(view, &QAbstractItemView::activated, this, [this, view](const QModelIndex& index) {
            // Enter; double clicks are reported above.
            if (!view->underMouse())
                emit itemActivated(index.row());
        });
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& at) {
            emit contextMenuRequested(view->indexAt(at).row(), view->viewport()->mapToGlobal(at));
        });
    }
    connect(m_report->header(), &QHeaderView::sectionClicked, this, &CListCtrl::columnClicked);
    connect(m_selection, &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                for (const QItemSelectionRange& range : deselected)
                {
                    for (int row = range.top(); row <= range.bottom(); ++row)
                    {
                        const UINT now = GetItemState(row, ~0u);
                        emit itemChanged(row, now | LVIS_SELECTED, now);
                    }
                }
                for (const QItemSelectionRange& range : selected)
                {
                    for (int row = range.top(); row <= range.bottom(); ++row)
                    {
                        const UINT now = GetItemState(row, ~0u);
                        emit itemChanged(row, now & ~LVIS_SELECTED, now);
                    }
                }
            });
    connect(m_selection, &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex& previous) {
                if (previous.isValid())
                {
                    const UINT now = GetItemState(previous.row(), ~0u);
                    emit itemChanged(previous.row(), now | LVIS_FOCUSED, now);
                }
                if (current.isValid())
                {
                    const UINT now = GetItemState(current.row(), ~0u);
                    emit itemChanged(current.row(), now & ~LVIS_FOCUSED, now);
                }
            });
    ApplyStyle();
}

CListCtrl::~CListCtrl()
{
    // The views go while the control is still whole: they ask the model,
    // which asks the control, as they are taken down.
    m_selection->disconnect(this);
    delete m_report;
    delete m_iconView;
}

void CListCtrl::ModifyStyle(UINT remove, UINT add)
{
    m_style = (m_style & ~remove) | add;
    ApplyStyle();
}

void CListCtrl::ApplyStyle()
{
    const auto mode = (m_style & LVS_SINGLESEL) ? QAbstractItemView::SingleSelection
                                                : QAbstractItemView::ExtendedSelection;
    m_report->setSelectionMode(mode);
    m_iconView->setSelectionMode(mode);
    switch (GetView())
    {
    case LVS_REPORT: m_stack->setCurrentWidget(m_report); return;
    case LVS_ICON:
        m_iconView->setViewMode(QListView::IconMode);
        m_iconView->setIconSize(m_images[LVSIL_NORMAL] ? m_images[LVSIL_NORMAL]->GetIconSize() : QSize(32, 32));
        break;
    case LVS_SMALLICON:
        m_iconView->setViewMode(QListView::ListMode);
        m_iconView->setFlow(QListView::LeftToRight);
        m_iconView->setWrapping(true);
        m_iconView->setIconSize(QSize(16, 16));
        break;
    default:
        m_iconView->setViewMode(QListView::ListMode);
        m_iconView->setFlow(QListView::TopToBottom);
        m_iconView->setWrapping(true);
        m_iconView->setIconSize(QSize(16, 16));
        break;
    }
    m_iconView->setMovement(QListView::Static);
    m_iconView->setResizeMode(QListView::Adjust);
    m_stack->setCurrentWidget(m_iconView);
    m_iconView->doItemsLayout();
}

int CListCtrl::InsertColumn(int column, const std::string& text, int format, int width)
{
    const int count = static_cast<int>(m_model->m_columns.size());
    column = std::clamp(column, 0, count);
    // The model always shows one column; the first real one replaces it.
    if (count == 0)
    {
        m_model->m_columns.push_back(ListColumn{text, format, width, QImage()});
        emit m_model->headerDataChanged(Qt::Horizontal, 0, 0);
    }
    else
    {
        m_model->beginInsertColumns({}, column, column);
        m_model->m_columns.insert(m_model->m_columns.begin() + column, ListColumn{text, format, width, QImage()});
        for (auto& row : m_model->m_rows)
        {
            if (static_cast<size_t>(column) < row.m_texts.size())
                row.m_texts.insert(row.m_texts.begin() + column, std::string());
        }
        m_model->endInsertColumns();
    }
    m_report->header()->resizeSection(column, width);
    return column;
}

bool CListCtrl::DeleteColumn(int column)
{
    if (column < 0 || static_cast<size_t>(column) >= m_model->m_columns.size())
        return false;
    const bool last = m_model->m_columns.size() == 1;
    if (!last)
        m_model->beginRemoveColumns({}, column, column);
    m_model->m_columns.erase(m_model->m_columns.begin() + column);
    for (auto& row : m_model->m_rows)
    {
        if (static_cast<size_t>(column) < row.m_texts.size())
            row.m_texts.erase(row.m_texts.begin() + column);
    }
    if (!last)
        m_model->endRemoveColumns();
    else
        emit m_model->headerDataChanged(Qt::Horizontal, 0, 0);
    return true;
}

int CListCtrl::GetColumnCount() const
{
    return static_cast<int>(m_model->m_columns.size());
}

bool CListCtrl::GetColumn(int column, ListColumn& info) const
{
    if (column < 0 || column >= GetColumnCount())
        return false;
    info = m_model->m_columns[static_cast<size_t>(column)];
    info.m_width = GetColumnWidth(column);
    return true;
}

int CListCtrl::GetColumnWidth(int column) const
{
    if (column < 0 || column >= GetColumnCount())
        return 0;
    return m_report->header()->sectionSize(column);
}

bool CListCtrl::SetColumnWidth(int column, int width)
{
    if (column < 0 || column >= GetColumnCount())
        return false;
    m_report->header()->resizeSection(column, std::max(width, 0));
    return true;
}

int CListCtrl::GetItemCount() const
{
    return static_cast<int>(m_model->m_rows.size());
}

int CListCtrl::InsertItem(int index, const std::string& text, int image)
{
    index = std::clamp(index, 0, GetItemCount());
    m_model->beginInsertRows({}, index, index);
    CListModel::Row row;
    row.m_texts.push_back(text);
    row.m_image = image;
    m_model->m_rows.insert(m_model->m_rows.begin() + index, std::move(row));
    m_model->endInsertRows();
    return index;
}

bool CListCtrl::DeleteItem(int index)
{
    if (index < 0 || index >= GetItemCount())
        return false;
    emit itemDeleting(index, m_model->m_rows[static_cast<size_t>(index)].m_data);
    m_model->beginRemoveRows({}, index, index);
    m_model->m_rows.erase(m_model->m_rows.begin() + index);
    m_model->endRemoveRows();
    return true;
}

bool CListCtrl::DeleteAllItems()
{
    for (int index = 0; index < GetItemCount(); ++index)
        emit itemDeleting(index, m_model->m_rows[static_cast<size_t>(index)].m_data);
    m_model->beginResetModel();
    m_model->m_rows.clear();
    m_model->endResetModel();
    return true;
}

std::string CListCtrl::GetItemText(int index, int column) const
{
    if (index < 0 || index >= GetItemCount() || column < 0)
        return std::string();
    const auto& texts = m_model->m_rows[static_cast<size_t>(index)].m_texts;
    return static_cast<size_t>(column) < texts.size() ? texts[static_cast<size_t>(column)] : std::string();
}

bool CListCtrl::SetItemText(int index, int column, const std::string& text)
{
    if (index < 0 || index >= GetItemCount() || column < 0 || column >= std::max(1, GetColumnCount()))
        return false;
    auto& texts = m_model->m_rows[static_cast<size_t>(index)].m_texts;
    if (texts.size() <= static_cast<size_t>(column))
        texts.resize(static_cast<size_t>(column) + 1);
    texts[static_cast<size_t>(column)] = text;
    const QModelIndex cell = m_model->index(index, column);
    emit m_model->dataChanged(cell, cell);
    return true;
}

int CListCtrl::GetItemImage(int index) const
{
    return index < 0 || index >= GetItemCount() ? -1 : m_model->m_rows[static_cast<size_t>(index)].m_image;
}

bool CListCtrl::SetItemImage(int index, int image)
{
    if (index < 0 || index >= GetItemCount())
        return false;
    m_model->m_rows[static_cast<size_t>(index)].m_image = image;
    m_model->RowChanged(index);
    return true;
}

DWORD_PTR CListCtrl::GetItemData(int index) const
{
    return index < 0 || index >= GetItemCount() ? 0 : m_model->m_rows[static_cast<size_t>(index)].m_data;
}

bool CListCtrl::SetItemData(int index, DWORD_PTR data)
{
    if (index < 0 || index >= GetItemCount())
        return false;
    m_model->m_rows[static_cast<size_t>(index)].m_data = data;
    return true;
}

UINT CListCtrl::GetItemState(int index, UINT mask) const
{
    if (index < 0 || index >= GetItemCount())
        return 0;
    UINT state = m_model->m_rows[static_cast<size_t>(index)].m_state;
    if (m_selection->isRowSelected(index, {}))
        state |= LVIS_SELECTED;
    if (m_selection->currentIndex().isValid() && m_selection->currentIndex().row() == index)
        state |= LVIS_FOCUSED;
    return state & mask;
}

bool CListCtrl::SetItemState(int index, UINT state, UINT mask)
{
    if (index < 0 || index >= GetItemCount())
        return false;
    // Selection and focus through the selection model, which reports them.
    const QModelIndex cell = m_model->index(index, 0);
    if (mask & LVIS_FOCUSED)
    {
        if (state & LVIS_FOCUSED)
            m_selection->setCurrentIndex(cell, QItemSelectionModel::NoUpdate);
        else if (m_selection->currentIndex().row() == index)
            m_selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
    if (mask & LVIS_SELECTED)
    {
        if ((state & LVIS_SELECTED) && (m_style & LVS_SINGLESEL))
            m_selection->select(cell, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        else
            m_selection->select(cell, ((state & LVIS_SELECTED) ? QItemSelectionModel::Select
                                                               : QItemSelectionModel::Deselect) |
                                          QItemSelectionModel::Rows);
    }
    const UINT kept = mask & ~(LVIS_SELECTED | LVIS_FOCUSED);
    if (kept)
    {
        UINT& stored = m_model->m_rows[static_cast<size_t>(index)].m_state;
        const UINT before = GetItemState(index, ~0u);
        stored = (stored & ~kept) | (state & kept);
        const UINT after = GetItemState(index, ~0u);
        if (before != after)
        {
            m_model->RowChanged(index);
            emit itemChanged(index, before, after);
        }
    }
    return true;
}

int CListCtrl::GetNextItem(int start, UINT flags) const
{
    for (int index = std::max(start + 1, 0); index < GetItemCount(); ++index)
    {
        const UINT wanted = flags & (LVNI_SELECTED | LVNI_FOCUSED);
        UINT state = 0;
        if (flags & LVNI_SELECTED)
            state |= GetItemState(index, LVIS_SELECTED) ? LVNI_SELECTED : 0;
        if (flags & LVNI_FOCUSED)
            state |= GetItemState(index, LVIS_FOCUSED) ? LVNI_FOCUSED : 0;
        if (state == wanted)
            return index;
    }
    return -1;
}

int CListCtrl::GetSelectedCount() const
{
    return static_cast<int>(m_selection->selectedRows().size());
}

void CListCtrl::SortItems(const std::function<int(DWORD_PTR, DWORD_PTR)>& compare)
{
    const int count = GetItemCount();
    std::vector<UINT> states(static_cast<size_t>(count));
    for (int index = 0; index < count; ++index)
        states[static_cast<size_t>(index)] = GetItemState(index, LVIS_SELECTED | LVIS_FOCUSED);
    std::vector<size_t> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    auto& rows = m_model->m_rows;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return compare(rows[a].m_data, rows[b].m_data) < 0; });
    std::vector<CListModel::Row> sorted;
    sorted.reserve(rows.size());
    for (size_t from : order)
        sorted.push_back(std::move(rows[from]));
    // The selection is put back by hand: the selection model would keep it
    // on the old row numbers.
    m_selection->clear();
    emit m_model->layoutAboutToBeChanged();
    rows = std::move(sorted);
    emit m_model->layoutChanged();
    for (int index = 0; index < count; ++index)
    {
        const UINT state = states[order[static_cast<size_t>(index)]];
        if (state)
            SetItemState(index, state, LVIS_SELECTED | LVIS_FOCUSED);
    }
}

void CListCtrl::EnsureVisible(int index)
{
    if (index < 0 || index >= GetItemCount())
        return;
    auto* view = static_cast<QAbstractItemView*>(RowsWidget());
    view->scrollTo(m_model->index(index, 0));
}

int CListCtrl::GetTopIndex() const
{
    const QModelIndex top = m_report->indexAt(QPoint(1, 1));
    return top.isValid() ? top.row() : 0;
}

int CListCtrl::GetCountPerPage() const
{
    const int rowHeight = GetItemCount() > 0 ? m_report->visualRect(m_model->index(0, 0)).height() : 0;
    const int height = rowHeight > 0 ? rowHeight : m_report->fontMetrics().height() + 2;
    return std::max(1, m_report->viewport()->height() / height);
}

void CListCtrl::SetRedraw(bool redraw)
{
    RowsWidget()->setUpdatesEnabled(redraw);
    if (redraw)
        static_cast<QAbstractItemView*>(RowsWidget())->viewport()->update();
}

void CListCtrl::SetImageList(CImageList* images, int which)
{
    if (which < 0 || which > 2)
        return;
    m_images[which] = images;
    ApplyStyle();
    if (GetItemCount() > 0)
        emit m_model->dataChanged(m_model->index(0, 0), m_model->index(GetItemCount() - 1, 0));
}

CImageList* CListCtrl::GetImageList(int which) const
{
    return which < 0 || which > 2 ? nullptr : m_images[which];
}

bool CListCtrl::GetItemRect(int index, QRect& rect, int part) const
{
    if (index < 0 || index >= GetItemCount())
        return false;
    if (GetView() != LVS_REPORT)
    {
        const QRect cell = m_iconView->visualRect(m_model->index(index, 0));
        if (!cell.isValid())
            return false;
        const QSize icon = m_iconView->iconSize();
        if (part == LVIR_ICON)
            rect = GetView() == LVS_ICON ? QRect(cell.left(), cell.top(), cell.width(), icon.height())
                                         : QRect(cell.topLeft(), QSize(icon.width(), cell.height()));
        else if (part == LVIR_LABEL)
            rect = GetView() == LVS_ICON ? QRect(cell.left(), cell.top() + icon.height(), cell.width(),
                                                 cell.height() - icon.height())
                                         : QRect(cell.left() + icon.width(), cell.top(), cell.width() - icon.width(),
                                                 cell.height());
        else
            rect = cell;
        return true;
    }
    const QRect cell = m_report->visualRect(m_model->index(index, 0));
    if (!cell.isValid())
        return false;
    const QHeaderView* header = m_report->header();
    const int left = -m_report->horizontalScrollBar()->value();
    const int column0 = header->sectionViewportPosition(0);
    const int stateWidth = m_images[LVSIL_STATE] ? m_images[LVSIL_STATE]->GetIconSize().width() : 0;
    const int iconWidth = m_images[LVSIL_SMALL] ? 16 : 0;
    switch (part)
    {
    case LVIR_ICON: rect = QRect(column0 + stateWidth, cell.top(), iconWidth, cell.height()); break;
    case LVIR_LABEL:
        rect = QRect(column0 + stateWidth + iconWidth, cell.top(),
                     std::max(0, header->sectionSize(0) - stateWidth - iconWidth), cell.height());
        break;
    default: rect = QRect(left, cell.top(), header->length(), cell.height()); break;
    }
    return true;
}

bool CListCtrl::GetSubItemRect(int index, int column, int part, QRect& rect) const
{
    if (column < 0 || column >= std::max(1, GetColumnCount()))
        return false;
    if (column == 0 || GetView() != LVS_REPORT)
        return GetItemRect(index, rect, part);
    QRect bounds;
    if (!GetItemRect(index, bounds, LVIR_BOUNDS))
        return false;
    const QHeaderView* header = m_report->header();
    rect = QRect(header->sectionViewportPosition(column), bounds.top(), header->sectionSize(column), bounds.height());
    return true;
}

int CListCtrl::HitTest(const QPoint& point, UINT* flags) const
{
    if (flags)
        *flags = LVHT_NOWHERE;
    int row = -1;
    if (GetView() == LVS_REPORT)
    {
        // Any column of a row counts (the rows are selected whole).
        const QModelIndex cell = m_report->indexAt(QPoint(m_report->header()->sectionViewportPosition(0), point.y()));
        QRect bounds;
        if (cell.isValid() && GetItemRect(cell.row(), bounds, LVIR_BOUNDS) && bounds.contains(point))
            row = cell.row();
    }
    else
    {
        row = m_iconView->indexAt(point).row();
    }
    if (row < 0 || !flags)
        return row;
    QRect icon;
    QRect bounds;
    GetItemRect(row, icon, LVIR_ICON);
    GetItemRect(row, bounds, LVIR_BOUNDS);
    const int stateWidth = m_images[LVSIL_STATE] ? m_images[LVSIL_STATE]->GetIconSize().width() : 0;
    const QRect state(bounds.left(), bounds.top(), stateWidth, bounds.height());
    if (icon.contains(point))
        *flags = LVHT_ONITEMICON;
    else if (state.contains(point))
        *flags = LVHT_ONITEMSTATEICON;
    else
        *flags = LVHT_ONITEMLABEL;
    return row;
}

bool CListCtrl::SetColumnHeaderImage(int column, const QImage& image)
{
    if (column < 0 || column >= GetColumnCount())
        return false;
    m_model->m_columns[static_cast<size_t>(column)].m_headerImage = image;
    emit m_model->headerDataChanged(Qt::Horizontal, column, column);
    return true;
}

QImage CListCtrl::GetColumnHeaderImage(int column) const
{
    if (column < 0 || column >= GetColumnCount())
        return QImage();
    return m_model->m_columns[static_cast<size_t>(column)].m_headerImage;
}

void CListCtrl::SetHeaderSortMarker(int column, bool ascending)
{
    QHeaderView* header = m_report->header();
    if (column < 0 || column >= GetColumnCount())
    {
        header->setSortIndicatorShown(false);
        header->setSortIndicator(-1, Qt::AscendingOrder);
        return;
    }
    header->setSortIndicatorShown(true);
    header->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

int CListCtrl::GetHeaderSortColumn() const
{
    const QHeaderView* header = m_report->header();
    return header->isSortIndicatorShown() ? header->sortIndicatorSection() : -1;
}

QWidget* CListCtrl::RowsWidget() const
{
    return GetView() == LVS_REPORT ? static_cast<QWidget*>(m_report) : static_cast<QWidget*>(m_iconView);
}

QTreeView* CListCtrl::ReportView() const
{
    return m_report;
}

void CListCtrl::DrawRow(QPainter& painter, const QStyleOptionViewItem& option, int index)
{
    DrawRowDefault(painter, option, index);
}

void CListCtrl::DrawRowDefault(QPainter& painter, const QStyleOptionViewItem& option, int index)
{
    m_report->DefaultDrawRow(&painter, option, m_model->index(index, 0));
}

bool CListCtrl::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress)
    {
        const auto* key = static_cast<QKeyEvent*>(event);
        emit keyPressed(key->key(), key->modifiers());
    }
    return QWidget::eventFilter(watched, event);
}
