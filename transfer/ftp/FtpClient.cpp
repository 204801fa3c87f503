#include "transfer/ftp/FtpClient.h"

#include "foundation/files/FileSystem.h"
#include "foundation/links/LinkItem.h"
#include "foundation/links/UrlParts.h"
#include "foundation/stores/PasswordStore.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/threads/NamedLockTable.h"
#include "platform/core/CriticalSection.h"
#include "platform/core/OleDateTime.h"
#include "platform/core/Text.h"
#include "transfer/base/LogMessages.h"
#include "transfer/base/OptionalLog.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/base/TransferLimits.h"
#include "transfer/base/TransferProgress.h"
#include "transfer/client/ResourceKind.h"
#include "transfer/ftp/FtpReplyText.h"
#include "transfer/ftp/OneTimePassword.h"
#include "transfer/net/IdleConnectionProbe.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

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

CFtpClient::CFtpClient() : CProtocolClient(kProtocolFtp)
{
    m_control.SetAbortFlag(&AbortFlag());
    m_data.SetAbortFlag(&AbortFlag());
}

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
    m_sizePath.clear();
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

    // The reply to TYPE does not matter here: SIZE says what the server
    // thinks of it.
    result = Command("TYPE I", log, replyText, replyCode);
    if (result == kResultOk)
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
    m_sizePath = path;
    m_size = size;
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

int CFtpClient::DownloadToFile(CLinkItem& request, ITransferLog* log, ITransferProgress* meter)
{
    const int result = CProtocolClient::DownloadToFile(request, log, meter);
    if (result != kResultBadResumeOffset || IsAborted())
        return result;
    // The server cannot start in the middle: the bytes kept locally are of
    // no use to it, so the file comes again from its first byte (where a
    // refused "REST 0" is no failure, so this happens once at most).
    const std::string path = GetLocalFilePath(request);
    LogFormat(log, kLogStatus, "Resume refused by the server: downloading the whole file.");
    if (FileExists(path) && !DeleteFileForce(path))
    {
        LogMessage(log, kLogError, kMessageCannotRemoveFile, path.c_str());
        return kResultAccessDenied;
    }
    return CProtocolClient::DownloadToFile(request, log, meter);
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
    std::string preliminary;
    result = OpenDataConnection(request, "LIST", 0, log, preliminary);
    if (result != kResultOk)
        return result;
    LogFormat(log, kLogStatus, "Starting read from data socket.");
    const int body = ReceiveBody(sink, -1, -1, log, true, progress);
    LogFormat(log, kLogStatus, "Read from data socket finished.");
    return ReadClosingReply(body, true, log);
}

int CFtpClient::Retrieve(CLinkItem& request, StreamInterface& sink, int64_t offset, int64_t length,
                         ITransferLog* log, ITransferProgress* progress)
{
    int asciiFlag = 0;
    request.GetInt(LI_ASCII_TRANSFER, asciiFlag);
    bool ascii = asciiFlag != 0;
    if (ascii && offset > 0)
    {
        LogFormat(log, kLogStatus, "Resuming in binary mode: the local file holds the server's bytes.");
        ascii = false;
    }
    const std::string path = request.GetUrl();
    // The size SIZE gave for this very path on this connection, used up here.
    int64_t announced = m_sizePath == path ? m_size : -1;
    m_sizePath.clear();

    std::string replyText;
    int replyCode = 0;
    int result = CommandExpect(ascii ? "TYPE A" : "TYPE I", log, replyText, replyCode, 2);
    if (result != kResultOk)
        return result;
    std::string preliminary;
    result = OpenDataConnection(request, "RETR " + path, offset, log, preliminary);
    if (result != kResultOk)
        return result;
    if (announced < 0)
        ParseTransferSize(preliminary, announced);
    // Servers announce either the whole size or what is left after the
    // restart point; the whole size less the offset is the least the body
    // must bring under either reading.
    const int64_t start = offset > 0 ? offset : 0;
    const int64_t minimum = ascii || announced < 0 ? -1 : std::max<int64_t>(announced - start, 0);
    const int body = ReceiveBody(sink, length, minimum, log, false, progress);
    return ReadClosingReply(body, length < 0, log);
}

