#pragma once
// The area of a dialog that holds its pages (a task page, a wizard step):
// an empty widget with a margin-free vertical layout, put where the dialog's
// placeholder control stood in its layout. The placeholder is hidden, not
// deleted, so its id stays valid.

class CDialog;
class QWidget;

// The new area, a child of dialog. Without the placeholder or a layout of
// the dialog the area is made all the same, but is placed nowhere.
QWidget* PlacePageArea(CDialog& dialog, int placeholderId);
