#include "platform/core/PosixFile.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// Some kernels cap one read or write near 2 GiB; larger requests go in pieces.
constexpr size_t kMaxChunk = size_t{1} << 30;

// Closes a descriptor on a failure path without losing the errno of the failure.
void CloseKeepingErrno(int fd)
{
    const int saved = errno;
    ::close(fd);
    errno = saved;
}

bool TakeShareLock(int fd, int shareMode)
{
    if (shareMode == kShareDenyNone)
        return true;
    int rc;
    do
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc == 0)
        return true;
    if (errno == EWOULDBLOCK)
    {
        errno = EACCES; // another holder denies sharing
        return false;
    }
    // A file system without locks: the open goes ahead unguarded.
    return true;
}
} // namespace

namespace
{
int OpenRetryingInterrupts(const std::string& path, int oflags, mode_t createMode)
{
    int fd;
    do
        fd = ::open(path.c_str(), oflags, createMode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// O_CREAT without O_EXCL, telling whether the file was made: exclusive
// first, then the existing file. A file removed between the two is created
// on the next round; one that keeps coming and going gives up after a few.
// The exclusive open never opens a named pipe (it fails on any name that is
// there), so it goes without O_NONBLOCK.
int OpenReportingCreation(const std::string& path, int oflags, mode_t createMode, bool& created)
{
    created = false;
    for (int round = 0; round < 4; ++round)
    {
        int fd = OpenRetryingInterrupts(path, (oflags & ~O_NONBLOCK) | O_EXCL, createMode);
        if (fd >= 0)
        {
            created = true;
            return fd;
        }
        if (errno != EEXIST)
            return -1;
        fd = OpenRetryingInterrupts(path, oflags & ~O_CREAT, createMode);
        if (fd >= 0 || errno != ENOENT)
            return fd;
    }
    return -1;
}
} // namespace

int PosixOpen(const std::string& path, int flags, int shareMode, mode_t createMode, bool* created)
{
    if (created)
        *created = false;
    const int access = flags & kOpenAccessMask;
    if (access == kOpenAccessMask || path.empty() ||
        (shareMode != kShareDenyNone && shareMode != kShareDenyWrite && shareMode != kShareDenyRead &&
         shareMode != kShareDenyReadWrite))
    {
        errno = EINVAL;
        return -1;
    }
    // Non-blocking only so that opening a named pipe cannot hang; it is
    // cleared again before the descriptor is handed out.
    int oflags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    oflags |= access == kOpenReadOnly ? O_RDONLY : access == kOpenWriteOnly ? O_WRONLY : O_RDWR;
    if (flags & kOpenAppend)
        oflags |= O_APPEND;
    if (flags & kOpenCreate)
    {
        oflags |= O_CREAT;
        if (flags & kOpenExclusive)
            oflags |= O_EXCL;
    }
    bool made = false;
    const int fd = created && (oflags & O_CREAT) && !(oflags & O_EXCL)
                       ? OpenReportingCreation(path, oflags, createMode, made)
                       : OpenRetryingInterrupts(path, oflags, createMode);
    if (fd < 0)
        return -1;

    // A file this open made is a regular file opened without O_NONBLOCK:
    // nothing to check or clear (two system calls less for every download).
    if (!made)
    {
        struct stat st{};
        if (::fstat(fd, &st) != 0)
        {
            CloseKeepingErrno(fd);
            return -1;
        }
        if (!S_ISREG(st.st_mode))
        {
            ::close(fd);
            errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
            return -1;
        }
        // Of the flags F_SETFL can change, only O_APPEND was asked for at
        // the open, so the status flags need not be read back first.
        if (::fcntl(fd, F_SETFL, oflags & O_APPEND) != 0)
        {
            CloseKeepingErrno(fd);
            return -1;
        }
    }
    if (!TakeShareLock(fd, shareMode))
    {
        CloseKeepingErrno(fd);
        return -1;
    }
    if ((flags & kOpenTruncate) && access != kOpenReadOnly && ::ftruncate(fd, 0) != 0)
    {
        CloseKeepingErrno(fd);
        return -1;
    }
    if (created)
        *created = made;
    return fd;
}

int64_t PosixRead(int fd, void* buffer, size_t count)
{
    auto* out = static_cast<char*>(buffer);
    size_t done = 0;
    while (done < count)
    {
        const size_t chunk = count - done < kMaxChunk ? count - done : kMaxChunk;
        const ssize_t n = ::read(fd, out + done, chunk);
        if (n < 0)
        {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    return static_cast<int64_t>(done);
}

bool PosixReadFileHead(const std::string& path, size_t most, std::string& bytes)
{
    bytes.clear();
    const int fd = PosixOpen(path, kOpenReadOnly);
    if (fd < 0)
        return false;
    std::string content(most, '\0');
    const int64_t count = PosixRead(fd, content.data(), content.size());
    PosixClose(fd);
    if (count < 0)
        return false;
    content.resize(static_cast<size_t>(count));
    bytes = std::move(content);
    return true;
}

int64_t PosixWrite(int fd, const void* data, size_t count)
{
    const auto* in = static_cast<const char*>(data);
    size_t done = 0;
    while (done < count)
    {
        const size_t chunk = count - done < kMaxChunk ? count - done : kMaxChunk;
        const ssize_t n = ::write(fd, in + done, chunk);
        if (n < 0)
        {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
        {
            // A regular file that accepts nothing is full.
            errno = ENOSPC;
            return -1;
        }
        done += static_cast<size_t>(n);
    }
    return static_cast<int64_t>(count);
}

int64_t PosixSeek(int fd, int64_t offset, int origin)
{
    int whence;
    switch (origin)
    {
    case 0:
        whence = SEEK_SET;
        break;
    case 1:
        whence = SEEK_CUR;
        break;
    case 2:
        whence = SEEK_END;
        break;
    default:
        errno = EINVAL;
        return -1;
    }
    const off_t pos = ::lseek(fd, static_cast<off_t>(offset), whence);
    return pos < 0 ? -1 : static_cast<int64_t>(pos);
}

int64_t PosixTell(int fd)
{
    return PosixSeek(fd, 0, 1);
}

int64_t PosixGetLength(int fd)
{
    struct stat st{};
    if (::fstat(fd, &st) != 0)
        return -1;
    return static_cast<int64_t>(st.st_size);
}

bool PosixSetLength(int fd, int64_t length)
{
    if (length < 0)
    {
        errno = EINVAL;
        return false;
    }
    int rc;
    do
        rc = ::ftruncate(fd, static_cast<off_t>(length));
    while (rc != 0 && errno == EINTR);
    return rc == 0;
}

bool PosixClose(int fd)
{
    if (fd < 0)
    {
        errno = EBADF;
        return false;
    }
    // Never retried: Linux releases the descriptor even when close fails, and
    // a retry could close a descriptor another thread has just been given.
    return ::close(fd) == 0;
}

bool PosixGetModifiedTime(int fd, time_t& modified)
{
    struct stat st{};
    if (::fstat(fd, &st) != 0)
        return false;
    modified = st.st_mtim.tv_sec;
    return true;
}

bool PosixSetModifiedTime(const std::string& path, time_t modified)
{
    timespec times[2]{};
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = modified;
    times[1].tv_nsec = 0;
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

bool PosixGetReadOnly(const std::string& path, bool& readOnly)
{
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0)
        return false;
    readOnly = (st.st_mode & S_IWUSR) == 0;
    return true;
}

bool PosixSetReadOnly(const std::string& path, bool readOnly)
{
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0)
        return false;
    const mode_t mode = st.st_mode & 07777;
    if (((mode & S_IWUSR) == 0) == readOnly)
        return true;
    const mode_t wanted = readOnly ? mode & ~mode_t{S_IWUSR | S_IWGRP | S_IWOTH} : mode | S_IWUSR;
    return ::chmod(path.c_str(), wanted) == 0;
}

bool PosixCreateDirectories(const std::string& path, mode_t mode)
{
    if (path.empty())
    {
        errno = ENOENT;
        return false;
    }
    // Each prefix that ends before a '/' (and the whole path) is one level.
    for (size_t end = path.find('/', 1);; end = path.find('/', end + 1))
    {
        const std::string prefix = path.substr(0, end);
        if (!prefix.empty() && prefix.back() != '/' && ::mkdir(prefix.c_str(), mode) != 0 && errno != EEXIST)
            return false;
        if (end == std::string::npos)
            break;
    }
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode))
    {
        errno = ENOTDIR;
        return false;
    }
    return true;
}
