#pragma once
// Colours as the bitmap code passes them: the bytes blue, green, red (and a
// flag byte) in memory order, so that read as one 32-bit value they are the
// pixel 0x00RRGGBB of a CDibBitmap.

#include <cstdint>

#include <QColor>

struct CColorTriple
{
    uint8_t m_blue = 0;
    uint8_t m_green = 0;
    uint8_t m_red = 0;

    CColorTriple() = default;
    CColorTriple(int red, int green, int blue)
        : m_blue(static_cast<uint8_t>(blue)), m_green(static_cast<uint8_t>(green)), m_red(static_cast<uint8_t>(red))
    {
    }
    uint32_t Pixel() const { return (uint32_t(m_red) << 16) | (uint32_t(m_green) << 8) | m_blue; }
    QColor ToQColor() const { return QColor(m_red, m_green, m_blue); }
};

// The flag byte: 0 for a colour; callers that mean "no colour of my own"
// (the picture window's system window colour) store 0xFF there.
struct CColorQuad : CColorTriple
{
    uint8_t m_flag = 0;

    CColorQuad() = default;
    CColorQuad(int red, int green, int blue) : CColorTriple(red, green, blue) {}
    // The four bytes as one value: flag in the top byte.
    static CColorQuad FromValue(uint32_t value)
    {
        CColorQuad quad((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
        quad.m_flag = static_cast<uint8_t>(value >> 24);
        return quad;
    }
    uint32_t Value() const { return (uint32_t(m_flag) << 24) | Pixel(); }
};
