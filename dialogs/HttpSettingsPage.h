#pragma once
// The HTTP page of the Settings dialog: version, Keep-Alive and the
// Connection choice, the User-Agent (presets or any text), the optional
// request lines and the authentication methods, with a sample request that
// follows every change.

#include "dialogs/SettingsPage.h"

#include <span>

class CHttpSettingsPage : public CSettingsPage
{
    Q_OBJECT

public:
    CHttpSettingsPage(IPropertySet* source, IPropertySet* target, std::string path);

    // The User-Agent presets, in the order the combo box lists them.
    static std::span<const char* const> GetUserAgentPresets();

    // Enables the Connection and User-Agent choices by their boxes in the
    // working copy and shows the request those settings make.
    void UpdateSample();

protected:
    bool OnInitDialog() override;
    // Every change is saved into the working copy at once, so the sample
    // follows it.
    void OnBoundControlChanged(int controlId) override;
};
