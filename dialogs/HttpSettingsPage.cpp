#include "dialogs/HttpSettingsPage.h"

#include "foundation/links/LinkItem.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "res/Resources.h"
#include "transfer/http/HttpRequestHeader.h"

#include <QComboBox>
#include <QPlainTextEdit>

namespace
{
constexpr const char* kUserAgents[] = {
    "Tanglewarden 1.0",
    "Tanglewarden",
    "Mozilla/3.0 (compatible)",
    "Mozilla/3.0 (compatible; Tanglewarden 1.0)",
    "Mozilla/3.0 (compatible; MSIE 5.0)",
    "Mozilla/3.0 (compatible; MSIE 5.0; Tanglewarden 1.0)",
    "Mozilla/4.0 (compatible)",
    "Mozilla/4.0 (compatible; Tanglewarden 1.0)",
    "Mozilla/4.0 (compatible; MSIE 5.0)",
    "Mozilla/4.0 (compatible; MSIE 5.0; Tanglewarden 1.0)",
    "Mozilla/4.0 (compatible; MSIE 6.0)",
    "Mozilla/4.0 (compatible; MSIE 6.0 Tanglewarden 1.0)",
    "Mozilla/4.0 (compatible; MSIE 6.0; Windows 95)",
    "Mozilla/4.0 (compatible; MSIE 6.0; Windows 98)",
    "Mozilla/4.0 (compatible; MSIE 6.0; Windows ME)",
    "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 4.0)",
    "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)",
    "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0; Q312461)",
};

constexpr const char* kSampleUrl = "http://www.example.com/sample/index.html";
constexpr const char* kSampleReferrer = "http://www.example.com/index.html";

struct Bound
{
    int m_control;
    int m_setting;
    int m_kind;
};

constexpr Bound kBindings[] = {
    {IDC_HTTP_VERSION, SETTING_HTTP_VERSION, CSettingBinding::kCombo},
    {IDC_HTTP_ENABLE_CONNECTION, SETTING_HTTP_ENABLE_CONNECTION, CSettingBinding::kCheck},
    {IDC_HTTP_CONNECTION, SETTING_HTTP_CONNECTION, CSettingBinding::kCombo},
    {IDC_HTTP_ENABLE_USER_AGENT, SETTING_HTTP_ENABLE_USER_AGENT, CSettingBinding::kCheck},
    {IDC_HTTP_USER_AGENT, SETTING_HTTP_USER_AGENT, CSettingBinding::kText},
    {IDC_HTTP_ENABLE_REFERRER, SETTING_HTTP_ENABLE_REFERRER, CSettingBinding::kCheck},
    {IDC_HTTP_ENABLE_COOKIES, SETTING_HTTP_ENABLE_COOKIES, CSettingBinding::kCheck},
    {IDC_HTTP_ENABLE_ACCEPT, SETTING_HTTP_ENABLE_ACCEPT, CSettingBinding::kCheck},
    {IDC_HTTP_ENABLE_PRAGMA, SETTING_HTTP_ENABLE_PRAGMA_NO_CACHE, CSettingBinding::kCheck},
    {IDC_HTTP_ENABLE_BASIC, SETTING_HTTP_ENABLE_BASIC_AUTHENTICATION, CSettingBinding::kCheck},
    {IDC_HTTP_ENABLE_NTLM, SETTING_HTTP_ENABLE_NTLM_AUTHENTICATION, CSettingBinding::kCheck},
    {IDC_HTTP_ENABLE_NEGOTIATE, SETTING_HTTP_ENABLE_NEGOTIATE_AUTHENTICATION, CSettingBinding::kCheck},
};
} // namespace

CHttpSettingsPage::CHttpSettingsPage(IPropertySet* source, IPropertySet* target, std::string path)
    : CSettingsPage(IDD_SETTINGS_HTTP, source, target, std::move(path), LoadResourceString(IDS_SETTINGS_HTTP))
{
    for (const Bound& bound : kBindings)
        AddBinding(bound.m_control, bound.m_setting, bound.m_kind);
}

std::span<const char* const> CHttpSettingsPage::GetUserAgentPresets()
{
    return kUserAgents;
}

bool CHttpSettingsPage::OnInitDialog()
{
    if (auto* agents = qobject_cast<QComboBox*>(GetDlgItem(IDC_HTTP_USER_AGENT)))
    {
        for (const char* agent : kUserAgents)
            agents->addItem(QString::fromUtf8(agent));
        // The longest preset must not set the width of the whole dialog.
        agents->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        agents->setMinimumContentsLength(24);
        // The stored text, not a preset, is what the box shows at first.
        agents->setCurrentIndex(-1);
    }
    CSettingsPage::OnInitDialog();
    UpdateSample();
    return true;
}

void CHttpSettingsPage::OnBoundControlChanged(int)
{
    UpdateData(true);
    UpdateSample();
    SetModified(true);
}

void CHttpSettingsPage::UpdateSample()
{
    IPropertySet* source = GetSource();
    if (!source)
        return;
    const bool connection = GetIntOr(*source, SETTING_HTTP_ENABLE_CONNECTION, 0) != 0;
    const bool userAgent = GetIntOr(*source, SETTING_HTTP_ENABLE_USER_AGENT, 0) != 0;
    for (int id : {IDC_HTTP_CONNECTION_LABEL, IDC_HTTP_CONNECTION})
    {
        if (QWidget* control = GetDlgItem(id))
            control->setEnabled(connection);
    }
    for (int id : {IDC_HTTP_USER_AGENT_LABEL, IDC_HTTP_USER_AGENT})
    {
        if (QWidget* control = GetDlgItem(id))
            control->setEnabled(userAgent);
    }

    CLinkItem item;
    item.SetUrl(kSampleUrl, true);
    item.LoadOptionsFrom(*source);
    item.SetString(LI_COOKIES, "CookieName=CookieValue;");
    item.SetString(LI_REFERRER, kSampleReferrer);
    std::string request;
    if (BuildHttpRequest(item, "GET", false, 0, -1, std::string(), request) != 0)
        request.clear();
    if (auto* sample = qobject_cast<QPlainTextEdit*>(GetDlgItem(IDC_HTTP_SAMPLE)))
        sample->setPlainText(QString::fromStdString(request));
}
