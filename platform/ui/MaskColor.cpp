#include "platform/ui/MaskColor.h"

QImage ReplaceMaskColor(const QImage& image, QRgb replacement, QRgb mask)
{
    QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = mask & 0xFFFFFF;
    for (int y = 0; y < argb.height(); ++y)
    {
        auto* line = reinterpret_cast<QRgb*>(argb.scanLine(y));
        for (int x = 0; x < argb.width(); ++x)
        {
            if ((line[x] & 0xFFFFFF) == key)
                line[x] = replacement;
        }
    }
    return argb;
}
