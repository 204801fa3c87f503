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

// The messages of a task window's link tree view. The engine's thread posts
// WM_ENGINE_PROGRESS; the view posts WM_TREE_EXPAND to itself; the others
// come from the task window and its dialogs.
inline constexpr uint32_t WM_END_WAIT = 0x0AAC;
inline constexpr uint32_t WM_ENGINE_PROGRESS = 0x0AAD;
inline constexpr uint32_t WM_START_TASK = 0x0AAE;
inline constexpr uint32_t WM_TREE_EXPAND = 0x0AAF;
inline constexpr uint32_t WM_TREE_SELECT = 0x0AB2;
