#include "foundation/files/BufferedFile.h"

#include "foundation/files/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace
{
constexpr int kWriteFlags = kOpenBinary | kOpenCreate | kOpenAppend | kOpenReadWrite; // 0x810A
constexpr int kReadFlags = kOpenBinary | kOpenReadOnly;                               // 0x8000
} // namespace

CBufferedFile::CBufferedFile() = default;

CBufferedFile::~CBufferedFile()
{
    Close();
}

bool CBufferedFile::Fail(int errorNumber)
{
    m_file.SetErrorNumber(errorNumber);
    return false;
}

bool CBufferedFile::Open(const std::string& path, int mode, int64_t offset)
{
    Close();
    if (path.empty() || (mode != modeWrite && mode != modeRead))
        return Fail(EINVAL);

    if (mode == modeWrite)
    {
        if (!OpenForWriting(path, offset))
            return false;
        // A file this open made is empty and its descriptor stands at 0, so
        // neither needs asking (the usual download).
        if (offset == -1 && m_file.WasCreated())
            m_length = 0;
        else
        {
            m_length = offset == -1 ? m_file.GetLength() : offset;
            const bool placed = m_length >= 0 && (offset == -1 ? m_file.SeekToEnd() == m_length
                                                               : m_file.SeekFromStart(offset) == offset);
            if (!placed)
            {
                m_file.Close();
                return false;
            }
        }
        m_awayFromEnd = false;
    }
    else
    {
        if (!m_file.OpenShared(path, kReadFlags, kShareDenyNone))
            return false;
        const int64_t start = offset == -1 ? 0 : offset;
        if (m_file.SeekFromStart(start) != start)
        {
            m_file.Close();
            return false;
        }
    }
    m_mode = mode;
    return true;
}

bool CBufferedFile::OpenForWriting(const std::string& path, int64_t offset)
{
    const auto attempt = [&] {
        errno = 0;
        if (offset != -1 && !SetFileSize(path, offset))
            return Fail(errno ? errno : EINVAL);
        return m_file.OpenShared(path, kWriteFlags, kShareDenyWrite);
    };
    // The open comes first and the read-only attribute is cleared only when
    // it refused: the usual target is a new file, and asking about a name
    // that does not exist yet costs a lookup under the folder's lock, which
    // every thread writing into that folder then waits for.
    if (attempt())
        return true;
    const int cause = errno;
    if (cause != EACCES || !SetReadOnlyAttribute(path, false))
        return Fail(cause);
    return attempt();
}

bool CBufferedFile::Close()
{
    bool ok = true;
    if (m_mode == modeWrite)
        ok = Flush() >= 0;
    m_buffer.Free();
    // Close keeps the error of a failed flush when the close itself succeeds.
    ok = m_file.Close() && ok;
    m_mode = modeClosed;
    return ok;
}

int32_t CBufferedFile::Fill(int32_t want)
{
    const int32_t size = std::max(kBufferSize, want);
    uint8_t* room = m_buffer.Reserve(size);
    if (!room)
    {
        Fail(ENOMEM);
        return -1;
    }
    const int32_t n = m_file.Read(room, size);
    m_buffer.DropTail(n < 0 ? size : size - n);
    return n;
}

int32_t CBufferedFile::Read(void* buffer, int32_t count)
{
    if (m_mode != modeRead || count < 0)
    {
        Fail(m_mode != modeRead ? EBADF : EINVAL);
        return -1;
    }
    auto* out = static_cast<uint8_t*>(buffer);
    if (m_buffer.GetAvailable() >= count)
        return m_buffer.Read(out, count);
    const int32_t taken = m_buffer.Read(out, m_buffer.GetAvailable());
    if (Fill(count - taken) < 0)
        // Bytes already taken from the buffer are handed out; the error
        // shows again at the next read.
        return taken > 0 ? taken : -1;
    return taken + m_buffer.Read(out + taken, count - taken);
}

