#pragma once
// What the TLS layer tells about one certificate: its validity texts for the
// transfer log, and its names and fingerprint for whoever is asked to accept
// a certificate that could not be verified.

#include <string>

struct x509_st;

// An ASN.1 time text as "mm/dd/yy hh:mm:ss GMT": the 13-character UTCTime
// form "YYMMDDHHMMSSZ" keeps its two-digit year. The 15-character
// GeneralizedTime form "YYYYMMDDHHMMSSZ" (certificates use it for dates from
// 2050 on) shows its four-digit year, "mm/dd/yyyy hh:mm:ss GMT", so such a
// date is not lost from the log. Any other text gives "".
std::string FormatAsn1UtcTime(const std::string& text);

// A summary of one certificate that holds a counted reference to it while
// the summary lives.
class CSSLCertInfo
{
public:
    // A null certificate gives empty texts.
    explicit CSSLCertInfo(x509_st* certificate);
    ~CSSLCertInfo();
    CSSLCertInfo(const CSSLCertInfo&) = delete;
    CSSLCertInfo& operator=(const CSSLCertInfo&) = delete;

    x509_st* GetCertificate() const { return m_certificate; }

    // The raw ASN.1 texts of notBefore and notAfter ("" when missing).
    const std::string& GetNotBefore() const { return m_notBefore; }
    const std::string& GetNotAfter() const { return m_notAfter; }

    // One-line distinguished names in RFC 2253 form ("CN=localhost,O=...").
    std::string GetSubject() const;
    std::string GetIssuer() const;
    // SHA-256 of the DER form as upper-case hex pairs joined by ':'.
    std::string GetFingerprint() const;

private:
    x509_st* m_certificate;
    std::string m_notBefore;
    std::string m_notAfter;
};
