// CHttpClient::CExchange: one request of SendRequest, repeated for
// credentials, authentication steps and redirects on the same site until a
// final answer. Each step is a member; GoTo is the one place the exchange
// moves from one to the next (and says so in the log when the log details
// are on).

#include "foundation/links/LinkItem.h"
#include "foundation/links/UrlParts.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/PasswordStore.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/text/ByteBuffer.h"
#include "transfer/base/OptionalLog.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/http/HttpAuthentication.h"
#include "transfer/http/HttpClient.h"
#include "transfer/http/HttpKeepAlive.h"
#include "transfer/http/HttpPostBody.h"
#include "transfer/http/HttpRequestHeader.h"
#include "transfer/http/HttpResponseHeader.h"
#include "transfer/http/HttpSend.h"
#include "transfer/http/ReadBody.h"
#include "transfer/http/ReadResponseHeader.h"
#include "transfer/net/IdleConnectionProbe.h"
#include "transfer/net/ProxySelection.h"

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

class CHttpClient::CExchange
{
public:
    CExchange(CHttpClient& client, CLinkItem& request, const CHttpRequestSpec& spec, CByteBuffer& header,
              int& status, ITransferLog* log);

    int Run();

private:
    enum class EStep
    {
        kPrompt,       // ask the user for a user name and password
        kConnect,      // open the connection, or keep the open one
        kSend,         // the request header, and a POST body unless refused early
        kReadAnswer,   // the response header, and which step it leads to
        kRedirect,     // a 3xx with a location: follow it on this site
        kAuthenticate, // a 401: the next authentication round, or a prompt
        kDiscardBody,  // another answer that is no success: its body to the log
        kDone,
    };

    void GoTo(EStep next);
    static const char* StepName(EStep step);

    // The user and password of the URL (or the password store's), the
    // enabled schemes and the POST body.
    int Prepare();
    int Prompt();
    int Connect();
    int Send();
    int ReadAnswer();
    // The step a final response header leads to.
    void JudgeAnswer();
    int Redirect();
    int Authenticate();
    int DiscardBody();
    // The accepted login is kept; keep-alive follows the final header.
    void Finish();

    // After a POST header: whether the server answers (or closes) within a
    // second, before the body is sent.
    bool HasEarlyAnswer();
    // The body of an answer we do not hand on, read into the log.
    int ReadBodyToLog();

    CHttpClient& m_client;
    CLinkItem& m_request;
    const CHttpRequestSpec& m_spec;
    CByteBuffer& m_header;
    int& m_status;
    ITransferLog* m_log;
    const bool m_post;
    const bool m_head;
    const bool m_logDetails;
    const bool m_viaHttpProxy;
    EStep m_step = EStep::kConnect;
    std::string m_user;
    std::string m_password;
    CHttpAuthentication m_auth;
    CHttpPostBody m_postBody;
    int m_redirects = 0;
};

CHttpClient::CExchange::CExchange(CHttpClient& client, CLinkItem& request, const CHttpRequestSpec& spec,
                                  CByteBuffer& header, int& status, ITransferLog* log)
    : m_client(client), m_request(request), m_spec(spec), m_header(header), m_status(status), m_log(log),
      m_post(spec.m_method && strcasecmp(spec.m_method, "POST") == 0),
      m_head(spec.m_method && strcasecmp(spec.m_method, "HEAD") == 0),
      m_logDetails(GetIntOr(client.GetServices().Settings(), SETTING_LOGS_LOG_DETAILS) != 0),
      m_viaHttpProxy(IsHttpProxy(client.GetProxyKey()))
{
}

const char* CHttpClient::CExchange::StepName(EStep step)
{
    switch (step)
    {
    case EStep::kPrompt:
        return "prompt";
    case EStep::kConnect:
        return "connect";
    case EStep::kSend:
        return "send";
    case EStep::kReadAnswer:
        return "read answer";
    case EStep::kRedirect:
        return "redirect";
    case EStep::kAuthenticate:
        return "authenticate";
    case EStep::kDiscardBody:
        return "discard body";
    case EStep::kDone:
        return "done";
    }
    return "";
}

void CHttpClient::CExchange::GoTo(EStep next)
{
    if (m_logDetails)
        LogFormat(m_log, kLogDetail, "HTTP exchange: %s.", StepName(next));
    m_step = next;
}

