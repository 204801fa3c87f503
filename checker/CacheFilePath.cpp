#include "checker/CacheFilePath.h"

#include "foundation/links/LinkItem.h"
#include "foundation/stores/SettingIds.h"
#include "transfer/client/LocalNaming.h"

#include <atomic>

namespace
{
// The highest number the numbered mirror names take.
constexpr int kLastCacheCounter = 9998;

std::atomic<int> g_nextCacheCounter{1};
} // namespace

int NextCacheFileCounter()
{
    int counter = g_nextCacheCounter.load();
    while (!g_nextCacheCounter.compare_exchange_weak(counter, counter >= kLastCacheCounter ? 1 : counter + 1))
    {
    }
    return counter;
}

std::string MakeCacheFilePath(const IPropertySet& settings, std::string_view url)
{
    std::string folder;
    settings.GetString(SETTING_MISC_CACHE_FOLDER, folder);
    if (folder.empty())
        return {};
    CLinkItem item;
    if (!item.SetUrl(std::string(url).c_str(), false))
        return {};
    return GetMirrorPath(item, folder, kMirrorNumberedQueries, NextCacheFileCounter());
}
