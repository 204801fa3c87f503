#pragma once
// The colouriser as the text buffer knows it: it colours the buffer's lines
// (writing colour spans) and paints the visible ones through a line painter.

class CEditTextBuffer;
class CEditLinePainter;

class CEditColorizer
{
public:
    virtual ~CEditColorizer() = default;

    // Forgets the last coloured state, so the next pass colours every line
    // although the buffer did not change.
    virtual void Invalidate() { m_lastStamp = 0; }
    // Paints lines first..last (both inclusive), columns firstColumn to
    // lastColumn, through the painter; false when it painted nothing.
    virtual bool PaintLines(CEditTextBuffer& buffer, CEditLinePainter& painter, int firstLine, int lastLine,
                            int firstColumn, int lastColumn) = 0;
    // Whether a change of this character can change the colours of other
    // lines (the buffer then asks for a full repaint).
    virtual bool IsDelimiterChar(char c) const = 0;
    // Whether painting first brings the colours up to date.
    virtual void SetRecolor(bool recolor) = 0;

    unsigned GetLastStamp() const { return m_lastStamp; }

protected:
    // The buffer's change stamp at the last pass; 0 = never coloured.
    unsigned m_lastStamp = 0;
};
