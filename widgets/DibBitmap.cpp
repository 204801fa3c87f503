#include "widgets/DibBitmap.h"

#include "widgets/ImageFile.h"
#include "widgets/ResourceImages.h"

#include <QPainter>

#include <malloc.h>

bool CDibBitmap::Create(int width, int height)
{
    Release();
    if (width <= 0 || height <= 0 || int64_t(width) * height > kMaxBitmapPixels)
        return false;
    m_image = QImage(width, height, QImage::Format_RGB32);
    return !m_image.isNull();
}

bool CDibBitmap::Resize(int width, int height, bool keep)
{
    if (width <= 0 || height <= 0)
    {
        Release();
        return false;
    }
    if (keep)
        return !m_image.isNull();
    return Create(width, height);
}

void CDibBitmap::Release()
{
    if (m_image.isNull())
        return;
    m_image = QImage();
    // A large picture's pages go back to the system at once instead of
    // staying in the allocator's free lists.
    malloc_trim(0);
}

uint32_t* CDibBitmap::GetBits()
{
    return m_image.isNull() ? nullptr : reinterpret_cast<uint32_t*>(m_image.bits());
}

const uint32_t* CDibBitmap::GetBits() const
{
    return m_image.isNull() ? nullptr : reinterpret_cast<const uint32_t*>(m_image.constBits());
}

uint32_t CDibBitmap::GetPixel(int column, int row) const
{
    if (m_image.isNull() || column < 0 || row < 0 || column >= m_image.width() || row >= m_image.height())
        return 0;
    return GetBits()[column + row * m_image.width()] & 0x00FFFFFFu;
}

void CDibBitmap::Fill(uint32_t value)
{
    uint32_t* bits = GetBits();
    if (!bits)
        return;
    std::fill(bits, bits + size_t(m_image.width()) * size_t(m_image.height()), value);
}

void CDibBitmap::Draw(QPainter& painter, int scaleX, int scaleY, int x, int y) const
{
    if (m_image.isNull())
        return;
    if (scaleX == 1 && scaleY == 1)
        painter.drawImage(QPoint(x, y), m_image);
    else
        painter.drawImage(QRect(x, y, m_image.width() * scaleX, m_image.height() * scaleY), m_image);
}

bool CDibBitmap::LoadFromResource(int id, CColorTriple background)
{
    return CopyFromBitmap(RenderOverBackground(LoadResourceImage(id), background));
}

bool CDibBitmap::LoadFromFile(const std::string& path, CColorTriple background)
{
    return CopyFromBitmap(LoadImageFileAsBitmap(path, background));
}

bool CDibBitmap::CopyFromBitmap(const QImage& image)
{
    if (image.isNull() || image.width() == 0 || image.height() == 0)
        return false;
    Release();
    m_image = image.convertToFormat(QImage::Format_RGB32);
    return !m_image.isNull();
}
