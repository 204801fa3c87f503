#pragma once
// Asking the user for a file or a folder through the pickers of the desktop
// (platform/core/DesktopServices.h), and the folder shortcuts that a folder
// browser may hand back. UI thread only. Every function gives the empty text
// (or false) when the user cancels or no picker is installed, and shows no
// message.

#include "platform/core/WindowHandle.h"

#include <string>

// The folder browser, starting in startFolder (local path text such as
// "~/x" is turned into a file-system path first). When the chosen folder is
// a folder shortcut, its target is returned instead. Empty when cancelled.
std::string BrowseForFolder(const std::string& startFolder, const std::string& title, WindowHandle owner);

// Whether the folder is a folder shortcut as Windows makes them (and as
// they arrive on shared or copied disks): a folder whose "desktop.ini"
// names the folder-shortcut class and which holds the link "target.lnk".
bool IsFolderShortcut(const std::string& folder);

// The target of a folder shortcut: the target of its "target.lnk"
// (ShortcutFile.h). False (target emptied) when that cannot be read. The
// owner window is accepted and not needed.
bool ResolveFolderShortcut(WindowHandle owner, const std::string& folder, std::string& target);

// The folder browser for an edit box: starts at the window's text, is owned
// by the window's owner (else its parent), and puts the chosen folder into
// the window. Cancelling leaves the window's text as it was.
void BrowseFolderIntoWindow(WindowHandle window, const std::string& title);
// The same with the title taken from the string table (no title when the
// string is missing).
void BrowseFolderForWindow(WindowHandle window, unsigned titleStringId);

// Asks for a file, or with pickFolder for a folder, starting in the folder
// remembered in "Misc/Last Opened Folder" (20494) or, when path (the text of
// the field being browsed for, trimmed of blanks) is local path text, in that
// path when it is a folder, else in its folder part.
// - Folder mode: the folder browser with title; the chosen folder is
//   remembered and returned. Cancelling changes nothing.
// - File mode: the open dialog, or the save dialog with save, with filter
//   (DesktopServices.h gives its form), asking before overwriting. The name
//   after path's last '/' or '\' is offered as the file name unless it holds
//   one of < > * | ?. On OK the start folder (not the chosen file's folder)
//   is remembered and the chosen full path returned.
std::string BrowseForFile(bool pickFolder, const std::string& path, bool save, WindowHandle parent,
                          const std::string& title, const std::string& filter);
