#pragma once
// Questions about one path and operations on single files: what a path
// names, deleting, copying and moving, setting a file's size and read-only
// attribute, and reading its size, time and attributes.
//
// The paths are file-system paths: '/' separates folders and every other
// byte, '\' included, is part of a name. Failures give false or -1 and never
// throw; errno tells the cause where the platform set one.

#include "platform/core/OleDateTime.h"

#include <cstdint>
#include <string>

// Entry kinds of GetPathKind and of the folder walk.
inline constexpr int kPathMissing = 0;
inline constexpr int kPathDirectory = 1;
inline constexpr int kPathFile = 2;

// What the path names, following symbolic links (a link to a folder is a
// folder, a dangling link is missing): kPathMissing for an empty or missing
// path, kPathDirectory for a folder, kPathFile for anything else.
int GetPathKind(const std::string& path);
// The path exists and is not a folder.
bool FileExists(const std::string& path);
// The path exists and is a folder.
bool DirectoryExists(const std::string& path);
// The path is a folder itself, not a symbolic link to one.
bool IsRealDirectory(const std::string& path);

// Deletes a file; false for an empty or missing path or a folder. The
// read-only attribute does not guard a file against deletion here. A
// symbolic link is removed itself, never what it points to.
bool DeleteFileForce(const std::string& path);

// Copies a file (the content, its permissions and its modification time),
// first creating the folders above the destination. Fails when either path is
// empty, the source is not a file or the destination exists; a copy that
// fails part-way is removed again.
bool CopyFileCreatingDirs(const std::string& source, const std::string& destination);

// Copies a file's content over the destination in one step (a temporary
// file beside it renamed over it, AtomicFile.h), so a failed copy leaves the
// old destination as it was; a destination that is the source itself keeps
// its content. Fails when the source is not a file or the destination is a
// folder; the folder of the destination must exist.
bool CopyFileReplacing(const std::string& source, const std::string& destination);

// Moves a file or folder; never replaces an existing destination. Clears the
// read-only attribute of the source first (not through a link). Between file
// systems the source is copied (folders with everything in them, links as
// links) and removed after the copy is complete; a failed copy is removed and
// the source stays.
//
// A move into the source's own tree (destination beginning with the source
// and a '/') goes in three steps: the source is renamed aside to
// "<source>_N" with the first N at which nothing exists, the folders of the
// destination are created, and the aside entry is renamed to the
// destination. When the last step fails the created folders are removed
// again and the source gets its name back.
bool MovePath(const std::string& source, const std::string& destination);

// Makes the file exactly size bytes long, creating it when missing; new
// bytes are zero. Takes the exclusive share lock while it works, so a file
// another user holds with a denying share mode is not changed.
bool SetFileSize(const std::string& path, int64_t size);

// Sets or clears the read-only attribute (the owner's write permission) of
// the file or folder, following a link. False when the path is missing; true
// when the attribute was already as asked.
bool SetReadOnlyAttribute(const std::string& path, bool readOnly);

// Size of the file (0 for a folder), following links; -1 when missing.
int64_t GetFileSize64(const std::string& path);

// Size, last-write time as a local date-time and attributes (FileAttributes.h)
// of the entry at path, following links; false when missing.
bool GetFileInfo(const std::string& path, int64_t& size, COleDateTime& modified, uint32_t& attributes);
