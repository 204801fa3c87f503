#include "foundation/files/RawFile.h"

#include "foundation/files/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <sys/stat.h>

int FileErrorToResultCode(int errorNumber)
{
    switch (errorNumber)
    {
    case 0:
        return 0;
    case ENOENT:
        return 106;
    case EBADF:
        return 103;
    case EACCES:
        return 104;
    case EEXIST:
        return 107;
    case EMFILE:
        return 105;
    case ENOSPC:
        return 109;
    case EINVAL:
    default:
        return 102;
    }
}

CRawFile::~CRawFile()
{
    Close();
}

bool CRawFile::Check(bool ok)
{
    if (!ok)
        m_errorNumber = errno;
    return ok;
}

bool CRawFile::Open(const std::string& path, int openFlags)
{
    return OpenShared(path, openFlags, kShareDenyNone);
}

bool CRawFile::OpenShared(const std::string& path, int openFlags, int shareMode)
{
    Close();
    m_path = path;
    m_openFlags = openFlags;
    m_shareMode = shareMode;
    m_fd = PosixOpen(path, openFlags, shareMode, 0666, &m_created);
    return Check(m_fd >= 0);
}

bool CRawFile::Close()
{
    bool ok = true;
    if (m_fd >= 0)
    {
        // The file's mode is read through the descriptor while it is open:
        // the same file as its path names, without a second walk of the
        // path (a download closes one file for every transfer).
        struct stat st{};
        const bool apply = !m_path.empty() && (m_openFlags & kOpenReadWrite) && ::fstat(m_fd, &st) == 0;
        ok = Check(PosixClose(m_fd));
        m_fd = -1;
        if (apply)
            ApplyCloseAttributes(st.st_mode);
    }
    m_pendingTime.reset();
    return ok;
}

void CRawFile::ApplyCloseAttributes(unsigned mode)
{
    // Best effort: the data is already stored, and a file whose date cannot
    // be set is still a good file. The path is used as it stands, never as a
    // search pattern: a stored name may hold '*' or '?', and a pattern could
    // date another file.
    const int saved = errno;
    // The mode tells whether the file lost its write permission; only then
    // is the permission restored.
    if (!S_ISDIR(mode))
    {
        if ((mode & S_IWUSR) == 0)
            SetReadOnlyAttribute(m_path, false);
        time_t when = 0;
        if (m_pendingTime && m_pendingTime->ToTimeT(when, true))
            PosixSetModifiedTime(m_path, when);
    }
    errno = saved;
}

int32_t CRawFile::Read(void* buffer, int32_t count)
{
    if (m_fd < 0 || count < 0)
    {
        m_errorNumber = m_fd < 0 ? EBADF : EINVAL;
        return -1;
    }
    const int64_t n = PosixRead(m_fd, buffer, static_cast<size_t>(count));
    Check(n >= 0);
    return static_cast<int32_t>(n);
}

int32_t CRawFile::Write(const void* bytes, int32_t count)
{
    if (m_fd < 0 || count < 0)
    {
        m_errorNumber = m_fd < 0 ? EBADF : EINVAL;
        return -1;
    }
    const int64_t n = PosixWrite(m_fd, bytes, static_cast<size_t>(count));
    Check(n >= 0);
    return static_cast<int32_t>(n);
}

int64_t CRawFile::Seek64(int64_t offset, int origin)
{
    if (m_fd < 0)
    {
        m_errorNumber = EBADF;
        return -1;
    }
    const int64_t position = PosixSeek(m_fd, offset, origin);
    Check(position >= 0);
    return position;
}

int64_t CRawFile::Tell64()
{
    return Seek64(0, 1);
}

int64_t CRawFile::GetLength()
{
    if (m_fd < 0)
    {
        m_errorNumber = EBADF;
        return -1;
    }
    const int64_t length = PosixGetLength(m_fd);
    Check(length >= 0);
    return length;
}

COleDateTime CRawFile::GetModifiedTime()
{
    COleDateTime none;
    none.m_status = COleDateTime::invalid;
    if (m_fd < 0)
    {
        m_errorNumber = EBADF;
        return none;
    }
    time_t modified = 0;
    if (!Check(PosixGetModifiedTime(m_fd, modified)))
        return none;
    return COleDateTime::FromTimeT(modified, true);
}

void CRawFile::SetPendingFileTime(const COleDateTime& time)
{
    if (m_pendingTime)
        *m_pendingTime = time;
    else
        m_pendingTime = std::make_unique<COleDateTime>(time);
}

void CRawFile::ClearPendingFileTime()
{
    m_pendingTime.reset();
}

bool CRawFile::ReadAll(std::string& text, int64_t maxCount)
{
    text.clear();
    if (m_fd < 0)
    {
        m_errorNumber = EBADF;
        return false;
    }
    if (maxCount == 0)
        return true;
    const int64_t length = GetLength();
    const int64_t position = Tell64();
    if (length < 0 || position < 0)
        return false;
    // Only what lies after the position can be read; asking for no more
    // keeps a huge count from allocating memory that is never filled.
    const int64_t wanted = std::min(maxCount < 0 ? length : std::min(maxCount, length),
                                    std::max<int64_t>(length - position, 0));
    text.resize(static_cast<size_t>(wanted));
    const int64_t n = PosixRead(m_fd, text.data(), text.size());
    if (!Check(n >= 0))
    {
        text.clear();
        return false;
    }
    text.resize(static_cast<size_t>(n));
    // Looked for first: most text holds no NUL, and the search runs many
    // times faster than rewriting byte by byte.
    if (std::memchr(text.data(), '\0', text.size()) != nullptr)
        std::replace(text.begin(), text.end(), '\0', '?');
    return true;
}

bool CRawFile::ReadLine(std::string& line)
{
    line.clear();
    if (m_fd < 0)
    {
        m_errorNumber = EBADF;
        return false;
    }
    char chunk[128];
    for (;;)
    {
        const int64_t start = Tell64();
        if (start < 0)
            return false;
        const int64_t n = PosixRead(m_fd, chunk, sizeof chunk);
        if (!Check(n >= 0))
        {
            line.clear();
            return false;
        }
        if (n == 0)
            return !line.empty();
        for (int64_t i = 0; i < n; ++i)
        {
            if (chunk[i] == '\0')
                chunk[i] = '\x01';
            else if (chunk[i] == '\xFF')
                chunk[i] = '\x02';
        }
        const void* lf = std::memchr(chunk, '\n', static_cast<size_t>(n));
        if (!lf)
        {
            line.append(chunk, static_cast<size_t>(n));
            continue;
        }
        const int64_t used = static_cast<const char*>(lf) - chunk + 1;
        line.append(chunk, static_cast<size_t>(used));
        // The chunk may have read past the LF; the next line starts after it.
        if (SeekFromStart(start + used) != start + used)
        {
            line.clear();
            return false;
        }
        return true;
    }
}
