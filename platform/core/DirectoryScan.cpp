#include "platform/core/DirectoryScan.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
bool GlobMatch(std::string_view name, std::string_view mask)
{
    constexpr size_t none = std::string_view::npos;
    size_t n = 0, m = 0;
    size_t star = none, resume = 0;
    while (n < name.size())
    {
        if (m < mask.size() && mask[m] == '*')
        {
            star = m++;
            resume = n;
        }
        else if (m < mask.size() && (mask[m] == '?' || mask[m] == name[n]))
        {
            ++n;
            ++m;
        }
        else if (star != none)
        {
            // Let the last '*' take one more character and try again.
            m = star + 1;
            n = ++resume;
        }
        else
        {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

void Describe(const struct stat& st, DirectoryEntry& entry)
{
    entry.m_isFolder = S_ISDIR(st.st_mode);
    entry.m_size = entry.m_isFolder ? 0 : static_cast<int64_t>(st.st_size);
    entry.m_modified = st.st_mtim.tv_sec;
    entry.m_readOnly = (st.st_mode & S_IWUSR) == 0;
}
} // namespace

bool MatchesFileMask(std::string_view name, std::string_view mask)
{
    if (mask.empty())
        return false;
    if (GlobMatch(name, mask))
        return true;
    if (mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*")
        return GlobMatch(name, mask.substr(0, mask.size() - 2));
    return false;
}

bool GetPathEntry(const std::string& path, DirectoryEntry& entry, bool followLinks)
{
    // A trailing '/' would make lstat follow a link; the entry is the path without it.
    std::string_view trimmed(path);
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.remove_suffix(1);
    const std::string own(trimmed);
    struct stat st{};
    if (::lstat(own.c_str(), &st) != 0)
        return false;
    const bool isLink = S_ISLNK(st.st_mode);
    if (isLink && followLinks && ::stat(own.c_str(), &st) != 0)
        return false;
    const size_t slash = trimmed.rfind('/');
    entry.m_name = std::string(slash == std::string_view::npos || trimmed.size() == 1 ? trimmed
                                                                                      : trimmed.substr(slash + 1));
    entry.m_isSymlink = isLink;
    Describe(st, entry);
    return true;
}

CDirectoryScan::~CDirectoryScan()
{
    Close();
}

bool CDirectoryScan::Open(const std::string& folder, std::string_view mask, bool followLink)
{
    Close();
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    int fd;
    do
        fd = ::open(folder.c_str(), flags);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    // The stream owns (and closes) its own descriptor; ours stays for fstatat.
    const int streamFd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    DIR* dir = streamFd < 0 ? nullptr : ::fdopendir(streamFd);
    if (!dir)
    {
        const int saved = errno;
        if (streamFd >= 0)
            ::close(streamFd);
        ::close(fd);
        errno = saved;
        return false;
    }
    std::vector<std::string> names;
    for (;;)
    {
        errno = 0;
        const dirent* item = ::readdir(dir);
        if (!item)
            break;
        const std::string_view name(item->d_name);
        if (name == "." || name == "..")
            continue;
        if (MatchesFileMask(name, mask))
            names.emplace_back(name);
    }
    const int readError = errno;
    ::closedir(dir);
    if (readError != 0)
    {
        ::close(fd);
        errno = readError;
        return false;
    }
    std::sort(names.begin(), names.end());
    m_folderFd = fd;
    m_names = std::move(names);
    m_next = 0;
    return true;
}

bool CDirectoryScan::Next(DirectoryEntry& entry)
{
    while (m_folderFd >= 0 && m_next < m_names.size())
    {
        const std::string& name = m_names[m_next++];
        struct stat st{};
        if (::fstatat(m_folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue; // removed since the listing was read
        entry.m_name = name;
        entry.m_isSymlink = S_ISLNK(st.st_mode);
        Describe(st, entry);
        return true;
    }
    return false;
}

void CDirectoryScan::Close()
{
    if (m_folderFd >= 0)
        ::close(m_folderFd);
    m_folderFd = -1;
    m_names.clear();
    m_next = 0;
}
