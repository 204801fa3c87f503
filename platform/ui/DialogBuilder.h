#pragma once
// Builds a dialog's controls from its description (ResourceTypes.h) with Qt
// layouts: controls are grouped into rows by their vertical positions, each
// row laid out left to right in the order of their x positions; a row's
// last control takes the spare width when it is an edit box, a combo box, a
// list or a tree, and so does any control marked kControlStretch. Every control gets its id (CDialog::SetDlgItem), radio
// groups start where the description says, combo boxes get their items, and
// the dialog its caption.

#include "platform/ui/ResourceTypes.h"

class CDialog;
class QWidget;

// Fills dialog, which must not have a layout yet; false when it has one.
bool BuildDialogFromDescription(CDialog& dialog, const DialogDesc& description);

// The widget a control kind becomes (without its place); exposed for tests.
QWidget* CreateControl(const ControlDesc& control);
