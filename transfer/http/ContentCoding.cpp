#include "transfer/http/ContentCoding.h"

#include <cstdint>
#include <vector>
#include <zlib.h>

#include "foundation/files/GzipReader.h"
#include "foundation/files/RawFile.h"
#include "platform/core/Text.h"
#include "transfer/base/ResultCodes.h"

namespace
{

constexpr int32_t kInflateBlock = 65536;
constexpr int kBadData = 111;

// The two bytes of a zlib header: deflate method, a window of at most 32 KB
// and the check bits (RFC 1950 2.2).
bool LooksLikeZlibHeader(const uint8_t* bytes, int32_t n)
{
    return n >= 2 && (bytes[0] & 0x0F) == 8 && (bytes[0] >> 4) <= 7 && ((bytes[0] << 8) | bytes[1]) % 31 == 0;
}

// One pass over the file with the given zlib window bits. wroteAny tells the
// caller whether a failed pass already handed bytes to the sink.
int InflatePass(CRawFile& file, IGunzipSink& sink, int windowBits, bool& wroteAny)
{
    wroteAny = false;
    if (file.SeekFromStart(0) != 0)
        return kResultAccessDenied;
    z_stream stream{};
    if (inflateInit2(&stream, windowBits) != Z_OK)
        return kResultAccessDenied;
    std::vector<uint8_t> in(kInflateBlock);
    std::vector<uint8_t> out(kInflateBlock);
    int result = kBadData;
    bool ended = false;
    while (!ended)
    {
        if (sink.IsCancelled())
        {
            result = kResultStopped;
            break;
        }
        const int32_t got = file.Read(in.data(), kInflateBlock);
        if (got <= 0)
            break; // end of file before the end of the stream, or a read error
        stream.next_in = in.data();
        stream.avail_in = static_cast<uInt>(got);
        int status = Z_OK;
        bool failed = false;
        do
        {
            stream.next_out = out.data();
            stream.avail_out = kInflateBlock;
            status = inflate(&stream, Z_NO_FLUSH);
            if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR)
            {
                failed = true;
                break;
            }
            const auto produced = static_cast<int32_t>(kInflateBlock - stream.avail_out);
            if (produced > 0)
            {
                wroteAny = true;
                if (sink.Write(out.data(), produced) < produced)
                {
                    result = kResultInvalidParameter;
                    failed = true;
                    break;
                }
            }
            // A full output block may leave more inflated bytes inside zlib.
        } while (status != Z_STREAM_END && stream.avail_out == 0);
        if (failed)
            break;
        // Bytes after the end of the stream are ignored, as with gzip.
        if (status == Z_STREAM_END)
        {
            ended = true;
            result = kResultOk;
        }
    }
    inflateEnd(&stream);
    return result;
}

} // namespace

EContentCoding GetContentCoding(std::string_view contentEncoding)
{
    const std::string coding = Trim(contentEncoding);
    if (coding.empty() || EqualsNoCase(coding, "identity"))
        return kCodingIdentity;
    if (EqualsNoCase(coding, "gzip") || EqualsNoCase(coding, "x-gzip"))
        return kCodingGzip;
    if (EqualsNoCase(coding, "deflate"))
        return kCodingDeflate;
    return kCodingOther;
}

bool MustInflateBody(std::string_view contentEncoding, std::string_view contentType)
{
    const EContentCoding coding = GetContentCoding(contentEncoding);
    return (coding == kCodingGzip || coding == kCodingDeflate) &&
           !EqualsNoCase(Trim(contentType), "application/x-tar");
}

int InflateDeflateFile(const std::string& path, IGunzipSink& sink)
{
    if (path.empty())
        return kResultInvalidParameter;
    CRawFile file;
    if (!file.Open(path, kOpenReadOnly | kOpenBinary))
        return kResultAccessDenied;
    uint8_t head[2] = {0, 0};
    const int32_t headLength = file.Read(head, 2);
    if (headLength < 0)
        return kResultAccessDenied;
    if (!sink.Begin(std::string(), 0, 0))
        return kResultInvalidParameter;

    bool wroteAny = false;
    const bool zlib = LooksLikeZlibHeader(head, headLength);
    int result = InflatePass(file, sink, zlib ? MAX_WBITS : -MAX_WBITS, wroteAny);
    // Bare deflate data can begin with two bytes that pass the zlib header
    // check; when such a guess fails before anything came out, the data is
    // read again as bare deflate.
    if (result == kBadData && zlib && !wroteAny)
        result = InflatePass(file, sink, -MAX_WBITS, wroteAny);
    return result;
}

int InflateBodyFile(const std::string& path, std::string_view contentEncoding, IGunzipSink& sink)
{
    return InflateBodyFile(path, GetContentCoding(contentEncoding), sink);
}

int InflateBodyFile(const std::string& path, EContentCoding coding, IGunzipSink& sink)
{
    switch (coding)
    {
    case kCodingGzip:
        return GunzipFile(path, sink);
    case kCodingDeflate:
        return InflateDeflateFile(path, sink);
    default:
        return kResultNotSupported;
    }
}
