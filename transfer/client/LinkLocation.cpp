#include "transfer/client/LinkLocation.h"

#include "foundation/links/LinkItem.h"
#include "foundation/files/PathUtils.h"
#include "foundation/links/UrlParts.h"
#include "platform/core/Text.h"

#include <algorithm>

namespace
{

constexpr std::string_view kFilePrefix = "file:";
constexpr std::string_view kFileUrlPrefix = "file://";

std::string ForwardSlashes(std::string_view text)
{
    std::string result(text);
    std::replace(result.begin(), result.end(), '\\', '/');
    return result;
}

// "file:" and the separators after it become the root '/'.
std::string WithoutFilePrefix(std::string_view text)
{
    if (!text.starts_with(kFilePrefix))
        return std::string(text);
    text.remove_prefix(kFilePrefix.size());
    const size_t start = text.find_first_not_of("/\\");
    return "/" + std::string(start == std::string_view::npos ? std::string_view() : text.substr(start));
}

bool IsCompleteUrl(std::string_view text)
{
    const std::string copy(text);
    int scheme = URL_SCHEME_UNKNOWN;
    int port = -1;
    std::string host;
    return ParseUrl(copy.c_str(), scheme, host, port, nullptr, nullptr, nullptr, true);
}

// The host of a URL text, with guessing; false when it does not parse.
bool UrlHost(std::string_view text, std::string& host)
{
    const std::string copy(text);
    int scheme = URL_SCHEME_UNKNOWN;
    int port = -1;
    return ParseUrl(copy.c_str(), scheme, host, port, nullptr, nullptr, nullptr, false);
}

bool StartsWithParent(const std::string& link)
{
    return link.starts_with("../");
}

std::string ResolveLocal(std::string_view base, std::string_view link, bool baseIsFolder)
{
    if (IsLocalPath(link))
        return ForwardSlashes(link);
    std::string folder = ForwardSlashes(base);
    std::string relative = ForwardSlashes(link);
    if (relative.starts_with('/'))
        return std::string();
    if (!baseIsFolder && !folder.ends_with('/'))
    {
        const size_t slash = folder.rfind('/');
        if (slash != std::string::npos)
            folder.resize(slash);
    }
    while (folder.ends_with('/'))
        folder.pop_back();
    while (StartsWithParent(relative))
    {
        // The root's '/' is the last one to go: the folder then is empty and
        // the join below puts the root back.
        const size_t slash = folder.rfind('/');
        if (slash != std::string::npos)
            folder.resize(slash);
        relative.erase(0, 3);
    }
    return folder + "/" + relative;
}

// The folder of a URL base's path that its links are below: the path
// without its query and fragment (a '/' there is not a folder of the site),
// without its last name unless the base is a folder, and without closing
// slashes; "/" at least.
std::string BaseUrlFolder(std::string_view basePath, bool baseIsFolder)
{
    std::string path = ForwardSlashes(basePath);
    path.resize(std::min(path.find_first_of("?#"), path.size()));
    if (!baseIsFolder && !path.ends_with('/'))
    {
        const size_t slash = path.rfind('/');
        path.resize(slash == std::string::npos ? 0 : slash);
    }
    while (path.ends_with('/'))
        path.pop_back();
    if (path.empty())
        path = "/";
    return path;
}

// The link below the base folder, each leading "../" taking one folder off
// but stopping at "/"; a link beginning with '/' replaces the path.
std::string ResolveUrlPath(std::string path, std::string_view link)
{
    std::string relative = ForwardSlashes(link);
    while (StartsWithParent(relative))
    {
        const size_t slash = path.rfind('/');
        if (slash == std::string::npos || slash == 0)
            path = "/";
        else
            path.resize(slash);
        relative.erase(0, 3);
    }
    if (relative.empty())
        // Only "../" steps: they name a folder, which keeps its closing '/'.
        return path.ends_with('/') ? path : path + "/";
    if (relative.starts_with('/'))
        return relative;
    if (path == "/")
        return "/" + relative;
    return path + "/" + relative;
}

} // namespace

const char* GetDomainTail(const char* host)
{
    if (!host)
        return nullptr;
    const std::string_view text(host);
    const size_t end = text.find_last_not_of('.');
    if (end == std::string_view::npos)
        return host; // dots only
    const std::string_view looked = text.substr(0, end + 1);
    const size_t lastDot = looked.rfind('.');
    if (lastDot == std::string_view::npos)
        return nullptr;
    if (lastDot == 0)
        return host;
    const size_t previousDot = looked.rfind('.', lastDot - 1);
    if (previousDot == std::string_view::npos)
        return host;
    return host + previousDot + 1;
}

bool IsSameLocation(std::string_view first, std::string_view second, bool prefixMode, bool domainOnly)
{
    return CLinkResolver(first, false).IsSameLocationAs(second, prefixMode, domainOnly);
}

std::string ResolveLinkPath(std::string_view base, std::string_view link, bool baseIsFolder)
{
    return CLinkResolver(base, baseIsFolder).Resolve(link);
}

CLinkResolver::CLinkResolver(std::string_view base, bool baseIsFolder)
    : m_base(base), m_baseIsFolder(baseIsFolder), m_baseIsLocal(IsLocalPath(base))
{
}

void CLinkResolver::ReadBaseUrl() const
{
    if (m_urlRead)
        return;
    m_urlRead = true;
    CLinkItem item;
    m_urlValid = item.SetUrl(m_base.c_str(), false);
    if (!m_urlValid)
        return;
    m_parts = item.GetUrlParts();
    m_folder = BaseUrlFolder(item.GetUrl(), m_baseIsFolder);
}

void CLinkResolver::ReadBaseHost() const
{
    if (m_hostRead)
        return;
    m_hostRead = true;
    m_hostValid = UrlHost(m_base, m_host);
}

std::string CLinkResolver::Resolve(std::string_view link) const
{
    if (link.empty())
        return m_base;
    if (link.starts_with(kFileUrlPrefix))
        return ForwardSlashes(WithoutFilePrefix(link));
    if (IsCompleteUrl(link))
        return std::string(link);
    if (m_baseIsLocal)
        return ResolveLocal(m_base, link, m_baseIsFolder);
    ReadBaseUrl();
    if (!m_urlValid)
        return std::string();
    return ComposeUrlFromParts(m_parts, ResolveUrlPath(m_folder, link), true);
}

bool CLinkResolver::IsSameLocationAs(std::string_view second, bool prefixMode, bool domainOnly) const
{
    if (m_base.empty() || second.empty())
        return false;
    const bool secondLocal = IsLocalPath(second);
    if (m_baseIsLocal)
    {
        if (!secondLocal)
            return false;
        if (!prefixMode)
            return true;
        return WithoutFilePrefix(second).starts_with(WithoutFilePrefix(m_base));
    }
    if (secondLocal)
        return false;
    ReadBaseHost();
    std::string secondHost;
    if (!m_hostValid || !UrlHost(second, secondHost))
        return false;
    std::string firstHost = m_host;
    if (domainOnly)
    {
        if (const char* tail = GetDomainTail(firstHost.c_str()))
            firstHost = tail;
        if (const char* tail = GetDomainTail(secondHost.c_str()))
            secondHost = tail;
    }
    return EqualsNoCase(firstHost, secondHost);
}
