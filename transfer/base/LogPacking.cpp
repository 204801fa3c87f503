#include "transfer/base/LogPacking.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

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
// unpacking stream's window small; the dictionary fits in it.
constexpr int kWindowBits = 12;
constexpr size_t kMaxDistance = size_t(1) << kWindowBits;
static_assert(kDictionary.size() < kMaxDistance - 262, "the dictionary must fit in the window");
static_assert(kDictionary.size() < UINT16_MAX, "dictionary positions are kept in 16 bits");

const Bytef* DictionaryBytes()
{
    return reinterpret_cast<const Bytef*>(kDictionary.data());
}

// Packing writes one deflate block with the fixed Huffman codes of RFC 1951
// (any inflate reads it). zlib's deflate builds dynamic codes for every
// block, and for a log of a few hundred bytes building them cost three times
// the matching itself; the fixed codes pack a typical log only a few bytes
// larger, because most of it is long matches into the dictionary.
constexpr size_t kMinMatch = 4; // the hashed length; deflate allows 3
constexpr size_t kMaxMatch = 258;
// Candidates looked at per position in each of the two chains, and the
// length that ends the search early.
constexpr int kChainLength = 4;
constexpr size_t kGoodEnough = 16;
// The positions inside a match longer than this are not indexed: a long
// match is mostly dictionary text that is indexed already.
constexpr size_t kIndexedMatch = 32;
constexpr int kDictionaryHashBits = 12;
constexpr int kTextHashBits = 10;

uint32_t Hash(const unsigned char* at)
{
    uint32_t word;
    std::memcpy(&word, at, sizeof word);
    return word * 2654435761u;
}

struct SCode
{
    uint16_t m_bits; // bit-reversed: deflate sends Huffman codes high bit first
    uint8_t m_length;
};

// The fixed codes and the length and distance tables of deflate.
struct SFixedCodes
{
    SCode m_literal[288];
    SCode m_distance[30];
    uint8_t m_lengthSymbol[kMaxMatch + 1]; // match length -> length code - 257
    uint16_t m_lengthBase[29];
    uint8_t m_lengthExtra[29];
    uint8_t m_distanceSymbol[kMaxDistance + 1];
    uint16_t m_distanceBase[30];
    uint8_t m_distanceExtra[30];

    static SCode Reversed(uint32_t code, int length)
    {
        uint32_t reversed = 0;
        for (int i = 0; i < length; ++i, code >>= 1)
            reversed = (reversed << 1) | (code & 1);
        return {static_cast<uint16_t>(reversed), static_cast<uint8_t>(length)};
    }

    SFixedCodes()
    {
        for (uint32_t symbol = 0; symbol < 288; ++symbol)
        {
            if (symbol < 144)
                m_literal[symbol] = Reversed(0x30 + symbol, 8);
            else if (symbol < 256)
                m_literal[symbol] = Reversed(0x190 + symbol - 144, 9);
            else if (symbol < 280)
                m_literal[symbol] = Reversed(symbol - 256, 7);
            else
                m_literal[symbol] = Reversed(0xC0 + symbol - 280, 8);
        }
        uint32_t base = 3;
        for (int code = 0; code < 29; ++code)
        {
            m_lengthExtra[code] = static_cast<uint8_t>(code < 8 || code == 28 ? 0 : (code - 4) / 4);
            m_lengthBase[code] = static_cast<uint16_t>(code == 28 ? kMaxMatch : base);
            for (uint32_t length = base; length < base + (1u << m_lengthExtra[code]) && length <= kMaxMatch; ++length)
                m_lengthSymbol[length] = static_cast<uint8_t>(code);
            base += 1u << m_lengthExtra[code];
        }
        m_lengthSymbol[kMaxMatch] = 28;
        base = 1;
        for (int code = 0; code < 30; ++code)
        {
            m_distance[code] = Reversed(static_cast<uint32_t>(code), 5);
            m_distanceExtra[code] = static_cast<uint8_t>(code < 4 ? 0 : (code - 2) / 2);
            m_distanceBase[code] = static_cast<uint16_t>(base);
            for (uint32_t distance = base; distance < base + (1u << m_distanceExtra[code]) && distance <= kMaxDistance;
                 ++distance)
                m_distanceSymbol[distance] = static_cast<uint8_t>(code);
            base += 1u << m_distanceExtra[code];
        }
    }
};

