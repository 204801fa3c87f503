#include "HTMLColorScheme.h"

#include <algorithm>

namespace
{
// Slot defaults of kinds 17 to 20 as 0x00BBGGRR.
constexpr std::array<COLORREF, 4> kLinkDefaults{0x64C864, 0x6464C8, 0xC86464, 0x969696};

// Gutter images by line flag; any small image serves: a tick, a cross, a
// question mark and a dot, in the colour of their kind.
const std::array<CHTMLColorScheme::CGutterImage, 4> kImages{{
    {184, 1, EditRgb(0, 160, 0),
     {"......#", ".....##", "#...##.", "##.##..", ".###...", "..#....", "......."}},
    {239, 2, EditRgb(220, 0, 0),
     {"#.....#", ".#...#.", "..#.#..", "...#...", "..#.#..", ".#...#.", "#.....#"}},
    {174, 4, EditRgb(0, 0, 220),
     {"..###..", ".#...#.", ".....#.", "....#..", "...#...", ".......", "...#..."}},
    {185, 8, EditRgb(128, 128, 128),
     {".......", "..###..", ".#####.", ".#####.", ".#####.", "..###..", "......."}},
}};

COLORREF Tint(COLORREF background, COLORREF color)
{
    const auto mix = [](int back, int own) { return static_cast<int>(0.8 * back + 0.2 * own); };
    return EditRgb(mix(RedOf(background), RedOf(color)), mix(GreenOf(background), GreenOf(color)),
                   mix(BlueOf(background), BlueOf(color)));
}
}

CHTMLColorScheme::CHTMLColorScheme(const CEditSystemColors* systemColors, const CEditFontMeasurer* measurer)
    : CEditColorScheme(systemColors, measurer)
{
    m_token[kLinkKindOk] = {-1, 0xFF0000};
    m_token[kLinkKindBroken] = {-1, 0x0000FF};
    UpdateDerivedColors();
}

COLORREF CHTMLColorScheme::GetLinkDefault(int kind)
{
    return kLinkDefaults[static_cast<size_t>(kind - kLinkKindOk)];
}

void CHTMLColorScheme::UpdateDerivedColors()
{
    CEditColorScheme::UpdateDerivedColors();
    m_imageBackground = GetBaseColor(kSlotGutter);
    const COLORREF text = GetBaseColor(kSlotText);
    for (size_t i = 0; i < m_linkTint.size(); ++i)
        m_linkTint[i] = Tint(text, kLinkDefaults[i]);
}

COLORREF CHTMLColorScheme::GetColor(int kind, bool selected, bool background, int flags) const
{
    if (background && !selected && kind >= kLinkKindOk && kind <= kLinkKindOther)
        return GetLinkTint(kind);
    return CEditColorScheme::GetColor(kind, selected, background, flags);
}

const CHTMLColorScheme::CGutterImage* CHTMLColorScheme::MarkerFor(int flags)
{
    for (int flag : {2, 4, 8, 1})
        if (flags & flag)
            for (const CGutterImage& image : kImages)
                if (image.m_lineFlag == flag)
                    return &image;
    return nullptr;
}

void CHTMLColorScheme::DrawMarker(CEditDisplayList& list, int left, int top, int right, int bottom, int flags) const
{
    const CGutterImage* image = MarkerFor(flags);
    if (!image)
        return;
    // One pixel per image cell when the cell is small, scaled up in a tall
    // line; centred in the marker cell.
    const int rows = static_cast<int>(image->m_rows.size());
    const int scale = std::max(1, std::min((bottom - top) / rows, (right - left) / 7));
    const int x0 = left + std::max(0, (right - left - 7 * scale) / 2);
    const int y0 = top + std::max(0, (bottom - top - rows * scale) / 2);
    list.FillSolidRect({x0, y0, x0 + 7 * scale, y0 + rows * scale}, m_imageBackground);
    for (int row = 0; row < rows; ++row)
    {
        const char* cells = image->m_rows[static_cast<size_t>(row)];
        for (int column = 0; cells[column]; ++column)
            if (cells[column] == '#')
                list.FillSolidRect({x0 + column * scale, y0 + row * scale, x0 + (column + 1) * scale,
                                    y0 + (row + 1) * scale},
                                   image->m_color);
    }
}
