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

class CFormData;
class CHTMLEditView;
class CImageList;
class COwnerDrawListCtrl;
class CLinkTreeView;
class CLinkViewFrame;
class CThumbnailWorker;
class IPropertySet;
class QTimer;

class CLinkListView : public CView, public ILinkListPane
{
    Q_OBJECT

public:
    static constexpr int kListControlId = 1002;
    static constexpr int kDeferredFillMs = 200;
    // Info modes: the pages of the link view frame.
    static constexpr int kInfoContent = 1;
    static constexpr int kInfoLog = 2;
    static constexpr int kInfoInformation = 3;
    static constexpr int kInfoForm = 4;
    static constexpr int kInfoHtmlElements = 5;
    static constexpr int kInfoHtmlTags = 6;
    static constexpr int kInfoHtmlText = 7;
    // The info pane's link when several rows are selected.
    static constexpr int kSeveralLinks = -1;
    // WM_VIEW_DEFERRED: 0 after a size change, 1 to size column 0 as well.
    static constexpr uintptr_t kLayoutAfterSize = 0;
    static constexpr uintptr_t kLayoutAutoSize = 1;

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

    // The link view frame whose editor view is the info pane; the list
    // tells it of itself and submits its forms. Without one, the frame of
    // the task window the list sits in is used.
    void SetLinkViewFrame(CLinkViewFrame* frame);
    CLinkViewFrame* GetLinkViewFrame() const;
    // The info pane shows the one selected row's link, or the tree's
    // selected link with no row selected, or a note for several; a locked
    // pane keeps the link it shows (and still follows its changes).
    void ShowSelectionInfo();
    // kSeveralLinks, 0 (nothing) or a link id.
    void ShowLinkInfo(int linkId);
    int GetShownLinkId() const { return m_shownLinkId; }
    // Submits a filled form of the one selected row's link (else of the
    // tree's selected link) as a new link; the tree then selects it.
    void SubmitForm(const CFormData& form);

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
    // What painting uses: RowBackground, except that a row shown as
    // selected keeps the selection colours.
    std::optional<QColor> RowPaintBackground(int row) const;
    // The context menu's default item for the selection.
    UINT ContextDefaultCommand() const;
    // The URL collector of thumbnail mode; null in the other modes.
    const CThumbnailWorker* GetThumbnailWorker() const { return m_thumbnailWorker.get(); }

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

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
    // Registers the list's commands with their update handlers; they act on
    // the selected rows. Run once, by the constructor.
    void AddCommands();
    void Find(bool again);
    void FindFirstLink();
    void SaveLinksAs();
    void NewTaskFromLinks();
    void OpenInShell();
    void EditLinks();
    void Layout(uintptr_t mode);
    void PostToSelf(uint32_t message, uintptr_t wParam);
    // Takes the list back from its link view frame: the frame's tabs, lock
    // button and form no longer reach it.
    void DetachLinkViewFrame();
    // The link the info pane should show now.
    int InfoLinkId() const;
    // Fills the pane with the info mode's page of the link; false when the
    // page has nothing for it (LinkListInfo.cpp).
    bool ShowPage(CHTMLEditView& view, const CLinkInfo& info);
    void CollectThumbnailUrl(const CLinkInfo& info);

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
    std::unique_ptr<CThumbnailWorker> m_thumbnailWorker; // thumbnail mode only
    QPointer<CLinkViewFrame> m_linkViewFrame;
    // What the info pane shows: link, its content stamp, the mode.
    int m_shownLinkId = 0;
    uint32_t m_shownStamp = 0;
    int m_shownMode = 0;
    int m_sizeCount = 0; // the first size is the creation's
    bool m_enterKeyActive = false; // the list's activation of that key is ignored
};
