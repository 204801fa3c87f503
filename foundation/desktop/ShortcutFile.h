#pragma once
// Reading the target of a shortcut file. Three kinds are understood, told
// apart by the file's extension (in any case):
// - ".url", an internet shortcut: the value of "URL=" in the section
//   "[InternetShortcut]" (section and key names in any case);
// - ".desktop", a freedesktop link: in the group "[Desktop Entry]" with
//   "Type=Link", the value of "URL=", its escapes (\s \n \t \r \\) decoded;
// - ".lnk", a Windows shell link, when it names its target simply: the
//   local base path of its link information followed by the common path
//   suffix, exactly as stored (a Windows path such as "C:\Data\Site"). A link
//   that names its target only through a shell item list, or only as a
//   network share, is not read.
// Anything else, a damaged file and a file above 1 MB is no shortcut.

#include <string>
#include <string_view>

// The target of the shortcut file at path; false (target emptied) when the
// file is no shortcut that can be read or names no target.
bool ReadShortcutTarget(const std::string& path, std::string& target);

// The same for the file's content, one form each.
bool ParseInternetShortcut(std::string_view text, std::string& url);
bool ParseDesktopLink(std::string_view text, std::string& url);
bool ParseShellLink(std::string_view bytes, std::string& target);
