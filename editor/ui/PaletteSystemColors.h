#pragma once
// The editor's system colours from a widget's palette, so a view follows the
// desktop's theme.

#include "editor/EditColor.h"

class QColor;
class QWidget;

class CPaletteSystemColors : public CEditSystemColors
{
public:
    explicit CPaletteSystemColors(const QWidget& widget) : m_widget(widget) {}
    COLORREF GetSysColor(int index) const override;

private:
    const QWidget& m_widget;
};

QColor ToQColor(COLORREF color);
