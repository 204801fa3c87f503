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

std::string ResolveUrl(CLinkItem& item, std::string_view link, bool baseIsFolder)
{
    std::string path = ForwardSlashes(item.GetUrl());
    std::string relative = ForwardSlashes(link);
    // A '/' in the page's query or fragment is not a folder of the site.
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
    while (StartsWithParent(relative))
    {
        const size_t slash = path.rfind('/');
        if (slash == std::string::npos || slash == 0)
            path = "/";
        else
            path.resize(slash);
        relative.erase(0, 3);
    }

    std::string newPath;
    if (relative.empty())
        // Only "../" steps: they name a folder, which keeps its closing '/'.
        newPath = path.ends_with('/') ? path : path + "/";
    else if (relative.starts_with('/'))
        newPath = relative;
    else if (path == "/")
        newPath = "/" + relative;
    else
        newPath = path + "/" + relative;
    item.SetString(LI_URL_PATH, newPath.c_str());
    return ComposeUrlFromParts(item.GetUrlParts(), newPath, true);
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
    if (first.empty() || second.empty())
        return false;
    const bool secondLocal = IsLocalPath(second);
    if (IsLocalPath(first))
    {
        if (!secondLocal)
            return false;
        if (!prefixMode)
            return true;
        return WithoutFilePrefix(second).starts_with(WithoutFilePrefix(first));
    }
    if (secondLocal)
        return false;
    std::string firstHost;
    std::string secondHost;
    if (!UrlHost(first, firstHost) || !UrlHost(second, secondHost))
        return false;
    if (domainOnly)
    {
        if (const char* tail = GetDomainTail(firstHost.c_str()))
            firstHost = tail;
        if (const char* tail = GetDomainTail(secondHost.c_str()))
            secondHost = tail;
    }
    return EqualsNoCase(firstHost, secondHost);
}

std::string ResolveLinkPath(std::string_view base, std::string_view link, bool baseIsFolder)
{
    if (link.empty())
        return std::string(base);
    if (link.starts_with(kFileUrlPrefix))
        return ForwardSlashes(WithoutFilePrefix(link));
    if (IsCompleteUrl(link))
        return std::string(link);
    if (IsLocalPath(base))
        return ResolveLocal(base, link, baseIsFolder);
    CLinkItem item;
    const std::string baseText(base);
    if (item.SetUrl(baseText.c_str(), false))
        return ResolveUrl(item, link, baseIsFolder);
    return std::string();
}
