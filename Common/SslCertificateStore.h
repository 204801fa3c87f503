#pragma once
// CSslCertificateStore: the server certificates that the user chose to
// accept always, kept in one PEM file (a run of "-----BEGIN CERTIFICATE-----"
// blocks, the format every TLS tool reads). A certificate found there is
// accepted at the next handshake without asking, even though its chain
// could not be verified. A match is the very same certificate (equal DER
// bytes), not merely the same name, so a different certificate presented
// for the same host is asked about again.
//
// The file is read at every look-up, so certificates that another running
// copy added are seen at once. Adding rewrites the file through an atomic
// replace (platform/core/AtomicFile.h): what the file held before is kept
// byte for byte, also text between the blocks, and the new block is
// appended. All file operations of the process are serialised by one lock,
// so two threads adding at once lose nothing.

#include <string>
#include <utility>

struct x509_st;

class CSslCertificateStore
{
public:
    // Largest file the store reads; a bigger one is not taken for a
    // certificate list (and is never rewritten).
    static constexpr long long kMaxFileBytes = 4 * 1024 * 1024;

    explicit CSslCertificateStore(std::string path) : m_path(std::move(path)) {}

    const std::string& GetPath() const { return m_path; }

    // True when the file holds this certificate. A missing or unreadable file
    // holds none; a damaged block ends the reading (the blocks before it
    // still count).
    bool Contains(x509_st* certificate) const;

    // Appends the certificate unless the file holds it already. True when
    // the file holds it afterwards; false (old file untouched) when the path
    // is empty, the old file cannot be read, or the new one cannot be
    // written. The file is created 0600 when missing.
    bool Add(x509_st* certificate);

private:
    std::string m_path;
};
