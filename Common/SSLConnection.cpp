#include "Common/SSLConnection.h"

#include "Common/SslCertificateStore.h"
#include "Common/SslClientCertificate.h"
#include "Common/SslClientSettings.h"
#include "Common/SslMethodChoice.h"
#include "Common/SslSocketBio.h"
#include "Common/SslTrustStore.h"
#include "platform/core/CriticalSection.h"
#include "transfer/base/LogMessages.h"
#include "transfer/base/TransferLogInterface.h"

#include <arpa/inet.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>

namespace
{

CCriticalSection& SslCertLock()
{
    static CCriticalSection lock;
    return lock;
}

bool IsAddressLiteral(const std::string& host)
{
    unsigned char address[16];
    return inet_pton(AF_INET, host.c_str(), address) == 1 || inet_pton(AF_INET6, host.c_str(), address) == 1;
}

const char* SslStateName(const SSL* ssl)
{
    const char* name = ssl ? SSL_state_string_long(ssl) : nullptr;
    return name ? name : "?";
}

// The first error OpenSSL queued on this thread, as text, and the queue emptied.
std::string TakeSslErrorText()
{
    unsigned long code = ERR_peek_error();
    std::string text;
    if (code)
    {
        char buffer[256];
        ERR_error_string_n(code, buffer, sizeof(buffer));
        text = buffer;
    }
    ERR_clear_error();
    return text;
}

} // namespace

// The OpenSSL callbacks; a friend of CSSLConnection so they reach its fields.
struct SslCallbacks
{
    static CSSLConnection* FromSsl(SSL* ssl)
    {
        return ssl ? static_cast<CSSLConnection*>(SSL_get_app_data(ssl)) : nullptr;
    }

    static CSSLConnection* FromStore(X509_STORE_CTX* store)
    {
        return FromSsl(
            static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx())));
    }

    // Runs the chain check, serialised process-wide, then decides outside
    // the lock (the decision may wait for the user).
    static int ChainCheck(X509_STORE_CTX* store, void*)
    {
        int checked = 0;
        {
            CScopedLock lock(SslCertLock());
            checked = X509_verify_cert(store);
        }
        CSSLConnection* self = FromStore(store);
        if (!self)
            return checked;
        return self->CheckServerCertificate(store, checked > 0) ? 1 : 0;
    }

    // Called by the chain check for every certificate and every failure.
    // Notes the first failure and lets the check go on, so that the whole
    // chain is looked at and the decision is taken once, in ChainCheck.
    static int Verify(int preverified, X509_STORE_CTX* store)
    {
        CSSLConnection* self = FromStore(store);
        if (self && !preverified && self->m_verifyError == X509_V_OK)
        {
            self->m_verifyError = X509_STORE_CTX_get_error(store);
            if (self->m_verifyError == X509_V_OK)
                self->m_verifyError = X509_V_ERR_UNSPECIFIED;
        }
        return 1;
    }

    static int ClientCert(SSL* ssl, X509** certificate, EVP_PKEY** key)
    {
        CSSLConnection* self = FromSsl(ssl);
        return self ? self->ProvideClientCertificate(certificate, key) : -1;
    }

    static void Message(int writeP, int, int contentType, const void*, size_t, SSL* ssl, void* arg)
    {
        auto* log = static_cast<ITransferLog*>(arg);
        if (!log)
            return;
        const char* direction = writeP ? "sent" : "received";
        switch (contentType)
        {
        case SSL3_RT_HEADER:
        case SSL3_RT_INNER_CONTENT_TYPE:
            // Record framing, not messages: logging them would double every line.
            return;
        case SSL3_RT_CHANGE_CIPHER_SPEC:
        case SSL3_RT_HANDSHAKE:
            log->AppendFormat(kLogStatus, "SSL handshake: state: %s %s.", SslStateName(ssl), direction);
            return;
        case SSL3_RT_ALERT:
            log->AppendFormat(kLogStatus, "SSL alert %s.", direction);
            return;
        default:
            log->AppendFormat(kLogStatus, "SSL: state: %s.", SslStateName(ssl));
            return;
        }
    }
};

