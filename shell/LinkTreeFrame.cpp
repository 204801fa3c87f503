#include "shell/LinkTreeFrame.h"

#include "dialogs/ReportOptionsDlg.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "platform/ui/SplitterWnd.h"
#include "res/ResourceIds.h"
#include "editor/ui/HTMLEditView.h"
#include "platform/ui/Document.h"
#include "shell/LinkGeneralView.h"
#include "shell/LinkListView.h"
#include "shell/LinkViewFrame.h"
#include "shell/TanglewardenDocManager.h"

#include <QCloseEvent>
#include <QLayout>

namespace
{
// A stored size is kept only while it fits the room it divides.
int StoredOr(int stored, int room, int fallback)
{
    return stored > 0 && stored <= room ? stored : fallback;
}
} // namespace

LinkTreeSplit ComputeLinkTreeSplit(int width, int height, const LinkTreeSplit& stored)
{
    LinkTreeSplit split;
    split.m_leftWidth = StoredOr(stored.m_leftWidth, width, width / 3);
    split.m_leftTopHeight = StoredOr(stored.m_leftTopHeight, height, height / 2);
    split.m_rightTopHeight = StoredOr(stored.m_rightTopHeight, height, height * 2 / 3);
    return split;
}

std::function<bool(bool, CReportRequest&)> MakeReportPrompt(IPropertySet& settings, std::function<bool()> saveSettings,
                                                            QWidget* parent)
{
    return [&settings, saveSettings = std::move(saveSettings), parent](bool showDialog, CReportRequest& request) {
        // Built even when not shown: building loads the stored choices.
        CReportOptionsDlg dialog(settings, saveSettings, parent);
        if (showDialog && dialog.DoModal() != IDOK)
            return false;
        request.m_options = dialog.GetReportOptions();
        request.m_output = dialog.m_output;
        return true;
    };
}

LinkTreePane StepLinkTreePane(LinkTreePane from, bool forward)
{
    static constexpr LinkTreePane kOrder[] = {LinkTreePane::kTree, LinkTreePane::kList, LinkTreePane::kEditor,
                                              LinkTreePane::kGeneral};
    constexpr int count = int(std::size(kOrder));
    int at = 0;
    while (at < count && kOrder[at] != from)
        ++at;
    return kOrder[(at + (forward ? 1 : count - 1)) % count];
}

CLinkTreeFrame::CLinkTreeFrame(CPropertySet* settings, const CLinkTreeViewServices& services, QWidget* parent)
    : CTanglewardenFrame(*FindFrameClass(kKindTask), settings, parent), m_settings(settings),
      m_viewSettings(*services.m_settings)
{
    m_outer = new CSplitterWnd(1, 2, this);
    m_left = new CSplitterWnd(2, 1);
    m_right = new CSplitterWnd(2, 1);
    m_outer->SetPane(0, 0, m_left);
    m_outer->SetPane(0, 1, m_right);
    for (CSplitterWnd* column : {m_left, m_right})
        column->setFrameShape(QFrame::StyledPanel);

    // The panes in the order tree, general view, list, link view frame.
    m_tree = new CLinkTreeView(services);
    m_left->SetPane(0, 0, m_tree);
    m_general = new CLinkGeneralView;
    m_left->SetPane(1, 0, m_general);
    m_list = new CLinkListView(*m_tree, m_viewSettings);
    m_right->SetPane(0, 0, m_list);
    m_linkView = new CLinkViewFrame;
    m_linkView->Create(&m_viewSettings);
    m_right->SetPane(1, 0, m_linkView);
    setCentralWidget(m_outer);
    // The list is the window's list from the start: the tree refills it,
    // the link view frame shows the information of its links and switches
    // its info mode, and a form shown there is submitted through it.
    m_tree->SetListPane(m_list);
    m_list->SetLinkViewFrame(m_linkView);

    // The general view's filter drives the tree; its counts follow the
    // tree's engine every second.
    CLinkTreeView* tree = m_tree;
    m_general->SetFilterCallback([tree](const CLinkViewFilter& filter) { tree->SetViewFilter(filter); });
    CLinkGeneralView* general = m_general;
    m_tree->SetStatisticsSink([general](const CLinkStats& stats) { general->SetCounts(stats); });
    AddCommands();
}

