#include "dialogs/ShowSettingsDialog.h"

#include "dialogs/ConnectionsSettingsPage.h"
#include "dialogs/GeneralSettingsPage.h"
#include "dialogs/HttpSettingsPage.h"
#include "dialogs/ProxyPage.h"
#include "dialogs/SettingsDlg.h"
#include "dialogs/SimpleSettingsPages.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"

std::unique_ptr<CSettingsDlg> MakeSettingsDialog(const CSettingsContext& context, CPropertySet& workingCopy)
{
    CPropertySet& live = *context.m_settings;
    auto dialog = std::make_unique<CSettingsDlg>(live.GetStringValue(SETTING_LAYOUT_LAST_SETTINGS_PATH));
    dialog->m_saveSettings = context.m_saveSettings;
    dialog->m_settingsChanged = context.m_settingsChanged;
    dialog->AddPage(std::make_unique<CGeneralSettingsPage>(&workingCopy, &live, "General"));
    dialog->AddPage(MakeLinksSettingsPage(&workingCopy, &live, "Links"));
    dialog->AddPage(std::make_unique<CConnectionsSettingsPage>(&workingCopy, &live, "Connections"));
    dialog->AddPage(std::make_unique<CProxyPage>(&workingCopy, &live, *context.m_passwords, "Connections\\Proxy"));
    dialog->AddPage(std::make_unique<CHttpSettingsPage>(&workingCopy, &live, "HTTP"));
    dialog->AddPage(MakeFtpSettingsPage(&workingCopy, &live, "FTP"));
    return dialog;
}

void ShowSettingsDialog(const CSettingsContext& context)
{
    if (!context.m_settings || !context.m_passwords)
        return;
    CPropertySet workingCopy(false);
    context.m_settings->Visit(workingCopy);
    std::unique_ptr<CSettingsDlg> dialog = MakeSettingsDialog(context, workingCopy);
    dialog->DoModal();
    context.m_settings->SetString(SETTING_LAYOUT_LAST_SETTINGS_PATH, dialog->GetCurrentPath().c_str());
    if (context.m_saveSettings)
        context.m_saveSettings();
}
