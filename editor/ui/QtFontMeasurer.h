#pragma once
// The editor font in Qt: the QFont an editor font description stands for,
// and the measurer the colour scheme's font metrics use (the height and the
// width of one character cell of that QFont on the screen).

#include "editor/EditFontMetrics.h"

#include <QFont>

// A fixed-pitch QFont of the family and size; a missing family falls back
// to the desktop's fixed-pitch font.
QFont EditQFont(const CEditFont& font);

class CQtFontMeasurer : public CEditFontMeasurer
{
public:
    // Fails only for a size that gives no font.
    bool Measure(const CEditFont& font, int& height, int& averageCharWidth) const override;
};
