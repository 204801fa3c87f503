#pragma once
// CDibBitmap: a 32-bit-per-pixel bitmap whose pixels the program writes
// directly: rows top-down, pixel (column, row) at GetBits()[column + row *
// width], each pixel 0x00RRGGBB. Qt's RGB32 format is exactly that layout and
// reads the top byte as opaque, so the bits can be handed to a painter as they
// are. The top byte is not used (Qt's painting writes 0xFF there). Empty (no pixels, size 0 x 0) after a release or a failed creation.
// UI thread, like every picture.

#include "widgets/ColorQuad.h"

#include <cstdint>
#include <string>

#include <QImage>
#include <QSize>

class QPainter;

class CDibBitmap
{
public:
    // The largest bitmap made (1 GiB of pixels): a picture's size comes from
    // files and pages, and a larger one is refused rather than tried.
    static constexpr int64_t kMaxBitmapPixels = int64_t(1) << 28;

    CDibBitmap() = default;

    // A new bitmap of that size (contents undefined); false, and empty, when
    // it cannot be made (a size of 0 or less, or too large to allocate).
    bool Create(int width, int height);
    // A width or height of 0 or less releases the bitmap. With keep the
    // bitmap stays as it is. Otherwise it is released and made anew.
    bool Resize(int width, int height, bool keep = false);
    // Drops the pixels and gives the freed memory back to the system, since
    // pictures can be large.
    void Release();

    QSize GetSize() const { return m_image.isNull() ? QSize(0, 0) : m_image.size(); }
    bool IsEmpty() const { return m_image.isNull(); }
    uint32_t* GetBits();
    const uint32_t* GetBits() const;
    // The colour 0x00RRGGBB, without the unused top byte; 0 outside.
    uint32_t GetPixel(int column, int row) const;
    void Fill(uint32_t value);

    // At scale 1 x 1 a straight copy with the top-left corner at x, y;
    // otherwise stretched to width * scaleX by height * scaleY.
    void Draw(QPainter& painter, int scaleX, int scaleY, int x, int y) const;

    // A bitmap resource (ResourceImages.h) drawn over the background colour.
    bool LoadFromResource(int id, CColorTriple background = {});
    // An image file (LoadImageFileAsBitmap); false when nothing was loaded,
    // and then the previous picture stays.
    bool LoadFromFile(const std::string& path, CColorTriple background = {});
    // Takes a loaded image: false for a null image or one of zero width or
    // height (the previous picture stays); else the bitmap is made at that
    // size and the image copied in.
    bool CopyFromBitmap(const QImage& image);

    // The pixels as a Qt image sharing nothing with later changes.
    const QImage& Image() const { return m_image; }
    // For painting into the pixels (CMemDC); null when empty.
    QImage* PaintTarget() { return m_image.isNull() ? nullptr : &m_image; }

private:
    QImage m_image;
};
