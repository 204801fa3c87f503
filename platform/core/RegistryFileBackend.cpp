#include "platform/core/RegistryFileBackend.h"

#include "platform/core/AtomicFile.h"
#include "platform/core/PosixFile.h"
#include "platform/core/RegistryText.h"
#include "platform/core/XdgFolders.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string() : path.substr(0, slash);
}
} // namespace

CRegistryFileBackend::CRegistryFileBackend(std::string path) : m_path(std::move(path)) {}

CRegistryFileBackend::~CRegistryFileBackend()
{
    EndUpdate();
}

bool CRegistryFileBackend::ReadStamp(Stamp& stamp) const
{
    stamp = Stamp();
    struct stat st{};
    if (::stat(m_path.c_str(), &st) != 0)
        return errno == ENOENT;
    stamp.m_exists = true;
    stamp.m_device = static_cast<uint64_t>(st.st_dev);
    stamp.m_inode = static_cast<uint64_t>(st.st_ino);
    stamp.m_size = static_cast<int64_t>(st.st_size);
    stamp.m_modifiedSeconds = static_cast<int64_t>(st.st_mtim.tv_sec);
    stamp.m_modifiedNanoseconds = static_cast<int64_t>(st.st_mtim.tv_nsec);
    return true;
}

bool CRegistryFileBackend::HasChanged()
{
    if (!m_known)
        return true;
    Stamp now;
    return !ReadStamp(now) || !(now == m_stamp);
}

bool CRegistryFileBackend::Load(CRegistryNode& root)
{
    const int fd = PosixOpen(m_path, kOpenReadOnly);
    if (fd < 0)
    {
        if (errno != ENOENT)
            return false;
        m_stamp = Stamp();
        m_known = true;
        return true;
    }
    // The stamp comes from the descriptor, so it describes exactly the
    // content read, even if the file is replaced meanwhile.
    struct stat st{};
    std::string text;
    bool ok = ::fstat(fd, &st) == 0;
    if (ok)
    {
        text.resize(static_cast<size_t>(st.st_size));
        const int64_t n = PosixRead(fd, text.data(), text.size());
        ok = n >= 0;
        if (ok)
            text.resize(static_cast<size_t>(n));
    }
    PosixClose(fd);
    if (!ok)
        return false;
    ParseRegistryText(text, root);
    m_stamp.m_exists = true;
    m_stamp.m_device = static_cast<uint64_t>(st.st_dev);
    m_stamp.m_inode = static_cast<uint64_t>(st.st_ino);
    m_stamp.m_size = static_cast<int64_t>(st.st_size);
    m_stamp.m_modifiedSeconds = static_cast<int64_t>(st.st_mtim.tv_sec);
    m_stamp.m_modifiedNanoseconds = static_cast<int64_t>(st.st_mtim.tv_nsec);
    m_known = true;
    return true;
}

bool CRegistryFileBackend::Save(const CRegistryNode& root)
{
    const std::string folder = FolderOf(m_path);
    if (!folder.empty() && !PosixCreateDirectories(folder, 0700))
        return false;
    if (!WriteFileAtomic(m_path, FormatRegistryText(root), 0600))
        return false;
    // Under the update lock no other copy replaces the file between the
    // rename and this look, so the stamp is that of our own content.
    Stamp stamp;
    m_known = ReadStamp(stamp) && stamp.m_exists;
    m_stamp = stamp;
    return true;
}

void CRegistryFileBackend::BeginUpdate()
{
    if (m_lockFd >= 0)
        return;
    const std::string folder = FolderOf(m_path);
    if (!folder.empty())
        PosixCreateDirectories(folder, 0700);
    const int fd = ::open((m_path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return;
    int rc;
    do
        rc = ::flock(fd, LOCK_EX);
    while (rc != 0 && errno == EINTR);
    if (rc != 0)
    {
        ::close(fd);
        return;
    }
    m_lockFd = fd;
}

void CRegistryFileBackend::EndUpdate()
{
    if (m_lockFd < 0)
        return;
    ::close(m_lockFd); // releases the lock
    m_lockFd = -1;
}

std::string GetDefaultRegistryFilePath()
{
    const std::string config = GetXdgConfigHome();
    // Without any home the file goes to the working folder rather than to "/".
    return (config.empty() ? std::string(".") : config) + "/Quorvat Software/Tanglewarden/registry.txt";
}
