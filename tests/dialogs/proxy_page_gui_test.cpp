// The proxy list: built from "Proxy/All" with the active proxy of each
// protocol checked, added to, edited, removed and toggled through the Enter
// Proxy dialog and the state images, applied with every listed password,
// and carried through the Settings dialog's OK and Cancel.

#include "dialogs/ProxyDlg.h"
#include "dialogs/ProxyPage.h"
#include "dialogs/SettingsDlg.h"
#include "dialogs/ShowSettingsDialog.h"

#include "foundation/properties/PropertySet.h"
#include "foundation/stores/PasswordStore.h"
#include "foundation/stores/SettingIds.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/RecordingModalDriver.h"
#include "res/Resources.h"

#include "tests/support/QtApplication.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <functional>
#include <string>
#include <vector>

namespace
{
const char kHttpProxy[] = "http://proxy.example:8000";
const char kSocksProxy[] = "socks5://socks.example";

// A host for one page, hearing nothing.
class CHost : public CDialog, public ISettingsPageOwner
{
public:
    void OnPageNotify(UINT, std::uintptr_t, const std::string&) override {}
};

// What the user does in the Enter Proxy dialog.
struct ProxyInput
{
    const char* m_protocol = nullptr; // the protocol box's text; null: leave it
    const char* m_type = nullptr;     // the type box's text; null: leave it
    const char* m_server = nullptr;
    const char* m_port = nullptr;
    const char* m_user = nullptr;
    const char* m_password = nullptr;
};

void Type(QWidget* control, const char* text)
{
    auto* edit = qobject_cast<QLineEdit*>(control);
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

void Choose(QWidget* control, const char* text)
{
    auto* combo = qobject_cast<QComboBox*>(control);
    ASSERT_NE(combo, nullptr);
    const int index = combo->findText(text);
    ASSERT_GE(index, 0) << text;
    combo->setCurrentIndex(index);
    emit combo->activated(index); // what a choice with the mouse raises
}

void Fill(CProxyDlg& dialog, const ProxyInput& input, bool ok = true)
{
    if (input.m_protocol)
        Choose(dialog.GetDlgItem(IDC_ENTER_PROXY_PROTOCOL), input.m_protocol);
    if (input.m_type)
        Choose(dialog.GetDlgItem(IDC_ENTER_PROXY_TYPE), input.m_type);
    if (input.m_server)
        Type(dialog.GetDlgItem(IDC_ENTER_PROXY_SERVER), input.m_server);
    if (input.m_port)
        Type(dialog.GetDlgItem(IDC_ENTER_PROXY_PORT), input.m_port);
    if (input.m_user)
        Type(dialog.GetDlgItem(IDC_ENTER_PROXY_USER), input.m_user);
    if (input.m_password)
        Type(dialog.GetDlgItem(IDC_ENTER_PROXY_PASSWORD), input.m_password);
    if (ok)
        QTest::mouseClick(dialog.GetDlgItem(IDOK), Qt::LeftButton);
}

class ProxyPageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_source.SetString(SETTING_PROXY_ALL,
                           "HTTP->http://proxy.example:8000;FTP->socks5://socks.example;garbage;;HTTPS=nothing;");
        m_source.SetString(SETTING_PROXY_HTTP, kHttpProxy);
        m_source.SetInt(SETTING_PROXY_HTTP_ENABLED, 1);
        m_source.SetString(SETTING_PROXY_FTP, kSocksProxy);
        m_source.SetInt(SETTING_PROXY_FTP_ENABLED, 0);
        ASSERT_TRUE(m_store.Set(kHttpProxy, "stored secret"));
        m_host.show();
        ASSERT_TRUE(m_page.CreatePage(&m_host, &m_host, 0x084C));
        m_driver.SetDialogScript([this](QDialog& dialog) {
            if (auto* proxy = dynamic_cast<CProxyDlg*>(&dialog); proxy && m_fill)
                m_fill(*proxy);
        });
    }

