#pragma once
// A local file over one POSIX descriptor: open, read, write, seek, length,
// modification date, whole-file and line reading, and a modification time
// that is applied to the file when it is closed, so that a downloaded file
// carries the server's date.
//
// Open flags and share modes are those of platform/core/PosixFile.h. No
// operation throws: failures give false, -1 or an empty text, and
// GetLastError turns the cause of the last failure into one of the
// program's file result codes (FileErrorToResultCode). A file object belongs
// to one owner and is used by one thread at a time.

#include "platform/core/OleDateTime.h"
#include "platform/core/PosixFile.h"

#include <cstdint>
#include <memory>
#include <string>

// The program's result code for an errno value: ENOENT 106, EBADF 103,
// EACCES 104, EEXIST 107, EINVAL 102, EMFILE 105, ENOSPC 109, any other
// non-zero value 102, and 0 for 0. The texts of the codes belong to the
// transfer result-code table.
int FileErrorToResultCode(int errorNumber);

class CRawFile
{
public:
    CRawFile() = default;
    // Closes an open file, applying a pending time.
    virtual ~CRawFile();

    CRawFile(const CRawFile&) = delete;
    CRawFile& operator=(const CRawFile&) = delete;

    // OpenShared with deny-none sharing.
    [[nodiscard]] bool Open(const std::string& path, int openFlags);
    // Closes what is open, remembers path, flags and share mode, and opens
    // the descriptor; true when one was obtained. Paths of any length are
    // passed on.
    bool OpenShared(const std::string& path, int openFlags, int shareMode);
    // Whether the last open made the file (create flag without exclusive);
    // false after any other open.
    bool WasCreated() const { return m_created; }

    // Closes the descriptor. A file opened with read-write access (flag 2)
    // then loses its read-only attribute and, when a pending time is set,
    // gets it as its modification time (the access time is kept; this system
    // keeps no settable creation time). The pending time is dropped in every
    // case. False when the close reported an error, such as written data that
    // could not be stored; true when nothing was open.
    bool Close();

    bool IsOpen() const { return m_fd >= 0; }
    const std::string& GetPath() const { return m_path; }

    // Read returns the bytes read (0 at the end), Write count; both -1 on
    // failure or while closed.
    int32_t Read(void* buffer, int32_t count);
    int32_t Write(const void* bytes, int32_t count);

    // Positions and lengths; -1 on failure or while closed.
    int64_t Seek64(int64_t offset, int origin);
    int64_t SeekFromStart(int64_t offset) { return Seek64(offset, 0); }
    int64_t SeekToEnd() { return Seek64(0, 2); }
    int64_t Tell64();
    int64_t GetLength();

    // The modification time in local time; invalid while closed or when the
    // file's status cannot be read.
    COleDateTime GetModifiedTime();

    // A local modification time to give the file at the next Close.
    void SetPendingFileTime(const COleDateTime& time);
    void ClearPendingFileTime();
    const COleDateTime* GetPendingFileTime() const { return m_pendingTime.get(); }

    // Reads up to maxCount bytes (a negative count: the whole file) from the
    // current position into text, each NUL byte read as '?'. The text is
    // emptied first; a read error leaves it empty. False while closed or on
    // a read error; a count of 0 gives true with the empty text.
    bool ReadAll(std::string& text, int64_t maxCount);

    // Reads one line, keeping its LF and any CR before it; a last line
    // without LF is returned too. NUL bytes read as 0x01 and 0xFF bytes as
    // 0x02, so the line is a C-safe text. The file is left just after the LF.
    // False, with the empty text, at the end of the file, on a read error or
    // while closed.
    bool ReadLine(std::string& line);

    // The result code of the last failure (0 when none has happened).
    int GetLastError() const { return FileErrorToResultCode(m_errorNumber); }

private:
    friend class CBufferedFile;

    // Records the cause of a failure for GetLastError.
    void SetErrorNumber(int errorNumber) { m_errorNumber = errorNumber; }
    // Records errno as the cause when ok is false; returns ok.
    bool Check(bool ok);
    // mode: the file's st_mode, read before the close.
    void ApplyCloseAttributes(unsigned mode);

    std::string m_path;
    int m_openFlags = 0;
    int m_shareMode = 0;
    int m_fd = -1;
    bool m_created = false;
    int m_errorNumber = 0;
    std::unique_ptr<COleDateTime> m_pendingTime;
};
