// The request loop of CHttpClient: one request, repeated for credentials,
// authentication steps and redirects on the same site until a final answer.

#include "foundation/text/ByteBuffer.h"
#include "foundation/stores/CookieStore.h"
#include "foundation/links/LinkItem.h"
#include "foundation/stores/PasswordStore.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/links/UrlParts.h"
#include "platform/core/Text.h"
#include "transfer/http/HttpAuthentication.h"
#include "transfer/http/HttpClient.h"
#include "transfer/http/HttpKeepAlive.h"
#include "transfer/http/HttpPostBody.h"
#include "transfer/http/HttpRequestHeader.h"
#include "transfer/http/HttpResponseHeader.h"
#include "transfer/http/HttpSend.h"
#include "transfer/net/IdleConnectionProbe.h"
#include "transfer/client/LinkLocation.h"
#include "transfer/net/ProxySelection.h"
#include "transfer/http/ReadBody.h"
#include "transfer/http/ReadResponseHeader.h"
#include "transfer/base/ResultCodes.h"

#include <chrono>
#include <cstring>
#include <strings.h>

namespace
{
// Redirects followed within one request; the next one gives 1010.
constexpr int kMaxRedirects = 9;
// How long a POST waits after its header for an early answer (a refusal,
// or "100 Continue") before it sends the body.
constexpr int kEarlyAnswerWaitMs = 1000;
// Bound on the looks within that wait (each either sees data, or consumed
// TLS records without application data, or waited out the rest).
constexpr int kEarlyAnswerLooks = 64;

bool IsHttpProxy(const std::string& proxy)
{
    return !IsDirectProxy(proxy) && GetUrlScheme(proxy.c_str(), false) == URL_SCHEME_HTTP;
}

int EffectivePort(const CUrlParts& parts)
{
    if (parts.m_port > 0)
        return parts.m_port;
    const UrlScheme* entry = GetUrlSchemeEntry(parts.m_scheme);
    return entry ? entry->defaultPort : -1;
}

bool LogDetails(const IPropertySet& settings)
{
    int details = 0;
    settings.GetInt(SETTING_LOGS_LOG_DETAILS, details);
    return details != 0;
}

// The user and password that the server accepted go back into the item's
// URL, so later requests of its job carry them. Parsed into a scratch item
// first: a login that does not survive as URL text leaves the item alone.
void StoreLoginOnItem(CLinkItem& request, const std::string& user, const std::string& password)
{
    CUrlParts parts = request.GetUrlParts();
    if (parts.m_user == user && parts.m_password == password)
        return;
    parts.m_user = user;
    parts.m_password = password;
    const std::string text = ComposeUrlFromParts(parts, request.GetUrl(), true);
    CLinkItem scratch;
    if (!scratch.SetUrl(text.c_str(), true))
        return;
    const CUrlParts check = scratch.GetUrlParts();
    if (check.m_host != parts.m_host || check.m_port != parts.m_port || check.m_scheme != parts.m_scheme ||
        strcasecmp(check.m_user.c_str(), user.c_str()) != 0 || check.m_password != password)
        return;
    request.SetUrl(text.c_str(), true);
}
} // namespace

void CHttpClient::UpdateCookieHeader(CLinkItem& request)
{
    if (!request.TestBit(LI_REQUEST_OPTIONS, LI_OPTION_SEND_COOKIES))
        return;
    const CUrlParts parts = request.GetUrlParts();
    std::string host = parts.m_host;
    if (host.find('.') == std::string::npos)
        host += ".local";
    std::string path = request.GetPath();
    if (path.empty())
        path = "/";
    std::string cookies;
    GetServices().Cookies().GetCookieHeader(host, path, parts.m_scheme == URL_SCHEME_HTTPS, cookies);
    request.SetString(LI_COOKIES, cookies.c_str());
}

int CHttpClient::HandleRedirect(CLinkItem& request, const std::string& location, ITransferLog*)
{
    if (IsAborted())
        return kResultStopped;
    // The URL this pass asked for: its path is the redirect path of an
    // earlier redirect when there was one.
    const std::string base = request.GetRequestUrlText(true, false);
    std::string target = location;
    // A network-path reference ("//host/path") keeps the scheme of the
    // request and replaces everything after it.
    const bool networkPath = location.size() > 2 && location[0] == '/' && location[1] == '/';
    if (networkPath)
        target = base.substr(0, base.find(':') + 1) + location;
    CLinkItem absolute;
    const bool isAbsolute = absolute.SetUrl(target.c_str(), true);
    if (isAbsolute)
        target = absolute.GetUrlText(true, false);
    const std::string resolved = ResolveLinkPath(base, target, false);

    CUrlParts from;
    CUrlParts to;
    std::string fromPath;
    std::string toPath;
    const bool same = !resolved.empty() && ParseUrlToParts(base.c_str(), from, fromPath, true) &&
                      ParseUrlToParts(resolved.c_str(), to, toPath, true) && from.m_scheme == to.m_scheme &&
                      strcasecmp(from.m_host.c_str(), to.m_host.c_str()) == 0 &&
                      EffectivePort(from) == EffectivePort(to);
    if (same)
    {
        request.SetString(LI_REDIRECT_PATH, toPath.empty() ? "/" : toPath.c_str());
        return kResultOk;
    }
    // Another site, or another scheme on this one: the caller follows it.
    // A relative location is handed on resolved, as the caller no longer
    // knows which path it was relative to.
    request.SetString(LI_REDIRECT_URL,
                      ((isAbsolute && !networkPath) || resolved.empty() ? location : resolved).c_str());
    SetConnected(0);
    return kResultRedirectOutside;
}

