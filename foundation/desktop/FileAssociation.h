#pragma once
// Making the program's project files open with the program on the desktop.
// A file type is registered for the user alone, below the data home
// ($XDG_DATA_HOME, default ~/.local/share), in the two freedesktop forms:
// - a MIME package "mime/packages/<type>.xml" that gives the type
//   "application/x-<type>" (the type name in lower case) the glob
//   "*<extension>" and the type name as its description;
// - a desktop entry "applications/<type>.desktop" (hidden from menus) that
//   runs the command with the file for that type.
// The application calls it at every start with ".vbb", the full path of the
// program and the type name "XVebb". A file that already holds what would be
// written is left alone; when one changed, the desktop's caches are brought
// up to date by update-mime-database and update-desktop-database, when they
// are installed (their absence or failure does not count as a failure).

#include <string>

// command is the program's path, or a command line that holds "%1" where
// the file goes (then it is used as it is, "%1" and "\"%1\"" standing for
// the file). False when any text is empty, when the extension or type name
// holds characters other than letters, digits, '.', '_', '+' and '-', when
// the command holds control characters, or when a file could not be
// written.
bool RegisterFileAssociation(const std::string& extension, const std::string& command,
                             const std::string& typeName);

// The Exec value of the desktop entry for a command, in the quoting rules of
// desktop entries (before the escaping of the file's string values).
std::string MakeDesktopExec(const std::string& command);
