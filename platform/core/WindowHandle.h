#pragma once
// Windows of the program are reached through opaque handles from one
// process-wide registry. Engine code holds only a WindowHandle and posts to
// it; the window itself (a Qt widget through its adapter, or a recording fake
// in tests) registers a target that receives the posts.
//
// Handles are never reused: a handle that was unregistered stays dead, so a
// post that a worker thread still makes to a closed window is dropped and can
// never reach a newer window that happens to live at the same address.
//
// Delivery contract: PostMessage hands the message to the target on the
// posting thread, outside the registry's lock. UnregisterWindow waits until
// every delivery to that window running on another thread has returned, so
// once it returns the registry never touches the target again and the target
// may be destroyed. A delivery on the unregistering thread itself (a target
// that closes its own window from inside a delivery) is not waited for: it is
// the caller's own stack, which returns after the unregistering call.
// Therefore a target only queues the message (the Qt adapter posts an event
// to the UI thread): it must not block on another thread and must not call
// anything that may wait for a delivery, such as the periodic poster's
// removals or UnregisterWindow of another window.

#include <cstdint>

struct WindowHandleTag;
// Null is "no window". A handle is only compared and passed around.
using WindowHandle = WindowHandleTag*;

// The two message parameters, as wide as a pointer.
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;

class IWindowTarget
{
public:
    virtual ~IWindowTarget() = default;

    // Receives one message posted to `window` (the handle this target was
    // registered under). Called on the posting thread, any thread.
    virtual void DeliverPostedMessage(WindowHandle window, uint32_t message, WPARAM wParam, LPARAM lParam) = 0;
};

// Registers a window's target and returns its new handle; null for a null
// target. The target must stay alive until UnregisterWindow has returned.
WindowHandle RegisterWindow(IWindowTarget* target);

// Closes a window: from now on IsWindow is false and posts to it are dropped.
// Waits for deliveries to it on other threads (see above). Returns false, at
// once, when the handle is null, unknown, closed, or being closed by another
// thread; only the call that returned true has waited for the deliveries.
bool UnregisterWindow(WindowHandle window);

// Whether the handle names a registered window that is not being closed.
bool IsWindow(WindowHandle window);

// Posts a message to a window; thread-safe. Returns true when it was handed
// to the window's target, false (doing nothing) for a null, unknown or closed
// window.
bool PostMessage(WindowHandle window, uint32_t message, WPARAM wParam, LPARAM lParam);
