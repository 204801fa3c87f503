#include "transfer/ftp/FtpClient.h"

#include "foundation/links/LinkItem.h"
#include "platform/core/OleDateTime.h"
#include "platform/core/Text.h"
#include "transfer/ftp/FtpReplyText.h"
#include "transfer/base/OptionalLog.h"
#include "transfer/client/ResourceKind.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/base/TransferProgress.h"

#include <cerrno>
#include <cstdlib>

namespace
{
constexpr int kProtocolFtp = 3;

// The resource type of an FTP folder (its LIST text).
constexpr int kResourceFtpListing = 8;
constexpr int kFirstResourceType = 1;
constexpr int kLastResourceType = 17;

constexpr const char* kDateFormat = "%m/%d/%Y %H:%M:%S";

// The text of a reply after its code ("213 1234" gives "1234").
std::string ReplyArgument(const std::string& replyText)
{
    return Trim(replyText.size() > 4 ? std::string_view(replyText).substr(4) : std::string_view());
}

// Hands the client's traffic observer to its connections for one operation.
class CObserverScope
{
public:
    explicit CObserverScope(CFtpClient& client, void (CFtpClient::*attach)(bool))
        : m_client(client), m_attach(attach)
    {
        (m_client.*m_attach)(true);
    }
    ~CObserverScope() { (m_client.*m_attach)(false); }
    CObserverScope(const CObserverScope&) = delete;
    CObserverScope& operator=(const CObserverScope&) = delete;

private:
    CFtpClient& m_client;
    void (CFtpClient::*m_attach)(bool);
};
} // namespace

CFtpClient::CFtpClient() : CProtocolClient(kProtocolFtp) {}

CFtpClient::~CFtpClient()
{
    Close();
    CloseConnections();
}

void CFtpClient::Close()
{
    // Only the flags and the sockets: Close may come from another thread
    // while the worker is inside a send or receive.
    SetAborted(1);
    CProtocolClient::SetConnected(0);
    m_data.CloseSocket();
    m_control.CloseSocket();
    CProtocolClient::Close();
}

int CFtpClient::Upload(CLinkItem&, ITransferLog*, ITransferProgress*)
{
    return IsAborted() ? kResultStopped : kResultNotSupported;
}

bool CFtpClient::CheckIdleConnection()
{
    return CheckControlConnection(true);
}

void CFtpClient::StoreReplyStatus(CLinkItem& request, const std::string& replyText)
{
    std::string text = TrimLeft(replyText);
    const size_t lineFeed = text.find('\n');
    if (lineFeed != std::string::npos && lineFeed > 0)
        text.erase(0, lineFeed + 1);
    request.SetString(LI_STATUS_LINE, TrimRight(text).c_str());
}

