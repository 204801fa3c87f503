// Connecting and logging on: the greeting, anonymous and named logins,
// one-time passwords, the credential prompt and the password store.
#include "transfer/ftp/FtpClient.h"

#include "foundation/links/LinkItem.h"
#include "foundation/threads/NamedLockTable.h"
#include "foundation/stores/PasswordStore.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/stores/Settings.h"
#include "foundation/links/UrlParts.h"
#include "platform/core/CriticalSection.h"
#include "platform/core/Text.h"
#include "transfer/ftp/OneTimePassword.h"
#include "transfer/base/OptionalLog.h"
#include "transfer/base/ResultCodes.h"

#include <algorithm>

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
        password = GetSettings().GetStringValue(SETTING_CONNECTIONS_ANONYMOUS_PASSWORD);
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
        GetPasswordStore().Get(request.GetSiteUrlWithLogin(), password);

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
        check.m_user != MakeLower(user) || check.m_password != password || check.m_host != parts.m_host ||
        check.m_port != parts.m_port || checkPath != path)
        return;
    request.SetUrl(url.c_str(), true);
}
