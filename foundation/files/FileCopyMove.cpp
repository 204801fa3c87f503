// Copying and moving files and folders (declared in FileSystem.h).

#include "foundation/files/DirectoryTree.h"
#include "foundation/files/FileSystem.h"
#include "foundation/files/PathJoin.h"
#include "platform/core/AtomicFile.h"
#include "platform/core/DirectoryScan.h"
#include "platform/core/PosixFile.h"
#include "platform/core/Text.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
// The folder above a path, or empty when the path names no folder.
std::string ParentFolder(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? "/" : path.substr(0, slash);
}

void KeepErrno(int& saved)
{
    if (saved == 0)
        saved = errno;
}

// Copies a regular file to a destination that must not exist yet. created
// tells whether the destination was made, so that a failed copy is removed
// and an existing file is never touched.
bool CopyRegularFile(const std::string& source, const std::string& destination, bool& created)
{
    created = false;
    const int in = PosixOpen(source, kOpenReadOnly);
    if (in < 0)
        return false;
    struct stat st{};
    if (::fstat(in, &st) != 0)
    {
        const int saved = errno;
        PosixClose(in);
        errno = saved;
        return false;
    }
    const int out = PosixOpen(destination, kOpenWriteOnly | kOpenCreate | kOpenExclusive, kShareDenyNone, 0600);
    if (out < 0)
    {
        const int saved = errno;
        PosixClose(in);
        errno = saved;
        return false;
    }
    created = true;
    int error = 0;
    std::vector<char> buffer(64 * 1024);
    for (;;)
    {
        const int64_t n = PosixRead(in, buffer.data(), buffer.size());
        if (n < 0)
        {
            KeepErrno(error);
            break;
        }
        if (n == 0)
            break;
        if (PosixWrite(out, buffer.data(), static_cast<size_t>(n)) != n)
        {
            KeepErrno(error);
            break;
        }
    }
    const timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
    if (error == 0 && (::fchmod(out, st.st_mode & 0777) != 0 || ::futimens(out, times) != 0))
        KeepErrno(error);
    if (!PosixClose(out))
        KeepErrno(error);
    PosixClose(in);
    errno = error;
    return error == 0;
}

