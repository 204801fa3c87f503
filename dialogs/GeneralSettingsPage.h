#pragma once
// The General page of the Settings dialog: tree expansion, the default
// download folder (with a folder browser), prompts, single log and report
// windows, the start-up action and the log and history sizes. Applying it
// first makes sure the download folder exists, offering to create it; No,
// or a folder that cannot be made, stops the accept step.

#include "dialogs/SettingsPage.h"

class CGeneralSettingsPage : public CSettingsPage
{
    Q_OBJECT

public:
    CGeneralSettingsPage(IPropertySet* source, IPropertySet* target, std::string path);

    bool ApplyBindings() override;

protected:
    bool OnInitDialog() override;

private:
    void OnBrowse();
};
