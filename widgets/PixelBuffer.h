#pragma once
// CPixelBuffer: a plain view of a CDibBitmap's pixels for writing them
// directly (fills, thumbnails, effects). It does not own the pixels: it is
// valid while the bitmap keeps its size.

#include <cstdint>

class CDibBitmap;

class CPixelBuffer
{
public:
    // Views the bitmap's pixels; an empty bitmap gives an empty view.
    void FromDib(CDibBitmap& bitmap);

    // Every pixel of the rectangle set to the value, clipped to the buffer
    // on all four sides (a rectangle reaching left of or above the buffer
    // is cut there, never written before the first pixel).
    void FillRect(uint32_t value, int left, int top, int width, int height);

    uint32_t* m_start = nullptr;
    uint32_t* m_current = nullptr;
    int m_width = 0;
    int m_height = 0;
};
