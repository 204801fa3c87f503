#pragma once
// How a view colours the tab of its window in the main window's tab bar
// without knowing the main window: the main window implements this
// interface, and a view finds it through the top-level window it sits in.
// UI thread only.

class CFrameWnd;
class QWidget;

class IChildTabColor
{
public:
    virtual ~IChildTabColor() = default;
    // The text colour of the tab of a child frame, 0x00BBGGRR; -1 the
    // default colour. A frame without a tab is ignored.
    virtual void SetChildTabColor(CFrameWnd* child, int color) = 0;
};

// The interface of the top-level window around widget; null when that
// window does not implement it (or for a null widget).
IChildTabColor* FindChildTabColor(QWidget* widget);
