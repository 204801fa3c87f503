#include "transfer/http/HttpClient.h"

#include "foundation/links/LinkItem.h"
#include "foundation/links/UrlParts.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/CookieStore.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/text/StreamInterface.h"
#include "transfer/base/OptionalLog.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/base/TransferProgress.h"
#include "transfer/client/LinkLocation.h"
#include "transfer/http/ParseResponseHeaders.h"
#include "transfer/http/ReadBody.h"
#include "transfer/net/IdleConnectionProbe.h"

#include <cstring>
#include <strings.h>
#include <utility>

namespace
{
int EffectivePort(const CUrlParts& parts)
{
    if (parts.m_port > 0)
        return parts.m_port;
    const UrlScheme* entry = GetUrlSchemeEntry(parts.m_scheme);
    return entry ? entry->defaultPort : -1;
}

// The status line: the header's first line without trailing white space.
std::string StatusLineOf(const CByteBuffer& header)
{
    const char* text = reinterpret_cast<const char*>(header.GetData());
    size_t n = 0;
    const size_t length = text ? size_t(header.GetLength()) : 0;
    while (n < length && text[n] != '\n' && text[n] != '\0')
        ++n;
    while (n > 0 && (text[n - 1] == ' ' || text[n - 1] == '\t' || text[n - 1] == '\r'))
        --n;
    return std::string(text ? text : "", n);
}

// The error line and code of a final status that is no success. A HEAD
// takes any 2xx for an answer (headOnly); a download has no body to take
// from a 2xx other than 200 and 206.
int StatusFailure(int status, bool headOnly, ITransferLog* log)
{
    if (status == 401)
    {
        LogFormat(log, kLogError, "401 access denied.");
        return kResultRemoteAccessDenied;
    }
    if (status == 404)
    {
        LogFormat(log, kLogError, "404 not found.");
        return kResultRemoteNotFound;
    }
    LogFormat(log, kLogError, "Server return error: %d.", status);
    if (headOnly && status >= 200 && status <= 299)
        return kResultOk;
    if (status >= 400 && status <= 499)
        return kResultHttp4xx;
    if (status >= 500 && status <= 599)
        return kResultHttp5xx;
    return kResultHttpError;
}
} // namespace

CHttpClient::CChannel::CChannel(CHttpClient& owner)
    : CConnectionHttpChannel(owner.m_connection), m_owner(owner)
{
}

bool CHttpClient::CChannel::IsAborted() const
{
    return m_owner.IsAborted();
}

void CHttpClient::CChannel::Drop()
{
    m_owner.SetConnected(0);
}

void CHttpClient::CChannel::EndKeepAlive()
{
    // The rest of the response is still read; the next Connect sees the
    // flag down and opens a new connection.
    m_owner.CProtocolClient::SetConnected(0);
}

int CHttpClient::CChannel::TimeoutMs() const
{
    return m_owner.m_timeoutMs;
}

ITrafficObserver* CHttpClient::CChannel::TrafficObserver() const
{
    return m_owner.GetTrafficObserver();
}

CHttpClient::CHttpClient(int kind) : CProtocolClient(kind), m_channel(*this)
{
    m_receive.SetGrowStep(256);
    m_connection.SetAbortFlag(&AbortFlag());
}

CHttpClient::~CHttpClient()
{
    m_connection.Close();
}

int CHttpClient::SetConnected(int value)
{
    const int old = CProtocolClient::SetConnected(value);
    if (value == 0)
        m_connection.Close();
    return old;
}

void CHttpClient::Close()
{
    SetAborted(1);
    m_connection.Close();
    CProtocolClient::Close();
}

void CHttpClient::Abort()
{
    SetAborted(1);
    m_connection.CloseSocket();
    CProtocolClient::Close();
}

bool CHttpClient::CheckIdleConnection()
{
    return CheckConnection(true, nullptr);
}

bool CHttpClient::CheckConnection(bool probe, ITransferLog* log)
{
    if (!probe || !IsConnected())
    {
        if (!IsConnected())
            m_connection.Close();
        return IsConnected();
    }
    std::string stray;
    switch (ProbeIdleConnection(m_connection, stray))
    {
    case IdleProbeResult::Quiet:
        return true;
    case IdleProbeResult::Closed:
        SetConnected(0);
        return false;
    case IdleProbeResult::Stray:
        break;
    }
    if (stray.empty())
        return true;
    if (log)
        log->AppendLine(kLogReceived, stray);
    LogFormat(log, kLogError, "Trashed response received.");
    SetConnected(0);
    return false;
}

int CHttpClient::Connect(CLinkItem& request, ITransferLog* log)
{
    m_justConnected = false;
    if (IsAborted())
        return kResultStopped;
    if (CheckConnection(true, log))
    {
        // Bytes left over from the last response mean the connection is out
        // of step with our requests: never reuse it then.
        if (m_receive.GetLength() == 0)
        {
            m_justConnected = true;
            return kResultOk;
        }
        SetConnected(0);
    }
    m_receive.SetLength(0);
    m_receive.SetReadPos(0);
    m_timeoutMs = ConnectionTimeoutMs(GetServices().Settings());
    m_connection.SetTimeout(m_timeoutMs);
    const CUrlParts parts = request.GetUrlParts();
    const std::string proxy = GetProxyKey();
    if (!m_connection.ConnectViaProxy(parts.m_host.c_str(), parts.m_port, proxy.c_str(), log))
    {
        m_connection.CloseSocket();
        return m_connection.GetLastError() ? m_connection.GetLastError() : kResultControlClosed;
    }
    if (GetProtocol() == 2)
    {
        int method = 1;
        GetServices().Settings().GetInt(SETTING_CONNECTIONS_SSL_TLS_VERSION, method);
        if (method < 0 || method > 3)
            method = 1;
        if (!m_connection.StartSsl(method, log))
        {
            m_connection.CloseSocket();
            return m_connection.GetLastError() ? m_connection.GetLastError() : kResultSslStart;
        }
    }
    if (IsAborted())
        return kResultStopped;
    CProtocolClient::SetConnected(1);
    m_justConnected = true;
    return kResultOk;
}

