#pragma once
// CNewTaskDlg, "New Task": where the user starts a task - a local file,
// folder or remote URL (with the URL history to choose from), what to do
// with it (check links recursively, browse, browse offline, download to a
// folder, edit), the download folder, and every other option through the
// Link properties dialog. After IDOK the caller takes m_task.
//
// The action opens as the one chosen last ("Links/Default Task"; a stored
// value that is not one of the five actions opens the first). The depth
// follows the action: downloading takes 1000, browsing 1, and coming back to
// "Check links recursively" gives back the depth it had. The depth of the
// last dialog's task is remembered for the next dialog of this run (the
// first one starts from "Misc/Max Recursion").
//
// OK is enabled while the address is not empty, and for Edit only with a
// local path; an address of blanks only is refused with "Invalid url: %s."
// naming "<Empty>". The title says whether the address is local or which
// protocol it uses.
//
// UI thread only.

#include "checker/TaskSettings.h"
#include "dialogs/TaskDialogContext.h"
#include "platform/ui/Dialog.h"

class CNewTaskDlg : public CDialog
{
    Q_OBJECT

public:
    explicit CNewTaskDlg(CTaskDialogContext context, QWidget* parent = nullptr);
    ~CNewTaskDlg() override;

    CTaskSettings m_task;

    void done(int code) override;

    // Forgets the depth remembered between dialogs (tests start afresh).
    static void ForgetRememberedDepth();

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
    void OnOK() override;

private:
    void UpdateState();
    void OnUrlChanged();
    void OnActionChanged();
    void OnBrowseFile();
    void OnBrowseFolder();
    void OnProperties();

    CTaskDialogContext m_context;
    int m_rememberedDepth = 1;
};
