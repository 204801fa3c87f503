#include "transfer/http/HttpRequestHeader.h"

#include "foundation/links/UrlParts.h"

#include <string_view>
#include <utility>

#include "foundation/text/Escaping.h"
#include "foundation/links/LinkItem.h"
#include "platform/core/Text.h"
#include "transfer/base/ResultCodes.h"

namespace
{

const char* const kHttpVersions[] = {"1.0", "1.1", "1.2"};
const char* const kConnectionTexts[] = {"Keep-Alive", "Close"};

const char kFormContentType[] = "application/x-www-form-urlencoded";

int ReadClamped(const CLinkItem& item, int id, int highest)
{
    int value = 0;
    item.GetInt(id, value);
    if (value < 0)
        return 0;
    return value > highest ? highest : value;
}

// A line break or NUL would end the line early and let the rest of the text
// pose as lines of its own.
bool HasLineBreakingBytes(std::string_view text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

} // namespace

int BuildHttpRequest(const CLinkItem& item, const char* method, bool viaProxy, int64_t offset,
                     int64_t endOrLength, const std::string& authorization, std::string& request)
{
    request.clear();
    if (!method || !*method)
        return kResultInvalidParameter;
    const std::string verb = MakeUpper(method);
    const CUrlParts parts = item.GetUrlParts();

    std::string target;
    if (viaProxy)
    {
        const bool withLogin = parts.m_scheme != URL_SCHEME_HTTP && parts.m_scheme != URL_SCHEME_HTTPS;
        target = item.GetRequestUrlText(true, withLogin);
    }
    else
    {
        target = item.GetPath();
    }
    if (target.empty())
        target = "/";
    target = EscapeCharSet(target, " ", '%');

    std::string host = AuthorityHost(parts.m_host);
    // Port 0 or below means none was given; writing it would make a Host
    // line no server accepts.
    if (parts.m_port != 80 && parts.m_port > 0)
        host += ":" + std::to_string(parts.m_port);

    const bool isPost = verb == "POST";
    const bool isGet = verb == "GET";
    const auto option = [&item](int bit) { return item.TestBit(LI_REQUEST_OPTIONS, bit); };

    // Only the texts that are sent are checked: a bad value the options keep
    // off the wire does not fail the request.
    bool refused = HasLineBreakingBytes(verb) || HasLineBreakingBytes(target) || HasLineBreakingBytes(host);
    std::string text;
    const auto addField = [&text, &refused](const char* name, const std::string& value)
    {
        refused = refused || HasLineBreakingBytes(value);
        text += name;
        text += value;
        text += "\r\n";
    };

    // Joined rather than formatted: the request line and its fields are
    // written for every request, and a format string is read every time.
    text.reserve(256);
    text.append(verb).append(" ").append(target).append(" HTTP/");
    text.append(kHttpVersions[ReadClamped(item, LI_HTTP_VERSION, 2)]);
    text.append("\r\nHost: ").append(host).append("\r\n");
    if (isPost)
    {
        text += Format("Content-Length: %I64d\r\n", static_cast<long long>(endOrLength));
        std::string contentType = item.GetStringValue(LI_POST_CONTENT_TYPE);
        addField("Content-Type: ", contentType.empty() ? std::string(kFormContentType) : contentType);
    }
    else if (isGet)
    {
        if (endOrLength == -1)
        {
            if (offset != 0)
                text += Format("Range: bytes=%I64d-\r\n", static_cast<long long>(offset));
        }
        else
        {
            text += Format("Range: bytes=%I64d-%I64d\r\n", static_cast<long long>(offset),
                           static_cast<long long>(endOrLength));
        }
    }
    if (option(LI_OPTION_SEND_ACCEPT))
        text += "Accept: *.*, */*\r\n";
    if (viaProxy && option(LI_OPTION_SEND_NO_CACHE))
        text += "Pragma: no-cache\r\n";
    const std::string referrer = item.GetStringValue(LI_REFERRER);
    if (option(LI_OPTION_SEND_REFERRER) && !referrer.empty())
        addField("Referer: ", referrer);
    // A ranged request continues bytes already stored as they were decoded,
    // so it must get the same bytes uncoded: a coded answer to it would be
    // a whole new compressed body, not the rest of the file.
    const bool ranged = isGet && (offset != 0 || endOrLength != -1);
    if (ranged)
        text += "Accept-Encoding: identity\r\n";
    else if (isGet || isPost)
        text += "Accept-Encoding: gzip, deflate\r\n";
    const std::string userAgent = item.GetStringValue(LI_USER_AGENT);
    if (option(LI_OPTION_SEND_USER_AGENT) && !userAgent.empty())
        addField("User-Agent: ", userAgent);
    if (option(LI_OPTION_SEND_CONNECTION))
    {
        const char* connection = kConnectionTexts[ReadClamped(item, LI_CONNECTION_HEADER, 1)];
        text.append("Connection: ").append(connection).append("\r\n");
        if (viaProxy)
            text.append("Proxy-Connection: ").append(connection).append("\r\n");
    }
    const std::string cookies = item.GetStringValue(LI_COOKIES);
    if (option(LI_OPTION_SEND_COOKIES) && !cookies.empty())
        addField("Cookie: ", cookies);
    if (!authorization.empty())
        addField("Authorization: ", authorization);
    text += "\r\n";
    if (refused)
        return kResultInvalidParameter;
    request = std::move(text);
    return kResultOk;
}
