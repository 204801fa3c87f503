// The commands of the link list for several selected rows at once: copy
// their URLs, select all, list all descendants, go to the one row's parent
// page, and resume or stop the selected links. Cut and Paste exist in the
// menu but never apply to links. Opening a row: double click and Enter.

#include "shell/LinkListView.h"

#include "checker/LinkNames.h"
#include "foundation/desktop/ShellHelpers.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/WidgetWindow.h"
#include "res/Resources.h"
#include "shell/LinkTreeView.h"
#include "widgets/OwnerDrawListCtrl.h"

#include <QTimer>

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
    OnUpdateCommand(ID_EDIT_CUT, [](CCmdUI& ui) { ui.Enable(false); });
    OnUpdateCommand(ID_EDIT_PASTE, [](CCmdUI& ui) { ui.Enable(false); });

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
