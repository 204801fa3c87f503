#include "dialogs/SimpleSettingsPages.h"

#include "foundation/stores/SettingIds.h"
#include "res/Resources.h"

std::unique_ptr<CSettingsPage> MakeLinksSettingsPage(IPropertySet* source, IPropertySet* target, std::string path)
{
    auto page = std::make_unique<CSettingsPage>(IDD_SETTINGS_LINKS, source, target, std::move(path),
                                                LoadResourceString(IDS_SETTINGS_LINKS));
    page->AddBinding(IDC_LINKS_TREAT_SUBDOMAINS, SETTING_LINKS_TREAT_SUBDOMAINS, CSettingBinding::kCheck);
    page->AddBinding(IDC_LINKS_AUTO_HIGHLIGHT, SETTING_LINKS_AUTO_HIGHLIGHT_HTML_LINKS, CSettingBinding::kCheck);
    page->AddBinding(IDC_LINKS_LIST_COLORING, SETTING_COLORS_ENABLE_LINK_LIST_COLORING, CSettingBinding::kCheck);
    page->AddBinding(IDC_LINKS_CHECK_HTML_ON_OPEN, SETTING_MISC_CHECK_HTML_ON_OPEN, CSettingBinding::kCheck);
    return page;
}

std::unique_ptr<CSettingsPage> MakeFtpSettingsPage(IPropertySet* source, IPropertySet* target, std::string path)
{
    auto page = std::make_unique<CSettingsPage>(IDD_SETTINGS_FTP, source, target, std::move(path),
                                                LoadResourceString(IDS_SETTINGS_FTP));
    page->AddBinding(IDC_FTP_DATA_CONNECTION, SETTING_FTP_DATA_CONNECTION_TYPE, CSettingBinding::kCombo);
    return page;
}