// The control connection of CFtpClient: sending commands, reading replies,
// the expected-class check and the connected state.
namespace
{

// The block asked for per receive while a reply is incomplete.
constexpr int kReplyReceiveBlock = 256;
} // namespace

int CFtpClient::ReplyClassResult(int replyCode)
{
    switch (replyCode / 100)
    {
    case 4:
        return kResultFtp4xx;
    case 5:
        return kResultFtp5xx;
    default:
        return kResultFtpError;
    }
}

bool CFtpClient::IsReplyClass(int replyCode, int replyClass)
{
    return replyCode == replyClass || replyCode / 100 == replyClass;
}

int CFtpClient::SendCommand(const std::string& command, ITransferLog* log)
{
    const std::string text = Trim(command, "\r\n");
    if (text.empty())
    {
        LogFormat(log, kLogError, "Empty parameter for FTP command.");
        return kResultEmptyParameter;
    }
    // A path or user name from a link may hold an encoded line break; sent
    // as it is, the rest of it would reach the server as a command of its own.
    if (text.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
    {
        LogFormat(log, kLogError, "Invalid character in FTP command, not sent.");
        return kResultInvalidParameter;
    }
    if (log)
        log->AppendLine(kLogSent, MaskPasswordCommand(text));
    const std::string line = text + "\r\n";
    if (m_control.Send(line.data(), static_cast<int>(line.size())) != static_cast<int>(line.size()))
    {
        const int error = m_control.GetLastError();
        SetConnectedState(false);
        if (IsAborted())
            return kResultStopped;
        LogFormat(log, kLogError,
                  error == kResultTimeout ? "Request timeouted." : "Request failed on sending.");
        return error != 0 ? error : kResultControlClosed;
    }
    return kResultOk;
}

int CFtpClient::ReadReply(ITransferLog* log, std::string& replyText, int& replyCode)
{
    for (;;)
    {
        const std::string_view buffered = m_replyBuffer.GetText();
        std::string text;
        int code = 0;
        size_t consumed = 0;
        const FtpReplyParse parsed = ParseReplyBuffer(buffered, m_replyScan, text, code, consumed);
        if (parsed != FtpReplyParse::Incomplete)
        {
            const int32_t rest = m_replyBuffer.GetLength() - static_cast<int32_t>(consumed);
            if (rest > 0)
                std::memmove(m_replyBuffer.GetData(), m_replyBuffer.GetData() + consumed,
                             static_cast<size_t>(rest));
            m_replyBuffer.SetLength(rest);
            m_replyScan = FtpReplyScan();

            replyText = TrimRight(text, "\r\n");
            replyCode = code;
            if (log)
            {
                log->AppendLine(kLogReceived, replyText);
                if (parsed == FtpReplyParse::Malformed)
                    log->AppendLine(kLogError,
                                    "WARNING: Incorrect reply received from server: 3 digit number "
                                    "expected at the beginning of the server reply.");
            }
            return kResultOk;
        }

        if (m_replyBuffer.GetLength() >= kMaxFtpReplySize)
        {
            LogFormat(log, kLogError, "Reply from server too long (over %d bytes), connection dropped.",
                      static_cast<int>(kMaxFtpReplySize));
            SetConnectedState(false);
            return kResultProtocolError;
        }
        if (IsAborted())
        {
            // The reply stays unread: the connection is out of step.
            SetConnectedState(false);
            return kResultStopped;
        }
        // Doubling keeps a long reply from being copied again on every block.
        if (m_replyBuffer.GetCapacity() - m_replyBuffer.GetLength() < kReplyReceiveBlock &&
            !m_replyBuffer.Grow(std::max(kReplyReceiveBlock, m_replyBuffer.GetCapacity())))
        {
            SetConnectedState(false);
            return kResultNoMoreHandles;
        }
        char* room = reinterpret_cast<char*>(m_replyBuffer.GetData()) + m_replyBuffer.GetLength();
        const int received = m_control.Recv(room, kReplyReceiveBlock);
        if (received == 0)
        {
            LogFormat(log, kLogError, "Connection closed by server.");
            SetConnectedState(false);
            return kResultControlClosed;
        }
        if (received < 0)
        {
            const int error = m_control.GetLastError();
            SetConnectedState(false);
            if (IsAborted())
                return kResultStopped;
            if (error == kResultTimeout)
                LogMessage(log, kLogError, kMessageTimeoutOn, "FTP reply read");
            else
                LogMessage(log, kLogError, kMessageControlClosedCode, error);
            return error != 0 ? error : kResultControlClosed;
        }
        m_replyBuffer.SetLength(m_replyBuffer.GetLength() + received);
    }
}

int CFtpClient::Command(const std::string& command, ITransferLog* log, std::string& replyText, int& replyCode)
{
    if (IsAborted())
        return kResultStopped;
    if (m_cache.IsCachedCommand(command, replyCode))
    {
        replyText.clear();
        return kResultOk;
    }
    int result = SendCommand(command, log);
    if (result != kResultOk)
        return result;
    result = ReadReply(log, replyText, replyCode);
    if (result != kResultOk)
        return result;
    m_cache.UpdateCommandCache(command, replyCode);
    return kResultOk;
}

int CFtpClient::CommandExpect(const std::string& command, ITransferLog* log, std::string& replyText,
                              int& replyCode, int expected)
{
    const int result = Command(command, log, replyText, replyCode);
    if (result != kResultOk)
        return result;
    if (!IsReplyClass(replyCode, expected))
        return ReplyClassResult(replyCode);
    return kResultOk;
}

bool CFtpClient::CheckControlConnection(bool check)
{
    if (check && IsConnected())
    {
        // Bytes already buffered answer no command of ours, just like bytes
        // still waiting on the socket.
        std::string stray;
        if (m_replyBuffer.GetLength() == 0 && ProbeIdleConnection(m_control, stray) == IdleProbeResult::Quiet)
            return true;
        SetConnectedState(false);
        return false;
    }
    if (!IsConnected())
        CloseConnections();
    return IsConnected();
}

void CFtpClient::SetConnectedState(bool connected)
{
    SetConnected(connected ? 1 : 0);
}

int CFtpClient::SetConnected(int value)
{
    const int old = CProtocolClient::SetConnected(value);
    if (value == 0)
        CloseConnections();
    return old;
}

void CFtpClient::CloseConnections()
{
    m_data.Close();
    m_control.Close();
}

void CFtpClient::AttachTrafficObserver(bool attach)
{
    ITrafficObserver* observer = attach ? GetTrafficObserver() : nullptr;
    m_control.SetTrafficObserver(observer);
    m_data.SetTrafficObserver(observer);
}

// Connecting and logging on: the greeting, anonymous and named logins,
// one-time passwords, the credential prompt and the password store.
namespace
{

// Without a user name the logon is anonymous; this is the password when the
// setting "Connections/Anonymous Password" is empty.
constexpr const char* kDefaultAnonymousPassword = "pilot@";

// A 5xx answer to the password asks the user again, this many times.
constexpr int kMaxLoginRetries = 10;

const char* const kLoginKindNames[] = {"anonymous", "normal", "double", "skey auto", "skey md4", "skey md5"};

// Logons to one host and port run one at a time across all clients: a
// server that counts failed logons per address then sees them in order.
CNamedLockTable& LogonLocks()
{
    static CNamedLockTable table;
    return table;
}

} // namespace

int CFtpClient::Connect(CLinkItem& request, ITransferLog* log)
{
    if (IsAborted())
        return kResultStopped;
    if (CheckControlConnection(true))
        return kResultOk;

    m_replyBuffer.SetLength(0);
    m_replyScan = FtpReplyScan();
    m_cache.Reset();
    m_sizePath.clear();
    const int timeoutMs = ConnectionTimeoutMs(GetServices().Settings());
    m_control.SetTimeout(timeoutMs);
    m_data.SetTimeout(timeoutMs);
    LogMessage(log, kLogStatus, kMessageConnecting);

    AttachTrafficObserver(true);
    const CUrlParts parts = request.GetUrlParts();
    const std::string proxy = GetProxyKey();
    int result = kResultOk;
    if (!m_control.ConnectViaProxy(parts.m_host.c_str(), parts.m_port, proxy.c_str(), log))
    {
        result = IsAborted() ? kResultStopped : m_control.GetLastError();
        m_control.CloseSocket();
        if (result == kResultOk)
            result = kResultControlClosed;
    }
    else if (IsAborted())
        result = kResultStopped;
    else
        result = LogOn(request, log);
    AttachTrafficObserver(false);

    if (result == kResultOk)
        SetConnectedState(true);
    else if (IsConnected() || m_control.IsConnected())
        SetConnectedState(false);
    return result;
}

int CFtpClient::LogOn(CLinkItem& request, ITransferLog* log)
{
    std::string replyText;
    int replyCode = 0;
    int result = ReadReply(log, replyText, replyCode);
    if (result != kResultOk)
        return result;
    if (!IsReplyClass(replyCode, 2))
        return ReplyClassResult(replyCode);

    const CUrlParts parts = request.GetUrlParts();
    std::string user = parts.m_user;
    std::string password = parts.m_password;
    const std::string siteKey = Format("%s:%d", parts.m_host.c_str(), parts.m_port);

    bool askCredentials = false;
    if (user.empty())
    {
        user = "anonymous";
        password.clear();
        GetServices().Settings().GetString(SETTING_CONNECTIONS_ANONYMOUS_PASSWORD, password);
        if (password.empty())
            password = kDefaultAnonymousPassword;
    }
    else if (user == "$")
    {
        user.clear();
        password.clear();
        askCredentials = true;
    }
    else if (password == "$")
    {
        password.clear();
        askCredentials = true;
    }
    if (password.empty() && !user.empty() && !askCredentials)
        GetServices().Passwords().Get(request.GetSiteUrlWithLogin(), password);

    for (int attempt = 0;; ++attempt)
    {
        if (askCredentials)
        {
            password.clear();
            result = PromptCredentials(request.GetSiteUrl(), user, password, log);
            if (result != kResultOk)
                return result;
        }
        LogonLocks().Lock(siteKey);
        result = Login(user, password, log);
        LogonLocks().Unlock(siteKey);
        if (result == kResultOk)
        {
            SetLogin(user, password);
            StoreLoginInRequest(request, user, password);
            return kResultOk;
        }
        if (result != kResultFtp5xx || attempt >= kMaxLoginRetries)
            return result;
        askCredentials = true;
    }
}

int CFtpClient::Login(const std::string& user, const std::string& password, ITransferLog* log)
{
    std::string replyText;
    int replyCode = 0;
    int result = Command("USER " + user, log, replyText, replyCode);
    if (result != kResultOk)
        return result;
    if (IsReplyClass(replyCode, 2))
        return kResultOk;
    if (!IsReplyClass(replyCode, 3))
        return ReplyClassResult(replyCode);

    int kind = kLoginSkeyAuto;
    std::string answer;
    if (!MakeOtpAnswer(password, answer, replyText, kind))
    {
        const int index = std::clamp(kind, 0, 5);
        LogMessage(log, kLogError, kMessageLoginNotSupported, kLoginKindNames[index]);
        return kResultFtpLoginNotSupported;
    }
    if (kind == kLoginSkeyMd4 || kind == kLoginSkeyMd5)
        LogMessage(log, kLogStatus, kMessageOtpGenerated, answer.c_str());

    result = Command("PASS " + answer, log, replyText, replyCode);
    if (result != kResultOk)
        return result;
    return IsReplyClass(replyCode, 2) ? kResultOk : ReplyClassResult(replyCode);
}

void CFtpClient::StoreLoginInRequest(CLinkItem& request, const std::string& user, const std::string& password)
{
    const CUrlParts parts = request.GetUrlParts();
    if (parts.m_user == user && parts.m_password == password)
        return;
    // The item offers no setter for its login, so the URL is composed again
    // with the accepted one. A login that would not read back the same from
    // a URL (a '@' or ':' in it) is left out rather than stored mangled.
    const std::string path = request.GetUrl();
    const std::string url = ComposeUrl(parts.m_scheme, parts.m_host, path, parts.m_port, user, password);
    CUrlParts check;
    std::string checkPath;
    if (url.empty() || !ParseUrlToParts(url.c_str(), check, checkPath, true) ||
        check.m_user != user || check.m_password != password || check.m_host != parts.m_host ||
        check.m_port != parts.m_port || checkPath != path)
        return;
    request.SetUrl(url.c_str(), true);
}
