#pragma once
// Which proxy a request goes through: the request's own proxy URL
// (LI_PROXY_URL) when it has one, else the proxy the settings give its
// scheme, unless the skip rules send the host direct. The site connection
// pool asks once per job and keeps the answer with the client it attaches;
// the client hands it to CConnection::ConnectViaProxy.
//
// Settings read: "Proxy/Skip Local enabled" (a host without a dot, or whose
// only dot is its last character, goes direct), "Proxy/Skip List enabled"
// and "Proxy/Skip List" (wildcard patterns of hosts that go direct,
// separated by ';' or ','; blank entries are ignored), and per scheme the
// proxy URL and its enabled flag of HTTP, HTTPS and FTP. Other schemes go
// direct. The skip rules apply only to proxies taken from the settings: a
// request's own proxy URL is always used.
//
// The answer is empty for a direct connection ("no" in any case also means
// direct). Otherwise it is the proxy URL composed again from its parts, user
// name and password included, with two changes for an https request: an
// http proxy becomes https (a CONNECT tunnel, so the TLS session runs end to
// end) and an ftp proxy means direct. A proxy URL with a user name and no
// password takes the password kept for that URL in the password store (the
// Proxy settings page keeps proxy passwords there, never in the URL). A
// proxy text that does not parse is passed on as it is, so the connection
// fails and says so rather than quietly going direct.

#include <string>
#include <string_view>

class CLinkItem;
class CPasswordStore;
class IPropertySet;

// passwords may be null (no look-up).
std::string SelectProxyUrl(const CLinkItem& request, const IPropertySet& settings, CPasswordStore* passwords);

// True when a proxy URL means a direct connection: empty or "no" (any case),
// blanks around it ignored.
bool IsDirectProxy(std::string_view proxyUrl);
