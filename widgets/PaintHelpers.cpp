#include "widgets/PaintHelpers.h"

#include <QPainter>

#include <algorithm>

void FillOutsideRect(QPainter& painter, const QColor& color, const CRect& outer, const CRect& inner)
{
    if (outer == inner)
        return;
    const int top = std::clamp(inner.top, outer.top, outer.bottom);
    const int bottom = std::clamp(inner.bottom, top, outer.bottom);
    const int left = std::clamp(inner.left, outer.left, outer.right);
    const int right = std::clamp(inner.right, left, outer.right);
    const CRect bands[] = {
        {outer.left, outer.top, outer.right, top},
        {outer.left, bottom, outer.right, outer.bottom},
        {outer.left, top, left, bottom},
        {right, top, outer.right, bottom},
    };
    for (const CRect& band : bands)
        if (!band.IsEmpty())
            painter.fillRect(band.ToQRect(), color);
}

void Draw3dRect(QPainter& painter, const QRect& rect, const QColor& topLeft, const QColor& bottomRight)
{
    painter.setPen(topLeft);
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
}
