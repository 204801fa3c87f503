#pragma once
// CLinkGeneralView: the third pane of a task window. It holds one control,
// the link-group list (CLinkGroupTree), over its whole client area: counts
// of the task's links by state, type, interest, protocol and tag, with check
// boxes that make the window's display filter.
//
// The view knows neither the link tree nor its frame. The frame connects it:
// SetFilterCallback hands every filter change on (to the link tree's
// SetViewFilter); the link tree's one-second timer pushes a copy of the
// engine's statistics through SetCounts.
//
// The edit commands do nothing here and are disabled, so that they do not
// reach a pane behind the view.
//
// UI thread only.

#include "checker/ui/LinkGroupTree.h"

#include "platform/ui/View.h"

class CLinkGeneralView : public CView
{
    Q_OBJECT

public:
    // The list's control id.
    static constexpr int kListId = 111;

    explicit CLinkGeneralView(QWidget* parent = nullptr);

    CLinkGroupTree* GetGroupTree() const { return m_list; }

    void SetFilterCallback(CLinkGroupTree::FilterCallback callback);
    void SetCounts(const CLinkStats& stats);

    // Fills the list (three columns) and asks for a deferred layout that
    // also shows and focuses its first row.
    void OnInitialUpdate() override;

    // Resizes seen so far; the first (the view's creation) lays out nothing.
    int GetSizeCount() const { return m_sizeCount; }

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // wParam 0: the list over the whole client area; with Ctrl held or a
    // non-zero wParam also column 0 sized; wParam 1 also row 0 shown and
    // focused.
    void OnViewDeferred(WPARAM wParam);

    CLinkGroupTree* m_list;
    int m_sizeCount = 0;
};
