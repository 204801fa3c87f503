#pragma once
// CLinkGeneralPage: the "General" page of the Link properties dialog. It
// edits a task's recursion depth (1 to 1000), the file-information step at
// the depth limit, and its POST data: the POST method on or off, the data as
// text or taken from a file. Source and target are the same task, the one
// the dialog edits.
//
// The POST controls follow the check boxes: the data text only with POST on
// and the file off, the file box only with POST on, the file path and its
// browse button only with POST and the file both on.
//
// UI thread only.

#include "dialogs/SettingsPage.h"

class CTaskSettings;

class CLinkGeneralPage : public CSettingsPage
{
    Q_OBJECT

public:
    explicit CLinkGeneralPage(CTaskSettings& task);

    // Loading also sets the POST controls' states.
    bool UpdateData(bool save = true) override;

protected:
    bool OnInitDialog() override;
    void OnBoundControlChanged(int controlId) override;

private:
    void UpdateControls();
    void OnBrowse();
};
