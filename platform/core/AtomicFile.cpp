#include "platform/core/AtomicFile.h"

#include "platform/core/DirectoryScan.h"
#include "platform/core/PosixFile.h"
#include "platform/core/Text.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// Keeps the temporary name within NAME_MAX whatever the target's name.
constexpr size_t kMaxBaseInTempName = 200;
constexpr int kNameAttempts = 100;

std::atomic<unsigned> g_tempCounter{0};

// The file a write to path should replace: the target of a link, so that
// replacing it keeps the link.
std::string ResolveTarget(const std::string& path)
{
    struct stat st{};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real)
        return path; // a dangling link is replaced itself
    std::string out(real);
    std::free(real);
    return out;
}

// The writer's process id of a temporary name ".<base>.<pid>.<n>.tmp" made
// for base, or 0 when name is not one of base's temporaries.
pid_t TemporaryWriter(std::string_view name, std::string_view base)
{
    const std::string_view suffix = ".tmp";
    if (name.size() < base.size() + 1 + suffix.size() + 4 || name[0] != '.' ||
        name.substr(1, base.size()) != base || name[1 + base.size()] != '.' ||
        name.substr(name.size() - suffix.size()) != suffix)
        return 0;
    std::string_view rest = name.substr(2 + base.size());
    rest.remove_suffix(suffix.size());
    const size_t dot = rest.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot > 9 || dot + 1 == rest.size())
        return 0;
    pid_t pid = 0;
    for (size_t i = 0; i < rest.size(); ++i)
    {
        if (i == dot)
            continue;
        if (!IsAsciiDigit(rest[i]))
            return 0;
        if (i < dot)
            pid = pid * 10 + (rest[i] - '0');
    }
    return pid;
}

// A save that was killed mid-write leaves its temporary file behind, and a
// store saved again and again would pile them up. Those of base whose
// writer is gone are removed; a live writer's file (another running copy
// saving now) is left alone.
void RemoveOrphanedTemporaries(const std::string& folder, const std::string& base)
{
    CDirectoryScan scan;
    DirectoryEntry entry;
    if (!scan.Open(folder.empty() ? std::string(".") : folder, "." + base + ".*.tmp", false))
        return;
    while (scan.Next(entry))
    {
        const pid_t writer = TemporaryWriter(entry.m_name, base);
        if (writer <= 0 || entry.m_isFolder || writer == ::getpid())
            continue;
        if (::kill(writer, 0) != 0 && errno == ESRCH)
            ::unlink((folder + entry.m_name).c_str());
    }
}

void SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    // Best effort: the rename has happened; this only hastens its way to the disk.
    ::fsync(fd);
    ::close(fd);
}
} // namespace

CAtomicFile::~CAtomicFile()
{
    Abandon();
}

bool CAtomicFile::Open(const std::string& path, mode_t mode)
{
    Abandon();
    if (path.empty() || path.back() == '/')
    {
        errno = EINVAL;
        return false;
    }
    const std::string target = ResolveTarget(path);
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    if (base.size() > kMaxBaseInTempName)
        base.resize(kMaxBaseInTempName);
    const int saved = errno;
    RemoveOrphanedTemporaries(folder, base);
    errno = saved;

    for (int attempt = 0; attempt < kNameAttempts; ++attempt)
    {
        const std::string temp =
            folder + Format(".%s.%d.%u.tmp", base.c_str(), static_cast<int>(::getpid()), g_tempCounter++);
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
        if (fd >= 0)
        {
            m_target = target;
            m_tempPath = temp;
            m_fd = fd;
            m_writeError = 0;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false; // errno is still EEXIST
}

bool CAtomicFile::Write(const void* data, size_t size)
{
    if (m_fd < 0)
    {
        errno = EBADF;
        return false;
    }
    if (m_writeError != 0)
    {
        errno = m_writeError;
        return false;
    }
    if (PosixWrite(m_fd, data, size) < 0)
    {
        m_writeError = errno;
        return false;
    }
    return true;
}

bool CAtomicFile::Commit()
{
    if (m_fd < 0)
    {
        errno = EBADF;
        return false;
    }
    int error = m_writeError;
    if (error == 0 && ::fsync(m_fd) != 0)
        error = errno;
    if (!PosixClose(m_fd) && error == 0)
        error = errno;
    m_fd = -1;
    if (error == 0 && ::rename(m_tempPath.c_str(), m_target.c_str()) != 0)
        error = errno;
    if (error != 0)
    {
        ::unlink(m_tempPath.c_str());
        m_tempPath.clear();
        errno = error;
        return false;
    }
    m_tempPath.clear();
    const size_t slash = m_target.rfind('/');
    SyncFolder(slash == std::string::npos ? std::string(".") : m_target.substr(0, slash + 1));
    return true;
}

void CAtomicFile::Abandon()
{
    const int saved = errno;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_tempPath.empty())
        ::unlink(m_tempPath.c_str());
    m_tempPath.clear();
    m_writeError = 0;
    errno = saved;
}

bool WriteFileAtomic(const std::string& path, std::string_view content, mode_t mode)
{
    CAtomicFile file;
    if (!file.Open(path, mode) || !file.Write(content))
        return false;
    return file.Commit();
}
