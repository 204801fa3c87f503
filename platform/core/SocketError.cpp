#include "platform/core/SocketError.h"

#include <cerrno>

int MapSocketError(int errnoValue)
{
    switch (errnoValue)
    {
    case 0:
        return 0;
    case ECONNREFUSED:
        return WSAECONNREFUSED;
    case ETIMEDOUT:
        return WSAETIMEDOUT;
    case ECONNRESET:
        return WSAECONNRESET;
    case ECONNABORTED:
    case EPIPE:
        return WSAECONNABORTED;
    case ENETDOWN:
        return WSAENETDOWN;
    case EHOSTDOWN:
        return WSAEHOSTDOWN;
    case EHOSTUNREACH:
        return WSAEHOSTUNREACH;
    case ENETUNREACH:
        return WSAENETUNREACH;
    case EADDRINUSE:
        return WSAEADDRINUSE;
    case EADDRNOTAVAIL:
        return WSAEADDRNOTAVAIL;
    // EAGAIN and EWOULDBLOCK are the same value on Linux; a switch cannot
    // list both.
    case EWOULDBLOCK:
        return WSAEWOULDBLOCK;
    case EINPROGRESS:
        return WSAEINPROGRESS;
    case ENOTCONN:
        return WSAENOTCONN;
    case ENOBUFS:
        return WSAENOBUFS;
    case EMFILE:
        return WSAEMFILE;
    case EINVAL:
        return WSAEINVAL;
    case EACCES:
        return WSAEACCES;
    default:
        return WSASYSCALLFAILURE;
    }
}
