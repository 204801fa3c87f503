#pragma once
// Two-colour gradients for painted backgrounds. A colour is 32 bits with red
// in the lowest byte, then green, then blue; the top byte is not used and
// comes out 0.

#include <cstdint>
#include <vector>

// A grid of colours, stored row by row (m_colors[y * m_width + x]).
struct CColorTable
{
    int m_width = 0;
    int m_height = 0;
    std::vector<uint32_t> m_colors;
};

// Each colour byte multiplied by factor and truncated toward zero.
uint32_t ScaleColor(uint32_t color, double factor);
// The colour bytes added one by one (each sum kept to its byte).
uint32_t AddColor(uint32_t a, uint32_t b);

// Fills the table from colour a to colour b: horizontal runs along the
// columns (column x gets a scaled by 1 - f plus b scaled by f, with
// f = x / (width - 1), down the whole column), vertical along the rows. A
// single column (horizontal) or row (vertical) gets half of each colour.
// m_colors is resized to width * height; a table without cells stays empty.
void FillColorGradient(CColorTable& table, uint32_t a, uint32_t b, bool horizontal);
