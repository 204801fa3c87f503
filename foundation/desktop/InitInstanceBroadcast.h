#pragma once
// Running copies of the program tell each other when they save settings or a
// store, so that the others reload what was saved. InitInstanceBroadcast is
// the application's lifetime object for this: while it lives, this copy has
// a socket in the instance channel (platform/core/InstanceChannel.h), every
// PostInstanceBroadcast (foundation/desktop/ShellHooks.h) of the settings and stores
// goes to every running copy, this one included, and every broadcast that
// arrives is posted as the message "_MSG_XVEBB_BROADCAST_" (word parameter:
// the code, long parameter: the argument) to the receiver window, whose UI
// thread hands it to OnInstanceBroadcast.
//
// Codes (InstanceBroadcastCode): 1 a copy started, 2 a copy ended (argument
// for both: the process id), 3 settings saved (the process id), 4 history,
// 5 passwords and 6 cookies saved (the store's change stamp), 7 favourites
// saved (0).
//
// One object per process, made at start-up on the UI thread before anything
// saves. A copy whose channel cannot be opened runs alone: its broadcasts go
// nowhere and nothing arrives.

#include "platform/core/WindowHandle.h"
#include "platform/core/WindowMessage.h"

#include <cstdint>

inline constexpr char kInstanceBroadcastMessageName[] = "_MSG_XVEBB_BROADCAST_";

// The settings-changed message posted to every window after a reload of the
// settings (word and long parameter 0); each window reads its settings again.
inline constexpr uint32_t kSettingsChangedMessage = 0x0AA4;

// The number of the broadcast message in this process; 0 until an
// InitInstanceBroadcast has registered it.
uint32_t GetInstanceBroadcastMessage();

class InitInstanceBroadcast
{
public:
    // Registers the broadcast message, opens this copy's socket in
    // GetInstanceChannelFolder(), installs the broadcast hook and broadcasts
    // code 1. shutdownGlobals, when given, runs first thing in the
    // destructor: the stores and settings it saves still reach the others.
    explicit InitInstanceBroadcast(void (*shutdownGlobals)() = nullptr);
    // Runs shutdownGlobals, broadcasts code 2, removes the hook and closes
    // the channel.
    ~InitInstanceBroadcast();
    InitInstanceBroadcast(const InitInstanceBroadcast&) = delete;
    InitInstanceBroadcast& operator=(const InitInstanceBroadcast&) = delete;

    // Where arriving broadcasts are posted; null (the start) drops them.
    // Any thread.
    void SetReceiverWindow(WindowHandle window);

    // Whether this copy is in the channel.
    bool IsConnected() const;
};

// The number of running copies, this one included (the sockets with a live
// receiver in the channel); 1 while this copy is not in the channel.
int GetInstanceCount();

// The receiving side, called by the UI thread for every message before its
// normal handling. For the broadcast message:
// - code 3 from another process (the argument is not this process id):
//   LoadSettings, then the settings-changed message to every window below
//   mainWindow (every top-level window of the thread when mainWindow is
//   null), through PostMessageToAllWindows;
// - code 4, 5 or 6 whose stamp (the argument as 32 bits without sign) is
//   above this copy's stamp of the history, the password store or the cookie
//   store: LoadHistory, LoadPasswords or LoadCookies;
// - codes 1, 2, 7 and others, and saves this copy made itself (its own
//   process id, a stamp equal to its own): nothing.
// Returns false in every case: the message always goes on to its handling.
bool OnInstanceBroadcast(const WindowMessage& message, WindowHandle mainWindow);
