// The parts of the TLS layer that need no server: protocol choices, time
// texts, certificate summaries, the accepted-certificates file and reading
// a client certificate. Fixture certificates: tests/fixtures/tls (made with
// the openssl command line; fingerprints as "openssl x509 -fingerprint
// -sha256" prints them).

#include "Common/SSLCertInfo.h"
#include "Common/SslCertificateStore.h"
#include "Common/SslClientCertificate.h"
#include "Common/SslMethodChoice.h"

#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <memory>
#include <string>
#include <sys/stat.h>

namespace
{

const std::string kTlsFixtures = std::string(TW_FIXTURES_DIR) + "/tls";
constexpr const char* kLongLivedFingerprint =
    "E5:CE:A2:FD:C3:F4:79:0E:17:23:EF:35:BA:29:74:A0:DC:65:B5:CC:04:"
    "80:52:DF:FF:9F:E6:9D:91:72:C8:C5";
constexpr const char* kClientPassPhrase = "fixture phrase";

struct X509Free
{
    void operator()(X509* certificate) const { X509_free(certificate); }
};
using X509Ptr = std::unique_ptr<X509, X509Free>;

X509Ptr ReadCertificate(const std::string& path)
{
    BIO* file = BIO_new_file(path.c_str(), "r");
    if (!file)
        return nullptr;
    X509Ptr certificate(PEM_read_bio_X509(file, nullptr, nullptr, nullptr));
    BIO_free(file);
    return certificate;
}

// --- protocol choices ---------------------------------------------------------

TEST(SslMethodChoiceTest, KeepsTheStatusLinesAndKnowsWhatThisOpenSslCanDo)
{
    struct Case
    {
        int m_index;
        const char* m_statusLine;
        bool m_available;
    };
    const Case cases[] = {
        {0, "SSL/TLS client method SSLv2.", false},
        {1, "SSL/TLS client method SSLv3 but can rollback to v2.", true},
#ifdef OPENSSL_NO_SSL3_METHOD
        {2, "SSL/TLS client method SSLv3.", false},
#endif
        {3, "SSL/TLS client method TLSv1.0.", true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.m_index);
        SslMethodChoice choice;
        ASSERT_TRUE(GetSslMethodChoice(c.m_index, choice));
        EXPECT_STREQ(c.m_statusLine, choice.m_statusLine);
        EXPECT_EQ(c.m_available, choice.m_available);
    }
    SslMethodChoice choice;
    EXPECT_FALSE(GetSslMethodChoice(-1, choice));
    EXPECT_FALSE(GetSslMethodChoice(kSslMethodChoiceCount, choice));
}

TEST(SslMethodChoiceTest, BoundsTheContextToTheChosenVersion)
{
    struct Case
    {
        int m_index;
        long m_min; // expected bounds after applying; 0: the library's
        long m_max;
        int m_level; // -1: the context's own level is kept
    };
    const Case cases[] = {
        {1, 0, 0, -1},
        {3, TLS1_VERSION, TLS1_VERSION, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.m_index);
        SSL_CTX* context = SSL_CTX_new(TLS_client_method());
        ASSERT_NE(nullptr, context);
        const long defaultMin = SSL_CTX_get_min_proto_version(context);
        const long defaultMax = SSL_CTX_get_max_proto_version(context);
        const int defaultLevel = SSL_CTX_get_security_level(context);
        SslMethodChoice choice;
        ASSERT_TRUE(GetSslMethodChoice(c.m_index, choice));
        EXPECT_TRUE(ApplySslMethodChoice(context, choice));
        EXPECT_EQ(c.m_min ? c.m_min : defaultMin, SSL_CTX_get_min_proto_version(context));
        EXPECT_EQ(c.m_max ? c.m_max : defaultMax, SSL_CTX_get_max_proto_version(context));
        EXPECT_EQ(c.m_level >= 0 ? c.m_level : defaultLevel, SSL_CTX_get_security_level(context));
        SSL_CTX_free(context);
    }

    SslMethodChoice sslV2;
    ASSERT_TRUE(GetSslMethodChoice(0, sslV2));
    SSL_CTX* context = SSL_CTX_new(TLS_client_method());
    EXPECT_FALSE(ApplySslMethodChoice(context, sslV2));
    SSL_CTX_free(context);
}

// --- certificate texts ------------------------------------------------------------

TEST(SslCertInfoTest, FormatsAsn1TimesAsMonthDayYear)
{
    struct Case
    {
        const char* m_text;
        const char* m_expected;
    };
    const Case cases[] = {
        {"210101000000Z", "01/01/21 00:00:00 GMT"},
        {"991231235958Z", "12/31/99 23:59:58 GMT"},
        // Dates from 2050 on come as GeneralizedTime.
        {"20540427143853Z", "04/27/2054 14:38:53 GMT"},
        {"21010100000Z", ""},   // 12 characters
        {"2101010000000Z", ""}, // 14 characters
        {"210101000000+", ""},  // no Z
        {"21A101000000Z", ""},  // not a digit
        {"2054042714385XZ", ""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.m_expected, FormatAsn1UtcTime(c.m_text)) << c.m_text;
}

TEST(SslCertInfoTest, SummarisesACertificate)
{
    X509Ptr certificate = ReadCertificate(kTlsFixtures + "/long_lived.pem");
    ASSERT_NE(nullptr, certificate);
    CSSLCertInfo info(certificate.get());
    EXPECT_EQ("261210143853Z", info.GetNotBefore());
    EXPECT_EQ("20540427143853Z", info.GetNotAfter());
    EXPECT_EQ("CN=long.example,O=Tanglewarden Fixtures", info.GetSubject());
    EXPECT_EQ(info.GetSubject(), info.GetIssuer());
    EXPECT_EQ(kLongLivedFingerprint, info.GetFingerprint());

    CSSLCertInfo none(nullptr);
    EXPECT_EQ("", none.GetNotAfter());
    EXPECT_EQ("", none.GetSubject());
    EXPECT_EQ("", none.GetFingerprint());
}

// --- accepted-certificates file -------------------------------------------------

class SslCertificateStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_first = ReadCertificate(kTlsFixtures + "/long_lived.pem");
        m_second = ReadCertificate(kTlsFixtures + "/client.pem");
        ASSERT_NE(nullptr, m_first);
        ASSERT_NE(nullptr, m_second);
    }