int CHttpClient::ConnectForRequest(CLinkItem& request, ITransferLog* log)
{
    if (std::exchange(m_justConnected, false) && IsConnected() && m_receive.GetLength() == 0 && !IsAborted())
        return kResultOk;
    const int result = Connect(request, log);
    m_justConnected = false;
    return result;
}

int CHttpClient::Upload(CLinkItem&, ITransferLog*, ITransferProgress*)
{
    return IsAborted() ? kResultStopped : kResultNotSupported;
}

void CHttpClient::StoreStatusLine(CLinkItem& request, const CByteBuffer& header)
{
    request.SetString(LI_STATUS_LINE, StatusLineOf(header).c_str());
}

int CHttpClient::GetRemoteFileInfo(CLinkItem& request, ITransferLog* log)
{
    if (IsAborted())
        return kResultStopped;
    CByteBuffer header;
    int status = 0;
    const int result = SendRequest(request, CHttpRequestSpec{.m_method = "HEAD"}, header, status, log);
    if (result != kResultOk)
        return result;
    StoreStatusLine(request, header);
    SResponseLengths lengths;
    ParseResponseHeaders(status, request, header, lengths);
    return status == 200 ? kResultOk : StatusFailure(status, true, log);
}

int CHttpClient::CheckDownloadStatus(CLinkItem& request, int status, const CByteBuffer& header, bool chunked,
                                     int64_t offset, int64_t& length, int64_t& size, ITransferLog* log)
{
    SResponseLengths lengths;
    const int parsed = ParseResponseHeaders(status, request, header, lengths);
    size = lengths.m_size;
    if (status == 200)
    {
        if (offset != 0)
        {
            SetConnected(0);
            LogFormat(log, kLogError, "Incorrect offset returned: %I64d, expected: %I64d", int64_t(0),
                      offset);
            return kResultBadResumeOffset;
        }
    }
    else if (status == 206)
    {
        if (chunked)
        {
            SetConnected(0);
            LogMessage(log, kLogError, kMessageProtocolError,
                       "HTTP, chunked in partial content is not supported.");
            return kResultProtocolError;
        }
        if (parsed != kResultOk)
        {
            SetConnected(0);
            LogMessage(log, kLogError, kMessageProtocolError, "HTTP, incorrect or unknown byte range.");
            return kResultProtocolError;
        }
        if (lengths.m_rangeStart != offset)
        {
            SetConnected(0);
            LogFormat(log, kLogError, "Incorrect offset returned: %I64d, expected: %I64d",
                      lengths.m_rangeStart, offset);
            return kResultBadResumeOffset;
        }
    }
    else
    {
        // The request exchange has read the body of this answer away already.
        return StatusFailure(status, false, log);
    }
    if (parsed != kResultOk)
    {
        // A Content-Length that does not read cannot delimit the body.
        SetConnected(0);
        LogMessage(log, kLogError, kMessageProtocolError, "HTTP, invalid Content-Length.");
        return kResultProtocolError;
    }
    if (!chunked && lengths.m_contentLength >= 0 && length == -1)
        length = lengths.m_contentLength;
    return kResultOk;
}

int CHttpClient::Download(CLinkItem& request, StreamInterface& sink, int64_t offset, int64_t length,
                          ITransferLog* log, ITransferProgress* meter)
{
    if (IsAborted())
        return kResultStopped;
    int bodyLength = 0;
    const uint8_t* body = request.GetBlobData(LI_POST_DATA, bodyLength);
    const bool post = body != nullptr;
    // The body pointer is valid only until the entry changes; the request
    // loop writes other properties only, so a copy keeps it safe anyway.
    const std::string bodyCopy(post ? reinterpret_cast<const char*>(body) : "",
                               post ? size_t(bodyLength) : 0);
    CByteBuffer header;
    int status = 0;
    const CHttpRequestSpec spec{.m_method = post ? "POST" : "GET",
                                .m_offset = offset,
                                .m_length = length,
                                .m_body = post ? reinterpret_cast<const uint8_t*>(bodyCopy.data()) : nullptr,
                                .m_bodyLength = static_cast<int>(bodyCopy.size())};
    int result = SendRequest(request, spec, header, status, log);
    if (result != kResultOk)
        return result;
    StoreStatusLine(request, header);
    int64_t size = -1;
    const bool chunked = IsChunkedBody(header);
    result = CheckDownloadStatus(request, status, header, chunked, offset, length, size, log);
    if (result != kResultOk)
        return result;
    if (size >= 0 && meter)
        meter->SetTotal(size);
    LogFormat(log, kLogStatus, "Downloading HTTP body.");
    return ReadBody(m_channel, m_receive, sink, length, chunked, log, meter);
}

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
