#pragma once
// CLinkTreeView: the left pane of a task window and the owner of that
// window's crawl engine. It starts the engine for the task of its document,
// shows the engine's link tree (one item per link, the children of an item
// the links found on that page) and keeps it in step with the engine, and
// carries the task and link commands of the window. The link list and the
// link-group list of the same window read the engine through this view.
//
// Keeping in step: the engine's thread posts WM_ENGINE_PROGRESS at the
// start and end of a run and after each command that changes link states;
// the view drains every further one already queued before it acts, so a
// burst refreshes once. While a run goes on, a one-second timer hands a
// copy of the statistics to the statistics sink (the link-group list).
// Children are loaded when an item opens; an item whose links are not
// loaded yet carries a placeholder child "???" so that it can be opened.
//
// Lifetime: before the view is destroyed it clears the engine's progress
// callback and stops the engine, joining its thread; the engine posts to the
// view only through its window handle, which closes with the view, so a
// progress message that arrives for a closed view is dropped.
//
// UI thread only, except PostEngineProgress (the engine's thread).

#include "checker/LinkChecker.h"
#include "checker/LinkViewFilter.h"
#include "checker/ReportWriter.h"
#include "checker/ui/TanglewardenDoc.h"
#include "platform/ui/TreeCtrl.h"
#include "platform/ui/View.h"
#include "platform/ui/WindowTimers.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CLinkStats;
class CLogRegistry;
class CPasswordStore;
class CPropertySet;
class CTaskSettings;
class CWaitDlg;
class QEventLoop;
class CWindowTimers;
class ICrawlTransport;
class ILinkListPane;

// What the Report command writes and where: output 0 a report window, 1 a
// file opened with the desktop.
struct CReportRequest
{
    CReportOptions m_options;
    int m_output = 0;
};

// What the view is handed; the program gives its process-wide services, a
// test its own. Every pointer outlives the view.
struct CLinkTreeViewServices
{
    CLinkCheckerServices m_engine; // transport and settings of the engine
    // When set, the engine's transport, kept alive as long as the view.
    std::shared_ptr<ICrawlTransport> m_ownTransport;
    CPropertySet* m_settings = nullptr; // the program's settings; required
    CPasswordStore* m_passwords = nullptr; // passwords taken out of start URLs
    // Saves m_passwords to its file after a start URL's password went in:
    // kept only in memory it would be lost when another running copy saves
    // its store and this one reloads. Empty: the store is not saved.
    std::function<bool()> m_savePasswords;
    CLogRegistry* m_logs = nullptr; // where the report log lives; required

    // A started URL goes into the history (which is saved, and the main
    // window's address list refilled); empty: no history.
    std::function<void(const std::string& url)> m_addToHistory;
    // Asks for a new task when the document's has no start URL (the New
    // Task dialog); false when cancelled. Empty: no dialog to ask with.
    std::function<bool(CTaskSettings& task)> m_newTaskPrompt;
    // Opens a new task window for a copy of the task.
    std::function<void(const CTaskSettings& task)> m_openTask;
    // Opens an editor window on a local file; the document or null.
    std::function<CTanglewardenDoc*(const std::string& path)> m_openEditor;
    // Opens a report window on the log (its id) with the report's format,
    // titled with the task's start URL.
    std::function<void(int logId, int format, const std::string& title)> m_openReport;
    // Fills the report choices: with showDialog the Report options dialog
    // asks (false when it was not ended with OK); without, the stored
    // choices are taken as they are. Empty: the Report command is disabled.
    std::function<bool(bool showDialog, CReportRequest& request)> m_reportPrompt;
    // Whether Shift is held (the Report command then skips its dialog).
    std::function<bool()> m_shiftHeld;
};

class CLinkTreeView : public CView
{
    Q_OBJECT

public:
    static constexpr UINT_PTR kStatisticsTimer = 111;
    static constexpr int kStatisticsPeriodMs = 1000;
    // The deferred list refill after a progress message or a keyboard move.
    static constexpr int kDeferredFillMs = 200;
    // How long a report may take before the Wait dialog shows.
    static constexpr int kReportPauseMs = 200;
    // Placeholder text of an item whose links are not loaded yet.
    static constexpr const char* kPlaceholderText = "???";

    CLinkTreeView(const CLinkTreeViewServices& services, QWidget* parent = nullptr);
    ~CLinkTreeView() override;

