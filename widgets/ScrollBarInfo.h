#pragma once
// Scroll bars set and driven the way the views and the form window expect:
// a range from 0 to a maximum with a page, where the last position shows the
// end of the range (the page's last unit on the maximum), and line and page
// steps of the owner's choosing rather than the bar's own. UI thread.

class QScrollBar;

// The scroll code (WindowHelpers.h) of a QAbstractSlider action; -1 for an
// action without one.
int ScrollCodeOfAction(int action);

// Sets the range 0..maximum with the page and the position, without
// signals. A page covering the whole range leaves the bar at 0.
void SetScrollBarInfo(QScrollBar* bar, int maximum, int page, int position);

// Called from the bar's actionTriggered: the action's position by the
// owner's line and page steps (ScrollCodePosition) replaces the one the bar
// proposed; the bar then takes it as its value.
void SteerScrollAction(QScrollBar* bar, int action, int lineStep, int pageStep, bool ignoreFinal);
