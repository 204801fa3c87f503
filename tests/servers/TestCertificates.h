#pragma once
// Certificates for the TLS tests, made at test time with the openssl command
// line (/usr/bin/openssl) into a folder the test owns. All keys are EC P-256
// (quick to make, accepted at every security level):
// - a test CA (trust it by pointing SSL_CERT_FILE at CaCertificate());
// - a server certificate from that CA for "localhost" and 127.0.0.1;
// - a self-signed server certificate for the same names;
// - an expired server certificate from the CA (valid 2020-01-01 to
//   2021-01-01), so that expiry is its only fault;
// - a client certificate from the CA whose key is encrypted with
//   ClientPassPhrase().
// A missing openssl or a failed step fails the test with the tool's output;
// nothing is skipped.

#include <string>
#include <vector>

class CTestCertificates
{
public:
    static constexpr const char* kClientPassPhrase = "tangle pass 42";

    // Makes everything in folder (which must exist). False, with a gtest
    // failure, when a step fails.
    bool Generate(const std::string& folder);

    std::string CaCertificate() const { return m_folder + "/ca.pem"; }
    std::string ServerCertificate() const { return m_folder + "/server.pem"; }
    std::string ServerKey() const { return m_folder + "/server.key"; }
    std::string SelfSignedCertificate() const { return m_folder + "/selfsigned.pem"; }
    std::string SelfSignedKey() const { return m_folder + "/selfsigned.key"; }
    std::string ExpiredCertificate() const { return m_folder + "/expired.pem"; }
    std::string ExpiredKey() const { return m_folder + "/expired.key"; }
    std::string ClientCertificate() const { return m_folder + "/client.pem"; }
    std::string ClientKey() const { return m_folder + "/client.key"; }
    std::string ClientPassPhrase() const { return kClientPassPhrase; }

private:
    // Runs openssl with args in the folder; false (with the output in a
    // test failure) when it does not exit with 0.
    bool Run(const std::string& step, const std::vector<std::string>& args) const;
    // A new key and signing request; the key encrypted when passPhrase is set.
    bool MakeRequest(const std::string& name, const std::string& subject,
                     const std::string& passPhrase = std::string()) const;
    // Signs name.csr with the CA under extensions section `extensions`.
    bool Sign(const std::string& name, const std::string& extensions, const std::string& startDate,
              const std::string& endDate) const;

    std::string m_folder;
};
