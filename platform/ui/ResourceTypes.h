#pragma once
// The shapes of the resource tables (res/): menus, accelerators, toolbars
// and strings as plain constant data, so that the tables can be written as
// C++ arrays and checked against each other by a test, and the window layer
// builds Qt menus, shortcuts and toolbars from them (CommandActions.h).

#include <span>

using UINT = unsigned int;

// One row of a menu, in display order. m_level is the depth below the menu
// bar (or below the popup for a context menu): 0 for the bar's entries.
// A row with an id is a command; a row without an id but with a text opens
// a popup holding the following deeper rows; a row without either is a
// separator. A command's text may end in "\t" and its accelerator's keys,
// shown at the right of the item.
struct MenuItemDesc
{
    int m_level = 0;
    UINT m_id = 0;
    const char* m_text = nullptr;
};

struct MenuDesc
{
    UINT m_id = 0;
    std::span<const MenuItemDesc> m_items;
};

// One key of an accelerator table in Qt's portable key text ("Ctrl+Alt+O",
// "Alt+F7", "F1", "Shift+Tab").
struct AcceleratorDesc
{
    const char* m_keys = nullptr;
    UINT m_id = 0;
};

struct AcceleratorTableDesc
{
    UINT m_id = 0;
    std::span<const AcceleratorDesc> m_keys;
};

// A toolbar: its buttons in order, 0 for a separator; the n-th button with
// an id shows image n of the strip m_bitmap, cut into images of
// m_imageWidth pixels.
struct ToolbarDesc
{
    UINT m_id = 0;
    UINT m_bitmap = 0;
    int m_imageWidth = 16;
    std::span<const UINT> m_buttons;
};

struct StringDesc
{
    UINT m_id = 0;
    const char* m_text = nullptr;
};
