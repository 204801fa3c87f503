#include "foundation/files/FindFile.h"

#include "foundation/files/FileAttributes.h"
#include "platform/core/DirectoryScan.h"
#include "platform/core/PosixFile.h"

namespace
{
bool HasWildcards(std::string_view text)
{
    return text.find_first_of("*?") != std::string_view::npos;
}
} // namespace

CFindFile::~CFindFile()
{
    Close();
}

bool CFindFile::Find(const std::string& path)
{
    Close();
    m_path = path;
    return FindAgain();
}

bool CFindFile::FindAgain()
{
    Close();
    if (m_path.empty())
        return false;
    DirectoryEntry entry;
    // A name may hold '*' or '?' itself, so the exact path is tried first.
    if (GetPathEntry(m_path, entry, true))
    {
        m_foundPath = m_path;
    }
    else
    {
        const size_t slash = m_path.rfind('/');
        const std::string_view mask =
            slash == std::string::npos ? std::string_view(m_path) : std::string_view(m_path).substr(slash + 1);
        if (!HasWildcards(mask))
            return false;
        const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : m_path.substr(0, slash);
        const std::string prefix = slash == std::string::npos ? std::string() : m_path.substr(0, slash + 1);
        CDirectoryScan scan;
        if (!scan.Open(folder, mask))
            return false;
        DirectoryEntry listed;
        bool matched = false;
        while (!matched && scan.Next(listed))
        {
            // Described through links like an exact path; a dangling link is passed over.
            matched = GetPathEntry(prefix + listed.m_name, entry, true);
            if (matched)
                m_foundPath = prefix + listed.m_name;
        }
        if (!matched)
            return false;
    }
    m_found = true;
    m_isFolder = entry.m_isFolder;
    m_readOnly = entry.m_readOnly;
    m_size = entry.m_size;
    m_lastWrite = entry.m_modified;
    return true;
}

void CFindFile::Close()
{
    m_found = false;
    m_foundPath.clear();
    m_isFolder = false;
    m_readOnly = false;
    m_size = 0;
    m_lastWrite = 0;
}

COleDateTime CFindFile::GetModifiedTime() const
{
    if (!m_found)
    {
        COleDateTime none;
        none.m_status = COleDateTime::invalid;
        return none;
    }
    return COleDateTime::FromTimeT(m_lastWrite, true);
}

bool CFindFile::IsDirectory() const
{
    return m_found && m_isFolder;
}

int64_t CFindFile::GetSize64() const
{
    return m_found ? m_size : -1;
}

bool CFindFile::GetInfo(int64_t& size, COleDateTime& modified, uint32_t& attributes) const
{
    if (!m_found)
        return false;
    size = m_size;
    modified = GetModifiedTime();
    attributes = MakeFileAttributes(m_isFolder, false, m_readOnly);
    return true;
}

bool CFindFile::SetReadOnly(bool readOnly)
{
    if (!m_found)
        return false;
    if (m_readOnly == readOnly)
        return true;
    if (!PosixSetReadOnly(m_foundPath, readOnly))
        return false;
    m_readOnly = readOnly;
    return true;
}

bool CFindFile::SetModifiedTime(const COleDateTime& localTime)
{
    if (!m_found)
        return false;
    time_t modified = 0;
    if (!localTime.ToTimeT(modified, true))
        return false;
    const bool done = PosixSetModifiedTime(m_foundPath, modified);
    FindAgain();
    return done;
}
