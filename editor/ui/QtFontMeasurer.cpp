#include "editor/ui/QtFontMeasurer.h"

#include <QFontMetrics>

QFont EditQFont(const CEditFont& font)
{
    QFont result(QString::fromStdString(font.m_family));
    result.setStyleHint(QFont::TypeWriter);
    result.setFixedPitch(true);
    result.setPointSizeF(font.m_pointTenths / 10.0);
    return result;
}

bool CQtFontMeasurer::Measure(const CEditFont& font, int& height, int& averageCharWidth) const
{
    if (font.m_pointTenths <= 0)
        return false;
    const QFontMetrics metrics(EditQFont(font));
    height = metrics.height();
    // Cells are as wide as a glyph's advance, so that a run drawn in one
    // piece ends where the next cell begins.
    averageCharWidth = metrics.horizontalAdvance(QLatin1Char('0'));
    return height > 0 && averageCharWidth > 0;
}
