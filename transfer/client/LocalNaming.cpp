#include "transfer/client/LocalNaming.h"

#include "foundation/text/Escaping.h"
#include "foundation/links/LinkItem.h"
#include "foundation/files/PathJoin.h"
#include "foundation/files/PathUtils.h"
#include "foundation/links/UrlParts.h"
#include "platform/core/Text.h"

#include <ctime>
#include <sys/stat.h>
#include <vector>

namespace
{

// The characters a cache or one-file-per-URL name escapes as "%XX": those a
// Windows file name cannot hold, both separators among them.
constexpr std::string_view kNameEscapeChars = "<>*?\\|/:\"";
// The characters the folder tree turns into '_' (the separators are kept).
constexpr std::string_view kTreeReplaceChars = "<>*?|:\"";
constexpr std::string_view kDefaultName = "[default]";
constexpr int kLastMirrorCounter = 9998;

// The scheme's name without the ':', '\', '/' and '?' around it: "http".
std::string SchemeName(int scheme)
{
    const UrlScheme* entry = GetUrlSchemeEntry(scheme);
    return entry ? Trim(entry->prefix, ":\\/?") : std::string();
}

// A name made only of one or two dots would name the folder itself or its
// parent; its dots are escaped like the other unsafe characters.
std::string EscapeDotName(std::string name)
{
    if (name == "." || name == "..")
        return EscapeCharSet(name, ".", '%');
    return name;
}

// One path component built from URL parts (user, host): never a separator,
// never a NUL (which would cut the path), never "." or "..".
std::string SafeComponent(std::string text)
{
    for (char& c : text)
    {
        if (c == '/' || c == '\\' || c == '\0')
            c = '_';
    }
    return text.empty() ? std::string("_") : EscapeDotName(std::move(text));
}

std::string UserPrefix(const CUrlParts& parts)
{
    return parts.m_user.empty() ? std::string() : parts.m_user + "@";
}

std::string DateStamp(const COleDateTime* date)
{
    if (!date || !date->IsValid())
        return std::string();
    const std::string stamp = date->Format("%Y_%m_%d_%H_%M_%S");
    return stamp.empty() ? std::string() : stamp + "_";
}

// "[stamp_]HHHHHHHHNNNNNNNN_name".
std::string HashedName(const COleDateTime* date, std::string_view url, const std::string& name)
{
    return Format("%s%.8X%.8X_%s", DateStamp(date).c_str(), HashString33(url), HashString33(name),
                  name.c_str());
}

// Removes "." and ".." segments of a '/'-separated path as RFC 3986 (5.2.4)
// does, so that the result never climbs above its root: "/a/../../b" is "/b",
// "/a/." is "/a/". Repeated separators count as one. The result begins with
// '/'.
std::string RemoveDotSegments(std::string_view path)
{
    std::vector<std::string_view> kept;
    bool endsAsFolder = false;
    size_t start = 0;
    while (start <= path.size())
    {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view segment = path.substr(start, end - start);
        endsAsFolder = segment.empty() || segment == "." || segment == "..";
        if (segment == "..")
        {
            if (!kept.empty())
                kept.pop_back();
        }
        else if (!endsAsFolder)
            kept.push_back(segment);
        start = end + 1;
    }
    std::string result;
    for (std::string_view segment : kept)
    {
        result += '/';
        result += segment;
    }
    if (result.empty() || endsAsFolder)
        result += '/';
    return result;
}

// The relative path of the folder-tree mode.
std::string FolderTreeName(std::string_view urlPath)
{
    std::string path(urlPath);
    bool plain;
    const size_t query = path.find('?');
    if (query != std::string::npos)
    {
        // The query stays in the name, but never as folders.
        for (size_t i = query; i < path.size(); ++i)
        {
            if (path[i] == '/' || path[i] == '\\')
                path[i] = '_';
        }
        plain = false;
    }
    else
        plain = path.find("cgi") == std::string::npos;

    const size_t fragment = path.find('#');
    if (fragment != std::string::npos)
        path.resize(fragment);

    // Both separators are folder separators here; dot segments are resolved
    // before the folder rules look at the path.
    const size_t queryAt = std::min(path.find('?'), path.size());
    std::string folders = path.substr(0, queryAt);
    for (char& c : folders)
    {
        if (c == '\\')
            c = '/';
    }
    path = RemoveDotSegments(folders) + path.substr(queryAt);

    if (plain && !path.empty() && path.back() != '/')
    {
        const size_t lastSlash = path.rfind('/');
        if (path.find('.', lastSlash == std::string::npos ? 0 : lastSlash) == std::string::npos)
            path += '/';
    }
    if (path.empty() || path.back() == '/')
        path += kDefaultName;

    const size_t first = path.find_first_not_of('/');
    path.erase(0, first == std::string::npos ? path.size() : first);
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    for (char& c : path)
    {
        if (kTreeReplaceChars.find(c) != std::string_view::npos || c == '\0')
            c = '_';
    }
    return path;
}

// Whether anything at all is at the path; a dangling link counts.
bool PathTaken(const std::string& path)
{
    struct stat st
    {
    };
    return ::lstat(path.c_str(), &st) == 0;
}

} // namespace

