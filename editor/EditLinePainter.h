#pragma once
// What the colouriser paints a line through: the selection of the line,
// then each visible column with its token kind, then the line as a whole.
// The text buffer implements it and turns the columns into runs of one
// colour for the display list.

#include <string_view>

class CEditLinePainter
{
public:
    virtual ~CEditLinePainter() = default;

    virtual void BeginPaint() {}
    virtual void EndPaint() {}
    virtual void BeginLine(int line) {}
    virtual void PaintLine(int line) {}
    // The selected columns of a line as (first selected column, number of
    // selected columns, columns after them) within lineWidth columns.
    virtual void GetLineSelection(int& startColumn, int& selectedColumns, int& columnsAfter, int line,
                                  int lineWidth) = 0;
    // One character (UTF-8, one column) of a token kind at a display column.
    virtual void AddChar(std::string_view character, int kind, bool selected, int column) = 0;
    // count characters of one kind from a display column on.
    virtual void AddText(std::string_view characters, int count, int kind, bool selected, int column) = 0;
};
