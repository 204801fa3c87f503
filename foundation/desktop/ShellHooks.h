#pragma once
// Services of the application shell that foundation code calls but cannot
// link against (the shell sits above it): the instance broadcast, worker
// notifications to the main frame, the help file path and the reloading of
// the password and cookie stores. The shell installs one function per
// service at start-up (the broadcast is installed by InitInstanceBroadcast,
// which joins the instance channel); until then each call does nothing and
// returns 0 or the empty text. Installing and calling are safe from any
// thread. The dialogs install the "Favorite Sites" dialog the same way.

#include <cstdint>
#include <string>

class CPropertySet;

// Broadcast codes: what another running copy announces.
enum InstanceBroadcastCode
{
    kBroadcastStarted = 1,
    kBroadcastEnded = 2,
    kBroadcastSettingsSaved = 3,
    kBroadcastHistorySaved = 4,
    kBroadcastPasswordsSaved = 5,
    kBroadcastCookiesSaved = 6,
    kBroadcastFavoritesSaved = 7,
};

// Posts the registered broadcast message "_MSG_XVEBB_BROADCAST_" to every
// running copy, this one included, with the code and its argument.
using InstanceBroadcastHook = void (*)(unsigned code, int64_t argument);
void SetInstanceBroadcastHook(InstanceBroadcastHook hook);
void PostInstanceBroadcast(unsigned code, int64_t argument);

// Posts the worker-notification message 0x0AB1 (word parameter: the code) to
// the notification window; returns the result of the post. 0 means nobody
// was told, which the credential prompt queue reads as "nobody can answer".
using NotifyMainFrameHook = int (*)(int code);
void SetNotifyMainFrameHook(NotifyMainFrameHook hook);
int NotifyMainFrame(int code);

// The full path of the help file, empty when there is none.
using HelpFilePathHook = std::string (*)();
void SetHelpFilePathHook(HelpFilePathHook hook);
std::string GetHelpFilePath();

// Reload "Passwords.bf" and "Cookies.txt" from the data folder into the
// global stores.
using StoreLoadHook = void (*)();
void SetLoadPasswordsHook(StoreLoadHook hook);
void SetLoadCookiesHook(StoreLoadHook hook);
void LoadPasswords();
void LoadCookies();

// Runs the "Favorite Sites" dialog modally on the UI thread, leaves the
// dialog's task copy (the task settings the user chose) in task and returns
// the id of the command that ended the dialog.
using FavoritesDialogHook = int (*)(CPropertySet& task);
void SetFavoritesDialogHook(FavoritesDialogHook hook);
int ShowFavoritesDialog(CPropertySet& task);

// Opens a new task window for a copy of the task settings.
using OpenTaskDocumentHook = void (*)(const CPropertySet& task);
void SetOpenTaskDocumentHook(OpenTaskDocumentHook hook);
void OpenTaskDocument(const CPropertySet& task);
