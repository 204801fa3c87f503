#pragma once
// CFormData: an HTML form found on a page, kept as its source, its resolved
// action URL, its method, and a flat list of elements (FormItem.h) laid out
// top to bottom as a page of controls, followed by the page's own controls:
// the action URL field, the result box that shows the submit string, and
// the Update, Reset and "Submit to server" buttons.
//
// Page link extraction creates one per FORM and fills it with
// SetActionAndMethod; the form's link owns it, and views and the form
// window work on copies (operator=). The submit string is composed from
// the elements' current values as application/x-www-form-urlencoded
// ("?name=value&name=value"); the engine appends it to the action for GET
// or sends it as POST data.
//
// A form is used by one thread at a time. Controls (FormControl.h) exist
// only while a form window shows the form, and are destroyed before the
// form is cleared or copied over.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "checker/FormItem.h"

class CXmlNode;

class CFormData
{
public:
    // x of every element's left edge before its own offset.
    static constexpr int kLeftOrigin = 10;
    // Where the layout cursor starts when a page is built.
    static constexpr int kFirstTop = 7;

    CFormData();
    CFormData(const CFormData& other);
    // Clear, then a copy of the layout, the method, the submit string,
    // source, action, both indexes and every element (new control ids, no
    // controls). The last pressed button is not copied.
    CFormData& operator=(const CFormData& other);
    ~CFormData();

    // Stores the form's HTML source and its resolved action URL and builds
    // the page; always true.
    bool SetActionAndMethod(std::string_view source, std::string_view action);
    // Clears the elements, parses the source (HTML repair rules), adds the
    // elements of every element node in document order (Parse), composes
    // the submit string, then appends the page controls.
    void BuildPage();
    // The elements one element node of the form adds (FORM, INPUT, SELECT
    // with its OPTIONs, TEXTAREA); other tags add nothing. FORM also sets the
    // method from its METHOD attribute.
    void Parse(CXmlNode& node);

    // Appends an element at (left origin + x, next top + y) of the given
    // size and advances the cursor by y + height; the value is also the
    // caption. A radio button whose name (ASCII case ignored) belongs to an
    // earlier radio button does not start a group.
    CFormItem& AddItem(int type, std::string_view typeName, std::string_view name, int x, int y, int width,
                       int height, std::string_view value);

    // Deletes every element (and its control); layout cursor, widest width
    // and scroll positions 0, both indexes -1.
    void Clear();

    // Every element back to its default value and option selections;
    // check states stay (CFormItem::ResetToDefault).
    void ResetAll();
    // Sets element index's current value and writes it into its control; an
    // index outside the elements is ignored.
    void SetValue(int index, std::string_view text);
    // Composes the submit string from every element except FILE inputs. A
    // non-empty pressed name is remembered as the last pressed button; an
    // empty one is replaced by the remembered name. No pairs: empty string.
    void ComposeSubmitData(std::string_view pressedName);
    // Copies the submit string into the result box and its control.
    void SetSelectedValue();

    // Destroys every element's control.
    void DestroyControls();
    // Null when no element has the id or the control.
    CFormItem* FindItemById(int controlId);
    CFormItem* FindItemByControl(const IFormControl* control);

    // ---- Fields -------------------------------------------------------------
    int GetItemCount() const { return static_cast<int>(m_items.size()); }
    // Null outside the elements.
    CFormItem* GetItem(int index);
    const CFormItem* GetItem(int index) const;

    int GetNextTop() const { return m_nextTop; }
    int GetWidestWidth() const { return m_widestWidth; }
    int GetLeftOrigin() const { return m_leftOrigin; }
    bool IsPost() const { return m_post; }
    const std::string& GetSubmitString() const { return m_submitString; }
    const std::string& GetSource() const { return m_source; }
    const std::string& GetAction() const { return m_action; }
    const std::string& GetLastPressed() const { return m_lastPressed; }
    int GetResultIndex() const { return m_resultIndex; }
    int GetUrlIndex() const { return m_urlIndex; }

    // Scroll position of the window showing the form, kept with the form.
    int m_scrollX = 0;
    int m_scrollY = 0;

private:
    void ParseInput(CXmlNode& node);
    void ParseSelect(CXmlNode& node);
    void ParseTextArea(CXmlNode& node);
    // A read-only line showing the tag, before the element it announces.
    void AddTagLine(const CXmlNode& node);
    void AddPageControls();

    int m_nextTop = 0;
    int m_widestWidth = 0;
    int m_leftOrigin = kLeftOrigin;
    bool m_post = false;
    std::string m_submitString;
    std::string m_source;
    std::string m_action;
    std::string m_lastPressed;
    std::vector<std::unique_ptr<CFormItem>> m_items;
    int m_resultIndex = -1;
    int m_urlIndex = -1;
};