// The dictionary's positions by hash, found once and only read afterwards.
struct SDictionaryIndex
{
    std::vector<uint16_t> m_head; // latest position + 1 per hash, 0 for none
    std::vector<uint16_t> m_previous; // the position + 1 before, per position

    SDictionaryIndex() : m_head(size_t(1) << kDictionaryHashBits), m_previous(kDictionary.size())
    {
        const auto* bytes = reinterpret_cast<const unsigned char*>(kDictionary.data());
        for (size_t at = 0; at + kMinMatch <= kDictionary.size(); ++at)
        {
            uint16_t& head = m_head[Hash(bytes + at) >> (32 - kDictionaryHashBits)];
            m_previous[at] = head;
            head = static_cast<uint16_t>(at + 1);
        }
    }
};

// Bits into a fixed room, low bit first; fails when the room runs out.
class CBitWriter
{
public:
    CBitWriter(char* out, size_t room) : m_out(out), m_end(out + room) {}

    bool Put(uint32_t bits, int count)
    {
        m_pending |= uint64_t(bits) << m_count;
        m_count += count;
        if (m_count < 32)
            return true;
        if (m_end - m_out < 4)
            return false;
        const auto word = static_cast<uint32_t>(m_pending);
        std::memcpy(m_out, &word, sizeof word);
        m_out += sizeof word;
        m_pending >>= 32;
        m_count -= 32;
        return true;
    }

    // Writes the last bits; returns the bytes written, or 0 without room.
    size_t Finish(const char* start)
    {
        for (; m_count > 0; m_count -= 8, m_pending >>= 8)
        {
            if (m_out == m_end)
                return 0;
            *m_out++ = static_cast<char>(m_pending);
        }
        return static_cast<size_t>(m_out - start);
    }

private:
    char* m_out;
    char* const m_end;
    uint64_t m_pending = 0;
    int m_count = 0;
};

// The working room of one thread's packings.
struct SScratch
{
    std::string m_joined;
    std::vector<uint16_t> m_textPrevious;
    std::string m_packed;
};

// Gives back the room of an unusually long log when its packing ends, so
// that a thread keeps only what typical logs need.
class CScratchLimit
{
public:
    explicit CScratchLimit(SScratch& scratch) : m_scratch(scratch) {}
    ~CScratchLimit()
    {
        if (m_scratch.m_joined.capacity() > kKeptRoom)
            m_scratch = SScratch();
    }
    CScratchLimit(const CScratchLimit&) = delete;
    CScratchLimit& operator=(const CScratchLimit&) = delete;

private:
    static constexpr size_t kKeptRoom = 64 * 1024;
    SScratch& m_scratch;
};

} // namespace

