#include "platform/core/AtomicFile.h"

#include "platform/core/PosixFile.h"
#include "platform/core/Text.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
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
