#include "checker/ui/LinkGroupTree.h"

#include "checker/LinkNames.h"

#include "foundation/markup/LinkWalk.h"
#include "foundation/text/DisplayFormats.h"
#include "res/Resources.h"
#include "transfer/client/ResourceKind.h"
#include "widgets/ListColumns.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTreeView>

#include <algorithm>
#include <array>

namespace
{
// Group n's table row: first value code and number of values.
constexpr std::array<CLinkGroupTree::GroupInfo, CLinkGroupTree::kGroupCount> kGroups = {{
    {CLinkGroupTree::kCodeStateFirst, kLinkStateCount},
    {CLinkGroupTree::kCodeTypeFirst, kLinkTypeCount},
    {CLinkGroupTree::kCodeProtocolFirst, kLinkProtocolCount},
    {CLinkGroupTree::kCodeInterestFirst, kLinkScopeCount},
    {CLinkGroupTree::kCodeTagFirst, kTagTypeCount},
}};

constexpr const char* kHeaderTexts[CLinkGroupTree::kGroupCount] = {
    "Links by state", "Links by type", "Links by protocol", "Links by interest", "Links by tags",
};

// The headers are listed in this order, not in the order of their codes.
constexpr int kHeaderOrder[CLinkGroupTree::kGroupCount] = {
    CLinkGroupTree::kGroupState,    CLinkGroupTree::kGroupType, CLinkGroupTree::kGroupInterest,
    CLinkGroupTree::kGroupProtocol, CLinkGroupTree::kGroupTags,
};

// The state images of the strip (1-based, as a row's state image is).
constexpr int kImageUnchecked = 1;
constexpr int kImageChecked = 2;
constexpr int kImageCollapsed = 3;
constexpr int kImageExpanded = 4;
constexpr int kImageLastUnchecked = 5;
constexpr int kImageLastChecked = 6;

constexpr int kStateImageWidth = 30;
constexpr int kFirstColumnMinimum = 100;

const QColor kHeaderBand(230, 230, 220);
const QColor kAllText(0, 0, 180);
const QColor kContainBrokenText(180, 0, 0);
const QColor kBrokenText(255, 0, 0);

int32_t& GroupMask(CLinkViewFilter& filter, int group)
{
    switch (group)
    {
    case CLinkGroupTree::kGroupState:
        return filter.m_stateMask;
    case CLinkGroupTree::kGroupType:
        return filter.m_typeMask;
    case CLinkGroupTree::kGroupProtocol:
        return filter.m_protocolMask;
    case CLinkGroupTree::kGroupInterest:
        return filter.m_scopeMask;
    default:
        return filter.m_tagMask;
    }
}

int32_t GroupMask(const CLinkViewFilter& filter, int group)
{
    CLinkViewFilter copy = filter;
    return GroupMask(copy, group);
}

// The bits of values first to last are all set.
bool MaskHasRange(int32_t mask, int first, int last)
{
    for (int value = first; value <= last; ++value)
    {
        if (!MaskHasBit(mask, value))
            return false;
    }
    return true;
}

bool IsHeaderCode(int code)
{
    return code >= CLinkGroupTree::kCodeHeaderFirst && code < CLinkGroupTree::kGroupCount;
}

bool IsAllCode(int code)
{
    return code >= CLinkGroupTree::kCodeAllFirst &&
           code < CLinkGroupTree::kCodeAllFirst + CLinkGroupTree::kGroupCount;
}

// The value of a value row's code; -1 for any other code.
int ValueOfCode(int code)
{
    const int group = CLinkGroupTree::GroupOfCode(code);
    if (group < 0 || code < kGroups[static_cast<size_t>(group)].m_firstCode)
        return -1;
    return code - kGroups[static_cast<size_t>(group)].m_firstCode;
}

// The last row of a group draws the corner of the tree instead of a branch.
bool IsLastRowCode(int code)
{
    if (code == CLinkGroupTree::kCodeContainBroken)
        return true;
    const int group = CLinkGroupTree::GroupOfCode(code);
    return group > CLinkGroupTree::kGroupState &&
           ValueOfCode(code) == kGroups[static_cast<size_t>(group)].m_count - 1;
}
} // namespace

