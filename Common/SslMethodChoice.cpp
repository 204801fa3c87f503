#include "Common/SslMethodChoice.h"

#include <openssl/ssl.h>

#include <iterator>

namespace
{

#ifdef OPENSSL_NO_SSL3_METHOD
constexpr bool kHaveSsl3 = false;
#else
constexpr bool kHaveSsl3 = true;
#endif

#ifdef OPENSSL_NO_TLS1_METHOD
constexpr bool kHaveTls1 = false;
#else
constexpr bool kHaveTls1 = true;
#endif

const SslMethodChoice kMethodChoices[kSslMethodChoiceCount] = {
    {"SSL/TLS client method SSLv2.", SSL2_VERSION, SSL2_VERSION, 0, false},
    {"SSL/TLS client method SSLv3 but can rollback to v2.", 0, 0, -1, true},
    {"SSL/TLS client method SSLv3.", SSL3_VERSION, SSL3_VERSION, 0, kHaveSsl3},
    {"SSL/TLS client method TLSv1.0.", TLS1_VERSION, TLS1_VERSION, 0, kHaveTls1},
};

} // namespace

bool GetSslMethodChoice(int index, SslMethodChoice& choice)
{
    if (index < 0 || index >= static_cast<int>(std::size(kMethodChoices)))
        return false;
    choice = kMethodChoices[index];
    return true;
}

bool ApplySslMethodChoice(ssl_ctx_st* context, const SslMethodChoice& choice)
{
    if (!context || !choice.m_available)
        return false;
    if (choice.m_securityLevel >= 0)
        SSL_CTX_set_security_level(context, choice.m_securityLevel);
    if (choice.m_minVersion && !SSL_CTX_set_min_proto_version(context, choice.m_minVersion))
        return false;
    if (choice.m_maxVersion && !SSL_CTX_set_max_proto_version(context, choice.m_maxVersion))
        return false;
    return true;
}
