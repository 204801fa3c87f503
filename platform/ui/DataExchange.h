#pragma once
// Data exchange between a dialog's controls and its values. One pass of
// CDialog::DoDataExchange either loads every control (m_bSaveAndValidate
// false) or reads and checks them in order (true). A failed read or check
// shows its message, puts the focus on its control (an edit box's text
// selected) and fails the pass: every later exchange of the pass does
// nothing, and the values stored by earlier ones stay stored.
//
// Messages, as the user has always seen them:
//   "Please enter an integer."                    text that is no integer
//   "Please enter an integer between %1 and %2."  out of range
//   "Please enter no more than %1 characters."    too long

#include <string>

class CDialog;
class QWidget;

class CDataExchange
{
public:
    CDataExchange(CDialog* dialog, bool saveAndValidate);

    const bool m_bSaveAndValidate;
    CDialog* const m_pDlgWnd;

    // The control id of the pass's next exchange; it is the one a later
    // check refers to. Null when the dialog has no such control.
    QWidget* PrepareCtrl(int id);
    QWidget* LastControl() const { return m_lastControl; }

    // Shows the message, focuses the last control and fails the pass.
    void Fail(const std::string& message);
    bool Failed() const { return m_failed; }

private:
    QWidget* m_lastControl = nullptr;
    bool m_failed = false;
};

// Edit box (or editable combo box, label) text.
void DDX_Text(CDataExchange& dx, int id, std::string& value);
// Edit box text as a whole decimal integer (blanks around it allowed).
void DDX_Text(CDataExchange& dx, int id, int& value);
void DDV_MinMaxInt(CDataExchange& dx, int value, int minimum, int maximum);
// On load, limits the last edit box to count characters; on save, checks.
void DDV_MaxChars(CDataExchange& dx, const std::string& value, int count);
// Check box state: 0 unchecked, 1 checked, 2 indeterminate.
void DDX_Check(CDataExchange& dx, int id, int& value);
// The index of the checked radio button of the group beginning at id; -1
// when none is checked.
void DDX_Radio(CDataExchange& dx, int id, int& value);
// A combo box's selected index; -1 for none.
void DDX_CBIndex(CDataExchange& dx, int id, int& index);
