#include "Common/SslClientCertificate.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <cstring>

namespace
{

// Hands OpenSSL the configured pass phrase. A phrase that does not fit its
// buffer is refused rather than cut, which would only give a wrong key.
int PassPhraseCallback(char* buffer, int size, int, void* userData)
{
    const auto* phrase = static_cast<const std::string*>(userData);
    if (!phrase || !buffer || size <= 0 || phrase->size() > static_cast<size_t>(size))
        return 0;
    std::memcpy(buffer, phrase->data(), phrase->size());
    return static_cast<int>(phrase->size());
}

X509* ReadCertificate(const std::string& path)
{
    BIO* file = BIO_new_file(path.c_str(), "r");
    if (!file)
        return nullptr;
    X509* certificate = PEM_read_bio_X509(file, nullptr, nullptr, nullptr);
    BIO_free(file);
    return certificate;
}

EVP_PKEY* ReadKey(const std::string& path, const std::string& passPhrase)
{
    BIO* file = BIO_new_file(path.c_str(), "r");
    if (!file)
        return nullptr;
    EVP_PKEY* key =
        PEM_read_bio_PrivateKey(file, nullptr, PassPhraseCallback, const_cast<std::string*>(&passPhrase));
    BIO_free(file);
    return key;
}

} // namespace

bool LoadSslClientCertificate(const SslClientIdentity& identity, x509_st** certificate, evp_pkey_st** key,
                              std::string& error)
{
    *certificate = nullptr;
    *key = nullptr;
    error.clear();
    if (identity.m_certificateFile.empty())
    {
        error = "no certificate file";
        return false;
    }
    X509* loadedCertificate = ReadCertificate(identity.m_certificateFile);
    if (!loadedCertificate)
    {
        ERR_clear_error();
        error = "cannot read a certificate from the file";
        return false;
    }
    const std::string& keyFile = identity.m_keyFile.empty() ? identity.m_certificateFile : identity.m_keyFile;
    EVP_PKEY* loadedKey = ReadKey(keyFile, identity.m_passPhrase);
    if (!loadedKey)
    {
        ERR_clear_error();
        X509_free(loadedCertificate);
        error = "cannot read the private key (wrong pass phrase?)";
        return false;
    }
    if (X509_check_private_key(loadedCertificate, loadedKey) != 1)
    {
        ERR_clear_error();
        EVP_PKEY_free(loadedKey);
        X509_free(loadedCertificate);
        error = "the private key does not belong to the certificate";
        return false;
    }
    *certificate = loadedCertificate;
    *key = loadedKey;
    return true;
}
