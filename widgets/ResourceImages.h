#pragma once
// Where the bitmap resources of the program come from: a loader from a
// resource id to its image, installed by whoever owns the resource file (the
// resource library), so that this library does not depend on it. Without a
// loader, or for an id it does not know, a load gives a null image and the
// callers report failure. UI thread.

#include <QImage>

using ResourceImageLoader = QImage (*)(int id);

// Returns the loader it replaced; null removes it.
ResourceImageLoader InstallResourceImageLoader(ResourceImageLoader loader);
// The image of the id through the installed loader; null when none.
QImage LoadResourceImage(int id);
