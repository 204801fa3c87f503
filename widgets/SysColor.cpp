#include "widgets/SysColor.h"

QColor GetSysColor(int index, const QPalette& palette)
{
    switch (index)
    {
    case kColorScrollBar: return palette.color(QPalette::Button);
    case kColorBackground: return palette.color(QPalette::Window);
    // Captions: the active one in the selection colour, the inactive one
    // in the grey between button and shadow, as the title bars they stood for.
    case kColorActiveCaption: return palette.color(QPalette::Active, QPalette::Highlight);
    case kColorInactiveCaption: return palette.color(QPalette::Mid);
    case kColorCaptionText: return palette.color(QPalette::Active, QPalette::HighlightedText);
    case kColorInactiveCaptionText: return palette.color(QPalette::Light);
    case kColorMenu: return palette.color(QPalette::Window);
    case kColorMenuText: return palette.color(QPalette::WindowText);
    case kColorWindow: return palette.color(QPalette::Base);
    case kColorWindowFrame: return palette.color(QPalette::Shadow);
    case kColorWindowText: return palette.color(QPalette::Text);
    case kColorHighlight: return palette.color(QPalette::Active, QPalette::Highlight);
    case kColorHighlightText: return palette.color(QPalette::Active, QPalette::HighlightedText);
    case kColorBtnFace: return palette.color(QPalette::Button);
    case kColorBtnShadow: return palette.color(QPalette::Dark);
    case kColorGrayText: return palette.color(QPalette::Disabled, QPalette::Text);
    case kColorBtnText: return palette.color(QPalette::ButtonText);
    case kColorBtnHighlight: return palette.color(QPalette::Light);
    case kColor3DDkShadow: return palette.color(QPalette::Shadow);
    case kColor3DLight: return palette.color(QPalette::Midlight);
    case kColorInfoText: return palette.color(QPalette::ToolTipText);
    case kColorInfoBk: return palette.color(QPalette::ToolTipBase);
    default: return palette.color(QPalette::Base);
    }
}
