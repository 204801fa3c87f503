#pragma once
// A tree control with the handle-based interface the program's trees are
// written against: items are reached by HTREEITEM handles and carry a text,
// an image and a selected image from the tree's image list, and item data.
// Children can be filled lazily: an item marked SetHasChildren shows an
// expander before it has any, and itemExpanded tells the owner when it opens.
//
// Notifications are Qt signals: selectionChanged (old, new, and whether the
// mouse, the keyboard or code caused it: TVC_BYMOUSE, TVC_BYKEYBOARD,
// TVC_UNKNOWN), itemExpanded, itemDeleting (for the item and each of its
// descendants, children first, with the item's data, so the owner frees what
// it holds), itemActivated (double click), contextMenuRequested.
//
// UI thread only.

#include "platform/ui/ImageList.h"

#include <QTreeWidget>

#include <cstdint>
#include <functional>
#include <string>

using HTREEITEM = QTreeWidgetItem*;
using DWORD_PTR = std::uintptr_t;

// Insertion places (beside a real item handle as "after").
inline const HTREEITEM TVI_ROOT = nullptr;
inline const HTREEITEM TVI_FIRST = reinterpret_cast<HTREEITEM>(static_cast<std::intptr_t>(-0x0FFFF));
inline const HTREEITEM TVI_LAST = reinterpret_cast<HTREEITEM>(static_cast<std::intptr_t>(-0x0FFFE));

// Expand actions.
inline constexpr UINT TVE_COLLAPSE = 0x1;
inline constexpr UINT TVE_EXPAND = 0x2;
inline constexpr UINT TVE_TOGGLE = 0x3;

// Causes of a selection change.
inline constexpr int TVC_UNKNOWN = 0x0;
inline constexpr int TVC_BYMOUSE = 0x1;
inline constexpr int TVC_BYKEYBOARD = 0x2;

// Hit-test results.
inline constexpr UINT TVHT_NOWHERE = 0x1;
inline constexpr UINT TVHT_ONITEMICON = 0x2;
inline constexpr UINT TVHT_ONITEMLABEL = 0x4;
inline constexpr UINT TVHT_ONITEMBUTTON = 0x10;
inline constexpr UINT TVHT_ONITEM = TVHT_ONITEMICON | TVHT_ONITEMLABEL;

class CTreeCtrl : public QTreeWidget
{
    Q_OBJECT

public:
    explicit CTreeCtrl(QWidget* parent = nullptr);
    ~CTreeCtrl() override;

    // Inserts below parent (TVI_ROOT: a top item) after the item given, or
    // first or last; null when after is not a child of parent.
    HTREEITEM InsertItem(const std::string& text, int image = -1, int selectedImage = -1,
                         HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
    // Deletes the item and its descendants (itemDeleting for each).
    bool DeleteItem(HTREEITEM item);
    void DeleteAllItems();

    std::string GetItemText(HTREEITEM item) const;
    bool SetItemText(HTREEITEM item, const std::string& text);
    DWORD_PTR GetItemData(HTREEITEM item) const;
    bool SetItemData(HTREEITEM item, DWORD_PTR data);
    bool GetItemImage(HTREEITEM item, int& image, int& selectedImage) const;
    bool SetItemImage(HTREEITEM item, int image, int selectedImage);

    // An expander before the item has children (lazy filling).
    void SetHasChildren(HTREEITEM item, bool hasChildren);
    bool ItemHasChildren(HTREEITEM item) const;

    HTREEITEM GetRootItem() const;
    HTREEITEM GetChildItem(HTREEITEM item) const;
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const;
    HTREEITEM GetPrevSiblingItem(HTREEITEM item) const;
    HTREEITEM GetParentItem(HTREEITEM item) const;
    // The next item shown below (its first child when expanded, else its
    // next sibling or an ancestor's); null at the end.
    HTREEITEM GetNextVisibleItem(HTREEITEM item) const;
    HTREEITEM GetPrevVisibleItem(HTREEITEM item) const;
    HTREEITEM GetFirstVisibleItem() const;

    HTREEITEM GetSelectedItem() const;
    // Selects (and shows) the item; null clears the selection.
    bool SelectItem(HTREEITEM item);
    bool Expand(HTREEITEM item, UINT action);
    void EnsureVisible(HTREEITEM item);

    // Draws the item as a drop target (null: none).
    bool SelectDropTarget(HTREEITEM item);
    HTREEITEM GetDropHilightItem() const { return m_dropTarget; }

    // Orders the item's children (TVI_ROOT: the top items) with
    // compare(data1, data2) < 0 meaning before; stable.
    bool SortChildren(HTREEITEM item, const std::function<int(DWORD_PTR, DWORD_PTR)>& compare);

    void SetImageList(CImageList* images);
    CImageList* GetImageList() const { return m_images; }

    bool GetItemRect(HTREEITEM item, QRect& rect) const;
    HTREEITEM HitTest(const QPoint& point, UINT* flags = nullptr) const;

signals:
    void selectionChanged(HTREEITEM oldItem, HTREEITEM newItem, int cause);
    void itemExpandedChanged(HTREEITEM item, bool expanded);
    void itemDeleting(HTREEITEM item, DWORD_PTR data);
    void itemActivatedByUser(HTREEITEM item);
    void contextMenuRequested(HTREEITEM item, const QPoint& globalPosition);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    void NotifyDeleting(HTREEITEM item);
    void UpdateIcon(HTREEITEM item);

    CImageList* m_images = nullptr;
    HTREEITEM m_dropTarget = nullptr;
    int m_cause = TVC_UNKNOWN;
};
