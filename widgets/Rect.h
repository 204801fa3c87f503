#pragma once
// A rectangle by its edges, right and bottom outside it (width = right -
// left), as the window code measures; QRect's inclusive right edge is easy to
// get wrong by one in the layout rules, so they use this and convert at the
// Qt call.

#include <QRect>

struct CRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const CRect&) const = default;

    QRect ToQRect() const { return QRect(left, top, right - left, bottom - top); }
    static CRect FromQRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
};
