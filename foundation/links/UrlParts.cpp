#include "foundation/links/UrlParts.h"

#include "platform/core/Text.h"

#include <algorithm>
#include <optional>

namespace
{

constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";
constexpr int kMaxPort = 65535;

bool IsWhiteSpace(char c)
{
    return kWhiteSpace.find(c) != std::string_view::npos;
}

bool IsSchemeNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '-' || c == '.';
}

// Index of the first table entry whose prefix starts text, or -1.
int MatchSchemePrefix(std::string_view text)
{
    for (int i = 0; i < kUrlSchemeCount; ++i)
    {
        if (text.starts_with(g_urlSchemes[i].prefix))
            return i;
    }
    return -1;
}

// Position of the "://" of an unknown scheme, or npos. Only a name made of
// scheme characters counts, so a "://" inside a path or query
// ("host/go?to=http://x") is not mistaken for the scheme of the whole text.
size_t FindUnknownSchemeSeparator(std::string_view text)
{
    size_t pos = text.find("://");
    if (pos == std::string_view::npos || pos == 0)
        return std::string_view::npos;
    for (size_t i = 0; i < pos; ++i)
    {
        if (!IsSchemeNameChar(text[i]))
            return std::string_view::npos;
    }
    return pos;
}

// The port text after the host's ':'. Empty means the scheme's default (as
// "host:/x" is read by browsers); anything but digits, or a value above
// 65535, is no port at all: reading "8o" as 8 would send the request to a
// server the page never named.
bool ParsePortNumber(std::string_view text, int defaultPort, int& port)
{
    if (text.empty())
    {
        port = defaultPort;
        return true;
    }
    long value = 0;
    for (const char c : text)
    {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
        if (value > kMaxPort)
            return false;
    }
    port = static_cast<int>(value);
    return true;
}

// Splits the host part of an authority ("host", "host:port", "[v6]" or
// "[v6]:port") into the host text and the port text after its ':' (null
// when there is none). A bracketed host keeps its colons and loses its
// brackets; false when the bracket is not closed or something other than a
// port follows it.
bool SplitHostPort(std::string_view hostPort, std::string_view& host,
                   std::optional<std::string_view>& portText)
{
    portText.reset();
    const std::string_view trimmed =
        hostPort.substr(std::min(hostPort.find_first_not_of(kWhiteSpace), hostPort.size()));
    if (!trimmed.empty() && trimmed.front() == '[')
    {
        const size_t close = trimmed.find(']');
        if (close == std::string_view::npos)
            return false;
        host = trimmed.substr(1, close - 1);
        const std::string_view after = trimmed.substr(close + 1);
        if (after.empty())
            return true;
        if (after.front() != ':')
            return false;
        portText = after.substr(1);
        return true;
    }
    const size_t colon = hostPort.rfind(':');
    if (colon == std::string_view::npos)
    {
        host = hostPort;
        return true;
    }
    host = hostPort.substr(0, colon);
    portText = hostPort.substr(colon + 1);
    return true;
}

} // namespace

const UrlScheme g_urlSchemes[kUrlSchemeCount] = {
    {"unknown://", "UNKNOWN", -1, -1}, {"http://", "HTTP", 80, 8000},       {"https://", "HTTPS", 443, 8000},
    {"ftp://", "FTP", 21, 21},         {"ftps://", "FTPS", 990, 21},        {"ftps://", "FTPS", 21, 21},
    {"sftp://", "SFTP", 22, 22},       {"socks4://", "SOCKS4", 1080, 1080}, {"socks5://", "SOCKS5", 1080, 1080},
    {"mailto:", "SMTP", 25, 25},       {"javascript:", "JAVASCRIPT", 0, 0},
};

const UrlScheme* GetUrlSchemeEntry(int scheme)
{
    if (scheme < 0 || scheme >= kUrlSchemeCount)
        return nullptr;
    return &g_urlSchemes[scheme];
}

std::string GetProtocolName(int scheme)
{
    const UrlScheme* entry = GetUrlSchemeEntry(scheme);
    return entry ? std::string(entry->name) : std::string();
}

int FindScheme(std::string_view text)
{
    for (int id = 0; id < kUrlSchemeCount; ++id)
    {
        if (EqualsNoCase(text, g_urlSchemes[id].prefix) || EqualsNoCase(text, g_urlSchemes[id].name))
            return id;
    }
    return URL_SCHEME_UNKNOWN;
}

int GetProxyDefaultPort(int scheme)
{
    const UrlScheme* entry = GetUrlSchemeEntry(scheme);
    return entry ? entry->proxyDefaultPort : -1;
}

void CUrlParts::Clear()
{
    m_host.clear();
    m_user.clear();
    m_password.clear();
    m_port = -1;
    m_scheme = URL_SCHEME_UNKNOWN;
}

const char* StripUrlScheme(const char* text, bool noGuess, int& schemeId)
{
    schemeId = URL_SCHEME_UNKNOWN;
    if (!text || !*text)
        return nullptr;

    std::string_view view(text);
    int entry = MatchSchemePrefix(view);
    if (entry >= 0)
    {
        schemeId = entry;
        return text + g_urlSchemes[entry].prefix.size();
    }
    if (noGuess)
        return text;

    size_t separator = FindUnknownSchemeSeparator(view);
    if (separator != std::string_view::npos)
        return text + separator + 3;

    std::string_view stretch = view.substr(0, view.find_first_of("/\\?#"));
    size_t at = stretch.rfind('@');
    std::string_view hostPart = at == std::string_view::npos ? stretch : stretch.substr(at + 1);
    schemeId = StartsWithNoCase(hostPart, "ftp") ? URL_SCHEME_FTP : URL_SCHEME_HTTP;
    return text;
}

