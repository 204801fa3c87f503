#pragma once
// The Connection page of the Settings dialog: download and per-site
// connection limits, retries, delays, the reconnect time-out and the TLS
// version. A per-site limit above the overall one is refused on save.

#include "dialogs/SettingsPage.h"

class CConnectionsSettingsPage : public CSettingsPage
{
    Q_OBJECT

public:
    CConnectionsSettingsPage(IPropertySet* source, IPropertySet* target, std::string path);

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
};