    // ---- For the templates and the task window ----------------------------
    // Starts the task of the document: asks for a task when it has no start
    // URL, applies the start-address rules (PrepareStartAddress: a password
    // taken out of the address goes to the password store), puts the URL in
    // the history, starts the engine and titles the window. False, with a
    // message (and with closeOnFailure the window closing), when it could
    // not.
    bool StartTask(bool closeOnFailure);
    // Refreshes every item (allItems) or only the visible ones; builds the
    // tree when it is empty and selects the root when nothing is selected.
    void RefreshTree(bool allItems);
    // Selects the item of a link, loading the levels above it; false when
    // the link has no item in the tree.
    bool SelectLink(int linkId);
    // Selects the parent of the selected item; false at the top.
    bool SelectParentItem();
    int GetSelectedLinkId() const;
    // The selected item's copy of its link; null without one.
    const CLinkInfo* GetSelectedInfo() const;
    // The list's one selected row when preferList and it has one, else the
    // selected item's URL, else empty.
    std::string GetSelectedUrl(bool preferList) const;
    // Applies the display filter chosen in the link-group list. The view
    // keeps its own "Show all Tree Items" and "Hide Repeating Links" states
    // and always shows page-type and unknown-type links.
    void SetViewFilter(const CLinkViewFilter& filter);
    const CLinkViewFilter& GetViewFilter() const { return m_filter; }
    // Editor documents opened from a link; a document detaches itself when
    // it goes.
    void AttachDocument(CTanglewardenDoc* document);
    void DetachDocument(CTanglewardenDoc* document);
    size_t GetAttachedDocumentCount() const { return m_attached.size(); }

    // The engine; the list view and the frame query it directly.
    CLinkChecker& GetEngine() { return *m_engine; }
    const CLinkChecker& GetEngine() const { return *m_engine; }
    CTreeCtrl& GetTreeCtrl() const { return *m_tree; }
    // What the view was handed; the link list opens tasks, editors and logs
    // through the same services.
    const CLinkTreeViewServices& GetServices() const { return m_services; }
    int GetReportLogId() const { return m_reportLogId; }

    // The other panes of the window; null until they exist.
    void SetListPane(ILinkListPane* list) { m_list = list; }
    // Receives a fresh copy of the statistics every second.
    void SetStatisticsSink(std::function<void(const CLinkStats&)> sink) { m_statisticsSink = std::move(sink); }

    // The engine's progress callback: posts WM_ENGINE_PROGRESS to the window
    // handle in userData. Runs on the engine's thread and touches nothing
    // but the handle; 0 when it posted nothing.
    static int PostEngineProgress(std::intptr_t window);

    // The title rule applied to the document.
    void UpdateTitle();

    void OnInitialUpdate() override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void OnActivateView(bool activate, CView* activated, CView* deactivated) override;

private:
    class CAttachedDocument;

    // ---- Messages ---------------------------------------------------------
    void OnPostedMessage(uint32_t message, WPARAM wParam, LPARAM lParam);
    void OnEngineProgress();
    void OnTimer(UINT_PTR id);
    void EndOfRunRefresh();
    void FillList(int delayMs);
    void Shutdown();
    void CloseTaskWindowLater();

    // ---- The tree ---------------------------------------------------------
    void UpdateLevel(HTREEITEM parent, int depth);
    int RefreshItem(HTREEITEM item);
    void BeginRedraw();
    void EndRedraw();
    HTREEITEM FindItemOfLink(int linkId) const;
    // The next item depth first; null after the last.
    HTREEITEM NextItem(HTREEITEM item) const;
    static CLinkInfo* InfoOf(DWORD_PTR data) { return reinterpret_cast<CLinkInfo*>(data); }
    const CLinkInfo* ItemInfo(HTREEITEM item) const;
    void OnItemExpanded(HTREEITEM item, bool expanded);
    void OnSelectionChanged(int cause);
    int AutoExpandDepth() const;

    // ---- Commands ---------------------------------------------------------
    void AddCommands();
    void StopTask();
    void ContinueTask();
    void CheckExternalLinks();
    void RestartTask();
    void RecheckSelected();
    void StopSelected();
    void FindFirstLink();
    void ToggleAllTreeItems();
    void ToggleHideRepeating();
    void CopySelectedLink();
    void SaveLinkAs();
    void NewTaskFromLink();
    void OpenInShell();
    void EditLink();
    void Find(bool again);
    void Report();
    void WriteReportFile(ITransferLog& log, const CReportRequest& request);
    bool IsEditableLink(const CLinkInfo* info) const;
    bool GoToLink();
    void ShowContextMenu(const QPoint& globalPosition);
    int ContextDefaultCommand() const;

    CLinkTreeViewServices m_services; // before the engine: it outlives it
    std::unique_ptr<CLinkChecker> m_engine;
    CLinkViewFilter m_filter;
    int m_reportLogId = 0;
    UINT_PTR m_timerId = 0;
    int m_expandReentry = 0;
    int m_redrawNesting = -1;
    CWaitDlg* m_waitDialog = nullptr;
    QEventLoop* m_reportPause = nullptr; // the report's first 200 ms
    std::vector<std::unique_ptr<CAttachedDocument>> m_attached;

    CTreeCtrl* m_tree = nullptr;
    CWindowTimers* m_timers = nullptr;
    ILinkListPane* m_list = nullptr;
    std::function<void(const CLinkStats&)> m_statisticsSink;
    bool m_shutDown = false;
};
