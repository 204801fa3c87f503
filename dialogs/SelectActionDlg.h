#pragma once
// CSelectActionDlg, "Select New Action": what File > New makes. Six actions
// in a list (icons, list or details, the choice kept in "Layout/New Task
// List Type"): the four task actions lead through the task wizard, "Edit"
// asks for an HTML or text file, "Create new HTML document" needs nothing
// more. After IDOK m_task holds the result: its action (116), for the task
// actions the wizard's whole task, for Edit the file's path (100), for a new
// page an empty start address.
//
// The action chosen last ("Links/Default Task") is selected when the dialog
// opens (the first one when the stored value is not an action). Cancelling
// the wizard or the file choice leaves the dialog open, so the user can
// choose again.
//
// UI thread only.

#include "checker/TaskSettings.h"
#include "dialogs/TaskDialogContext.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/ImageList.h"

class CListCtrl;

// The number of actions the dialog offers (0 to 5).
inline constexpr int kSelectActionCount = 6;

class CSelectActionDlg : public CDialog
{
    Q_OBJECT

public:
    explicit CSelectActionDlg(CTaskDialogContext context, QWidget* parent = nullptr);
    ~CSelectActionDlg() override;

    CTaskSettings m_task;

    CListCtrl* GetList() const { return m_list; }
    // Switches the list's view (0 icons, 1 list, 2 details) and keeps it.
    void SetListView(int view);
    // OK or a double click: see the file comment.
    void Accept();

protected:
    bool OnInitDialog() override;
    void OnOK() override { Accept(); }
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateOk();
    // Details view: the first column takes what the others leave, at least 100.
    void FitFirstColumn();

    CTaskDialogContext m_context;
    CListCtrl* m_list = nullptr;
    CImageList m_large;
    CImageList m_small;
    bool m_sizeTaken = false;
    bool m_doubleClicked = false; // the activation under way is a double click
};
