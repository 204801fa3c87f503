#include "Common/SslCertificateStore.h"

#include "Common/MemoryBioText.h"
#include "foundation/files/FileSystem.h"
#include "foundation/files/RawFile.h"
#include "platform/core/AtomicFile.h"
#include "platform/core/CriticalSection.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

namespace
{

CCriticalSection& StoreFileLock()
{
    static CCriticalSection lock;
    return lock;
}

// The file's bytes; true also for a missing file (then empty). False when
// the file exists but cannot be read whole.
bool ReadStoreFile(const std::string& path, std::string& content)
{
    content.clear();
    if (GetPathKind(path) == kPathMissing)
        return true;
    CRawFile file;
    if (!file.Open(path, kOpenReadOnly))
        return false;
    int64_t length = file.GetLength();
    if (length < 0 || length > CSslCertificateStore::kMaxFileBytes)
        return false;
    return file.ReadAll(content, length);
}

std::string DerBytes(x509_st* certificate)
{
    unsigned char* der = nullptr;
    int length = i2d_X509(certificate, &der);
    std::string bytes;
    if (length > 0 && der)
        bytes.assign(reinterpret_cast<const char*>(der), static_cast<size_t>(length));
    OPENSSL_free(der);
    return bytes;
}

bool HoldsCertificate(const std::string& content, const std::string& der)
{
    if (content.empty() || der.empty())
        return false;
    BIO* memory = BIO_new_mem_buf(content.data(), static_cast<int>(content.size()));
    if (!memory)
        return false;
    bool found = false;
    while (!found)
    {
        X509* stored = PEM_read_bio_X509(memory, nullptr, nullptr, nullptr);
        if (!stored)
            break;
        found = DerBytes(stored) == der;
        X509_free(stored);
    }
    BIO_free(memory);
    // The end of the blocks leaves a "no start line" error behind.
    ERR_clear_error();
    return found;
}

std::string PemBlock(x509_st* certificate)
{
    return MemoryBioText([certificate](BIO* memory) { return PEM_write_bio_X509(memory, certificate) == 1; });
}

} // namespace

bool CSslCertificateStore::Contains(x509_st* certificate) const
{
    if (m_path.empty() || !certificate)
        return false;
    CScopedLock lock(StoreFileLock());
    std::string content;
    if (!ReadStoreFile(m_path, content))
        return false;
    return HoldsCertificate(content, DerBytes(certificate));
}

bool CSslCertificateStore::Add(x509_st* certificate)
{
    if (m_path.empty() || !certificate)
        return false;
    std::string block = PemBlock(certificate);
    if (block.empty())
        return false;
    CScopedLock lock(StoreFileLock());
    std::string content;
    if (!ReadStoreFile(m_path, content))
        return false;
    if (HoldsCertificate(content, DerBytes(certificate)))
        return true;
    if (!content.empty() && content.back() != '\n')
        content += '\n';
    content += block;
    return WriteFileAtomic(m_path, content, 0600);
}
