#pragma once
// The protocol choices of setting "Connections/SSL-TLS Version" as OpenSSL 3
// can do them. The setting keeps its four historical values (0 "SSLv2",
// 1 "SSLv23", 2 "SSLv3", 3 "TLSv1.0"); each becomes TLS_client_method bounded
// by a minimum and a maximum protocol version. A choice this OpenSSL build
// cannot do is marked unavailable, so the handshake fails cleanly with the
// program's TLS error instead of quietly speaking another version.

struct ssl_ctx_st;

struct SslMethodChoice
{
    const char* m_statusLine = nullptr; // logged before the handshake
    int m_minVersion = 0;               // 0: the library's own bound
    int m_maxVersion = 0;
    // OpenSSL 3 allows SSL 3.0 and TLS 1.0 only at security level 0; -1
    // leaves the library's level (and the system configuration) alone.
    int m_securityLevel = -1;
    bool m_available = false; // false: this OpenSSL build cannot do it
};

// Number of choices; indexes 0 to kSslMethodChoiceCount - 1 are known.
inline constexpr int kSslMethodChoiceCount = 4;

// The choice of index 0 to 3: 0 SSL 2.0 (never available: OpenSSL dropped
// it), 1 any version the library allows (its default bounds, today TLS 1.2
// and 1.3), 2 SSL 3.0 only (available only when the build has it), 3 TLS
// 1.0 only. False for any other index.
bool GetSslMethodChoice(int index, SslMethodChoice& choice);

// Sets the bounds and the security level of a choice on a new context.
// False when the context refuses them (this build cannot do that version).
bool ApplySslMethodChoice(ssl_ctx_st* context, const SslMethodChoice& choice);
