#include "transfer/base/ResultCodes.h"

#include "platform/core/Text.h"

namespace
{

struct CodeText
{
    int code;
    const char* text;
};

const CodeText kCodeTexts[] = {
    {0, "none"},
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
    {kResultHttp4xx, "HTTP 4xx error"},
    {kResultHttp5xx, "HTTP 5xx error"},
    {kResultHttpError, "HTTP error"},
    {kResultRedirectOutside, "HTTP redirect outside"},
    {kResultFtp4xx, "FTP 4xx error"},
    {kResultFtp5xx, "FTP 5xx error"},
    {kResultFtpError, "FTP error"},
    {kResultFtpLoginNotSupported, "FTP login type not supported"},
};

} // namespace

std::string TransferErrorText(int code)
{
    for (const CodeText& entry : kCodeTexts)
    {
        if (entry.code == code)
            return entry.text;
    }
    return Format("Error %d", code);
}
