#pragma once
// Small painting helpers shared by the widgets.

#include "widgets/Rect.h"

#include <QColor>

class QPainter;

// Fills the bands of outer above, below, left and right of inner with the
// colour (the parts of inner outside outer are ignored); nothing when the two
// are equal.
void FillOutsideRect(QPainter& painter, const QColor& color, const CRect& outer, const CRect& inner);
