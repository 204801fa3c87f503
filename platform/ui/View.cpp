#include "platform/ui/View.h"

#include "platform/ui/Document.h"
#include "platform/ui/FrameWnd.h"

#include <QApplication>
#include <QKeyEvent>

CView::CView(QWidget* parent) : QWidget(parent)
{
    // The innermost view around the focused widget becomes active in its
    // frames.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        for (QWidget* widget = now; widget; widget = widget->parentWidget())
        {
            if (auto* view = dynamic_cast<CView*>(widget))
            {
                if (view == this)
                {
                    for (CFrameWnd* frame = GetParentFrame(); frame; frame = frame->GetParentFrame())
                        frame->SetActiveView(this);
                }
                return;
            }
        }
    });
}

CView::~CView()
{
    // Frames must not keep pointing at a view that is going.
    for (CFrameWnd* frame = GetParentFrame(); frame; frame = frame->GetParentFrame())
    {
        if (frame->GetActiveView() == this)
            frame->SetActiveView(nullptr, false);
    }
    if (m_pDocument)
        m_pDocument->RemoveView(this);
}

CFrameWnd* CView::GetParentFrame() const
{
    for (QWidget* widget = parentWidget(); widget; widget = widget->parentWidget())
    {
        if (auto* frame = dynamic_cast<CFrameWnd*>(widget))
            return frame;
    }
    return nullptr;
}

void CView::OnInitialUpdate()
{
    OnUpdate(nullptr, 0, nullptr);
}

void CView::OnUpdate(CView*, LPARAM, void*)
{
    update();
}

void CView::OnActivateView(bool, CView*, CView*)
{
}

bool CView::OnCmdMsg(UINT id, CommandRequest request, CCmdUI* ui)
{
    if (DispatchOwnCommand(id, request, ui))
        return true;
    return m_pDocument && m_pDocument->OnCmdMsg(id, request, ui);
}

bool CView::ClaimsKey(const QKeyEvent&) const
{
    return false;
}

bool CView::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride && ClaimsKey(*static_cast<QKeyEvent*>(event)))
    {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}
