#pragma once
// Where a link's downloaded copy is kept: a mirror of the URL's path below
// the cache folder, with URLs that carry a query numbered by a process-wide
// counter so that the queries of one path get names of their own.

#include <string>
#include <string_view>

class IPropertySet;

// The counter for the next path: 1, 2, ... 9998, then 1 again, because the
// mirror naming accepts no number above 9998 and a long crawl must still get
// paths. Thread-safe.
int NextCacheFileCounter();

// The local path of url below the settings' "Misc/Cache Folder"; empty when
// that setting is empty or url does not parse as a URL. Each path made takes
// the next counter.
std::string MakeCacheFilePath(const IPropertySet& settings, std::string_view url);
