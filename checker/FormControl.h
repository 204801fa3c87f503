#pragma once
// IFormControl: the seam between the form model (CFormData, CFormItem) and
// the window that shows a form as live controls. The engine never sees a
// widget: an element holds at most one control through this interface,
// owns it, and destroys it with itself or through DestroyControl.
//
// The form window builds one control per element from the element's type,
// GetStyle, rectangle, caption, options and control id, hands it to
// CFormItem::SetControl, and moves values between the controls and the
// elements in both directions. The model itself only writes through a
// control when it changes a value on its own (SetValue, SetSelectedValue).
//
// Controls belong to the UI thread; so does a form while it has controls.

#include <string_view>

class IFormControl
{
public:
    virtual ~IFormControl() = default;

    // Replaces the window text (an edit's value, a button's caption).
    virtual void SetText(std::string_view text) = 0;
};
