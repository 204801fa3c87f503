// The Compose URL dialog (protocol switching moves only a default port,
// OK trims, lower-cases and drops unwanted credentials, credentials mode)
// and the HTTP POST data dialog (text or file).

#include "dialogs/ComposeUrlDlg.h"
#include "dialogs/PostDataDlg.h"

#include "foundation/links/UrlParts.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/stores/Settings.h"
#include "foundation/properties/PropertySet.h"
#include "platform/core/RecordingDesktop.h"
#include "platform/ui/RecordingModalDriver.h"
#include "res/Resources.h"

#include "tests/support/QtApplication.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <functional>
#include <string>
#include <vector>

namespace
{
void Type(QWidget* control, const char* text)
{
    auto* edit = qobject_cast<QLineEdit*>(control);
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

void Choose(QWidget* control, const std::string& text)
{
    auto* combo = qobject_cast<QComboBox*>(control);
    ASSERT_NE(combo, nullptr);
    const int index = combo->findText(QString::fromStdString(text));
    ASSERT_GE(index, 0) << text;
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

QString PortText(CDialog& dialog)
{
    return qobject_cast<QLineEdit*>(dialog.GetDlgItem(IDC_COMPOSE_PORT))->text();
}

class ComposeUrlTest : public ::testing::Test
{
protected:
    // Runs the dialog with script acting as the user; the result code.
    int Run(const std::function<void()>& script)
    {
        m_driver.SetDialogScript([&](QDialog&) { script(); });
        return m_dialog.DoModal();
    }

    void PressOk() { QTest::mouseClick(m_dialog.GetDlgItem(IDOK), Qt::LeftButton); }

    QApplication& m_application = TestApplication();
    CRecordingModalDriver m_driver;
    CComposeUrlDlg m_dialog;
};

TEST_F(ComposeUrlTest, EverySchemeComposesWithAndWithoutItsDefaultPort)
{
    struct Case
    {
        int m_scheme;
        const char* m_typedPort; // null: keep the default the protocol brought
        const char* m_url;
    };
    const Case cases[] = {
        {URL_SCHEME_HTTP, nullptr, "http://h.example/docs/a.html"},
        {URL_SCHEME_HTTP, "8081", "http://h.example:8081/docs/a.html"},
        {URL_SCHEME_HTTPS, nullptr, "https://h.example/docs/a.html"},
        {URL_SCHEME_HTTPS, "8443", "https://h.example:8443/docs/a.html"},
        {URL_SCHEME_FTP, nullptr, "ftp://h.example/docs/a.html"},
        {URL_SCHEME_FTP, "2121", "ftp://h.example:2121/docs/a.html"},
        {URL_SCHEME_SOCKS4, nullptr, "socks4://h.example/docs/a.html"},
        {URL_SCHEME_SOCKS4, "1081", "socks4://h.example:1081/docs/a.html"},
        {URL_SCHEME_SOCKS5, nullptr, "socks5://h.example/docs/a.html"},
        {URL_SCHEME_SOCKS5, "9050", "socks5://h.example:9050/docs/a.html"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.m_url);
        CComposeUrlDlg dialog;
        dialog.m_protocols.push_back(URL_SCHEME_SOCKS4);
        dialog.m_protocols.push_back(URL_SCHEME_SOCKS5);
        m_driver.SetDialogScript([&](QDialog&) {
            EXPECT_EQ(qobject_cast<QComboBox*>(dialog.GetDlgItem(IDC_COMPOSE_PROTOCOL))->count(), 5);
            Choose(dialog.GetDlgItem(IDC_COMPOSE_PROTOCOL), GetProtocolName(c.m_scheme));
            Type(dialog.GetDlgItem(IDC_COMPOSE_HOST), "h.example");
            Type(dialog.GetDlgItem(IDC_COMPOSE_PATH), "/docs/a.html");
            if (c.m_typedPort)
                Type(dialog.GetDlgItem(IDC_COMPOSE_PORT), c.m_typedPort);
            QTest::mouseClick(dialog.GetDlgItem(IDOK), Qt::LeftButton);
        });
        ASSERT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(dialog.m_protocol, c.m_scheme);
        EXPECT_EQ(ComposeUrl(dialog.m_protocol, dialog.m_host, dialog.m_path, dialog.m_port, dialog.m_user,
                             dialog.m_password),
                  c.m_url);
    }
}

TEST_F(ComposeUrlTest, SwitchingTheProtocolMovesOnlyADefaultPort)
{
    struct Case
    {
        int m_startScheme;
        int m_startPort;
        const char* m_typedPort;
        const char* m_chosen;
        const char* m_portAfter;
        int m_schemeOnOk;
    };
    const Case cases[] = {
        {URL_SCHEME_HTTP, 80, nullptr, "HTTPS", "443", URL_SCHEME_HTTPS},
        {URL_SCHEME_HTTPS, 443, nullptr, "FTP", "21", URL_SCHEME_FTP},
        {URL_SCHEME_FTP, 21, "8080", "HTTP", "80", URL_SCHEME_HTTP},
        {URL_SCHEME_FTP, 21, "8000", "HTTPS", "443", URL_SCHEME_HTTPS},
        {URL_SCHEME_FTP, 21, "1234", "HTTP", "1234", URL_SCHEME_HTTP},
        {URL_SCHEME_HTTP, 80, nullptr, "SOCKS5", "1080", URL_SCHEME_SOCKS5},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(GetProtocolName(c.m_startScheme)) + " to " + c.m_chosen);
        CComposeUrlDlg dialog;
        dialog.m_protocols.push_back(URL_SCHEME_SOCKS4);
        dialog.m_protocols.push_back(URL_SCHEME_SOCKS5);
        dialog.m_protocol = c.m_startScheme;
        dialog.m_port = c.m_startPort;
        dialog.m_host = "h";
        m_driver.SetDialogScript([&](QDialog&) {
            if (c.m_typedPort)
                Type(dialog.GetDlgItem(IDC_COMPOSE_PORT), c.m_typedPort);
            Choose(dialog.GetDlgItem(IDC_COMPOSE_PROTOCOL), c.m_chosen);
            EXPECT_EQ(PortText(dialog), c.m_portAfter);
            QTest::mouseClick(dialog.GetDlgItem(IDOK), Qt::LeftButton);
        });
        ASSERT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(dialog.m_protocol, c.m_schemeOnOk);
        EXPECT_EQ(std::to_string(dialog.m_port), c.m_portAfter);
    }
}

TEST_F(ComposeUrlTest, OkTrimsTheHostAndDropsCredentialsNotAskedFor)
{
    EXPECT_EQ(Run([&] {
                  EXPECT_EQ(m_dialog.focusWidget(), m_dialog.GetDlgItem(IDC_COMPOSE_HOST));
                  EXPECT_FALSE(m_dialog.GetDlgItem(IDOK)->isEnabled()) << "no host";
                  Type(m_dialog.GetDlgItem(IDC_COMPOSE_HOST), "   ");
                  EXPECT_FALSE(m_dialog.GetDlgItem(IDOK)->isEnabled()) << "only blanks";
                  Type(m_dialog.GetDlgItem(IDC_COMPOSE_HOST), "  WWW.Example.COM\t");
                  EXPECT_TRUE(m_dialog.GetDlgItem(IDOK)->isEnabled());
                  EXPECT_FALSE(m_dialog.GetDlgItem(IDC_COMPOSE_USER)->isEnabled());
                  m_dialog.GetDlgItem(IDC_COMPOSE_USER)->setEnabled(true);
                  m_dialog.GetDlgItem(IDC_COMPOSE_PASSWORD)->setEnabled(true);
                  Type(m_dialog.GetDlgItem(IDC_COMPOSE_USER), "someone");
                  Type(m_dialog.GetDlgItem(IDC_COMPOSE_PASSWORD), "secret");
                  PressOk();
              }),
              IDOK);
    EXPECT_EQ(m_dialog.m_host, "www.example.com");
    EXPECT_EQ(m_dialog.m_user, "") << "no authentication asked for";
    EXPECT_EQ(m_dialog.m_password, "");

    // With the box set a user is needed, and kept.
    EXPECT_EQ(Run([&] {
                  QTest::mouseClick(m_dialog.GetDlgItem(IDC_COMPOSE_AUTH), Qt::LeftButton);
                  EXPECT_TRUE(m_dialog.GetDlgItem(IDC_COMPOSE_USER)->isEnabled());
                  Type(m_dialog.GetDlgItem(IDC_COMPOSE_USER), " ");
                  EXPECT_FALSE(m_dialog.GetDlgItem(IDOK)->isEnabled());
                  Type(m_dialog.GetDlgItem(IDC_COMPOSE_USER), " ann ");
                  Type(m_dialog.GetDlgItem(IDC_COMPOSE_PASSWORD), "pw");
                  EXPECT_TRUE(m_dialog.GetDlgItem(IDOK)->isEnabled());
                  PressOk();
              }),
              IDOK);
    EXPECT_TRUE(m_dialog.m_authentication);
    EXPECT_EQ(m_dialog.m_user, "ann");
    EXPECT_EQ(m_dialog.m_password, "pw");
}

TEST_F(ComposeUrlTest, APortThatIsNoNumberKeepsTheDialogOpen)
{
    m_dialog.m_host = "h";
    EXPECT_EQ(Run([&] {
                  Type(m_dialog.GetDlgItem(IDC_COMPOSE_PORT), "");
                  PressOk();
                  EXPECT_TRUE(m_dialog.isVisible());
                  EXPECT_EQ(m_dialog.focusWidget(), m_dialog.GetDlgItem(IDC_COMPOSE_PORT));
                  Type(m_dialog.GetDlgItem(IDC_COMPOSE_PORT), "x1");
                  EXPECT_EQ(PortText(m_dialog), "1") << "the field takes digits only";
              }),
              IDCANCEL);
    ASSERT_EQ(m_driver.Boxes().size(), 1u);
    EXPECT_EQ(m_driver.Boxes()[0].m_text, "Please enter an integer.");
}

TEST_F(ComposeUrlTest, CredentialsModeNeedsAUserAndHidesThePath)
{
    m_dialog.m_credentialsMode = true;
    m_dialog.m_host = "h";
    EXPECT_EQ(Run([&] {
                  EXPECT_FALSE(m_dialog.GetDlgItem(IDC_COMPOSE_PATH)->isEnabled());
                  EXPECT_FALSE(m_dialog.GetDlgItem(IDC_COMPOSE_PATH_LABEL)->isEnabled());
                  EXPECT_FALSE(m_dialog.GetDlgItem(IDC_COMPOSE_AUTH)->isEnabled());
                  EXPECT_TRUE(m_dialog.GetDlgItem(IDC_COMPOSE_USER)->isEnabled());
                  EXPECT_TRUE(m_dialog.GetDlgItem(IDC_COMPOSE_PASSWORD_LABEL)->isEnabled());
                  EXPECT_FALSE(m_dialog.GetDlgItem(IDOK)->isEnabled()) << "a user is needed";
                  Type(m_dialog.GetDlgItem(IDC_COMPOSE_USER), "u");
                  Type(m_dialog.GetDlgItem(IDC_COMPOSE_PASSWORD), "p");
                  PressOk();
              }),
              IDOK);
    EXPECT_EQ(m_dialog.m_user, "u");
    EXPECT_EQ(m_dialog.m_password, "p") << "kept though the box is clear";
}

TEST(PostDataDlg, UseFileSwitchesBetweenTextAndFile)
{
    TestApplication();
    CRecordingModalDriver driver;
    CScriptedFilePicker picker;
    picker.m_answers.push_back("/srv/posts/body.txt");
    GetSettings().SetString(SETTING_MISC_LAST_OPENED_FOLDER, "/srv/posts");
    CPostDataDlg dialog;
    dialog.m_text = "a=1&b=2";
    driver.SetDialogScript([&](QDialog&) {
        EXPECT_EQ(qobject_cast<QPlainTextEdit*>(dialog.GetDlgItem(IDC_POST_TEXT))->toPlainText(), "a=1&b=2");
        EXPECT_TRUE(dialog.GetDlgItem(IDC_POST_TEXT)->isEnabled());
        EXPECT_FALSE(dialog.GetDlgItem(IDC_POST_FILE)->isEnabled());
        EXPECT_FALSE(dialog.GetDlgItem(IDC_POST_BROWSE)->isEnabled());
        QTest::mouseClick(dialog.GetDlgItem(IDC_POST_USE_FILE), Qt::LeftButton);
        EXPECT_FALSE(dialog.GetDlgItem(IDC_POST_TEXT)->isEnabled());
        EXPECT_FALSE(dialog.GetDlgItem(IDC_POST_TEXT_LABEL)->isEnabled());
        EXPECT_TRUE(dialog.GetDlgItem(IDC_POST_FILE)->isEnabled());
        QTest::mouseClick(dialog.GetDlgItem(IDC_POST_BROWSE), Qt::LeftButton);
        EXPECT_EQ(qobject_cast<QLineEdit*>(dialog.GetDlgItem(IDC_POST_FILE))->text(), "/srv/posts/body.txt");
        QTest::mouseClick(dialog.GetDlgItem(IDOK), Qt::LeftButton);
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(dialog.m_useFile);
    EXPECT_EQ(dialog.m_file, "/srv/posts/body.txt");
    EXPECT_EQ(dialog.m_text, "a=1&b=2");
    ASSERT_EQ(picker.m_fileRequests.size(), 1u);
    EXPECT_FALSE(picker.m_fileRequests[0].m_save);
    EXPECT_EQ(picker.m_fileRequests[0].m_folder, "/srv/posts");
    GetSettings().Clear();
}

} // namespace
