#pragma once
// CTaskWizardDlg, "Tanglewarden Task Wizard": fills a new task in three
// pages - an introduction, the start address ("url") and the crawl
// parameters ("param": depth, external links, download folder, and the Link
// properties dialog for the rest). The caller sets the task's action (116),
// runs the wizard and, after IDOK, copies m_task; Finish makes the task's
// name its start address.
//
// Finish is the Next button on the last page, known by the page index, not
// by the button's text. Enter does nothing (no button is the default), so a
// stray Enter in a field never ends the wizard; Esc and Cancel end it with
// IDCANCEL. Next stays disabled on the "url" page while the address is not
// accepted (CheckStartUrl), and leaving a page that does not read back
// (a depth outside 1 to 1000) keeps it in front.
//
// UI thread only.

#include "checker/TaskSettings.h"
#include "dialogs/SettingsPage.h"
#include "dialogs/TaskDialogContext.h"

#include <string>
#include <vector>

class CTaskWizardDlg;
class QLabel;

// A wizard page: a settings page over the wizard's task (source and target
// both), named by its place in the wizard, without a caption.
class CWizardPage : public CSettingsPage
{
    Q_OBJECT

public:
    CWizardPage(UINT templateId, const std::string& name, CTaskSettings& task, CTaskWizardDlg& wizard);

protected:
    void OnBoundControlChanged(int controlId) override;

private:
    CTaskWizardDlg& m_wizard;
};

// The page of that name ("intro", "url" or "param") with its bindings and
// tool tips, created inside the wizard; null for any other name.
CWizardPage* CreateWizardPage(const std::string& name, CTaskSettings& task, CTaskWizardDlg& wizard);

class CTaskWizardDlg : public CDialog
{
    Q_OBJECT

public:
    explicit CTaskWizardDlg(CTaskDialogContext context, QWidget* parent = nullptr);
    ~CTaskWizardDlg() override;

    CTaskSettings m_task;

    // Where the pages go; valid once the wizard is initialised.
    QWidget* GetPageArea() const { return m_pageArea; }
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    int GetCurrentIndex() const { return m_current; }
    CWizardPage* GetCurrentPage() const;
    bool IsLastPage() const { return m_current >= 0 && m_current == GetPageCount() - 1; }

    // Shows the page at index (see the file comment); nothing for an index
    // outside the pages or while the current page does not read back.
    void ShowPage(int index);
    void OnBack();
    void OnNext();

    // A user edit in a control of the current page.
    void OnPageControlChanged(int controlId);

protected:
    bool OnInitDialog() override;
    // Enter does not end the wizard.
    void OnOK() override {}
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CheckUrl();
    void UpdateButtons();
    void UpdateParamPage();
    // The current page's controls loaded from the task again.
    void ReloadPage();
    void OnBrowseFile();
    void OnCompose();
    void OnBrowseFolder();
    void OnProperties();

    CTaskDialogContext m_context;
    QLabel* m_picture = nullptr;
    QWidget* m_pageArea = nullptr;
    std::vector<CWizardPage*> m_pages;
    int m_current = -1;
    bool m_urlAccepted = false;
};
