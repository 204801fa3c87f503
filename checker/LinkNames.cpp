#include "checker/LinkNames.h"

#include "foundation/files/PathUtils.h"
#include "foundation/links/UrlParts.h"
#include "foundation/markup/LinkWalk.h"

#include <array>
#include <string>

namespace
{
constexpr std::array<std::string_view, kLinkStateCount> kStateNames = {
    "Unknown", "Waiting", "Processing", "Downloaded", "Info only", "Broken", "Redirected",
    "Not supported", "Not available offline", "Filtered", "Stopped", "Max recursion", "Is External",
};

constexpr std::array<std::string_view, kLinkScopeCount> kScopeNames = {
    "Unknown", "Internal", "External", "Extra external", "Not supported",
};

constexpr std::array<std::string_view, kLinkProtocolCount> kProtocolNames = {
    "Unknown", "Local", "HTTP", "HTTPS", "FTP", "SMPT(E-mail)", "Script",
};

template <size_t N>
std::string_view NameAt(const std::array<std::string_view, N>& table, int index)
{
    if (index < 0 || static_cast<size_t>(index) >= N)
        return {};
    return table[static_cast<size_t>(index)];
}
} // namespace

std::string_view LinkStateName(int state)
{
    return NameAt(kStateNames, state);
}

std::string_view LinkScopeName(int scope)
{
    return NameAt(kScopeNames, scope);
}

std::string_view LinkProtocolName(int protocol)
{
    return NameAt(kProtocolNames, protocol);
}

int GetLinkProtocol(std::string_view url)
{
    if (IsLocalPath(url))
        return kProtocolLocal;
    const std::string text(url);
    switch (GetUrlScheme(text.c_str(), true))
    {
    case URL_SCHEME_HTTP:
        return kProtocolHttp;
    case URL_SCHEME_HTTPS:
        return kProtocolHttps;
    case URL_SCHEME_FTP:
        return kProtocolFtp;
    case URL_SCHEME_MAILTO:
        return kProtocolMail;
    case URL_SCHEME_JAVASCRIPT:
        return kProtocolScript;
    default:
        return kProtocolUnknown;
    }
}

bool IsContainerType(int linkType)
{
    switch (linkType)
    {
    case kTypeHtml:
    case kTypeFtpList:
    case kTypeLocalFolder:
    case kTypeHttpRedirect:
    case kTypeForm:
    case kTypeGenericUrl:
    case kTypeUrlList:
        return true;
    default:
        return false;
    }
}

bool IsPagePartTag(int tagType)
{
    return tagType == kLinkImgSrc || tagType == kLinkLinkHref ||
           (tagType >= kLinkFrameSrc && tagType <= kLinkAppletArchive) ||
           (tagType >= kLinkBodyBackground && tagType <= kLinkBgsoundSrc);
}

bool IsFrameTag(int tagType)
{
    return tagType == kLinkFrameSrc || tagType == kLinkIframeSrc || tagType == kLinkLayerSrc ||
           tagType == kLinkIlayerSrc;
}

bool MaskHasBit(int32_t mask, int value)
{
    if (value < 0 || value > 31)
        return false;
    return (static_cast<uint32_t>(mask) >> value) & 1u;
}
