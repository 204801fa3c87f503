// Proxy handshakes against the scripted proxy (tests/servers/proxy_script.py),
// which checks the exact bytes a client sends and produces the replies real
// proxies never give: long SOCKS5 replies, replies in single bytes, refusals,
// an endless CONNECT header, a proxy that never answers.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "platform/core/Text.h"
#include "tests/servers/ProxyServers.h"
#include "tests/support/TunnelChecks.h"
#include "transfer/net/Connection.h"
#include "transfer/base/ResultCodes.h"

namespace
{

constexpr int kTestTimeoutMs = 10000;
// The scripted proxy is the target too; the port only travels in the request.
constexpr int kTargetPort = 0x1234;

class ProxyHandshakeInterop : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SocketsStartup(1));
        m_connection.SetTimeout(kTestTimeoutMs);
    }

    bool Connect(const std::string& host, const char* scheme, const std::string& login = std::string())
    {
        const std::string url = Format("%s://%s127.0.0.1:%d", scheme, login.c_str(), m_proxy.Port());
        return m_connection.ConnectViaProxy(host.c_str(), kTargetPort, url.c_str(), m_log.Get());
    }

    // After the client has closed: the bytes it sent in its handshake.
    std::string SentHandshake()
    {
        m_connection.Close();
        return m_proxy.ReportHandshakeHex();
    }

    CScriptedProxy m_proxy;
    CConnection m_connection;
    CCapturedLog m_log;
};

std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int v : values)
        bytes += static_cast<char>(v);
    return bytes;
}

const std::string kSocks5Connect = Bytes({5, 1, 0, 1, 127, 0, 0, 1, 0x12, 0x34});

struct HandshakeCase
{
    const char* name;
    std::vector<std::string> script;
    const char* scheme;
    const char* login; // "user:password@" or ""
    const char* host;
    std::string expected;
};

void PrintTo(const HandshakeCase& c, std::ostream* os)
{
    *os << c.name;
}

class ExactHandshake : public ProxyHandshakeInterop, public ::testing::WithParamInterface<HandshakeCase>
{
};

