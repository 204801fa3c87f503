#pragma once
// Turning the program's local path text into a file-system path. A local path
// is text beginning with '/', "~/" or "file:" (foundation/files/PathUtils.h,
// IsLocalPath); before the path is handed to the file system or to another
// program, "~/" is expanded to the home folder and a "file:" address gives
// its path with %XX escapes decoded.

#include <string>
#include <string_view>

// The file-system path of local path text:
//   "/a/b"                  -> "/a/b"
//   "~/a" (and "~")         -> the home folder (XdgFolders.h) + "/a"
//   "file:///a%20b", "file://localhost/a", "file:/a" -> "/a b", "/a", "/a"
// False (path emptied) for text that is not a local path, for a "file:"
// address of another host, for "~" without a known home folder, and when a
// decoded path holds a NUL byte.
bool ToFileSystemPath(std::string_view text, std::string& path);
