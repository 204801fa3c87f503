#pragma once
// A list control with the index-based interface the program's lists are
// written against: rows of texts per column, an image, state bits, item
// data; report, icon, small-icon and list modes over one model and one
// selection.
//
// State bits: LVIS_SELECTED and LVIS_FOCUSED mirror the selection and the
// current row; LVIS_CUT and LVIS_DROPHILITED, the overlay (bits 8-11) and
// the state image (bits 12-15, INDEXTOSTATEIMAGEMASK) are kept per row; a row
// without an image of its own shows its state image in report mode.
//
// Geometry (GetItemRect, GetSubItemRect, HitTest) is in the coordinates of
// the rows' area, below the header. In report mode a row is laid out as
// [state image][small icon, 16 px][label ... column 0][column 1]...
//
// Notifications are Qt signals: itemChanged (state bits of a row changed),
// columnClicked (header), itemActivated (double click or Enter),
// contextMenuRequested (right click), itemDeleting (a row is about to go,
// with its data, so an owner can free what it holds), keyPressed.
//
// UI thread only.

#include "platform/ui/ImageList.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CListModel;
class CListReportView;
class QItemSelectionModel;
class QListView;
class QStackedLayout;
class QStyleOptionViewItem;
class QTreeView;

using DWORD_PTR = std::uintptr_t;

// View modes and styles.
inline constexpr UINT LVS_ICON = 0x0;
inline constexpr UINT LVS_REPORT = 0x1;
inline constexpr UINT LVS_SMALLICON = 0x2;
inline constexpr UINT LVS_LIST = 0x3;
inline constexpr UINT LVS_TYPEMASK = 0x3;
inline constexpr UINT LVS_SINGLESEL = 0x4;
inline constexpr UINT LVS_SHOWSELALWAYS = 0x8;
inline constexpr UINT LVS_OWNERDRAWFIXED = 0x400;

// Item states.
inline constexpr UINT LVIS_FOCUSED = 0x1;
inline constexpr UINT LVIS_SELECTED = 0x2;
inline constexpr UINT LVIS_CUT = 0x4;
inline constexpr UINT LVIS_DROPHILITED = 0x8;
inline constexpr UINT LVIS_OVERLAYMASK = 0xF00;
inline constexpr UINT LVIS_STATEIMAGEMASK = 0xF000;
constexpr UINT INDEXTOSTATEIMAGEMASK(UINT image) { return image << 12; }

// Image lists of a list.
inline constexpr int LVSIL_NORMAL = 0;
inline constexpr int LVSIL_SMALL = 1;
inline constexpr int LVSIL_STATE = 2;

// Column formats.
inline constexpr int LVCFMT_LEFT = 0;
inline constexpr int LVCFMT_RIGHT = 1;
inline constexpr int LVCFMT_CENTER = 2;

// Parts of an item's rectangle.
inline constexpr int LVIR_BOUNDS = 0;
inline constexpr int LVIR_ICON = 1;
inline constexpr int LVIR_LABEL = 2;

// Hit-test results.
inline constexpr UINT LVHT_NOWHERE = 0x1;
inline constexpr UINT LVHT_ONITEMICON = 0x2;
inline constexpr UINT LVHT_ONITEMLABEL = 0x4;
inline constexpr UINT LVHT_ONITEMSTATEICON = 0x8;
inline constexpr UINT LVHT_ONITEM = LVHT_ONITEMICON | LVHT_ONITEMLABEL | LVHT_ONITEMSTATEICON;

// GetNextItem searches.
inline constexpr UINT LVNI_ALL = 0x0;
inline constexpr UINT LVNI_FOCUSED = 0x1;
inline constexpr UINT LVNI_SELECTED = 0x2;

struct ListColumn
{
    std::string m_text;
    int m_format = LVCFMT_LEFT;
    int m_width = 0;
    QImage m_headerImage;
};

class CListCtrl : public QWidget
{
    Q_OBJECT

public:
    explicit CListCtrl(QWidget* parent = nullptr);
    ~CListCtrl() override;

