// The commands of a link tree view: the task (stop, continue, restart,
// external links, report), the selected link (resume, stop, first
// occurrence, copy, save, new task, open, edit), the tree's display and
// Find, and the context menu.

#include "shell/LinkTreeView.h"

#include "checker/LinkNames.h"
#include "checker/TaskSettings.h"
#include "dialogs/ReportFile.h"
#include "foundation/desktop/FileBrowsing.h"
#include "foundation/desktop/ItemSearch.h"
#include "foundation/desktop/ShellHelpers.h"
#include "foundation/files/DirectoryTree.h"
#include "foundation/files/FileSystem.h"
#include "foundation/files/PathUtils.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "platform/core/RefPtr.h"
#include "platform/core/Text.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/ModalDriver.h"
#include "platform/ui/WidgetWindow.h"
#include "res/Resources.h"
#include "shell/LinkItemCommands.h"
#include "shell/LinkListPane.h"
#include "shell/TextWindows.h"
#include "transfer/base/LogRegistry.h"
#include "transfer/base/TransferLog.h"
#include "widgets/WaitDlg.h"

#include <QApplication>

#include <QEventLoop>
#include <QPointer>
#include <QTimer>

namespace
{
// Link states whose link may be opened as its first occurrence.
bool IsDone(int state)
{
    return state == kStateDownloaded || state == kStateInfoOnly;
}

// The tree's items for FindItemText, depth first.
class CTreeFindAdapter : public IFindItemList
{
public:
    explicit CTreeFindAdapter(CTreeCtrl& tree) : m_tree(tree) {}

    bool HasItems() const override { return m_tree.GetRootItem() != nullptr; }
    std::string GetItemText(ViewItem item) const override
    {
        return item ? m_tree.GetItemText(Item(item)) : std::string();
    }
    ViewItem GetFirstItem() const override { return Id(m_tree.GetRootItem()); }
    ViewItem GetSelectedItem() const override { return Id(m_tree.GetSelectedItem()); }
    void SelectItem(ViewItem item) override
    {
        if (!item)
            return;
        m_tree.SelectItem(Item(item));
        m_tree.EnsureVisible(Item(item));
    }
    void DeselectItem(ViewItem item) override
    {
        if (item && Item(item) == m_tree.GetSelectedItem())
            m_tree.SelectItem(nullptr);
    }
    ViewItem GetNextItem(ViewItem item) const override
    {
        HTREEITEM at = Item(item);
        if (HTREEITEM child = m_tree.GetChildItem(at))
            return Id(child);
        for (; at; at = m_tree.GetParentItem(at))
        {
            if (HTREEITEM sibling = m_tree.GetNextSiblingItem(at))
                return Id(sibling);
        }
        return kNoViewItem;
    }

private:
    static HTREEITEM Item(ViewItem item) { return reinterpret_cast<HTREEITEM>(item); }
    static ViewItem Id(HTREEITEM item) { return reinterpret_cast<ViewItem>(item); }
    CTreeCtrl& m_tree;
};
} // namespace

