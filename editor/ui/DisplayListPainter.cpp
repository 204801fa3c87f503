#include "editor/ui/DisplayListPainter.h"

#include "editor/EditDisplayList.h"
#include "editor/ui/PaletteSystemColors.h"

#include <QFontMetrics>
#include <QPainter>

void PlayDisplayList(QPainter& painter, const CEditDisplayList& list, const QFont& font)
{
    painter.setFont(font);
    const int ascent = QFontMetrics(font, painter.device()).ascent();
    for (const CEditDisplayItem& item : list.GetItems())
    {
        const CEditRect& r = item.m_rect;
        const QRect rect(r.m_left, r.m_top, r.m_right - r.m_left, r.m_bottom - r.m_top);
        painter.fillRect(rect, ToQColor(item.m_background));
        if (item.m_kind != CEditDisplayItem::kText || item.m_text.empty())
            continue;
        painter.setPen(ToQColor(item.m_textColor));
        painter.drawText(QPoint(r.m_left, r.m_top + ascent), QString::fromUtf8(item.m_text));
    }
}