std::string PackLogText(std::string_view text)
{
    if (text.empty() || text.size() > UINT32_MAX)
        return {};
    static const SFixedCodes codes;
    static const SDictionaryIndex dictionary;

    // Working room kept per thread: the packed log is the only allocation a
    // packing leaves behind, so that short-lived buffers freed around it do
    // not leave holes among the many packed logs a manager keeps.
    thread_local SScratch scratch;
    const CScratchLimit scratchLimit(scratch);
    // The dictionary and the text in one run, so that a match may start in
    // the one and go on into the other, as inflate reads it.
    std::string& joined = scratch.m_joined;
    joined.assign(kDictionary).append(text);
    const auto* bytes = reinterpret_cast<const unsigned char*>(joined.data());
    const size_t start = kDictionary.size();
    const size_t end = joined.size();
    // The text's own positions, relative to its start, kept in 16 bits: a
    // candidate is only taken within the window and its bytes are compared,
    // so a position that wrapped around in a long text costs a miss, never
    // a wrong match.
    std::array<uint16_t, size_t(1) << kTextHashBits> textHead{};
    std::vector<uint16_t>& textPrevious = scratch.m_textPrevious;
    textPrevious.assign(text.size(), 0);
    const auto remember = [&](size_t at, uint32_t hash)
    {
        uint16_t& head = textHead[hash >> (32 - kTextHashBits)];
        textPrevious[at - start] = head;
        head = static_cast<uint16_t>(at - start + 1);
    };

    // Only a result smaller than the text is kept, so that is all the room
    // it gets; a text that does not pack into it stays as it is.
    std::string& packed = scratch.m_packed;
    packed.resize(text.size() - 1);
    CBitWriter out(packed.data(), packed.size());
    bool ok = out.Put(3, 3); // the last block, fixed codes
    for (size_t at = start; ok && at < end;)
    {
        size_t best = 0;
        size_t distance = 0;
        if (at + kMinMatch <= end)
        {
            const size_t limit = std::min(kMaxMatch, end - at);
            const auto consider = [&](size_t from)
            {
                size_t length = 0;
                for (uint64_t a, b; length + 8 <= limit; length += 8)
                {
                    std::memcpy(&a, bytes + from + length, 8);
                    std::memcpy(&b, bytes + at + length, 8);
                    if (a != b)
                    {
                        length += static_cast<size_t>(std::countr_zero(a ^ b) / 8);
                        break;
                    }
                }
                // The last few bytes, or none past a mismatch found above.
                while (length < limit && bytes[from + length] == bytes[at + length])
                    ++length;
                if (length > best && length >= kMinMatch)
                {
                    best = length;
                    distance = at - from;
                }
            };
            const uint32_t hash = Hash(bytes + at);
            const size_t position = at - start;
            uint16_t candidate = textHead[hash >> (32 - kTextHashBits)];
            for (int tries = 0; candidate != 0 && tries < kChainLength && best < kGoodEnough; ++tries)
            {
                const size_t back = static_cast<uint16_t>(position + 1 - candidate);
                if (back == 0 || back > position || back > kMaxDistance)
                    break;
                consider(at - back);
                candidate = textPrevious[position - back];
            }
            candidate = dictionary.m_head[hash >> (32 - kDictionaryHashBits)];
            for (int tries = 0; candidate != 0 && tries < kChainLength && best < kGoodEnough; ++tries)
            {
                if (at - (candidate - 1u) > kMaxDistance)
                    break;
                consider(candidate - 1u);
                candidate = dictionary.m_previous[candidate - 1u];
            }
            remember(at, hash);
        }
        if (best == 0)
        {
            const SCode& literal = codes.m_literal[bytes[at]];
            ok = out.Put(literal.m_bits, literal.m_length);
            ++at;
            continue;
        }
        const int lengthCode = codes.m_lengthSymbol[best];
        const SCode& length = codes.m_literal[257 + lengthCode];
        const int distanceCode = codes.m_distanceSymbol[distance];
        ok = out.Put(length.m_bits, length.m_length) &&
             out.Put(static_cast<uint32_t>(best - codes.m_lengthBase[lengthCode]), codes.m_lengthExtra[lengthCode]) &&
             out.Put(codes.m_distance[distanceCode].m_bits, 5) &&
             out.Put(static_cast<uint32_t>(distance - codes.m_distanceBase[distanceCode]),
                     codes.m_distanceExtra[distanceCode]);
        const size_t matchEnd = at + best;
        if (best > kIndexedMatch)
        {
            at = matchEnd;
            continue;
        }
        for (++at; at < matchEnd; ++at)
            if (at + kMinMatch <= end)
                remember(at, Hash(bytes + at));
    }
    ok = ok && out.Put(codes.m_literal[256].m_bits, codes.m_literal[256].m_length); // end of block
    const size_t written = ok ? out.Finish(packed.data()) : 0;
    if (written == 0)
        return {};
    return packed.substr(0, written);
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
