#pragma once
// Folders: creating a folder with its parents, listing one folder, emptying
// and removing trees, and walking a tree with a visitor.
//
// Walks and deletions never follow symbolic links: a link inside a tree,
// whether it points to a file or a folder, is listed with the files, removed
// as a link, and never descended into, so nothing outside the tree is touched
// and a link loop cannot make a walk run on. The folder named by the caller
// may itself be reached through a link (ListDirectory,
// DeleteDirectoryContents and the walk open it as given); RemoveDirectoryTree
// of a path that is a link removes the link.
//
// Masks follow MatchesFileMask (platform/core/DirectoryScan.h): '*', '?', and
// "*.*" for every name. Names are listed in byte order.

#include "platform/core/OleDateTime.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Creates the folder and every missing folder above it. Trailing '/' are
// ignored; "/" itself succeeds. Fails for an empty path or when a component
// exists as something other than a folder; folders created before a failure
// stay.
bool CreateDirectoryTree(const std::string& path);

// Appends the bare names of the entries of the folder that match mask:
// folders to folders, everything else (links included) to files. True with
// nothing added for a folder without matches; false when the folder cannot
// be listed.
bool ListDirectory(const std::string& path, std::vector<std::string>& files, std::vector<std::string>& folders,
                   std::string_view mask);

// Deletes the entries of the folder that match mask. With recurse, each
// matching sub-folder is first emptied with the same mask and then removed
// (which fails when something that did not match is left in it). Folders go
// first, then files, each in listing order; the first failure stops the work
// and gives false.
bool DeleteDirectoryContents(const std::string& path, std::string_view mask, bool recurse);

// Gives the folder back its owner's write permission, empties it with mask
// (recursively) and removes it. False for an empty path or when anything
// could not be deleted; the folder then stays with what is left in it.
bool RemoveDirectoryTree(const std::string& path, std::string_view mask);

// Receives each entry of a walk.
class IFileEntryVisitor
{
public:
    virtual ~IFileEntryVisitor() = default;
    // name is bare; size is 0 for a folder; modified is the last-write time
    // as a local date-time; kind is kPathDirectory or kPathFile (a link is
    // kPathFile); folder is the folder that holds the entry, as walked. The
    // result is not used.
    virtual bool OnEntry(const std::string& name, int64_t size, uint32_t attributes, const COleDateTime& modified,
                         int kind, const std::string& folder) = 0;
};

// Chooses the entries of a walk; false skips the entry (and, for a folder,
// the descent into it). flags is always 0.
class IFileNameFilter
{
public:
    virtual ~IFileNameFilter() = default;
    virtual bool Accept(const std::string& name, int flags) = 0;
};

// Asked before each entry; true ends the walk.
class ICancelFlag
{
public:
    virtual ~ICancelFlag() = default;
    virtual bool IsCancelled() = 0;
};

// Walks the folder at path (trailing '/' ignored), reporting every entry to
// the visitor. With a filter, files it refuses are skipped, and folders too
// when filterFolders is set. Level 0 lists the folder alone; any other level
// descends into every reported folder with level + 1. cancel may be null.
// False when cancelled before the start or when path is empty, not a folder
// or cannot be listed; otherwise true, also when the walk was cancelled on
// the way or a sub-folder could not be listed.
bool EnumerateFilesRecursive(const std::string& path, IFileEntryVisitor& visitor, int level, IFileNameFilter* filter,
                             bool filterFolders, ICancelFlag* cancel);