int CHttpClient::SendRequest(CLinkItem& request, const char* method, int64_t offset, int64_t length,
                             CByteBuffer& header, int& status, bool connectFirst, ITransferLog* log,
                             const uint8_t* body, int bodyLength)
{
    status = 0;
    if (IsAborted())
        return kResultStopped;
    const bool post = method && strcasecmp(method, "POST") == 0;
    const bool head = method && strcasecmp(method, "HEAD") == 0;
    const int64_t rangeEnd = length == -1 ? -1 : offset + length - 1;

    const CUrlParts parts = request.GetUrlParts();
    std::string user = parts.m_user;
    std::string password = parts.m_password;
    bool promptPending = false;
    if (user == "$")
    {
        promptPending = true;
        user.clear();
        password.clear();
    }
    else if (password == "$")
    {
        promptPending = true;
        password.clear();
    }
    if (password.empty() && !user.empty() && !promptPending)
        GetServices().Passwords().Get(request.GetSiteUrlWithLogin(), password);

    CHttpAuthentication auth;
    auth.ReadEnabledSchemes(GetServices().Settings());
    const bool viaHttpProxy = IsHttpProxy(GetProxyKey());

    CHttpPostBody postBody;
    if (post)
    {
        const int resolved = postBody.Resolve(body, bodyLength, log);
        if (resolved != kResultOk)
            return resolved;
    }

    int redirects = 0;
    for (;;)
    {
        if (promptPending)
        {
            promptPending = false;
            password.clear();
            const int prompted = PromptCredentials(request.GetSiteUrl(), user, password, log);
            if (prompted != kResultOk)
                return prompted;
            auth.ReadEnabledSchemes(GetServices().Settings());
        }
        if (connectFirst)
        {
            const int connected = Connect(request, log);
            if (connected != kResultOk)
                return connected;
        }
        UpdateCookieHeader(request);

        const int64_t endOrLength = post ? postBody.GetLength() : rangeEnd;
        std::string text;
        int result =
            BuildHttpRequest(request, method, viaHttpProxy, offset, endOrLength, auth.Authorization(), text);
        if (result != kResultOk)
            return result;
        std::string logged;
        if (auth.MaskInLog())
            BuildHttpRequest(request, method, viaHttpProxy, offset, endOrLength, "*****", logged);
        result = SendHeader(m_channel, text, logged, log);
        if (result != kResultOk)
            return result;

        bool answered = false;
        if (post)
        {
            if (HasEarlyAnswer())
            {
                // The server spoke before it had the body: "100 Continue"
                // lets the body follow; any other answer is final, and the
                // body is not sent.
                result =
                    ReadResponseHeader(m_channel, m_receive, request, header, status, log, &GetServices().Cookies(),
                                       kReturnInterim);
                if (result != kResultOk)
                    return result;
                answered = status < 100 || status > 199;
                if (answered)
                {
                    // The server may still read what follows on this
                    // connection as the body it announced: never send
                    // another request on it.
                    m_channel.EndKeepAlive();
                }
            }
            if (!answered)
            {
                result = postBody.Send(m_channel, log);
                if (result != kResultOk)
                {
                    SetConnected(0);
                    return result;
                }
            }
        }
        if (!answered)
        {
            result = ReadResponseHeader(m_channel, m_receive, request, header, status, log, &GetServices().Cookies());
            if (result != kResultOk)
                return result;
        }

        std::string location;
        FindHttpHeader(header, HttpHeaderName::kLocation, location);
        if (status >= 300 && status <= 399 && !location.empty())
        {
            if (redirects == kMaxRedirects)
            {
                SetConnected(0);
                return kResultTooManyRedirects;
            }
            ++redirects;
            if (!head && ReadBodyToLog(m_channel, m_receive, header, log, LogDetails(GetServices().Settings())) != kResultOk)
                SetConnected(0);
            result = HandleRedirect(request, location, log);
            if (result != kResultOk)
                return result;
            UpdateKeepAlive(m_channel, header);
            continue;
        }
        if (status == 401)
        {
            UpdateKeepAlive(m_channel, header);
            if (!head)
            {
                result = ReadBodyToLog(m_channel, m_receive, header, log, LogDetails(GetServices().Settings()));
                if (result != kResultOk)
                    return result;
            }
            const CHttpAuthentication::EAction action = auth.OnUnauthorized(header, user, password);
            if (action == CHttpAuthentication::kRetry)
                continue;
            if (action == CHttpAuthentication::kPrompt)
            {
                promptPending = true;
                continue;
            }
            break;
        }
        if (status != 200 && status != 206)
        {
            if (!head)
            {
                result = ReadBodyToLog(m_channel, m_receive, header, log, LogDetails(GetServices().Settings()));
                if (result != kResultOk)
                    return result;
            }
        }
        break;
    }

    if ((status == 200 || status == 206) && auth.IsAuthenticated())
    {
        SetLogin(user, password);
        StoreLoginOnItem(request, user, password);
    }
    UpdateKeepAlive(m_channel, header);
    return kResultOk;
}

bool CHttpClient::HasEarlyAnswer()
{
    if (m_receive.GetLength() > 0)
        return true;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kEarlyAnswerWaitMs);
    char peek[kIdleProbePeekBytes];
    for (int look = 0; look < kEarlyAnswerLooks && !IsAborted(); ++look)
    {
        // Through the TLS layer: session tickets are no answer.
        if (m_connection.PeekNoWait(peek, sizeof peek) != 0)
            return true; // an answer, or a closed connection the reader reports
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        int size = sizeof peek;
        if (m_connection.WaitData(peek, &size, static_cast<int>(left)) != 0)
            return true;
        if (size == 0)
            return false;
    }
    return false;
}
