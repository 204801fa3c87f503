#include "Common/SslTrustStore.h"

#include "platform/core/CriticalSection.h"

#include <openssl/err.h>
#include <openssl/x509.h>

#include <cstdlib>
#include <string>

namespace
{

std::string EnvironmentValue(const char* name)
{
    const char* value = name ? std::getenv(name) : nullptr;
    return value ? value : "";
}

} // namespace

x509_store_st* AcquireSslTrustStore()
{
    static CCriticalSection lock;
    static X509_STORE* store = nullptr;
    static std::string sources;

    std::string current = EnvironmentValue(X509_get_default_cert_file_env()) + '\n' +
                          EnvironmentValue(X509_get_default_cert_dir_env());
    CScopedLock scoped(lock);
    if (!store || current != sources)
    {
        X509_STORE* fresh = X509_STORE_new();
        if (!fresh)
            return nullptr;
        // A missing bundle or folder is no error: the store is then empty
        // and every chain fails its check.
        X509_STORE_set_default_paths(fresh);
        ERR_clear_error();
        X509_STORE_free(store); // contexts still using the old one keep their references
        store = fresh;
        sources = current;
    }
    X509_STORE_up_ref(store);
    return store;
}
