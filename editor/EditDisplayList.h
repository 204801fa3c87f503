#pragma once
// What painting produces: filled rectangles and runs of text with their
// colours, in drawing order. The editor view plays the list on its painter
// with the scheme's font; tests read it.

#include "editor/EditColor.h"

#include <string>
#include <string_view>
#include <vector>

struct CEditRect
{
    int m_left = 0;
    int m_top = 0;
    int m_right = 0;
    int m_bottom = 0;

    bool IsEmpty() const { return m_left >= m_right || m_top >= m_bottom; }
    bool operator==(const CEditRect&) const = default;
};

struct CEditDisplayItem
{
    enum Kind
    {
        kFill,
        kText,
    };
    Kind m_kind = kFill;
    // A fill's area, or the cells a text run covers.
    CEditRect m_rect;
    COLORREF m_background = 0;
    COLORREF m_textColor = 0;
    // UTF-8, one character per column.
    std::string m_text;
};

class CEditDisplayList
{
public:
    // Nothing is added for an empty rectangle.
    void FillSolidRect(const CEditRect& rect, COLORREF color);
    void TextOut(const CEditRect& cells, std::string_view text, COLORREF background, COLORREF textColor);
    void Clear() { m_items.clear(); }
    const std::vector<CEditDisplayItem>& GetItems() const { return m_items; }

private:
    std::vector<CEditDisplayItem> m_items;
};
