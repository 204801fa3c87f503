#pragma once
// CFormItem: one element of a parsed HTML form laid out as a page of
// controls (FormData.h): its rectangle, type, texts and values, the
// options of a list, and the control that shows it while a form window is
// open (FormControl.h).
//
// Copies take every field except the control (a copy has none) and draw a
// new control id, so ids never repeat within a run. Values are UTF-8 bytes
// as they came from the page.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class IFormControl;

// A rectangle in form coordinates (pixels); right and bottom are exclusive.
struct CFormRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool operator==(const CFormRect&) const = default;
};

// One entry of a list or drop-down. The text is shown; the value is what
// a submission sends (the OPTION's VALUE, or its text when it has none).
struct CFormOption
{
    std::string m_text;
    std::string m_value;
    bool m_selected = false;
    bool m_defaultSelected = false;
};

class CFormItem
{
public:
    // Element types. 1 and 4 are never created; 8 is never created by the
    // parser.
    enum Type : int
    {
        kLabel = 0,
        kUnused1 = 1,
        kEdit = 2,
        kReadOnlyEdit = 3,
        kUnused4 = 4,
        kListBox = 5,
        kComboBox = 6,
        kMultiLineEdit = 7,
        kReadOnlyMultiLine = 8,
        kPassword = 9,
        kButton = 10,
        kCheckBox = 11,
        kRadio = 12,
        kImageButton = 13,
    };

    // The first control id of a run; every element created or copied takes
    // the next one.
    static constexpr int kFirstControlId = 300;

    CFormItem();
    CFormItem(const CFormItem& other);
    CFormItem& operator=(const CFormItem& other);
    ~CFormItem();

    // The window style of the element's control: WS_CHILD | WS_VISIBLE and
    // the style bits of its type (with the group bit for the first radio
    // button of a name and for every other button, and extended selection
    // for a multiple list).
    uint32_t GetStyle() const;

    // Current value = default value; every option's selection = its default
    // selection, except that a single list or drop-down without a default
    // selection selects its first option, as it did when it was parsed.
    // Check states stay as they are.
    void ResetToDefault();

    // Appends this element's name=value pairs to a query string (see
    // CFormData::ComposeSubmitData); buttons add theirs only when their name
    // equals pressedName (case-sensitive).
    void AppendSubmitPart(std::string& query, std::string_view pressedName) const;

    // The selected options in order; for a drop-down only the first of them
    // counts.
    const CFormOption* FirstSelectedOption() const;

    // ---- Control ------------------------------------------------------------
    IFormControl* GetControl() const { return m_control.get(); }
    // Takes ownership; the old control, if any, is destroyed.
    void SetControl(std::unique_ptr<IFormControl> control);
    void DestroyControl();

    // ---- Fields -------------------------------------------------------------
    CFormRect m_rect;
    int m_type = kLabel;
    int m_controlId = 0;
    std::string m_caption;
    std::string m_defaultValue;
    std::string m_value;
    bool m_checked = false;
    bool m_multiple = false;
    // True for the first radio button of a name and for every other element.
    bool m_groupStart = true;
    // The INPUT TYPE upper-cased, "SELECT", "TEXTAREA", "FILE", a page
    // control's name ("_URL_", "_RESULT_", "_UPDATE_", "_RESET_",
    // "_SUBMIT_"), or empty.
    std::string m_typeName;
    std::string m_name;
    std::vector<CFormOption> m_options;
    // Position in the owning form.
    int m_index = 0;

private:
    // Every field except the control id and the control.
    void CopyFields(const CFormItem& other);

    std::unique_ptr<IFormControl> m_control;
};