int CFtpClient::GetRemoteFileInfo(CLinkItem& request, ITransferLog* log)
{
    if (IsAborted())
        return kResultStopped;
    CObserverScope observer(*this, &CFtpClient::AttachTrafficObserver);
    request.SetString(LI_INFO_DATE, COleDateTime::GetCurrentTime().Format(kDateFormat).c_str());

    const std::string path = request.GetUrl();
    std::string replyText;
    int replyCode = 0;
    int result = Command("CWD " + path, log, replyText, replyCode);
    if (result != kResultOk)
    {
        StoreReplyStatus(request, replyText);
        return result;
    }
    if (replyCode / 100 == 2)
    {
        request.SetInt64(LI_SIZE, -1);
        request.SetInt(LI_RESOURCE_TYPE, kResourceFtpListing);
        request.SetInt(LI_SIZE_KNOWN, 0);
        request.Remove(LI_TIME);
        return kResultOk;
    }

    result = Command("SIZE " + path, log, replyText, replyCode);
    if (result != kResultOk)
    {
        StoreReplyStatus(request, replyText);
        return result;
    }
    if (replyCode / 100 != 2)
    {
        StoreReplyStatus(request, replyText);
        return kResultRemoteNotFound;
    }
    const std::string sizeText = ReplyArgument(replyText);
    int64_t size = -1;
    if (!sizeText.empty())
    {
        errno = 0;
        char* end = nullptr;
        const long long value = std::strtoll(sizeText.c_str(), &end, 10);
        // A size that is no number or out of range is not a size.
        if (errno == 0 && end != sizeText.c_str() && value >= 0)
            size = value;
    }
    request.SetInt64(LI_SIZE, size);
    request.SetInt(LI_RESOURCE_TYPE, GetResourceKind(std::string_view(), path));
    request.SetInt(LI_SIZE_KNOWN, 1);

    result = Command("MDTM " + path, log, replyText, replyCode);
    if (result != kResultOk)
    {
        StoreReplyStatus(request, replyText);
        return result;
    }
    if (replyCode / 100 == 2)
    {
        const std::string timeText = ReplyArgument(replyText);
        COleDateTime time;
        if (ParseMdtmTime(timeText, time))
        {
            request.SetString(LI_TIME, time.Format(kDateFormat).c_str());
            StoreReplyStatus(request, std::string());
        }
        else
        {
            request.Remove(LI_TIME);
            request.SetString(LI_STATUS_LINE, ("Cannot parse: " + timeText).c_str());
        }
    }
    else
    {
        request.Remove(LI_TIME);
        StoreReplyStatus(request, replyText);
    }
    return kResultOk;
}

int CFtpClient::Download(CLinkItem& request, StreamInterface& sink, int64_t offset, int64_t length,
                         ITransferLog* log, ITransferProgress* progress)
{
    if (IsAborted())
        return kResultStopped;
    int type = 0;
    request.GetInt(LI_RESOURCE_TYPE, type);
    if (type < kFirstResourceType || type > kLastResourceType)
    {
        const int result = GetRemoteFileInfo(request, log);
        if (result != kResultOk)
            return result;
        request.GetInt(LI_RESOURCE_TYPE, type);
    }
    CObserverScope observer(*this, &CFtpClient::AttachTrafficObserver);
    if (type == kResourceFtpListing)
        return List(request, sink, log, progress);
    int64_t size = -1;
    if (request.GetInt64(LI_SIZE, size) == 0)
        size = -1;
    if (size >= 0 && progress)
        progress->SetTotal(size);
    return Retrieve(request, sink, offset, length, log, progress);
}

int CFtpClient::List(CLinkItem& request, StreamInterface& sink, ITransferLog* log,
                     ITransferProgress* progress)
{
    std::string replyText;
    int replyCode = 0;
    int result = CommandExpect("CWD " + request.GetUrl(), log, replyText, replyCode, 2);
    if (result != kResultOk)
        return result;
    result = Command("TYPE A", log, replyText, replyCode);
    if (result != kResultOk)
        return result;
    result = OpenDataConnection(request, "LIST", 0, log);
    if (result != kResultOk)
        return result;
    LogFormat(log, kLogStatus, "Starting read from data socket.");
    const int body = ReceiveBody(sink, -1, log, true, progress);
    LogFormat(log, kLogStatus, "Read from data socket finished.");
    return ReadClosingReply(body, true, log);
}

int CFtpClient::Retrieve(CLinkItem& request, StreamInterface& sink, int64_t offset, int64_t length,
                         ITransferLog* log, ITransferProgress* progress)
{
    int ascii = 0;
    request.GetInt(LI_ASCII_TRANSFER, ascii);
    std::string replyText;
    int replyCode = 0;
    int result = CommandExpect(ascii != 0 ? "TYPE A" : "TYPE I", log, replyText, replyCode, 2);
    if (result != kResultOk)
        return result;
    result = OpenDataConnection(request, "RETR " + request.GetUrl(), offset, log);
    if (result != kResultOk)
        return result;
    const int body = ReceiveBody(sink, length, log, false, progress);
    return ReadClosingReply(body, length < 0, log);
}
