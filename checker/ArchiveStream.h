#pragma once
// A byte stream over an archive, so that the markup parser can read a
// project file straight from the archive it is loaded from. Reads and writes
// pass to the archive; an archive has no position to tell or move, so Tell and
// Seek answer -1.

#include "foundation/text/StreamInterface.h"

class CArchive;

class CArchiveStream : public StreamInterface
{
public:
    explicit CArchiveStream(CArchive& archive) : m_archive(archive) {}

    // Up to count of the bytes left in a loading archive; -1 on a storing one.
    int32_t Read(void* buffer, int32_t count) override;
    // Appends to a storing archive; -1 on a loading one.
    int32_t Write(const void* bytes, int32_t count) override;
    int64_t Tell() override { return -1; }
    int64_t Seek(int64_t, int) override { return -1; }

private:
    CArchive& m_archive;
};
