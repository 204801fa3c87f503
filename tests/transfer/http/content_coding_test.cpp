#include "transfer/http/ContentCoding.h"

#include <gtest/gtest.h>

#include <string>
#include <zlib.h>

#include "foundation/files/GzipReader.h"
#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"
#include "transfer/base/ResultCodes.h"

namespace
{

// What the gzip reader, and so the deflate reader, report for damaged data.
constexpr int kDamagedData = 111;

// Compresses with zlib's own encoder: windowBits 15 gives the zlib format,
// -15 bare deflate data, 31 a gzip member.
std::string Compress(const std::string& data, int windowBits)
{
    z_stream stream{};
    EXPECT_EQ(deflateInit2(&stream, 6, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string out(deflateBound(&stream, data.size()) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

class CStringGunzipSink : public IGunzipSink
{
public:
    bool Begin(const std::string&, uint32_t, uint32_t) override
    {
        ++m_begins;
        return m_accept;
    }
    int32_t Write(const void* bytes, int32_t count) override
    {
        const int32_t taken = m_room < count ? m_room : count;
        m_data.append(static_cast<const char*>(bytes), static_cast<size_t>(taken));
        m_room -= taken;
        return taken;
    }
    bool IsCancelled() override { return m_cancel; }

    std::string m_data;
    int m_begins = 0;
    bool m_accept = true;
    bool m_cancel = false;
    int32_t m_room = INT32_MAX;
};

// Text that compresses well but spans several 64 KB blocks once inflated.
std::string Sample()
{
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "line " + std::to_string(i) + " of the page\n";
    return text;
}

} // namespace

TEST(ContentCoding, NamesOfTheCodings)
{
    const struct
    {
        const char* value;
        EContentCoding coding;
    } cases[] = {
        {"", kCodingIdentity},      {"identity", kCodingIdentity}, {"gzip", kCodingGzip},
        {" X-GZIP ", kCodingGzip},  {"Deflate", kCodingDeflate},   {"br", kCodingOther},
        {"gzip, br", kCodingOther}, {"compress", kCodingOther},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetContentCoding(c.value), c.coding) << c.value;

    EXPECT_TRUE(MustInflateBody("gzip", "text/html"));
    EXPECT_TRUE(MustInflateBody("x-gzip", ""));
    EXPECT_TRUE(MustInflateBody("deflate", "text/plain"));
    EXPECT_FALSE(MustInflateBody("gzip", "application/X-TAR"));
    EXPECT_FALSE(MustInflateBody("br", "text/html"));
    EXPECT_FALSE(MustInflateBody("", "text/html"));
}

TEST(ContentCoding, InflatesEveryAdvertisedCoding)
{
    const std::string text = Sample();
    const struct
    {
        const char* encoding;
        int windowBits;
    } cases[] = {{"gzip", 31}, {"x-gzip", 31}, {"deflate", 15}, {"deflate", -15}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.encoding) + " " + std::to_string(c.windowBits));
        CTempFolder folder;
        WriteWhole(folder / "body", Compress(text, c.windowBits));
        CStringGunzipSink sink;
        EXPECT_EQ(InflateBodyFile(folder / "body", c.encoding, sink), kResultOk);
        EXPECT_EQ(sink.m_begins, 1);
        EXPECT_TRUE(sink.m_data == text) << sink.m_data.size() << " bytes";
    }
}

TEST(ContentCoding, DamagedDeflateDataFails)
{
    const std::string text = Sample();
    const std::string zlib = Compress(text, 15);
    const struct
    {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"truncated", zlib.substr(0, zlib.size() / 2)},
        {"trailer cut", zlib.substr(0, zlib.size() - 2)},
        {"not deflate at all", "<html>plain text sent as deflate</html>"},
        {"empty", ""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CTempFolder folder;
        WriteWhole(folder / "body", c.bytes);
        CStringGunzipSink sink;
        EXPECT_EQ(InflateDeflateFile(folder / "body", sink), kDamagedData);
    }
}

TEST(ContentCoding, SinkDecidesAndMissingFilesFail)
{
    CTempFolder folder;
    WriteWhole(folder / "body", Compress(Sample(), 15));
    {
        CStringGunzipSink sink;
        sink.m_accept = false;
        EXPECT_EQ(InflateDeflateFile(folder / "body", sink), kResultInvalidParameter);
        EXPECT_EQ(sink.m_data, "");
    }
    {
        CStringGunzipSink sink;
        sink.m_room = 1000;
        EXPECT_EQ(InflateDeflateFile(folder / "body", sink), kResultInvalidParameter);
    }
    {
        CStringGunzipSink sink;
        sink.m_cancel = true;
        EXPECT_EQ(InflateDeflateFile(folder / "body", sink), kResultStopped);
    }
    CStringGunzipSink sink;
    EXPECT_EQ(InflateDeflateFile(folder / "missing", sink), kResultAccessDenied);
    EXPECT_EQ(InflateDeflateFile("", sink), kResultInvalidParameter);
    EXPECT_EQ(InflateBodyFile(folder / "body", "br", sink), kResultNotSupported);
}
