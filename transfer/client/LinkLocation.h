#pragma once
// Small rules about locations: resolving a link found in a page against the
// page's location, and deciding whether two locations are on the same site
// (or, for local files, below the same folder).
//
// Local paths (PathUtils.h, IsLocalPath) are text beginning with '/', "~/" or
// "file:". A "file:" prefix and the separators after it stand for the root,
// so "file:///home/a" and "/home/a" are the same path. '\' in a path or link
// is read as '/'. Paths compare case-sensitively.

#include "foundation/links/UrlParts.h"

#include <string>
#include <string_view>

// The last two labels of a host name ("a.b.c" gives "b.c"), ignoring trailing
// dots while looking; a host of exactly two labels, or of dots only, is
// returned whole; a host without an inner '.' has none (null). The result
// points into host; null for a null host.
const char* GetDomainTail(const char* host);

// Whether second is at the location of first. Either text empty: false.
// - first local: second must be local too; in prefix mode first must be a
//   prefix of second, otherwise any local second is at the same location.
// - first a URL: second must be a URL as well (ParseUrl with guessing) and
//   the hosts equal, ignoring case; with domainOnly each host is replaced by
//   its GetDomainTail when it has one.
bool IsSameLocation(std::string_view first, std::string_view second, bool prefixMode, bool domainOnly);

// The location a link of the page (or folder, with baseIsFolder) at base
// points to:
// 1. an empty link: the base;
// 2. a "file://" link: the path after "file:" and its separators, from the
//    root ('\' read as '/');
// 3. a complete URL (ParseUrl without guessing): the link as it is;
// 4. a local base: a local link as it is ('\' read as '/'); a link that
//    then begins with '/' gives the empty text; otherwise the link below the
//    base's folder, each leading "../" taking one folder off the base but
//    never going above the root;
// 5. a URL base: the link below the folder of the base's path (its query and
//    fragment never count as folders), each leading "../" taking one folder
//    off but stopping at "/"; a link beginning with '/' replaces the path.
//    The result is the base URL composed with that path, user name and
//    password included when the base has them;
// 6. anything else: the empty text.
std::string ResolveLinkPath(std::string_view base, std::string_view link, bool baseIsFolder);

// ResolveLinkPath and IsSameLocation for many links of one page: the base is
// read once, on first need, instead of once per link (a page of a crawl has
// dozens of links, and reading a URL is most of what resolving one costs).
// The results are those of the two functions with this base.
class CLinkResolver
{
public:
    CLinkResolver(std::string_view base, bool baseIsFolder);

    // ResolveLinkPath(base, link, baseIsFolder).
    std::string Resolve(std::string_view link) const;
    // IsSameLocation(base, second, prefixMode, domainOnly).
    bool IsSameLocationAs(std::string_view second, bool prefixMode, bool domainOnly) const;

private:
    // Reads the base URL's parts and the folder its links are below.
    void ReadBaseUrl() const;
    void ReadBaseHost() const;

    std::string m_base;
    bool m_baseIsFolder = false;
    bool m_baseIsLocal = false;
    mutable bool m_urlRead = false;
    mutable bool m_urlValid = false;
    mutable CUrlParts m_parts;
    mutable std::string m_folder; // the base's path up to the folder links are below, "/" at least
    mutable bool m_hostRead = false;
    mutable bool m_hostValid = false;
    mutable std::string m_host;
};
