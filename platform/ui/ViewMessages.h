#pragma once
// Private messages that views post to themselves for deferred work. The
// numbers are the program's own and stay as they are.

#include <cstdint>

// A list view (the link views, the transfer queue) lays itself out again.
inline constexpr uint32_t WM_VIEW_DEFERRED = 0x0AA6;
// A text source followed by an editor view changed; posted from whatever
// thread changed it, handled on the UI thread.
inline constexpr uint32_t WM_EDIT_DEFERRED = 0x0AA8;
// A deferred fill of a list view continues; for an editor view, the tick of
// its deferred colouring.
inline constexpr uint32_t WM_CONTINUE_FILL = 0x0AB0;
// A link view or the transfer queue view lays itself out again (wParam says
// what more: see the view).
inline constexpr uint32_t WM_VIEW_DEFERRED = 0x0AA6;
