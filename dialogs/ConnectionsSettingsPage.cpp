#include "dialogs/ConnectionsSettingsPage.h"

#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "platform/ui/DataExchange.h"
#include "res/Resources.h"

namespace
{
struct RangedField
{
    int m_control;
    int m_spin;
    int m_setting;
    int m_min;
    int m_max;
};

constexpr RangedField kFields[] = {
    {IDC_CONN_MAX_CONNECTS, IDC_CONN_MAX_CONNECTS_SPIN, SETTING_CONNECTIONS_MAX_CONNECTS, 1, 200},
    {IDC_CONN_PER_SITE, IDC_CONN_PER_SITE_SPIN, SETTING_CONNECTIONS_MAX_CONNECTS_PER_SITE, 1, 200},
    {IDC_CONN_RETRIES, IDC_CONN_RETRIES_SPIN, SETTING_CONNECTIONS_CONNECTION_RETRIES, 0, 1000},
    {IDC_CONN_TRANSFER_RETRIES, IDC_CONN_TRANSFER_RETRIES_SPIN, SETTING_CONNECTIONS_TRANSFER_RETRIES, 0, 1000},
    {IDC_CONN_DELAY, IDC_CONN_DELAY_SPIN, SETTING_CONNECTIONS_CONNECTION_DELAY, 0, 3600},
    {IDC_CONN_TIMEOUT, IDC_CONN_TIMEOUT_SPIN, SETTING_CONNECTIONS_CONNECTION_TIMEOUT, 10, 3600},
};
} // namespace

CConnectionsSettingsPage::CConnectionsSettingsPage(IPropertySet* source, IPropertySet* target, std::string path)
    : CSettingsPage(IDD_SETTINGS_CONNECTIONS, source, target, std::move(path),
                    LoadResourceString(IDS_SETTINGS_CONNECTIONS))
{
    for (const RangedField& field : kFields)
    {
        CSettingBinding& binding = AddBinding(field.m_control, field.m_setting, CSettingBinding::kInt);
        binding.m_min = field.m_min;
        binding.m_max = field.m_max;
    }
    AddBinding(IDC_CONN_SSL_VERSION, SETTING_CONNECTIONS_SSL_TLS_VERSION, CSettingBinding::kCombo);
}

bool CConnectionsSettingsPage::OnInitDialog()
{
    CSettingsPage::OnInitDialog();
    for (const RangedField& field : kFields)
        AttachSpin(*this, field.m_spin, field.m_control, field.m_min, field.m_max);
    return true;
}

void CConnectionsSettingsPage::DoDataExchange(CDataExchange& dx)
{
    CSettingsPage::DoDataExchange(dx);
    if (!dx.m_bSaveAndValidate || dx.Failed() || !IsCreated() || !GetSource() || !GetTarget())
        return;
    const int downloads = GetIntOr(*GetSource(), SETTING_CONNECTIONS_MAX_CONNECTS, 0);
    const int perSite = GetIntOr(*GetSource(), SETTING_CONNECTIONS_MAX_CONNECTS_PER_SITE, 0);
    if (downloads < perSite)
    {
        dx.PrepareCtrl(IDC_CONN_PER_SITE);
        dx.Fail("Please enter max connection per site integer no more than max downloads value.");
    }
}
