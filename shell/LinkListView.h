#pragma once
// CLinkListView: the right-hand list of a task window. One row per link
// found on the page selected in the link tree (or below it, when all
// descendants are listed), through the tree's display filter, sorted by a
// chosen column and coloured by link state. It reads the engine only through
// the tree view.
//
// Each row's data is a heap copy of its link's record, owned by the row and
// freed when the row is deleted.
//
// Fills are coalesced: a fill asked with a delay runs once that many
// milliseconds passed without another request. Structural work is done only
// when the tree's selection or filter changed or the engine reports changed
// children; otherwise only the visible rows are refreshed.
//
// UI thread only.

#include "shell/LinkListPane.h"
#include "shell/LinkListRows.h"

#include "checker/LinkInfo.h"
#include "checker/LinkViewFilter.h"
#include "platform/ui/View.h"

#include <QPointer>

#include <memory>
#include <vector>

class CImageList;
class COwnerDrawListCtrl;
class CLinkTreeView;
class IPropertySet;
class QTimer;

class CLinkListView : public CView, public ILinkListPane
{
    Q_OBJECT

public:
    static constexpr int kListControlId = 1002;
    static constexpr int kDeferredFillMs = 200;

    // settings outlive the view; the tree is left alone once it is gone.
    CLinkListView(CLinkTreeView& tree, IPropertySet& settings, QWidget* parent = nullptr);
    ~CLinkListView() override;

    // Makes the list and its columns, restores the column layout, registers
    // with the tree and shows details. Run once; OnInitialUpdate calls it.
    void CreateList();
    void OnInitialUpdate() override;

    // ---- ILinkListPane -----------------------------------------------------
    void FillList(int delayMs, bool rebuild) override;
    bool GetSingleSelectedUrl(std::string& url) const override;
    int GetInfoMode() const override { return m_infoMode; }
    void SetInfoMode(int mode) override;
    bool IsLocked() const override { return m_locked; }
    void SetLocked(bool locked) override;

    // 0 large icons, 1 small icons, 2 list, 3 details, 4 thumbnails.
    void SetViewMode(int mode);
    int GetViewMode() const { return m_viewMode; }

    // The copy of the one selected row; null for none or several.
    const CLinkInfo* GetSingleSelection() const;
    // Locked, or one selected row, or no selected row but a link selected in
    // the tree.
    bool CanCopy() const;
    // The selected rows' URLs, one per line ("\r\n" between them).
    std::string SelectedUrls() const;

    // Sorting: column click behaviour (the same column reverses, another
    // becomes the sort column with the direction kept), then a rebuild.
    void OnColumnClick(int column);
    int GetSortColumn() const { return m_sortColumn; }
    int GetSortDirection() const { return m_sortDirection; }

    // Double click and Enter: several rows are checked again; one row that
    // was fetched is opened (a page is selected in the tree, which lists its
    // links; another link's first occurrence is shown in the tree when it is
    // not a row here); a row not fetched is checked again. True when it acted.
    bool OpenSelected();
    // Downloaded, or Info only and local, or a redirect.
    static bool IsNavigable(const CLinkInfo& info);
    // Enter opens (or, when that did nothing, goes up like Backspace: the
    // tree selects the parent page); paging keys ask for a deferred fill.
    void OnListKey(int key, Qt::KeyboardModifiers modifiers);

    bool IsListingDescendants() const { return m_listDescendants; }
    void SetListingDescendants(bool on);

    COwnerDrawListCtrl& GetListCtrl() const { return *m_list; }
    // The row's copy of its link; null for a row that does not exist.
    const CLinkInfo* RowInfo(int row) const;
    // The background a row gets, or nothing: the state colour when list
    // colouring is on.
    std::optional<QColor> RowBackground(int row) const;

private:
    void FillNow(bool rebuild);
    void Rebuild();
    void Merge();
    void RefreshVisible();
    int AppendRow(std::unique_ptr<CLinkInfo> info, int icon);
    void SetRowTexts(int row, const CLinkInfo& info);
    void Sort();
    void ShowSortArrow();
    std::vector<int> SelectedRows() const;
    std::vector<int> SelectedIds() const;
    int RowOfLink(int linkId) const;
    // Copy, Select All, List all Descendants, Go to Parent, Resume, Stop
    // (LinkListViewCommands.cpp).
    void AddCommands();

    CLinkTreeView& m_tree;
    QPointer<CLinkTreeView> m_treeAlive;
    IPropertySet& m_settings;
    COwnerDrawListCtrl* m_list = nullptr;
    QTimer* m_fillTimer = nullptr;

    CLinkViewFilter m_filter; // the tree's filter at the last rebuild
    int m_parentId = 0;       // the tree's selected link at the last fill
    CLinkInfo m_parent;       // its copy
    int m_sortColumn = kLinkListDefaultSortColumn;
    int m_sortDirection = 1;
    int m_fillReentry = 0;
    bool m_listDescendants = false;
    int m_viewMode = -1;
    int m_infoMode = 1;
    bool m_locked = false;
    std::unique_ptr<CImageList> m_thumbnails; // thumbnail mode only
    bool m_enterKeyActive = false; // the list's activation of that key is ignored
};
