#include "foundation/links/UrlParts.h"

#include "platform/core/Text.h"

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

// Reads the port after the last ':' the way atoi does (leading blanks, a sign,
// digits up to the first other character; nothing reads 0), but refuses a
// value outside 0..65535 instead of letting it wrap into range.
bool ParsePortNumber(std::string_view text, int& port)
{
    size_t i = 0;
    while (i < text.size() && IsWhiteSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
    {
        negative = text[i] == '-';
        ++i;
    }
    long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    {
        value = value * 10 + (text[i] - '0');
        if (value > kMaxPort)
            return false;
    }
    if (negative && value != 0)
        return false;
    port = static_cast<int>(value);
    return true;
}

} // namespace

const UrlScheme g_urlSchemes[kUrlSchemeCount] = {
    {"unknown://", "UNKNOWN", -1}, {"http://", "HTTP", 80},          {"https://", "HTTPS", 443},
    {"ftp://", "FTP", 21},         {"ftps://", "FTPS", 990},         {"ftps://", "FTPS", 21},
    {"sftp://", "SFTP", 22},       {"socks4://", "SOCKS4", 1080},    {"socks5://", "SOCKS5", 1080},
    {"mailto:", "SMTP", 25},       {"javascript:", "JAVASCRIPT", 0},
};

const UrlScheme* GetUrlSchemeEntry(int scheme)
{
    if (scheme < 0 || scheme >= kUrlSchemeCount)
        return nullptr;
    return &g_urlSchemes[scheme];
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

    std::string_view stretch = view.substr(0, view.find_first_of("/\\"));
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

    size_t slash = view.find('/', start);
    if (slash == std::string_view::npos)
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

    std::string_view rest(start);
    size_t authorityEnd = rest.find_first_of("/\\");
    std::string_view authority = rest.substr(0, authorityEnd);
    if (authorityEnd != std::string_view::npos && path)
        path->assign(rest.substr(authorityEnd));

    size_t lastAt = authority.rfind('@');
    size_t firstColon = authority.find(':');
    size_t lastColon = authority.rfind(':');
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
            *user = MakeLower(userText);
        if (password)
            password->assign(passwordText);
        hostStart = lastAt + 1;
    }

    std::string_view hostText;
    if (lastColon == std::string_view::npos || lastColon < hostStart)
    {
        port = g_urlSchemes[scheme].defaultPort;
        hostText = authority.substr(hostStart);
    }
    else
    {
        if (!ParsePortNumber(authority.substr(lastColon + 1), port))
        {
            port = -1;
            return false;
        }
        hostText = authority.substr(hostStart, lastColon - hostStart);
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
    if (!user.empty())
    {
        url += user;
        url = MakeLower(url);
        if (!password.empty())
        {
            url += ':';
            url += password;
        }
        url += '@';
    }
    url += MakeLower(hostText);
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
