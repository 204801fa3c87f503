#include "foundation/files/FileSystem.h"

#include "foundation/files/FindFile.h"
#include "platform/core/PosixFile.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

int GetPathKind(const std::string& path)
{
    struct stat st{};
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return kPathMissing;
    return S_ISDIR(st.st_mode) ? kPathDirectory : kPathFile;
}

bool FileExists(const std::string& path)
{
    return GetPathKind(path) == kPathFile;
}

bool DirectoryExists(const std::string& path)
{
    return GetPathKind(path) == kPathDirectory;
}

bool IsRealDirectory(const std::string& path)
{
    struct stat st{};
    return !path.empty() && ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool DeleteFileForce(const std::string& path)
{
    struct stat st{};
    if (path.empty())
    {
        errno = ENOENT;
        return false;
    }
    if (::lstat(path.c_str(), &st) != 0)
        return false;
    if (S_ISDIR(st.st_mode))
    {
        errno = EISDIR;
        return false;
    }
    return ::unlink(path.c_str()) == 0;
}

bool SetFileSize(const std::string& path, int64_t size)
{
    if (path.empty() || size < 0)
    {
        errno = EINVAL;
        return false;
    }
    const int fd = PosixOpen(path, kOpenReadWrite | kOpenCreate, kShareDenyReadWrite);
    if (fd < 0)
        return false;
    bool done = PosixGetLength(fd) == size || (PosixSetLength(fd, size) && PosixGetLength(fd) == size);
    if (!PosixClose(fd))
        done = false;
    return done;
}

bool SetReadOnlyAttribute(const std::string& path, bool readOnly)
{
    if (path.empty())
    {
        errno = ENOENT;
        return false;
    }
    return PosixSetReadOnly(path, readOnly);
}

int64_t GetFileSize64(const std::string& path)
{
    CFindFile finder;
    return finder.Find(path) ? finder.GetSize64() : -1;
}

bool GetFileInfo(const std::string& path, int64_t& size, COleDateTime& modified, uint32_t& attributes)
{
    CFindFile finder;
    return finder.Find(path) && finder.GetInfo(size, modified, attributes);
}
