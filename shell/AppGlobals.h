#pragma once
// The process-wide services of the running program: the order in which they
// come up at start-up and go down at exit, and the window that worker
// threads notify. This is the program's edge: the only place that builds
// the services the rest of the program is handed.
//
// Start-up (InitGlobalsAtStart, after the settings keys are registered):
// sockets and TLS, the password and cookie stores, the URL history, the
// settings, then the transfer manager, whose job callbacks notify the main
// frame. Shutdown (ShutdownGlobals) runs in the reverse spirit: nothing is
// notified any more, periodic posts stop, the transfer manager stops, the
// prompt queue and the log registry go, then the history, the passwords,
// the cookies and the settings are saved (each save tells the other
// running copies), and sockets and TLS are cleaned up.
//
// UI thread, except NotifyMainFrame (foundation/desktop/ShellHooks.h), which
// any thread may call once InstallShellServices has run.

#include "platform/core/WindowHandle.h"

// The worker-notification message (word parameter: the code). Codes: 0 jobs
// were added, 1 jobs were removed, 2 a job of a group changed, 3 a credential
// request waits.
inline constexpr uint32_t WM_WORKER_NOTIFY = 0x0AB1;
enum WorkerNotifyCode
{
    kWorkerJobsAdded = 0,
    kWorkerJobsRemoved = 1,
    kWorkerJobChanged = 2,
    kWorkerCredentialRequest = 3,
};

// Installs the shell's side of the foundation's hooks: worker notifications
// to the prompt window, reloading the password and cookie stores from the
// data folder, and the help file path. Idempotent.
void InstallShellServices();

// Brings the services up in their order; returns 1.
int InitGlobalsAtStart();
// Saves and takes down the services in their order; safe to call twice.
void ShutdownGlobals();

// Where NotifyMainFrame posts (null: nowhere). Any thread.
void SetPromptWindow(WindowHandle window);
WindowHandle GetPromptWindow();
