#pragma once
// CLinkPropertiesDlg, "Link properties": the crawl options of one task on
// two tabbed pages, "General" (CLinkGeneralPage) and "Filter"
// (CLinkFilterPage). The caller copies its task into m_task, runs the
// dialog and, after IDOK, copies m_task back: Cancel leaves the caller's
// task as it was.
//
// The tab shown first is the one stored in "Misc/Property Page" (when it is
// a tab); the tab shown last is stored there when the dialog closes, and the
// settings saved when it changed. Ctrl+Tab and Ctrl+Shift+Tab step through
// the tabs, going round; F1 and the help button ask for help on the dialog.
//
// UI thread only.

#include "checker/TaskSettings.h"
#include "dialogs/TaskDialogContext.h"
#include "platform/ui/Dialog.h"

class CLinkFilterPage;
class CLinkGeneralPage;
class CSettingsPage;
class QTabBar;

class CLinkPropertiesDlg : public CDialog
{
    Q_OBJECT

public:
    explicit CLinkPropertiesDlg(CTaskDialogContext context, QWidget* parent = nullptr);
    ~CLinkPropertiesDlg() override;

    CTaskSettings m_task;

    QTabBar* GetTabs() const { return m_tabs; }
    CLinkGeneralPage* GetGeneralPage() const { return m_general; }
    CLinkFilterPage* GetFilterPage() const { return m_filter; }
    // Selects the tab and shows its page.
    void SelectTab(int index);

    void done(int code) override;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowSelectedPage();
    // Ctrl+Tab (forward) and Ctrl+Shift+Tab; false for other keys.
    bool StepTab(const QKeyEvent& key);

    CTaskDialogContext m_context;
    QTabBar* m_tabs = nullptr;
    QWidget* m_pageArea = nullptr;
    CLinkGeneralPage* m_general = nullptr;
    CLinkFilterPage* m_filter = nullptr;
};

// Runs the dialog on a copy of task and copies it back after OK; true then.
bool EditLinkProperties(CTaskSettings& task, const CTaskDialogContext& context, QWidget* parent);