void CLinkTreeFrame::AttachDocument(CDocument& document)
{
    document.AddView(m_tree);
    document.AddView(m_general);
    document.AddView(m_list);
    SetActiveView(m_tree, false);
}

CHTMLEditView* CLinkTreeFrame::GetEditView() const
{
    return m_linkView->GetEditView();
}

void CLinkTreeFrame::OnCreateClient()
{
    LinkTreeSplit stored;
    if (m_settings)
    {
        stored.m_leftWidth = GetIntOr(*m_settings, SETTING_LAYOUT_LINK_TREE_WIDTH_LEFT);
        stored.m_leftTopHeight = GetIntOr(*m_settings, SETTING_LAYOUT_LINK_TREE_HEIGHT_LEFT);
        stored.m_rightTopHeight = GetIntOr(*m_settings, SETTING_LAYOUT_LINK_TREE_HEIGHT_RIGHT);
    }
    // The client area as the frame's layout gives it now.
    if (layout())
        layout()->activate();
    const QSize client = m_outer->size();
    const int width = client.width();
    const int height = client.height();
    const LinkTreeSplit split = ComputeLinkTreeSplit(width, height, stored);
    // The second pane of each splitter gets the rest after the bar between
    // the two (and the splitter's border), so that the first keeps its size
    // exactly. The columns are laid out first: they give the rows their room.
    m_outer->SetColumnInfo(0, split.m_leftWidth, kMinimumColumn);
    m_outer->SetColumnInfo(1, m_outer->contentsRect().width() - m_outer->handleWidth() - split.m_leftWidth,
                           kMinimumColumn);
    m_outer->RecalcLayout();
    const auto rows = [](CSplitterWnd& splitter, int top) {
        splitter.SetRowInfo(0, top, 0);
        splitter.SetRowInfo(1, splitter.contentsRect().height() - splitter.handleWidth() - top, 0);
        splitter.RecalcLayout();
    };
    rows(*m_left, split.m_leftTopHeight);
    rows(*m_right, split.m_rightTopHeight);
}

LinkTreeSplit CLinkTreeFrame::GetSplit() const
{
    LinkTreeSplit split;
    int minimum = 0;
    m_outer->GetColumnInfo(0, split.m_leftWidth, minimum);
    m_left->GetRowInfo(0, split.m_leftTopHeight, minimum);
    m_right->GetRowInfo(0, split.m_rightTopHeight, minimum);
    return split;
}

void CLinkTreeFrame::SaveSplit()
{
    if (!m_settings)
        return;
    const LinkTreeSplit split = GetSplit();
    m_settings->SetInt(SETTING_LAYOUT_LINK_TREE_WIDTH_LEFT, split.m_leftWidth);
    m_settings->SetInt(SETTING_LAYOUT_LINK_TREE_HEIGHT_LEFT, split.m_leftTopHeight);
    m_settings->SetInt(SETTING_LAYOUT_LINK_TREE_HEIGHT_RIGHT, split.m_rightTopHeight);
}

void CLinkTreeFrame::closeEvent(QCloseEvent* event)
{
    // The sizes are read while the panes are still shown.
    SaveSplit();
    CTanglewardenFrame::closeEvent(event);
}

void CLinkTreeFrame::OnMainFrameActivation(bool active)
{
    m_linkView->SetActive(active);
}

void CLinkTreeFrame::OnMDIActivate(bool activate, CMDIChildWnd* activated, CMDIChildWnd* deactivated)
{
    m_linkView->SetActive(activate);
    CTanglewardenFrame::OnMDIActivate(activate, activated, deactivated);
}
