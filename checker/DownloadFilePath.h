#pragma once
// Where a link is saved when a task downloads links: below the task's
// download folder, by the link's path relative to the page where the crawl
// entered its site.
//
// URLs come from pages and servers, so the name never leaves the download
// folder: the relative text is split at '/' and '\', each segment is
// percent-decoded on its own (an escaped separator cannot join two
// segments), characters that are unsafe in a file name (separators,
// control characters, <>:"|?*) are dropped, and segments that are then
// empty, "." or ".." are dropped too.

#include <string>
#include <string_view>

// The download path of url below folder.
// - With a site entry (the URL of the page where the crawl entered the
//   link's site): both URLs without their scheme are compared, the common
//   leading text is cut from url's, and the rest is the relative path.
// - Without one: the last path segment of url; for an http or https URL a
//   segment without '.' gets "[default].html" appended.
// When nothing is left of the relative path, an http or https URL is saved
// as "[default].html"; any other gives the empty text, as do an empty folder
// or URL.
std::string MakeDownloadFilePath(std::string_view folder, std::string_view url, std::string_view siteEntryUrl);
