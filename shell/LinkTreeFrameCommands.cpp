// The commands of a task window: the task commands the tree view carries and
// the list commands the list view carries, passed on from whichever pane has
// the focus; and the frame's own: Refresh, the list's lock, info modes, view
// modes and colouring, and the focus cycle between the panes.

#include "shell/LinkTreeFrame.h"

#include "editor/ui/HTMLEditView.h"
#include "foundation/desktop/InitInstanceBroadcast.h"
#include "foundation/desktop/ShellHelpers.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "platform/ui/WidgetWindow.h"
#include "res/Resources.h"
#include "shell/LinkGeneralView.h"
#include "shell/LinkListView.h"
#include "shell/LinkViewFrame.h"
#include "widgets/OwnerDrawListCtrl.h"

#include <QAction>
#include <QApplication>

#include <algorithm>
#include <span>

namespace
{
// The commands that belong to a pane, offered to it when the active view
// did not take them.
constexpr UINT kTreeCommands[] = {ID_TASK_STOP,           ID_TASK_CONTINUE,      ID_TASK_RESTART,
                                  ID_TASK_REPORT,         ID_TASK_CHECK_EXTERNAL, ID_VIEW_ALL_TREE_ITEMS,
                                  ID_VIEW_HIDE_REPEATING};
constexpr UINT kListCommands[] = {ID_VIEW_ALL_DESCENDANTS};

// The info-mode commands and the list's info mode each one chooses.
constexpr std::pair<UINT, int> kInfoModes[] = {
    {ID_INFO_CONTENT, 1}, {ID_INFO_LOG, 2}, {ID_INFO_INFORMATION, 3}, {ID_INFO_FORM, 4}};
// The view-mode commands and the list's view mode each one chooses.
constexpr std::pair<UINT, int> kViewModes[] = {{ID_VIEW_MODE_LARGE_ICONS, 0},
                                               {ID_VIEW_MODE_SMALL_ICONS, 1},
                                               {ID_VIEW_MODE_LIST, 2},
                                               {ID_VIEW_MODE_DETAILS, 3},
                                               {ID_VIEW_MODE_THUMBNAILS, 4}};

bool Contains(std::span<const UINT> ids, UINT id)
{
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}
} // namespace

void CLinkTreeFrame::AddCommands()
{
    // The task window's keys work while the focus is anywhere in this
    // window, and only there: another task window has the same keys.
    if (const AcceleratorTableDesc* keys = FindAcceleratorTable(IDR_TASK))
    {
        Commands().InstallAccelerators(keys->m_keys);
        for (const AcceleratorDesc& key : keys->m_keys)
            Commands().Action(key.m_id)->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    }
    // The keys follow their commands' state, and so does the link view
    // bar's lock button (the lock's update handler sets it).
    Commands().StartIdleUpdates();

    OnCommand(ID_TASK_REFRESH, [this] { RefreshTask(); });

    OnCommand(ID_LIST_LOCK, [this] { ToggleListLock(); });
    OnUpdateCommand(ID_LIST_LOCK, [this](CCmdUI& ui) { UpdateListLock(ui); });

    for (const auto& [id, mode] : kInfoModes)
    {
        OnCommand(id, [this, mode] { SetInfoMode(mode); });
        OnUpdateCommand(id, [this, mode](CCmdUI& ui) { ui.SetCheck(m_list->GetInfoMode() == mode ? 1 : 0); });
    }

    OnCommand(ID_VIEW_COLORIZE_LIST, [this] { ToggleListColouring(); });
    OnUpdateCommand(ID_VIEW_COLORIZE_LIST, [this](CCmdUI& ui) {
        ui.SetCheck(GetIntOr(m_viewSettings, SETTING_COLORS_ENABLE_LINK_LIST_COLORING, 1) != 0 ? 1 : 0);
    });

    for (const auto& [id, mode] : kViewModes)
    {
        OnCommand(id, [this, mode] { m_list->SetViewMode(mode); });
        OnUpdateCommand(id, [this, mode](CCmdUI& ui) { ui.SetCheck(m_list->GetViewMode() == mode ? 1 : 0); });
    }
    // The toolbar's Views button switches between thumbnails and details; it
    // is never offered, so its drop-down of the modes is the way to choose.
    OnCommand(ID_VIEW_VIEWS, [this] { m_list->SetViewMode(m_list->GetViewMode() == 4 ? 3 : 4); });
    OnUpdateCommand(ID_VIEW_VIEWS, [](CCmdUI& ui) { ui.Enable(false); });

    OnCommand(ID_QC_NEXT_CONTROL, [this] { CycleFocus(true); });
    OnCommand(ID_QC_PREV_CONTROL, [this] { CycleFocus(false); });
}

