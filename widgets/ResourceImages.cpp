#include "widgets/ResourceImages.h"

namespace
{
ResourceImageLoader g_loader = nullptr;
}

ResourceImageLoader InstallResourceImageLoader(ResourceImageLoader loader)
{
    ResourceImageLoader previous = g_loader;
    g_loader = loader;
    return previous;
}

QImage LoadResourceImage(int id)
{
    return g_loader ? g_loader(id) : QImage();
}