int CHttpClient::CExchange::Run()
{
    m_status = 0;
    if (m_client.IsAborted())
        return kResultStopped;
    int result = Prepare();
    while (result == kResultOk && m_step != EStep::kDone)
    {
        switch (m_step)
        {
        case EStep::kPrompt:
            result = Prompt();
            break;
        case EStep::kConnect:
            result = Connect();
            break;
        case EStep::kSend:
            result = Send();
            break;
        case EStep::kReadAnswer:
            result = ReadAnswer();
            break;
        case EStep::kRedirect:
            result = Redirect();
            break;
        case EStep::kAuthenticate:
            result = Authenticate();
            break;
        case EStep::kDiscardBody:
            result = DiscardBody();
            break;
        case EStep::kDone:
            break;
        }
    }
    if (result != kResultOk)
        return result;
    Finish();
    return kResultOk;
}

int CHttpClient::CExchange::Prepare()
{
    const CUrlParts parts = m_request.GetUrlParts();
    m_user = parts.m_user;
    m_password = parts.m_password;
    // "$" for the user or the password: ask before the first request.
    bool prompt = false;
    if (m_user == "$")
    {
        prompt = true;
        m_user.clear();
        m_password.clear();
    }
    else if (m_password == "$")
    {
        prompt = true;
        m_password.clear();
    }
    if (m_password.empty() && !m_user.empty() && !prompt)
        (void)m_client.GetServices().Passwords().Get(m_request.GetSiteUrlWithLogin(), m_password);
    m_auth.ReadEnabledSchemes(m_client.GetServices().Settings());
    if (m_post)
    {
        const int resolved = m_postBody.Resolve(m_spec.m_body, m_spec.m_bodyLength, m_log);
        if (resolved != kResultOk)
            return resolved;
    }
    GoTo(prompt ? EStep::kPrompt : EStep::kConnect);
    return kResultOk;
}

int CHttpClient::CExchange::Prompt()
{
    m_password.clear();
    const int prompted = m_client.PromptCredentials(m_request.GetSiteUrl(), m_user, m_password, m_log);
    if (prompted != kResultOk)
        return prompted;
    // The user may have changed the enabled schemes meanwhile.
    m_auth.ReadEnabledSchemes(m_client.GetServices().Settings());
    GoTo(EStep::kConnect);
    return kResultOk;
}

int CHttpClient::CExchange::Connect()
{
    const int connected = m_client.ConnectForRequest(m_request, m_log);
    if (connected != kResultOk)
        return connected;
    GoTo(EStep::kSend);
    return kResultOk;
}

int CHttpClient::CExchange::Send()
{
    m_client.UpdateCookieHeader(m_request);
    const int64_t rangeEnd = m_spec.m_length == -1 ? -1 : m_spec.m_offset + m_spec.m_length - 1;
    const int64_t endOrLength = m_post ? m_postBody.GetLength() : rangeEnd;
    std::string text;
    int result = BuildHttpRequest(m_request, m_spec.m_method, m_viaHttpProxy, m_spec.m_offset, endOrLength,
                                  m_auth.Authorization(), text);
    if (result != kResultOk)
        return result;
    std::string logged;
    // The same request with the credential masked, for the log: it cannot
    // fail where the real one just succeeded.
    if (m_auth.MaskInLog())
        (void)BuildHttpRequest(m_request, m_spec.m_method, m_viaHttpProxy, m_spec.m_offset, endOrLength, "*****",
                         logged);
    result = SendHeader(m_client.m_channel, text, logged, m_log);
    if (result != kResultOk)
        return result;
    if (!m_post)
    {
        GoTo(EStep::kReadAnswer);
        return kResultOk;
    }
    if (HasEarlyAnswer())
    {
        // The server spoke before it had the body: "100 Continue" lets the
        // body follow; any other answer is final, and the body is not sent.
        result = ReadResponseHeader(m_client.m_channel, m_client.m_receive, m_request, m_header, m_status,
                                    m_log, &m_client.GetServices().Cookies(), kReturnInterim);
        if (result != kResultOk)
            return result;
        if (m_status < 100 || m_status > 199)
        {
            // The server may still read what follows on this connection as
            // the body it announced: never send another request on it.
            m_client.m_channel.EndKeepAlive();
            JudgeAnswer();
            return kResultOk;
        }
    }
    result = m_postBody.Send(m_client.m_channel, m_log);
    if (result != kResultOk)
    {
        m_client.SetConnected(0);
        return result;
    }
    GoTo(EStep::kReadAnswer);
    return kResultOk;
}