    CListCtrl& List() { return *m_page.GetList(); }
    std::vector<std::string> Row(int row) { return {List().GetItemText(row, 0), List().GetItemText(row, 1)}; }
    void Press(int id) { QTest::mouseClick(m_page.GetDlgItem(id), Qt::LeftButton); }
    void Select(int row) { List().SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED); }
    void ClickStateImage(int row)
    {
        QRect bounds;
        ASSERT_TRUE(List().GetItemRect(row, bounds, LVIR_BOUNDS));
        QTest::mouseClick(List().ReportView()->viewport(), Qt::LeftButton, {}, QPoint(bounds.left() + 4, bounds.center().y()));
    }

    QApplication& m_application = TestApplication();
    CRecordingModalDriver m_driver;
    std::function<void(CProxyDlg&)> m_fill;
    CPropertySet m_source;
    CPropertySet m_target;
    CPasswordStore m_store;
    CHost m_host;
    CProxyPage m_page{&m_source, &m_target, m_store, "Connections\\Proxy"};
};

TEST_F(ProxyPageTest, ListsTheUsableEntriesWithTheActiveProxyChecked)
{
    ASSERT_EQ(List().GetItemCount(), 2);
    EXPECT_EQ(Row(0), (std::vector<std::string>{"HTTP", "HTTP: proxy.example:8000"}));
    EXPECT_EQ(Row(1), (std::vector<std::string>{"FTP", "SOCKS5: socks.example:1080"}));
    EXPECT_TRUE(m_page.IsRowChecked(0));
    EXPECT_FALSE(m_page.IsRowChecked(1));
    EXPECT_EQ(m_page.GetRowUrls(), (std::vector<std::string>{kHttpProxy, kSocksProxy}));
    // The working copy now says only what the checks say.
    EXPECT_EQ(GetStringOf(m_source, SETTING_PROXY_HTTP), kHttpProxy);
    EXPECT_EQ(GetIntOr(m_source, SETTING_PROXY_HTTP_ENABLED, 0), 1);
    EXPECT_EQ(GetStringOf(m_source, SETTING_PROXY_FTP), "");
    EXPECT_EQ(GetIntOr(m_source, SETTING_PROXY_FTP_ENABLED, 0), 0);
    EXPECT_EQ(m_page.GetPrivatePassword(kHttpProxy), "stored secret");
    EXPECT_FALSE(m_page.GetDlgItem(IDC_PROXY_EDIT)->isEnabled()) << "nothing selected";
    Select(1);
    EXPECT_TRUE(m_page.GetDlgItem(IDC_PROXY_REMOVE)->isEnabled());
    EXPECT_FALSE(m_page.IsModified()) << "loading is no edit";
}

TEST_F(ProxyPageTest, AddingASecondHttpProxyMakesItTheActiveOne)
{
    m_fill = [](CProxyDlg& dialog) {
        EXPECT_EQ(qobject_cast<QLineEdit*>(dialog.GetDlgItem(IDC_ENTER_PROXY_PORT))->text(), "8000")
            << "a new HTTP proxy starts on its default port";
        Fill(dialog, {nullptr, nullptr, "  second.example ", nullptr, " bob ", "pw"});
    };
    Press(IDC_PROXY_ADD);
    ASSERT_EQ(List().GetItemCount(), 3);
    EXPECT_EQ(Row(2), (std::vector<std::string>{"HTTP", "HTTP: bob@second.example:8000"}));
    EXPECT_TRUE(m_page.IsRowChecked(2));
    EXPECT_FALSE(m_page.IsRowChecked(0));
    EXPECT_EQ(GetStringOf(m_source, SETTING_PROXY_HTTP), "http://bob@second.example:8000");
    EXPECT_EQ(GetIntOr(m_source, SETTING_PROXY_HTTP_ENABLED, 0), 1);
    EXPECT_EQ(GetStringOf(m_source, SETTING_PROXY_ALL),
              "HTTP->http://proxy.example:8000;FTP->socks5://socks.example;HTTP->http://bob@second.example:8000;");
    EXPECT_EQ(m_page.GetPrivatePassword("http://bob@second.example:8000"), "pw");
    EXPECT_TRUE(m_page.IsModified());
    std::string password;
    EXPECT_FALSE(m_store.Get("http://bob@second.example:8000", password)) << "the store waits for OK";

    // The same protocol and URL in another case replaces the row.
    m_fill = [](CProxyDlg& dialog) { Fill(dialog, {nullptr, nullptr, "PROXY.Example", "8000"}); };
    Press(IDC_PROXY_ADD);
    ASSERT_EQ(List().GetItemCount(), 3);
    EXPECT_EQ(Row(0), (std::vector<std::string>{"FTP", "SOCKS5: socks.example:1080"}));
    EXPECT_EQ(Row(2), (std::vector<std::string>{"HTTP", "HTTP: PROXY.Example:8000"})) << "shown as typed";
    EXPECT_EQ(m_page.GetRowUrls()[2], kHttpProxy);
    EXPECT_TRUE(m_page.IsRowChecked(2));
    EXPECT_FALSE(m_page.IsRowChecked(1));
}

