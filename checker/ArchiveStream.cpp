#include "checker/ArchiveStream.h"

#include "platform/core/Archive.h"

#include <algorithm>

int32_t CArchiveStream::Read(void* buffer, int32_t count)
{
    if (!m_archive.IsLoading() || count < 0)
        return -1;
    const size_t take = std::min(static_cast<size_t>(count), m_archive.Remaining());
    if (take == 0)
        return 0;
    return m_archive.Read(buffer, take) ? static_cast<int32_t>(take) : -1;
}

int32_t CArchiveStream::Write(const void* bytes, int32_t count)
{
    if (!m_archive.IsStoring() || count < 0)
        return -1;
    m_archive.Write(bytes, static_cast<size_t>(count));
    return count;
}
