#include "shell/TanglewardenFrame.h"

#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "res/Resources.h"
#include "shell/LinkTreeFrame.h"
#include "shell/MainFrame.h"
#include "shell/TanglewardenDocManager.h"
#include "shell/TransferQueueFrame.h"
#include "widgets/WindowPlacement.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>

#include <algorithm>
#include <array>

namespace
{
int g_totalFrames = 0;
std::array<int, CTanglewardenFrame::kClassCount + 1> g_frameCounts{};

// One row per frame class, in the order of the template kinds.
constexpr CFrameClass kFrameClasses[] = {
    {kKindTransferQueue, 1, SETTING_LAYOUT_TRANSFER_QUEUE, 106},
    {kKindTransferLog, 2, SETTING_LAYOUT_TRANSFER_LOG, 201},
    {kKindLinkReport, 3, SETTING_LAYOUT_REPORT, 207},
    {kKindTask, 4, SETTING_LAYOUT_LINK_TREE, 0},
    {kKindTextEditor, 5, SETTING_LAYOUT_EDIT, 250},
};

QMdiArea* AreaOf(QWidget* sub)
{
    for (QWidget* up = sub ? sub->parentWidget() : nullptr; up; up = up->parentWidget())
    {
        if (auto* area = qobject_cast<QMdiArea*>(up))
            return area;
    }
    return nullptr;
}
} // namespace

CTanglewardenFrame::CTanglewardenFrame(int classIndex, int placementId, unsigned titleId, CPropertySet* settings,
                                       QWidget* parent)
    : CMDIChildWnd(parent), m_classIndex(classIndex), m_placementId(placementId),
      m_title(titleId ? LoadResourceString(titleId) : ""), m_settings(settings)
{
    if (m_classIndex > 0 && m_classIndex <= kClassCount)
    {
        ++g_totalFrames;
        ++g_frameCounts[size_t(m_classIndex)];
    }
    OnCommand(ID_WINDOW_CLOSE_LOGS, [this] { CloseAllOfClass(kKindTransferLog); });
    OnUpdateCommand(ID_WINDOW_CLOSE_LOGS, [](CCmdUI& ui) { ui.Enable(GetOpenFrameCount(2) > 0); });
    OnCommand(ID_WINDOW_CLOSE_REPORTS, [this] { CloseAllOfClass(kKindLinkReport); });
    OnUpdateCommand(ID_WINDOW_CLOSE_REPORTS, [](CCmdUI& ui) { ui.Enable(GetOpenFrameCount(3) > 0); });
}

CTanglewardenFrame::CTanglewardenFrame(const CFrameClass& frameClass, CPropertySet* settings, QWidget* parent)
    : CTanglewardenFrame(frameClass.m_classIndex, frameClass.m_placementId, frameClass.m_titleId, settings, parent)
{
}

CTanglewardenFrame::~CTanglewardenFrame()
{
    if (auto* main = dynamic_cast<CMainFrame*>(GetMDIFrame()))
        main->RemoveChildTab(this);
    if (m_classIndex > 0 && m_classIndex <= kClassCount)
    {
        --g_totalFrames;
        --g_frameCounts[size_t(m_classIndex)];
    }
}

const CFrameClass* CTanglewardenFrame::FindFrameClass(int kind)
{
    for (const CFrameClass& row : kFrameClasses)
    {
        if (row.m_kind == kind)
            return &row;
    }
    return nullptr;
}

CTanglewardenFrame* CTanglewardenFrame::MakeForKind(int kind, CPropertySet* settings,
                                                    const CLinkTreeViewServices* taskServices)
{
    const CFrameClass* row = FindFrameClass(kind);
    if (!row)
        return nullptr;
    if (kind == kKindTransferQueue)
        return new CTransferQueueFrame(row->m_classIndex, row->m_placementId, row->m_titleId, settings);
    if (kind == kKindTask && taskServices)
        return new CLinkTreeFrame(settings, *taskServices);
    return new CTanglewardenFrame(*row, settings);
}

int CTanglewardenFrame::GetOpenFrameCount(int classIndex)
{
    return classIndex > 0 && classIndex <= kClassCount ? g_frameCounts[size_t(classIndex)] : 0;
}

int CTanglewardenFrame::GetTotalFrameCount()
{
    return g_totalFrames;
}

