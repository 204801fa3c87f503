#pragma once
// The program's resources as C++ tables (menus, accelerators, toolbars,
// strings, dialog descriptions) and its images in a Qt resource file. Ids
// are in ResourceIds.h; the table shapes in platform/ui/ResourceTypes.h.

#include "res/ResourceIds.h"

#include "platform/ui/ResourceTypes.h"

#include <QImage>

#include <span>

std::span<const StringDesc> GetStringTable();
// The string's text; null for an id without one.
const char* LoadResourceString(UINT id);
// Strings that other resources name (document strings of the window kinds,
// frame titles), which must therefore exist.
std::span<const UINT> GetReferencedStrings();

struct CommandName
{
    UINT m_id = 0;
    const char* m_name = nullptr;
};
// Every command id the menus, keys and toolbars may name.
std::span<const CommandName> GetCommands();

std::span<const MenuDesc> GetMenus();
const MenuDesc* FindMenu(UINT id);

std::span<const AcceleratorTableDesc> GetAcceleratorTables();
const AcceleratorTableDesc* FindAcceleratorTable(UINT id);

std::span<const ToolbarDesc> GetToolbars();
const ToolbarDesc* FindToolbar(UINT id);

std::span<const DialogDesc> GetDialogs();
const DialogDesc* FindDialog(UINT id);

// A bitmap or icon of the resource file: its id, its path there, and for
// strips the cell width and the number of cells.
struct ImageDesc
{
    UINT m_id = 0;
    const char* m_path = nullptr;
    int m_cellWidth = 0;
    int m_cells = 1;
};
std::span<const ImageDesc> GetBitmaps();
std::span<const ImageDesc> GetIcons();
// The image; null when the id has none or it cannot be read.
QImage LoadBitmapResource(UINT id);
QImage LoadIconResource(UINT id);
