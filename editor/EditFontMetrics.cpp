#include "editor/EditFontMetrics.h"

#include <algorithm>

namespace
{
// Fixed-width families in order of preference; the generic one exists on
// every desktop that has fonts at all.
const char* const kFamilies[] = {"Courier New", "Courier", "Monospace"};
}

CEditFontMetrics::CEditFontMetrics(const CEditFontMeasurer* measurer) : m_measurer(measurer)
{
    Create(100);
}

bool CEditFontMetrics::Create(int pointTenths)
{
    m_lineHeight = m_step = m_charWidth = m_paintLineHeight = m_paintCharWidth = 0;
    m_font = {};
    for (const char* family : kFamilies)
    {
        m_font = {family, pointTenths};
        int height = 0;
        int width = 0;
        if (!m_measurer || !m_measurer->Measure(m_font, height, width))
            continue;
        m_lineHeight = m_paintLineHeight = height;
        m_charWidth = m_paintCharWidth = width;
        m_step = std::max(width / 6, 1);
        return true;
    }
    return false;
}