TEST_P(ExactHandshake, SendsTheseBytesAndOpensThePath)
{
    const HandshakeCase& c = GetParam();
    ASSERT_TRUE(m_proxy.Start(c.script));

    ASSERT_TRUE(Connect(c.host, c.scheme, c.login)) << m_log.Text() << m_proxy.Log();
    EXPECT_TRUE(EchoesThrough(m_connection, "first bytes after the handshake"));
    EXPECT_EQ(SentHandshake(), HexOf(c.expected)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExactHandshake,
    ::testing::Values(HandshakeCase{"SOCKS4 with the URL's user",
                                    {"socks4"},
                                    "socks4",
                                    "alice@",
                                    "127.0.0.1",
                                    Bytes({4, 1, 0x12, 0x34, 127, 0, 0, 1}) + "alice" + Bytes({0})},
                      HandshakeCase{"SOCKS4 without a user sends noname; a name is resolved here",
                                    {"socks4", "--split"},
                                    "socks4",
                                    "",
                                    "localhost",
                                    Bytes({4, 1, 0x12, 0x34, 127, 0, 0, 1}) + "noname" + Bytes({0})},
                      HandshakeCase{"SOCKS5 without a login",
                                    {"socks5"},
                                    "socks5",
                                    "",
                                    "127.0.0.1",
                                    Bytes({5, 1, 0}) + kSocks5Connect},
                      HandshakeCase{"SOCKS5 with an RFC 1929 login",
                                    {"socks5"},
                                    "socks5",
                                    "alice:Secret!@",
                                    "127.0.0.1",
                                    Bytes({5, 1, 2}) + Bytes({1, 5}) + "alice" + Bytes({7}) + "Secret!" +
                                        kSocks5Connect},
                      HandshakeCase{"SOCKS5 reply with a domain name as bound address",
                                    {"socks5", "--atyp", "3", "--split"},
                                    "socks5",
                                    "",
                                    "127.0.0.1",
                                    Bytes({5, 1, 0}) + kSocks5Connect},
                      HandshakeCase{"SOCKS5 reply with an IPv6 bound address",
                                    {"socks5", "--atyp", "4"},
                                    "socks5",
                                    "",
                                    "127.0.0.1",
                                    Bytes({5, 1, 0}) + kSocks5Connect},
                      HandshakeCase{"HTTP CONNECT names the host as given",
                                    {"connect"},
                                    "https",
                                    "",
                                    "www.example.com",
                                    "CONNECT www.example.com:4660 HTTP/1.0\r\n\r\n"},
                      HandshakeCase{"HTTP CONNECT brackets an IPv6 literal",
                                    {"connect"},
                                    "https",
                                    "",
                                    "2001:db8::7",
                                    "CONNECT [2001:db8::7]:4660 HTTP/1.0\r\n\r\n"},
                      HandshakeCase{"HTTP CONNECT with a reply in single bytes",
                                    {"connect", "--split"},
                                    "https",
                                    "",
                                    "127.0.0.1",
                                    "CONNECT 127.0.0.1:4660 HTTP/1.0\r\n\r\n"}),
    [](const ::testing::TestParamInfo<HandshakeCase>& info) { return "Case" + std::to_string(info.index); });

struct RefusalCase
{
    const char* name;
    std::vector<std::string> script;
    const char* scheme;
    std::string login;
    int expectedError;
    std::string expectedSent; // hex of the bytes sent before giving up
};

void PrintTo(const RefusalCase& c, std::ostream* os)
{
    *os << c.name;
}

class RefusedHandshake : public ProxyHandshakeInterop, public ::testing::WithParamInterface<RefusalCase>
{
};

TEST_P(RefusedHandshake, FailsWithTheCodeAndSaysSo)
{
    const RefusalCase& c = GetParam();
    ASSERT_TRUE(m_proxy.Start(c.script));

    EXPECT_FALSE(Connect("127.0.0.1", c.scheme, c.login)) << c.name;
    EXPECT_EQ(m_connection.GetLastError(), c.expectedError) << c.name << "\n" << m_log.Text();
    // A proxy that closed early is reported with its error code, a refusal
    // without.
    const std::string logged = c.expectedError == kWsaConnAborted
                                   ? Format("E:\tCannot connect to 127.0.0.1:%d via proxy (error: %d).",
                                            kTargetPort, kWsaConnAborted)
                                   : Format("E:\tCannot connect to 127.0.0.1:%d via proxy.", kTargetPort);
    EXPECT_TRUE(m_log.Contains(logged)) << c.name << "\n" << m_log.Text();
    EXPECT_EQ(SentHandshake(), c.expectedSent) << c.name;
}

const std::string kSocks4Request = Bytes({4, 1, 0x12, 0x34, 127, 0, 0, 1}) + "noname" + Bytes({0});
const std::string kConnectRequest = "CONNECT 127.0.0.1:4660 HTTP/1.0\r\n\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedHandshake,
    ::testing::Values(RefusalCase{"SOCKS4 request rejected",
                                  {"socks4", "--code", "91"},
                                  "socks4",
                                  "",
                                  kResultInvalidParameter,
                                  HexOf(kSocks4Request)},
                      RefusalCase{"SOCKS4 reply cut short",
                                  {"socks4", "--truncate", "4"},
                                  "socks4",
                                  "",
                                  kWsaConnAborted,
                                  HexOf(kSocks4Request)},
                      RefusalCase{"SOCKS5 no acceptable method",
                                  {"socks5", "--method", "255"},
                                  "socks5",
                                  "",
                                  kResultInvalidParameter,
                                  HexOf(Bytes({5, 1, 0}))},
                      RefusalCase{"SOCKS5 asks for a login the URL lacks the password of",
                                  {"socks5", "--method", "2"},
                                  "socks5",
                                  "alice@",
                                  kResultInvalidParameter,
                                  HexOf(Bytes({5, 1, 2}))},
                      RefusalCase{"SOCKS5 login refused (status 1)",
                                  {"socks5", "--auth-status", "1"},
                                  "socks5",
                                  "alice:wrong@",
                                  kResultInvalidParameter,
                                  HexOf(Bytes({5, 1, 2, 1, 5}) + "alice" + Bytes({5}) + "wrong")},
                      RefusalCase{"SOCKS5 user name too long for RFC 1929",
                                  {"socks5"},
                                  "socks5",
                                  std::string(300, 'u') + ":pw@",
                                  kResultInvalidParameter,
                                  HexOf(Bytes({5, 1, 2}))},
                      RefusalCase{"SOCKS5 CONNECT refused: the reply code is the result",
                                  {"socks5", "--rep", "2"},
                                  "socks5",
                                  "",
                                  2,
                                  HexOf(Bytes({5, 1, 0}) + kSocks5Connect)},
                      RefusalCase{"SOCKS5 reply with an unknown address type",
                                  {"socks5", "--atyp", "9"},
                                  "socks5",
                                  "",
                                  kResultInvalidParameter,
                                  HexOf(Bytes({5, 1, 0}) + kSocks5Connect)},
                      RefusalCase{"SOCKS5 reply cut inside its domain name",
                                  {"socks5", "--atyp", "3", "--truncate", "12"},
                                  "socks5",
                                  "",
                                  kWsaConnAborted,
                                  HexOf(Bytes({5, 1, 0}) + kSocks5Connect)},
                      RefusalCase{"CONNECT answered with 407",
                                  {"connect", "--status", "407 Proxy Authentication Required"},
                                  "https",
                                  "",
                                  kResultInvalidParameter,
                                  HexOf(kConnectRequest)},
                      RefusalCase{"CONNECT answered with no HTTP status line",
                                  {"connect", "--status", "x"},
                                  "https",
                                  "",
                                  kResultInvalidParameter,
                                  HexOf(kConnectRequest)},
                      RefusalCase{"CONNECT reply ending before its blank line",
                                  {"connect", "--truncate", "20"},
                                  "https",
                                  "",
                                  kWsaConnAborted,
                                  HexOf(kConnectRequest)}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return "Case" + std::to_string(info.index); });

