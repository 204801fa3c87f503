#pragma once
// Replacing a whole file so that a crash, a full disk or a failed write never
// leaves a half-written file: the new content goes to a temporary file in
// the same folder, is flushed to the disk and then renamed over the old
// file. Until the rename the old file is untouched; after any failure it is
// still there as it was, and the temporary file has been removed.
//
// When the path is a symbolic link, the file it points to is replaced, so
// the link stays in place. Failures return false and leave the cause in errno.

#include <cstddef>
#include <string>
#include <string_view>
#include <sys/types.h>

class CAtomicFile
{
public:
    CAtomicFile() = default;
    // Abandons an uncommitted file.
    ~CAtomicFile();
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;

    // Creates the temporary file beside path. mode (less the umask) is the
    // mode of the new file, 0600 for secrets. Abandons any earlier file, and
    // removes the temporaries of the same file left by writers that died.
    bool Open(const std::string& path, mode_t mode);

    // Appends bytes. After a failed write every later Write and Commit fails.
    bool Write(const void* data, size_t size);
    bool Write(std::string_view text) { return Write(text.data(), text.size()); }

    // Flushes, closes and renames over the target; on failure removes the
    // temporary file. Either way the object is closed afterwards.
    bool Commit();

    // Removes the temporary file without touching the target.
    void Abandon();

    bool IsOpen() const { return m_fd >= 0; }

private:
    std::string m_target;
    std::string m_tempPath;
    int m_fd = -1;
    int m_writeError = 0;
};

// Replaces the file at path with content in one step (see CAtomicFile).
bool WriteFileAtomic(const std::string& path, std::string_view content, mode_t mode);
