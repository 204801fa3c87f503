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

// Success and stops. 1 and 2 never come from a transfer but read as "none".
inline constexpr int kResultOk = 0;
inline constexpr int kResultStopped = 3; // an abort flag was seen
inline constexpr int kResultAborted = 4; // also a stop; same text as 3

// Local and general failures (also the file error codes of RawFile.h).
inline constexpr int kResultNotSupported = 100;
inline constexpr int kResultEmptyParameter = 101;
inline constexpr int kResultInvalidParameter = 102; // also a bad proxy reply
inline constexpr int kResultInvalidHandle = 103;
inline constexpr int kResultReadOnly = 104;
inline constexpr int kResultNoMoreHandles = 105;
inline constexpr int kResultNotFound = 106;
inline constexpr int kResultAlreadyExists = 107;
inline constexpr int kResultAccessDenied = 108;
inline constexpr int kResultDiskFull = 109;
inline constexpr int kResultTimeout = 110;    // a send or receive outlived its deadline
inline constexpr int kResultWriteError = 111; // no text of its own
inline constexpr int kResultReadError = 112;  // a POST body file could not be read

// Remote and protocol failures.
inline constexpr int kResultRemoteUnavailable = 1000;
inline constexpr int kResultRemoteNotFound = 1001;
inline constexpr int kResultRemoteExists = 1002;
inline constexpr int kResultRemoteAccessDenied = 1003;
inline constexpr int kResultRemoteDiskFull = 1004;
inline constexpr int kResultRemoteNotSupported = 1005;
inline constexpr int kResultControlClosed = 1006;
inline constexpr int kResultDataClosed = 1007;
inline constexpr int kResultHostNotResolved = 1008;
inline constexpr int kResultProtocolError = 1009;
inline constexpr int kResultTooManyRedirects = 1010; // no text of its own
inline constexpr int kResultHttp4xx = 1011;
inline constexpr int kResultHttp5xx = 1012;
inline constexpr int kResultHttpError = 1013;
inline constexpr int kResultRedirectOutside = 1014;
inline constexpr int kResultFtp4xx = 1015;
inline constexpr int kResultFtp5xx = 1016;
inline constexpr int kResultFtpError = 1017;
inline constexpr int kResultFtpLoginNotSupported = 1018;
inline constexpr int kResultSslStart = 1019;        // no text of its own
inline constexpr int kResultBadResumeOffset = 1020; // no text of its own

// Windows Sockets error numbers, with the POSIX errno values they stand for.
inline constexpr int kWsaAccess = 10013;         // EACCES
inline constexpr int kWsaInvalid = 10022;        // EINVAL
inline constexpr int kWsaTooManyFiles = 10024;   // EMFILE
inline constexpr int kWsaWouldBlock = 10035;     // EWOULDBLOCK, EAGAIN
inline constexpr int kWsaInProgress = 10036;     // EINPROGRESS
inline constexpr int kWsaAddrInUse = 10048;      // EADDRINUSE
inline constexpr int kWsaAddrNotAvail = 10049;   // EADDRNOTAVAIL
inline constexpr int kWsaNetDown = 10050;        // ENETDOWN
inline constexpr int kWsaNetUnreach = 10051;     // ENETUNREACH
inline constexpr int kWsaConnAborted = 10053;    // ECONNABORTED, EPIPE; also a peer that closed
inline constexpr int kWsaConnReset = 10054;      // ECONNRESET
inline constexpr int kWsaNoBufs = 10055;         // ENOBUFS
inline constexpr int kWsaNotConn = 10057;        // ENOTCONN
inline constexpr int kWsaTimedOut = 10060;       // ETIMEDOUT
inline constexpr int kWsaConnRefused = 10061;    // ECONNREFUSED
inline constexpr int kWsaHostDown = 10064;       // EHOSTDOWN
inline constexpr int kWsaHostUnreach = 10065;    // EHOSTUNREACH
inline constexpr int kWsaSysCallFailure = 10107; // any other errno

// The short text of a result code shown to the user: "none" for 0 to 2,
// "stopped" for 3 and 4, a fixed text for each of 100-110 and 1000-1009,
// 1011-1018, and "Error %d" filled with the code for every other value.
std::string TransferErrorText(int code);
