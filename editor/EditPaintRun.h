#pragma once
// One run of equally coloured characters of the line being painted.

#include "editor/EditColor.h"

struct CEditPaintRun
{
    int m_startColumn = 0;
    int m_length = 0;
    COLORREF m_textColor = 0;
    COLORREF m_backgroundColor = 0;
};
