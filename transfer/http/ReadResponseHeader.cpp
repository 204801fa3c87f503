#include "transfer/http/ReadResponseHeader.h"

#include "foundation/text/ByteBuffer.h"
#include "foundation/stores/CookieStore.h"
#include "foundation/links/LinkItem.h"
#include "platform/core/OleDateTime.h"
#include "transfer/http/HttpChannel.h"
#include "transfer/http/HttpResponseHeader.h"
#include "transfer/base/OptionalLog.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/base/TransferLimits.h"

namespace
{

// What one read of an answer's header asks for. Whatever follows the header
// stays in the receive buffer for the body reader, so a small answer (a
// header and a body of a few kilobytes) arrives in one read instead of two.
constexpr int kHeaderReadSize = 16 * 1024;

constexpr int kSwitchingProtocols = 101;

// One split attempt: 1 a block was cut out, 0 more bytes needed, or a
// failure result (the connection dropped).
int TrySplit(IHttpChannel& channel, CByteBuffer& receive, CByteBuffer& header, ITransferLog* log)
{
    bool complete = false;
    const int result = SplitResponseHeader(receive, header, complete);
    if (result != kResultOk)
    {
        if (result == kResultProtocolError)
            LogMessage(log, kLogError, kMessageProtocolError, "response header too long");
        channel.Drop();
        return result;
    }
    if (!complete)
        return 0;
    LogResponseHeader(header, log);
    return 1;
}

} // namespace

int ReadHeaderBlock(IHttpChannel& channel, CByteBuffer& receive, CByteBuffer& header, ITransferLog* log)
{
    // Each pass adds at least one byte, and SplitResponseHeader fails once
    // the bytes pass the header cap: the loop ends.
    for (int split = TrySplit(channel, receive, header, log); split != 1;
         split = TrySplit(channel, receive, header, log))
    {
        if (split != 0)
            return split;
        int error = 0;
        const int count = ReceiveAppend(channel, receive, kHeaderReadSize, error);
        if (channel.IsAborted())
        {
            channel.Drop();
            return kResultStopped;
        }
        if (count == 0)
        {
            channel.Drop();
            LogMessage(log, kLogError, kMessageControlClosed);
            return kResultControlClosed;
        }
        if (count < 0)
        {
            channel.Drop();
            if (error == kResultTimeout)
                LogMessage(log, kLogError, kMessageTimeoutOn, "HTTP reply read");
            else
                LogMessage(log, kLogError, kMessageControlClosedCode, error);
            return error;
        }
    }
    return kResultOk;
}

int ReadResponseHeader(IHttpChannel& channel, CByteBuffer& receive, CLinkItem& item, CByteBuffer& header,
                       int& status, ITransferLog* log, CCookieStore* cookies, EInterimResponses interim)
{
    status = 0;
    LogMessage(log, kLogStatus, kMessageReceivedReply);
    for (int interimCount = 0;; ++interimCount)
    {
        header.SetLength(0);
        header.SetReadPos(0);
        if (channel.IsAborted())
        {
            channel.Drop();
            return kResultStopped;
        }
        const int result = ReadHeaderBlock(channel, receive, header, log);
        if (result != kResultOk)
            return result;

        std::string version;
        std::string statusText;
        if (!ParseStatusLine(header, version, statusText))
        {
            channel.Drop();
            return kResultProtocolError;
        }
        const int code = (statusText[0] - '0') * 100 + (statusText[1] - '0') * 10 + (statusText[2] - '0');
        const bool isInterim = code >= 100 && code < 200 && code != kSwitchingProtocols;
        if (!isInterim || interim == kReturnInterim)
        {
            if (!isInterim && cookies)
                StoreResponseCookie(item, header, *cookies);
            status = code;
            return kResultOk;
        }
        if (interimCount + 1 >= kMaxInterimResponses)
        {
            LogMessage(log, kLogError, kMessageProtocolError, "too many interim responses");
            channel.Drop();
            return kResultProtocolError;
        }
    }
}

void LogResponseHeader(const CByteBuffer& header, ITransferLog* log)
{
    if (!log || header.GetLength() <= 0)
        return;
    size_t length = static_cast<size_t>(header.GetLength());
    const char* text = reinterpret_cast<const char*>(header.GetData());
    if (text[length - 1] == '\0')
        --length;
    log->AppendLine(kLogReceived, std::string_view(text, length));
}

void StoreResponseCookie(const CLinkItem& item, const CByteBuffer& header, CCookieStore& store)
{
    if (!item.TestBit(LI_REQUEST_OPTIONS, LI_OPTION_SEND_COOKIES))
        return;
    std::string cookie;
    if (!FindHttpHeader(header, HttpHeaderName::kSetCookie, cookie))
        return;
    store.ParseSetCookie(cookie, item.GetUrlParts().m_host, COleDateTime::GetCurrentTime());
}