const CLinkGroupTree::GroupInfo& CLinkGroupTree::GetGroupInfo(int group)
{
    return kGroups[static_cast<size_t>(std::clamp(group, 0, kGroupCount - 1))];
}

CLinkGroupTree::CLinkGroupTree(QWidget* parent) : COwnerDrawListCtrl(parent)
{
    m_stats.Touch();
    ReportView()->viewport()->installEventFilter(this);
}

// ---- Codes ------------------------------------------------------------------

int CLinkGroupTree::GroupOfCode(int code)
{
    if (IsHeaderCode(code))
        return code;
    if (code == kCodeContainBroken)
        return kGroupState;
    if (IsAllCode(code))
        return code - kCodeAllFirst;
    for (int group = 0; group < kGroupCount; ++group)
    {
        const GroupInfo& info = kGroups[static_cast<size_t>(group)];
        if (code >= info.m_firstCode && code < info.m_firstCode + info.m_count)
            return group;
    }
    return -1;
}

std::string CLinkGroupTree::RowText(int code)
{
    if (IsHeaderCode(code))
        return kHeaderTexts[code];
    if (code == kCodeContainBroken)
        return "Contain broken";
    if (IsAllCode(code))
        return "All";
    const int value = ValueOfCode(code);
    switch (GroupOfCode(code))
    {
    case kGroupState:
        return std::string(LinkStateName(value));
    case kGroupType:
        return LinkTypeName(value);
    case kGroupProtocol:
        return std::string(LinkProtocolName(value));
    case kGroupInterest:
        return std::string(LinkScopeName(value));
    case kGroupTags:
        return GetLinkKindName(value);
    default:
        return {};
    }
}

int CLinkGroupTree::GetRowCount(int code, const CLinkStats& stats, int half)
{
    half = half == CLinkStats::kUnique ? CLinkStats::kUnique : CLinkStats::kAll;
    if (code == kCodeContainBroken)
        return stats.m_brokenReferences[half];
    // The same figure in every group: each link has exactly one state.
    if (IsAllCode(code))
        return stats.SumStates(half);
    const int value = ValueOfCode(code);
    if (value < 0)
        return -1;
    switch (GroupOfCode(code))
    {
    case kGroupState:
        return stats.m_states[half][value];
    case kGroupType:
        return stats.m_linkTypes[half][value];
    case kGroupProtocol:
        return stats.m_protocols[half][value];
    case kGroupInterest:
        return stats.m_scopes[half][value];
    case kGroupTags:
        return stats.m_tagTypes[half][value];
    default:
        return -1;
    }
}

std::string CLinkGroupTree::FormatRowCount(int count)
{
    return count == 0 || count == -1 ? std::string() : FormatCount(count, ',');
}

// ---- Filter and flags -------------------------------------------------------

bool CLinkGroupTree::IsGroupExpanded(int group) const
{
    return group >= 0 && group < kGroupCount && m_expanded[group];
}

bool CLinkGroupTree::IsGroupAll(int group) const
{
    return group >= 0 && group < kGroupCount && m_all[group];
}

bool CLinkGroupTree::IsCodeChecked(int code) const
{
    const int group = GroupOfCode(code);
    if (group < 0)
        return false;
    if (IsHeaderCode(code))
        return m_expanded[group];
    if (code == kCodeContainBroken)
        return m_filter.m_containsBroken != 0;
    if (IsAllCode(code))
        return m_all[group];
    return MaskHasBit(GroupMask(m_filter, group), ValueOfCode(code));
}

int CLinkGroupTree::RowImage(int code) const
{
    const bool checked = IsCodeChecked(code);
    if (IsHeaderCode(code))
        return checked ? kImageExpanded : kImageCollapsed;
    if (IsLastRowCode(code))
        return checked ? kImageLastChecked : kImageLastUnchecked;
    return checked ? kImageChecked : kImageUnchecked;
}

