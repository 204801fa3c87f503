#pragma once
// Opening the Settings dialog over the live settings. The services are
// handed in by the application object: the live settings, the password
// store the Proxy page keeps proxy passwords in, how to save every setting
// (SaveAllSettings) and how to tell every window that settings changed (the
// settings-changed post to the main window's descendants).
//
// UI thread only.

#include <functional>
#include <memory>

class CPasswordStore;
class CPropertySet;
class CSettingsDlg;

struct CSettingsContext
{
    CPropertySet* m_settings = nullptr;
    CPasswordStore* m_passwords = nullptr;
    std::function<bool()> m_saveSettings;
    std::function<void()> m_settingsChanged;
};

// The dialog with its six pages over a working copy, not yet run: the
// working copy belongs to the dialog's caller (ShowSettingsDialog) and must
// outlive it.
std::unique_ptr<CSettingsDlg> MakeSettingsDialog(const CSettingsContext& context, CPropertySet& workingCopy);

// Runs the dialog modally. Afterwards, OK or Cancel alike, the page last
// shown is kept in "Layout/Last Settings Path" and every setting saved.
void ShowSettingsDialog(const CSettingsContext& context);
