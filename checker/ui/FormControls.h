#pragma once
// The Qt half of the form model (checker/FormData.h): a live control for
// each element, values moved between elements and controls, and the walk
// through the controls that take the focus by Tab.
//
// Element types and their controls: 0 label, 2 line edit, 3 read-only line
// edit, 5 list box (extended selection when multiple), 6 drop-down list,
// 7 multi-line edit, 8 read-only multi-line edit, 9 masked line edit,
// 10 push button, 11 check box, 12 radio button (buttons of one name form
// one exclusive group), 13 push button with the image icon. Types 1 and 4
// get no control.
//
// UI thread only.

#include <functional>

class CFormData;
class CFormItem;
class QWidget;

// A control's notification: its element's control id and the code (0 a
// button or box was clicked, 1 a list's selection changed, 0x300 an edit's
// text was changed by the user).
using FormCommandHandler = std::function<void(int controlId, int code)>;

inline constexpr int kFormClicked = 0;
inline constexpr int kFormSelectionChanged = 1;
inline constexpr int kFormEditChanged = 0x300;

// Creates the control of every element that has none, as children of parent
// at the elements' form coordinates, each showing the element's caption,
// options and check state. The radio buttons of one name are created one
// after the other, so the group is consecutive in the focus order.
bool CreateControls(CFormData& form, QWidget* parent, const FormCommandHandler& onCommand);

// read: the control's value into the element (edits' text, list and
// drop-down selections, check states); otherwise the element's into the
// control. Labels, read-only lines and buttons keep their values.
void SyncControl(CFormItem& item, bool read);
void ReadAll(CFormData& form, bool read);

// The element's widget; null without a control.
QWidget* GetControlWidget(const CFormItem& item);
// The element whose control is the widget or holds it; null for none.
CFormItem* FindItemByWindow(CFormData& form, const QWidget* window);

// The first or last control with the tab-stop style; null for none.
QWidget* GetFirstTabStopControl(CFormData& form);
QWidget* GetLastTabStopControl(CFormData& form);
// Focus to the next (or previous) tab stop after the element that has the
// focus; false, with the focus left where it is, when no element has it or
// no further tab stop exists.
bool MoveFocus(CFormData& form, bool backwards);
