#pragma once
// CMemDC: an off-screen drawing surface over one CDibBitmap, for pictures
// composed before they are shown (the tab strip, thumbnails). Qt already
// double-buffers every widget, so this is not needed against flicker; it is
// where a picture is kept between paints. The bitmap is 1 x 1 after
// construction. A painter from Paint draws into the bitmap until it goes;
// while it lives the bitmap must not be resized or reloaded.

#include "widgets/DibBitmap.h"

#include <memory>

#include <QPainter>

class CMemDC
{
public:
    CMemDC();

    // Resizes the bitmap (made anew, contents undefined); false when it
    // cannot be made.
    bool CreateBitmap(int width, int height);
    bool LoadFromResource(int id);

    CDibBitmap& GetBitmap() { return m_bitmap; }
    const CDibBitmap& GetBitmap() const { return m_bitmap; }

    // A painter over the bitmap with a transparent text background; null
    // when the bitmap is empty.
    std::unique_ptr<QPainter> Paint();

private:
    CDibBitmap m_bitmap;
};
