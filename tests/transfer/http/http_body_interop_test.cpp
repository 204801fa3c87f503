// Responses and bodies over real sockets: a scripted server
// (tests/servers/http_faults_server.py) sends the malformed, oversized,
// truncated, slow and coded answers that real servers won't, and nginx sends
// real chunked gzip bodies, ranges and redirects on kept-alive connections.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <memory>
#include <netinet/in.h>
#include <string>

#include "foundation/text/ByteBuffer.h"
#include "foundation/files/GzipReader.h"
#include "foundation/links/LinkItem.h"
#include "platform/core/Text.h"
#include "tests/servers/NginxServer.h"
#include "tests/servers/ServerProcess.h"
#include "tests/support/FileContents.h"
#include "tests/support/SameBytes.h"
#include "tests/support/ScriptedHttpChannel.h"
#include "tests/support/TempFolder.h"
#include "transfer/net/Connection.h"
#include "transfer/http/ContentCoding.h"
#include "transfer/http/ContentLength.h"
#include "transfer/http/HttpKeepAlive.h"
#include "transfer/http/HttpRequestHeader.h"
#include "transfer/http/HttpSend.h"
#include "transfer/http/ParseResponseHeaders.h"
#include "transfer/http/ReadBody.h"
#include "transfer/http/ReadResponseHeader.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/base/TransferLog.h"

namespace
{

const uint32_t kLoopback = htonl(INADDR_LOOPBACK);

// A stuck read fails the test after this long instead of hanging it.
constexpr int kReceiveTimeoutMs = 10000;

// The client's side of the channel, as the HTTP client keeps it.
class CTestChannel : public CConnectionHttpChannel
{
public:
    explicit CTestChannel(CConnection& connection) : CConnectionHttpChannel(connection)
    {
        SetTimeoutMs(kReceiveTimeoutMs);
    }
    bool IsAborted() const override { return m_aborted; }
    void Drop() override
    {
        m_dropped = true;
        m_connection.Close();
    }
    void EndKeepAlive() override { m_keepAlive = false; }

    std::atomic<bool> m_aborted{false};
    bool m_dropped = false;
    bool m_keepAlive = true;
};

// The text behind the coded answers of the scripted server.
std::string Sample()
{
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += "line " + std::to_string(i) + " of the page\n";
    return text;
}

class CStringGunzipSink : public IGunzipSink
{
public:
    bool Begin(const std::string&, uint32_t, uint32_t) override { return true; }
    int32_t Write(const void* bytes, int32_t count) override
    {
        m_data.append(static_cast<const char*>(bytes), static_cast<size_t>(count));
        return count;
    }
    bool IsCancelled() override { return false; }
    std::string m_data;
};

// One client connection that sends requests and reads their answers with
// the readers under test, as the HTTP client does.
class CClient
{
public:
    explicit CClient(int port) : m_port(port), m_channel(m_connection) {}
    ~CClient()
    {
        m_connection.Close();
        m_log->Release();
    }

    bool Connect() { return m_connection.ConnectAddress(kLoopback, m_port, nullptr); }

    // Sends a GET (from offset, to end) and reads the answer's header.
    int Request(const std::string& path, int64_t offset = 0, int64_t end = -1)
    {
        m_item = CLinkItem();
        if (!m_item.SetUrl(Format("http://127.0.0.1:%d%s", m_port, path.c_str()).c_str(), false))
            return -100;
        m_item.SetInt(LI_HTTP_VERSION, 1);
        std::string request;
        int result = BuildHttpRequest(m_item, "GET", false, offset, end, "", request);
        if (result == kResultOk)
            result = SendHeader(m_channel, request, "", m_log);
        if (result == kResultOk)
            result = ReadResponseHeader(m_channel, m_receive, m_item, m_header, m_status, m_log, nullptr);
        return result;
    }

    // Reads the body of the last answer as the client's Download does.
    int Body()
    {
        int64_t length = -1;
        if (FindContentLength(m_header, length) == kContentLengthInvalid)
            return -100;
        m_body = CRecordingStream();
        return ReadBody(m_channel, m_receive, m_body, length, IsChunkedBody(m_header), m_log, &m_progress);
    }

    std::string Log() const
    {
        std::string text;
        m_log->GetText(text);
        return text;
    }

    int m_port;
    CConnection m_connection;
    CTestChannel m_channel;
    CByteBuffer m_receive;
    CByteBuffer m_header;
    CLinkItem m_item;
    int m_status = 0;
    CRecordingStream m_body;
    CRecordingProgress m_progress;
    CTransferLog* m_log = new CTransferLog(1);
};

class HttpBodyInterop : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_server = new CServerProcess;
        s_port = FreeTcpPort();
        ASSERT_NE(s_port, 0);
        ASSERT_TRUE(s_server->Start(
            {"/usr/bin/python3", TW_SERVERS_DIR "/http_faults_server.py", std::to_string(s_port)}, s_port));
    }
    static void TearDownTestSuite()
    {
        delete s_server;
        s_server = nullptr;
    }

    static CServerProcess* s_server;
    static int s_port;
};

