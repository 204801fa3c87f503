#pragma once
// CLinkTreeFrame: the window of a task. Its client area is split in four
// panes: on the left the link tree (CLinkTreeView) above the link-group
// list (CLinkGeneralView), on the right the link list (CLinkListView) above
// the link view frame (CLinkViewFrame). The frame keeps the three splitter
// sizes in the settings between windows, connects the panes to one another,
// cycles the focus between them (Tab, Shift+Tab) and carries the task
// window's commands: most are passed to the pane that does the work, so that
// they work whichever pane has the focus (LinkTreeFrameCommands.cpp).
//
// The program's task window is this frame over the process-wide services
// (RegisterTaskWindow, LinkTreeFrameProgram.cpp).
//
// UI thread only.

#include "shell/LinkTreeView.h"
#include "shell/TanglewardenFrame.h"

#include <functional>

class CDocument;
class CHTMLEditView;
class CLinkGeneralView;
class CLinkListView;
class CLinkViewFrame;
class CSplitterWnd;
class CTanglewardenApp;
class IPropertySet;
class QWidget;

// The first sizes of the splitters for a client area of width x height and
// the stored sizes (0: none stored). A stored size is taken when it is above
// 0 and not above the room it divides; otherwise the left column gets a
// third of the width, the left top row half the height and the right top
// row two thirds of it.
struct LinkTreeSplit
{
    int m_leftWidth = 0;
    int m_leftTopHeight = 0;
    int m_rightTopHeight = 0;
};
LinkTreeSplit ComputeLinkTreeSplit(int width, int height, const LinkTreeSplit& stored);

// The panes of a task window in the order Tab visits them.
enum class LinkTreePane
{
    kTree,
    kList,
    kEditor, // the editor view inside the link view frame
    kGeneral,
};
// The pane Tab (forward) or Shift+Tab leaves from to: tree, list, editor,
// general view and round again; backwards the other way.
LinkTreePane StepLinkTreePane(LinkTreePane from, bool forward);

// The tree view's report prompt over the Report options dialog: shown, it
// must end with OK; not shown, the dialog's stored choices are taken as they
// are. settings and parent (may be null) outlive the prompt; saveSettings
// runs after OK stored a changed choice.
std::function<bool(bool showDialog, CReportRequest& request)>
MakeReportPrompt(IPropertySet& settings, std::function<bool()> saveSettings, QWidget* parent);

class CLinkTreeFrame : public CTanglewardenFrame
{
    Q_OBJECT

public:
    // The smallest width of either column.
    static constexpr int kMinimumColumn = 10;

    // settings: the placement and the splitter sizes (null: neither kept).
    // The panes are made at once; the tree view gets services (whose
    // settings, required, the list reads too).
    CLinkTreeFrame(CPropertySet* settings, const CLinkTreeViewServices& services, QWidget* parent = nullptr);

    // The program's task window: registered as the frame of task documents
    // of the application's document manager, each window starting its task
    // as soon as it is open (so that a ".vbb" opened from the command line or
    // File > Open starts its check). For CTanglewardenApp::AddWindowRegistration.
    static void RegisterTaskWindow(CTanglewardenApp& app);
    // The services of the running program for a tree view.
    static CLinkTreeViewServices MakeProgramServices(CTanglewardenApp& app);
    // The tree view among the document's views; null when it has none.
    static CLinkTreeView* FindTreeView(CDocument& document);

    // Adds the tree, general and list views to the document and makes the
    // tree the active view. The link view frame's editor view stands on its
    // own: its edits never mark the task as changed.
    void AttachDocument(CDocument& document);

    // Lays the splitters out for the client area as it is now, from the
    // stored sizes (see ComputeLinkTreeSplit). Call once the frame has its
    // size.
    void OnCreateClient();
    // The sizes as shown now, in the order they are stored.
    LinkTreeSplit GetSplit() const;
    // Stores the current sizes in the settings.
    void SaveSplit();

    CLinkTreeView* GetTreeView() const { return m_tree; }
    CLinkGeneralView* GetGeneralView() const { return m_general; }
    CLinkListView* GetListView() const { return m_list; }
    CLinkViewFrame* GetLinkViewFrame() const { return m_linkView; }
    CHTMLEditView* GetEditView() const;

    // Colorize List saves every setting through this; empty: not saved.
    void SetSaveSettings(std::function<bool()> save) { m_saveSettings = std::move(save); }

    // The pane whose view is active (the tree when none is).
    LinkTreePane GetActivePane() const;
    // Tab and Shift+Tab: the next pane becomes active and takes the focus.
    // In the editor view a shown form's fields come first.
    void CycleFocus(bool forward);

    // The usual route, then the task commands the tree view and the list
    // view carry, so that they work whichever pane has the focus.
    bool OnCmdMsg(UINT id, CommandRequest request, CCmdUI* ui) override;
    // The link view frame's tabs show whether the window is active.
    void OnMainFrameActivation(bool active) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void OnMDIActivate(bool activate, CMDIChildWnd* activated, CMDIChildWnd* deactivated) override;

private:
    // The frame's own commands (LinkTreeFrameCommands.cpp).
    void AddCommands();
    void ActivatePane(LinkTreePane pane, bool forward);
    void RefreshTask();
    void ToggleListLock();
    void UpdateListLock(CCmdUI& ui);
    void SetInfoMode(int mode);
    void ToggleListColouring();

    CPropertySet* m_settings;
    IPropertySet& m_viewSettings; // what the panes read: the services' settings
    std::function<bool()> m_saveSettings;
    CSplitterWnd* m_outer = nullptr;
    CSplitterWnd* m_left = nullptr;
    CSplitterWnd* m_right = nullptr;
    CLinkTreeView* m_tree = nullptr;
    CLinkGeneralView* m_general = nullptr;
    CLinkListView* m_list = nullptr;
    CLinkViewFrame* m_linkView = nullptr;
};