bool SslGlobalInit(int start)
{
    if (!start)
        return true;
    return OPENSSL_init_ssl(OPENSSL_INIT_LOAD_SSL_STRINGS | OPENSSL_INIT_LOAD_CRYPTO_STRINGS, nullptr) == 1;
}

CSSLConnection::CSSLConnection(IByteStream& transport) : m_transport(transport) {}

CSSLConnection::~CSSLConnection()
{
    Shutdown();
}

std::unique_ptr<CSSLConnection> CSSLConnection::Create(int method, IByteStream& transport, ITransferLog* log,
                                                       const std::string& serverName)
{
    auto connection = std::make_unique<CSSLConnection>(transport);
    if (!connection->Connect(method, log, serverName))
        return nullptr;
    return connection;
}

bool CSSLConnection::CreateContext(const SslMethodChoice& choice)
{
    m_ctx = SSL_CTX_new(TLS_client_method());
    if (!m_ctx || !ApplySslMethodChoice(m_ctx, choice))
        return false;
    X509_STORE* trusted = AcquireSslTrustStore();
    if (!trusted)
        return false;
    SSL_CTX_set_cert_store(m_ctx, trusted);
    // A server that closes without close_notify ends the stream (0), as every
    // HTTP/1.0 server that marks a body's end by closing does; the HTTP
    // client checks lengths where it has them.
    SSL_CTX_set_options(m_ctx, SSL_OP_IGNORE_UNEXPECTED_EOF);
    SSL_CTX_set_client_cert_cb(m_ctx, SslCallbacks::ClientCert);
    SSL_CTX_set_verify(m_ctx, SSL_VERIFY_PEER, SslCallbacks::Verify);
    SSL_CTX_set_purpose(m_ctx, X509_PURPOSE_SSL_SERVER);
    SSL_CTX_set_cert_verify_callback(m_ctx, SslCallbacks::ChainCheck, nullptr);
    return true;
}

bool CSSLConnection::Connect(int method, ITransferLog* log, const std::string& serverName)
{
    // A second handshake on this object starts from nothing.
    Free();
    m_state.exchange(kStateIdle);
    m_certDecision.exchange(kCertUndecided);
    m_verifyError = X509_V_OK;
    m_serverName = serverName;
    // Errors left on this thread's queue by earlier calls would be taken for ours.
    ERR_clear_error();

    // Nothing half made is kept, and no error of this attempt is left queued.
    const auto abandon = [this]
    {
        Free();
        ERR_clear_error();
        return false;
    };

    SslMethodChoice choice;
    bool known = GetSslMethodChoice(method, choice);
    if (known && log)
        log->AppendLine(kLogStatus, choice.m_statusLine);
    BIO_METHOD* bioMethod = SslBioSocketMethod();
    if (!known || !choice.m_available || !bioMethod || !CreateContext(choice))
    {
        if (log)
            log->AppendLine(kLogError, "SSL/TLS client method is unknown or not specified correctly.");
        return abandon();
    }

    m_ssl = SSL_new(m_ctx);
    if (!m_ssl)
        return abandon();
    SSL_set_app_data(m_ssl, this);
    if (!SetServerName(serverName))
    {
        // Without the name set, any trusted certificate would pass for it.
        if (log)
            log->AppendFormat(kLogError, "SSL/TLS: cannot check the server name \"%s\".", serverName.c_str());
        return abandon();
    }
    // Attached to the SSL object right below, which then frees it.
    m_bio = BIO_new(bioMethod);
    if (!m_bio)
        return abandon();
    BIO_set_data(m_bio, this);
    m_state.exchange(kStateHandshaking);
    SSL_set_bio(m_ssl, m_bio, m_bio);
    SSL_set_msg_callback(m_ssl, SslCallbacks::Message);
    SSL_set_msg_callback_arg(m_ssl, log);
    m_log = log;

    int result = SSL_connect(m_ssl);

    SSL_set_msg_callback(m_ssl, nullptr);
    SSL_set_msg_callback_arg(m_ssl, nullptr);

    int expected = kStateHandshaking;
    if (result > 0 && m_state.compare_exchange_strong(expected, kStateConnected))
    {
        if (log)
            log->AppendFormat(kLogStatus, "SSL connection: %s, cipher %s.", SSL_get_version(m_ssl),
                              SSL_get_cipher_name(m_ssl));
        m_log = nullptr;
        return true;
    }
    m_log = nullptr;

    std::string reason = TakeSslErrorText();
    if (log && !reason.empty())
        log->AppendFormat(kLogError, "SSL handshake failed: %s.", reason.c_str());
    SSL_shutdown(m_ssl);
    Free();
    ERR_clear_error();
    m_state.exchange(kStateIdle);
    return false;
}