void CLinkTreeView::AddCommands()
{
    const auto selectedId = [this] { return GetSelectedLinkId(); };

    OnCommand(ID_TASK_STOP, [this] { StopTask(); });
    OnUpdateCommand(ID_TASK_STOP, [this](CCmdUI& ui) { ui.Enable(m_engine->IsRunning()); });
    OnCommand(ID_TASK_REFRESH, [this] { EndOfRunRefresh(); });
    OnCommand(ID_TASK_CONTINUE, [this] { ContinueTask(); });
    OnUpdateCommand(ID_TASK_CONTINUE, [this](CCmdUI& ui) { ui.Enable(m_engine->CanContinueTask()); });
    OnCommand(ID_TASK_CHECK_EXTERNAL, [this] { CheckExternalLinks(); });
    OnUpdateCommand(ID_TASK_CHECK_EXTERNAL, [this](CCmdUI& ui) { ui.Enable(m_engine->CanCheckExternalLinks()); });
    OnCommand(ID_TASK_RESTART, [this] { RestartTask(); });
    OnUpdateCommand(ID_TASK_RESTART, [this](CCmdUI& ui) { ui.Enable(!m_engine->IsRunning()); });
    OnCommand(ID_TASK_REPORT, [this] { Report(); });
    OnUpdateCommand(ID_TASK_REPORT, [this](CCmdUI& ui) {
        ui.Enable(!m_engine->IsRunning() && static_cast<bool>(m_services.m_reportPrompt));
    });

    OnCommand(ID_LINK_RESUME, [this] { RecheckSelected(); });
    OnUpdateCommand(ID_LINK_RESUME,
                    [this, selectedId](CCmdUI& ui) { ui.Enable(m_engine->CanRecheckLink(selectedId())); });
    OnCommand(ID_LINK_STOP, [this] { StopSelected(); });
    OnUpdateCommand(ID_LINK_STOP, [this, selectedId](CCmdUI& ui) { ui.Enable(m_engine->CanStopLink(selectedId())); });
    OnCommand(ID_LINK_FIND_FIRST, [this] { FindFirstLink(); });
    OnUpdateCommand(ID_LINK_FIND_FIRST, [this](CCmdUI& ui) {
        const CLinkInfo* info = GetSelectedInfo();
        ui.Enable(info && info->m_repetition > 1);
    });
    OnCommand(ID_VIEW_ALL_TREE_ITEMS, [this] { ToggleAllTreeItems(); });
    OnUpdateCommand(ID_VIEW_ALL_TREE_ITEMS,
                    [this](CCmdUI& ui) { ui.SetCheck(m_filter.m_fileMode == CLinkViewFilter::kByMasks ? 1 : 0); });
    OnCommand(ID_VIEW_HIDE_REPEATING, [this] { ToggleHideRepeating(); });
    OnUpdateCommand(ID_VIEW_HIDE_REPEATING, [this](CCmdUI& ui) { ui.SetCheck(m_filter.m_hideRepeats != 0 ? 1 : 0); });

    OnCommand(ID_EDIT_COPY, [this] { CopySelectedLink(); });
    OnUpdateCommand(ID_EDIT_COPY, [this](CCmdUI& ui) { ui.Enable(GetSelectedInfo() != nullptr); });
    OnCommand(ID_LINK_SAVE_AS, [this] { SaveLinkAs(); });
    OnUpdateCommand(ID_LINK_SAVE_AS, [this, selectedId](CCmdUI& ui) { ui.Enable(m_engine->CanSaveLink(selectedId())); });
    OnCommand(ID_LINK_NEW_TASK, [this] { NewTaskFromLink(); });
    OnUpdateCommand(ID_LINK_NEW_TASK, [this](CCmdUI& ui) {
        ui.Enable(m_tree->GetSelectedItem() != nullptr && static_cast<bool>(m_services.m_openTask));
    });
    OnCommand(ID_LINK_OPEN_IN_SHELL, [this] { OpenInShell(); });
    OnUpdateCommand(ID_LINK_OPEN_IN_SHELL, [this](CCmdUI& ui) { ui.Enable(m_tree->GetSelectedItem() != nullptr); });
    OnCommand(ID_LINK_EDIT, [this] { EditLink(); });
    OnUpdateCommand(ID_LINK_EDIT, [this](CCmdUI& ui) {
        ui.Enable(IsEditableLink(GetSelectedInfo()) && static_cast<bool>(m_services.m_openEditor));
    });
    OnCommand(ID_EDIT_FIND, [this] { Find(false); });
    OnCommand(ID_EDIT_FIND_NEXT, [this] { Find(true); });
    // Nothing to cut or paste in a link tree.
    for (UINT id : {ID_EDIT_CUT, ID_EDIT_PASTE})
    {
        OnCommand(id, [] {});
        OnUpdateCommand(id, [](CCmdUI& ui) { ui.Enable(false); });
    }
}

// ---- Task commands --------------------------------------------------------------

void CLinkTreeView::StopTask()
{
    m_engine->Stop();
    m_engine->TouchAllLinks();
    RefreshTree(false);
    FillList(0);
}

void CLinkTreeView::ContinueTask()
{
    if (m_engine->ContinueTask(1) == 0)
        AfxMessageBox(LoadResourceString(IDS_NO_UNCHECKED_INTERNAL), MB_OK | MB_ICONINFORMATION);
    UpdateTitle();
}

