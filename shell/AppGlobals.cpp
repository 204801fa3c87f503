#include "shell/AppGlobals.h"

#include "foundation/desktop/ShellHooks.h"
#include "foundation/files/PathUtils.h"
#include "foundation/stores/CookieStore.h"
#include "foundation/stores/PasswordStore.h"
#include "foundation/stores/Settings.h"
#include "foundation/stores/UrlHistory.h"
#include "foundation/threads/PeriodicPoster.h"
#include "transfer/auth/PromptRequestQueue.h"
#include "transfer/base/LogRegistry.h"
#include "transfer/jobs/TransferManager.h"
#include "transfer/net/Connection.h"
#include "shell/HelpFile.h"

#include <atomic>

namespace
{
std::atomic<WindowHandle> g_promptWindow{nullptr};
bool g_started = false;

int PostWorkerNotification(int code)
{
    return PostMessage(g_promptWindow.load(), WM_WORKER_NOTIFY, static_cast<WPARAM>(code), 0) ? 1 : 0;
}

// The transfer manager's callbacks carry the notification code as their
// user value.
int NotifyFromTransferManager(int code)
{
    return NotifyMainFrame(code);
}

void ReloadPasswords()
{
    (void)LoadPasswordStore();
}

void ReloadCookies()
{
    (void)LoadCookieStore();
}
} // namespace

void InstallShellServices()
{
    SetNotifyMainFrameHook(PostWorkerNotification);
    SetLoadPasswordsHook(ReloadPasswords);
    SetLoadCookiesHook(ReloadCookies);
    SetHelpFilePathHook(FindHelpFilePath);
}

int InitGlobalsAtStart()
{
    InstallShellServices();
    (void)SocketsStartup(1);
    LoadPasswords();
    LoadCookies();
    LoadHistory();
    LoadSettingsAtStartup();
    CreateTransferManager();
    if (CTransferManager* manager = GetTransferManager())
    {
        manager->SetCallback(NotifyFromTransferManager, 0, kTransferCallbackAdded);
        manager->SetCallback(NotifyFromTransferManager, 2, kTransferCallbackGroup);
        manager->SetCallback(NotifyFromTransferManager, 1, kTransferCallbackRemoved);
    }
    g_started = true;
    return 1;
}

void ShutdownGlobals()
{
    if (!g_started)
        return;
    g_started = false;
    // No worker may notify a window that is about to go.
    SetPromptWindow(nullptr);
    RemoveAllPeriodicPosts();
    DestroyTransferManager();
    DestroyPromptQueue();
    DestroyLogManager();
    (void)SavePasswordStore();
    (void)SaveCookieStore();
    (void)SaveAllSettings();
    (void)SocketsStartup(0);
}

void SetPromptWindow(WindowHandle window)
{
    g_promptWindow.store(window);
}

WindowHandle GetPromptWindow()
{
    return g_promptWindow.load();
}
