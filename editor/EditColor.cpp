#include "editor/EditColor.h"

namespace
{
class CDefaultSystemColors : public CEditSystemColors
{
public:
    COLORREF GetSysColor(int index) const override
    {
        switch (index)
        {
        case COLOR_WINDOW:
        case COLOR_HIGHLIGHTTEXT:
            return EditRgb(255, 255, 255);
        case COLOR_HIGHLIGHT:
            return EditRgb(0, 120, 215);
        case COLOR_BTNFACE:
            return EditRgb(240, 240, 240);
        default:
            return EditRgb(0, 0, 0);
        }
    }
};
}

const CEditSystemColors& DefaultSystemColors()
{
    static const CDefaultSystemColors colors;
    return colors;
}
