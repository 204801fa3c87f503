#pragma once
// CHTMLColorScheme: the editor scheme of the HTML edit view. It adds four
// link kinds (17 OK, 18 broken or stopped, 19 undetermined, 20 pending,
// filtered or external) drawn on a light tint of their own colour, and a
// gutter image per link kind that marks the lines holding such links.
//
// The tints are recomputed from the fixed defaults at every derived-colour
// update, so changing the desktop's colours any number of times leaves them
// the same function of the text background.

#include "editor/EditColorScheme.h"

#include <array>
#include <string>

inline constexpr int kLinkKindOk = 17;
inline constexpr int kLinkKindBroken = 18;
inline constexpr int kLinkKindUndetermined = 19;
inline constexpr int kLinkKindOther = 20;

class CHTMLColorScheme : public CEditColorScheme
{
public:
    // The gutter image of one link kind: rows of '#' (the image's colour)
    // and '.' (transparent, drawn in the window background).
    struct CGutterImage
    {
        int m_resourceId;
        int m_lineFlag;
        COLORREF m_color;
        std::array<const char*, 7> m_rows;
    };

    explicit CHTMLColorScheme(const CEditSystemColors* systemColors = nullptr,
                              const CEditFontMeasurer* measurer = nullptr);

    void DrawMarker(CEditDisplayList& list, int left, int top, int right, int bottom, int flags) const override;
    COLORREF GetColor(int kind, bool selected, bool background, int flags) const override;
    void UpdateDerivedColors() override;

    // The background of an unselected link kind (17 to 20).
    COLORREF GetLinkTint(int kind) const { return m_linkTint[static_cast<size_t>(kind - kLinkKindOk)]; }
    static COLORREF GetLinkDefault(int kind);
    // The image of a line's flags: broken first, then undetermined, other,
    // OK; null when no link flag is set.
    static const CGutterImage* MarkerFor(int flags);

private:
    std::array<COLORREF, 4> m_linkTint{};
    // The window background that replaces the images' transparent pixels.
    COLORREF m_imageBackground = 0xFFFFFF;
};
