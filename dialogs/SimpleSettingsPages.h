#pragma once
// The Settings dialog's pages that are nothing but a binding table: Links
// (four check boxes) and FTP (the data connection type).

#include "dialogs/SettingsPage.h"

#include <memory>

std::unique_ptr<CSettingsPage> MakeLinksSettingsPage(IPropertySet* source, IPropertySet* target, std::string path);
std::unique_ptr<CSettingsPage> MakeFtpSettingsPage(IPropertySet* source, IPropertySet* target, std::string path);