void CTanglewardenFrame::CloseAllOfClass(int kind)
{
    if (auto* main = dynamic_cast<CMainFrame*>(GetMDIFrame()))
        main->CloseAllOfKind(kind);
}

void CTanglewardenFrame::SetFrameTitle(const std::string& text, intptr_t data)
{
    m_title = text;
    if (auto* main = dynamic_cast<CMainFrame*>(GetMDIFrame()))
        main->SetChildTitle(m_title, this, data);
}

QWidget* CTanglewardenFrame::SubWindow()
{
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    return sub ? static_cast<QWidget*>(sub) : this;
}

void CTanglewardenFrame::PreCreateWindow(CCreateStruct& cs)
{
    if (!m_placementId || !m_settings)
        return;
    const std::string stored = m_settings->GetStringValue(m_placementId);
    if (stored.empty())
        return;
    // The rectangle is kept in the coordinates of the MDI area.
    const QMdiArea* area = AreaOf(SubWindow());
    const QSize room = area ? area->viewport()->size() : QSize();
    PlacementToCreateStruct(stored, cs, room.width(), room.height());
}

void CTanglewardenFrame::OnCreate()
{
    QWidget* sub = SubWindow();
    CCreateStruct cs;
    PreCreateWindow(cs);
    // Only the rectangle is taken: whether the frame opens maximised is
    // ActivateFrame's rule.
    if (cs.cx > 0 && cs.cy > 0)
    {
        sub->setGeometry(cs.x, cs.y, cs.cx, cs.cy);
    }
    else if (m_placementId && m_settings)
    {
        // Nothing stored yet: a usable size, not the widget's minimum, each
        // new window a title bar's height below and right of the one before,
        // starting again at the corner before one would leave the area.
        if (const QMdiArea* area = AreaOf(sub))
        {
            const QSize room = area->viewport()->size();
            const QSize size = room * 2 / 3;
            const int step = std::max(1, sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub));
            const int fits = std::max(1, std::min(room.width() - size.width(), room.height() - size.height()) / step + 1);
            const int others = int(area->subWindowList().size()) - 1;
            const int offset = (std::max(0, others) % fits) * step;
            sub->setGeometry(offset, offset, size.width(), size.height());
        }
    }
    if (!m_title.empty())
    {
        if (auto* main = dynamic_cast<CMainFrame*>(GetMDIFrame()))
            main->SetChildTitle(m_title, this, 0);
    }
    ActivateFrame(kShowNormal);
}

void CTanglewardenFrame::ActivateFrame(int showCommand)
{
    QWidget* sub = SubWindow();
    const bool maximise = m_placementId && m_settings && g_totalFrames == 1 &&
                          IsPlacementMaximized(m_settings->GetStringValue(m_placementId)) > 0;
    if (maximise || showCommand == kShowMaximized)
        sub->showMaximized();
    else if (showCommand == kShowMinimized)
        sub->showMinimized();
    else if (showCommand == kShowNormal)
        sub->showNormal(); // the MDI area would otherwise copy a maximised sibling
    else if (showCommand != kShowHidden)
        sub->show();
}

void CTanglewardenFrame::SavePlacement()
{
    if (m_placementSaved || !m_placementId || !m_settings)
        return;
    QWidget* sub = SubWindow();
    const QMdiArea* area = AreaOf(sub);
    if (!area)
        return;
    m_placementSaved = true;
    const QRect normal = sub->isMaximized() || sub->isMinimized() ? sub->normalGeometry() : sub->geometry();
    const QSize room = area->viewport()->size();
    const int state = sub->isMaximized() ? 1 : 0;
    m_settings->SetString(m_placementId, FormatPlacement(normal.left(), normal.top(), normal.right() + 1,
                                                         normal.bottom() + 1, room.width(), room.height(), state).c_str());
}

void CTanglewardenFrame::closeEvent(QCloseEvent* event)
{
    CMDIChildWnd::closeEvent(event);
    if (event->isAccepted())
        SavePlacement();
}

void CTanglewardenFrame::OnMDIActivate(bool activate, CMDIChildWnd* activated, CMDIChildWnd* deactivated)
{
    CMDIChildWnd::OnMDIActivate(activate, activated, deactivated);
    // Activation makes the frame's tab the current one.
    if (m_title.empty())
        return;
    if (auto* main = dynamic_cast<CMainFrame*>(GetMDIFrame()))
        main->SetChildTitle(m_title, this, activate ? 1 : 0);
}
