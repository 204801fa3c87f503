#pragma once
// CTaskGeneralPage: a settings page over its own copy of a task that edits
// the start address (trimmed at both ends when applied) and the recursion
// depth (1 to 1000). "..." picks a file for the address; "Compose URL..."
// builds a remote address from its parts, and does nothing for a local path.
//
// UI thread only.

#include "checker/TaskSettings.h"
#include "dialogs/SettingsPage.h"

class CTaskGeneralPage : public CSettingsPage
{
    Q_OBJECT

public:
    explicit CTaskGeneralPage(const CTaskSettings& task);

    // The page's task; it holds the applied values.
    CTaskSettings& GetTask() { return m_task; }

    // Reads the controls (false when that fails) and stores the trimmed
    // address.
    bool ApplyBindings() override;

protected:
    bool OnInitDialog() override;

private:
    void OnBrowse();
    void OnCompose();

    CTaskSettings m_task;
};