int CHttpClient::CExchange::ReadAnswer()
{
    const int result = ReadResponseHeader(m_client.m_channel, m_client.m_receive, m_request, m_header,
                                          m_status, m_log, &m_client.GetServices().Cookies());
    if (result != kResultOk)
        return result;
    JudgeAnswer();
    return kResultOk;
}

void CHttpClient::CExchange::JudgeAnswer()
{
    // The location is looked for only where it can matter: on a 3xx.
    std::string location;
    if (m_status >= 300 && m_status <= 399 && FindHttpHeader(m_header, HttpHeaderName::kLocation, location) &&
        !location.empty())
        GoTo(EStep::kRedirect);
    else if (m_status == 401)
        GoTo(EStep::kAuthenticate);
    else if (m_status != 200 && m_status != 206)
        GoTo(EStep::kDiscardBody);
    else
        GoTo(EStep::kDone);
}

int CHttpClient::CExchange::Redirect()
{
    if (m_redirects == kMaxRedirects)
    {
        m_client.SetConnected(0);
        return kResultTooManyRedirects;
    }
    ++m_redirects;
    // A body that cannot be read past leaves the connection out of step.
    if (!m_head && ReadBodyToLog() != kResultOk)
        m_client.SetConnected(0);
    std::string location;
    FindHttpHeader(m_header, HttpHeaderName::kLocation, location);
    const int result = m_client.HandleRedirect(m_request, location, m_log);
    if (result != kResultOk)
        return result;
    UpdateKeepAlive(m_client.m_channel, m_header);
    GoTo(EStep::kConnect);
    return kResultOk;
}

int CHttpClient::CExchange::Authenticate()
{
    UpdateKeepAlive(m_client.m_channel, m_header);
    if (!m_head)
    {
        const int result = ReadBodyToLog();
        if (result != kResultOk)
            return result;
    }
    switch (m_auth.OnUnauthorized(m_header, m_user, m_password))
    {
    case CHttpAuthentication::kRetry:
        GoTo(EStep::kConnect);
        break;
    case CHttpAuthentication::kPrompt:
        GoTo(EStep::kPrompt);
        break;
    case CHttpAuthentication::kGiveUp:
        GoTo(EStep::kDone);
        break;
    }
    return kResultOk;
}

int CHttpClient::CExchange::DiscardBody()
{
    if (!m_head)
    {
        const int result = ReadBodyToLog();
        if (result != kResultOk)
            return result;
    }
    GoTo(EStep::kDone);
    return kResultOk;
}

void CHttpClient::CExchange::Finish()
{
    if ((m_status == 200 || m_status == 206) && m_auth.IsAuthenticated())
    {
        m_client.SetLogin(m_user, m_password);
        StoreLoginOnItem(m_request, m_user, m_password);
    }
    UpdateKeepAlive(m_client.m_channel, m_header);
}

int CHttpClient::CExchange::ReadBodyToLog()
{
    return ::ReadBodyToLog(m_client.m_channel, m_client.m_receive, m_header, m_log, m_logDetails);
}

bool CHttpClient::CExchange::HasEarlyAnswer()
{
    if (m_client.m_receive.GetLength() > 0)
        return true;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kEarlyAnswerWaitMs);
    char peek[kIdleProbePeekBytes];
    CConnection& connection = m_client.m_connection;
    for (int look = 0; look < kEarlyAnswerLooks && !m_client.IsAborted(); ++look)
    {
        // Through the TLS layer: session tickets are no answer.
        if (connection.PeekNoWait(peek, sizeof peek) != 0)
            return true; // an answer, or a closed connection the reader reports
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        int size = sizeof peek;
        if (connection.WaitData(peek, &size, static_cast<int>(left)) != 0)
            return true;
        if (size == 0)
            return false;
    }
    return false;
}

int CHttpClient::SendRequest(CLinkItem& request, const CHttpRequestSpec& spec, CByteBuffer& header,
                             int& status, ITransferLog* log)
{
    return CExchange(*this, request, spec, header, status, log).Run();
}
