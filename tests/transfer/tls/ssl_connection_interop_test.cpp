// TLS through CConnection::StartSsl against real servers on 127.0.0.1:
// nginx and "openssl s_server", with certificates made for the test run.

#include "Common/SSLConnection.h"
#include "Common/SslClientSettings.h"
#include "foundation/files/FileSystem.h"
#include "transfer/net/Connection.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/base/TransferLog.h"

#include "tests/servers/NginxServer.h"
#include "tests/servers/OpenSslServer.h"
#include "tests/servers/TestCertificates.h"
#include "tests/support/FileContents.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TlsTestSuite.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <openssl/x509_vfy.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace
{

constexpr int kMethodSslV2 = 0;
constexpr int kMethodFlexible = 1;
constexpr int kMethodSslV3 = 2;
constexpr int kMethodTls10 = 3;

constexpr const char* kRequest = "GET /index.html HTTP/1.0\r\nHost: localhost\r\n\r\n";
constexpr const char* kPage = "hello over tls\n";
constexpr const char* kSecurityLevel0 = "DEFAULT:@SECLEVEL=0";

size_t CountOf(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// What one connection gave.
struct TlsOutcome
{
    bool m_started = false;
    int m_error = 0;
    std::string m_protocol; // negotiated, "" when not connected
    std::string m_reply;    // everything read after the request
    std::string m_log;
};

class CRecordingPrompt : public ISslCertificatePrompt
{
public:
    explicit CRecordingPrompt(SslCertAnswer answer) : m_answer(answer) {}
    SslCertAnswer AskServerCertificate(const SslCertQuestion& question) override
    {
        m_questions.push_back(question);
        return m_answer;
    }

    SslCertAnswer m_answer;
    std::vector<SslCertQuestion> m_questions;
};

// Connects to host:port, starts TLS with the method and, when that worked,
// sends the request and reads until the server closes. serverName replaces
// the name the connection got from host when it is not null.
TlsOutcome RunTls(const std::string& host, int port, int method, const char* serverName = nullptr)
{
    TlsOutcome outcome;
    auto* log = new CTransferLog(1);
    {
        CConnection connection;
        connection.SetTimeout(10000);
        if (!connection.ConnectHost(host.c_str(), port, log))
        {
            ADD_FAILURE() << "cannot connect to " << host << ":" << port;
        }
        else
        {
            if (serverName)
                connection.SetServerName(serverName);
            outcome.m_started = connection.StartSsl(method, log);
            outcome.m_error = connection.GetLastError();
            if (outcome.m_started)
            {
                outcome.m_protocol = connection.GetSsl()->GetProtocolName();
                const std::string request = kRequest;
                EXPECT_EQ(static_cast<int>(request.size()),
                          connection.Send(request.data(), static_cast<int>(request.size())));
                char buffer[4096];
                for (int reads = 0; reads < 1000 && outcome.m_reply.size() < 1000000; ++reads)
                {
                    int count = connection.Recv(buffer, sizeof buffer);
                    if (count <= 0)
                        break;
                    outcome.m_reply.append(buffer, static_cast<size_t>(count));
                }
            }
        }
        connection.Close();
    }
    log->GetText(outcome.m_log);
    log->Release();
    return outcome;
}

class SslConnectionInteropTest : public CTlsTestSuite
{
protected:
    // nginx with HTTPS from the given certificate, serving kPage.
    bool StartNginx(CNginxServer& server, CNginxServer::Options options)
    {
        if (options.m_certificate.empty())
        {
            options.m_certificate = Certificates().ServerCertificate();
            options.m_key = Certificates().ServerKey();
        }
        return server.WriteDocument("index.html", kPage) && server.Start(options);
    }

    bool StartNginxWith(CNginxServer& server, const std::string& certificate, const std::string& key)
    {
        CNginxServer::Options options;
        options.m_certificate = certificate;
        options.m_key = key;
        return StartNginx(server, options);
    }

    void AcceptAlwaysInto(const std::string& path, const std::shared_ptr<CRecordingPrompt>& prompt)
    {
        GetSslClientSettings().SetAcceptedCertificatesFile(path);
        GetSslClientSettings().SetCertificatePrompt(prompt);
    }

    CTempFolder m_scratch;
};

// --- protocol versions -----------------------------------------------------

struct VersionCase
{
    const char* m_name;
    std::vector<std::string> m_serverArgs; // s_server arguments
    int m_method;
    const char* m_protocol; // expected; null: the handshake must fail
};

class SslVersionWithOpenSslServerTest : public SslConnectionInteropTest,
                                        public ::testing::WithParamInterface<VersionCase>
{
};

TEST_P(SslVersionWithOpenSslServerTest, NegotiatesTheChosenVersionOrFailsCleanly)
{
    const VersionCase& c = GetParam();
    COpenSslServer server;
    ASSERT_TRUE(server.Start(Certificates().ServerCertificate(), Certificates().ServerKey(), c.m_serverArgs));

    TlsOutcome outcome = RunTls("localhost", server.Port(), c.m_method);

    if (c.m_protocol)
    {
        ASSERT_TRUE(outcome.m_started) << outcome.m_log << server.Log();
        EXPECT_EQ(c.m_protocol, outcome.m_protocol);
        // The server's own view of the session.
        EXPECT_NE(std::string::npos, outcome.m_reply.find(std::string("Protocol  : ") + c.m_protocol))
            << outcome.m_reply;
        EXPECT_NE(std::string::npos, outcome.m_log.find("SSL negotiate: ")) << outcome.m_log;
        EXPECT_EQ(1u, CountOf(outcome.m_log, "Server certificate was auto accepted.")) << outcome.m_log;
    }
    else
    {
        EXPECT_FALSE(outcome.m_started) << outcome.m_protocol;
        EXPECT_EQ(kResultSslStart, outcome.m_error);
        EXPECT_NE(std::string::npos, outcome.m_log.find("SSL handshake failed: ")) << outcome.m_log;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Versions, SslVersionWithOpenSslServerTest,
    ::testing::Values(
        VersionCase{"Tls13", {"-tls1_3"}, kMethodFlexible, "TLSv1.3"},
        VersionCase{"Tls12", {"-tls1_2"}, kMethodFlexible, "TLSv1.2"},
        // The TLS 1.0 choice lowers the client's security level
        // to 0, so a server that offers TLS 1.0 gets it.
        VersionCase{"Tls10", {"-tls1", "-cipher", kSecurityLevel0}, kMethodTls10, "TLSv1"},
        // The flexible choice keeps OpenSSL's level, which
        // does not allow TLS 1.0.
        VersionCase{"FlexibleRefusesTls10", {"-tls1", "-cipher", kSecurityLevel0}, kMethodFlexible, nullptr},
        VersionCase{"Tls10AgainstTls12Only", {"-tls1_2"}, kMethodTls10, nullptr}),
    [](const ::testing::TestParamInfo<VersionCase>& info) { return std::string(info.param.m_name); });

struct NginxVersionCase
{
    const char* m_name;
    const char* m_sslProtocols;
    const char* m_sslCiphers;
    int m_method;
    const char* m_protocol; // expected; null: the handshake must fail
};

class SslVersionWithNginxTest : public SslConnectionInteropTest,
                                public ::testing::WithParamInterface<NginxVersionCase>
{
};

TEST_P(SslVersionWithNginxTest, NegotiatesTheChosenVersionOrFailsCleanly)
{
    const NginxVersionCase& c = GetParam();
    CNginxServer server;
    CNginxServer::Options options;
    options.m_sslProtocols = c.m_sslProtocols;
    options.m_sslCiphers = c.m_sslCiphers;
    ASSERT_TRUE(StartNginx(server, options));

    TlsOutcome outcome = RunTls("localhost", server.HttpsPort(), c.m_method);

    if (c.m_protocol)
    {
        ASSERT_TRUE(outcome.m_started) << outcome.m_log << server.ErrorLog();
        EXPECT_EQ(c.m_protocol, outcome.m_protocol);
        EXPECT_NE(std::string::npos, outcome.m_reply.find("200 OK")) << outcome.m_reply;
        EXPECT_NE(std::string::npos, outcome.m_reply.find(kPage)) << outcome.m_reply;
        EXPECT_NE(std::string::npos,
                  server.AccessLog().find(std::string("protocol=\"") + c.m_protocol + "\""))
            << server.AccessLog();
    }
    else
    {
        EXPECT_FALSE(outcome.m_started) << outcome.m_protocol;
        EXPECT_EQ(kResultSslStart, outcome.m_error);
        EXPECT_NE(std::string::npos, outcome.m_log.find("SSL handshake failed: ")) << outcome.m_log;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Versions, SslVersionWithNginxTest,
    // nginx 1.22 offers TLS 1.0 to 1.2 by default; TLS 1.3 must be named.
    ::testing::Values(NginxVersionCase{"Defaults", "", "", kMethodFlexible, "TLSv1.2"},
                      NginxVersionCase{"Tls13", "TLSv1.2 TLSv1.3", "", kMethodFlexible, "TLSv1.3"},
                      NginxVersionCase{"Tls12Only", "TLSv1.2", "", kMethodFlexible, "TLSv1.2"},
                      // nginx offers TLS 1.0, but its OpenSSL at the
                      // default security level will not speak it: the
                      // client's TLS 1.0 choice ends with the TLS error.
                      NginxVersionCase{"Tls10AtDefaultLevel", "TLSv1", "", kMethodTls10, nullptr},
                      NginxVersionCase{"Tls10AtLevel0", "TLSv1", kSecurityLevel0, kMethodTls10, "TLSv1"}),
    [](const ::testing::TestParamInfo<NginxVersionCase>& info) { return std::string(info.param.m_name); });

TEST_F(SslConnectionInteropTest, ChoicesThisOpenSslCannotDoFailBeforeAnyHandshake)
{
    COpenSslServer server;
    ASSERT_TRUE(server.Start(Certificates().ServerCertificate(), Certificates().ServerKey()));
    struct Case
    {
        int m_method;
        const char* m_statusLine; // null: none
    };
    const Case cases[] = {
        {kMethodSslV2, "S:\tSSL/TLS client method SSLv2.\r\n"},
#ifdef OPENSSL_NO_SSL3_METHOD
        {kMethodSslV3, "S:\tSSL/TLS client method SSLv3.\r\n"},
#endif
        {4, nullptr},
        {-1, nullptr},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.m_method);
        TlsOutcome outcome = RunTls("localhost", server.Port(), c.m_method);
        EXPECT_FALSE(outcome.m_started);
        EXPECT_EQ(kResultSslStart, outcome.m_error);
        std::string expected = c.m_statusLine ? c.m_statusLine : "";
        expected += "E:\tSSL/TLS client method is unknown or not specified correctly.\r\n";
        EXPECT_NE(std::string::npos, outcome.m_log.find(expected)) << outcome.m_log;
        EXPECT_EQ(std::string::npos, outcome.m_log.find("SSL negotiate")) << outcome.m_log;
    }
}

// --- server name -----------------------------------------------------------

TEST_F(SslConnectionInteropTest, SendsTheHostNameAsSniButNoAddress)
{
    CNginxServer server;
    ASSERT_TRUE(StartNginx(server, {}));

    TlsOutcome byName = RunTls("localhost", server.HttpsPort(), kMethodFlexible);
    ASSERT_TRUE(byName.m_started) << byName.m_log;
    EXPECT_NE(std::string::npos, server.AccessLog().find("sni=\"localhost\"")) << server.AccessLog();

    // An address is never sent as a name (RFC 6066); the certificate is
    // still checked against it.
    TlsOutcome byAddress = RunTls("127.0.0.1", server.HttpsPort(), kMethodFlexible);
    ASSERT_TRUE(byAddress.m_started) << byAddress.m_log;
    EXPECT_EQ(1u, CountOf(server.AccessLog(), "sni=\"-\"")) << server.AccessLog();
    EXPECT_EQ(1u, CountOf(byAddress.m_log, "Server certificate was auto accepted.")) << byAddress.m_log;
}

TEST_F(SslConnectionInteropTest, CertificateForAnotherNameIsNotTrusted)
{
    CNginxServer server;
    ASSERT_TRUE(StartNginx(server, {}));

    TlsOutcome outcome = RunTls("127.0.0.1", server.HttpsPort(), kMethodFlexible, "www.example.org");

    EXPECT_FALSE(outcome.m_started);
    EXPECT_EQ(kResultSslStart, outcome.m_error);
    EXPECT_NE(std::string::npos, outcome.m_log.find("Server certificate check failed: hostname mismatch."))
        << outcome.m_log;
    EXPECT_EQ(std::string::npos, server.AccessLog().find("GET")) << server.AccessLog();
}

TEST_F(SslConnectionInteropTest, NameThatCannotBeCheckedFailsBeforeTheHandshake)
{
    CNginxServer server;
    ASSERT_TRUE(StartNginx(server, {}));
    // Longer than any host name that SNI can carry.
    const std::string name = std::string(300, 'a') + ".example";

    TlsOutcome outcome = RunTls("127.0.0.1", server.HttpsPort(), kMethodFlexible, name.c_str());

    EXPECT_FALSE(outcome.m_started);
    EXPECT_EQ(kResultSslStart, outcome.m_error);
    EXPECT_NE(std::string::npos, outcome.m_log.find("E:\tSSL/TLS: cannot check the server name"))
        << outcome.m_log;
    EXPECT_EQ(std::string::npos, outcome.m_log.find("SSL negotiate")) << outcome.m_log;
}

// --- certificates that fail the check --------------------------------------

TEST_F(SslConnectionInteropTest, VerifiedCertificateIsAcceptedWithoutAsking)
{
    auto prompt = std::make_shared<CRecordingPrompt>(SslCertAnswer::Refuse);
    GetSslClientSettings().SetCertificatePrompt(prompt);
    CNginxServer server;
    ASSERT_TRUE(StartNginx(server, {}));

    TlsOutcome outcome = RunTls("localhost", server.HttpsPort(), kMethodFlexible);

    ASSERT_TRUE(outcome.m_started) << outcome.m_log;
    EXPECT_TRUE(prompt->m_questions.empty());
    EXPECT_EQ(1u, CountOf(outcome.m_log, "Server certificate info: valid from ")) << outcome.m_log;
    EXPECT_EQ(1u, CountOf(outcome.m_log, "Server certificate was auto accepted.")) << outcome.m_log;
    EXPECT_EQ(std::string::npos, outcome.m_log.find("check failed")) << outcome.m_log;
}

TEST_F(SslConnectionInteropTest, UntrustedCertificateWithNobodyToAskIsRefused)
{
    CNginxServer server;
    ASSERT_TRUE(
        StartNginxWith(server, Certificates().SelfSignedCertificate(), Certificates().SelfSignedKey()));

    TlsOutcome outcome = RunTls("localhost", server.HttpsPort(), kMethodFlexible);

    EXPECT_FALSE(outcome.m_started);
    EXPECT_EQ(kResultSslStart, outcome.m_error);
    EXPECT_NE(std::string::npos,
              outcome.m_log.find("Server certificate check failed: self-signed certificate."))
        << outcome.m_log;
    EXPECT_NE(std::string::npos, outcome.m_log.find("E:\tServer certificate refused: nobody was asked"))
        << outcome.m_log;
    EXPECT_EQ(std::string::npos, server.AccessLog().find("GET")) << server.AccessLog();
}

TEST_F(SslConnectionInteropTest, RefusedCertificateEndsTheHandshake)
{
    auto prompt = std::make_shared<CRecordingPrompt>(SslCertAnswer::Refuse);
    AcceptAlwaysInto(m_scratch / "accepted.pem", prompt);
    CNginxServer server;
    ASSERT_TRUE(
        StartNginxWith(server, Certificates().SelfSignedCertificate(), Certificates().SelfSignedKey()));

    TlsOutcome outcome = RunTls("localhost", server.HttpsPort(), kMethodFlexible);

    EXPECT_FALSE(outcome.m_started);
    EXPECT_EQ(kResultSslStart, outcome.m_error);
    ASSERT_EQ(1u, prompt->m_questions.size());
    EXPECT_EQ(X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT, prompt->m_questions[0].m_error);
    EXPECT_NE(std::string::npos, outcome.m_log.find("E:\tServer certificate denied by user.\r\n"))
        << outcome.m_log;
    EXPECT_EQ(std::string::npos, server.AccessLog().find("GET")) << server.AccessLog();
    EXPECT_FALSE(FileExists(m_scratch / "accepted.pem"));
}

TEST_F(SslConnectionInteropTest, AcceptOnceAsksAgainNextTime)
{
    auto prompt = std::make_shared<CRecordingPrompt>(SslCertAnswer::AcceptOnce);
    AcceptAlwaysInto(m_scratch / "accepted.pem", prompt);
    CNginxServer server;
    ASSERT_TRUE(
        StartNginxWith(server, Certificates().SelfSignedCertificate(), Certificates().SelfSignedKey()));

    TlsOutcome first = RunTls("localhost", server.HttpsPort(), kMethodFlexible);
    TlsOutcome second = RunTls("localhost", server.HttpsPort(), kMethodFlexible);

    ASSERT_TRUE(first.m_started) << first.m_log;
    ASSERT_TRUE(second.m_started) << second.m_log;
    EXPECT_NE(std::string::npos, first.m_reply.find(kPage)) << first.m_reply;
    EXPECT_EQ(2u, prompt->m_questions.size());
    EXPECT_EQ(1u, CountOf(first.m_log, "Server certificate accepted by user.")) << first.m_log;
    EXPECT_EQ(0u, CountOf(first.m_log, "auto accepted")) << first.m_log;
    EXPECT_FALSE(FileExists(m_scratch / "accepted.pem"));
}

TEST_F(SslConnectionInteropTest, AcceptAlwaysKeepsTheCertificateAndDoesNotAskAgain)
{
    const std::string accepted = m_scratch / "accepted.pem";
    auto prompt = std::make_shared<CRecordingPrompt>(SslCertAnswer::AcceptAlways);
    AcceptAlwaysInto(accepted, prompt);
    CNginxServer server;
    ASSERT_TRUE(
        StartNginxWith(server, Certificates().SelfSignedCertificate(), Certificates().SelfSignedKey()));

    TlsOutcome first = RunTls("localhost", server.HttpsPort(), kMethodFlexible);
    ASSERT_TRUE(first.m_started) << first.m_log;
    ASSERT_EQ(1u, prompt->m_questions.size());
    const SslCertQuestion& question = prompt->m_questions[0];
    EXPECT_EQ("localhost", question.m_host);
    EXPECT_EQ("CN=localhost,O=Self Signed", question.m_subject);
    EXPECT_EQ(question.m_subject, question.m_issuer);
    EXPECT_EQ(95u, question.m_fingerprint.size()) << question.m_fingerprint;
    // The file holds exactly the server's certificate, in the same PEM form.
    EXPECT_EQ(ReadWhole(Certificates().SelfSignedCertificate()), ReadWhole(accepted));
    struct stat status
    {
    };
    ASSERT_EQ(0, ::stat(accepted.c_str(), &status));
    EXPECT_EQ(0600u, status.st_mode & 0777);

    // Next time: no question, and the log tells it was accepted.
    TlsOutcome second = RunTls("localhost", server.HttpsPort(), kMethodFlexible);
    ASSERT_TRUE(second.m_started) << second.m_log;
    EXPECT_EQ(1u, prompt->m_questions.size());
    EXPECT_EQ(1u, CountOf(second.m_log, "Server certificate was auto accepted.")) << second.m_log;
    EXPECT_EQ(ReadWhole(Certificates().SelfSignedCertificate()), ReadWhole(accepted));

    // Another certificate that fails its check is asked about again.
    CNginxServer expired;
    ASSERT_TRUE(StartNginxWith(expired, Certificates().ExpiredCertificate(), Certificates().ExpiredKey()));
    TlsOutcome third = RunTls("localhost", expired.HttpsPort(), kMethodFlexible);
    ASSERT_TRUE(third.m_started) << third.m_log;
    EXPECT_EQ(2u, prompt->m_questions.size());
}

TEST_F(SslConnectionInteropTest, ExpiredCertificateShowsItsDatesAndWhyItFailed)
{
    auto prompt = std::make_shared<CRecordingPrompt>(SslCertAnswer::AcceptOnce);
    GetSslClientSettings().SetCertificatePrompt(prompt);
    COpenSslServer server;
    ASSERT_TRUE(server.Start(Certificates().ExpiredCertificate(), Certificates().ExpiredKey()));

    TlsOutcome outcome = RunTls("localhost", server.Port(), kMethodFlexible);

    ASSERT_TRUE(outcome.m_started) << outcome.m_log;
    ASSERT_EQ(1u, prompt->m_questions.size());
    const SslCertQuestion& question = prompt->m_questions[0];
    EXPECT_EQ(X509_V_ERR_CERT_HAS_EXPIRED, question.m_error);
    EXPECT_EQ("certificate has expired", question.m_errorText);
    EXPECT_EQ("01/01/20 00:00:00 GMT", question.m_validFrom);
    EXPECT_EQ("01/01/21 00:00:00 GMT", question.m_validTo);
    EXPECT_EQ(1u, CountOf(outcome.m_log, "S:\tServer certificate info: valid from 01/01/20 00:00:00 GMT, to "
                                         "01/01/21 00:00:00 GMT.\r\n"))
        << outcome.m_log;
    EXPECT_NE(std::string::npos,
              outcome.m_log.find("Server certificate check failed: certificate has expired."))
        << outcome.m_log;
}

// --- client certificates -----------------------------------------------------

TEST_F(SslConnectionInteropTest, DemandedClientCertificateIsSentWithItsPassPhrase)
{
    GetSslClientSettings().SetClientIdentity(
        {Certificates().ClientCertificate(), Certificates().ClientKey(), Certificates().ClientPassPhrase()});

    // TLS 1.3 (nginx) and TLS 1.2 (s_server) ask for it at different points.
    CNginxServer nginx;
    CNginxServer::Options options;
    options.m_sslProtocols = "TLSv1.3";
    options.m_verifyClient = "on";
    options.m_clientCa = Certificates().CaCertificate();
    ASSERT_TRUE(StartNginx(nginx, options));
    TlsOutcome outcome = RunTls("localhost", nginx.HttpsPort(), kMethodFlexible);
    ASSERT_TRUE(outcome.m_started) << outcome.m_log << nginx.ErrorLog();
    EXPECT_EQ("TLSv1.3", outcome.m_protocol);
    EXPECT_NE(std::string::npos, outcome.m_reply.find(kPage)) << outcome.m_reply;
    EXPECT_NE(std::string::npos, nginx.AccessLog().find("client=\"SUCCESS\"")) << nginx.AccessLog();
    EXPECT_NE(std::string::npos, nginx.AccessLog().find("CN=Test Client")) << nginx.AccessLog();
    EXPECT_EQ(std::string::npos, outcome.m_log.find(Certificates().ClientPassPhrase())) << outcome.m_log;

    COpenSslServer server;
    ASSERT_TRUE(server.Start(Certificates().ServerCertificate(), Certificates().ServerKey(),
                             {"-tls1_2", "-Verify", "1", "-CAfile", Certificates().CaCertificate()}));
    TlsOutcome tls12 = RunTls("localhost", server.Port(), kMethodFlexible);
    ASSERT_TRUE(tls12.m_started) << tls12.m_log << server.Log();
    EXPECT_EQ("TLSv1.2", tls12.m_protocol);
    EXPECT_NE(std::string::npos, tls12.m_reply.find("Test Client")) << tls12.m_reply;
}

TEST_F(SslConnectionInteropTest, DemandedClientCertificateMissingOrLockedFailsTheHandshake)
{
    CNginxServer nginx;
    CNginxServer::Options options;
    options.m_verifyClient = "on";
    options.m_clientCa = Certificates().CaCertificate();
    ASSERT_TRUE(StartNginx(nginx, options));

    TlsOutcome none = RunTls("localhost", nginx.HttpsPort(), kMethodFlexible);
    EXPECT_FALSE(none.m_started);
    EXPECT_EQ(kResultSslStart, none.m_error);
    EXPECT_NE(std::string::npos, none.m_log.find("E:\tNo client certificate found.\r\n")) << none.m_log;

    GetSslClientSettings().SetClientIdentity(
        {Certificates().ClientCertificate(), Certificates().ClientKey(), "not the pass phrase"});
    TlsOutcome locked = RunTls("localhost", nginx.HttpsPort(), kMethodFlexible);
    EXPECT_FALSE(locked.m_started);
    EXPECT_EQ(kResultSslStart, locked.m_error);
    EXPECT_NE(std::string::npos, locked.m_log.find("E:\tCannot use the client certificate")) << locked.m_log;
    EXPECT_EQ(std::string::npos, locked.m_log.find("not the pass phrase")) << locked.m_log;
    EXPECT_EQ(std::string::npos, nginx.AccessLog().find("GET")) << nginx.AccessLog();
}

// --- threads -----------------------------------------------------------------

TEST_F(SslConnectionInteropTest, HandshakesOnManyThreadsShareTheTrustStore)
{
    CNginxServer server;
    ASSERT_TRUE(StartNginx(server, {}));
    // Warm nothing up first: the threads race to build the shared store.
    constexpr int kThreads = 4;
    constexpr int kConnectionsEach = 3;
    std::atomic<int> started{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back(
            [&]
            {
                for (int i = 0; i < kConnectionsEach; ++i)
                {
                    TlsOutcome outcome = RunTls("localhost", server.HttpsPort(), kMethodFlexible);
                    if (outcome.m_started && outcome.m_reply.find(kPage) != std::string::npos)
                        ++started;
                }
            });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(kThreads * kConnectionsEach, started.load());
}

// --- transport -----------------------------------------------------------------

TEST_F(SslConnectionInteropTest, SilentServerEndsTheHandshakeWithTheTlsError)
{
    // A listening socket completes TCP connects but never answers.
    int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(0, ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address));
    ASSERT_EQ(0, ::listen(listener, 4));
    socklen_t length = sizeof address;
    ASSERT_EQ(0, ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length));

    auto* log = new CTransferLog(1);
    CConnection connection;
    connection.SetTimeout(300);
    ASSERT_TRUE(connection.ConnectHost("127.0.0.1", ntohs(address.sin_port), log));
    EXPECT_FALSE(connection.StartSsl(kMethodFlexible, log));
    EXPECT_EQ(kResultSslStart, connection.GetLastError());
    EXPECT_FALSE(connection.IsConnected());
    EXPECT_EQ(nullptr, connection.GetSsl());
    std::string text;
    log->GetText(text);
    EXPECT_NE(std::string::npos, text.find("SSL negotiate: ")) << text; // the hello went out
    EXPECT_EQ(std::string::npos, text.find("raw bytes received")) << text;
    connection.Close();
    log->Release();
    ::close(listener);
}

} // namespace
