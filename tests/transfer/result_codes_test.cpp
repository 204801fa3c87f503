#include "transfer/ResultCodes.h"

#include <gtest/gtest.h>

TEST(ResultCodes, EveryCodeHasItsText)
{
    const struct
    {
        int code;
        const char* text;
    } cases[] = {
        {kResultOk, "none"},
        {1, "none"},
        {2, "none"},
        {kResultStopped, "stopped"},
        {kResultAborted, "stopped"},
        {kResultNotSupported, "not supported"},
        {kResultEmptyParameter, "empty parameter"},
        {kResultInvalidParameter, "invalid parameter"},
        {kResultInvalidHandle, "invalid handle"},
        {kResultReadOnly, "is read only"},
        {kResultNoMoreHandles, "no more handles in system"},
        {kResultNotFound, "not found"},
        {kResultAlreadyExists, "already exists"},
        {kResultAccessDenied, "access denied"},
        {kResultDiskFull, "no disk space"},
        {kResultTimeout, "timeout"},
        {kResultWriteError, "Error 111"},
        {kResultReadError, "Error 112"},
        {kResultRemoteUnavailable, "remote resource temporary unavailable"},
        {kResultRemoteNotFound, "remote file not found"},
        {kResultRemoteExists, "remote file already exists"},
        {kResultRemoteAccessDenied, "access denied to remote file"},
        {kResultRemoteDiskFull, "no disk space on remote"},
        {kResultRemoteNotSupported, "remote operation is not supported"},
        {kResultControlClosed, "control connection closed"},
        {kResultDataClosed, "data connection closed"},
        {kResultHostNotResolved, "cannot resolve hostname"},
        {kResultProtocolError, "protocol error"},
        {kResultTooManyRedirects, "Error 1010"},
        {kResultHttp4xx, "HTTP 4xx error"},
        {kResultHttp5xx, "HTTP 5xx error"},
        {kResultHttpError, "HTTP error"},
        {kResultRedirectOutside, "HTTP redirect outside"},
        {kResultFtp4xx, "FTP 4xx error"},
        {kResultFtp5xx, "FTP 5xx error"},
        {kResultFtpError, "FTP error"},
        {kResultFtpLoginNotSupported, "FTP login type not supported"},
        {kResultSslStart, "Error 1019"},
        {kResultBadResumeOffset, "Error 1020"},
        {kWsaConnReset, "Error 10054"},
        {kWsaConnRefused, "Error 10061"},
        {5, "Error 5"},
        {99, "Error 99"},
        {-1, "Error -1"},
        {255, "Error 255"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TransferErrorText(c.code), c.text) << "code " << c.code;
}

TEST(ResultCodes, SocketErrorsKeepTheirWindowsNumbers)
{
    const struct
    {
        int constant;
        int number;
    } cases[] = {
        {kWsaConnRefused, 10061},  {kWsaTimedOut, 10060},   {kWsaConnReset, 10054},
        {kWsaConnAborted, 10053},  {kWsaNetDown, 10050},    {kWsaHostDown, 10064},
        {kWsaHostUnreach, 10065},  {kWsaNetUnreach, 10051}, {kWsaAddrInUse, 10048},
        {kWsaAddrNotAvail, 10049}, {kWsaWouldBlock, 10035}, {kWsaInProgress, 10036},
        {kWsaNotConn, 10057},      {kWsaNoBufs, 10055},     {kWsaTooManyFiles, 10024},
        {kWsaInvalid, 10022},      {kWsaAccess, 10013},     {kWsaSysCallFailure, 10107},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.constant, c.number);
}
