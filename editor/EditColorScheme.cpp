#include "editor/EditColorScheme.h"

namespace
{
// The text colours of the token kinds in both modes (kind 0 follows the
// desktop's text colour in the system-colour mode).
constexpr COLORREF kTokenColors[kTokenSlotCount] = {
    0x323C00, 0x9C9C9C, 0xFF0064, 0xC864, 0x6400, 0xFF6400, 0xDC0000, 0x800080, 0x78FF, 0x6400,
    0xC8C8C8, 0xC80000, 0xC8, 0xC800, 0x646432, 0xAF3C7A, 0x78A000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};

// Each channel: the integer part of 0.9 of the base plus 0.1 of the tint.
COLORREF Blend(COLORREF base, COLORREF tint)
{
    const auto channel = [](int b, int t) { return (9 * b + t) / 10; };
    return EditRgb(channel(RedOf(base), RedOf(tint)), channel(GreenOf(base), GreenOf(tint)),
                   channel(BlueOf(base), BlueOf(tint)));
}
}

CEditColorScheme::CEditColorScheme(const CEditSystemColors* systemColors, const CEditFontMeasurer* measurer)
    : m_fontMetrics(measurer), m_systemColors(systemColors ? systemColors : &DefaultSystemColors())
{
    ResetDefaultColors();
}

void CEditColorScheme::SetSystemColors(const CEditSystemColors* systemColors)
{
    m_systemColors = systemColors ? systemColors : &DefaultSystemColors();
}

COLORREF CEditColorScheme::GetSlotColor(const CEditColorSlot& slot) const
{
    return slot.m_systemIndex >= 0 ? m_systemColors->GetSysColor(slot.m_systemIndex) : slot.m_color;
}

void CEditColorScheme::ResetDefaultColors()
{
    const auto system = [](int index) { return CEditColorSlot{index, 0}; };
    const auto fixed = [](COLORREF color) { return CEditColorSlot{-1, color}; };
    if (m_systemColorMode)
    {
        m_base[kSlotText] = system(COLOR_WINDOW);
        m_base[kSlotTextColor] = system(COLOR_WINDOWTEXT);
        m_base[kSlotInactiveSelection] = system(COLOR_BTNFACE);
        m_base[kSlotSelectedNumber] = system(COLOR_HIGHLIGHTTEXT);
        m_base[kSlotSelection] = system(COLOR_HIGHLIGHT);
        m_token[0] = system(COLOR_WINDOWTEXT);
    }
    else
    {
        m_base[kSlotText] = fixed(EditRgb(230, 230, 230));
        m_base[kSlotTextColor] = fixed(EditRgb(255, 255, 155));
        m_base[kSlotInactiveSelection] = fixed(EditRgb(180, 180, 180));
        m_base[kSlotSelectedNumber] = fixed(EditRgb(255, 255, 155));
        m_base[kSlotSelection] = fixed(EditRgb(100, 100, 100));
        m_token[0] = fixed(kTokenColors[0]);
    }
    m_base[kSlotGutter] = m_base[kSlotText];
    for (int kind = 1; kind < kTokenSlotCount; ++kind)
        m_token[static_cast<size_t>(kind)] = fixed(kTokenColors[kind]);
    m_base[kSlotSeparator] = m_base[kSlotGutter];
    m_base[kSlotEmptyWindow] = m_base[kSlotGutter];
    m_base[kSlotBeyondText] = m_base[kSlotText];
    // In the explicit mode the blends of its fixed gutter colour give the
    // fixed flag backgrounds RGB(207,232,207) and so on.
    BlendFlagColors();
}

void CEditColorScheme::BlendFlagColors()
{
    const COLORREF gutter = GetBaseColor(kSlotGutter);
    m_base[kSlotFlag1] = {-1, Blend(gutter, EditRgb(0, 255, 0))};
    m_base[kSlotFlag2] = {-1, Blend(gutter, EditRgb(255, 0, 0))};
    m_base[kSlotFlag4] = {-1, Blend(gutter, EditRgb(0, 0, 255))};
    m_base[kSlotFlag8] = {-1, Blend(gutter, EditRgb(0, 255, 255))};
}

void CEditColorScheme::UpdateDerivedColors()
{
    if (m_systemColorMode)
        BlendFlagColors();
}

COLORREF CEditColorScheme::GetColor(int kind, bool selected, bool background, int flags) const
{
    if (kind < 0 || kind >= kTokenSlotCount)
        kind = 0;
    if (kind != kGutterKind)
    {
        if (!background)
        {
            const COLORREF color = GetSlotColor(m_token[static_cast<size_t>(kind)]);
            return selected ? color ^ 0xFFFFFF : color;
        }
        if (!selected)
            return GetBaseColor(kSlotText);
        return GetBaseColor(m_focused ? kSlotSelection : kSlotInactiveSelection);
    }
    if (!background)
        return selected && m_focused ? GetBaseColor(kSlotSelectedNumber) : GetSlotColor(m_token[kGutterKind]);
    if (selected && m_focused)
        return GetBaseColor(kSlotSelection);
    if (flags & 1)
        return GetBaseColor(kSlotFlag1);
    if (flags & 2)
        return GetBaseColor(kSlotFlag2);
    if (flags & 4)
        return GetBaseColor(kSlotFlag4);
    if (flags & 8)
        return GetBaseColor(kSlotFlag8);
    return GetBaseColor(kSlotGutter);
}

void CEditColorScheme::DrawMarker(CEditDisplayList& list, int left, int top, int right, int bottom, int flags) const
{
    COLORREF color;
    if (flags & 2)
        color = EditRgb(255, 0, 0);
    else if (flags & 4)
        color = EditRgb(0, 255, 0);
    else if (flags & 8)
        color = EditRgb(0, 0, 255);
    else
        return;
    list.FillSolidRect({left + 1, top + 4, right - 3, bottom - 4}, color);
}