void CLinkGroupTree::SetFilter(const CLinkViewFilter& filter)
{
    m_filter = filter;
    // State 0 ("Unknown") has no row, so it does not decide the state group.
    m_all[kGroupState] =
        MaskHasRange(m_filter.m_stateMask, 1, kLinkStateCount - 1) && m_filter.m_containsBroken;
    for (int group = kGroupType; group < kGroupCount; ++group)
        m_all[group] =
            MaskHasRange(GroupMask(m_filter, group), 0, kGroups[static_cast<size_t>(group)].m_count - 1);
    RefreshAllImages();
}

bool CLinkGroupTree::SetCodeCheck(int code, Action action)
{
    const int group = GroupOfCode(code);
    if (group < 0 || IsHeaderCode(code))
        return false;
    const bool on = action == kSet ? true : action == kClear ? false : !IsCodeChecked(code);
    if (code == kCodeContainBroken)
    {
        m_filter.m_containsBroken = on ? 1 : 0;
    }
    else if (IsAllCode(code))
    {
        m_all[group] = on;
        GroupMask(m_filter, group) = on ? -1 : 0;
        if (group == kGroupState)
            m_filter.m_containsBroken = on ? 1 : 0;
    }
    else
    {
        const int value = ValueOfCode(code);
        if (value < 0 || value > 31)
            return false;
        const auto bit = static_cast<int32_t>(1u << value);
        int32_t& mask = GroupMask(m_filter, group);
        mask = on ? (mask | bit) : (mask & ~bit);
    }
    return on;
}

// ---- Building ---------------------------------------------------------------

void CLinkGroupTree::Fill(bool oneColumn)
{
    m_oneColumn = oneColumn;
    SetFilter(m_filter);
    SetRedraw(false);
    DeleteAllItems();
    while (GetColumnCount() > 0)
        DeleteColumn(0);

    if (m_stateImages.IsEmpty())
    {
        m_stateImages = CImageList(kStateImageWidth, 0);
        m_stateImages.AddStrip(LoadBitmapResource(IDB_GROUP_STATES), kMagentaMask);
    }
    SetImageList(&m_stateImages, LVSIL_STATE);
    m_drawCallback = [this](COwnerDrawListCtrl&, int row, int column, QPainter& painter, const QRect& cell,
                            UINT state, const ListColumn& info)
    { return DrawCell(row, column, painter, cell, state, info); };

    const auto text = [](UINT id)
    {
        const char* loaded = LoadResourceString(id);
        return std::string(loaded ? loaded : "");
    };
    if (oneColumn)
    {
        InsertColumn(0, text(IDS_COLUMN_LINKS), LVCFMT_LEFT,
                     std::max(kFirstColumnMinimum, ReportView()->viewport()->width()));
    }
    else
    {
        InsertColumn(0, text(IDS_COLUMN_LINKS), LVCFMT_LEFT, 120);
        InsertColumn(1, text(IDS_COLUMN_TOTAL), LVCFMT_RIGHT, 54);
        InsertColumn(2, text(IDS_COLUMN_UNIQUE), LVCFMT_RIGHT, 54);
    }
    for (int group : kHeaderOrder)
        InsertRow(GetItemCount(), group);
    m_filled = true;
    RebuildRows();
    SetItemState(0, LVIS_FOCUSED, LVIS_FOCUSED);
    EnsureVisible(0);
    SizeFirstColumn();
}

int CLinkGroupTree::InsertRow(int index, int code)
{
    const int row = InsertItem(index, RowText(code));
    SetItemData(row, static_cast<DWORD_PTR>(code));
    UpdateRowCounts(row, m_stats, true);
    SetRowImage(row);
    return row;
}

void CLinkGroupTree::RebuildRows()
{
    SetRedraw(false);
    for (int group = 0; group < kGroupCount; ++group)
        BuildGroupRows(group);
    SetRedraw(true);
}

