#pragma once
// CSSLConnection: the TLS client that CConnection::StartSsl puts over an open
// TCP connection (after a proxy tunnel when there is one). OpenSSL does the
// protocol work; the encrypted records travel through a BIO of our own
// (SslSocketBio.h) over the byte stream it was made on (the TCP connection),
// and it is a byte stream itself: the connection puts it on top and sends and
// receives through it.
//
// Protocol: setting "Connections/SSL-TLS Version" picks one of four choices
// (SslMethodChoice.h); a choice this OpenSSL cannot do fails before any byte
// is sent. The server name is sent (SNI) unless it is an address literal.
//
// Server certificate: the chain is checked against the system's trusted
// certificates (OpenSSL's default paths, so SSL_CERT_FILE and SSL_CERT_DIR
// apply) and against the name the connection was opened for. A certificate
// that passes is accepted ("Server certificate was auto accepted."). One
// that fails is accepted without asking when it is in the accepted-
// certificates file (SslCertificateStore.h); otherwise the certificate prompt
// (SslClientSettings.h) decides: accept once, accept always (the certificate
// is added to the file) or refuse; with no prompt it is refused. A refused
// certificate fails the handshake, so no request ever reaches a server the
// user did not accept. The log shows the certificate's validity dates once
// per handshake, and why the check failed.
//
// Client certificate: shown only when a server asks and one is configured
// (SslClientSettings.h), its key unlocked with the configured pass phrase.
// Without one, "No client certificate found." is logged and the handshake
// fails, as it also does when the certificate or key cannot be read.
//
// Threads: one object is used by one thread at a time (its protocol
// client's). State and certificate decision are atomic so that another
// thread may look at them; chain checks of the whole process are serialised
// by one lock, which is not held while the prompt is asked.

#include "Common/SSLCertInfo.h"
#include "transfer/base/ByteStream.h"

#include <atomic>
#include <memory>
#include <string>

class ITransferLog;
struct ssl_st;
struct ssl_ctx_st;
struct bio_st;
struct x509_store_ctx_st;
struct evp_pkey_st;
struct SslMethodChoice;

// Starts (non-zero) the SSL library: OPENSSL_init_ssl with the error strings
// loaded. OpenSSL 3 locks for itself and cleans up at process exit, so ending
// (zero) does nothing. Returns false when the library could not be started.
bool SslGlobalInit(int start);

class CSSLConnection final : public IByteStream
{
public:
    enum State
    {
        kStateFailed = -1,
        kStateIdle = 0,
        kStateHandshaking = 1,
        kStateConnected = 2,
    };

    // Values of the certificate decision.
    enum CertDecision
    {
        kCertUndecided = -1,
        kCertRefused = 0,
        kCertAccepted = 1,
    };

    // The encrypted records travel over transport, which must outlive this.
    explicit CSSLConnection(IByteStream& transport);
    // Runs Shutdown.
    ~CSSLConnection() override;
    CSSLConnection(const CSSLConnection&) = delete;
    CSSLConnection& operator=(const CSSLConnection&) = delete;

    // A new object with a finished handshake, or null after a failed one.
    // serverName is the host the connection was opened for (see Connect).
    static std::unique_ptr<CSSLConnection> Create(int method, IByteStream& transport, ITransferLog* log,
                                                  const std::string& serverName = std::string());

    // The handshake with protocol choice `method` (GetSslMethodChoice),
    // logging to log while it runs. serverName is sent as SNI unless it is
    // empty or an address literal, and the server certificate must be made
    // out to it (a DNS name or an IP address); an empty name leaves only the
    // chain to check. True when connected; on false no SSL object is left
    // and the state is idle.
    bool Connect(int method, ITransferLog* log, const std::string& serverName = std::string());

    // The application bytes. SendRaw and RecvRaw give SSL_write and SSL_read
    // results (0 when the peer closed, also without close_notify); -1
    // without an SSL object, and a write that fails returns -1, never 0, so
    // a caller looping until all is sent stops. RecvRaw with MSG_PEEK and
    // MSG_DONTWAIT looks without waiting (the transport is then read with
    // MSG_DONTWAIT too): the count of application bytes waiting (they stay
    // queued), kWouldBlock when none is (records without application data,
    // such as TLS 1.3 session tickets, are consumed on the way), -1 when the
    // peer closed or the connection failed. Other flags are ignored.
    int SendRaw(const char* data, int length, int flags) override;
    int RecvRaw(char* buffer, int size, int flags) override;
    // The transport's error and socket.
    int GetLastError() const override { return m_transport.GetLastError(); }
    void SetLastError(int error) override { m_transport.SetLastError(error); }
    void CloseSocket() override { m_transport.CloseSocket(); }

    // One SSL_shutdown (close_notify sent, no wait for the peer's), then Free.
    void Shutdown();
    // Detaches the BIO from this object and frees the SSL object and its
    // context, without a word to the peer. Nothing when there is none.
    void Free();

    // The negotiated protocol ("TLSv1.3", "TLSv1", ...) while connected, else "".
    std::string GetProtocolName() const;

private:
    friend struct SslCallbacks;
    friend struct SslSocketBio;

    // The transport for the BIO; logs the handshake's traffic. A receive
    // while PeekNoWait runs does not wait: it may give kWouldBlock, which
    // OpenSSL sees as a read to retry later.
    int TransportRecv(char* buffer, int length);
    int TransportSend(const char* data, int length);
    int PeekNoWait(char* buffer, int size);

    // Sets up the context of a known, available choice; false on failure.
    bool CreateContext(const SslMethodChoice& choice);
    // Sends the name as SNI and makes the certificate check compare against
    // it; false when OpenSSL refuses the name.
    bool SetServerName(const std::string& serverName);
    // Decides about the server certificate once the chain check has run;
    // true when the handshake may go on. `checked` is the check's result.
    bool CheckServerCertificate(x509_store_ctx_st* store, bool checked);
    // Accepts a certificate that failed its check when the accepted-
    // certificates file holds it or the prompt says so.
    bool AcceptCertificate(const CSSLCertInfo& info, int error);
    // The client certificate callback's work; 1 with a certificate and key
    // handed out, -1 to fail the handshake.
    int ProvideClientCertificate(x509_st** certificate, evp_pkey_st** key);

    ITransferLog* m_log = nullptr; // only while Connect runs
    IByteStream& m_transport;
    bool m_noWait = false; // only while PeekNoWait runs
    ssl_st* m_ssl = nullptr;
    ssl_ctx_st* m_ctx = nullptr;
    bio_st* m_bio = nullptr;  // owned by m_ssl
    std::string m_serverName; // of the running handshake
    int m_verifyError = 0;    // first failure of the chain check (X509_V_OK: none)
    std::atomic<int> m_state{kStateIdle};
    std::atomic<int> m_certDecision{kCertUndecided};
};
