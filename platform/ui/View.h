#pragma once
// A view: a widget that shows a document (Document.h) inside a frame
// (FrameWnd.h). The frame makes the focused view its active view, and the
// active view is the first target of every command of the window; after the
// view its document is asked.
//
// A view may claim keys while it has the focus: a key it claims reaches it
// even when the window has an accelerator (shortcut) for it.

#include "platform/ui/CmdTarget.h"

#include "platform/core/WindowHandle.h"

#include <QWidget>

class CDocument;
class CFrameWnd;
class QKeyEvent;

class CView : public QWidget, public CCmdTarget
{
    Q_OBJECT

public:
    explicit CView(QWidget* parent = nullptr);
    ~CView() override;

    // The document shown; null until a document adds the view, and again
    // after the document went away.
    CDocument* GetDocument() const { return m_pDocument; }
    // The nearest frame around the view; null when there is none.
    CFrameWnd* GetParentFrame() const;

    // Called once after the view was added to its document and its frame
    // was built; the base calls OnUpdate.
    virtual void OnInitialUpdate();
    // The document changed (CDocument::UpdateAllViews); the base repaints.
    virtual void OnUpdate(CView* sender, LPARAM hint, void* hintObject);
    // The view became (activate) or stopped being the active view.
    virtual void OnActivateView(bool activate, CView* activated, CView* deactivated);
    // The document let go of the view (CDocument::RemoveView), while the
    // document still exists: whatever the view borrowed from it (a text
    // buffer) must be dropped now, as the document may be deleted next.
    virtual void OnRemovedFromDocument() {}

    // The view, then its document.
    bool OnCmdMsg(UINT id, CommandRequest request, CCmdUI* ui) override;

protected:
    // Whether the view handles this key itself instead of the window's
    // accelerators. The base claims none.
    virtual bool ClaimsKey(const QKeyEvent& key) const;

    bool event(QEvent* event) override;

private:
    friend class CDocument;
    CDocument* m_pDocument = nullptr;
};
