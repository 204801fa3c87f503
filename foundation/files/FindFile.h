#pragma once
// The finder: looks up one entry of the file system, by exact path or by a
// path whose last component holds the wildcards '*' and '?', and keeps its
// record (attributes, times, size, name) for questions and for changing its
// read-only attribute and modification time.
//
// The entry is described through symbolic links (a link to a file reads as
// that file; a dangling link is not found). With wildcards the first match in
// byte order of the names is taken.

#include "platform/core/OleDateTime.h"

#include <cstdint>
#include <ctime>
#include <string>

class CFindFile
{
public:
    CFindFile() = default;
    ~CFindFile();
    CFindFile(const CFindFile&) = delete;
    CFindFile& operator=(const CFindFile&) = delete;

    // Remembers path and looks it up; false when nothing matches.
    bool Find(const std::string& path);
    // Looks the remembered path up again, so the record is current.
    bool FindAgain();
    // Forgets the found entry (the remembered path stays for FindAgain).
    void Close();

    // Last-write time as a local date-time; invalid when nothing was found.
    COleDateTime GetModifiedTime() const;
    bool IsDirectory() const;
    // Size in bytes (0 for a folder); -1 when nothing was found.
    int64_t GetSize64() const;
    // Size, local last-write date-time and attributes (FileAttributes.h);
    // false when nothing was found.
    bool GetInfo(int64_t& size, COleDateTime& modified, uint32_t& attributes) const;

    // Sets or clears the found entry's read-only attribute when it differs,
    // and keeps the record current. False when nothing was found or the
    // change failed.
    bool SetReadOnly(bool readOnly);

    // Sets the found entry's last-write time from a local date-time (the
    // platform keeps no settable creation time; the last-access time stays),
    // then looks the entry up again. False when nothing was found, the date
    // is invalid or the time could not be set.
    bool SetModifiedTime(const COleDateTime& localTime);

private:
    std::string m_path;      // as asked, wildcards included
    std::string m_foundPath; // the entry that matched
    bool m_found = false;
    bool m_isFolder = false;
    bool m_readOnly = false;
    int64_t m_size = 0;
    time_t m_lastWrite = 0;
};
