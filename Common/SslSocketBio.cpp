#include "Common/SslSocketBio.h"

#include "Common/SSLConnection.h"

#include <openssl/bio.h>

// Reaches the raw transport of a CSSLConnection (a friend of it).
struct SslSocketBio
{
    static CSSLConnection* Owner(BIO* bio) { return static_cast<CSSLConnection*>(BIO_get_data(bio)); }

    static int Write(BIO* bio, const char* data, int length)
    {
        if (!data)
            return 0;
        BIO_clear_retry_flags(bio);
        CSSLConnection* self = Owner(bio);
        return self ? self->TransportSend(data, length) : -1;
    }

    static int Read(BIO* bio, char* buffer, int length)
    {
        if (!buffer)
            return 0;
        BIO_clear_retry_flags(bio);
        CSSLConnection* self = Owner(bio);
        const int count = self ? self->TransportRecv(buffer, length) : -1;
        if (count == IByteStream::kWouldBlock)
        {
            BIO_set_retry_read(bio);
            return -1;
        }
        return count;
    }

    static long Control(BIO* bio, int command, long number, void*)
    {
        switch (command)
        {
        case BIO_CTRL_GET_CLOSE:
            return BIO_get_shutdown(bio);
        case BIO_CTRL_SET_CLOSE:
            BIO_set_shutdown(bio, static_cast<int>(number));
            return 1;
        case BIO_CTRL_FLUSH:
        case BIO_CTRL_DUP:
            return 1;
        case BIO_C_GET_FD:
            return -1;
        default:
            return 0;
        }
    }

    static int Create(BIO* bio)
    {
        BIO_set_init(bio, 1);
        BIO_set_data(bio, nullptr);
        BIO_clear_flags(bio, ~0);
        return 1;
    }

    static int Destroy(BIO* bio)
    {
        if (!bio)
            return 0;
        if (BIO_get_shutdown(bio))
        {
            BIO_set_init(bio, 0);
            BIO_clear_flags(bio, ~0);
        }
        BIO_set_data(bio, nullptr);
        return 1;
    }
};

bio_method_st* SslBioSocketMethod()
{
    static BIO_METHOD* method = []
    {
        BIO_METHOD* created = BIO_meth_new(BIO_TYPE_SOCKET, "socket");
        if (created)
        {
            BIO_meth_set_write(created, SslSocketBio::Write);
            BIO_meth_set_read(created, SslSocketBio::Read);
            BIO_meth_set_ctrl(created, SslSocketBio::Control);
            BIO_meth_set_create(created, SslSocketBio::Create);
            BIO_meth_set_destroy(created, SslSocketBio::Destroy);
        }
        return created;
    }();
    return method;
}
