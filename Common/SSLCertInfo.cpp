#include "Common/SSLCertInfo.h"

#include "Common/MemoryBioText.h"
#include "foundation/text/HexText.h"
#include "platform/core/Text.h"

#include <openssl/asn1.h>
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <cctype>

namespace
{

bool AllDigits(const std::string& text, size_t count)
{
    for (size_t i = 0; i < count; ++i)
    {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
    }
    return true;
}

std::string Asn1TimeText(const ASN1_TIME* time)
{
    if (!time)
        return std::string();
    const unsigned char* data = ASN1_STRING_get0_data(time);
    int length = ASN1_STRING_length(time);
    if (!data || length <= 0)
        return std::string();
    return std::string(reinterpret_cast<const char*>(data), static_cast<size_t>(length));
}

std::string NameText(const X509_NAME* name)
{
    if (!name)
        return std::string();
    return MemoryBioText([name](BIO* memory)
                         { return X509_NAME_print_ex(memory, name, 0, XN_FLAG_RFC2253) >= 0; });
}

} // namespace

std::string FormatAsn1UtcTime(const std::string& text)
{
    if (text.size() == 13 && text[12] == 'Z' && AllDigits(text, 12))
    {
        return std::string{text[2], text[3], '/', text[4], text[5], '/', text[0],  text[1], ' ',
                           text[6], text[7], ':', text[8], text[9], ':', text[10], text[11]} +
               " GMT";
    }
    if (text.size() == 15 && text[14] == 'Z' && AllDigits(text, 14))
    {
        return std::string{text[4],  text[5],  '/',     text[6],  text[7], '/',     text[0],
                           text[1],  text[2],  text[3], ' ',      text[8], text[9], ':',
                           text[10], text[11], ':',     text[12], text[13]} +
               " GMT";
    }
    return std::string();
}

CSSLCertInfo::CSSLCertInfo(x509_st* certificate) : m_certificate(certificate)
{
    if (!m_certificate)
        return;
    X509_up_ref(m_certificate);
    m_notBefore = Asn1TimeText(X509_get0_notBefore(m_certificate));
    m_notAfter = Asn1TimeText(X509_get0_notAfter(m_certificate));
}

CSSLCertInfo::~CSSLCertInfo()
{
    X509_free(m_certificate);
}

std::string CSSLCertInfo::GetSubject() const
{
    return m_certificate ? NameText(X509_get_subject_name(m_certificate)) : std::string();
}

std::string CSSLCertInfo::GetIssuer() const
{
    return m_certificate ? NameText(X509_get_issuer_name(m_certificate)) : std::string();
}

std::string CSSLCertInfo::GetFingerprint() const
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!m_certificate || !X509_digest(m_certificate, EVP_sha256(), digest, &length))
        return std::string();
    // "ab:01:" from the dump; the fingerprint has no trailing separator.
    std::string text = HexEncode(digest, length, 0, "", ":", "");
    if (!text.empty())
        text.pop_back();
    return MakeUpper(text);
}