bool CLinkTreeFrame::OnCmdMsg(UINT id, CommandRequest request, CCmdUI* ui)
{
    // Tab is a key of the main window: it cycles this window's panes only
    // while the focus is in here, and the main window's bars otherwise.
    if ((id == ID_QC_NEXT_CONTROL || id == ID_QC_PREV_CONTROL) && !isAncestorOf(QApplication::focusWidget()))
        return false;
    if (CTanglewardenFrame::OnCmdMsg(id, request, ui))
        return true;
    if (Contains(kTreeCommands, id))
        return m_tree->OnCmdMsg(id, request, ui);
    if (Contains(kListCommands, id))
        return m_list->OnCmdMsg(id, request, ui);
    return false;
}

// ---- The frame's own commands ------------------------------------------------

void CLinkTreeFrame::RefreshTask()
{
    m_tree->GetEngine().TouchAllLinks();
    m_tree->RefreshTree(false);
    m_list->FillList(0, true);
}

void CLinkTreeFrame::ToggleListLock()
{
    m_list->SetLocked(!m_list->IsLocked());
    m_linkView->SetLockCheck(m_list->IsLocked());
}

void CLinkTreeFrame::UpdateListLock(CCmdUI& ui)
{
    const bool canCopy = m_list->CanCopy();
    ui.Enable(canCopy);
    ui.SetCheck(m_list->IsLocked() ? 1 : 0);
    // The link view bar's lock button follows the same state.
    m_linkView->EnableLockButton(canCopy);
    m_linkView->SetLockCheck(m_list->IsLocked());
}

void CLinkTreeFrame::SetInfoMode(int mode)
{
    m_list->SetInfoMode(mode);
    m_linkView->ShowPageForKind();
}

void CLinkTreeFrame::ToggleListColouring()
{
    const bool on = GetIntOr(m_viewSettings, SETTING_COLORS_ENABLE_LINK_LIST_COLORING, 1) != 0;
    m_viewSettings.SetInt(SETTING_COLORS_ENABLE_LINK_LIST_COLORING, on ? 0 : 1);
    if (m_saveSettings)
        (void)m_saveSettings();
    // Every window reads the setting again: the descendants of the main
    // window, or every top-level window of this thread without one.
    CMDIFrameWnd* main = GetMDIFrame();
    (void)PostMessageToAllWindows(main ? CWidgetWindow::HandleOf(main) : nullptr, kSettingsChangedMessage, 0, 0);
    // The rows read the setting when they are painted.
    m_list->GetListCtrl().RowsWidget()->update();
}

// ---- Focus cycle -----------------------------------------------------------------

LinkTreePane CLinkTreeFrame::GetActivePane() const
{
    const CView* active = GetActiveView();
    if (active == m_list)
        return LinkTreePane::kList;
    if (active && active == GetEditView())
        return LinkTreePane::kEditor;
    if (active == m_general)
        return LinkTreePane::kGeneral;
    return LinkTreePane::kTree;
}

void CLinkTreeFrame::CycleFocus(bool forward)
{
    const LinkTreePane from = GetActivePane();
    // A form shown in the editor view is walked field by field first.
    if (from == LinkTreePane::kEditor && GetEditView()->ForwardToFormView(!forward))
        return;
    ActivatePane(StepLinkTreePane(from, forward), forward);
}

void CLinkTreeFrame::ActivatePane(LinkTreePane pane, bool forward)
{
    CView* view = m_tree;
    switch (pane)
    {
    case LinkTreePane::kTree: view = m_tree; break;
    case LinkTreePane::kList: view = m_list; break;
    case LinkTreePane::kEditor: view = GetEditView(); break;
    case LinkTreePane::kGeneral: view = m_general; break;
    }
    SetActiveView(view);
    if (pane == LinkTreePane::kEditor)
        m_linkView->SetActiveView(view, false);
    view->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    // Entered forwards the form's first field takes the focus, backwards
    // its last.
    if (pane == LinkTreePane::kEditor)
        GetEditView()->FocusFormField(forward);
}
