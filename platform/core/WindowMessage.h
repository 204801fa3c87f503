#pragma once
// Named window messages and the record of one message being dispatched.
//
// A named message gets its number when it is first registered in the
// process; every later registration of the same name gives the same number.
// Numbers come from 0xC000 to 0xFFFF, above every fixed message number of the
// program, so a named message never collides with one of them. Numbers are
// local to the process: running copies that talk to each other do so over
// the instance channel (InstanceChannel.h), never by message number.

#include "platform/core/WindowHandle.h"

#include <cstdint>
#include <string_view>

inline constexpr uint32_t kFirstRegisteredMessage = 0xC000;
inline constexpr uint32_t kLastRegisteredMessage = 0xFFFF;

// The number of the named message, registering it on first use; thread-safe.
// 0 for an empty name and when every number is taken.
uint32_t RegisterWindowMessage(std::string_view name);

// One message as the UI thread dispatches it.
struct WindowMessage
{
    WindowHandle m_window = nullptr;
    uint32_t m_message = 0;
    WPARAM m_wParam = 0;
    LPARAM m_lParam = 0;
};