void CLinkGroupTree::BuildGroupRows(int group)
{
    for (int row = GetItemCount() - 1; row >= 0; --row)
    {
        const int code = GetRowCode(row);
        if (GroupOfCode(code) == group && !IsHeaderCode(code))
            DeleteItem(row);
    }
    const int header = FindRow(group);
    if (header < 0)
        return;
    if (m_expanded[group])
    {
        int at = header + 1;
        InsertRow(at++, kCodeAllFirst + group);
        const GroupInfo& info = kGroups[static_cast<size_t>(group)];
        // "Unknown" is no state a user picks; the state group ends with the
        // pages that contain broken links instead.
        for (int value = group == kGroupState ? 1 : 0; value < info.m_count; ++value)
            InsertRow(at++, info.m_firstCode + value);
        if (group == kGroupState)
            InsertRow(at++, kCodeContainBroken);
    }
    SetRowImage(header);
}

int CLinkGroupTree::FindRow(int code) const
{
    for (int row = 0; row < GetItemCount(); ++row)
    {
        if (GetRowCode(row) == code)
            return row;
    }
    return -1;
}

int CLinkGroupTree::GetRowCode(int row) const
{
    return row >= 0 && row < GetItemCount() ? static_cast<int>(GetItemData(row)) : -1;
}

void CLinkGroupTree::SetRowImage(int row)
{
    SetItemState(row, INDEXTOSTATEIMAGEMASK(static_cast<UINT>(RowImage(GetRowCode(row)))),
                 LVIS_STATEIMAGEMASK);
}

void CLinkGroupTree::RefreshAllImages()
{
    for (int row = 0; row < GetItemCount(); ++row)
        SetRowImage(row);
}

int CLinkGroupTree::GetNameColumnContentWidth() const
{
    const QFontMetrics metrics(ReportView()->viewport()->font());
    int text = 0;
    for (int row = 0; row < GetItemCount(); ++row)
        text = std::max(text, metrics.horizontalAdvance(QString::fromStdString(GetItemText(row, 0))));
    const int rows = kStateImageWidth + text + 2 * kCellMargin;
    return std::max(rows, ReportView()->header()->sectionSizeHint(0));
}

void CLinkGroupTree::SizeFirstColumn()
{
    AutoSizeListColumn(ReportView()->header(), 0, std::max(kFirstColumnMinimum, GetNameColumnContentWidth()));
}

// ---- Counts -----------------------------------------------------------------

void CLinkGroupTree::SetCounts(const CLinkStats& stats)
{
    for (int row = 0; row < GetItemCount(); ++row)
        UpdateRowCounts(row, stats, false);
    m_stats = stats;
}

void CLinkGroupTree::UpdateRowCounts(int row, const CLinkStats& stats, bool force)
{
    if (m_oneColumn || GetColumnCount() < 3)
        return;
    const int code = GetRowCode(row);
    for (int half : {CLinkStats::kAll, CLinkStats::kUnique})
    {
        const int count = GetRowCount(code, stats, half);
        if (force || count != GetRowCount(code, m_stats, half))
            SetItemText(row, half == CLinkStats::kAll ? 1 : 2, FormatRowCount(count));
    }
}

// ---- Actions ----------------------------------------------------------------