void CLinkTreeView::CheckExternalLinks()
{
    if (m_engine->CheckExternalLinks() == 0)
        AfxMessageBox(LoadResourceString(IDS_NO_UNCHECKED_EXTERNAL), MB_OK | MB_ICONINFORMATION);
}

void CLinkTreeView::RestartTask()
{
    auto* document = dynamic_cast<CTanglewardenDoc*>(GetDocument());
    if (m_engine->IsRunning() || !document || !document->GetTask())
        return;
    m_tree->DeleteAllItems();
    FillList(0);
    if (m_engine->SetTaskSettings(*document->GetTask()))
        (void)m_engine->Start();
}

// ---- The selected link ----------------------------------------------------------

void CLinkTreeView::RecheckSelected()
{
    if (m_engine->RecheckLink(GetSelectedLinkId()) > 0)
    {
        RefreshTree(false);
        FillList(0);
    }
}

void CLinkTreeView::StopSelected()
{
    if (m_engine->StopLink(GetSelectedLinkId()) > 0)
    {
        RefreshTree(false);
        FillList(0);
    }
}

void CLinkTreeView::FindFirstLink()
{
    int first = 0;
    if (m_engine->GetFirstOccurrence(GetSelectedLinkId(), first))
        (void)SelectLink(first);
}

bool CLinkTreeView::GoToLink()
{
    const CLinkInfo* info = GetSelectedInfo();
    if (!info)
        return false;
    if (IsDone(info->m_state))
    {
        if (info->m_repetition > 1)
        {
            int first = 0;
            return m_engine->GetFirstOccurrence(info->m_linkId, first) && SelectLink(first);
        }
        if (IsLocalPath(info->m_url) || info->m_state == kStateDownloaded)
            return false;
    }
    const int before = GetSelectedLinkId();
    RecheckSelected();
    return before != 0;
}

void CLinkTreeView::ToggleAllTreeItems()
{
    m_filter.m_fileMode =
        m_filter.m_fileMode == CLinkViewFilter::kNeverShown ? CLinkViewFilter::kByMasks : CLinkViewFilter::kNeverShown;
    m_engine->TouchAllLinks();
    RefreshTree(true);
}

void CLinkTreeView::ToggleHideRepeating()
{
    m_filter.m_hideRepeats = m_filter.m_hideRepeats != 0 ? 0 : 1;
    m_engine->TouchAllLinks();
    RefreshTree(true);
    FillList(0);
}

void CLinkTreeView::CopySelectedLink()
{
    if (const CLinkInfo* info = GetSelectedInfo())
        (void)SetClipboardText(info->m_url, info->m_url.size());
}

void CLinkTreeView::SaveLinkAs()
{
    const CLinkInfo* info = GetSelectedInfo();
    if (!info)
        return;
    const bool folder = info->m_linkType == kTypeFtpList || info->m_linkType == kTypeLocalFolder;
    (void)SaveLinksWithPrompt(this, *m_engine, {info->m_linkId}, folder, info->m_url);
}

void CLinkTreeView::NewTaskFromLink()
{
    auto* document = dynamic_cast<CTanglewardenDoc*>(GetDocument());
    const CLinkInfo* info = GetSelectedInfo();
    if (!info || info->m_url.empty() || !m_services.m_openTask)
        return;
    CTaskSettings task = document && document->GetTask() ? *document->GetTask() : CTaskSettings();
    task.SetString(TASK_URI, info->m_url.c_str());
    task.SetInt(TASK_RECURSION, 1);
    m_services.m_openTask(task);
}

void CLinkTreeView::OpenInShell()
{
    if (const CLinkInfo* info = GetSelectedInfo(); info && !info->m_url.empty())
        (void)ShellOpen(info->m_url);
}

bool CLinkTreeView::IsEditableLink(const CLinkInfo* info) const
{
    return info && CanEditLink(*info);
}

void CLinkTreeView::EditLink()
{
    const CLinkInfo* info = GetSelectedInfo();
    if (!IsEditableLink(info) || !m_services.m_openEditor)
        return;
    if (CTanglewardenDoc* editor = m_services.m_openEditor(info->m_url))
    {
        AttachDocument(editor);
        // Its page's links show the states this task found for them (until
        // this view goes: see CAttachedDocument::Release).
        if (!m_shutDown)
            ColorEditorLinksByEngine(*editor, m_engine.get(), info->m_linkId);
    }
}