    CTempFolder m_folder;
    X509Ptr m_first;
    X509Ptr m_second;
};

TEST_F(SslCertificateStoreTest, AddsOnceAndFindsOnlyWhatWasAdded)
{
    CSslCertificateStore store(m_folder / "accepted.pem");
    EXPECT_FALSE(store.Contains(m_first.get()));

    ASSERT_TRUE(store.Add(m_first.get()));
    EXPECT_TRUE(store.Contains(m_first.get()));
    EXPECT_FALSE(store.Contains(m_second.get()));
    EXPECT_EQ(ReadWhole(kTlsFixtures + "/long_lived.pem"), ReadWhole(store.GetPath()));
    struct stat status
    {
    };
    ASSERT_EQ(0, ::stat(store.GetPath().c_str(), &status));
    EXPECT_EQ(0600u, status.st_mode & 0777);

    ASSERT_TRUE(store.Add(m_first.get()));
    EXPECT_EQ(ReadWhole(kTlsFixtures + "/long_lived.pem"), ReadWhole(store.GetPath()));

    ASSERT_TRUE(store.Add(m_second.get()));
    EXPECT_TRUE(store.Contains(m_first.get()));
    EXPECT_TRUE(store.Contains(m_second.get()));
    EXPECT_EQ(ReadWhole(kTlsFixtures + "/long_lived.pem") + ReadWhole(kTlsFixtures + "/client.pem"),
              ReadWhole(store.GetPath()));

    // Another store object over the same file sees the same certificates.
    EXPECT_TRUE(CSslCertificateStore(store.GetPath()).Contains(m_second.get()));
}

TEST_F(SslCertificateStoreTest, KeepsWhatTheFileHeldBeforeByteForByte)
{
    const std::string path = m_folder / "accepted.pem";
    const std::string old = "# kept by hand\n" + ReadWhole(kTlsFixtures + "/client.pem") + "trailing note";
    WriteWhole(path, old);
    CSslCertificateStore store(path);
    EXPECT_TRUE(store.Contains(m_second.get()));

    ASSERT_TRUE(store.Add(m_first.get()));

    EXPECT_EQ(old + "\n" + ReadWhole(kTlsFixtures + "/long_lived.pem"), ReadWhole(path));
    EXPECT_TRUE(store.Contains(m_first.get()));
    EXPECT_TRUE(store.Contains(m_second.get()));
}