bool CSSLConnection::SetServerName(const std::string& serverName)
{
    if (serverName.empty())
        return true;
    // The certificate must name the host we meant to reach; a mismatch is a
    // check failure like any other. An address is checked but never sent as
    // a name (RFC 6066).
    if (IsAddressLiteral(serverName))
        return X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(m_ssl), serverName.c_str()) == 1;
    SSL_set_hostflags(m_ssl, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    return SSL_set1_host(m_ssl, serverName.c_str()) == 1 &&
           SSL_set_tlsext_host_name(m_ssl, serverName.c_str()) == 1;
}

int CSSLConnection::RecvRaw(char* buffer, int size, int flags)
{
    if ((flags & MSG_PEEK) && (flags & MSG_DONTWAIT))
    {
        const int peeked = PeekNoWait(buffer, size);
        return peeked == 0 ? kWouldBlock : peeked;
    }
    if (!m_ssl)
        return -1;
    int result = SSL_read(m_ssl, buffer, size);
    if (result <= 0)
        ERR_clear_error();
    return result;
}

int CSSLConnection::PeekNoWait(char* buffer, int size)
{
    if (!m_ssl || size <= 0)
        return -1;
    m_noWait = true;
    const int result = SSL_peek(m_ssl, buffer, size);
    m_noWait = false;
    if (result > 0)
        return result;
    const int error = SSL_get_error(m_ssl, result);
    ERR_clear_error();
    return error == SSL_ERROR_WANT_READ ? 0 : -1;
}

int CSSLConnection::SendRaw(const char* data, int length, int)
{
    if (!m_ssl)
        return -1;
    int result = SSL_write(m_ssl, data, length);
    if (result <= 0)
        ERR_clear_error();
    if (result == 0 && length > 0)
        return -1;
    return result;
}

void CSSLConnection::Shutdown()
{
    if (!m_ssl)
        return;
    SSL_shutdown(m_ssl);
    ERR_clear_error();
    Free();
}

void CSSLConnection::Free()
{
    if (m_bio)
        BIO_set_data(m_bio, nullptr);
    if (m_ssl)
        SSL_free(m_ssl); // also frees the BIO
    else if (m_bio)
        BIO_free(m_bio);
    m_ssl = nullptr;
    m_bio = nullptr;
    SSL_CTX_free(m_ctx);
    m_ctx = nullptr;
}

std::string CSSLConnection::GetProtocolName() const
{
    if (!m_ssl || m_state.load() != kStateConnected)
        return std::string();
    return SSL_get_version(m_ssl);
}

int CSSLConnection::TransportRecv(char* buffer, int length)
{
    const int count = m_transport.RecvRaw(buffer, length, m_noWait ? MSG_DONTWAIT : 0);
    if (count > 0 && m_log && m_state.load() == kStateHandshaking)
        m_log->AppendFormat(kLogStatus, "SSL negotiate: %d raw bytes received.", count);
    return count;
}

int CSSLConnection::TransportSend(const char* data, int length)
{
    const int count = m_transport.SendRaw(data, length, 0);
    if (count > 0 && m_log && m_state.load() == kStateHandshaking)
        m_log->AppendFormat(kLogStatus, "SSL negotiate: %d raw bytes sent.", count);
    return count;
}

