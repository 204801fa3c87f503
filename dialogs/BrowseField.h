#pragma once
// The "..." buttons beside a path field: ask for a file (or a folder),
// starting from what the field holds, and put the answer into the field.

class QLineEdit;
class QWidget;

// True when the user chose something and the field now holds it; false,
// the field untouched, when the user cancelled or there is no field.
bool BrowseIntoField(QLineEdit* field, bool pickFolder, const QWidget* owner);
