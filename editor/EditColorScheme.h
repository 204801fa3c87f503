#pragma once
// The colours of an editor view (token kinds, backgrounds, gutter, flag
// backgrounds and selection), its font, and the view state painting reads.
// The view writes the view state before each paint and keeps the selection
// here at all times.
//
// A colour slot either names a system colour (read through the system
// colours interface when used) or holds a colour of its own. In the
// system-colour mode the backgrounds follow the desktop; in the
// explicit-colour mode they are fixed.

#include "editor/EditColor.h"
#include "editor/EditDisplayList.h"
#include "editor/EditFontMetrics.h"
#include "editor/EditSelection.h"

#include <array>

struct CEditColorSlot
{
    int m_systemIndex = -1;
    COLORREF m_color = 0;
};

// Base slots.
enum EditBaseSlot
{
    kSlotGutter = 0,       // gutter background; kind-10 background without flags
    kSlotSeparator = 1,    // the gutter's last cell
    kSlotText = 2,         // text background
    kSlotFlag1 = 3,        // line backgrounds for flag bits 1, 2, 4 and 8
    kSlotFlag2 = 4,
    kSlotFlag4 = 5,
    kSlotFlag8 = 6,
    kSlotTextColor = 7,
    kSlotInactiveSelection = 8,
    kSlotSelectedNumber = 9,
    kSlotSelection = 10,
    kSlotBeyondText = 11,  // right of and below the text
    kSlotEmptyWindow = 12, // window background when the view has no text
    kBaseSlotCount = 13,
};

inline constexpr int kTokenSlotCount = 27;
// The gutter's token kind: line numbers and the separator line.
inline constexpr int kGutterKind = 10;

class CEditColorScheme
{
public:
    explicit CEditColorScheme(const CEditSystemColors* systemColors = nullptr,
                              const CEditFontMeasurer* measurer = nullptr);
    virtual ~CEditColorScheme() = default;

    // Every slot to the defaults of the current mode, with the blends.
    virtual void ResetDefaultColors();
    // The flag marker in the first gutter cell of a line.
    virtual void DrawMarker(CEditDisplayList& list, int left, int top, int right, int bottom, int flags) const;
    // The text or background colour of a token kind (0 to 26; any other
    // kind is painted as 0) by selection, focus and line flags.
    virtual COLORREF GetColor(int kind, bool selected, bool background, int flags) const;
    // In the system-colour mode, the flag backgrounds again from the current
    // gutter colour (after the desktop's colours changed).
    virtual void UpdateDerivedColors();

    COLORREF GetSlotColor(const CEditColorSlot& slot) const;
    COLORREF GetBaseColor(int slot) const { return GetSlotColor(m_base[static_cast<size_t>(slot)]); }
    void SetSystemColors(const CEditSystemColors* systemColors);

    // View state, written by the view.
    int m_visibleRows = 0;
    int m_visibleColumns = 0;
    int m_topLine = 0;
    int m_firstColumn = 0;
    // In character cells; 0 = no line numbers.
    int m_gutterWidth = 0;
    bool m_focused = false;
    bool m_systemColorMode = true;
    std::array<CEditColorSlot, kBaseSlotCount> m_base;
    CEditFontMetrics m_fontMetrics;
    CEditRect m_paintRect;
    CEditSelection m_selection;
    std::array<CEditColorSlot, kTokenSlotCount> m_token;

private:
    void BlendFlagColors();

    const CEditSystemColors* m_systemColors;
};
