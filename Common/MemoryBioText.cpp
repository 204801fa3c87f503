#include "Common/MemoryBioText.h"

#include <openssl/bio.h>

std::string MemoryBioText(const std::function<bool(bio_st*)>& print)
{
    BIO* memory = BIO_new(BIO_s_mem());
    if (!memory)
        return std::string();
    std::string text;
    if (print(memory))
    {
        char* data = nullptr;
        long length = BIO_get_mem_data(memory, &data);
        if (data && length > 0)
            text.assign(data, static_cast<size_t>(length));
    }
    BIO_free(memory);
    return text;
}
