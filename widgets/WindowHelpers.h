#pragma once
// Small window helpers the frames, views and dialogs share: moving and
// resizing by deltas, walking the focus through a dialog's tab stops, the
// scroll codes of scroll bars, and finding a sub-menu by its item text.
// UI thread.

#include <string_view>

class QMenu;
class QScrollBar;
class QWidget;

// Moves each edge of the window by its delta (in its parent's coordinates,
// or the screen's for a top-level window); with redraw it is repainted at
// once. Nothing for no window.
void MoveWindowBy(QWidget* window, int deltaLeft, int deltaTop, int deltaRight, int deltaBottom, bool redraw);

// MoveWindowBy of the dialog's control with that id (the id the window
// layer's dialogs give their controls); nothing when there is none.
void MoveDlgItemBy(QWidget* dialog, int controlId, int deltaLeft, int deltaTop, int deltaRight, int deltaBottom,
                   bool redraw);

// Keeps the window's position and sizes it so that its client (contents)
// area gets the given size.
void ResizeWindowToClient(QWidget* window, int clientWidth, int clientHeight);

// Focus to the next (or previous) tab stop of the dialog after the one that
// has its focus, wrapping around; with no tab stop focused, the first (or
// last). A tab stop is an enabled, shown child that takes focus by Tab.
// True when a control got the focus.
bool FocusNextDlgItem(QWidget* dialog, bool backwards);
// Focus to the first tab stop, or with last to the last one; false when the
// dialog has none.
bool FocusFirstDlgItem(QWidget* dialog, bool last);

// The scroll codes of a scroll bar message.
enum ScrollCode
{
    kScrollLineUp = 0,
    kScrollLineDown = 1,
    kScrollPageUp = 2,
    kScrollPageDown = 3,
    kScrollThumbPosition = 4,
    kScrollThumbTrack = 5,
    kScrollTop = 6,
    kScrollBottom = 7,
    kScrollEnd = 8,
};

// The rule of HandleScrollCode on a range: lines and pages move by their
// steps, the thumb codes move to the thumb, top and bottom to the ends; the
// new position is kept in the range and the result is true. With
// ignoreFinal, the thumb-position and end codes give false without a change;
// the end code and unknown codes always give false.
bool ScrollCodePosition(int code, int thumb, int position, int minimum, int maximum, int lineStep,
                        int pageStep, bool ignoreFinal, int& newPosition);
// Applies the rule to the scroll bar; 1 when its position was set, else 0.
int HandleScrollCode(int code, int thumb, QScrollBar* bar, int lineStep, int pageStep, bool ignoreFinal);

// Whether two menu item texts name the same item: every '.' and '&' removed
// from both, compared ignoring case (any script, not only ASCII).
bool MenuTextsMatch(std::string_view a, std::string_view b);
// The sub-menu of the first top-level item of the menu (or menu bar) whose
// text matches; null when none does. Sub-menus' items are not searched.
QMenu* FindMenuItemByText(QWidget* menu, std::string_view text);
