#include "widgets/PixelBuffer.h"

#include "widgets/DibBitmap.h"

#include <algorithm>

void CPixelBuffer::FromDib(CDibBitmap& bitmap)
{
    m_start = bitmap.GetBits();
    m_current = m_start;
    const QSize size = bitmap.GetSize();
    m_width = m_start ? size.width() : 0;
    m_height = m_start ? size.height() : 0;
}

void CPixelBuffer::FillRect(uint32_t value, int left, int top, int width, int height)
{
    if (!m_start || width <= 0 || height <= 0)
        return;
    // 64-bit edges: a caller's left + width must not wrap around.
    const int64_t right = std::min<int64_t>(int64_t(left) + width, m_width);
    const int64_t bottom = std::min<int64_t>(int64_t(top) + height, m_height);
    const int64_t x0 = std::max(left, 0);
    const int64_t y0 = std::max(top, 0);
    for (int64_t y = y0; y < bottom; ++y)
        std::fill(m_start + y * m_width + x0, m_start + y * m_width + std::max(right, x0), value);
}
