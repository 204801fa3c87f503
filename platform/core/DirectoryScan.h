#pragma once
// Listing a folder the way the Windows find functions did, over POSIX.
// Entries are described from lstat: a symbolic link is reported as a link
// and never as the folder or file it points to, so a walk that descends only
// into entries with m_isFolder never follows a link.

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

struct DirectoryEntry
{
    std::string m_name;      // the bare name, without the folder
    bool m_isFolder = false; // a real folder, not a link to one
    bool m_isSymlink = false;
    int64_t m_size = 0;      // 0 for a folder; lstat's size otherwise
    time_t m_modified = 0;   // whole seconds
    bool m_readOnly = false; // the owner may not write
};

// The Windows mask rules, comparing case-sensitively: '*' matches any run of
// characters, '?' exactly one, and a mask ending in ".*" also matches the
// name without that ending, so "*.*" matches every name (dotted or not) and
// "readme.*" matches "readme". An empty mask matches nothing.
bool MatchesFileMask(std::string_view name, std::string_view mask);

// Describes one path. With followLinks a link is described by its target
// (m_isSymlink still tells that the path itself is a link); without, by
// itself; a trailing '/' does not make it follow. m_name is the last
// component of the path. False with errno when the path cannot be examined.
bool GetPathEntry(const std::string& path, DirectoryEntry& entry, bool followLinks);

// One listing of a folder. The names are read when the scan opens and handed
// out in byte order, so a listing is the same on every run; "." and ".." are
// never reported. An entry that disappears before Next reaches it is skipped.
class CDirectoryScan
{
public:
    CDirectoryScan() = default;
    ~CDirectoryScan();
    CDirectoryScan(const CDirectoryScan&) = delete;
    CDirectoryScan& operator=(const CDirectoryScan&) = delete;

    // Lists the entries of folder whose names match mask. With followLink
    // false a folder path that is itself a symbolic link fails (ELOOP or
    // ENOTDIR), which a walk uses when it descends, so that a folder swapped
    // for a link after it was listed is not entered. False with errno when
    // the folder cannot be read. Closes any earlier listing first.
    bool Open(const std::string& folder, std::string_view mask = "*", bool followLink = true);

    // The next matching entry; false at the end.
    bool Next(DirectoryEntry& entry);

    void Close();

private:
    int m_folderFd = -1;
    std::vector<std::string> m_names;
    size_t m_next = 0;
};
