#pragma once
// Socket error numbers as the program sees them: the WinSock numbers, never a
// raw errno (errno values would clash with the program's own result codes,
// which share the same "last error" words).

// The numbers the socket layer produces.
enum SocketErrorNumber
{
    WSAEACCES = 10013,
    WSAEINVAL = 10022,
    WSAEMFILE = 10024,
    WSAEWOULDBLOCK = 10035,
    WSAEINPROGRESS = 10036,
    WSAEADDRINUSE = 10048,
    WSAEADDRNOTAVAIL = 10049,
    WSAENETDOWN = 10050,
    WSAENETUNREACH = 10051,
    WSAECONNABORTED = 10053,
    WSAECONNRESET = 10054,
    WSAENOBUFS = 10055,
    WSAENOTCONN = 10057,
    WSAETIMEDOUT = 10060,
    WSAECONNREFUSED = 10061,
    WSAEHOSTDOWN = 10064,
    WSAEHOSTUNREACH = 10065,
    WSASYSCALLFAILURE = 10107, // every errno without a number of its own
};

// The one mapping from errno to the numbers above. 0 stays 0.
int MapSocketError(int errnoValue);
