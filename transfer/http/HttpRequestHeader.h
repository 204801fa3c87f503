#pragma once
// The request header that the HTTP client sends: one text with every line
// ending in "\r\n", the lines in a fixed order (request line, Host, the body
// or range lines, Accept, Pragma, Referer, Accept-Encoding, User-Agent,
// Connection and Proxy-Connection, Cookie, Authorization, blank line).

#include <cstdint>
#include <string>

class CLinkItem;

// Builds the request for item into request and returns kResultOk.
//
// method is upper-cased. The target is the item's request path (GetPath, "/"
// when empty); via an HTTP proxy it is the absolute URL with that path. The
// absolute URL of an http:// or https:// item never carries its user name or
// password (they would reach the proxy and its logs in clear text); other
// schemes fetched through the proxy (ftp://) keep them, as the proxy needs
// them to log on. Every blank of the target is sent as "%20".
//
// For "POST", endOrLength is the body length sent as Content-Length, and the
// Content-Type is LI_POST_CONTENT_TYPE or the form type when that is empty.
// For "GET", endOrLength is the last byte wanted, or -1 for everything from
// offset (no range line at all when offset is also 0). Other methods carry
// neither.
//
// The other lines follow the item's request option bits (LI_REQUEST_OPTIONS)
// and properties; the HTTP version (LI_HTTP_VERSION) and the Connection
// choice (LI_CONNECTION_HEADER) are clamped to their tables. The Host line
// carries the port unless it is 80 or none.
//
// Texts from pages, servers and users end up in the request line and the
// header values, so a method, host, target or sent value holding CR, LF or
// NUL could add lines of its own to the request: such a request is refused with
// kResultInvalidParameter and request is left empty. A null or empty method
// is refused the same way.
[[nodiscard]] int BuildHttpRequest(const CLinkItem& item, const char* method, bool viaProxy, int64_t offset,
                     int64_t endOrLength, const std::string& authorization, std::string& request);