// Counts what the connection reports to its traffic observer.
class CByteCounter : public ITrafficObserver
{
public:
    void OnReceived(int bytes) override { m_received += bytes; }
    void OnSent(int bytes) override { m_sent += bytes; }
    int m_received = 0;
    int m_sent = 0;
};

TEST_F(ProxyHandshakeInterop, ServerBytesRightAfterTheConnectReplyReachTheClient)
{
    // A server that speaks first (FTP) may be quick enough for its greeting
    // to arrive with the proxy's reply.
    const std::string greeting = "220 ready\r\n";
    ASSERT_TRUE(m_proxy.Start({"connect", "--extra", greeting}));
    CByteCounter counter;
    m_connection.SetTrafficObserver(&counter);

    ASSERT_TRUE(Connect("127.0.0.1", "https")) << m_log.Text();
    const std::string reply = "HTTP/1.0 200 Connection established\r\n\r\n";
    EXPECT_EQ(counter.m_received, static_cast<int>(reply.size()));
    EXPECT_TRUE(m_log.Contains("<:\tHTTP/1.0 200 Connection established")) << m_log.Text();
    EXPECT_FALSE(m_log.Contains("220 ready")) << m_log.Text();

    char buffer[64];
    std::string received;
    for (int attempt = 0; attempt < 16 && received.size() < greeting.size(); ++attempt)
    {
        const int n = m_connection.Recv(buffer, static_cast<int>(greeting.size() - received.size()));
        ASSERT_GT(n, 0) << m_connection.GetLastError();
        received.append(buffer, static_cast<size_t>(n));
    }
    EXPECT_EQ(received, greeting);
    EXPECT_EQ(counter.m_received, static_cast<int>(reply.size() + greeting.size()));
    EXPECT_TRUE(EchoesThrough(m_connection, "and the tunnel goes on"));
    m_connection.SetTrafficObserver(nullptr);
}

TEST_F(ProxyHandshakeInterop, EndlessConnectHeaderIsCutAndTheConnectionDropped)
{
    ASSERT_TRUE(m_proxy.Start({"connect", "--endless"}));

    EXPECT_FALSE(Connect("127.0.0.1", "https"));
    EXPECT_EQ(m_connection.GetLastError(), kResultProtocolError) << m_log.Text();
    EXPECT_FALSE(m_connection.IsConnected());
    EXPECT_TRUE(m_log.Contains("Protocol error: proxy reply header too long.")) << m_log.Text();
    EXPECT_TRUE(m_log.Contains(Format("Cannot connect to 127.0.0.1:%d via proxy.", kTargetPort)))
        << m_log.Text();
}

class SilentProxy : public ProxyHandshakeInterop, public ::testing::WithParamInterface<const char*>
{
};

TEST_P(SilentProxy, HandshakeEndsWithTheConnectionTimeout)
{
    CTcpModesServer silent;
    ASSERT_TRUE(silent.Start("silent"));
    m_connection.SetTimeout(1000);

    const std::string url = Format("%s://127.0.0.1:%d", GetParam(), silent.Port());
    EXPECT_FALSE(m_connection.ConnectViaProxy("127.0.0.1", kTargetPort, url.c_str(), m_log.Get()));
    EXPECT_EQ(m_connection.GetLastError(), kResultTimeout) << m_log.Text();
    EXPECT_TRUE(m_log.Contains(
        Format("Cannot connect to 127.0.0.1:%d via proxy (error: %d).", kTargetPort, kResultTimeout)))
        << m_log.Text();
}

INSTANTIATE_TEST_SUITE_P(Schemes, SilentProxy, ::testing::Values("socks4", "socks5", "https"),
                         [](const ::testing::TestParamInfo<const char*>& info)
                         { return std::string(info.param); });

} // namespace
