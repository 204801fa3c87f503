#pragma once
// The URL grammar of the whole program: the scheme table, scheme detection,
// parsing a URL text into its parts and composing a URL text from parts.
//
// URL texts come from pages, users and servers, so every function here takes
// untrusted input: a null or odd text never makes them read outside it.

#include <string>
#include <string_view>

// Scheme ids are positions in the scheme table; they are stored in link items,
// tasks and project files, so the numbers never change.
enum UrlSchemeId
{
    URL_SCHEME_UNKNOWN = 0,
    URL_SCHEME_HTTP = 1,
    URL_SCHEME_HTTPS = 2,
    URL_SCHEME_FTP = 3,
    URL_SCHEME_FTPS = 4,          // implicit TLS, port 990
    URL_SCHEME_FTPS_EXPLICIT = 5, // same prefix, port 21; never found by prefix
    URL_SCHEME_SFTP = 6,
    URL_SCHEME_SOCKS4 = 7,
    URL_SCHEME_SOCKS5 = 8,
    URL_SCHEME_MAILTO = 9,
    URL_SCHEME_JAVASCRIPT = 10,
};

inline constexpr int kUrlSchemeCount = 11;

struct UrlScheme
{
    std::string_view prefix; // compared byte for byte, case-sensitive
    std::string_view name;   // display name, e.g. "HTTPS"
    int defaultPort;         // -1 for the unknown scheme
    int proxyDefaultPort;    // a proxy of this type: 8000 for HTTP(S), 1080 for SOCKS
};

// The eleven entries in id order.
extern const UrlScheme g_urlSchemes[kUrlSchemeCount];

// The entry of a scheme id; null for an id outside the table.
const UrlScheme* GetUrlSchemeEntry(int scheme);

// The display name of a scheme id ("HTTPS"); empty for an id outside the
// table.
std::string GetProtocolName(int scheme);

// The id of the first entry whose prefix or name equals text, ignoring
// ASCII case ("ftp", "FTP://" and "ftp://" all give 3); 0 when none does.
// The explicit-TLS FTPS entry shares its prefix and name with the implicit
// one, so it is never found.
int FindScheme(std::string_view text);

// The port a proxy of the scheme's type listens on unless told otherwise;
// -1 for an id outside the table.
int GetProxyDefaultPort(int scheme);

// The parsed parts of a URL. The path is not part of it: link items keep
// the path as a property.
class CUrlParts
{
public:
    CUrlParts() = default;

    // Back to empty strings, port -1 and scheme 0.
    void Clear();

    std::string m_host;     // trimmed, without trailing dots, lower case
    std::string m_user;     // as given: NTLM and FTP servers see its case
    std::string m_password; // case kept
    int m_port = -1;        // -1 when none
    int m_scheme = URL_SCHEME_UNKNOWN;
};

// Finds the scheme at the start of text. Returns a pointer just past the
// scheme prefix and stores the scheme id, or returns null (scheme 0) for a
// null or empty text. Without a known prefix: with noGuess the text itself
// comes back with scheme 0; a text with an unknown "name://" scheme comes
// back past the "://" with scheme 0; any other text is guessed to be FTP
// when its host begins with "ftp" (any case), else HTTP, and comes back whole.
const char* StripUrlScheme(const char* text, bool noGuess, int& schemeId);

// The scheme id that StripUrlScheme finds.
int GetUrlScheme(const char* text, bool noGuess);

// The first '/' of the path: the first '/' after the scheme prefix (or after
// an unknown scheme's "://"). Null when there is none, or when a '?' or '#'
// comes first (the '/' is then part of a query or fragment). When offset is given
// and a path is found, its position from the start of text is stored.
const char* FindUrlPath(const char* text, size_t* offset = nullptr);

// Parses text into its parts. True when the text yields a known scheme and a
// non-empty host. Leading white space is skipped. The authority ends at the
// first '/', '\', '?' or '#'; the path receives the text from there to the
// end, with a '/' put before a query or fragment that follows the host at
// once. A bracketed host ("[2001:db8::7]") is an IPv6 literal: it keeps its
// colons, loses its brackets, and its port follows the ']'. A missing or
// empty port takes the scheme's default; a port of anything but digits, or
// above 65535, fails the parse. user, password and path may be null. On
// failure the outputs may hold parts of what was read.
bool ParseUrl(const char* text, int& scheme, std::string& host, int& port, std::string* user,
              std::string* password, std::string* path, bool noGuess);

// ParseUrl into a CUrlParts; the two differ only in their argument order.
bool ParseUrlToParts(const char* text, CUrlParts& parts, std::string& path, bool noGuess);
bool ParseUrlInto(CUrlParts& parts, const char* text, std::string& path, bool noGuess);

// The host as an authority writes it: an IPv6 literal (a host holding a
// ':') goes back into its brackets, or its colons would read as a port.
std::string AuthorityHost(std::string_view host);

// Builds a URL text: prefix, "user[:password]@" when there is a user or a
// password (the user as given), the lower-cased host (in brackets when it
// holds a ':', as an IPv6 literal does), ":port" when the port is neither
// the scheme's default nor negative, and the path (a '/' put before it when
// it lacks one). Empty for scheme 0, a scheme outside the table or an empty
// host.
std::string ComposeUrl(int scheme, std::string_view host, std::string_view path, int port,
                       std::string_view user, std::string_view password);

// ComposeUrl with the parts' scheme, host and port; the login only with withLogin.
std::string ComposeUrlFromParts(const CUrlParts& parts, std::string_view path, bool withLogin);
