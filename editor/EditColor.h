#pragma once
// Colours as the editor keeps them: 0x00BBGGRR values, and system colours
// read by index through a small interface the window layer implements from
// the desktop's palette.

#include <cstdint>

using COLORREF = uint32_t;

constexpr COLORREF EditRgb(int red, int green, int blue)
{
    return static_cast<COLORREF>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}

constexpr int RedOf(COLORREF color)
{
    return static_cast<int>(color & 0xFF);
}

constexpr int GreenOf(COLORREF color)
{
    return static_cast<int>((color >> 8) & 0xFF);
}

constexpr int BlueOf(COLORREF color)
{
    return static_cast<int>((color >> 16) & 0xFF);
}

// The system colour indexes the editor reads.
enum EditSystemColor
{
    COLOR_WINDOW = 5,
    COLOR_WINDOWTEXT = 8,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
};

class CEditSystemColors
{
public:
    virtual ~CEditSystemColors() = default;
    virtual COLORREF GetSysColor(int index) const = 0;
};

// A light desktop's colours (white window, black text, blue highlight),
// used until the window layer hands in the desktop's own.
const CEditSystemColors& DefaultSystemColors();
