#include "checker/DownloadFilePath.h"

#include "foundation/links/UrlParts.h"
#include "foundation/text/Escaping.h"

#include <vector>

namespace
{

constexpr std::string_view kDefaultPage = "[default].html";

bool IsUnsafeNameChar(unsigned char c)
{
    return c < 0x20 || c == 0x7F || std::string_view("/\\<>:\"|?*").find(static_cast<char>(c)) != std::string_view::npos;
}

// One segment as a safe file name; empty when nothing safe is left.
std::string SafeSegment(std::string_view segment)
{
    std::string name;
    for (const char c : UnescapeChars(segment, '%'))
        if (!IsUnsafeNameChar(static_cast<unsigned char>(c)))
            name.push_back(c);
    if (name == "." || name == "..")
        name.clear();
    return name;
}

std::vector<std::string> SafeSegments(std::string_view relative)
{
    std::vector<std::string> segments;
    size_t start = 0;
    while (start <= relative.size())
    {
        size_t end = relative.find_first_of("/\\", start);
        if (end == std::string_view::npos)
            end = relative.size();
        std::string name = SafeSegment(relative.substr(start, end - start));
        if (!name.empty())
            segments.push_back(std::move(name));
        start = end + 1;
    }
    return segments;
}

std::string_view WithoutScheme(const std::string& url, int& scheme)
{
    const char* rest = StripUrlScheme(url.c_str(), true, scheme);
    return rest ? std::string_view(rest) : std::string_view();
}

} // namespace

std::string MakeDownloadFilePath(std::string_view folder, std::string_view url, std::string_view siteEntryUrl)
{
    if (folder.empty() || url.empty())
        return std::string();
    const std::string urlText(url);
    int scheme = URL_SCHEME_UNKNOWN;
    const std::string_view rest = WithoutScheme(urlText, scheme);
    const bool web = scheme == URL_SCHEME_HTTP || scheme == URL_SCHEME_HTTPS;

    std::vector<std::string> segments;
    if (!siteEntryUrl.empty())
    {
        const std::string entryText(siteEntryUrl);
        int entryScheme = URL_SCHEME_UNKNOWN;
        const std::string_view entryRest = WithoutScheme(entryText, entryScheme);
        size_t common = 0;
        while (common < rest.size() && common < entryRest.size() && rest[common] == entryRest[common])
            ++common;
        segments = SafeSegments(rest.substr(common));
    }
    else
    {
        const size_t slash = rest.find_last_of('/');
        std::string name = SafeSegment(slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1));
        if (web && !name.empty() && name.find('.') == std::string::npos)
            name += kDefaultPage;
        if (!name.empty())
            segments.push_back(std::move(name));
    }
    if (segments.empty())
    {
        if (!web)
            return std::string();
        segments.emplace_back(kDefaultPage);
    }

    std::string path(folder);
    while (path.size() > 1 && path.ends_with('/'))
        path.pop_back();
    for (const std::string& segment : segments)
    {
        if (!path.ends_with('/'))
            path.push_back('/');
        path += segment;
    }
    return path;
}
