// The commands of the link list for several selected rows at once: copy
// their URLs, select all, find, list all descendants, go to the one row's
// parent page or first occurrence, save, open as new tasks, in the desktop
// or in an editor, and resume or stop the selected links. Cut and Paste
// exist in the menu but never apply to links. Opening a row: double click
// and Enter.

#include "shell/LinkListView.h"

#include "checker/LinkNames.h"
#include "checker/TaskSettings.h"
#include "checker/ui/TanglewardenDoc.h"
#include "foundation/desktop/ItemSearch.h"
#include "foundation/desktop/ShellHelpers.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/WidgetWindow.h"
#include "res/Resources.h"
#include "shell/LinkItemCommands.h"
#include "shell/LinkTreeView.h"
#include "widgets/OwnerDrawListCtrl.h"

#include <QTimer>

namespace
{
// The rows for FindItemText, top to bottom, by their name; an item is its
// row + 1 (0 is none).
class CListFindAdapter : public IFindItemList
{
public:
    explicit CListFindAdapter(CListCtrl& list) : m_list(list) {}

    bool HasItems() const override { return m_list.GetItemCount() > 0; }
    std::string GetItemText(ViewItem item) const override
    {
        return item ? m_list.GetItemText(Row(item), 0) : std::string();
    }
    ViewItem GetFirstItem() const override { return Id(m_list.GetItemCount() > 0 ? 0 : -1); }
    ViewItem GetSelectedItem() const override { return Id(m_list.GetNextItem(-1, LVNI_SELECTED)); }
    void SelectItem(ViewItem item) override
    {
        if (!item)
            return;
        (void)m_list.SetItemState(Row(item), LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        m_list.EnsureVisible(Row(item));
    }
    void DeselectItem(ViewItem item) override
    {
        if (item)
            (void)m_list.SetItemState(Row(item), 0, LVIS_SELECTED);
    }
    ViewItem GetNextItem(ViewItem item) const override
    {
        const int next = item ? Row(item) + 1 : 0;
        return next < m_list.GetItemCount() ? Id(next) : kNoViewItem;
    }

private:
    static int Row(ViewItem item) { return static_cast<int>(item) - 1; }
    static ViewItem Id(int row) { return row < 0 ? kNoViewItem : static_cast<ViewItem>(row + 1); }
    CListCtrl& m_list;
};
} // namespace

void CLinkListView::AddCommands()
{
    OnCommand(ID_EDIT_COPY, [this] {
        const std::string text = SelectedUrls();
        if (!text.empty())
            (void)SetClipboardText(text, text.size(), CWidgetWindow::HandleOf(this));
    });
    OnUpdateCommand(ID_EDIT_COPY, [this](CCmdUI& ui) { ui.Enable(m_list && m_list->GetSelectedCount() > 0); });
    OnCommand(ID_EDIT_SELECT_ALL, [this] {
        for (int row = 0; m_list && row < m_list->GetItemCount(); ++row)
            (void)m_list->SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
    });
    OnUpdateCommand(ID_EDIT_SELECT_ALL, [this](CCmdUI& ui) {
        ui.Enable(m_list && m_list->GetSelectedCount() < m_list->GetItemCount());
    });
    // Nothing to cut or paste in a link list.
    for (UINT id : {ID_EDIT_CUT, ID_EDIT_PASTE})
    {
        OnCommand(id, [] {});
        OnUpdateCommand(id, [](CCmdUI& ui) { ui.Enable(false); });
    }
    OnCommand(ID_EDIT_FIND, [this] { Find(false); });
    OnCommand(ID_EDIT_FIND_NEXT, [this] { Find(true); });

    OnCommand(ID_LINK_FIND_FIRST, [this] { FindFirstLink(); });
    OnUpdateCommand(ID_LINK_FIND_FIRST, [this](CCmdUI& ui) {
        const CLinkInfo* info = GetSingleSelection();
        ui.Enable(info && info->m_repetition > 1);
    });
    OnCommand(ID_LINK_SAVE_AS, [this] { SaveLinksAs(); });
    OnUpdateCommand(ID_LINK_SAVE_AS, [this](CCmdUI& ui) {
        const std::vector<int> ids = SelectedIds();
        ui.Enable(!ids.empty() && m_tree.GetEngine().CanSaveLinks(ids.data(), static_cast<int>(ids.size()), false));
    });
    OnCommand(ID_LINK_NEW_TASK, [this] { NewTaskFromLinks(); });
    OnUpdateCommand(ID_LINK_NEW_TASK, [this](CCmdUI& ui) {
        ui.Enable(m_list && m_list->GetSelectedCount() > 0 && static_cast<bool>(m_tree.GetServices().m_openTask));
    });
    OnCommand(ID_LINK_OPEN_IN_SHELL, [this] { OpenInShell(); });
    OnUpdateCommand(ID_LINK_OPEN_IN_SHELL, [this](CCmdUI& ui) { ui.Enable(m_list && m_list->GetSelectedCount() > 0); });
    OnCommand(ID_LINK_EDIT, [this] { EditLinks(); });
    OnUpdateCommand(ID_LINK_EDIT, [this](CCmdUI& ui) {
        bool editable = false;
        for (const int row : SelectedRows())
            if (const CLinkInfo* info = RowInfo(row))
                editable = editable || CanEditLink(*info);
        ui.Enable(editable && static_cast<bool>(m_tree.GetServices().m_openEditor));
    });

    OnCommand(ID_VIEW_ALL_DESCENDANTS, [this] { SetListingDescendants(!m_listDescendants); });
    OnUpdateCommand(ID_VIEW_ALL_DESCENDANTS, [this](CCmdUI& ui) { ui.SetCheck(m_listDescendants ? 1 : 0); });

    OnCommand(ID_LINK_GO_TO_PARENT, [this] {
        const CLinkInfo* info = GetSingleSelection();
        int referrer = 0;
        if (!info || !m_tree.GetEngine().GetReferrerId(info->m_linkId, referrer) || !m_tree.SelectLink(referrer))
            return;
        if (CFrameWnd* frame = GetParentFrame())
            frame->SetActiveView(&m_tree);
    });
    OnUpdateCommand(ID_LINK_GO_TO_PARENT, [this](CCmdUI& ui) { ui.Enable(GetSingleSelection() != nullptr); });

    OnCommand(ID_LINK_RESUME, [this] {
        const std::vector<int> ids = SelectedIds();
        if (!ids.empty())
            (void)m_tree.GetEngine().RecheckLinks(ids.data(), static_cast<int>(ids.size()));
    });
    OnUpdateCommand(ID_LINK_RESUME, [this](CCmdUI& ui) {
        const std::vector<int> ids = SelectedIds();
        ui.Enable(!ids.empty() && m_tree.GetEngine().CanRecheckLinks(ids.data(), static_cast<int>(ids.size()), false));
    });
    OnCommand(ID_LINK_STOP, [this] {
        const std::vector<int> ids = SelectedIds();
        if (!ids.empty())
            (void)m_tree.GetEngine().StopLinks(ids.data(), static_cast<int>(ids.size()));
    });
    OnUpdateCommand(ID_LINK_STOP, [this](CCmdUI& ui) {
        const std::vector<int> ids = SelectedIds();
        ui.Enable(!ids.empty() && m_tree.GetEngine().CanStopLinks(ids.data(), static_cast<int>(ids.size()), false));
    });
}

void CLinkListView::Find(bool again)
{
    if (!m_list)
        return;
    const std::string text = AskLinkFindText(this, m_settings, IDS_FIND_IN_LIST, again);
    if (text.empty())
        return;
    CListFindAdapter items(*m_list);
    (void)FindLinkItem(items, text);
}

void CLinkListView::FindFirstLink()
{
    const CLinkInfo* info = GetSingleSelection();
    int first = 0;
    if (!info || info->m_repetition <= 1 || !m_tree.GetEngine().GetFirstOccurrence(info->m_linkId, first))
        return;
    if (const int row = RowOfLink(first); row >= 0)
    {
        for (const int selected : SelectedRows())
            (void)m_list->SetItemState(selected, 0, LVIS_SELECTED);
        (void)m_list->SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        m_list->EnsureVisible(row);
        return;
    }
    if (m_tree.SelectLink(first))
        if (CFrameWnd* frame = GetParentFrame())
            frame->SetActiveView(&m_tree);
}

void CLinkListView::SaveLinksAs()
{
    const std::vector<int> ids = SelectedIds();
    if (ids.empty())
        return;
    const CLinkInfo* single = GetSingleSelection();
    const bool folder = !single || single->m_linkType == kTypeFtpList || single->m_linkType == kTypeLocalFolder;
    (void)SaveLinksWithPrompt(this, m_tree.GetEngine(), ids, folder, single ? single->m_url : std::string());
}

void CLinkListView::NewTaskFromLinks()
{
    const auto& openTask = m_tree.GetServices().m_openTask;
    if (!openTask)
        return;
    auto* document = dynamic_cast<CTanglewardenDoc*>(m_tree.GetDocument());
    const CTaskSettings* own = document ? document->GetTask() : nullptr;
    // The rows go before the first window opens: a new window may change
    // what this list shows.
    std::vector<std::string> urls;
    for (const int row : SelectedRows())
        if (const CLinkInfo* info = RowInfo(row); info && !info->m_url.empty())
            urls.push_back(info->m_url);
    for (const std::string& url : urls)
    {
        CTaskSettings task = own ? *own : CTaskSettings();
        task.SetString(TASK_URI, url.c_str());
        openTask(task);
    }
}

void CLinkListView::OpenInShell()
{
    for (const int row : SelectedRows())
        if (const CLinkInfo* info = RowInfo(row); info && !info->m_url.empty())
            (void)ShellOpen(info->m_url);
}

void CLinkListView::EditLinks()
{
    const auto& openEditor = m_tree.GetServices().m_openEditor;
    if (!openEditor)
        return;
    std::vector<std::string> paths;
    for (const int row : SelectedRows())
        if (const CLinkInfo* info = RowInfo(row); info && CanEditLink(*info))
            paths.push_back(info->m_url);
    for (const std::string& path : paths)
        if (CTanglewardenDoc* editor = openEditor(path))
            m_tree.AttachDocument(editor);
}

void CLinkListView::SubmitForm(const CFormData& form)
{
    const CLinkInfo* single = GetSingleSelection();
    const int formId = single ? single->m_linkId : m_tree.GetSelectedLinkId();
    const int added = m_tree.GetEngine().AddFormSubmitLink(formId, form);
    if (added == 0)
        return;
    m_tree.RefreshTree(false);
    (void)m_tree.SelectLink(added);
}

UINT CLinkListView::ContextDefaultCommand() const
{
    const CLinkInfo* info = GetSingleSelection();
    const bool done = info && (info->m_state == kStateDownloaded || info->m_state == kStateInfoOnly);
    return done && info->m_repetition > 1 ? ID_LINK_FIND_FIRST : ID_LINK_RESUME;
}

std::vector<int> CLinkListView::SelectedIds() const
{
    std::vector<int> ids;
    for (const int row : SelectedRows())
        if (const CLinkInfo* info = RowInfo(row))
            ids.push_back(info->m_linkId);
    return ids;
}

bool CLinkListView::OpenSelected()
{
    const std::vector<int> ids = SelectedIds();
    CLinkChecker& engine = m_tree.GetEngine();
    if (ids.empty())
        return false;
    if (ids.size() > 1)
    {
        std::vector<int> checkable;
        for (const int id : ids)
            if (engine.CanRecheckLink(id))
                checkable.push_back(id);
        if (checkable.empty())
            return false;
        (void)engine.RecheckLinks(checkable.data(), static_cast<int>(checkable.size()));
        return true;
    }
    const CLinkInfo* info = GetSingleSelection();
    if (!info)
        return false;
    if (!IsNavigable(*info))
    {
        (void)engine.RecheckLink(info->m_linkId);
        return true;
    }
    int first = info->m_linkId;
    if (!engine.GetFirstOccurrence(info->m_linkId, first))
        first = info->m_linkId;
    if (IsContainerType(info->m_linkType))
    {
        // Selecting a page in the tree lists its links here.
        (void)m_tree.SelectLink(first);
        return true;
    }
    if (RowOfLink(first) < 0 && m_tree.SelectLink(first))
        if (CFrameWnd* frame = GetParentFrame())
            frame->SetActiveView(&m_tree);
    return true;
}

bool CLinkListView::IsNavigable(const CLinkInfo& info)
{
    const bool local = GetLinkProtocol(info.m_url) == kProtocolLocal;
    if (info.m_linkType == kTypeHttpRedirect)
        return true;
    if (info.m_state == kStateDownloaded)
        return true;
    return local && info.m_state == kStateInfoOnly;
}

int CLinkListView::RowOfLink(int linkId) const
{
    for (int row = 0; m_list && row < m_list->GetItemCount(); ++row)
        if (const CLinkInfo* info = RowInfo(row); info && info->m_linkId == linkId)
            return row;
    return -1;
}

void CLinkListView::OnListKey(int key, Qt::KeyboardModifiers modifiers)
{
    switch (key)
    {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The list reports Enter as an activation too; that one is ours.
        m_enterKeyActive = true;
        QTimer::singleShot(0, this, [this] { m_enterKeyActive = false; });
        if (OpenSelected())
            return;
        [[fallthrough]];
    case Qt::Key_Backspace:
        if ((modifiers & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier)) == 0 &&
            m_tree.SelectParentItem())
            FillNow(true);
        return;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Up:
    case Qt::Key_Down:
        FillList(kDeferredFillMs, false);
        return;
    default:
        return;
    }
}