CServerProcess* HttpBodyInterop::s_server = nullptr;
int HttpBodyInterop::s_port = 0;

} // namespace

TEST_F(HttpBodyInterop, BodiesEndWhereTheyEnd)
{
    const struct
    {
        const char* path;
        int result;
        std::string body;
        bool dropped;
    } cases[] = {
        {"/chunked-drip", kResultOk, "first second third", false},
        {"/slow-header", kResultOk, "hello", false},
        {"/continue", kResultOk, "hello", false},
        {"/until-close", kResultOk, Sample(), true},
        {"/length-overrun", kResultOk, "01234567", true},
        {"/length-short", kResultControlClosed, "0123456789", true},
        {"/chunked-truncated", kResultControlClosed, "hello", true},
        {"/chunked-long-line", kResultProtocolError, "", true},
        {"/chunked-absurd", kResultProtocolError, "", true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.path);
        CClient client(s_port);
        ASSERT_TRUE(client.Connect());
        ASSERT_EQ(client.Request(c.path), kResultOk) << client.Log();
        EXPECT_EQ(client.m_status, 200);
        EXPECT_EQ(client.Body(), c.result) << client.Log();
        EXPECT_TRUE(SameBytes(client.m_body.m_bytes, c.body));
        EXPECT_EQ(client.m_channel.m_dropped, c.dropped);
        EXPECT_EQ(client.m_connection.IsConnected(), !c.dropped);
    }
}

// The server announces a chunk of 1 MiB, sends 1000 bytes of it and waits.
// Those bytes must reach the sink while the rest is outstanding: the sink
// stops the transfer once it has them. A reader that held whole chunks
// would wait for the rest until its time-out instead.
TEST_F(HttpBodyInterop, ChunkPiecesReachTheSinkAsTheyArrive)
{
    CClient client(s_port);
    ASSERT_TRUE(client.Connect());
    ASSERT_EQ(client.Request("/chunked-stall"), kResultOk);
    client.m_body.m_afterWrite = [&client](CRecordingStream& sink)
    {
        if (sink.m_bytes.size() >= 1000)
            client.m_channel.m_aborted = true;
    };
    const int result =
        ReadBody(client.m_channel, client.m_receive, client.m_body, -1, true, nullptr, nullptr);
    EXPECT_EQ(result, kResultStopped);
    EXPECT_EQ(client.m_body.m_bytes, std::string(1000, 'a'));
    EXPECT_TRUE(client.m_channel.m_dropped);
}

TEST_F(HttpBodyInterop, EndlessHeaderIsCutAtTheCap)
{
    CClient client(s_port);
    ASSERT_TRUE(client.Connect());
    EXPECT_EQ(client.Request("/header-flood"), kResultProtocolError);
    EXPECT_TRUE(client.m_channel.m_dropped);
    EXPECT_NE(client.Log().find("E:\tProtocol error: response header too long.\r\n"), std::string::npos);
}

TEST_F(HttpBodyInterop, NegativeLengthOfAnUnwantedBodyDropsTheConnection)
{
    CClient client(s_port);
    ASSERT_TRUE(client.Connect());
    ASSERT_EQ(client.Request("/negative-length"), kResultOk);
    EXPECT_EQ(client.m_status, 404);
    EXPECT_EQ(ReadBodyToLog(client.m_channel, client.m_receive, client.m_header, nullptr, true),
              kResultProtocolError);
    EXPECT_TRUE(client.m_channel.m_dropped);
}

// Trailer fields, an interim answer and bodies of every kind leave the
// connection exactly at the start of the next answer.
TEST_F(HttpBodyInterop, KeptConnectionStaysInStep)
{
    CClient client(s_port);
    ASSERT_TRUE(client.Connect());
    const struct
    {
        const char* path;
        std::string body;
    } requests[] = {
        {"/chunked-trailer", "hello world"}, {"/plain", "hello"}, {"/continue", "hello"},
        {"/chunked-trailer", "hello world"}, {"/plain", "hello"},
    };
    for (const auto& r : requests)
    {
        SCOPED_TRACE(r.path);
        ASSERT_EQ(client.Request(r.path), kResultOk) << client.Log();
        EXPECT_EQ(client.m_status, 200);
        EXPECT_TRUE(ResponseKeepsConnection(client.m_header));
        ASSERT_EQ(client.Body(), kResultOk) << client.Log();
        EXPECT_EQ(client.m_body.m_bytes, r.body);
        EXPECT_EQ(client.m_receive.GetLength(), 0);
        EXPECT_FALSE(client.m_channel.m_dropped);
    }
}

