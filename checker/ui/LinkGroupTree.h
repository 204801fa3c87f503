#pragma once
// CLinkGroupTree: the link-group list. A report list drawn as a small tree of
// five groups (links by state, type, interest, protocol and tags); each value
// row shows how many links of the task have that value (in total and unique
// links) and carries a check box. The check boxes edit the list's own display
// filter (CLinkViewFilter): a value row is its bit in its group's mask,
// "Contain broken" the contains-broken flag, an "All" row sets or clears a
// whole group. A header row's box expands or collapses its group.
//
// The list tells its owner of every filter change through one callback (a
// task window hands it to its link tree; the Report options dialog reads the
// filter itself and sets none). Counts are pushed in by the owner
// (SetCounts), about once a second; only cells whose number changed are
// rewritten.
//
// Each row's item data is its row code (RowCode below); rows are found by
// code, never by a kept index, because expanding and collapsing moves them.
//
// UI thread only.

#include "checker/LinkStats.h"
#include "checker/LinkViewFilter.h"

#include "platform/ui/ImageList.h"
#include "widgets/OwnerDrawListCtrl.h"

#include <functional>
#include <vector>

class CLinkGroupTree : public COwnerDrawListCtrl
{
    Q_OBJECT

public:
    // The five groups, in the order of their codes.
    static constexpr int kGroupState = 0;
    static constexpr int kGroupType = 1;
    static constexpr int kGroupProtocol = 2;
    static constexpr int kGroupInterest = 3;
    static constexpr int kGroupTags = 4;
    static constexpr int kGroupCount = 5;

    // Row codes (the rows' item data): the header of group n is code n, its
    // "All" row 7 + n; value v of a group is its first code + v.
    static constexpr int kCodeHeaderFirst = 0;
    static constexpr int kCodeContainBroken = 6;
    static constexpr int kCodeAllFirst = 7;
    static constexpr int kCodeStateFirst = 1000;
    static constexpr int kCodeInterestFirst = 2000;
    static constexpr int kCodeProtocolFirst = 3000;
    static constexpr int kCodeTypeFirst = 4000;
    static constexpr int kCodeTagFirst = 5000;

    // What a row action does to a row's box.
    enum Action : int
    {
        kSet = 0,
        kClear = 1,
        kToggle = 2,
    };

    // The group table: first value code and number of values.
    struct GroupInfo
    {
        int m_firstCode;
        int m_count;
    };
    static const GroupInfo& GetGroupInfo(int group);

    // Told of every change of the filter by a user action.
    using FilterCallback = std::function<void(const CLinkViewFilter&)>;

    explicit CLinkGroupTree(QWidget* parent = nullptr);

    void SetFilterCallback(FilterCallback callback) { m_filterChanged = std::move(callback); }

    const CLinkViewFilter& GetFilter() const { return m_filter; }
    // Takes a filter (the report's selection, a stored display filter): the
    // "All" flags follow it, and the shown boxes.
    void SetFilter(const CLinkViewFilter& filter);

    // Builds the list: the "All" flags from the filter, the state images, the
    // owner drawing, the columns ("Links", "Total", "Unique"; with oneColumn
    // only "Links" over the full width), the five headers and the rows of the
    // expanded groups; row 0 is shown and focused.
    void Fill(bool oneColumn);
    bool IsOneColumn() const { return m_oneColumn; }

    // Writes every count cell that differs from the block kept, and keeps
    // this one.
    void SetCounts(const CLinkStats& stats);

    // ---- Rows -----------------------------------------------------------------
    // The row showing code; -1 when it is not shown.
    int FindRow(int code) const;
    int GetRowCode(int row) const;
    // The group a code belongs to (headers, "All" rows, value rows, "Contain
    // broken" in the state group); -1 for none.
    static int GroupOfCode(int code);
    // The name shown in column 0 for a code.
    static std::string RowText(int code);
    // The count a row shows from one half of a statistics block; -1 for a
    // header (no number).
    static int GetRowCount(int code, const CLinkStats& stats, int half);
    // The count cell text: "," between groups of three digits, empty for 0.
    static std::string FormatRowCount(int count);

    // The width column 0 needs to show every shown row's name and the
    // column's title whole: the state image, the text, the cell margins.
    int GetNameColumnContentWidth() const;
    // Column 0 takes the room the other columns leave (all of the list in
    // the one-column form), and never less than its content's width.
    void SizeFirstColumn();

    bool IsGroupExpanded(int group) const;
    bool IsGroupAll(int group) const;
    // Whether a row's box is ticked (a header's box is its expanded flag).
    bool IsCodeChecked(int code) const;
    // The state image (1-6) a row of that code shows now.
    int RowImage(int code) const;

    // A user action on a row: a header expands or collapses its group; any
    // other row sets, clears or toggles its box, an "All" row carrying the
    // whole group with it; with inform, the owner is told of the filter.
    void OnRowAction(int row, bool inform, Action action);
    // Enter or Space: toggles every selected row and tells the owner once.
    void ToggleSelectedRows();
    // Whether a point of the rows' area lies on the row's check box.
    bool IsOnCheckBox(int row, const QPoint& point) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void RebuildRows();
    void BuildGroupRows(int group);
    int InsertRow(int index, int code);
    // Writes a row's count cells that differ between the kept block and
    // stats (all of them with force).
    void UpdateRowCounts(int row, const CLinkStats& stats, bool force);
    void SetRowImage(int row);
    // Applies the action to the code's bit or flag; the new tick.
    bool SetCodeCheck(int code, Action action);
    void RefreshAllImages();
    void InformOwner();
    bool DrawCell(int row, int column, QPainter& painter, const QRect& cell, UINT state,
                  const ListColumn& columnInfo);

    CLinkViewFilter m_filter;
    CImageList m_stateImages;
    FilterCallback m_filterChanged;
    CLinkStats m_stats;
    bool m_expanded[kGroupCount] = {true, false, false, true, false};
    bool m_all[kGroupCount] = {true, true, true, true, true};
    bool m_oneColumn = false;
    bool m_filled = false;
};
