#pragma once
// The one place that knows which protocol client serves a scheme, so the
// site connection pool stays free of the concrete clients (and tests can
// hand the pool a factory of their own).

#include <memory>
#include <string>

class CProtocolClient;

// A new client for scheme id 1 (http), 2 (https) or 3 (ftp) reached through
// proxyUrl (SelectProxyUrl's answer, empty for direct): an HTTP client for
// http and https, and for ftp through an http proxy (which fetches ftp URLs
// itself); an FTP client for any other ftp. Null for other schemes.
std::unique_ptr<CProtocolClient> CreateProtocolClient(int schemeId, const std::string& proxyUrl);