uint32_t HashString33(std::string_view text)
{
    uint32_t hash = 0;
    for (char c : text)
        hash = hash * 33u + static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(c)));
    return hash;
}

std::string GetHostPortKey(const CUrlParts& parts, const char* separator)
{
    if (!separator)
        return Format("%s:%d", parts.m_host.c_str(), parts.m_port);
    return Format("%s%s%d", parts.m_host.c_str(), separator, parts.m_port);
}

std::string GetHostPortKey(const CLinkItem& item, const char* separator)
{
    return GetHostPortKey(item.GetUrlParts(), separator);
}

std::string MakeLocalFileName(std::string_view folder, std::string_view url, const COleDateTime* date)
{
    if (folder.empty() || url.empty())
        return std::string();
    const std::string base(folder);

    if (IsLocalPath(url))
    {
        const size_t lastSeparator = url.find_last_of("/\\");
        const std::string name(lastSeparator == std::string_view::npos ? std::string_view()
                                                                       : url.substr(lastSeparator + 1));
        return JoinEntryPath(base, HashedName(date, url, name));
    }

    CLinkItem item;
    const std::string urlText(url);
    if (!item.SetUrl(urlText.c_str(), false))
        return std::string();
    const CUrlParts parts = item.GetUrlParts();
    const std::string site = SafeComponent(SchemeName(parts.m_scheme)) + "/" +
                             SafeComponent(UserPrefix(parts) + GetHostPortKey(parts, "-"));

    std::string name = item.GetUrl();
    if (name.empty() || name.back() == '/')
        name += kDefaultName;
    const size_t query = name.find('?');
    if (query != std::string::npos)
        name.replace(query, std::string::npos, "?-params");
    name = EscapeCharSet(name, kNameEscapeChars, '%');

    return JoinEntryPath(base, site + "/" + HashedName(date, url, name));
}

std::string MakeCacheFileName(std::string_view folder, std::string_view url)
{
    return MakeLocalFileName(folder, url, nullptr);
}

std::string MakeMirrorFilePath(std::string_view base, const CUrlParts& parts, std::string_view path, int mode,
                               int firstCounter)
{
    const UrlScheme* scheme = GetUrlSchemeEntry(parts.m_scheme);
    if (parts.m_host.empty() || parts.m_scheme == URL_SCHEME_UNKNOWN || !scheme)
        return std::string();

    std::string site = UserPrefix(parts) + parts.m_host;
    if (parts.m_port != scheme->defaultPort)
        site += Format(" %d", parts.m_port);
    std::string relative =
        SafeComponent(SchemeName(parts.m_scheme)) + "/" + SafeComponent(std::move(site)) + "/";

    bool numbered = false;
    if (mode == kMirrorFolderTree)
        relative += FolderTreeName(path);
    else
    {
        std::string name(path);
        if (name.empty() || name.back() == '/')
            name += kDefaultName;
        if (mode == kMirrorNumberedQueries)
        {
            const size_t query = name.find('?');
            if (query != std::string::npos)
            {
                name.resize(query);
                numbered = true;
            }
        }
        relative += EscapeDotName(EscapeCharSet(name, kNameEscapeChars, '%'));
    }

    const std::string result =
        base.empty() ? relative : JoinEntryPath(WithoutTrailingSlashes(std::string(base)), relative);
    if (!numbered)
        return result;

    const long long seconds = static_cast<long long>(std::time(nullptr));
    for (int counter = std::max(firstCounter, 0); counter <= kLastMirrorCounter; ++counter)
    {
        std::string candidate = Format("%s[%.4lld.%.4d].xdat", result.c_str(), seconds, counter);
        if (!PathTaken(candidate))
            return candidate;
    }
    return std::string();
}

std::string GetMirrorPath(const CLinkItem& item, std::string_view base, int mode, int firstCounter)
{
    // A copy is taken under the item's lock, so the parts and the path belong
    // to the same URL even while another thread changes the item.
    const CLinkItem snapshot(item);
    return MakeMirrorFilePath(base, snapshot.GetUrlParts(), snapshot.GetUrl(), mode, firstCounter);
}