void CLinkGroupTree::OnRowAction(int row, bool inform, Action action)
{
    const int code = GetRowCode(row);
    const int group = GroupOfCode(code);
    if (group < 0)
        return;
    if (!IsHeaderCode(code))
    {
        SetCodeCheck(code, action);
        if (IsAllCode(code))
            RefreshAllImages();
        else
            SetRowImage(row);
        if (inform)
            InformOwner();
        return;
    }

    const int top = GetTopIndex();
    m_expanded[group] = action == kSet ? true : action == kClear ? false : !m_expanded[group];
    RebuildRows();
    const int header = FindRow(group);
    auto* view = ReportView();
    if (top < GetItemCount())
        view->scrollTo(view->model()->index(top, 0), QAbstractItemView::PositionAtTop);
    if (m_expanded[group])
    {
        int last = header;
        while (last + 1 < GetItemCount() && !IsHeaderCode(GetRowCode(last + 1)))
            ++last;
        EnsureVisible(last);
    }
    // Last, so that a group taller than the page keeps its header in view.
    EnsureVisible(header);
    SetItemState(header, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SizeFirstColumn();
}

void CLinkGroupTree::ToggleSelectedRows()
{
    // Codes, not rows: collapsing a group moves or removes the rows after it.
    std::vector<int> codes;
    for (int row = GetNextItem(-1, LVNI_SELECTED); row >= 0; row = GetNextItem(row, LVNI_SELECTED))
        codes.push_back(GetRowCode(row));
    bool changed = false;
    for (int code : codes)
    {
        const int row = FindRow(code);
        if (row < 0)
            continue;
        OnRowAction(row, false, kToggle);
        changed = changed || !IsHeaderCode(code);
    }
    if (changed)
        InformOwner();
}

void CLinkGroupTree::InformOwner()
{
    if (m_filterChanged)
        m_filterChanged(m_filter);
}

bool CLinkGroupTree::IsOnCheckBox(int row, const QPoint& point) const
{
    QRect icon;
    if (!GetItemRect(row, icon, LVIR_ICON))
        return false;
    const int width = m_stateImages.GetIconSize().width();
    return QRect(icon.left() - width, icon.top(), width, icon.height()).contains(point);
}

// ---- Input and drawing ------------------------------------------------------

bool CLinkGroupTree::eventFilter(QObject* watched, QEvent* event)
{
    QWidget* rows = ReportView()->viewport();
    if (watched == rows &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick))
    {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return CListCtrl::eventFilter(watched, event);
        const QPoint at = mouse->position().toPoint();
        const int row = HitTest(at);
        const bool onBox = row >= 0 && IsOnCheckBox(row, at);
        if (event->type() == QEvent::MouseButtonPress)
        {
            if (!onBox)
                return CListCtrl::eventFilter(watched, event);
            OnRowAction(row, true, kToggle);
            return true;
        }
        const int target = onBox ? row : GetNextItem(-1, LVNI_SELECTED);
        if (target >= 0)
            OnRowAction(target, true, kToggle);
        return true;
    }
    if (watched == ReportView() && event->type() == QEvent::KeyPress)
    {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier));
        if (plain &&
            (key->key() == Qt::Key_Space || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter))
        {
            CListCtrl::eventFilter(watched, event); // the key is still announced
            ToggleSelectedRows();
            return true;
        }
    }
    return CListCtrl::eventFilter(watched, event);
}

void CLinkGroupTree::resizeEvent(QResizeEvent* event)
{
    COwnerDrawListCtrl::resizeEvent(event);
    // The names take whatever room the list gains or loses, so that no name
    // is cut while the pane has room for it.
    if (m_filled)
        SizeFirstColumn();
}

bool CLinkGroupTree::DrawCell(int row, int column, QPainter& painter, const QRect& cell, UINT state,
                              const ListColumn& columnInfo)
{
    const QWidget* focus = QApplication::focusWidget();
    const bool focused = focus && (focus == this || focus == RowsWidget());
    if (ChooseRowLook(state, focused, (GetStyle() & LVS_SHOWSELALWAYS) != 0).m_lookSelected)
        return false;
    const int code = GetRowCode(row);
    if (IsHeaderCode(code))
    {
        painter.fillRect(cell.adjusted(0, 1, 0, -1), kHeaderBand);
        DrawListCellText(painter, row, column, cell, columnInfo.m_format);
        return true;
    }
    QColor text;
    if (IsAllCode(code))
        text = kAllText;
    else if (code == kCodeContainBroken && !GetItemText(row, 1).empty())
        text = kContainBrokenText;
    else if (code == kCodeStateFirst + kStateBroken && !GetItemText(row, 1).empty())
        text = kBrokenText;
    if (!text.isValid())
        return false;
    painter.setPen(text);
    DrawListCellText(painter, row, column, cell, columnInfo.m_format);
    return true;
}
