#include "foundation/desktop/ShellHooks.h"

#include <atomic>

namespace
{
std::atomic<InstanceBroadcastHook> g_broadcastHook{nullptr};
std::atomic<NotifyMainFrameHook> g_notifyHook{nullptr};
std::atomic<HelpFilePathHook> g_helpFileHook{nullptr};
std::atomic<StoreLoadHook> g_loadPasswordsHook{nullptr};
std::atomic<StoreLoadHook> g_loadCookiesHook{nullptr};
std::atomic<FavoritesDialogHook> g_favoritesDialogHook{nullptr};
std::atomic<OpenTaskDocumentHook> g_openTaskHook{nullptr};
} // namespace

void SetInstanceBroadcastHook(InstanceBroadcastHook hook)
{
    g_broadcastHook.store(hook);
}

void PostInstanceBroadcast(unsigned code, int64_t argument)
{
    if (InstanceBroadcastHook hook = g_broadcastHook.load())
        hook(code, argument);
}

void SetNotifyMainFrameHook(NotifyMainFrameHook hook)
{
    g_notifyHook.store(hook);
}

int NotifyMainFrame(int code)
{
    NotifyMainFrameHook hook = g_notifyHook.load();
    return hook ? hook(code) : 0;
}

void SetHelpFilePathHook(HelpFilePathHook hook)
{
    g_helpFileHook.store(hook);
}

std::string GetHelpFilePath()
{
    HelpFilePathHook hook = g_helpFileHook.load();
    return hook ? hook() : std::string();
}

void SetLoadPasswordsHook(StoreLoadHook hook)
{
    g_loadPasswordsHook.store(hook);
}

void SetLoadCookiesHook(StoreLoadHook hook)
{
    g_loadCookiesHook.store(hook);
}

void LoadPasswords()
{
    if (StoreLoadHook hook = g_loadPasswordsHook.load())
        hook();
}

void LoadCookies()
{
    if (StoreLoadHook hook = g_loadCookiesHook.load())
        hook();
}

void SetFavoritesDialogHook(FavoritesDialogHook hook)
{
    g_favoritesDialogHook.store(hook);
}

int ShowFavoritesDialog(CPropertySet& task)
{
    FavoritesDialogHook hook = g_favoritesDialogHook.load();
    return hook ? hook(task) : 0;
}

void SetOpenTaskDocumentHook(OpenTaskDocumentHook hook)
{
    g_openTaskHook.store(hook);
}

void OpenTaskDocument(const CPropertySet& task)
{
    if (OpenTaskDocumentHook hook = g_openTaskHook.load())
        hook(task);
}