TEST_F(HttpBodyInterop, CodedBodiesAreStoredAsSentAndInflateAfter)
{
    for (const char* path : {"/gzip", "/x-gzip", "/deflate-zlib", "/deflate-raw"})
    {
        SCOPED_TRACE(path);
        CClient client(s_port);
        ASSERT_TRUE(client.Connect());
        ASSERT_EQ(client.Request(path), kResultOk);
        SResponseLengths lengths;
        ASSERT_EQ(ParseResponseHeaders(client.m_status, client.m_item, client.m_header, lengths), kResultOk);
        int64_t size = 0;
        ASSERT_TRUE(client.m_item.GetInt64(LI_SIZE, size));
        EXPECT_EQ(size, -1);
        EXPECT_GT(lengths.m_contentLength, 0);
        ASSERT_EQ(client.Body(), kResultOk);
        EXPECT_EQ(static_cast<int64_t>(client.m_body.m_bytes.size()), lengths.m_contentLength);

        const std::string encoding = client.m_item.GetStringValue(LI_CONTENT_ENCODING);
        ASSERT_TRUE(MustInflateBody(encoding, client.m_item.GetStringValue(LI_CONTENT_TYPE)));
        CTempFolder folder;
        WriteWhole(folder / "body", client.m_body.m_bytes);
        CStringGunzipSink inflated;
        EXPECT_EQ(InflateBodyFile(folder / "body", encoding, inflated), kResultOk);
        EXPECT_TRUE(SameBytes(inflated.m_data, Sample()));
    }
}

namespace
{

// nginx compresses text files on the fly; such answers have no length and
// come chunked.
const char* const kGzipConfig = "    gzip on;\n    gzip_types text/plain;\n    gzip_min_length 1;\n"
                                "    keepalive_requests 100;\n";
const char* const kRedirectConfig = "        location = /old { return 301 /text/page.txt; }\n";

std::string PageText()
{
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "paragraph " + std::to_string(i) + " of a page that compresses well\n";
    return text;
}

} // namespace

TEST(HttpBodyNginxInterop, RealChunkedGzipRangeAndRedirectOnOneConnection)
{
    CNginxServer nginx;
    CNginxServer::Options options;
    options.m_httpConfig = kGzipConfig;
    options.m_serverConfig = kRedirectConfig;
    const std::string page = PageText();
    std::string data;
    for (int i = 0; i < 3000; ++i)
        data += static_cast<char>(i * 7 % 256);
    ASSERT_TRUE(nginx.WriteDocument("text/page.txt", page));
    ASSERT_TRUE(nginx.WriteDocument("files/data.bin", data));
    ASSERT_TRUE(nginx.Start(options));

    CClient client(nginx.HttpPort());
    ASSERT_TRUE(client.Connect());

    // A compressed text: chunked, gzip, no size known.
    ASSERT_EQ(client.Request("/text/page.txt"), kResultOk) << client.Log();
    ASSERT_EQ(client.m_status, 200);
    EXPECT_TRUE(IsChunkedBody(client.m_header)) << client.Log();
    SResponseLengths lengths;
    ASSERT_EQ(ParseResponseHeaders(200, client.m_item, client.m_header, lengths), kResultOk);
    EXPECT_EQ(client.m_item.GetStringValue(LI_CONTENT_ENCODING), "gzip");
    int known = -1;
    EXPECT_TRUE(client.m_item.GetInt(LI_SIZE_KNOWN, known));
    EXPECT_EQ(known, 0);
    ASSERT_EQ(client.Body(), kResultOk) << client.Log();
    EXPECT_EQ(client.m_progress.m_total, static_cast<int64_t>(client.m_body.m_bytes.size()));
    CTempFolder folder;
    WriteWhole(folder / "page.txt", client.m_body.m_bytes);
    CStringGunzipSink inflated;
    EXPECT_EQ(InflateBodyFile(folder / "page.txt", "gzip", inflated), kResultOk);
    EXPECT_TRUE(SameBytes(inflated.m_data, page));
    EXPECT_FALSE(client.m_channel.m_dropped);

    // A range of a binary file on the same connection.
    ASSERT_EQ(client.Request("/files/data.bin", 1000, 1999), kResultOk) << client.Log();
    ASSERT_EQ(client.m_status, 206);
    ASSERT_EQ(ParseResponseHeaders(206, client.m_item, client.m_header, lengths), kResultOk);
    EXPECT_EQ(lengths.m_rangeStart, 1000);
    EXPECT_EQ(lengths.m_rangeEnd, 1999);
    EXPECT_EQ(lengths.m_size, 3000);
    EXPECT_EQ(lengths.m_contentLength, 1000);
    ASSERT_EQ(client.Body(), kResultOk);
    EXPECT_TRUE(SameBytes(client.m_body.m_bytes, data.substr(1000, 1000)));

    // A redirect's page read away for the log, then the next answer.
    ASSERT_EQ(client.Request("/old"), kResultOk);
    ASSERT_EQ(client.m_status, 301);
    EXPECT_EQ(ReadBodyToLog(client.m_channel, client.m_receive, client.m_header, client.m_log, true),
              kResultOk);
    EXPECT_NE(client.Log().find("\t<head><title>301 Moved Permanently</title></head>"), std::string::npos)
        << client.Log();
    ASSERT_EQ(client.Request("/files/data.bin"), kResultOk);
    ASSERT_EQ(client.m_status, 200);
    ASSERT_EQ(client.Body(), kResultOk);
    EXPECT_TRUE(SameBytes(client.m_body.m_bytes, data));

    EXPECT_FALSE(client.m_channel.m_dropped);
    EXPECT_TRUE(client.m_channel.m_keepAlive);
}
