#include "foundation/files/GzipReader.h"

#include "foundation/text/ByteBuffer.h"
#include "foundation/files/RawFile.h"
#include "platform/core/ByteOrder.h"
#include "platform/core/PosixFile.h"

#include <algorithm>
#include <cstring>
#include <zlib.h>

namespace
{
constexpr uint8_t kId1 = 0x1F;
constexpr uint8_t kId2 = 0x8B;
constexpr uint8_t kMethodDeflate = 8;
constexpr uint8_t kFlagExtra = 0x04;
constexpr uint8_t kFlagName = 0x08;
constexpr uint8_t kFlagsReserved = 0xE0;
constexpr int32_t kFixedHeaderSize = 10;
constexpr int32_t kInflateBlock = 65536;

constexpr int kResultDone = 0;
constexpr int kResultStopped = 3;
constexpr int kResultRefused = 102;
constexpr int kResultCannotOpen = 108;
constexpr int kResultBadData = 111;

// Reads the zero-ended stored name from the current position; false when the
// file ends before the zero byte or a read fails.
bool ReadStoredName(CRawFile& file, std::string& name)
{
    char chunk[256];
    for (;;)
    {
        const int32_t got = file.Read(chunk, sizeof(chunk));
        if (got <= 0)
            return false;
        const void* zero = std::memchr(chunk, 0, size_t(got));
        const size_t take = zero ? size_t(static_cast<const char*>(zero) - chunk) : size_t(got);
        if (name.size() < kGzipMaxStoredName)
            name.append(chunk, std::min(take, kGzipMaxStoredName - name.size()));
        if (zero)
            return true;
    }
}

// The end state of a gzip stream: zlib reports a damaged member as
// Z_DATA_ERROR, and a member cut short (also inside its CRC and length
// trailer) only as Z_BUF_ERROR after handing out what it could inflate.
bool StreamIsSound(gzFile stream)
{
    int error = Z_OK;
    gzerror(stream, &error);
    return error == Z_OK;
}
} // namespace

int ReadGzipHeader(const std::string& path, std::string& name, uint32_t& modifiedTime, uint32_t& size)
{
    name.clear();
    CRawFile file;
    if (!file.Open(path, kOpenReadOnly | kOpenBinary))
        return kGzipHeaderUnreadable;

    uint8_t header[kFixedHeaderSize];
    if (file.Read(header, kFixedHeaderSize) != kFixedHeaderSize)
        return kGzipHeaderUnreadable;
    if (header[0] != kId1 || header[1] != kId2 || header[2] != kMethodDeflate ||
        (header[3] & kFlagsReserved) != 0)
        return kGzipHeaderNotGzip;
    const uint8_t flags = header[3];

    if (flags & kFlagExtra)
    {
        uint8_t xlen[2];
        if (file.Read(xlen, 2) != 2)
            return kGzipHeaderUnreadable;
        const int64_t end = kFixedHeaderSize + 2 + int64_t{LoadLittleEndian16(xlen)};
        // A seek past the end succeeds, so the length decides whether the
        // extra field is really there.
        const int64_t length = file.GetLength();
        if (length < end || file.SeekFromStart(end) != end)
            return kGzipHeaderUnreadable;
    }
    if ((flags & kFlagName) && !ReadStoredName(file, name))
        return kGzipHeaderUnreadable;

    uint8_t trailer[4];
    if (file.Seek64(-4, 2) < 0 || file.Read(trailer, 4) != 4)
        return kGzipHeaderUnreadable;
    size = LoadLittleEndian32(trailer);
    modifiedTime = LoadLittleEndian32(header + 4);
    return kGzipHeaderOk;
}

int GunzipFile(const std::string& path, IGunzipSink& sink)
{
    if (path.empty())
        return kResultRefused;
    std::string name;
    uint32_t modifiedTime = 0;
    uint32_t size = 0;
    if (ReadGzipHeader(path, name, modifiedTime, size) != kGzipHeaderOk)
        return kResultBadData;
    if (!sink.Begin(name, modifiedTime, size))
        return kResultRefused;

    // Opened through the program's own call so that the descriptor is
    // close-on-exec and only a regular file opens (a pipe could block).
    const int fd = PosixOpen(path, kOpenReadOnly | kOpenBinary, kShareDenyNone);
    if (fd < 0)
        return kResultCannotOpen;
    gzFile stream = gzdopen(fd, "rb");
    if (!stream)
    {
        PosixClose(fd);
        return kResultCannotOpen;
    }
    // zlib passes a file without a gzip header through unchanged; the file
    // may have been replaced since its header was read.
    if (gzdirect(stream))
    {
        gzclose(stream);
        return kResultBadData;
    }
    CByteBuffer buffer(nullptr, kInflateBlock);
    if (buffer.GetLength() < kInflateBlock)
    {
        gzclose(stream);
        return kResultCannotOpen;
    }

    int result = kResultDone;
    for (;;)
    {
        if (sink.IsCancelled())
        {
            result = kResultStopped;
            break;
        }
        const int got = gzread(stream, buffer.GetData(), unsigned(kInflateBlock));
        if (got < 0 || (got == 0 && !StreamIsSound(stream)))
        {
            result = kResultBadData;
            break;
        }
        if (got == 0)
            break;
        if (sink.Write(buffer.GetData(), got) < got)
        {
            result = kResultRefused;
            break;
        }
    }
    // gzclose also reports a stream that ended inside a member.
    if (gzclose(stream) != Z_OK && result == kResultDone)
        result = kResultBadData;
    return result;
}