TEST_F(ProxyPageTest, StateImageTogglesAndRemoveForgetsTheActiveProxy)
{
    ClickStateImage(0);
    EXPECT_FALSE(m_page.IsRowChecked(0));
    EXPECT_EQ(GetIntOr(m_source, SETTING_PROXY_HTTP_ENABLED, 1), 0);
    EXPECT_EQ(GetStringOf(m_source, SETTING_PROXY_HTTP), kHttpProxy) << "unchecking keeps the URL";
    EXPECT_TRUE(m_page.IsModified());
    ClickStateImage(1);
    EXPECT_TRUE(m_page.IsRowChecked(1));
    EXPECT_EQ(GetStringOf(m_source, SETTING_PROXY_FTP), kSocksProxy);
    EXPECT_EQ(GetIntOr(m_source, SETTING_PROXY_FTP_ENABLED, 0), 1);

    Select(1);
    Press(IDC_PROXY_REMOVE);
    ASSERT_EQ(List().GetItemCount(), 1);
    EXPECT_EQ(GetStringOf(m_source, SETTING_PROXY_FTP), "");
    EXPECT_EQ(GetIntOr(m_source, SETTING_PROXY_FTP_ENABLED, 1), 0);
    EXPECT_EQ(GetStringOf(m_source, SETTING_PROXY_ALL), "HTTP->http://proxy.example:8000;");
}

TEST_F(ProxyPageTest, EditingAProxyIntoAnotherProtocolReleasesTheOldOne)
{
    m_fill = [](CProxyDlg& dialog) {
        EXPECT_EQ(qobject_cast<QLineEdit*>(dialog.GetDlgItem(IDC_ENTER_PROXY_SERVER))->text(), "proxy.example");
        EXPECT_EQ(qobject_cast<QLineEdit*>(dialog.GetDlgItem(IDC_ENTER_PROXY_PASSWORD))->text(), "stored secret");
        Fill(dialog, {"FTP", nullptr, nullptr, "3128"});
    };
    Select(0);
    Press(IDC_PROXY_EDIT);
    EXPECT_EQ(Row(0), (std::vector<std::string>{"FTP", "HTTP: proxy.example:3128"}));
    EXPECT_TRUE(m_page.IsRowChecked(0));
    EXPECT_EQ(GetStringOf(m_source, SETTING_PROXY_FTP), "http://proxy.example:3128");
    EXPECT_EQ(GetIntOr(m_source, SETTING_PROXY_FTP_ENABLED, 0), 1);
    EXPECT_EQ(GetStringOf(m_source, SETTING_PROXY_HTTP), "") << "HTTP no longer goes through it";
    EXPECT_EQ(GetIntOr(m_source, SETTING_PROXY_HTTP_ENABLED, 1), 0);
}

