#pragma once
// The editor font and its measurements. Measuring needs the window layer's
// fonts, so it goes through an interface that layer implements; without one
// the sizes stay 0, as when a font cannot be measured.

#include <string>

struct CEditFont
{
    std::string m_family;
    int m_pointTenths = 0;
};

class CEditFontMeasurer
{
public:
    virtual ~CEditFontMeasurer() = default;
    // Height and average character width in pixels of a font; false when
    // the font does not exist or cannot be measured.
    virtual bool Measure(const CEditFont& font, int& height, int& averageCharWidth) const = 0;
};

class CEditFontMetrics
{
public:
    // Creates the font for 10 points.
    explicit CEditFontMetrics(const CEditFontMeasurer* measurer = nullptr);

    // Builds the font for a size in tenths of a point from the first
    // fixed-width family that can be measured, and measures it; false (all
    // sizes 0) when none can.
    bool Create(int pointTenths);
    void SetMeasurer(const CEditFontMeasurer* measurer) { m_measurer = measurer; }

    int m_lineHeight = 0;
    int m_step = 0;
    int m_charWidth = 0;
    // The sizes painting uses.
    int m_paintLineHeight = 0;
    int m_paintCharWidth = 0;
    CEditFont m_font;

private:
    const CEditFontMeasurer* m_measurer;
};
