#include "editor/EditDisplayList.h"

void CEditDisplayList::FillSolidRect(const CEditRect& rect, COLORREF color)
{
    if (rect.IsEmpty())
        return;
    m_items.push_back({CEditDisplayItem::kFill, rect, color, 0, {}});
}

void CEditDisplayList::TextOut(const CEditRect& cells, std::string_view text, COLORREF background,
                               COLORREF textColor)
{
    m_items.push_back({CEditDisplayItem::kText, cells, background, textColor, std::string(text)});
}
