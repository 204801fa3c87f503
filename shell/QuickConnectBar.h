#pragma once
// CQuickConnectBar: the main window's bar for starting a task at once: an
// address box filled with the URL history, a depth with its arrows (1 to
// 1000), the start button "&Open", Browse and properties. It is a dialog
// bar: its controls come from the dialog description IDD_QUICK_CONNECT and
// its buttons are commands of the window that owns it (the main frame),
// which carries them out; the address box takes the spare width when the bar
// grows or shrinks, the other controls keep their distance from the right
// edge.
//
// While the focus is in one of its edit boxes the bar takes the editing
// commands (Copy, Cut, Paste; Undo in the depth box only), so they act on
// that box; while it is on one of its buttons they show disabled.
//
// The depth starts as the setting "Misc/Max Recursion"; when the bar goes,
// its depth (at least 1) is written back when it changed and all settings
// are saved. UI thread only.

#include "platform/ui/Dialog.h"

#include <string>

class CPropertySet;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

class CQuickConnectBar : public CDialog
{
    Q_OBJECT

public:
    // owner: where the buttons' commands go; it must outlive the bar.
    CQuickConnectBar(CPropertySet& settings, CCmdTarget& owner, QWidget* parent = nullptr);
    ~CQuickConnectBar() override;

    QComboBox* UrlCombo() const { return m_urlCombo; }
    QLineEdit* DepthEdit() const { return m_depthEdit; }
    QSpinBox* DepthSpin() const { return m_depthSpin; }
    QPushButton* StartButton() const { return m_startButton; }
    QPushButton* BrowseButton() const { return m_browseButton; }
    QPushButton* PropertiesButton() const { return m_propertiesButton; }

    std::string GetUrlText() const;
    void SetUrlText(const std::string& url);
    std::string GetDepthText() const;
    void SetDepth(int depth);

    // Whether the focus is on the bar or one of its controls.
    bool HasFocusInside() const;
    // The next (previous) control of the bar that takes the focus, round
    // within the bar; from outside the bar, the first.
    void MoveFocus(bool next);

    // The editing commands while the focus is in the bar; false for
    // everything else (the frame then handles it).
    bool OnBarCommand(UINT id, CommandRequest request, CCmdUI* ui);
    // A button's command: the bar's own first, then the owner's.
    bool OnCmdMsg(UINT id, CommandRequest request, CCmdUI* ui) override;

protected:
    // Enter in the address box is the start button; Escape does nothing (a
    // bar is never dismissed).
    void OnOK() override;
    void OnCancel() override;

private:
    CPropertySet& m_settings;
    CCmdTarget& m_owner;
    QComboBox* m_urlCombo = nullptr;
    QLineEdit* m_depthEdit = nullptr;
    QSpinBox* m_depthSpin = nullptr;
    QPushButton* m_startButton = nullptr;
    QPushButton* m_browseButton = nullptr;
    QPushButton* m_propertiesButton = nullptr;
};
