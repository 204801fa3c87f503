#pragma once
// A test suite whose TLS clients trust only the test CA. The certificates
// are made once per suite; each test points OpenSSL's default trust at them
// (and at an empty folder), so no outcome depends on the machine's own
// certificates, and forgets the client settings of the test before.

#include <gtest/gtest.h>

#include "Common/SslClientSettings.h"
#include "tests/servers/TestCertificates.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"
#include "transfer/net/Connection.h"

class CTlsTestSuite : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_folder = new CTempFolder();
        s_certificates = new CTestCertificates();
        ASSERT_TRUE(s_certificates->Generate(s_folder->Path()));
    }

    static void TearDownTestSuite()
    {
        delete s_certificates;
        delete s_folder;
        s_certificates = nullptr;
        s_folder = nullptr;
    }

    void SetUp() override
    {
        ASSERT_TRUE(SocketsStartup(1));
        m_environment.Set("SSL_CERT_FILE", Certificates().CaCertificate());
        m_environment.Set("SSL_CERT_DIR", m_emptyFolder.Path());
        GetSslClientSettings().Reset();
    }

    void TearDown() override { GetSslClientSettings().Reset(); }

    static const CTestCertificates& Certificates() { return *s_certificates; }

private:
    static inline CTempFolder* s_folder = nullptr;
    static inline CTestCertificates* s_certificates = nullptr;
    CTempFolder m_emptyFolder;
    ScopedEnvironment m_environment;
};
