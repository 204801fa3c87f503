#pragma once
// The system colours the window code names by index, taken from the
// widget's palette so that they follow the desktop's theme, and the colour
// choice "an index, or below 0 an explicit colour" that the painted widgets
// keep for each of their colours.

#include <QColor>
#include <QPalette>

enum SysColorIndex
{
    kColorScrollBar = 0,
    kColorBackground = 1,
    kColorActiveCaption = 2,
    kColorInactiveCaption = 3,
    kColorMenu = 4,
    kColorWindow = 5,
    kColorWindowFrame = 6,
    kColorMenuText = 7,
    kColorWindowText = 8,
    kColorCaptionText = 9,
    kColorHighlight = 13,
    kColorHighlightText = 14,
    kColorBtnFace = 15,
    kColorBtnShadow = 16,
    kColorGrayText = 17,
    kColorBtnText = 18,
    kColorInactiveCaptionText = 19,
    kColorBtnHighlight = 20,
    kColor3DDkShadow = 21,
    kColor3DLight = 22,
    kColorInfoText = 23,
    kColorInfoBk = 24,
};

// The palette's colour for the index; an index the table does not know gives
// the window colour.
QColor GetSysColor(int index, const QPalette& palette);

struct CColorChoice
{
    // A system colour index, or below 0: use m_color.
    int m_index = kColorWindow;
    QColor m_color;

    QColor Resolve(const QPalette& palette) const { return m_index < 0 ? m_color : GetSysColor(m_index, palette); }
};
