#include "foundation/desktop/ColorGradient.h"

#include <cstddef>

uint32_t ScaleColor(uint32_t color, double factor)
{
    uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8)
    {
        const double scaled = static_cast<double>((color >> shift) & 0xFF) * factor;
        const uint32_t part = scaled <= 0 ? 0 : scaled >= 255 ? 255 : static_cast<uint32_t>(scaled);
        result |= part << shift;
    }
    return result;
}

uint32_t AddColor(uint32_t a, uint32_t b)
{
    uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8)
        result |= (((a >> shift) + (b >> shift)) & 0xFF) << shift;
    return result;
}

void FillColorGradient(CColorTable& table, uint32_t a, uint32_t b, bool horizontal)
{
    if (table.m_width <= 0 || table.m_height <= 0)
    {
        table.m_colors.clear();
        return;
    }
    table.m_colors.assign(static_cast<std::size_t>(table.m_width) * static_cast<std::size_t>(table.m_height),
                          0);
    const int steps = horizontal ? table.m_width : table.m_height;
    for (int step = 0; step < steps; ++step)
    {
        const double f = steps == 1 ? 0.5 : static_cast<double>(step) / (steps - 1);
        const uint32_t color = AddColor(ScaleColor(a, 1 - f), ScaleColor(b, f));
        if (horizontal)
        {
            for (int y = 0; y < table.m_height; ++y)
                table.m_colors[static_cast<std::size_t>(y) * table.m_width + step] = color;
        }
        else
        {
            for (int x = 0; x < table.m_width; ++x)
                table.m_colors[static_cast<std::size_t>(step) * table.m_width + x] = color;
        }
    }
}
