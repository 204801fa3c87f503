#pragma once
// CLinkTreeFrame: the window of a task. Its client area is split in four
// panes: on the left the link tree (CLinkTreeView) above the link-group
// list (CLinkGeneralView), on the right the link list above the link view
// frame (CLinkViewFrame). The frame keeps the three splitter sizes in the
// settings between windows and connects the panes to one another.
//
// The link list pane is a slot: until a list view is handed in
// (SetListPane), an empty placeholder widget holds its place and the other
// panes run without a list.
//
// UI thread only.

#include "shell/LinkTreeView.h"
#include "shell/TanglewardenFrame.h"

class CLinkGeneralView;
class CLinkViewFrame;
class CSplitterWnd;
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
    // The panes are made at once; the tree view gets services.
    CLinkTreeFrame(CPropertySet* settings, const CLinkTreeViewServices& services, QWidget* parent = nullptr);

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
    CLinkViewFrame* GetLinkViewFrame() const { return m_linkView; }
    // The widget in the link list's place (the placeholder until a list
    // view fills it).
    QWidget* GetListPaneWidget() const;

    // Fills the link list slot: the widget takes the placeholder's place and
    // the tree view and link view frame are told of the list.
    void SetListPane(QWidget* widget, ILinkListPane* list);

    // The usual route, then the task commands the tree view carries, so
    // that they work whichever pane has the focus.
    bool OnCmdMsg(UINT id, CommandRequest request, CCmdUI* ui) override;
    // The link view frame's tabs show whether the window is active.
    void OnMainFrameActivation(bool active) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void OnMDIActivate(bool activate, CMDIChildWnd* activated, CMDIChildWnd* deactivated) override;

private:
    CPropertySet* m_settings;
    CSplitterWnd* m_outer = nullptr;
    CSplitterWnd* m_left = nullptr;
    CSplitterWnd* m_right = nullptr;
    CLinkTreeView* m_tree = nullptr;
    CLinkGeneralView* m_general = nullptr;
    CLinkViewFrame* m_linkView = nullptr;
};
