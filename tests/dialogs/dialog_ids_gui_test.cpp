// Every control id the dialogs' code names (bindings, checks, handlers,
// enabling rules) exists in the dialog's description with the kind the code
// expects, and every password field is masked.

#include "dialogs/ConnectionsSettingsPage.h"
#include "dialogs/GeneralSettingsPage.h"
#include "dialogs/HttpSettingsPage.h"
#include "dialogs/ProxyPage.h"
#include "dialogs/SimpleSettingsPages.h"

#include "foundation/properties/PropertySet.h"
#include "foundation/stores/PasswordStore.h"
#include "platform/ui/DialogBuilder.h"
#include "res/Resources.h"

#include "tests/support/QtApplication.h"

#include <gtest/gtest.h>

#include <QLineEdit>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <vector>

namespace
{
const ControlDesc* FindControl(UINT dialogId, int controlId)
{
    const DialogDesc* dialog = FindDialog(dialogId);
    if (!dialog)
        return nullptr;
    for (const ControlDesc& control : dialog->m_controls)
    {
        if (control.m_id == controlId)
            return &control;
    }
    return nullptr;
}

bool KindFits(int bindingKind, ControlKind kind)
{
    switch (bindingKind)
    {
    case CSettingBinding::kCheck: return kind == ControlKind::Check;
    case CSettingBinding::kCombo: return kind == ControlKind::DropList;
    case CSettingBinding::kText: return kind == ControlKind::Edit || kind == ControlKind::Combo;
    case CSettingBinding::kInt: return kind == ControlKind::Edit;
    case CSettingBinding::kRadio: return kind == ControlKind::Radio;
    default: return false;
    }
}

TEST(DialogIds, EveryBindingNamesAControlOfItsKind)
{
    TestApplication();
    CPropertySet source;
    CPropertySet target;
    CPasswordStore passwords;
    std::vector<std::unique_ptr<CSettingsPage>> pages;
    pages.push_back(std::make_unique<CGeneralSettingsPage>(&source, &target, "General"));
    pages.push_back(MakeLinksSettingsPage(&source, &target, "Links"));
    pages.push_back(std::make_unique<CConnectionsSettingsPage>(&source, &target, "Connections"));
    pages.push_back(std::make_unique<CProxyPage>(&source, &target, passwords, "Connections\\Proxy"));
    pages.push_back(std::make_unique<CHttpSettingsPage>(&source, &target, "HTTP"));
    pages.push_back(MakeFtpSettingsPage(&source, &target, "FTP"));
    for (const auto& page : pages)
    {
        SCOPED_TRACE(page->GetPath());
        EXPECT_FALSE(page->GetBindings().empty());
        EXPECT_FALSE(page->GetCaption().empty());
        for (const CSettingBinding& binding : page->GetBindings())
        {
            const ControlDesc* control = FindControl(page->GetTemplateId(), binding.m_controlId);
            ASSERT_NE(control, nullptr) << binding.m_controlId;
            EXPECT_TRUE(KindFits(binding.m_kind, control->m_kind)) << binding.m_controlId;
        }
    }
}

TEST(DialogIds, EveryIdTheCodeNamesIsThereWithItsKind)
{
    struct Named
    {
        UINT m_dialog;
        int m_control;
        std::initializer_list<ControlKind> m_kinds;
    };
    using K = ControlKind;
    const Named named[] = {
        {IDD_SETTINGS, IDOK, {K::DefButton}},
        {IDD_SETTINGS, IDCANCEL, {K::Button}},
        {IDD_SETTINGS, IDC_SETTINGS_APPLY, {K::Button}},
        {IDD_SETTINGS, IDC_SETTINGS_HELP, {K::Button}},
        {IDD_SETTINGS, IDC_SETTINGS_TREE, {K::Tree}},
        {IDD_SETTINGS, IDC_SETTINGS_BANNER, {K::Picture}},
        {IDD_SETTINGS, IDC_SETTINGS_PAGE_AREA, {K::Static}},
        {IDD_SETTINGS, IDC_SETTINGS_CATEGORY, {K::Static}},
        {IDD_SETTINGS_GENERAL, IDC_GENERAL_BROWSE, {K::Button}},
        {IDD_SETTINGS_GENERAL, IDC_GENERAL_AUTO_EXPAND_SPIN, {K::Spin}},
        {IDD_SETTINGS_GENERAL, IDC_GENERAL_MAX_LOG_LINES_SPIN, {K::Spin}},
        {IDD_SETTINGS_GENERAL, IDC_GENERAL_MAX_HISTORY_SPIN, {K::Spin}},
        {IDD_SETTINGS_CONNECTIONS, IDC_CONN_MAX_CONNECTS_SPIN, {K::Spin}},
        {IDD_SETTINGS_CONNECTIONS, IDC_CONN_PER_SITE_SPIN, {K::Spin}},
        {IDD_SETTINGS_CONNECTIONS, IDC_CONN_RETRIES_SPIN, {K::Spin}},
        {IDD_SETTINGS_CONNECTIONS, IDC_CONN_TRANSFER_RETRIES_SPIN, {K::Spin}},
        {IDD_SETTINGS_CONNECTIONS, IDC_CONN_DELAY_SPIN, {K::Spin}},
        {IDD_SETTINGS_CONNECTIONS, IDC_CONN_TIMEOUT_SPIN, {K::Spin}},
        {IDD_SETTINGS_HTTP, IDC_HTTP_CONNECTION_LABEL, {K::Static}},
        {IDD_SETTINGS_HTTP, IDC_HTTP_USER_AGENT_LABEL, {K::Static}},
        {IDD_SETTINGS_HTTP, IDC_HTTP_SAMPLE, {K::MultiEdit}},
        {IDD_SETTINGS_PROXY, IDC_PROXY_LIST, {K::List}},
        {IDD_SETTINGS_PROXY, IDC_PROXY_ADD, {K::Button}},
        {IDD_SETTINGS_PROXY, IDC_PROXY_EDIT, {K::Button}},
        {IDD_SETTINGS_PROXY, IDC_PROXY_REMOVE, {K::Button}},
        {IDD_ENTER_PROXY, IDC_ENTER_PROXY_PROTOCOL, {K::DropList}},
        {IDD_ENTER_PROXY, IDC_ENTER_PROXY_TYPE, {K::DropList}},
        {IDD_ENTER_PROXY, IDC_ENTER_PROXY_SERVER, {K::Edit}},
        {IDD_ENTER_PROXY, IDC_ENTER_PROXY_PORT, {K::Edit}},
        {IDD_ENTER_PROXY, IDC_ENTER_PROXY_USER, {K::Edit}},
        {IDD_ENTER_PROXY, IDC_ENTER_PROXY_PASSWORD, {K::Password}},
        {IDD_ENTER_PROXY, IDOK, {K::DefButton}},
        {IDD_COMPOSE_URL, IDC_COMPOSE_PROTOCOL, {K::DropList}},
        {IDD_COMPOSE_URL, IDC_COMPOSE_HOST, {K::Edit}},
        {IDD_COMPOSE_URL, IDC_COMPOSE_PORT, {K::Edit}},
        {IDD_COMPOSE_URL, IDC_COMPOSE_AUTH, {K::Check}},
        {IDD_COMPOSE_URL, IDC_COMPOSE_USER, {K::Edit}},
        {IDD_COMPOSE_URL, IDC_COMPOSE_USER_LABEL, {K::Static}},
        {IDD_COMPOSE_URL, IDC_COMPOSE_PASSWORD, {K::Password}},
        {IDD_COMPOSE_URL, IDC_COMPOSE_PASSWORD_LABEL, {K::Static}},
        {IDD_COMPOSE_URL, IDC_COMPOSE_PATH, {K::Edit}},
        {IDD_COMPOSE_URL, IDC_COMPOSE_PATH_LABEL, {K::Static}},
        {IDD_COMPOSE_URL, IDOK, {K::DefButton}},
        {IDD_POST_DATA, IDC_POST_TEXT, {K::MultiEdit}},
        {IDD_POST_DATA, IDC_POST_TEXT_LABEL, {K::Static}},
        {IDD_POST_DATA, IDC_POST_USE_FILE, {K::Check}},
        {IDD_POST_DATA, IDC_POST_FILE, {K::Edit}},
        {IDD_POST_DATA, IDC_POST_BROWSE, {K::Button}},
        {IDD_LOGIN_PROMPT, IDC_LOGIN_PASSWORD, {K::Password}},
    };
    for (const Named& n : named)
    {
        const ControlDesc* control = FindControl(n.m_dialog, n.m_control);
        ASSERT_NE(control, nullptr) << "dialog " << n.m_dialog << " control " << n.m_control;
        EXPECT_NE(std::find(n.m_kinds.begin(), n.m_kinds.end(), control->m_kind), n.m_kinds.end())
            << "dialog " << n.m_dialog << " control " << n.m_control;
    }
}

// Every field whose label speaks of a password is a masked one, and it is
// masked once built.
TEST(DialogIds, PasswordFieldsAreMasked)
{
    TestApplication();
    int passwords = 0;
    for (const DialogDesc& dialog : GetDialogs())
    {
        const ControlDesc* previous = nullptr;
        for (const ControlDesc& control : dialog.m_controls)
        {
            const bool labelled = previous && previous->m_kind == ControlKind::Static &&
                                  QString(previous->m_text).remove('&').contains("password", Qt::CaseInsensitive);
            if (labelled)
            {
                EXPECT_EQ(control.m_kind, ControlKind::Password) << "dialog " << dialog.m_id << " control " << control.m_id;
                std::unique_ptr<QWidget> widget(CreateControl(control));
                auto* edit = qobject_cast<QLineEdit*>(widget.get());
                ASSERT_NE(edit, nullptr);
                EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
                ++passwords;
            }
            previous = &control;
        }
    }
    EXPECT_GE(passwords, 3) << "login, proxy and compose";
}

} // namespace
