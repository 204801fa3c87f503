#include "transfer/http/HttpSend.h"

#include <algorithm>

#include "transfer/base/OptionalLog.h"
#include "transfer/base/ResultCodes.h"

namespace
{

// The reason of a failed send, never 0: a failure must not read as success.
int SendFailure(IHttpChannel& channel)
{
    const int error = channel.GetLastError();
    channel.Drop();
    return error != 0 ? error : kResultControlClosed;
}

} // namespace

int SendHeader(IHttpChannel& channel, const std::string& request, const std::string& logged,
               ITransferLog* log)
{
    if (log)
    {
        const std::string& shown = logged.empty() ? request : logged;
        const size_t blank = shown.find(' ', 1);
        const std::string what = blank == std::string::npos ? "HTTP" : "HTTP " + shown.substr(0, blank);
        LogMessage(log, kLogStatus, kMessageSendingRequestText, what.c_str());
        log->AppendLine(kLogSent, shown);
    }
    if (channel.Send(request.data(), static_cast<int>(request.size())))
        return kResultOk;
    const int error = SendFailure(channel);
    if (error == kResultTimeout)
        LogMessage(log, kLogError, kMessageTimeoutOn, "HTTP");
    else
        LogFormat(log, kLogError, "Request failed on sending: connection closed (error: %d).", error);
    return error;
}

int SendData(IHttpChannel& channel, const char* data, int n, ITransferLog* log, int showLimit)
{
    if (n < 0 || !data)
        n = 0;
    if (log)
    {
        LogFormat(log, kLogStatus, "Sending data: %d bytes.", n);
        if (showLimit > 0)
        {
            std::string shown(data, static_cast<size_t>(std::min(n, showLimit)));
            std::replace(shown.begin(), shown.end(), '\0', '?');
            log->AppendLine(kLogSent, shown);
        }
    }
    if (n == 0 || channel.Send(data, n))
        return kResultOk;
    const int error = SendFailure(channel);
    if (error == kResultTimeout)
        LogMessage(log, kLogError, kMessageTimeoutOn, "HTTP data send.");
    else
        LogFormat(log, kLogError, "Data send failed.");
    return error;
}
