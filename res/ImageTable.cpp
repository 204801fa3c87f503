#include "res/Resources.h"

#include <QString>

#include <algorithm>
#include <mutex>

// Qt's resource file is compiled into this static library; registering it
// once by hand keeps it from being dropped by the linker.
static void InitImageResources()
{
    static std::once_flag once;
    std::call_once(once, [] { Q_INIT_RESOURCE(images); });
}

namespace
{
constexpr ImageDesc kBitmaps[] = {
    {IDB_MAINFRAME, ":/res/images/bitmap_128.png", 16, 11},
    {IDB_FAVORITES, ":/res/images/bitmap_144.png", 16, 2},
    {IDB_LINE_HTTP, ":/res/images/bitmap_174.png", 16, 1},
    {IDB_SORT_ASCENDING, ":/res/images/bitmap_182.png", 16, 1},
    {IDB_SORT_DESCENDING, ":/res/images/bitmap_183.png", 16, 1},
    {IDB_LINE_LOCAL, ":/res/images/bitmap_184.png", 16, 1},
    {IDB_ACTIONS_LARGE, ":/res/images/bitmap_192.png", 32, 1},
    {IDB_VIEW_ICONS, ":/res/images/bitmap_193.png", 16, 1},
    {IDB_LISTS_SMALL, ":/res/images/bitmap_194.png", 16, 4},
    {IDB_WIZARD, ":/res/images/bitmap_195.png", 96, 1},
    {IDB_QUEUE_TOOLBAR, ":/res/images/bitmap_211.png", 16, 6},
    {IDB_LINKS_SMALL, ":/res/images/bitmap_212.png", 16, 27},
    {IDB_SETTINGS_BANNER, ":/res/images/bitmap_226.png", 400, 1},
    {IDB_LINE_MISSING, ":/res/images/bitmap_239.png", 16, 1},
    {IDB_GROUP_STATES, ":/res/images/bitmap_240.png", 30, 6},
    {IDB_VIEW_LIST, ":/res/images/bitmap_245.png", 16, 1},
    {IDB_VIEW_DETAILS, ":/res/images/bitmap_246.png", 16, 1},
    {IDB_ACTIONS_SMALL, ":/res/images/bitmap_247.png", 16, 1},
    {IDB_LINKS_LARGE, ":/res/images/bitmap_248.png", 32, 27},
    {IDB_PROXY_STATES, ":/res/images/bitmap_2080.png", 16, 2},
};

constexpr ImageDesc kIcons[] = {
    {IDI_MAINFRAME, ":/res/images/icon_128.png", 32, 1}, {IDI_PASSWORDS, ":/res/images/icon_179.png", 32, 1},
    {IDI_ACTION4, ":/res/images/icon_181.png", 32, 1},   {IDI_ACTION0, ":/res/images/icon_241.png", 32, 1},
    {IDI_ACTION1, ":/res/images/icon_242.png", 32, 1},   {IDI_ACTION3, ":/res/images/icon_245.png", 32, 1},
    {IDI_ACTION2, ":/res/images/icon_246.png", 32, 1},   {IDI_LOCK, ":/res/images/icon_248.png", 16, 1},
    {IDI_PROPERTIES, ":/res/images/icon_249.png", 16, 1},
    {IDI_ACTION5, ":/res/images/icon_247.png", 32, 1},
};

QImage Load(std::span<const ImageDesc> table, UINT id)
{
    InitImageResources();
    const auto found =
        std::find_if(table.begin(), table.end(), [id](const ImageDesc& image) { return image.m_id == id; });
    return found == table.end() ? QImage() : QImage(QString::fromLatin1(found->m_path));
}
} // namespace

std::span<const ImageDesc> GetBitmaps()
{
    return kBitmaps;
}

std::span<const ImageDesc> GetIcons()
{
    return kIcons;
}

QImage LoadBitmapResource(UINT id)
{
    return Load(kBitmaps, id);
}

QImage LoadIconResource(UINT id)
{
    return Load(kIcons, id);
}
