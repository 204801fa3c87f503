#include "platform/ui/ImageList.h"

#include "platform/ui/MaskColor.h"

#include <QIcon>
#include <QPainter>

int CImageList::AddStrip(const QImage& strip, QRgb mask)
{
    if (strip.isNull())
        return -1;
    if (m_size.isEmpty())
        m_size = QSize(m_size.width() > 0 ? m_size.width() : strip.height(), strip.height());
    const int count = strip.width() / m_size.width();
    if (count <= 0)
        return -1;
    const QImage argb = ReplaceMaskColor(strip, 0, mask);
    const int first = GetImageCount();
    for (int image = 0; image < count; ++image)
        m_images.push_back(argb.copy(image * m_size.width(), 0, m_size.width(), std::min(m_size.height(), argb.height())));
    return first;
}

int CImageList::AddStrip(const QString& path, QRgb mask)
{
    return AddStrip(QImage(path), mask);
}

int CImageList::Add(const QImage& image)
{
    if (image.isNull())
        return -1;
    if (m_size.isEmpty())
        m_size = image.size();
    QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    if (argb.size() != m_size)
        argb = argb.scaled(m_size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_images.push_back(argb);
    return GetImageCount() - 1;
}

QImage CImageList::GetImage(int index) const
{
    if (index < 0 || index >= GetImageCount())
        return QImage();
    return m_images[static_cast<size_t>(index)];
}

QIcon CImageList::GetIcon(int index) const
{
    const QImage image = GetImage(index);
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

bool CImageList::SetOverlayImage(int image, int overlay)
{
    if (image < 0 || image >= GetImageCount() || overlay < 1 || overlay > 15)
        return false;
    if (m_overlays.size() < static_cast<size_t>(overlay))
        m_overlays.resize(static_cast<size_t>(overlay), -1);
    m_overlays[static_cast<size_t>(overlay - 1)] = image;
    return true;
}

bool CImageList::Draw(QPainter& painter, int index, const QPoint& point, UINT style, const QColor& blend) const
{
    if (index < 0 || index >= GetImageCount())
        return false;
    QImage image = m_images[static_cast<size_t>(index)];
    if ((style & (ILD_BLEND50 | ILD_BLEND25)) && blend.isValid())
    {
        // The colour lies over the image's own pixels only, not over its
        // transparent ones.
        QPainter tint(&image);
        tint.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        tint.setOpacity((style & ILD_BLEND50) ? 0.5 : 0.25);
        tint.fillRect(image.rect(), blend);
    }
    painter.drawImage(point, image);
    const UINT overlay = (style & ILD_OVERLAYMASK) >> 8;
    if (overlay > 0 && overlay <= m_overlays.size() && m_overlays[overlay - 1] >= 0)
        painter.drawImage(point, m_images[static_cast<size_t>(m_overlays[overlay - 1])]);
    return true;
}