int GetUrlScheme(const char* text, bool noGuess)
{
    int scheme = URL_SCHEME_UNKNOWN;
    StripUrlScheme(text, noGuess, scheme);
    return scheme;
}

const char* FindUrlPath(const char* text, size_t* offset)
{
    if (!text)
        return nullptr;

    std::string_view view(text);
    size_t start = 0;
    int entry = MatchSchemePrefix(view);
    if (entry >= 0)
    {
        start = g_urlSchemes[entry].prefix.size();
    }
    else
    {
        size_t separator = FindUnknownSchemeSeparator(view);
        if (separator != std::string_view::npos)
            start = separator + 3;
    }

    // A '/' after a query or fragment that follows the host at once belongs
    // to them, not to a path.
    const size_t slash = view.find_first_of("/?#", start);
    if (slash == std::string_view::npos || view[slash] != '/')
        return nullptr;
    if (offset)
        *offset = slash;
    return text + slash;
}

bool ParseUrl(const char* text, int& scheme, std::string& host, int& port, std::string* user,
              std::string* password, std::string* path, bool noGuess)
{
    port = -1;
    scheme = URL_SCHEME_UNKNOWN;
    host.clear();
    if (user)
        user->clear();
    if (password)
        password->clear();
    if (path)
        path->clear();

    if (!text)
        return false;
    while (*text && IsWhiteSpace(*text))
        ++text;
    if (!*text)
        return false;

    const char* start = StripUrlScheme(text, noGuess, scheme);
    if (scheme == URL_SCHEME_UNKNOWN || !start)
        return false;

    // The authority ends where the path, the query or the fragment begins;
    // a query or fragment right after the host still gets a path of "/".
    std::string_view rest(start);
    const size_t authorityEnd = rest.find_first_of("/\\?#");
    std::string_view authority = rest.substr(0, authorityEnd);
    if (authorityEnd != std::string_view::npos && path)
    {
        if (rest[authorityEnd] == '?' || rest[authorityEnd] == '#')
            path->assign("/");
        path->append(rest.substr(authorityEnd));
    }

    size_t lastAt = authority.rfind('@');
    size_t firstColon = authority.find(':');
    size_t hostStart = 0;
    if (lastAt != std::string_view::npos)
    {
        std::string_view userText;
        std::string_view passwordText;
        if (firstColon < lastAt)
        {
            userText = authority.substr(0, firstColon);
            passwordText = authority.substr(firstColon + 1, lastAt - firstColon - 1);
        }
        else
        {
            userText = authority.substr(0, lastAt);
        }
        if (user)
            user->assign(userText);
        if (password)
            password->assign(passwordText);
        hostStart = lastAt + 1;
    }

    std::string_view hostText;
    std::optional<std::string_view> portText;
    if (!SplitHostPort(authority.substr(hostStart), hostText, portText))
        return false;
    port = g_urlSchemes[scheme].defaultPort;
    if (portText && !ParsePortNumber(*portText, port, port))
    {
        port = -1;
        return false;
    }

    std::string trimmed = Trim(hostText, kWhiteSpace);
    size_t keep = trimmed.find_last_not_of('.');
    trimmed.resize(keep == std::string::npos ? 0 : keep + 1);
    host = MakeLower(trimmed);
    return !host.empty();
}

bool ParseUrlToParts(const char* text, CUrlParts& parts, std::string& path, bool noGuess)
{
    return ParseUrl(text, parts.m_scheme, parts.m_host, parts.m_port, &parts.m_user, &parts.m_password, &path,
                    noGuess);
}

bool ParseUrlInto(CUrlParts& parts, const char* text, std::string& path, bool noGuess)
{
    return ParseUrlToParts(text, parts, path, noGuess);
}

std::string AuthorityHost(std::string_view host)
{
    if (host.find(':') == std::string_view::npos)
        return std::string(host);
    return '[' + std::string(host) + ']';
}

std::string ComposeUrl(int scheme, std::string_view host, std::string_view path, int port,
                       std::string_view user, std::string_view password)
{
    const UrlScheme* entry = GetUrlSchemeEntry(scheme);
    if (!entry || scheme == URL_SCHEME_UNKNOWN)
        return std::string();
    std::string hostText = Trim(host, kWhiteSpace);
    if (hostText.empty())
        return std::string();

    std::string url(entry->prefix);
    // A password is written even without a user ("http://:pw@h/"): dropping
    // it would lose the login.
    if (!user.empty() || !password.empty())
    {
        url += user;
        if (!password.empty())
        {
            url += ':';
            url += password;
        }
        url += '@';
    }
    url += AuthorityHost(MakeLower(hostText));
    // A negative port means "none"; writing ":-1" would give a text that no
    // longer parses.
    if (port != entry->defaultPort && port >= 0)
        url += Format(":%d", port);
    if (!path.empty())
    {
        if (path.front() != '/')
            url += '/';
        url += path;
    }
    return url;
}

std::string ComposeUrlFromParts(const CUrlParts& parts, std::string_view path, bool withLogin)
{
    if (withLogin)
        return ComposeUrl(parts.m_scheme, parts.m_host, path, parts.m_port, parts.m_user, parts.m_password);
    return ComposeUrl(parts.m_scheme, parts.m_host, path, parts.m_port, std::string_view(),
                      std::string_view());
}