    // Styles: the view mode (LVS_TYPEMASK) and the LVS_ flags.
    UINT GetStyle() const { return m_style; }
    void ModifyStyle(UINT remove, UINT add);
    UINT GetView() const { return m_style & LVS_TYPEMASK; }
    void SetView(UINT mode) { ModifyStyle(LVS_TYPEMASK, mode & LVS_TYPEMASK); }

    // Columns.
    int InsertColumn(int column, const std::string& text, int format = LVCFMT_LEFT, int width = 100);
    bool DeleteColumn(int column);
    int GetColumnCount() const;
    // False for a column that does not exist.
    bool GetColumn(int column, ListColumn& info) const;
    int GetColumnWidth(int column) const;
    bool SetColumnWidth(int column, int width);

    // Rows.
    int GetItemCount() const;
    // Inserts at index (clamped to the end); the new row's index.
    int InsertItem(int index, const std::string& text, int image = -1);
    bool DeleteItem(int index);
    bool DeleteAllItems();
    std::string GetItemText(int index, int column) const;
    bool SetItemText(int index, int column, const std::string& text);
    int GetItemImage(int index) const;
    bool SetItemImage(int index, int image);
    DWORD_PTR GetItemData(int index) const;
    bool SetItemData(int index, DWORD_PTR data);
    UINT GetItemState(int index, UINT mask) const;
    bool SetItemState(int index, UINT state, UINT mask);
    // The next row after start (-1: from the first) with the flags' state.
    int GetNextItem(int start, UINT flags) const;
    int GetSelectedCount() const;
    // Sorts rows by their data with compare(data1, data2) < 0 meaning
    // before; the selection goes with its rows.
    void SortItems(const std::function<int(DWORD_PTR, DWORD_PTR)>& compare);

    void EnsureVisible(int index);
    int GetTopIndex() const;
    int GetCountPerPage() const;
    // Switches painting off while many rows change.
    void SetRedraw(bool redraw);

    void SetImageList(CImageList* images, int which);
    CImageList* GetImageList(int which) const;

    // Geometry (see the file comment). False for a row or column that does
    // not exist, or a row not laid out.
    bool GetItemRect(int index, QRect& rect, int part) const;
    bool GetSubItemRect(int index, int column, int part, QRect& rect) const;
    // The row under point, or -1; flags (when given) say which part.
    virtual int HitTest(const QPoint& point, UINT* flags = nullptr) const;

    // An image on a column's header, left of its text; a null image
    // removes it. False for a column that does not exist.
    bool SetColumnHeaderImage(int column, const QImage& image);
    QImage GetColumnHeaderImage(int column) const;

    // Shows a sort marker on a column's header (-1: none).
    void SetHeaderSortMarker(int column, bool ascending);
    int GetHeaderSortColumn() const;

    // The widget that shows the rows in the current mode.
    QWidget* RowsWidget() const;
    QTreeView* ReportView() const;

signals:
    void itemChanged(int index, UINT oldState, UINT newState);
    void columnClicked(int column);
    void itemActivated(int index);
    void contextMenuRequested(int index, const QPoint& globalPosition);
    void itemDeleting(int index, DWORD_PTR data);
    void keyPressed(int key, Qt::KeyboardModifiers modifiers);

protected:
    // Paints one row in report mode; the base lets Qt paint it. Owner-drawn
    // lists override this.
    virtual void DrawRow(QPainter& painter, const QStyleOptionViewItem& option, int index);
    // The default row painting, for overrides that want it after all.
    void DrawRowDefault(QPainter& painter, const QStyleOptionViewItem& option, int index);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class CListReportView;

    void ApplyStyle();

    UINT m_style = LVS_REPORT;
    CListModel* m_model;
    QItemSelectionModel* m_selection;
    CListReportView* m_report;
    QListView* m_iconView;
    QStackedLayout* m_stack;
    CImageList* m_images[3] = {nullptr, nullptr, nullptr};
};
