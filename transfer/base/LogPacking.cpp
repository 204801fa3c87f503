#include "transfer/base/LogPacking.h"

#include <zlib.h>

#include <cstdint>
#include <memory>

namespace
{

// Texts the logs of HTTP and FTP transfers are made of; deflate finds the
// most common ones nearest the end, so those come last.
constexpr std::string_view kDictionary =
    "E:\tConnection closed.\r\n"
    "S:\t220 \r\n>:\tUSER \r\n<:\t331 \r\n>:\tPASS \r\n<:\t230 \r\n>:\tTYPE I\r\n<:\t200 \r\n>:\tPASV\r\n"
    "<:\t227 Entering Passive Mode (\r\n>:\tSIZE \r\n<:\t213 \r\n>:\tMDTM \r\n>:\tRETR \r\n<:\t150 \r\n<:\t226 \r\n"
    "\tContent-Encoding: gzip\r\n\tTransfer-Encoding: chunked\r\n\tCache-Control: max-age=\r\n"
    "\tLocation: \r\n\tExpires: \r\n\tVary: Accept-Encoding\r\n\tSet-Cookie: \r\n"
    "<:\tHTTP/1.1 404 Not Found\r\n<:\tHTTP/1.1 301 Moved Permanently\r\n<:\tHTTP/1.1 302 Found\r\n"
    ">:\tHEAD \r\n\tUser-Agent: \r\n\tReferer: \r\n\tAccept: */*\r\n\tPragma: no-cache\r\n"
    "S:\tRedirected to \r\nS:\tResolving \r\n"
    "S:\tTransferring...\r\n"
    "S:\tConnecting to 127.0.0.1:\r\n"
    "S:\tConnected to \r\n"
    "S:\tSending request: \"HTTP GET\".\r\n"
    ">:\tGET / HTTP/1.1\r\n\tHost: \r\n\tAccept-Encoding: gzip, deflate\r\n\tConnection: Keep-Alive\r\n\t\r\n"
    "S:\tReceived reply.\r\n"
    "<:\tHTTP/1.1 200 OK\r\n\tServer: nginx/\r\n\tServer: Apache\r\n\tDate: Mon, Tue, Wed, Thu, Fri, Sat, Sun, "
    " Jan 2026 Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec  GMT\r\n"
    "\tContent-Type: text/html; charset=utf-8\r\n\tContent-Type: text/plain\r\n\tContent-Length: \r\n"
    "\tLast-Modified: \r\n\tConnection: keep-alive\r\n\tETag: \"\r\n\tAccept-Ranges: bytes\r\n\t\r\n"
    "S:\tDownloading HTTP body.\r\n"
    "S:\tFile: \"/\", size: , modified: \r\n"
    "S:\tTransfer finished.\r\n"
    "S:\tTotal bytes received:  KB ( Bytes), total bytes sent:  Bytes.\r\n";

// A small window is enough for logs of a few kilobytes and keeps the
// stream's own tables small; the dictionary fits in it.
constexpr int kWindowBits = 12;
constexpr int kMemoryLevel = 4;
static_assert(kDictionary.size() < (1u << kWindowBits) - 262, "the dictionary must fit in the window");

const Bytef* DictionaryBytes()
{
    return reinterpret_cast<const Bytef*>(kDictionary.data());
}

// One stream per thread, set up once with the dictionary and copied for
// every log: setting a stream up costs far more than packing one log, and
// even a reset stream must hash the whole dictionary again, which cost more
// than a copy of the small stream's tables.
struct CDeflater
{
    CDeflater()
    {
        m_initialized = deflateInit2(&m_primed, Z_BEST_SPEED, Z_DEFLATED, -kWindowBits, kMemoryLevel,
                                     Z_DEFAULT_STRATEGY) == Z_OK;
        m_ready = m_initialized && deflateSetDictionary(&m_primed, DictionaryBytes(),
                                                        static_cast<uInt>(kDictionary.size())) == Z_OK;
    }
    ~CDeflater()
    {
        if (m_initialized)
            deflateEnd(&m_primed);
    }
    CDeflater(const CDeflater&) = delete;
    CDeflater& operator=(const CDeflater&) = delete;

    z_stream m_primed{}; // never deflates: only copied
    bool m_initialized = false;
    bool m_ready = false;
};

// A copy of the primed stream, ended with the scope.
class CDeflateCopy
{
public:
    explicit CDeflateCopy(z_stream& primed) { m_ok = deflateCopy(&m_stream, &primed) == Z_OK; }
    ~CDeflateCopy()
    {
        if (m_ok)
            deflateEnd(&m_stream);
    }
    CDeflateCopy(const CDeflateCopy&) = delete;
    CDeflateCopy& operator=(const CDeflateCopy&) = delete;

    z_stream m_stream{};
    bool m_ok = false;
};

} // namespace

std::string PackLogText(std::string_view text)
{
    if (text.empty() || text.size() > UINT32_MAX)
        return {};
    thread_local CDeflater deflater;
    if (!deflater.m_ready)
        return {};
    CDeflateCopy copy(deflater.m_primed);
    if (!copy.m_ok)
        return {};
    z_stream& stream = copy.m_stream;
    // Only a result smaller than the text is kept, so that is all the room
    // it gets; a text that does not pack into it stays as it is.
    std::string packed(text.size() - 1, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(packed.data());
    stream.avail_out = static_cast<uInt>(packed.size());
    if (deflate(&stream, Z_FINISH) != Z_STREAM_END)
        return {};
    packed.resize(packed.size() - stream.avail_out);
    packed.shrink_to_fit();
    return packed;
}

std::string UnpackLogText(std::string_view packed, size_t length)
{
    z_stream stream{};
    if (inflateInit2(&stream, -kWindowBits) != Z_OK)
        return {};
    std::string text(length, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    stream.avail_in = static_cast<uInt>(packed.size());
    stream.next_out = reinterpret_cast<Bytef*>(text.data());
    stream.avail_out = static_cast<uInt>(text.size());
    // Raw deflate asks for the dictionary only through this call, before
    // the first byte that refers to it.
    bool ok = inflateSetDictionary(&stream, DictionaryBytes(), static_cast<uInt>(kDictionary.size())) == Z_OK;
    // A text of another length than recorded does not end exactly where
    // the room does.
    ok = ok && inflate(&stream, Z_FINISH) == Z_STREAM_END && stream.avail_out == 0 && stream.avail_in == 0;
    inflateEnd(&stream);
    return ok ? text : std::string();
}
