#include "transfer/jobs/ProtocolClientFactory.h"

#include "foundation/links/UrlParts.h"
#include "transfer/ftp/FtpClient.h"
#include "transfer/http/HttpClient.h"
#include "transfer/net/ProxySelection.h"

std::unique_ptr<CProtocolClient> CreateProtocolClient(int schemeId, const std::string& proxyUrl)
{
    switch (schemeId)
    {
    case URL_SCHEME_HTTP:
    case URL_SCHEME_HTTPS:
        return std::make_unique<CHttpClient>(schemeId);
    case URL_SCHEME_FTP:
        if (!IsDirectProxy(proxyUrl) && GetUrlScheme(proxyUrl.c_str(), true) == URL_SCHEME_HTTP)
            return std::make_unique<CHttpClient>(schemeId);
        return std::make_unique<CFtpClient>();
    default:
        return nullptr;
    }
}
