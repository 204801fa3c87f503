#pragma once
// Small painting helpers shared by the widgets.

#include "widgets/Rect.h"

#include <QColor>

class QPainter;
class QRect;

// Fills the bands of outer above, below, left and right of inner with the
// colour (the parts of inner outside outer are ignored); nothing when the two
// are equal.
void FillOutsideRect(QPainter& painter, const QColor& color, const CRect& outer, const CRect& inner);

// A one-pixel frame on the rectangle's edges: top and left in one colour,
// bottom and right in the other (raised or sunken by their order).
void Draw3dRect(QPainter& painter, const QRect& rect, const QColor& topLeft, const QColor& bottomRight);
