#include "transfer/client/ProtocolClient.h"

#include "foundation/files/FileSystem.h"
#include "foundation/links/LinkItem.h"
#include "foundation/text/StreamInterface.h"
#include "tests/support/CapturedLog.h"
#include "transfer/auth/PromptRequestQueue.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/base/TransferLimits.h"
#include "transfer/base/TransferLog.h"
#include "transfer/base/TransferProgress.h"

#include "tests/support/FileContents.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace
{
using namespace std::chrono_literals;

// Only a broken client makes a test wait this long.
constexpr auto kBound = 10s;

struct MeterCall
{
    char kind; // 'B' Begin, 'V' SetValues
    int64_t position;
    int64_t total;
    bool operator==(const MeterCall& other) const
    {
        return kind == other.kind && position == other.position && total == other.total;
    }
};

class CRecordingMeter : public ITransferProgress
{
public:
    void Begin(int64_t position, int64_t total) override { calls.push_back({'B', position, total}); }
    void SetValues(int64_t position, int64_t total) override { calls.push_back({'V', position, total}); }
    void SetTotal(int64_t) override {}
    void Advance(int64_t) override {}
    std::vector<MeterCall> calls;
};

// A protocol whose answers the test sets: Connect gives the listed results
// in turn (the last one again when they run out), Download writes the body
// into the file and gives its result.
class CFakeClient : public CProtocolClient
{
public:
    CFakeClient() : CProtocolClient(1) {}

    int Connect(CLinkItem&, ITransferLog*) override
    {
        const size_t at = size_t(connects++);
        if (connectResults.empty())
            return kResultOk;
        return connectResults[at < connectResults.size() ? at : connectResults.size() - 1];
    }
    int Download(CLinkItem&, StreamInterface& file, int64_t offset, int64_t length, ITransferLog*,
                 ITransferProgress*) override
    {
        ++downloads;
        lastOffset = offset;
        lastLength = length;
        if (!body.empty() && file.Write(body.data(), int32_t(body.size())) != int32_t(body.size()))
            return kResultDiskFull;
        if (abortAfterDownload)
            SetAborted(1);
        return downloadResult;
    }
    int Upload(CLinkItem&, ITransferLog*, ITransferProgress*) override
    {
        return IsAborted() ? kResultStopped : kResultNotSupported;
    }
    int GetRemoteFileInfo(CLinkItem&, ITransferLog*) override { return kResultOk; }
    bool CheckIdleConnection() override { return IsConnected(); }

    std::vector<int> connectResults;
    int connects = 0;
    std::string body;
    int downloadResult = kResultOk;
    bool abortAfterDownload = false;
    int downloads = 0;
    int64_t lastOffset = -2;
    int64_t lastLength = -2;
};

// Compressed by zlib itself: windowBits 31 gives gzip (RFC 1952), 15 a zlib
// stream (RFC 1950), -15 bare deflate data (RFC 1951).
std::string Compress(const std::string& data, int windowBits)
{
    z_stream stream{};
    EXPECT_EQ(deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string out(deflateBound(&stream, uLong(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}
constexpr int kGzip = 31;
constexpr int kZlib = 15;
constexpr int kBareDeflate = -15;

std::string Page()
{
    std::string page = "<html><body>\n";
    for (int i = 0; i < 3000; ++i)
        page += "<p>line " + std::to_string(i * 7919 % 10007) + "</p>\n";
    return page + "</body></html>\n";
}

CLinkItem Request(const std::string& localPath)
{
    CLinkItem request;
    request.SetString(LI_LOCAL_FILE, localPath.c_str());
    return request;
}

int64_t Size(const CLinkItem& request, int id)
{
    int64_t value = -2;
    request.GetInt64(id, value);
    return value;
}

bool Exists(const std::string& path)
{
    struct stat status;
    return ::lstat(path.c_str(), &status) == 0;
}

TEST(ProtocolClient, ResumesAtTheEndOfAnExistingFile)
{
    CTempFolder dir;
    const std::string path = dir / "file.bin";
    const std::string earlier(1000, 'e');
    WriteWhole(path, earlier);

    CFakeClient client;
    client.body = std::string(500, 'n');
    CLinkItem request = Request(path);
    request.SetInt64(LI_SIZE, 1500);
    request.SetString(LI_TIME, "01/02/2020 03:04:05");
    CRecordingMeter meter;
    CCapturedLog log;
    EXPECT_EQ(client.DownloadToFile(request, log.Get(), &meter), kResultOk);

    EXPECT_EQ(client.lastOffset, 1000);
    EXPECT_EQ(client.lastLength, -1);
    EXPECT_EQ(meter.calls, (std::vector<MeterCall>{{'B', 1000, 1500}, {'V', 1500, 1500}}));
    EXPECT_TRUE(ReadWhole(path) == earlier + client.body);
    EXPECT_EQ(Size(request, LI_SIZE), 1500);
    int64_t size = 0;
    COleDateTime modified;
    uint32_t attributes = 0;
    ASSERT_TRUE(GetFileInfo(path, size, modified, attributes));
    EXPECT_EQ(modified.Format("%m/%d/%Y %H:%M:%S"), "01/02/2020 03:04:05");
}

TEST(ProtocolClient, NewDownloadCreatesItsFolder)
{
    CTempFolder dir;
    const std::string path = dir / "site/sub/page.html";
    CFakeClient client;
    client.body = "<html></html>";
    CLinkItem request = Request(path);
    CRecordingMeter meter;
    CCapturedLog log;
    EXPECT_EQ(client.DownloadToFile(request, log.Get(), &meter), kResultOk);
    EXPECT_EQ(client.lastOffset, 0);
    EXPECT_EQ(meter.calls, (std::vector<MeterCall>{{'B', 0, -1}, {'V', 13, 13}}));
    EXPECT_EQ(ReadWhole(path), client.body);
    EXPECT_TRUE(log.Contains("S:\tCreating new local dir " + dir.Path() + "/site/sub.\r\n"));
}

// A failed download keeps only what it got, and never with the server's
// date: a part dated like the whole would pass for the finished file.
TEST(ProtocolClient, FailedDownloadKeepsOnlyWhatItGot)
{
    const struct
    {
        const char* name;
        const char* earlier; // null: no file before
        const char* body;
        bool fileStays;
    } cases[] = {
        {"new file, nothing received", nullptr, "", false},
        {"new file, part received", nullptr, "partial", true},
        {"resumed file, nothing received", "old", "", true},
        {"resumed file, part received", "old", "partial", true},
        {"empty file there before, nothing received", "", "", true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CTempFolder dir;
        const std::string path = dir / "file.bin";
        if (c.earlier)
            WriteWhole(path, c.earlier);
        CFakeClient client;
        client.body = c.body;
        client.downloadResult = kWsaConnReset;
        CLinkItem request = Request(path);
        request.SetInt64(LI_SIZE, 99);
        request.SetString(LI_TIME, "01/02/2020 03:04:05");
        CRecordingMeter meter;
        EXPECT_EQ(client.DownloadToFile(request, nullptr, &meter), kWsaConnReset);
        EXPECT_EQ(FileExists(path), c.fileStays);
        if (c.fileStays)
        {
            EXPECT_EQ(ReadWhole(path), std::string(c.earlier ? c.earlier : "") + c.body);
            int64_t size = 0;
            COleDateTime modified;
            uint32_t attributes = 0;
            ASSERT_TRUE(GetFileInfo(path, size, modified, attributes));
            EXPECT_NE(modified.Format("%m/%d/%Y %H:%M:%S"), "01/02/2020 03:04:05");
        }
        EXPECT_EQ(meter.calls.size(), 1u); // Begin only
        EXPECT_EQ(Size(request, LI_SIZE), 99);
    }
}

TEST(ProtocolClient, AbortedBeforeStartTouchesNothing)
{
    CTempFolder dir;
    CFakeClient client;
    client.SetAborted(1);
    CLinkItem request = Request(dir / "new/file.bin");
    EXPECT_EQ(client.DownloadToFile(request, nullptr, nullptr), kResultStopped);
    EXPECT_EQ(client.downloads, 0);
    EXPECT_FALSE(Exists(dir / "new"));
}

TEST(ProtocolClient, RetryableCodes)
{
    for (int code : {110, 1006, 1007, 10050, 10053, 10054, 10060, 10061, 10064})
        EXPECT_TRUE(IsRetryableResult(code)) << code;
    for (int code : {0, 3, 4, 100, 102, 108, 1001, 1008, 1009, 1019, 1020, 10013, 10051, 10065})
        EXPECT_FALSE(IsRetryableResult(code)) << code;
}

TEST(ProtocolClient, RunWithRetriesRetriesOnlyRetryableCodes)
{
    const struct
    {
        const char* name;
        int retries;
        std::vector<int> results;
        int expected;
        int connects;
        bool failedLine;
    } cases[] = {
        {"no retries allowed", 0, {10061}, 10061, 1, true},
        {"refused three times", 2, {10061, 10061, 10061}, 10061, 3, true},
        {"time-out, then connected", 2, {110, 0}, 0, 2, false},
        {"host not found is final", 3, {1008}, 1008, 1, true},
        {"a stop is not retried", 3, {3}, 3, 1, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CFakeClient client;
        client.connectResults = c.results;
        CLinkItem request;
        request.SetInt(LI_CONNECTION_RETRIES, c.retries);
        request.SetInt(LI_CONNECTION_DELAY, 0);
        CCapturedLog log;
        EXPECT_EQ(client.RunWithRetries(request, log.Get()), c.expected);
        EXPECT_EQ(client.connects, c.connects);
        const int retries = c.connects - 1;
        EXPECT_EQ(log.Count("--- Retry #"), retries);
        EXPECT_EQ(log.Count("S:\tWaiting 0 seconds...\r\n"), retries);
        for (int n = 1; n <= retries; ++n)
            EXPECT_TRUE(log.Contains("S:\t--- Retry #" + std::to_string(n) + " from " +
                                     std::to_string(c.retries) + " ---\r\n"));
        EXPECT_EQ(log.Contains("E:\tConnection failed.\r\n"), c.failedLine);
    }
}

TEST(ProtocolClient, AbortEndsTheRetryWaitAtOnce)
{
    CFakeClient client;
    client.connectResults = {kWsaConnRefused};
    CLinkItem request;
    request.SetInt(LI_CONNECTION_RETRIES, 5);
    request.SetInt(LI_CONNECTION_DELAY, 600);
    CCapturedLog log;
    auto run = std::async(std::launch::async, [&] { return client.RunWithRetries(request, log.Get()); });
    const auto deadline = std::chrono::steady_clock::now() + kBound;
    while (!log.Contains("Waiting 600 seconds...") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    ASSERT_TRUE(log.Contains("Waiting 600 seconds..."));
    client.Abort();
    ASSERT_EQ(run.wait_for(kBound), std::future_status::ready);
    EXPECT_EQ(run.get(), kResultStopped);
    EXPECT_EQ(client.connects, 1);
    EXPECT_FALSE(log.Contains("Connection failed."));
}

TEST(ProtocolClient, InflatesCompressedBodies)
{
    const std::string page = Page();
    const struct
    {
        const char* name;
        const char* encoding;
        const char* contentType;
        int windowBits;
        bool inflated;
        bool keepsGz;
    } cases[] = {
        {"gzip", "gzip", "text/html", kGzip, true, true},
        {"x-gzip", "x-gzip", "text/html", kGzip, true, true},
        {"any case and blanks", " GZip ", "text/html", kGzip, true, true},
        {"deflate as zlib", "deflate", "text/html", kZlib, true, false},
        {"deflate as bare data", "Deflate", "text/html", kBareDeflate, true, false},
        {"a tar archive stays as received", "gzip", "Application/X-Tar", kGzip, false, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CTempFolder dir;
        const std::string path = dir / "page.html";
        // A read-only leftover under the ".gz" name does not stop the move.
        WriteWhole(path + ".gz", "old");
        ::chmod((path + ".gz").c_str(), 0444);

        CFakeClient client;
        client.body = Compress(page, c.windowBits);
        CLinkItem request = Request(path);
        request.SetString(LI_CONTENT_ENCODING, c.encoding);
        request.SetString(LI_CONTENT_TYPE, c.contentType);
        request.SetInt64(LI_SIZE, int64_t(client.body.size()));
        CRecordingMeter meter;
        CCapturedLog log;
        ASSERT_EQ(client.DownloadToFile(request, log.Get(), &meter), kResultOk) << log.Text();

        const std::string expected = c.inflated ? page : client.body;
        EXPECT_TRUE(ReadWhole(path) == expected);
        EXPECT_EQ(Size(request, LI_SIZE), int64_t(expected.size()));
        ASSERT_EQ(meter.calls.size(), 2u);
        EXPECT_EQ(meter.calls[1], (MeterCall{'V', int64_t(expected.size()), int64_t(expected.size())}));
        EXPECT_EQ(log.Contains("S:\tDecompressing file " + path + ".\r\n"), c.inflated);
        EXPECT_TRUE(ReadWhole(path + ".gz") == (c.keepsGz ? client.body : "old"));
        EXPECT_FALSE(Exists(path + "~.xed"));
    }
}

TEST(ProtocolClient, GzipNameTakenByAFolder)
{
    CTempFolder dir;
    const std::string path = dir / "page.html";
    ASSERT_EQ(::mkdir((path + ".gz").c_str(), 0755), 0);
    WriteWhole(path + ".gz/inside", "kept");
    const std::string page = Page();
    CFakeClient client;
    client.body = Compress(page, kGzip);
    CLinkItem request = Request(path);
    request.SetString(LI_CONTENT_ENCODING, "gzip");
    CCapturedLog log;
    EXPECT_EQ(client.DownloadToFile(request, log.Get(), nullptr), kResultAccessDenied);
    EXPECT_EQ(ReadWhole(path + ".gz/inside"), "kept");
    EXPECT_TRUE(ReadWhole(path) == client.body);
    // The inflated data is not thrown away.
    EXPECT_TRUE(ReadWhole(path + "~.xed") == page);
    EXPECT_TRUE(log.Contains("E:\tCannot remove file \"" + path + ".gz\".\r\n"));
}

TEST(ProtocolClient, BareDeflateBodyThatOpensLikeAZlibHeader)
{
    // A stored block whose first two bytes (78 01) also form a valid zlib
    // header: read as zlib its block lengths do not match; read as bare
    // deflate data it is "A" and an empty final block.
    CTempFolder dir;
    const std::string path = dir / "a.txt";
    CFakeClient client;
    client.body = std::string("\x78\x01\x00\xFE\xFF"
                              "A"
                              "\x01\x00\x00\xFF\xFF",
                              11);
    CLinkItem request = Request(path);
    request.SetString(LI_CONTENT_ENCODING, "deflate");
    EXPECT_EQ(client.DownloadToFile(request, nullptr, nullptr), kResultOk);
    EXPECT_EQ(ReadWhole(path), "A");
}

TEST(ProtocolClient, CompressedBodyFailuresKeepTheEarlierFiles)
{
    const std::string page = Page();
    const std::string gzip = Compress(page, kGzip);
    const std::string zlib = Compress(page, kZlib);
    const struct
    {
        const char* name;
        const char* encoding;
        std::string body;
        bool abortAfterDownload;
        int expected;
    } cases[] = {
        {"gzip cut short", "gzip", gzip.substr(0, gzip.size() - 100), false, kResultProtocolError},
        {"gzip with a wrong CRC", "gzip", gzip.substr(0, gzip.size() - 8) + std::string(8, '\0'), false,
         kResultProtocolError},
        {"said gzip, sent plain", "gzip", page, false, kResultProtocolError},
        {"deflate cut short", "deflate", zlib.substr(0, zlib.size() / 2), false, kResultProtocolError},
        {"stopped while inflating", "gzip", gzip, true, kResultStopped},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CTempFolder dir;
        const std::string path = dir / "page.html";
        WriteWhole(path + ".gz", "earlier copy");
        CFakeClient client;
        client.body = c.body;
        client.abortAfterDownload = c.abortAfterDownload;
        CLinkItem request = Request(path);
        request.SetString(LI_CONTENT_ENCODING, c.encoding);
        request.SetInt64(LI_SIZE, int64_t(c.body.size()));
        CRecordingMeter meter;
        CCapturedLog log;
        EXPECT_EQ(client.DownloadToFile(request, log.Get(), &meter), c.expected);
        // What arrived stays as it arrived, the earlier copy is untouched,
        // and the half-inflated temporary file is gone.
        EXPECT_TRUE(ReadWhole(path) == c.body);
        EXPECT_EQ(ReadWhole(path + ".gz"), "earlier copy");
        EXPECT_FALSE(Exists(path + "~.xed"));
        EXPECT_EQ(meter.calls.size(), 1u);
        EXPECT_EQ(Size(request, LI_SIZE), int64_t(c.body.size()));
        if (c.expected == kResultProtocolError)
        {
            EXPECT_TRUE(log.Contains("E:\tProtocol error: compressed body is damaged or truncated.\r\n"));
        }
    }
}

// A small response that inflates past a thousand times its size and past
// the floor of the cap is a decompression bomb: the download fails before
// it fills the disk, and the half-inflated file is removed. A body just as
// large that stays within the ratio inflates.
TEST(ProtocolClient, DecompressionBombFailsAndLeavesNoInflatedFile)
{
    const std::string zeros(kMinInflatedSizeCap + 4 * 1024 * 1024, '\0');
    const std::string bomb = Compress(zeros, kGzip);
    ASSERT_GT(int64_t(zeros.size()), kMaxInflationRatio * int64_t(bomb.size()));

    CTempFolder dir;
    const std::string path = dir / "bomb.html";
    CFakeClient client;
    client.body = bomb;
    CLinkItem request = Request(path);
    request.SetString(LI_CONTENT_ENCODING, "gzip");
    request.SetInt64(LI_SIZE, int64_t(bomb.size()));
    CCapturedLog log;
    EXPECT_EQ(client.DownloadToFile(request, log.Get(), nullptr), kResultProtocolError);
    EXPECT_TRUE(log.Contains("E:\tProtocol error: compressed body inflates beyond any sound size.\r\n"))
        << log.Text();
    EXPECT_FALSE(Exists(path + "~.xed"));
    EXPECT_TRUE(ReadWhole(path) == bomb);

    // Within the floor of the cap, the same ratio is a sound file.
    const std::string small(1024 * 1024, '\0');
    CFakeClient fine;
    fine.body = Compress(small, kGzip);
    CLinkItem second = Request(dir / "small.html");
    second.SetString(LI_CONTENT_ENCODING, "gzip");
    second.SetInt64(LI_SIZE, int64_t(fine.body.size()));
    EXPECT_EQ(fine.DownloadToFile(second, nullptr, nullptr), kResultOk);
    EXPECT_TRUE(ReadWhole(dir / "small.html") == small);
}

TEST(ProtocolClient, InflatedFileThatCannotBeWrittenFails)
{
    CTempFolder dir;
    const std::string path = dir / "big.txt";
    const std::string big(4 << 20, 'a');
    CFakeClient client;
    client.body = Compress(big, kGzip); // a few kilobytes
    CLinkItem request = Request(path);
    request.SetString(LI_CONTENT_ENCODING, "gzip");
    CCapturedLog log;
    int result;
    {
        CFileSizeLimit limit(1 << 20);
        result = client.DownloadToFile(request, log.Get(), nullptr);
    }
    EXPECT_EQ(result, kResultWriteError);
    EXPECT_TRUE(ReadWhole(path) == client.body);
    EXPECT_FALSE(Exists(path + ".gz"));
    EXPECT_FALSE(Exists(path + "~.xed"));
    EXPECT_TRUE(log.Contains("E:\tCannot write file \"" + path + "~.xed\".\r\n"));
}

TEST(ProtocolClient, BodyLeftInTheBufferThatCannotBeWrittenFails)
{
    // The fake's write is taken into the file's buffer; the disk refuses it
    // only when the file is closed, after the protocol reported success.
    CTempFolder dir;
    const std::string path = dir / "file.bin";
    CFakeClient client;
    client.body = std::string(10000, 'b');
    CLinkItem request = Request(path);
    CRecordingMeter meter;
    CCapturedLog log;
    int result;
    {
        CFileSizeLimit limit(4000);
        result = client.DownloadToFile(request, log.Get(), &meter);
    }
    EXPECT_EQ(result, kResultWriteError);
    EXPECT_NE(GetFileSize64(path), 10000);
    EXPECT_EQ(meter.calls.size(), 1u);
    EXPECT_TRUE(log.Contains("E:\tCannot write file \"" + path + "\".\r\n"));
}

TEST(ProtocolClient, NeverDeletesAFolderThatHoldsAnything)
{
    CTempFolder dir;
    const std::string path = dir / "name";
    ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
    WriteWhole(path + "/keep.txt", "mine");
    CFakeClient client;
    client.body = "body";
    CLinkItem request = Request(path);
    CCapturedLog log;
    EXPECT_EQ(client.DownloadToFile(request, log.Get(), nullptr), kResultAccessDenied);
    EXPECT_EQ(client.downloads, 0);
    EXPECT_EQ(ReadWhole(path + "/keep.txt"), "mine");
    EXPECT_TRUE(log.Contains("E:\tCannot overwrite local directory, remove it first.\r\n"));

    // A link to an empty folder is no folder of ours to remove either.
    const std::string empty = dir / "empty";
    const std::string link = dir / "link";
    ASSERT_EQ(::mkdir(empty.c_str(), 0755), 0);
    ASSERT_EQ(::symlink(empty.c_str(), link.c_str()), 0);
    EXPECT_EQ(ClearFolderInTheWay(link, nullptr), kResultAccessDenied);
    EXPECT_TRUE(DirectoryExists(empty));
    EXPECT_TRUE(Exists(link));
}

TEST(ProtocolClient, EmptyFolderInTheWayMakesRoom)
{
    CTempFolder dir;
    const std::string path = dir / "name";
    ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
    CFakeClient client;
    client.body = "body";
    CLinkItem request = Request(path);
    CCapturedLog log;
    EXPECT_EQ(client.DownloadToFile(request, log.Get(), nullptr), kResultOk);
    EXPECT_EQ(ReadWhole(path), "body");
    EXPECT_TRUE(log.Contains("S:\tRemoving dir \"" + path + "\".\r\n"));
}

TEST(ProtocolClient, EnsureLocalDir)
{
    CTempFolder dir;
    WriteWhole(dir / "plain", "a file");
    const struct
    {
        const char* name;
        std::string path;
        int expected;
        std::string line; // empty: nothing logged
    } cases[] = {
        {"bare name", "file.txt", kResultInvalidParameter, "E:\tInvalid name file.txt.\r\n"},
        {"empty", "", kResultInvalidParameter, "E:\tInvalid name .\r\n"},
        {"existing folder", dir / "file.txt", kResultOk, ""},
        {"right below the root", "/file.txt", kResultOk, ""},
        {"missing folders", dir / "a/b/c/file.txt", kResultOk,
         "S:\tCreating new local dir " + dir.Path() + "/a/b/c.\r\n"},
        {"a file in the way", dir / "plain/sub/file.txt", kResultAccessDenied,
         "E:\tCant create local dir " + dir.Path() + "/plain/sub.\r\n"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CFakeClient client;
        CCapturedLog log;
        EXPECT_EQ(client.EnsureLocalDir(c.path, log.Get()), c.expected);
        if (c.line.empty())
        {
            EXPECT_EQ(log.Text(), "");
        }
        else
        {
            EXPECT_TRUE(log.Contains(c.line)) << log.Text();
        }
    }
    EXPECT_TRUE(DirectoryExists(dir / "a/b/c"));
    EXPECT_EQ(ReadWhole(dir / "plain"), "a file");
}

TEST(ProtocolClient, LocalFileInfo)
{
    CTempFolder dir;
    const std::string path = dir / "page.html";
    WriteWhole(path, "hello");
    CFakeClient client;
    CLinkItem request = Request(path);
    request.SetString(LI_POST_CONTENT_TYPE, "application/json");
    CCapturedLog log;
    ASSERT_EQ(client.GetLocalFileInfo(request, log.Get()), kResultOk);
    EXPECT_EQ(Size(request, LI_LOCAL_SIZE), 5);
    int kind = -1;
    request.GetInt(LI_LOCAL_RESOURCE_TYPE, kind);
    EXPECT_EQ(kind, 3); // HTML
    std::string time;
    request.GetString(LI_LOCAL_TIME, time);
    int64_t size = 0;
    COleDateTime modified;
    uint32_t attributes = 0;
    ASSERT_TRUE(GetFileInfo(path, size, modified, attributes));
    EXPECT_EQ(time, modified.Format("%m/%d/%Y %H:%M:%S"));
    EXPECT_EQ(log.Text(), "S:\tFile: \"" + path + "\", size: 5, modified: " + time + ".\r\n");
    // The content type of a POST body is the request's, not the local file's.
    std::string postType;
    request.GetString(LI_POST_CONTENT_TYPE, postType);
    EXPECT_EQ(postType, "application/json");

    CLinkItem folder = Request(dir.Path());
    ASSERT_EQ(client.GetLocalFileInfo(folder, nullptr), kResultOk);
    folder.GetInt(LI_LOCAL_RESOURCE_TYPE, kind);
    EXPECT_EQ(kind, 10); // LOCALFOLDER
}

TEST(ProtocolClient, MissingLocalFile)
{
    CTempFolder dir;
    const std::string path = dir / "gone.html";
    const struct
    {
        int operation;
        bool logged;
    } cases[] = {{0, true}, {1, false}, {2, true}, {6, false}, {8, false}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.operation);
        CFakeClient client;
        CLinkItem request = Request(path);
        request.SetInt(LI_OPERATION, c.operation);
        // What an earlier look found must not make the gone file look present.
        request.SetInt64(LI_LOCAL_SIZE, 5);
        request.SetInt(LI_LOCAL_RESOURCE_TYPE, 3);
        request.SetString(LI_LOCAL_TIME, "01/02/2020 03:04:05");
        CCapturedLog log;
        EXPECT_EQ(client.GetLocalFileInfo(request, log.Get()), kResultNotFound);
        EXPECT_EQ(log.Text(), c.logged ? "E:\tFile not found \"" + path + "\".\r\n" : "");
        EXPECT_FALSE(request.Has(LI_LOCAL_SIZE));
        EXPECT_FALSE(request.Has(LI_LOCAL_RESOURCE_TYPE));
        EXPECT_FALSE(request.Has(LI_LOCAL_TIME));
    }
}

// Waits until the queue holds a question for the UI, and copies it.
bool WaitForPrompt(CPromptRequestQueue& queue, CPromptRequest& request)
{
    const auto deadline = std::chrono::steady_clock::now() + kBound;
    while (std::chrono::steady_clock::now() < deadline)
    {
        if (queue.GetPending(request))
            return true;
        std::this_thread::yield();
    }
    return false;
}

TEST(ProtocolClient, PromptAnswered)
{
    // Time-out and notice period far beyond the test's bound: only the
    // answer can end the wait in time.
    CPromptRequestQueue queue(60s, 60s);
    queue.SetRunning(true);
    CFakeClient client;
    client.SetServices({.m_prompts = &queue});
    CCapturedLog log;
    std::string user = "guest";
    std::string password;
    auto prompt =
        std::async(std::launch::async, [&]
                   { return client.PromptCredentials("http://example.org/", user, password, log.Get()); });
    CPromptRequest request;
    ASSERT_TRUE(WaitForPrompt(queue, request));
    EXPECT_EQ(request.m_prompt, "http://example.org/");
    EXPECT_EQ(request.m_user, "guest");
    request.m_user = "bob";
    request.m_password = "secret";
    ASSERT_EQ(queue.Answer(request), 1);
    ASSERT_EQ(prompt.wait_for(kBound), std::future_status::ready);
    EXPECT_EQ(prompt.get(), kResultOk);
    EXPECT_EQ(user, "bob");
    EXPECT_EQ(password, "secret");
    EXPECT_EQ(log.Text(), "S:\tNeed user/pass - prompting...\r\n"
                          "S:\tPrompt complete: user:bob, pass:****.\r\n");
}

TEST(ProtocolClient, AbortCancelsAWaitingPromptAtOnce)
{
    CPromptRequestQueue queue(60s, 60s);
    queue.SetRunning(true);
    CFakeClient client;
    client.SetServices({.m_prompts = &queue});
    CCapturedLog log;
    std::string user;
    std::string password;
    auto prompt =
        std::async(std::launch::async,
                   [&] { return client.PromptCredentials("ftp://example.org/", user, password, log.Get()); });
    CPromptRequest request;
    ASSERT_TRUE(WaitForPrompt(queue, request));
    client.Abort();
    ASSERT_EQ(prompt.wait_for(kBound), std::future_status::ready);
    EXPECT_EQ(prompt.get(), kResultStopped);
    EXPECT_TRUE(log.Contains("S:\tPrompt canceled.\r\n"));
    EXPECT_EQ(queue.GetPending(request), 0);
    // The user's late answer finds nothing.
    EXPECT_EQ(queue.Answer(request), 0);
}

// A refused login that nobody can answer is a refused login, not a stop:
// "stopped" would tell the user that somebody stopped the job.
TEST(ProtocolClient, PromptWithNobodyToAnswerEndsAsAccessDenied)
{
    const struct
    {
        const char* name;
        bool running;
        CPromptRequestQueue::OwnerCallback owner;
        std::chrono::milliseconds timeout;
    } cases[] = {
        {"queue not running", false, nullptr, 60s},
        {"owner says nobody can answer", true, [](int) { return 0; }, 60s},
        {"nobody answers in time", true, nullptr, 1ms},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CPromptRequestQueue queue(c.timeout, c.timeout);
        queue.SetRunning(c.running);
        if (c.owner)
            queue.SetOwner(c.owner, 0);
        CFakeClient client;
        client.SetServices({.m_prompts = &queue});
        CCapturedLog log;
        std::string user = "bob";
        std::string password;
        auto prompt =
            std::async(std::launch::async, [&]
                       { return client.PromptCredentials("ftp://example.org/", user, password, log.Get()); });
        ASSERT_EQ(prompt.wait_for(kBound), std::future_status::ready);
        EXPECT_EQ(prompt.get(), kResultRemoteAccessDenied);
        EXPECT_TRUE(log.Contains("S:\tPrompt canceled.\r\n"));
    }
}

TEST(ProtocolClient, AbortedClientDoesNotPrompt)
{
    CPromptRequestQueue queue(60s, 60s);
    queue.SetRunning(true);
    CFakeClient client;
    client.SetServices({.m_prompts = &queue});
    client.SetAborted(1);
    std::string user;
    std::string password;
    auto prompt =
        std::async(std::launch::async,
                   [&] { return client.PromptCredentials("ftp://example.org/", user, password, nullptr); });
    ASSERT_EQ(prompt.wait_for(kBound), std::future_status::ready);
    EXPECT_EQ(prompt.get(), kResultStopped);
}

TEST(ProtocolClient, FlagsAndTexts)
{
    CFakeClient first;
    CFakeClient second;
    EXPECT_EQ(second.GetInstanceNumber(), first.GetInstanceNumber() + 1);
    EXPECT_EQ(first.SetConnected(1), 0);
    EXPECT_TRUE(first.IsConnected());
    EXPECT_EQ(first.SetAborted(1), 0);
    EXPECT_EQ(first.SetAborted(0), 1);
    EXPECT_FALSE(first.IsAborted());
    first.Touch();
    EXPECT_EQ(first.GetIdleSeconds(), 0);
    first.SetLogin("user", "pw");
    EXPECT_EQ(first.GetUserName(), "user");
    EXPECT_EQ(first.GetPassword(), "pw");
}
} // namespace
