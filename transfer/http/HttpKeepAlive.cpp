#include "transfer/http/HttpKeepAlive.h"

#include <string>

#include "platform/core/Text.h"
#include "transfer/http/HttpChannel.h"
#include "transfer/http/HttpResponseHeader.h"

bool ResponseKeepsConnection(const CByteBuffer& header)
{
    std::string connection;
    std::string keepAlive;
    std::string proxyConnection;
    const CHttpHeaderFields fields(header);
    fields.Find(HttpHeaderName::kConnection, connection);
    fields.Find(HttpHeaderName::kKeepAlive, keepAlive);
    fields.Find(HttpHeaderName::kProxyConnection, proxyConnection);
    if (!proxyConnection.empty() ? EqualsNoCase(proxyConnection, "close") : EqualsNoCase(connection, "close"))
        return false;
    return keepAlive.find("timeout=1 ") == std::string::npos;
}

void UpdateKeepAlive(IHttpChannel& channel, const CByteBuffer& header)
{
    if (!ResponseKeepsConnection(header))
        channel.EndKeepAlive();
}
