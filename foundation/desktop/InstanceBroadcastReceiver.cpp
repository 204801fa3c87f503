// OnInstanceBroadcast: what this copy does when another copy announces a save.

#include "foundation/desktop/InitInstanceBroadcast.h"

#include "foundation/stores/CookieStore.h"
#include "foundation/stores/PasswordStore.h"
#include "foundation/stores/Settings.h"
#include "foundation/desktop/ShellHelpers.h"
#include "foundation/desktop/ShellHooks.h"
#include "foundation/stores/UrlHistory.h"

#include <unistd.h>

bool OnInstanceBroadcast(const WindowMessage& message, WindowHandle mainWindow)
{
    const uint32_t broadcast = GetInstanceBroadcastMessage();
    if (broadcast == 0 || message.m_message != broadcast)
        return false;

    // Stamps travel as 32-bit words and compare without sign.
    const uint32_t stamp = static_cast<uint32_t>(message.m_lParam);
    switch (message.m_wParam)
    {
    case kBroadcastSettingsSaved:
        if (message.m_lParam != static_cast<LPARAM>(::getpid()))
        {
            LoadSettings();
            PostMessageToAllWindows(mainWindow, kSettingsChangedMessage, 0, 0);
        }
        break;
    case kBroadcastHistorySaved:
        if (GetHistoryStamp() < stamp)
            LoadHistory();
        break;
    case kBroadcastPasswordsSaved:
        if (GetPasswordStore().GetStamp() < stamp)
            LoadPasswords();
        break;
    case kBroadcastCookiesSaved:
        if (GetCookieStore().GetStamp() < stamp)
            LoadCookies();
        break;
    default:
        break;
    }
    return false;
}
