#include "transfer/net/ProxySelection.h"

#include <algorithm>

#include "foundation/links/LinkItem.h"
#include "foundation/stores/PasswordStore.h"
#include "foundation/text/PatternFilter.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/stores/Settings.h"
#include "foundation/links/UrlParts.h"
#include "platform/core/Text.h"

namespace
{

bool IsOn(const IPropertySet& settings, int id)
{
    return GetIntOr(settings, id) != 0;
}

std::string TextOf(const IPropertySet& settings, int id)
{
    std::string text;
    settings.GetString(id, text);
    return text;
}

// A name without a dot (or with only a trailing one) is a host of the local
// network.
bool IsLocalHostName(const std::string& host)
{
    const size_t dot = host.find('.');
    return dot == std::string::npos || dot + 1 == host.size();
}

bool IsInSkipList(const std::string& host, std::string list)
{
    // The Proxy page tells users that ',' separates entries as well as ';'.
    std::replace(list.begin(), list.end(), ',', ';');
    CPatternFilter filter;
    // Blank entries are dropped: an empty pattern would match every host and
    // send everything past the proxy.
    filter.SetIncludeText(list, ';');
    if (filter.GetIncludeText(';').empty())
        return false;
    filter.SetIncludeEnabled(true);
    return filter.Match(host, false);
}

std::string ProxyOfScheme(int scheme, const IPropertySet& settings)
{
    switch (scheme)
    {
    case URL_SCHEME_HTTP:
        return IsOn(settings, SETTING_PROXY_HTTP_ENABLED) ? TextOf(settings, SETTING_PROXY_HTTP)
                                                          : std::string();
    case URL_SCHEME_HTTPS:
        return IsOn(settings, SETTING_PROXY_HTTPS_ENABLED) ? TextOf(settings, SETTING_PROXY_HTTPS)
                                                           : std::string();
    case URL_SCHEME_FTP:
        return IsOn(settings, SETTING_PROXY_FTP_ENABLED) ? TextOf(settings, SETTING_PROXY_FTP)
                                                         : std::string();
    default:
        return std::string();
    }
}

} // namespace

std::string SelectProxyUrl(const CLinkItem& request, const IPropertySet& settings, CPasswordStore* passwords)
{
    const CUrlParts target = request.GetUrlParts();
    std::string proxy;
    request.GetString(LI_PROXY_URL, proxy);
    if (proxy.empty())
    {
        if (IsOn(settings, SETTING_PROXY_SKIP_LOCAL_ENABLED) && IsLocalHostName(target.m_host))
            return std::string();
        if (IsOn(settings, SETTING_PROXY_SKIP_LIST_ENABLED))
        {
            const std::string list = TextOf(settings, SETTING_PROXY_SKIP_LIST);
            if (!list.empty() && IsInSkipList(target.m_host, list))
                return std::string();
        }
        proxy = ProxyOfScheme(target.m_scheme, settings);
    }

    if (IsDirectProxy(proxy))
        return std::string();
    const std::string trimmed = Trim(proxy);

    CUrlParts parts;
    std::string path;
    if (!ParseUrlToParts(trimmed.c_str(), parts, path, false))
        return trimmed;
    if (target.m_scheme == URL_SCHEME_HTTPS)
    {
        if (parts.m_scheme == URL_SCHEME_HTTP)
            parts.m_scheme = URL_SCHEME_HTTPS;
        else if (parts.m_scheme == URL_SCHEME_FTP)
            return std::string();
    }
    if (passwords && !parts.m_user.empty() && parts.m_password.empty())
        passwords->Get(trimmed, parts.m_password);
    return ComposeUrlFromParts(parts, std::string_view(), true);
}

bool IsDirectProxy(std::string_view proxyUrl)
{
    const std::string trimmed = Trim(proxyUrl);
    return trimmed.empty() || EqualsNoCase(trimmed, "no");
}
