#pragma once
// The process-wide choices of the TLS client that the connection layer does
// not carry per connection (CConnection::StartSsl passes only the protocol
// choice and the log): who decides about a server certificate that could not
// be verified, where the always-accepted certificates are kept, and which
// client certificate to show a server that demands one. The application
// sets them at start-up; every handshake takes a snapshot under the lock, so
// a change applies from the next handshake on.

#include "platform/core/CriticalSection.h"

#include <memory>
#include <string>

// What the user answers about a server certificate.
enum class SslCertAnswer
{
    Refuse,       // the handshake fails (1019), message "Server certificate denied by user."
    AcceptOnce,   // this handshake goes on; the next one asks again
    AcceptAlways, // goes on, and the certificate is kept in the accepted-certificates file
};

// A server certificate whose chain check failed, as shown to the user.
struct SslCertQuestion
{
    std::string m_host;    // the name the connection was opened for ("" when by address)
    std::string m_subject; // RFC 2253 names
    std::string m_issuer;
    std::string m_validFrom; // FormatAsn1UtcTime texts
    std::string m_validTo;
    std::string m_fingerprint; // SHA-256, "AB:CD:..."
    int m_error = 0;           // the first failure of the check (an X509_V_ERR_* value)
    std::string m_errorText;   // its text, "certificate has expired" and so on
};

// Asked on the transfer thread in the middle of the handshake; no lock of the
// TLS layer is held, so other connections go on meanwhile. May block until
// the user answers; a server may give up waiting, which then fails the
// handshake whatever the answer.
class ISslCertificatePrompt
{
public:
    virtual ~ISslCertificatePrompt() = default;
    virtual SslCertAnswer AskServerCertificate(const SslCertQuestion& question) = 0;
};

// A client certificate: PEM files of the certificate and its private key
// (the key may sit in the certificate's file; an empty key file means so)
// and the pass phrase of an encrypted key (empty when it is not encrypted).
// The pass phrase stays in memory only and is never logged.
struct SslClientIdentity
{
    std::string m_certificateFile;
    std::string m_keyFile;
    std::string m_passPhrase;
};

class CSslClientSettings
{
public:
    // Null: nobody can be asked, and a certificate that fails its check and
    // is not in the accepted-certificates file is refused.
    void SetCertificatePrompt(std::shared_ptr<ISslCertificatePrompt> prompt);
    std::shared_ptr<ISslCertificatePrompt> GetCertificatePrompt() const;

    // The PEM file of always-accepted certificates (CSslCertificateStore);
    // empty: none is kept, and "accept always" counts as "accept once".
    void SetAcceptedCertificatesFile(const std::string& path);
    std::string GetAcceptedCertificatesFile() const;

    // An empty certificate file: no client certificate, so a server that
    // asks for one fails the handshake ("No client certificate found.").
    void SetClientIdentity(const SslClientIdentity& identity);
    SslClientIdentity GetClientIdentity() const;

    // Back to nothing set (tests).
    void Reset();

private:
    mutable CCriticalSection m_lock;
    std::shared_ptr<ISslCertificatePrompt> m_prompt;
    std::string m_acceptedFile;
    SslClientIdentity m_identity;
};

CSslClientSettings& GetSslClientSettings();