void CLinkTreeView::Find(bool again)
{
    if (!m_services.m_settings)
        return;
    const std::string text = AskLinkFindText(this, *m_services.m_settings, IDS_FIND_IN_TREE, again);
    if (text.empty())
        return;
    CTreeFindAdapter items(*m_tree);
    if (FindLinkItem(items, text) < 0)
        m_tree->SelectItem(m_tree->GetRootItem());
}

// ---- Report -----------------------------------------------------------------------

void CLinkTreeView::Report()
{
    if (m_engine->IsRunning() || !m_services.m_reportPrompt || !m_services.m_logs)
        return;
    CReportRequest request;
    const bool skipDialog = m_services.m_shiftHeld ? m_services.m_shiftHeld()
                                                   : (QApplication::keyboardModifiers() & Qt::ShiftModifier) != 0;
    if (!m_services.m_reportPrompt(!skipDialog, request))
        return;
    ITransferLog* raw = m_services.m_logs->GetLog(m_reportLogId);
    if (!raw)
        return;
    CRefPtr<ITransferLog> log = CRefPtr<ITransferLog>::Adopt(raw);
    log->Clear();
    if (!m_engine->StartReportJob(log.Get(), request.m_options))
        return;
    // A short report is done before anyone would see a wait dialog: the
    // pause ends after 200 ms or with the job's last progress message.
    // Both waits run nested event loops in which the task window may be
    // closed and this view deleted: nothing of it is touched after that.
    QPointer<CLinkTreeView> alive(this);
    if (m_engine->IsReportJob())
    {
        QEventLoop pause;
        QTimer::singleShot(kReportPauseMs, &pause, &QEventLoop::quit);
        m_reportPause = &pause;
        pause.exec();
        if (!alive)
            return;
        m_reportPause = nullptr;
    }
    if (m_engine->IsReportJob())
    {
        // On the heap: a view deleted during the dialog deletes it as its
        // child, which a dialog on this stack frame could not survive.
        QPointer<CWaitDlg> wait = new CWaitDlg(this);
        m_waitDialog = wait.data();
        // The job may have ended between the check and the dialog: its
        // progress message then finds the dialog open and ends it.
        (void)wait->DoModal();
        if (!alive)
            return;
        m_waitDialog = nullptr;
        delete wait.data();
    }
    m_engine->Stop(); // joins the report's thread
    WriteReportFile(*log.Get(), request);
}

void CLinkTreeView::WriteReportFile(ITransferLog& log, const CReportRequest& request)
{
    auto* document = dynamic_cast<CTanglewardenDoc*>(GetDocument());
    const std::string title = document ? document->GetDisplayName() : std::string();
    const auto showInWindow = [&] {
        if (m_services.m_openReport)
            m_services.m_openReport(m_reportLogId, request.m_options.m_format, title);
    };
    if (request.m_output != 1)
        return showInWindow();

    const std::string folder =
        m_services.m_settings ? m_services.m_settings->GetStringValue(SETTING_MISC_REPORT_FOLDER) : std::string();
    const bool html = request.m_options.m_format == 1 || request.m_options.m_format == 3;
    const std::string path = CombinePath(folder, html ? "default_report.html" : "default_report.txt");
    // The report replaces the last one in one step: one that cannot be
    // written whole leaves the last one as it was.
    const bool written = !folder.empty() && CreateDirectoryTree(folder) && SaveLogToFile(log, path);
    if (!written)
    {
        AfxMessageBox(LoadResourceString(IDS_CANNOT_CREATE_REPORT), MB_OK | MB_ICONERROR);
        return showInWindow();
    }
    (void)ShellOpen(path);
}

// ---- Context menu -----------------------------------------------------------------

int CLinkTreeView::ContextDefaultCommand() const
{
    const CLinkInfo* info = GetSelectedInfo();
    return info && info->m_repetition > 1 && IsDone(info->m_state) ? ID_LINK_FIND_FIRST : ID_LINK_RESUME;
}

void CLinkTreeView::ShowContextMenu(const QPoint& globalPosition)
{
    TrackLinkItemMenu(*this, static_cast<UINT>(ContextDefaultCommand()), globalPosition);
}
