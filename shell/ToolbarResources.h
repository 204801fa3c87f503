#pragma once
// What the frames' toolbars take from the resource tables: the icons of a
// toolbar's strip, and the words of a button's command as a menu names it
// (the button's tool tip).
//
// UI thread only.

#include "platform/ui/ResourceTypes.h"

#include <QIcon>
#include <QString>

#include <vector>

// The toolbar's bitmap cut into icons of its image width, in button order,
// with the strip's magenta transparent.
std::vector<QIcon> LoadToolbarIcons(const ToolbarDesc& toolbar);

// The text of the menu's first row for the command without what only a menu
// needs: the mnemonic marks ("&&" stays one '&'), the key text after a tab
// and trailing "..."; empty when the menu has no row for it.
QString MenuLabelOf(const MenuDesc& menu, UINT id);
