#pragma once
// Thin helpers over the desktop services (platform/core/DesktopServices.h)
// for the application shell, the dialogs and the settings code: the system
// version test, plain-text clipboard access, posting one message to many
// windows, opening a document or address with the desktop, and turning on
// auto-completion in an edit box. Each reports failure by false or a count
// and never shows anything to the user. With no service installed, the
// clipboard and auto-completion calls fail and ShellOpen reports that no
// program is associated.

#include "platform/core/WindowHandle.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The program was written against Windows versions; this platform gives
// everything it ever asked of one up to 5.1 (per-user file types, the
// folder browser that accepts typed paths) and nothing of a later one. So
// every version up to 5.1 counts as present, every later one as absent.
bool IsWindowsVersionAtLeast(int major, int minor);

// IsWindowsVersionAtLeast(5, 1), asked once and remembered for the run.
bool IsWindowsXPOrLater();

// Plain text on the clipboard. The owner window of the Windows design is
// accepted and not needed.
bool ClipboardHasText();
// True when the clipboard held text; text receives it (emptied otherwise).
bool GetClipboardText(std::string& text, WindowHandle owner = nullptr);
// Puts the first length bytes of text on the clipboard (all of it when
// length is larger). False when the clipboard could not be set.
bool SetClipboardText(std::string_view text, size_t length, WindowHandle owner = nullptr);

// Posts the message to every window below parent (children, their children
// and so on) or, with no parent, to every top-level window of the calling
// thread. Returns how many windows it was posted to.
int PostMessageToAllWindows(WindowHandle parent, uint32_t message, WPARAM wParam, LPARAM lParam);

// Where ShellOpen writes what it did: level 0 normal, 1 error; each text is
// one whole line ending in "\r\n".
class IShellLog
{
public:
    virtual ~IShellLog() = default;
    virtual void WriteLine(int level, const std::string& text) = 0;
};

// Opens a document, folder or address with the user's preferred program
// (the verb "open"). Local path text ('/', "~/", "file:") is turned into a
// file-system path first. True when a program was started. With a log:
//   before:  "ShellExecute opening: \"<target>\".\r\n"
//   success: "ShellExecute open: \"<target>\" OK.\r\n"
//   failure: the text of the result (ShellOpenFailureText), level 1
//   empty target: "Empty parameter(s) for shell execute command.\r\n", level 1
bool ShellOpen(const std::string& target, IShellLog* log = nullptr);

// The logged text of a failed open's result number (DesktopServices.h);
// "ShellExecute failed, error code: <n>.\r\n" for numbers without a text.
std::string ShellOpenFailureText(int result);

// Turns on completion in an edit box, with the flags of DesktopServices.h
// (kAutoComplete...). When the flags ask for addresses (0, or the history or
// recently-used bits), the URL history is offered. False when no
// auto-completion is installed or the window cannot complete.
bool EnableAutoComplete(WindowHandle edit, unsigned flags);
