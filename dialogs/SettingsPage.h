#pragma once
// CSettingsPage: a child page that edits values of a property set through
// its controls, inside a host dialog (its owner): the Settings dialog's
// pages, and later the wizard, task and link pages. Each page declares in
// its constructor a table of bindings, one control to one property id by
// kind; loading, reading, checking and applying are all driven by that
// table, so most pages hold no exchange code of their own.
//
// Two property sets, neither owned: the source, which the controls load
// from and save into (the Settings dialog's private working copy), and the
// target, which ApplyBindings copies the bound values to when the host
// accepts the page (the live settings). Without either, the page exchanges
// and applies nothing (and ApplyBindings still succeeds).
//
// The host's accept step, for each page that IsModified, in this order:
// UpdateData(true) (stop on false), ApplyBindings (stop on false),
// SetModified(false).
//
// Loading the controls fires no change handler (CDialog), so showing a page
// never marks it modified; only user edits do.
//
// UI thread only.

#include "platform/ui/Dialog.h"

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

class IPropertySet;
struct DialogDesc;

// One bound control.
struct CSettingBinding
{
    enum Kind
    {
        kCheck = 0, // check box: 0 clear, 1 checked, 2 indeterminate
        kCombo = 1, // drop-down list: the selected index, -1 for none
        kText = 2,  // edit box or an editable combo box's text
        kInt = 3,   // edit box holding a 32-bit signed integer
        kRadio = 4, // first radio button of a group: the checked index, -1 for none
    };

    int m_controlId = 0;
    int m_propertyId = 0;
    int m_kind = kCheck;
    int m_textLimit = -1; // kText: at most this many characters when above 0
    int m_min = 0;        // kInt: the range applies only when m_min < m_max
    int m_max = 0;
};

// A page's owner: the host that hears of its modification. The message and
// parameter are the ones the host gave the page (CreatePage).
class ISettingsPageOwner
{
public:
    virtual ~ISettingsPageOwner() = default;
    virtual void OnPageNotify(UINT message, std::uintptr_t param, const std::string& path) = 0;
};

class CSettingsPage : public CDialog
{
    Q_OBJECT

public:
    // The page's place in its host's tree is path ("Connections\\Proxy",
    // parts separated by a backslash); caption is what the host shows for it.
    CSettingsPage(UINT templateId, IPropertySet* source, IPropertySet* target, std::string path,
                  std::string caption);

    // Appends a binding (range 0, 0) and returns it, so that an integer
    // binding gets its range by setting m_min and m_max on the result. The
    // reference stays valid until the next AddBinding.
    CSettingBinding& AddBinding(int controlId, int propertyId, int kind, int textLimit = -1);
    const std::vector<CSettingBinding>& GetBindings() const { return m_bindings; }

    // Builds the page's controls from its dialog description as a child of
    // parent; false when the description is missing or the page is built.
    virtual bool CreateFromTemplate(QWidget* parent);
    // CreateFromTemplate, then: owner stored, modified cleared, created set,
    // notify message stored, controls loaded. The notify parameter keeps its
    // value.
    bool CreatePage(QWidget* parent, CDialog* owner, UINT notifyMessage);

    // Copies the bound values from the source to the target in table order;
    // false stops the host's accept step. Pages override it to check first or
    // to copy what no binding covers, then call this one.
    virtual bool ApplyBindings();
    // Loads the controls from the source again.
    virtual bool Reload();
    // Ignored until the page is created. True notifies the owner every time
    // (also when already set); false never notifies.
    virtual void SetModified(bool modified);
    virtual bool IsModified() const { return m_modified; }
    // Remembers the control of a failed save, so a host that shows the page
    // only now can put the focus there.
    bool UpdateData(bool save = true) override;
    QWidget* GetFailedControl() const { return m_failedControl; }

    // The host's part of CreatePage, for hosts that create pages themselves.
    void AttachToOwner(CDialog* owner, UINT notifyMessage, std::uintptr_t notifyParam);

    const std::string& GetPath() const { return m_path; }
    void SetPath(std::string path) { m_path = std::move(path); }
    const std::string& GetCaption() const { return m_caption; }
    int GetOrder() const { return m_order; }
    void SetOrder(int order) { m_order = order; }
    bool IsCreated() const { return m_created; }
    std::uintptr_t GetNotifyParam() const { return m_notifyParam; }
    CDialog* GetOwner() const { return m_owner; }
    IPropertySet* GetSource() const { return m_source; }
    IPropertySet* GetTarget() const { return m_target; }

    void AddToolTip(int controlId, const std::string& text);
    void ActivateToolTips(bool on);

    // Command routing asks the owner first.
    bool OnCmdMsg(UINT id, CommandRequest request, CCmdUI* ui) override;

protected:
    // CreateFromTemplate's work with the description given.
    bool CreateFromDescription(QWidget* parent, const DialogDesc& description);
    bool OnInitDialog() override;
    // The binding table; pages that add checks call it first.
    void DoDataExchange(CDataExchange& dx) override;
    // Enter and Esc inside a page act on the host, never end the page.
    void OnOK() override;
    void OnCancel() override;
    // A user edit of a bound control; the base marks the page modified.
    virtual void OnBoundControlChanged(int controlId);
    // The shared change handler: SetModified(true).
    void OnSettingChanged();
    // Ctrl+Tab in any control of the page goes to the owner, so the host
    // may switch pages.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void WatchControls();

    std::string m_path;
    std::string m_caption;
    int m_order = -1;
    bool m_modified = false;
    bool m_created = false;
    UINT m_notifyMessage = 0;
    std::uintptr_t m_notifyParam = 0;
    CDialog* m_owner = nullptr;
    IPropertySet* m_source;
    IPropertySet* m_target;
    std::vector<CSettingBinding> m_bindings;
    std::map<int, std::string> m_toolTips;
    bool m_toolTipsActive = true;
    QWidget* m_failedControl = nullptr;
};

// A text exchange with a property set: on save the text is read, checked
// against limit when it is above 0 ("Please enter no more than %1
// characters.") and stored with SetString; on load the stored string is
// shown (a missing id shows empty).
void DDX_PropertyText(CDataExchange& dx, int controlId, IPropertySet& set, int propertyId, int limit);

// Gives the spin button range and makes it step the edit beside it (and
// follow what is typed there). Nothing when either control is missing.
void AttachSpin(CDialog& dialog, int spinId, int editId, int minimum, int maximum);
