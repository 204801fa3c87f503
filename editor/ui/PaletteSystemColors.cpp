#include "editor/ui/PaletteSystemColors.h"

#include "widgets/SysColor.h"

#include <QWidget>

COLORREF CPaletteSystemColors::GetSysColor(int index) const
{
    const QColor color = ::GetSysColor(index, m_widget.palette());
    return EditRgb(color.red(), color.green(), color.blue());
}

QColor ToQColor(COLORREF color)
{
    return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}
