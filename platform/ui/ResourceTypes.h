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

// The kinds of controls a dialog description holds.
enum class ControlKind
{
    Static,    // a label
    Edit,      // one line of text
    Password,  // one line of text, not shown
    MultiEdit, // several lines
    Button,    // a push button (a command)
    DefButton, // the default push button
    Check,     // a check box
    Radio,     // a radio button; kControlGroup starts a group
    DropList,  // a combo box to choose from
    Combo,     // an editable combo box
    List,      // a list control
    Tree,      // a tree control
    Group,     // a group box around the controls that follow it on its rows
    Spin,      // a number with arrows
    Progress,  // a progress bar
    Picture,   // an image or a custom-drawn area
};

inline constexpr UINT kControlGroup = 0x1;    // first control of a radio group
inline constexpr UINT kControlDisabled = 0x2; // starts disabled
inline constexpr UINT kControlHidden = 0x4;   // starts hidden
inline constexpr UINT kControlReadOnly = 0x8; // an edit box the user cannot change
inline constexpr UINT kControlDigits = 0x10;  // an edit box that takes digits only
inline constexpr UINT kControlStretch = 0x20; // takes the spare width of its row wherever it stands

// One control: its kind, id (0 for labels nobody reaches), text, its place
// in dialog units (rows are found from the y positions: controls whose
// vertical ranges overlap share a row), flags, and the items of a combo box
// as "first\nsecond\n...".
struct ControlDesc
{
    ControlKind m_kind = ControlKind::Static;
    int m_id = 0;
    const char* m_text = "";
    int m_x = 0;
    int m_y = 0;
    int m_width = 0;
    int m_height = 0;
    UINT m_flags = 0;
    const char* m_items = nullptr;
};

struct DialogDesc
{
    UINT m_id = 0;
    const char* m_caption = "";
    int m_width = 0;
    int m_height = 0;
    std::span<const ControlDesc> m_controls;
};