TEST_F(ProxyPageTest, ApplyStoresThePasswordOfEveryListedProxy)
{
    m_fill = [](CProxyDlg& dialog) { Fill(dialog, {nullptr, nullptr, "a.example", nullptr, "ann", "first"}); };
    Press(IDC_PROXY_ADD);
    m_fill = [](CProxyDlg& dialog) { Fill(dialog, {nullptr, nullptr, "b.example", nullptr, "ben", "second"}); };
    Press(IDC_PROXY_ADD);
    ASSERT_FALSE(m_page.IsRowChecked(2)) << "the first added is no longer active";
    ASSERT_TRUE(m_page.UpdateData(true));
    ASSERT_TRUE(m_page.ApplyBindings());
    std::string password;
    EXPECT_TRUE(m_store.Get("http://ann@a.example:8000", password));
    EXPECT_EQ(password, "first") << "an unchecked proxy keeps its password";
    EXPECT_TRUE(m_store.Get("http://ben@b.example:8000", password));
    EXPECT_EQ(password, "second");
    EXPECT_EQ(GetStringOf(m_target, SETTING_PROXY_HTTP), "http://ben@b.example:8000");
    EXPECT_EQ(GetIntOr(m_target, SETTING_PROXY_HTTP_ENABLED, 0), 1);
    EXPECT_EQ(GetStringOf(m_target, SETTING_PROXY_ALL), GetStringOf(m_source, SETTING_PROXY_ALL));
}

// The Enter Proxy dialog on its own.
TEST(ProxyDlg, PortFollowsTheTypeAndOkNeedsAServer)
{
    TestApplication();
    CRecordingModalDriver driver;
    struct Case
    {
        const char* m_name;
        ProxyInput m_input;
        int m_result;
        int m_type;
        int m_port;
        const char* m_message;
    };
    const Case cases[] = {
        {"defaults", {nullptr, nullptr, "h"}, IDOK, 1, 8000, nullptr},
        {"SOCKS5 replaces a typed port", {nullptr, nullptr, "h", "3128", nullptr, nullptr}, IDOK, 1, 3128, nullptr},
        {"type chosen after the port", {nullptr, "SOCKS5", "h"}, IDOK, 8, 1080, nullptr},
        {"SOCKS4", {nullptr, "SOCKS4", "h"}, IDOK, 7, 1080, nullptr},
        {"HTTPS", {nullptr, "HTTPS", "h"}, IDOK, 2, 8000, nullptr},
        {"port out of range", {nullptr, nullptr, "h", "70000"}, IDCANCEL, 1, 8000,
         "Please enter an integer between 0 and 65535."},
        {"port not a number", {nullptr, nullptr, "h", "12x"}, IDCANCEL, 1, 8000, "Please enter an integer."},
        {"blank server", {nullptr, nullptr, "   "}, IDCANCEL, 1, 8000, nullptr},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.m_name);
        CProxyDlg dialog;
        const size_t boxes = driver.Boxes().size();
        bool okEnabled = false;
        driver.SetDialogScript([&](QDialog&) {
            if (std::string(c.m_name) == "SOCKS5 replaces a typed port")
            {
                Fill(dialog, c.m_input, false);
                Choose(dialog.GetDlgItem(IDC_ENTER_PROXY_TYPE), "SOCKS5");
                EXPECT_EQ(qobject_cast<QLineEdit*>(dialog.GetDlgItem(IDC_ENTER_PROXY_PORT))->text(), "1080");
                Choose(dialog.GetDlgItem(IDC_ENTER_PROXY_TYPE), "HTTP");
                Type(dialog.GetDlgItem(IDC_ENTER_PROXY_PORT), "3128");
                QTest::mouseClick(dialog.GetDlgItem(IDOK), Qt::LeftButton);
                okEnabled = true;
                return;
            }
            Fill(dialog, c.m_input, false);
            okEnabled = dialog.GetDlgItem(IDOK)->isEnabled();
            QTest::mouseClick(dialog.GetDlgItem(IDOK), Qt::LeftButton);
        });
        EXPECT_EQ(dialog.DoModal(), c.m_result);
        EXPECT_EQ(okEnabled, std::string(c.m_name) != "blank server");
        if (c.m_result == IDOK)
        {
            EXPECT_EQ(dialog.m_type, c.m_type);
            EXPECT_EQ(dialog.m_port, c.m_port);
            EXPECT_EQ(dialog.m_server, "h");
            EXPECT_EQ(dialog.m_protocol, 1) << "the first offered protocol";
        }
        if (c.m_message)
        {
            ASSERT_EQ(driver.Boxes().size(), boxes + 1);
            EXPECT_EQ(driver.Boxes().back().m_text, c.m_message);
        }
        else
        {
            EXPECT_EQ(driver.Boxes().size(), boxes);
        }
    }
}

