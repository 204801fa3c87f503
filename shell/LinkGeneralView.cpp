#include "shell/LinkGeneralView.h"

#include "platform/ui/ViewMessages.h"
#include "platform/ui/WidgetWindow.h"
#include "res/ResourceIds.h"

#include <QApplication>
#include <QTreeView>

CLinkGeneralView::CLinkGeneralView(QWidget* parent) : CView(parent), m_list(new CLinkGroupTree(this))
{
    m_list->setObjectName(QStringLiteral("LinkGroupTree"));
    // A report list with single selection; its selection shows only while it
    // has the focus.
    m_list->ModifyStyle(LVS_SHOWSELALWAYS, LVS_REPORT | LVS_SINGLESEL);
    setFocusPolicy(Qt::StrongFocus);

    const auto nothing = [](UINT) {};
    const auto disabled = [](CCmdUI& ui) { ui.Enable(false); };
    OnCommandRange(ID_EDIT_COPY, ID_EDIT_PASTE, nothing);
    OnUpdateCommandRange(ID_EDIT_COPY, ID_EDIT_PASTE, disabled);
    OnCommandRange(ID_EDIT_SELECT_ALL, ID_EDIT_REDO, nothing);
    OnUpdateCommandRange(ID_EDIT_SELECT_ALL, ID_EDIT_REDO, disabled);
    OnCommand(ID_EDIT_FIND_NEXT, [] {});
    OnUpdateCommand(ID_EDIT_FIND_NEXT, disabled);
}

void CLinkGeneralView::SetFilterCallback(CLinkGroupTree::FilterCallback callback)
{
    m_list->SetFilterCallback(std::move(callback));
}

void CLinkGeneralView::SetCounts(const CLinkStats& stats)
{
    m_list->SetCounts(stats);
}

void CLinkGeneralView::OnInitialUpdate()
{
    CView::OnInitialUpdate();
    m_list->setGeometry(rect());
    m_list->Fill(false);
    PostMessage(CWidgetWindow::Attach(this), WM_VIEW_DEFERRED, 1, 0);
}

bool CLinkGeneralView::event(QEvent* event)
{
    if (event->type() == CPostedMessageEvent::EventType())
    {
        const WindowMessage& message = static_cast<CPostedMessageEvent*>(event)->Message();
        if (message.m_message == WM_VIEW_DEFERRED)
        {
            OnViewDeferred(message.m_wParam);
            return true;
        }
    }
    return CView::event(event);
}

void CLinkGeneralView::resizeEvent(QResizeEvent* event)
{
    CView::resizeEvent(event);
    // The first size comes with the view's creation, before the list is
    // filled; later ones re-lay the list out once the resizing settles.
    if (++m_sizeCount >= 2)
        PostMessage(CWidgetWindow::Attach(this), WM_VIEW_DEFERRED, 0, 0);
}

void CLinkGeneralView::OnViewDeferred(WPARAM wParam)
{
    m_list->setGeometry(rect());
    // The list sizes its name column on its own resizes; after the fill the
    // names may have changed without one. Ctrl held asks for it by hand.
    const bool control = (QApplication::keyboardModifiers() & Qt::ControlModifier) != 0;
    if (wParam != 0 || control)
        m_list->SizeFirstColumn();
    if (wParam == 1 && m_list->GetItemCount() > 0)
    {
        m_list->SetItemState(0, LVIS_FOCUSED, LVIS_FOCUSED);
        m_list->EnsureVisible(0);
    }
}

void CLinkGeneralView::focusInEvent(QFocusEvent* event)
{
    CView::focusInEvent(event);
    m_list->ReportView()->setFocus();
}

void CLinkGeneralView::paintEvent(QPaintEvent*)
{
    // The list covers the whole view; nothing of the view itself shows.
}
