#include "platform/ui/FrameWnd.h"

#include "platform/ui/Document.h"
#include "platform/ui/View.h"

#include <QAction>
#include <QCloseEvent>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

#include <algorithm>

CFrameWnd::CFrameWnd(QWidget* parent)
    : QMainWindow(parent), m_commandActions(new CCommandActions(this, *this))
{
    // A frame inside another is a plain child widget, not a window.
    if (parent)
        setWindowFlags(Qt::Widget);
}

CView* CFrameWnd::GetActiveView() const
{
    return m_activeView.data();
}

void CFrameWnd::SetActiveView(CView* view, bool notify)
{
    CView* old = m_activeView.data();
    if (old == view)
        return;
    m_activeView = view;
    if (!notify)
        return;
    if (old)
        old->OnActivateView(false, view, old);
    if (view)
        view->OnActivateView(true, view, old);
}

CDocument* CFrameWnd::GetActiveDocument() const
{
    CView* view = GetActiveView();
    return view ? view->GetDocument() : nullptr;
}

CFrameWnd* CFrameWnd::GetParentFrame() const
{
    for (QWidget* widget = parentWidget(); widget; widget = widget->parentWidget())
    {
        if (auto* frame = dynamic_cast<CFrameWnd*>(widget))
            return frame;
    }
    return nullptr;
}

CCmdTarget* CFrameWnd::ApplicationTarget() const
{
    const CFrameWnd* frame = this;
    while (CFrameWnd* outer = frame->GetParentFrame())
        frame = outer;
    return frame->m_application;
}

void CFrameWnd::InitialUpdateFrame(bool visible)
{
    for (CView* view : findChildren<CView*>())
        view->OnInitialUpdate();
    if (visible)
        show();
}

void CFrameWnd::RecalcLayout()
{
    if (layout())
        layout()->invalidate();
    updateGeometry();
}

bool CFrameWnd::OnCmdMsg(UINT id, CommandRequest request, CCmdUI* ui)
{
    if (CView* view = GetActiveView())
    {
        if (view->OnCmdMsg(id, request, ui))
            return true;
        for (QWidget* widget = view->parentWidget(); widget && widget != this; widget = widget->parentWidget())
        {
            auto* inner = dynamic_cast<CFrameWnd*>(widget);
            if (inner && inner->DispatchOwnCommand(id, request, ui))
                return true;
        }
    }
    if (DispatchOwnCommand(id, request, ui))
        return true;
    if (GetParentFrame())
        return false;
    CCmdTarget* application = ApplicationTarget();
    return application && application->OnCmdMsg(id, request, ui);
}

void CFrameWnd::closeEvent(QCloseEvent* event)
{
    std::vector<CDocument*> documents;
    for (CView* view : findChildren<CView*>())
    {
        CDocument* document = view->GetDocument();
        if (document && std::find(documents.begin(), documents.end(), document) == documents.end())
            documents.push_back(document);
    }
    for (CDocument* document : documents)
    {
        if (!document->CanCloseFrame(this))
        {
            event->ignore();
            return;
        }
    }
    event->accept();
    for (CDocument* document : documents)
    {
        // This frame's views leave the document first, so that closing it
        // does not close this frame a second time.
        for (CView* view : std::vector<CView*>(document->GetViews()))
        {
            if (isAncestorOf(view))
                document->RemoveView(view);
        }
        if (document->GetViews().empty())
            document->OnCloseDocument();
    }
}

CMDIFrameWnd::CMDIFrameWnd(QWidget* parent) : CFrameWnd(parent), m_mdiArea(new QMdiArea(this))
{
    setCentralWidget(m_mdiArea);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this,
            [this](QMdiSubWindow* sub) { OnSubWindowActivated(sub); });
}

CMDIFrameWnd::~CMDIFrameWnd()
{
    // The area outlives this part of the frame while Qt deletes the
    // children; its activations are no longer this frame's business.
    disconnect(m_mdiArea, nullptr, this, nullptr);
    // Closed children may wait for deletion outside the area's list.
    for (QMdiSubWindow* sub : m_mdiArea->findChildren<QMdiSubWindow*>())
        disconnect(sub, nullptr, this, nullptr);
}

void CMDIFrameWnd::ForgetChild(const CMDIChildWnd* child)
{
    if (m_lastActive == child)
        m_lastActive = nullptr;
}

void CMDIFrameWnd::OnUpdateFrameMenu(CMDIChildWnd*)
{
}