int32_t CBufferedFile::Write(const void* bytes, int32_t count)
{
    if (m_mode != modeWrite || count < 0)
    {
        Fail(m_mode != modeWrite ? EBADF : EINVAL);
        return -1;
    }
    if (m_buffer.Write(bytes, count) < 0)
    {
        Fail(ENOMEM);
        return -1;
    }
    if (m_buffer.GetAvailable() >= kBufferSize && Flush() < 0)
    {
        // The caller is told these bytes were not taken, so they must not
        // reach the file later either.
        m_buffer.DropTail(count);
        return -1;
    }
    return count;
}

int32_t CBufferedFile::Flush()
{
    if (m_mode != modeWrite)
    {
        Fail(EBADF);
        return -1;
    }
    const int32_t pending = m_buffer.GetAvailable();
    if (pending == 0)
        return 0;
    // The stream denies other writers and every batch is appended, so the
    // length it keeps is the file's, and the position is the end unless a
    // Seek moved it.
    const int64_t length = m_length;
    const int64_t position = m_awayFromEnd ? m_file.Tell64() : length;
    if (position < 0)
        return -1;
    if (m_file.Write(m_buffer.GetReadPtr(), pending) == pending)
    {
        m_buffer.Reset();
        m_length += pending;
        m_awayFromEnd = false;
        return pending;
    }
    // The file is open for appending, so the part of the batch that did get
    // written sits at the end; cutting it off lets a retry write the whole
    // batch once, in its place.
    const int saved = errno;
    PosixSetLength(m_file.m_fd, length);
    PosixSeek(m_file.m_fd, position, 0);
    Fail(saved);
    return -1;
}

int64_t CBufferedFile::Tell()
{
    if (m_mode == modeWrite)
        return Flush() < 0 ? -1 : m_file.Tell64();
    if (m_mode == modeRead)
    {
        const int64_t position = m_file.Tell64();
        return position < 0 ? -1 : position - m_buffer.GetAvailable();
    }
    Fail(EBADF);
    return -1;
}

int64_t CBufferedFile::Seek(int64_t offset, int origin)
{
    if (m_mode == modeWrite)
    {
        if (Flush() < 0)
            return -1;
        m_awayFromEnd = true;
        return m_file.Seek64(offset, origin);
    }
    if (m_mode == modeRead)
    {
        // The descriptor runs ahead of the reader by the buffered bytes.
        const int64_t position = m_file.Seek64(origin == 1 ? offset - m_buffer.GetAvailable() : offset, origin);
        if (position >= 0)
            m_buffer.Reset();
        return position;
    }
    Fail(EBADF);
    return -1;
}

int64_t CBufferedFile::GetLength()
{
    if (m_mode == modeWrite)
        return Flush() < 0 ? -1 : m_length;
    if (m_mode == modeClosed)
    {
        Fail(EBADF);
        return -1;
    }
    return m_file.GetLength();
}

bool CBufferedFile::ReadLine(std::string& line)
{
    line.clear();
    if (m_mode != modeRead)
        return Fail(EBADF);
    for (;;)
    {
        const int32_t available = m_buffer.GetAvailable();
        if (available > 0)
        {
            const uint8_t* data = m_buffer.GetReadPtr();
            const void* lf = std::memchr(data, '\n', static_cast<size_t>(available));
            const int32_t used = lf ? static_cast<int32_t>(static_cast<const uint8_t*>(lf) - data) : available;
            const size_t kept = line.size();
            line.resize(kept + static_cast<size_t>(used));
            m_buffer.Read(line.data() + kept, used);
            if (lf)
            {
                char end;
                m_buffer.Read(&end, 1);
                // Checked on the whole line, not the fill: the CR of a CR LF
                // may have arrived with the previous 64 KB.
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                return true;
            }
        }
        const int32_t n = Fill(0);
        if (n < 0)
        {
            line.clear();
            return false;
        }
        if (n == 0)
            return !line.empty();
    }
}
