#include "foundation/files/DirectoryTree.h"

#include "foundation/files/FileAttributes.h"
#include "foundation/files/FileSystem.h"
#include "foundation/files/PathJoin.h"
#include "platform/core/DirectoryScan.h"
#include "platform/core/PosixFile.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// Opens the folder given by the caller as given; folders reached inside a
// tree are opened without following a link, so that a folder swapped for a
// link after it was listed is not entered.
bool ListEntries(const std::string& path, std::string_view mask, bool followLink, std::vector<std::string>& files,
                 std::vector<std::string>& folders)
{
    CDirectoryScan scan;
    if (!scan.Open(path, mask, followLink))
        return false;
    DirectoryEntry entry;
    while (scan.Next(entry))
        (entry.m_isFolder ? folders : files).push_back(entry.m_name);
    return true;
}

bool DeleteContents(const std::string& path, std::string_view mask, bool recurse, bool followLink)
{
    std::vector<std::string> files;
    std::vector<std::string> folders;
    if (!ListEntries(path, mask, followLink, files, folders))
        return false;
    if (recurse)
    {
        for (const std::string& name : folders)
        {
            const std::string folder = JoinEntryPath(path, name);
            if (!DeleteContents(folder, mask, recurse, false) || ::rmdir(folder.c_str()) != 0)
                return false;
        }
    }
    // Names of the listing are joined as they are: a '\' in a name is part
    // of the name here, and a link is unlinked itself.
    for (const std::string& name : files)
        if (::unlink(JoinEntryPath(path, name).c_str()) != 0)
            return false;
    return true;
}

bool Walk(const std::string& path, IFileEntryVisitor& visitor, int level, IFileNameFilter* filter, bool filterFolders,
          ICancelFlag* cancel, bool followLink)
{
    if (cancel && cancel->IsCancelled())
        return false;
    const std::string folder = WithoutTrailingSlashes(path);
    if (folder.empty())
        return false;
    CDirectoryScan scan;
    if (!scan.Open(folder, "*", followLink))
        return false;
    DirectoryEntry entry;
    while (!(cancel && cancel->IsCancelled()) && scan.Next(entry))
    {
        const bool isFolder = entry.m_isFolder;
        if (filter && (!isFolder || filterFolders) && !filter->Accept(entry.m_name, 0))
            continue;
        visitor.OnEntry(entry.m_name, entry.m_size, MakeFileAttributes(isFolder, entry.m_isSymlink, entry.m_readOnly),
                        COleDateTime::FromTimeT(entry.m_modified, true), isFolder ? kPathDirectory : kPathFile,
                        folder);
        if (level != 0 && isFolder)
            Walk(JoinEntryPath(folder, entry.m_name), visitor, level + 1, filter, filterFolders, cancel, false);
    }
    return true;
}
} // namespace

bool CreateDirectoryTree(const std::string& path)
{
    if (path.empty())
    {
        errno = ENOENT;
        return false;
    }
    return PosixCreateDirectories(WithoutTrailingSlashes(path), 0777);
}

bool ListDirectory(const std::string& path, std::vector<std::string>& files, std::vector<std::string>& folders,
                   std::string_view mask)
{
    return !path.empty() && ListEntries(path, mask, true, files, folders);
}

bool DeleteDirectoryContents(const std::string& path, std::string_view mask, bool recurse)
{
    return !path.empty() && DeleteContents(path, mask, recurse, true);
}

bool RemoveDirectoryTree(const std::string& path, std::string_view mask)
{
    if (path.empty())
        return false;
    const std::string folder = WithoutTrailingSlashes(path);
    struct stat st{};
    if (::lstat(folder.c_str(), &st) != 0)
        return false;
    if (S_ISLNK(st.st_mode))
        return ::unlink(folder.c_str()) == 0;
    if (!S_ISDIR(st.st_mode))
    {
        errno = ENOTDIR;
        return false;
    }
    // Here a folder's own write permission is what guards its entries, so it
    // is given back before the folder is emptied.
    PosixSetReadOnly(folder, false);
    return DeleteContents(folder, mask, true, false) && ::rmdir(folder.c_str()) == 0;
}

bool EnumerateFilesRecursive(const std::string& path, IFileEntryVisitor& visitor, int level, IFileNameFilter* filter,
                             bool filterFolders, ICancelFlag* cancel)
{
    return Walk(path, visitor, level, filter, filterFolders, cancel, true);
}