bool CSSLConnection::CheckServerCertificate(x509_store_ctx_st* store, bool checked)
{
    if (m_certDecision.load() != kCertUndecided)
        return m_certDecision.load() == kCertAccepted;

    CSSLCertInfo info(X509_STORE_CTX_get0_cert(store));
    if (m_log)
    {
        m_log->AppendMessage(kLogStatus, kMessageCertInfo, FormatAsn1UtcTime(info.GetNotBefore()).c_str(),
                             FormatAsn1UtcTime(info.GetNotAfter()).c_str());
    }
    int error = m_verifyError;
    if (error == X509_V_OK && !checked)
    {
        error = X509_STORE_CTX_get_error(store);
        if (error == X509_V_OK)
            error = X509_V_ERR_UNSPECIFIED;
    }

    bool accepted = false;
    if (error == X509_V_OK)
    {
        if (m_log)
            m_log->AppendMessage(kLogStatus, kMessageCertAccepted);
        accepted = true;
    }
    else
    {
        if (m_log)
        {
            m_log->AppendFormat(kLogStatus, "Server certificate check failed: %s.",
                                X509_verify_cert_error_string(error));
        }
        accepted = AcceptCertificate(info, error);
        // The alert that ends a refused handshake names the reason.
        if (!accepted)
            X509_STORE_CTX_set_error(store, error);
    }
    m_certDecision.exchange(accepted ? kCertAccepted : kCertRefused);
    return accepted;
}

bool CSSLConnection::AcceptCertificate(const CSSLCertInfo& info, int error)
{
    const CSslClientSettings& settings = GetSslClientSettings();
    CSslCertificateStore store(settings.GetAcceptedCertificatesFile());
    if (store.Contains(info.GetCertificate()))
    {
        if (m_log)
            m_log->AppendMessage(kLogStatus, kMessageCertAccepted);
        return true;
    }

    std::shared_ptr<ISslCertificatePrompt> prompt = settings.GetCertificatePrompt();
    if (!prompt)
    {
        if (m_log)
            m_log->AppendLine(kLogError, "Server certificate refused: nobody was asked to accept it.");
        return false;
    }
    SslCertQuestion question;
    question.m_host = m_serverName;
    question.m_subject = info.GetSubject();
    question.m_issuer = info.GetIssuer();
    question.m_validFrom = FormatAsn1UtcTime(info.GetNotBefore());
    question.m_validTo = FormatAsn1UtcTime(info.GetNotAfter());
    question.m_fingerprint = info.GetFingerprint();
    question.m_error = error;
    question.m_errorText = X509_verify_cert_error_string(error);

    SslCertAnswer answer = prompt->AskServerCertificate(question);
    if (answer == SslCertAnswer::Refuse)
    {
        if (m_log)
            m_log->AppendMessage(kLogError, kMessageCertDenied);
        return false;
    }
    if (m_log)
        m_log->AppendLine(kLogStatus, "Server certificate accepted by user.");
    if (answer == SslCertAnswer::AcceptAlways && !store.GetPath().empty() &&
        !store.Add(info.GetCertificate()) && m_log)
    {
        m_log->AppendFormat(kLogError, "Cannot keep the accepted certificate in \"%s\".",
                            store.GetPath().c_str());
    }
    return true;
}

int CSSLConnection::ProvideClientCertificate(x509_st** certificate, evp_pkey_st** key)
{
    SslClientIdentity identity = GetSslClientSettings().GetClientIdentity();
    if (identity.m_certificateFile.empty())
    {
        if (m_log)
            m_log->AppendLine(kLogError, "No client certificate found.");
        m_state.exchange(kStateFailed);
        return -1;
    }
    std::string error;
    if (!LoadSslClientCertificate(identity, certificate, key, error))
    {
        if (m_log)
        {
            m_log->AppendFormat(kLogError, "Cannot use the client certificate \"%s\": %s.",
                                identity.m_certificateFile.c_str(), error.c_str());
        }
        m_state.exchange(kStateFailed);
        return -1;
    }
    if (m_log)
        m_log->AppendFormat(kLogStatus, "Client certificate sent: \"%s\".",
                            identity.m_certificateFile.c_str());
    return 1;
}