TEST_F(SslCertificateStoreTest, DamagedBlockEndsTheLookUpButNotTheBlocksBefore)
{
    const std::string path = m_folder / "accepted.pem";
    WriteWhole(path, ReadWhole(kTlsFixtures + "/client.pem") +
                         "-----BEGIN CERTIFICATE-----\nnot base64 at all\n-----END CERTIFICATE-----\n" +
                         ReadWhole(kTlsFixtures + "/long_lived.pem"));
    CSslCertificateStore store(path);
    EXPECT_TRUE(store.Contains(m_second.get()));
    EXPECT_FALSE(store.Contains(m_first.get()));
}

TEST_F(SslCertificateStoreTest, FailsWithoutTouchingWhatItCannotRead)
{
    EXPECT_FALSE(CSslCertificateStore("").Add(m_first.get()));
    EXPECT_FALSE(CSslCertificateStore("").Contains(m_first.get()));

    // A folder where the file should be: nothing to read, nothing replaced.
    ASSERT_EQ(0, ::mkdir((m_folder / "folder.pem").c_str(), 0700));
    CSslCertificateStore folder(m_folder / "folder.pem");
    EXPECT_FALSE(folder.Add(m_first.get()));
    EXPECT_FALSE(folder.Contains(m_first.get()));
    struct stat status
    {
    };
    ASSERT_EQ(0, ::stat((m_folder / "folder.pem").c_str(), &status));
    EXPECT_TRUE(S_ISDIR(status.st_mode));

    // A folder that does not exist cannot take the file.
    EXPECT_FALSE(CSslCertificateStore(m_folder / "missing/accepted.pem").Add(m_first.get()));
}

// --- client certificate ----------------------------------------------------------

TEST(SslClientCertificateTest, UnlocksTheKeyWithItsPassPhraseOnly)
{
    CTempFolder folder;
    const std::string certificateFile = kTlsFixtures + "/client.pem";
    const std::string keyFile = kTlsFixtures + "/client.key";
    const std::string combined = folder / "combined.pem";
    WriteWhole(combined, ReadWhole(certificateFile) + ReadWhole(keyFile));

    struct Case
    {
        const char* m_name;
        SslClientIdentity m_identity;
        const char* m_error; // null: loads
    };
    const Case cases[] = {
        {"separate files", {certificateFile, keyFile, kClientPassPhrase}, nullptr},
        {"key in the certificate file", {combined, "", kClientPassPhrase}, nullptr},
        {"wrong pass phrase", {certificateFile, keyFile, "fixture phrase!"}, "cannot read the private key"},
        {"no pass phrase", {certificateFile, keyFile, ""}, "cannot read the private key"},
        {"key of another certificate",
         {certificateFile, kTlsFixtures + "/other.key", ""},
         "does not belong to the certificate"},
        {"no key at all", {certificateFile, "", kClientPassPhrase}, "cannot read the private key"},
        {"missing certificate",
         {folder / "none.pem", keyFile, kClientPassPhrase},
         "cannot read a certificate"},
        {"nothing configured", {"", "", ""}, "no certificate file"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.m_name);
        X509* certificate = reinterpret_cast<X509*>(1);
        EVP_PKEY* key = reinterpret_cast<EVP_PKEY*>(1);
        std::string error;
        bool loaded = LoadSslClientCertificate(c.m_identity, &certificate, &key, error);
        if (!c.m_error)
        {
            ASSERT_TRUE(loaded) << error;
            ASSERT_NE(nullptr, certificate);
            ASSERT_NE(nullptr, key);
            EXPECT_EQ(1, X509_check_private_key(certificate, key));
            X509_free(certificate);
            EVP_PKEY_free(key);
        }
        else
        {
            EXPECT_FALSE(loaded);
            EXPECT_EQ(nullptr, certificate);
            EXPECT_EQ(nullptr, key);
            EXPECT_NE(std::string::npos, error.find(c.m_error)) << error;
            EXPECT_EQ(std::string::npos, error.find(kClientPassPhrase)) << error;
        }
    }
}

} // namespace