void CMDIFrameWnd::AddWindowList(QMenu* menu)
{
    static const char* const kListProperty = "twWindowList";
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        for (QAction* action : menu->actions())
        {
            if (action->property(kListProperty).toBool())
                delete action;
        }
        const std::vector<CMDIChildWnd*> children = GetChildren();
        if (children.empty())
            return;
        CMDIChildWnd* active = MDIGetActive();
        QAction* separator = menu->addSeparator();
        separator->setProperty(kListProperty, true);
        int number = 0;
        for (CMDIChildWnd* child : children)
        {
            ++number;
            // Only the first nine get a key: "&10" would make the key '1'
            // ambiguous.
            const QString prefix = number <= 9 ? QStringLiteral("&%1 ").arg(number) : QStringLiteral("%1 ").arg(number);
            QAction* item = menu->addAction(prefix + child->windowTitle());
            item->setProperty(kListProperty, true);
            item->setCheckable(true);
            item->setChecked(child == active);
            QPointer<CMDIChildWnd> target(child);
            connect(item, &QAction::triggered, this, [this, target] {
                if (target)
                    MDIActivate(target);
            });
        }
    });
}

void CMDIFrameWnd::OnSubWindowActivated(QWidget* subWindow)
{
    auto* sub = qobject_cast<QMdiSubWindow*>(subWindow);
    CMDIChildWnd* activated = sub ? dynamic_cast<CMDIChildWnd*>(sub->widget()) : nullptr;
    if (!activated && m_mdiArea->subWindowList().isEmpty())
        OnUpdateFrameMenu(nullptr);
    if (!activated || activated == m_lastActive)
        return;
    OnUpdateFrameMenu(activated);
    CMDIChildWnd* deactivated = m_lastActive.data();
    m_lastActive = activated;
    if (deactivated)
        deactivated->OnMDIActivate(false, activated, deactivated);
    activated->OnMDIActivate(true, activated, deactivated);
}

CMDIChildWnd* CMDIFrameWnd::MDIGetActive() const
{
    QMdiSubWindow* sub = m_mdiArea->currentSubWindow();
    return sub ? dynamic_cast<CMDIChildWnd*>(sub->widget()) : nullptr;
}

CView* CMDIFrameWnd::GetActiveView() const
{
    CMDIChildWnd* child = MDIGetActive();
    return child ? child->GetActiveView() : nullptr;
}

void CMDIFrameWnd::MDIActivate(CMDIChildWnd* child)
{
    if (child && child->parentWidget())
        m_mdiArea->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(child->parentWidget()));
}

void CMDIFrameWnd::AddChild(CMDIChildWnd* child)
{
    QMdiSubWindow* sub = m_mdiArea->addSubWindow(child);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    child->setAttribute(Qt::WA_DeleteOnClose);
    // When the last child goes the area names no active one, so the frame's
    // menu has to be put back here; while another is left, the area
    // activates it and says so.
    connect(sub, &QObject::destroyed, this, [this](QObject* gone) {
        const QList<QMdiSubWindow*> subs = m_mdiArea->subWindowList();
        if (std::all_of(subs.begin(), subs.end(), [gone](const QMdiSubWindow* each) { return each == gone; }))
            OnUpdateFrameMenu(nullptr);
    });
    sub->show();
    m_mdiArea->setActiveSubWindow(sub);
}

std::vector<CMDIChildWnd*> CMDIFrameWnd::GetChildren() const
{
    std::vector<CMDIChildWnd*> children;
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList(QMdiArea::CreationOrder))
    {
        if (auto* child = dynamic_cast<CMDIChildWnd*>(sub->widget()))
            children.push_back(child);
    }
    return children;
}

bool CMDIFrameWnd::OnCmdMsg(UINT id, CommandRequest request, CCmdUI* ui)
{
    if (CMDIChildWnd* child = MDIGetActive())
    {
        if (child->OnCmdMsg(id, request, ui))
            return true;
    }
    if (DispatchOwnCommand(id, request, ui))
        return true;
    CCmdTarget* application = ApplicationTarget();
    return application && application->OnCmdMsg(id, request, ui);
}

void CMDIFrameWnd::closeEvent(QCloseEvent* event)
{
    m_mdiArea->closeAllSubWindows();
    if (!m_mdiArea->subWindowList().isEmpty())
    {
        event->ignore();
        return;
    }
    event->accept();
}

CMDIChildWnd::CMDIChildWnd(QWidget* parent) : CFrameWnd(parent)
{
    setWindowFlags(Qt::Widget);
}

CMDIChildWnd::~CMDIChildWnd()
{
    if (CMDIFrameWnd* frame = GetMDIFrame())
        frame->ForgetChild(this);
}

CMDIFrameWnd* CMDIChildWnd::GetMDIFrame() const
{
    return dynamic_cast<CMDIFrameWnd*>(GetParentFrame());
}

void CMDIChildWnd::MDIActivate()
{
    if (CMDIFrameWnd* frame = GetMDIFrame())
        frame->MDIActivate(this);
}

void CMDIChildWnd::OnMDIActivate(bool, CMDIChildWnd*, CMDIChildWnd*)
{
}

void CMDIChildWnd::MDIDestroy()
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}
