#include "transfer/ProtocolClientFactory.h"

#include "foundation/UrlParts.h"
#include "transfer/FtpClient.h"
#include "transfer/HttpClient.h"
#include "transfer/ProxySelection.h"

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
