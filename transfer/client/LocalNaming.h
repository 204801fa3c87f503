#pragma once
// Where fetched resources are kept on disk. Two schemes:
// - cache names: one folder per site below a cache folder, and a file name
//   that carries two hashes (of the whole URL and of the escaped path), so
//   different URLs never share a name;
// - mirror paths: the site's folder structure copied below a base folder.
//
// URLs come from pages and servers, so every name built here stays below
// the folder it was asked for: path separators ('/' and '\') inside a name
// are escaped, and in the mirror tree "." and ".." components (either
// separator) are resolved as a browser resolves them and never climb above
// the site's folder. Percent escapes are never decoded: "%2e%2e" or "%2F"
// stay literal characters of one name.

#include "platform/core/OleDateTime.h"

#include <cstdint>
#include <string>
#include <string_view>

class CLinkItem;
class CUrlParts;

// h = h * 33 + byte over the text, each byte taken as a signed 8-bit value,
// in 32-bit arithmetic with wrap-around; 0 for the empty text. Names print
// it as "%.8X".
uint32_t HashString33(std::string_view text);

// Host, separator and port ("%s%s%d"); with a null separator "host:port".
std::string GetHostPortKey(const CUrlParts& parts, const char* separator = nullptr);
// The same for an item's URL parts, read under the item's lock.
std::string GetHostPortKey(const CLinkItem& item, const char* separator = nullptr);

// The cache name of a URL below folder; empty for an empty folder or URL or a
// URL that does not parse. A valid date (null: none) puts a time stamp
// "%Y_%m_%d_%H_%M_%S_" before the hashes.
// - A local path (PathUtils.h, IsLocalPath): "folder/[stamp_]HHHHHHHHNNNNNNNN_name"
//   with the hash of the URL text, the hash of the name and the name, the
//   text after the URL's last '/' or '\'.
// - Any other URL: "folder/site/[stamp_]HHHHHHHHNNNNNNNN_name", where site is
//   "scheme/[user@]host-port" and name is the URL's path with "[default]"
//   added to an empty path or one ending in '/', the query replaced by
//   "?-params", and each of <>*?\|/:" written as '%' and two upper-case
//   hexadecimal digits. All queries of one path thus share the name and differ
//   in the first hash.
std::string MakeLocalFileName(std::string_view folder, std::string_view url, const COleDateTime* date);
// MakeLocalFileName without a time stamp.
std::string MakeCacheFileName(std::string_view folder, std::string_view url);

// Mirror modes.
enum MirrorMode
{
    kMirrorOneFilePerUrl = 0,   // the escaped path as one name in the site folder
    kMirrorFolderTree = 1,      // the site's folders as local folders
    kMirrorNumberedQueries = 2, // as 0, query URLs numbered "[seconds.counter].xdat"
};

// The mirror path of a URL below base: "base/scheme/[user@]host[ port]/..."
// (the port after one blank when it is not the scheme's default); the base
// alone is left out when it is empty. Empty for an empty host or an unknown
// scheme.
// - Folder tree: a query has its '/' and '\' turned into '_'; everything from
//   '#' is cut; dot segments are removed (never above the site folder); a
//   path without a query or "cgi" whose last part has no '.' is taken as a
//   folder; a folder gets "[default]"; each of <>*?|:" becomes '_'.
// - One file per URL: the path ("[default]" added as for cache names)
//   escaped as for cache names, so it is one name; a name made only of one
//   or two dots has them escaped too ("%2E").
// - Numbered queries: as one file per URL with the query cut before
//   escaping; for a URL that had a query the result is
//   "%s[%.4d.%.4d].xdat" of the path, the current time in seconds since 1970
//   and the first counter from firstCounter (at least 0) to 9998 under which
//   nothing exists on disk (a dangling link counts as existing); empty when
//   every name is taken.
std::string MakeMirrorFilePath(std::string_view base, const CUrlParts& parts, std::string_view path, int mode,
                               int firstCounter);
// MakeMirrorFilePath with the item's URL parts and its path (LI_URL_PATH),
// both read in one step under the item's lock.
std::string GetMirrorPath(const CLinkItem& item, std::string_view base, int mode, int firstCounter);
