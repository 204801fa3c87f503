#include "checker/CacheFilePath.h"

#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(MakeCacheFilePath, EmptyWithoutFolderOrUrl)
{
    CPropertySet settings;
    EXPECT_EQ(MakeCacheFilePath(settings, "http://h/a.html"), "");
    settings.SetString(SETTING_MISC_CACHE_FOLDER, "/tmp/cache");
    EXPECT_EQ(MakeCacheFilePath(settings, ""), "");
    EXPECT_EQ(MakeCacheFilePath(settings, "mailto:"), "");
    const std::string path = MakeCacheFilePath(settings, "http://h/dir/a.html");
    EXPECT_EQ(path.rfind("/tmp/cache/", 0), 0u) << path;
    EXPECT_TRUE(EndsWith(path, "a.html")) << path;
}

TEST(MakeCacheFilePath, CounterWrapsSoLongCrawlsStillGetPaths)
{
    CTempFolder cache;
    CPropertySet settings;
    settings.SetString(SETTING_MISC_CACHE_FOLDER, cache.Path().c_str());

    // Bring the counter to its last value, wherever other tests left it.
    int counter = 0;
    for (int i = 0; i < 10000 && counter != 9998; ++i)
        counter = NextCacheFileCounter();
    ASSERT_EQ(counter, 9998);
    EXPECT_EQ(NextCacheFileCounter(), 1);
    EXPECT_EQ(NextCacheFileCounter(), 2);

    counter = 0;
    for (int i = 0; i < 10000 && counter != 9997; ++i)
        counter = NextCacheFileCounter();
    ASSERT_EQ(counter, 9997);
    // Paths 9998 and then 1: the 9,999th query URL of a crawl still gets one.
    const std::string last = MakeCacheFilePath(settings, "http://h/q?page=1");
    const std::string wrapped = MakeCacheFilePath(settings, "http://h/q?page=2");
    EXPECT_TRUE(EndsWith(last, ".9998].xdat")) << last;
    EXPECT_TRUE(EndsWith(wrapped, ".0001].xdat")) << wrapped;
}
} // namespace
