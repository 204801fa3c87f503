#pragma once
// Frames: a frame is a main window (it can hold menus, toolbars, bars and a
// central widget) that may stand alone or sit inside another frame: a task
// window holds a frame of its own beside its views, and every MDI child is a
// frame inside the main MDI frame.
//
// Command route of a frame: its active view (the view, then its document),
// then every frame between that view and this one, innermost first, then
// this frame's own table; a frame with no frame around it (the main frame)
// then asks the application target. The MDI frame first hands the command to
// its active child, whose route covers the child's view and the child
// itself, then its own table, then the application. A derived frame that
// must see commands before all that (a bar that takes the editing commands
// while it has the focus) overrides OnCmdMsg and asks its own first.

#include "platform/ui/CmdTarget.h"
#include "platform/ui/CommandActions.h"

#include <QMainWindow>
#include <QPointer>

class CDocument;
class CView;
class QMdiArea;
class QMenu;

class CFrameWnd : public QMainWindow, public CCmdTarget
{
    Q_OBJECT

public:
    explicit CFrameWnd(QWidget* parent = nullptr);

    // The view that gets commands first; null when none. Changing it tells
    // both views (OnActivateView) when notify is set.
    virtual CView* GetActiveView() const;
    void SetActiveView(CView* view, bool notify = true);
    // The document of the active view; null without one.
    CDocument* GetActiveDocument() const;

    // The nearest frame around this one; null for a top-level frame.
    CFrameWnd* GetParentFrame() const;

    // The last target of a top-level frame's route (the application).
    void SetApplicationTarget(CCmdTarget* application) { m_application = application; }

    // The frame's commands as actions (menus, toolbars, accelerators).
    CCommandActions& Commands() { return *m_commandActions; }

    // Sends every view below the frame its initial update and shows the
    // frame when visible is set.
    void InitialUpdateFrame(bool visible);

    // Lays out the frame's bars and views again; the base asks Qt.
    virtual void RecalcLayout();

    bool OnCmdMsg(UINT id, CommandRequest request, CCmdUI* ui) override;

protected:
    // The application target, found through the frames above this one.
    CCmdTarget* ApplicationTarget() const;

    // A window frame closes only when each document it shows agrees
    // (CDocument::CanCloseFrame); a document that no other window shows is
    // closed with it.
    void closeEvent(QCloseEvent* event) override;

private:
    QPointer<CView> m_activeView;
    CCmdTarget* m_application = nullptr;
    CCommandActions* m_commandActions;
};

class CMDIChildWnd;

// The main window with its MDI area.
class CMDIFrameWnd : public CFrameWnd
{
    Q_OBJECT

public:
    explicit CMDIFrameWnd(QWidget* parent = nullptr);
    ~CMDIFrameWnd() override;

    // The active child's active view.
    CView* GetActiveView() const override;

    // The active child; the child that was active last, also while the main
    // window itself is not active; null when there is none.
    CMDIChildWnd* MDIGetActive() const;
    void MDIActivate(CMDIChildWnd* child);
    // Puts a child into the MDI area and shows it.
    void AddChild(CMDIChildWnd* child);
    std::vector<CMDIChildWnd*> GetChildren() const;

    QMdiArea* MdiArea() const { return m_mdiArea; }

    // Makes menu list the open children below its own items each time it
    // opens, in the order they were opened, the active one ticked; choosing
    // one activates it. A frame that swaps its menu bar calls this for the
    // Window menu of each bar it builds.
    void AddWindowList(QMenu* menu);

    bool OnCmdMsg(UINT id, CommandRequest request, CCmdUI* ui) override;

protected:
    // Closes every child first (each may refuse); stays open when one is
    // left.
    void closeEvent(QCloseEvent* event) override;
    // The active child changed, or the last one went (active null): a frame
    // whose menu bar follows the active child switches it here. The main
    // window losing the focus does not count as a change.
    virtual void OnUpdateFrameMenu(CMDIChildWnd* active);

private:
    friend class CMDIChildWnd;

    // Another child became the active one: the one before it hears first.
    // The main window losing the focus changes nothing here.
    void OnSubWindowActivated(QWidget* subWindow);
    // A child going away is never told anything again.
    void ForgetChild(const CMDIChildWnd* child);

    QMdiArea* m_mdiArea;
    QPointer<CMDIChildWnd> m_lastActive;
};

// A document window inside the MDI area; as a frame it can hold toolbars and
// bars of its own.
class CMDIChildWnd : public CFrameWnd
{
    Q_OBJECT

public:
    explicit CMDIChildWnd(QWidget* parent = nullptr);
    ~CMDIChildWnd() override;

    CMDIFrameWnd* GetMDIFrame() const;
    // Activates this child in its MDI frame.
    void MDIActivate();
    // Closes the child and its sub-window.
    void MDIDestroy();

    // The child became the active one of its MDI frame (activate true) or
    // gave that place to another (false); activated and deactivated are the
    // two children (null for none).
    virtual void OnMDIActivate(bool activate, CMDIChildWnd* activated, CMDIChildWnd* deactivated);
};
