#pragma once
// The rules of the link list's rows that need no window: the column table and
// each column's text, the order of two rows for a sort column, the background
// of a row by its link's state, and what each of the five view modes sets on
// the list. The link list view and its tests share them.

#include "platform/ui/ListCtrl.h"

#include <QColor>

#include <array>
#include <optional>
#include <string>

class CLinkInfo;
class CLinkViewFilter;

struct LinkListColumn
{
    UINT m_titleId;      // string resource of the header
    bool m_alignRight;
    int m_width;         // default width in pixels
};

inline constexpr int kLinkListColumnCount = 10;
// The sort column a new list starts with: "#", the position in the page.
inline constexpr int kLinkListDefaultSortColumn = 2;
// The sum of the default widths; each column's share of the list is its
// width over this total.
inline constexpr int kLinkListWidthTotal = 932;

const std::array<LinkListColumn, kLinkListColumnCount>& LinkListColumns();

// The text of one cell; "" for a column outside the table.
std::string LinkListCellText(const CLinkInfo& link, int column);

// Negative, 0 or positive as a sorts before, with or after b on column in
// ascending order. Except on "#" and "##", folders and FTP listings come
// first, then forms, then pages, then everything else; equal keys put the
// more repeated link first.
int CompareLinks(const CLinkInfo& a, const CLinkInfo& b, int column);

// The background of a row, or nothing for the list's own colour. A link with
// broken links below it is marked whatever its own state.
std::optional<QColor> LinkRowBackground(const CLinkInfo& link);

// The list's filter from the tree's: the masks and the hide-repeating flag
// only. The tree's own choices of which type groups it shows (pages always,
// files only on request) do not apply to the list, which is where files are
// shown.
CLinkViewFilter LinkListFilter(const CLinkViewFilter& treeFilter);

// What a view mode (0 large icons, 1 small icons, 2 list, 3 details,
// 4 thumbnails) sets on the list; a mode outside 0-4 is treated as details.
struct LinkListModeRule
{
    UINT m_style;         // LVS_ICON, LVS_SMALLICON, LVS_LIST or LVS_REPORT
    int m_iconSize;       // 32 or 16; thumbnails use their own image size
    bool m_thumbnails;
    bool m_sortArrow;
};
LinkListModeRule LinkListModeFor(int mode);
inline constexpr int kLinkListDefaultMode = 3;