// Copies one entry to a destination that must not exist yet: a folder with
// everything in it, a link as a link, a regular file with its permissions
// and time. created tells whether the destination was made.
bool CopyEntry(const std::string& source, const std::string& destination, bool& created)
{
    created = false;
    struct stat st{};
    if (::lstat(source.c_str(), &st) != 0)
        return false;
    if (S_ISREG(st.st_mode))
        return CopyRegularFile(source, destination, created);
    if (S_ISLNK(st.st_mode))
    {
        std::string target(static_cast<size_t>(st.st_size) + 1, '\0');
        const ssize_t n = ::readlink(source.c_str(), target.data(), target.size());
        if (n < 0 || static_cast<size_t>(n) >= target.size())
        {
            if (n >= 0)
                errno = EAGAIN; // the link changed while it was read
            return false;
        }
        target.resize(static_cast<size_t>(n));
        created = ::symlink(target.c_str(), destination.c_str()) == 0;
        return created;
    }
    if (!S_ISDIR(st.st_mode))
    {
        errno = EINVAL; // devices, pipes and sockets are not copied
        return false;
    }
    if (::mkdir(destination.c_str(), 0700) != 0)
        return false;
    created = true;
    CDirectoryScan scan;
    if (!scan.Open(source, "*", false))
        return false;
    DirectoryEntry entry;
    while (scan.Next(entry))
    {
        bool made = false;
        if (!CopyEntry(JoinEntryPath(source, entry.m_name), JoinEntryPath(destination, entry.m_name), made))
            return false;
    }
    // Set last, since filling the folder changed its time.
    const timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
    return ::chmod(destination.c_str(), st.st_mode & 07777) == 0 &&
           ::utimensat(AT_FDCWD, destination.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

// Removes an entry this module created: a folder with everything in it,
// anything else by unlinking it (never following a link).
bool RemoveEntry(const std::string& path)
{
    struct stat st{};
    if (::lstat(path.c_str(), &st) != 0)
        return false;
    if (S_ISDIR(st.st_mode))
        return RemoveDirectoryTree(path, "*");
    return ::unlink(path.c_str()) == 0;
}

// rename that fails with EEXIST instead of replacing an existing destination.
bool RenameNoReplace(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL)
        return false;
    // A file system without RENAME_NOREPLACE: check first, then rename.
    struct stat st{};
    if (::lstat(to.c_str(), &st) == 0)
    {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

// Renames, or between file systems copies and then removes the source. When
// the source cannot be removed after a complete copy, the copy stays (no data
// is lost) and the result is false.
bool MoveEntry(const std::string& from, const std::string& to)
{
    if (RenameNoReplace(from, to))
        return true;
    if (errno != EXDEV)
        return false;
    bool created = false;
    if (!CopyEntry(from, to, created))
    {
        const int saved = errno;
        if (created)
            RemoveEntry(to);
        errno = saved;
        return false;
    }
    return RemoveEntry(from);
}

// A name at which nothing exists, not even a dangling link or a folder.
bool FindAsideName(const std::string& source, std::string& aside)
{
    for (int n = 0; n >= 0; ++n)
    {
        aside = Format("%s_%d", source.c_str(), n);
        struct stat st{};
        if (::lstat(aside.c_str(), &st) == 0)
            continue;
        // Any other error (no access, name too long) would repeat for every N.
        return errno == ENOENT;
    }
    return false;
}

// Removes the empty folders from folder up to and including top, deepest
// first; stops at the first that is not empty.
void RemoveEmptyFolders(std::string folder, const std::string& top)
{
    while (folder.size() >= top.size() && folder.compare(0, top.size(), top) == 0)
    {
        if (::rmdir(folder.c_str()) != 0)
            return;
        if (folder.size() == top.size())
            return;
        folder = ParentFolder(folder);
    }
}
} // namespace

bool CopyFileCreatingDirs(const std::string& source, const std::string& destination)
{
    if (source.empty() || destination.empty())
    {
        errno = ENOENT;
        return false;
    }
    // Only a destination with a folder part needs folders; a bare name would
    // otherwise become a folder of its own name.
    const std::string folder = ParentFolder(destination);
    if (!folder.empty() && !CreateDirectoryTree(folder))
        return false;
    bool created = false;
    return CopyRegularFile(source, destination, created);
}

bool CopyFileReplacing(const std::string& source, const std::string& destination)
{
    if (!FileExists(source) || destination.empty() || DirectoryExists(destination))
    {
        errno = destination.empty() || !FileExists(source) ? ENOENT : EISDIR;
        return false;
    }
    const int in = PosixOpen(source, kOpenReadOnly);
    if (in < 0)
        return false;
    struct stat st{};
    CAtomicFile out;
    bool ok = ::fstat(in, &st) == 0 && out.Open(destination, st.st_mode & 0777);
    std::vector<char> buffer(64 * 1024);
    while (ok)
    {
        const int64_t n = PosixRead(in, buffer.data(), buffer.size());
        if (n <= 0)
        {
            ok = n == 0;
            break;
        }
        ok = out.Write(buffer.data(), static_cast<size_t>(n));
    }
    int error = ok ? 0 : errno;
    PosixClose(in);
    if (ok && !out.Commit())
        error = errno;
    errno = error;
    return error == 0 && ok;
}

bool MovePath(const std::string& sourcePath, const std::string& destinationPath)
{
    const std::string source = WithoutTrailingSlashes(sourcePath);
    const std::string destination = WithoutTrailingSlashes(destinationPath);
    struct stat st{};
    if (source.empty() || destination.empty())
    {
        errno = ENOENT;
        return false;
    }
    if (::lstat(source.c_str(), &st) != 0)
        return false;
    // Through a link the permission of whatever it points to would change.
    if (!S_ISLNK(st.st_mode))
        PosixSetReadOnly(source, false);

    const bool intoOwnTree = destination.size() > source.size() &&
                             destination.compare(0, source.size(), source) == 0 &&
                             destination[source.size()] == '/';
    if (!intoOwnTree)
        return MoveEntry(source, destination);

    std::string aside;
    if (!FindAsideName(source, aside) || !RenameNoReplace(source, aside))
        return false;
    const std::string folder = ParentFolder(destination);
    CreateDirectoryTree(folder);
    if (MoveEntry(aside, destination))
        return true;
    const int saved = errno;
    // The folders made for the destination hold the source's name; only
    // empty ones are removed, so nothing put there meanwhile is lost.
    RemoveEmptyFolders(folder, source);
    RenameNoReplace(aside, source);
    errno = saved;
    return false;
}
