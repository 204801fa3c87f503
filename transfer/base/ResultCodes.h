#pragma once
// The result codes of the transfer engine: every transfer operation returns
// one of these 32-bit integers, 0 for success. This header is their one home;
// use the names, never the bare numbers. The numbers are stable: they are
// stored in job status records and shown to the user.
//
// Socket failures travel as the Windows Sockets error numbers below, never as
// raw errno values (those would clash with the program's own codes 100-112).
// A SOCKS5 reply value 1 to 255 may also appear as a result of a proxy
// connection; it has no name and is shown through the "Error %d" text.

#include <string>

// The transfer results. An unscoped enum over int: the numbers are the
// stored and shown ones, and every function that hands a result on as int
// keeps doing so.
enum TransferResult : int
{
    // Success and stops. 1 and 2 never come from a transfer but read as "none".
    kResultOk = 0,
    kResultStopped = 3, // an abort flag was seen
    kResultAborted = 4, // also a stop; same text as 3

    // Local and general failures (also the file error codes of RawFile.h).
    kResultNotSupported = 100,
    kResultEmptyParameter = 101,
    kResultInvalidParameter = 102, // also a bad proxy reply
    kResultInvalidHandle = 103,
    kResultReadOnly = 104,
    kResultNoMoreHandles = 105,
    kResultNotFound = 106,
    kResultAlreadyExists = 107,
    kResultAccessDenied = 108,
    kResultDiskFull = 109,
    kResultTimeout = 110,    // a send or receive outlived its deadline
    kResultWriteError = 111, // no text of its own
    kResultReadError = 112,  // a POST body file could not be read

    // Remote and protocol failures.
    kResultRemoteUnavailable = 1000,
    kResultRemoteNotFound = 1001,
    kResultRemoteExists = 1002,
    kResultRemoteAccessDenied = 1003,
    kResultRemoteDiskFull = 1004,
    kResultRemoteNotSupported = 1005,
    kResultControlClosed = 1006,
    kResultDataClosed = 1007,
    kResultHostNotResolved = 1008,
    kResultProtocolError = 1009,
    kResultTooManyRedirects = 1010, // no text of its own
    kResultHttp4xx = 1011,
    kResultHttp5xx = 1012,
    kResultHttpError = 1013,
    kResultRedirectOutside = 1014,
    kResultFtp4xx = 1015,
    kResultFtp5xx = 1016,
    kResultFtpError = 1017,
    kResultFtpLoginNotSupported = 1018,
    kResultSslStart = 1019,        // no text of its own
    kResultBadResumeOffset = 1020, // no text of its own
};

enum WsaError : int
{
    // Windows Sockets error numbers, with the POSIX errno values they stand for.
    kWsaAccess = 10013,         // EACCES
    kWsaInvalid = 10022,        // EINVAL
    kWsaTooManyFiles = 10024,   // EMFILE
    kWsaWouldBlock = 10035,     // EWOULDBLOCK, EAGAIN
    kWsaInProgress = 10036,     // EINPROGRESS
    kWsaAddrInUse = 10048,      // EADDRINUSE
    kWsaAddrNotAvail = 10049,   // EADDRNOTAVAIL
    kWsaNetDown = 10050,        // ENETDOWN
    kWsaNetUnreach = 10051,     // ENETUNREACH
    kWsaConnAborted = 10053,    // ECONNABORTED, EPIPE; also a peer that closed
    kWsaConnReset = 10054,      // ECONNRESET
    kWsaNoBufs = 10055,         // ENOBUFS
    kWsaNotConn = 10057,        // ENOTCONN
    kWsaTimedOut = 10060,       // ETIMEDOUT
    kWsaConnRefused = 10061,    // ECONNREFUSED
    kWsaHostDown = 10064,       // EHOSTDOWN
    kWsaHostUnreach = 10065,    // EHOSTUNREACH
    kWsaSysCallFailure = 10107, // any other errno
};

// The short text of a result code shown to the user: "none" for 0 to 2,
// "stopped" for 3 and 4, a fixed text for each of 100-110 and 1000-1009,
// 1011-1018, and "Error %d" filled with the code for every other value.
std::string TransferErrorText(int code);
