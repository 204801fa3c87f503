#pragma once
// The dialog base: a QDialog whose controls are reached by their ids, that
// loads and reads its controls through DoDataExchange, and that ends with
// any code. Run modally through the modal driver (ModalDriver.h), or made a
// child page inside another window.
//
// Controls get their ids by SetDlgItem (a dialog built from a resource
// description does this for every control). User edits of a control (typing
// in an edit box, choosing in a combo box, clicking a check box or radio
// button) fire the change handlers registered for its id; loading the
// controls (OnInitDialog, UpdateData with false) fires none. Push buttons
// are commands: OK and Cancel call OnOK and OnCancel, help calls OnHelp, any
// other button id is offered to the dialog's command route.
//
// UI thread only.

#include "platform/ui/CmdTarget.h"
#include "platform/ui/ModalDriver.h"

#include <QDialog>

#include <functional>
#include <map>
#include <vector>

class CDataExchange;
class QButtonGroup;

inline constexpr int IDHELP = 9;

class CDialog : public QDialog, public CCmdTarget
{
    Q_OBJECT

public:
    explicit CDialog(UINT templateId = 0, QWidget* parent = nullptr);

    UINT GetTemplateId() const { return m_nIDTemplate; }

    // Runs the dialog modally (OnInitDialog first, once); the code it ended
    // with.
    virtual int DoModal();
    // Makes the dialog a child page of parent, initialised and shown; false
    // when it already is one.
    bool CreateAsChild(QWidget* parent);
    // Ends a modal run with code.
    void EndDialog(int code);

    // Loads the controls (save false) or reads and checks them (save true).
    // False when a check failed: its message has been shown and the focus
    // is on the offending control.
    virtual bool UpdateData(bool save = true);

    QWidget* GetDlgItem(int id) const;
    // The id of a control of the dialog; 0 for others.
    static int GetDlgCtrlID(const QWidget* control);
    // Gives a control its id. groupStart marks the first radio button of a
    // group (DDX_Radio); a radio button after a non-radio control starts one
    // too.
    void SetDlgItem(int id, QWidget* control, bool groupStart = false);
    // Puts control in the place of the dialog's control id (in its layout,
    // with its id) and deletes the old one: a description names a generic
    // kind, the dialog brings its own widget. False, control untouched, when
    // there is no such control or it sits in no layout of the dialog.
    bool ReplaceDlgItem(int id, QWidget* control);
    // The radio group that begins with the control id; null for none. The
    // buttons of one group are exclusive, independent of other groups.
    QButtonGroup* GetRadioGroup(int firstId) const;

    // Whether the controls are being loaded (no change handlers fire).
    bool IsLoading() const { return m_loading != 0; }

protected:
    // Called once before the dialog is first shown; the base loads the
    // controls. True: focus as Qt chooses.
    virtual bool OnInitDialog();
    virtual void DoDataExchange(CDataExchange& dx);
    // OK: reads the controls and ends with IDOK when they are valid.
    virtual void OnOK();
    virtual void OnCancel();
    // Help with the dialog's template id as the context.
    virtual void OnHelp();

    // A handler for user edits of the control id.
    void OnChange(int id, std::function<void()> handler);

    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }
    void keyPressEvent(QKeyEvent* event) override;

private:
    void InitOnce();
    void Connect(int id, QWidget* control);
    void FireChange(int id);

    UINT m_nIDTemplate;
    bool m_initialised = false;
    int m_loading = 0;
    std::vector<QWidget*> m_controls; // in registration order
    std::map<int, QButtonGroup*> m_radioGroups; // by the id of the first button
    QButtonGroup* m_currentGroup = nullptr;
    std::multimap<int, std::function<void()>> m_changeHandlers;
};