// Through the Settings dialog: OK stores the list, the active proxy and its
// password, and the next opening shows them again; Cancel stores nothing.
TEST(ProxySettings, RoundTripThroughTheSettingsDialog)
{
    TestApplication();
    CRecordingModalDriver driver;
    CPropertySet live(true);
    CPasswordStore store;
    CSettingsContext context;
    context.m_settings = &live;
    context.m_passwords = &store;
    int announcements = 0;
    context.m_saveSettings = [] { return true; };
    context.m_settingsChanged = [&] { ++announcements; };
    live.SetString(SETTING_LAYOUT_LAST_SETTINGS_PATH, "Connections\\Proxy");

    const auto run = [&](bool ok, const std::function<void(CProxyPage&)>& onPage) {
        driver.SetDialogScript([&](QDialog& shown) {
            if (auto* proxy = dynamic_cast<CProxyDlg*>(&shown))
            {
                Choose(proxy->GetDlgItem(IDC_ENTER_PROXY_TYPE), "SOCKS5");
                Fill(*proxy, {"HTTPS", nullptr, "socks.example", nullptr, "carol", "hush"});
                return;
            }
            auto& dialog = static_cast<CSettingsDlg&>(shown);
            auto* page = dynamic_cast<CProxyPage*>(dialog.GetCurrentPage());
            ASSERT_NE(page, nullptr);
            onPage(*page);
            QTest::mouseClick(dialog.GetDlgItem(ok ? IDOK : IDCANCEL), Qt::LeftButton);
        });
        ShowSettingsDialog(context);
    };

    run(false, [](CProxyPage& page) { QTest::mouseClick(page.GetDlgItem(IDC_PROXY_ADD), Qt::LeftButton); });
    std::string password;
    EXPECT_FALSE(store.Get("socks5://carol@socks.example", password)) << "Cancel leaves the store alone";
    EXPECT_EQ(GetStringOf(live, SETTING_PROXY_ALL), "");
    EXPECT_EQ(announcements, 0);

    run(true, [](CProxyPage& page) { QTest::mouseClick(page.GetDlgItem(IDC_PROXY_ADD), Qt::LeftButton); });
    EXPECT_EQ(GetStringOf(live, SETTING_PROXY_ALL), "HTTPS->socks5://carol@socks.example;");
    EXPECT_EQ(GetStringOf(live, SETTING_PROXY_HTTPS), "socks5://carol@socks.example");
    EXPECT_EQ(GetIntOr(live, SETTING_PROXY_HTTPS_ENABLED, 0), 1);
    EXPECT_TRUE(store.Get("socks5://carol@socks.example", password));
    EXPECT_EQ(password, "hush");
    EXPECT_EQ(announcements, 1);

    run(false, [](CProxyPage& page) {
        ASSERT_EQ(page.GetList()->GetItemCount(), 1);
        EXPECT_EQ(page.GetList()->GetItemText(0, 1), "SOCKS5: carol@socks.example:1080");
        EXPECT_TRUE(page.IsRowChecked(0));
        EXPECT_EQ(page.GetPrivatePassword("socks5://carol@socks.example"), "hush");
    });
}

} // namespace
