// The Settings dialog over the live settings: it opens on the last page,
// lists the pages in the order they were added, applies the modified pages
// in that order on OK and Apply, saves and announces once per accept, keeps
// what was applied when a later page refuses, and remembers the last page.

#include "dialogs/SettingsDlg.h"
#include "dialogs/ShowSettingsDialog.h"

#include "foundation/desktop/AppIdentity.h"
#include "foundation/desktop/ShellHooks.h"
#include "foundation/files/FileSystem.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/PasswordStore.h"
#include "foundation/stores/RegistryKey.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/stores/Settings.h"
#include "platform/core/MemoryRegistryBackend.h"
#include "platform/core/RecordingDesktop.h"
#include "platform/core/Registry.h"
#include "platform/ui/RecordingModalDriver.h"
#include "platform/ui/TreeCtrl.h"
#include "res/Resources.h"

#include "tests/support/QtApplication.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TemporarySettings.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <string>
#include <vector>

namespace
{
const char kSettingsKey[] = "Software\\Quorvat Software\\Tanglewarden\\Settings";

std::vector<unsigned> g_broadcasts;
void RecordBroadcast(unsigned code, int64_t)
{
    g_broadcasts.push_back(code);
}

class SettingsDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_temp.Path().empty());
        UseTemporarySettings(m_env, m_temp);
        // An existing download folder, so only the tests that want it are asked.
        GetSettings().SetString(SETTING_MISC_DOWNLOAD_FOLDER, m_temp.Path().c_str());
        g_broadcasts.clear();
        SetInstanceBroadcastHook(RecordBroadcast);

        m_context.m_settings = &GetSettings();
        m_context.m_passwords = &m_passwords;
        m_context.m_saveSettings = [this] {
            ++m_saves;
            return SaveAllSettings();
        };
        m_context.m_settingsChanged = [this] { ++m_announcements; };
    }

    void TearDown() override
    {
        SetInstanceBroadcastHook(nullptr);
        GetRegistry().SetBackend(std::make_unique<CMemoryRegistryBackend>());
        GetSettings().Clear();
    }

    // Runs the dialog with script acting as the user.
    void Run(const std::function<void(CSettingsDlg&)>& script)
    {
        m_driver.SetDialogScript([&](QDialog& dialog) { script(static_cast<CSettingsDlg&>(dialog)); });
        ShowSettingsDialog(m_context);
    }

    static QTreeWidgetItem* TreeItem(CSettingsDlg& dialog, const std::string& text)
    {
        CTreeCtrl* tree = dialog.GetTree();
        for (QTreeWidgetItem* item = tree->GetRootItem(); item; item = tree->GetNextVisibleItem(item))
        {
            if (tree->GetItemText(item) == text)
                return item;
        }
        return nullptr;
    }

    // Picks a page in the tree as the user does.
    static CSettingsPage& Pick(CSettingsDlg& dialog, const std::string& text)
    {
        QTreeWidgetItem* item = TreeItem(dialog, text);
        EXPECT_NE(item, nullptr) << text;
        dialog.GetTree()->SelectItem(item);
        return *dialog.GetCurrentPage();
    }

    static void Type(QWidget* control, const char* text)
    {
        auto* edit = qobject_cast<QLineEdit*>(control);
        ASSERT_NE(edit, nullptr);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }

    static void Click(QWidget* control)
    {
        ASSERT_NE(control, nullptr);
        QTest::mouseClick(control, Qt::LeftButton);
    }

    static int RegistryInt(const char* name)
    {
        CRegistryKey key(GetRegistry());
        if (key.Open(kSettingsKey, true) != CRegistryKey::OpenResult::kExisting)
            return -12345;
        int value = -12345;
        key.GetInt(name, value);
        return value;
    }

    QApplication& m_application = TestApplication();
    CTempFolder m_temp;
    ScopedEnvironment m_env;
    CRecordingModalDriver m_driver;
    CPasswordStore m_passwords;
    CSettingsContext m_context;
    int m_saves = 0;
    int m_announcements = 0;
};

TEST_F(SettingsDialogTest, OpensOnTheLastPageAndListsThePagesInTheOrderAdded)
{
    struct Case
    {
        const char* m_stored;
        const char* m_current;
        const char* m_banner;
    };
    const Case cases[] = {
        {"Connections\\Proxy", "Connections\\Proxy", "Proxy"},
        {"\\\\FTP", "FTP", "FTP"},
        {"", "", ""},
        {"Nowhere", "", ""},
        {"connections\\proxy", "", ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.m_stored);
        GetSettings().SetString(SETTING_LAYOUT_LAST_SETTINGS_PATH, c.m_stored);
        Run([&](CSettingsDlg& dialog) {
            EXPECT_EQ(dialog.GetCurrentPath(), c.m_current);
            EXPECT_EQ(dialog.GetBannerCaption(), c.m_banner);
            CTreeCtrl* tree = dialog.GetTree();
            std::vector<std::string> top;
            for (QTreeWidgetItem* item = tree->GetRootItem(); item; item = tree->GetNextSiblingItem(item))
                top.push_back(tree->GetItemText(item));
            EXPECT_EQ(top, (std::vector<std::string>{"General", "Links", "Connection", "HTTP", "FTP"}));
            QTreeWidgetItem* connection = TreeItem(dialog, "Connection");
            ASSERT_NE(connection, nullptr);
            ASSERT_NE(tree->GetChildItem(connection), nullptr);
            EXPECT_EQ(tree->GetItemText(tree->GetChildItem(connection)), "Proxy");
            const std::string selected = tree->GetSelectedItem() ? tree->GetItemText(tree->GetSelectedItem()) : "";
            EXPECT_EQ(selected, std::string(c.m_banner));
            EXPECT_FALSE(dialog.GetDlgItem(IDC_SETTINGS_APPLY)->isEnabled());
            Click(dialog.GetDlgItem(IDCANCEL));
        });
        // Cancel too keeps the page and saves, and announces nothing.
        EXPECT_EQ(GetSettings().GetStringValue(SETTING_LAYOUT_LAST_SETTINGS_PATH), c.m_current);
        EXPECT_EQ(m_saves, 1);
        EXPECT_EQ(m_announcements, 0);
        m_saves = 0;
    }
}

TEST_F(SettingsDialogTest, OkAppliesTwoPagesSavesToTheRegistryAndAnnouncesOnce)
{
    GetSettings().SetInt(SETTING_LINKS_TREAT_SUBDOMAINS, 0);
    GetSettings().SetInt(SETTING_FTP_DATA_CONNECTION_TYPE, 0);
    int result = 0;
    m_driver.SetDialogScript([&](QDialog& shown) {
        auto& dialog = static_cast<CSettingsDlg&>(shown);
        CSettingsPage& links = Pick(dialog, "Links");
        Click(links.GetDlgItem(IDC_LINKS_TREAT_SUBDOMAINS));
        EXPECT_TRUE(dialog.GetDlgItem(IDC_SETTINGS_APPLY)->isEnabled());
        CSettingsPage& ftp = Pick(dialog, "FTP");
        EXPECT_EQ(dialog.GetBannerCaption(), "FTP");
        auto* type = qobject_cast<QComboBox*>(ftp.GetDlgItem(IDC_FTP_DATA_CONNECTION));
        type->setFocus();
        QTest::keyClick(type, Qt::Key_Down);
        EXPECT_EQ(type->currentText(), "PASV");
        // Nothing reaches the live settings before OK.
        EXPECT_EQ(GetIntOr(GetSettings(), SETTING_LINKS_TREAT_SUBDOMAINS, 0), 0);
        Click(dialog.GetDlgItem(IDOK));
        result = dialog.result();
    });
    ShowSettingsDialog(m_context);

    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(GetIntOr(GetSettings(), SETTING_LINKS_TREAT_SUBDOMAINS, 0), 1);
    EXPECT_EQ(GetIntOr(GetSettings(), SETTING_FTP_DATA_CONNECTION_TYPE, 0), 1);
    EXPECT_EQ(RegistryInt("Links/Treat Subdomains"), 1);
    EXPECT_EQ(RegistryInt("FTP/Data Connection Type"), 1);
    EXPECT_EQ(m_announcements, 1) << "one announcement for one accept";
    EXPECT_EQ(m_saves, 2) << "the accept, then the last page after closing";
    EXPECT_EQ(g_broadcasts, (std::vector<unsigned>{3, 3})) << "other copies hear of each save";
    EXPECT_EQ(GetSettings().GetStringValue(SETTING_LAYOUT_LAST_SETTINGS_PATH), "FTP");
}

TEST_F(SettingsDialogTest, ApplyWithAFailingLaterPageKeepsAndAnnouncesWhatWasApplied)
{
    GetSettings().SetInt(SETTING_LINKS_TREAT_SUBDOMAINS, 0);
    GetSettings().SetInt(SETTING_CONNECTIONS_CONNECTION_TIMEOUT, 120);
    Run([&](CSettingsDlg& dialog) {
        Click(Pick(dialog, "Links").GetDlgItem(IDC_LINKS_TREAT_SUBDOMAINS));
        CSettingsPage& connections = Pick(dialog, "Connection");
        Type(connections.GetDlgItem(IDC_CONN_TIMEOUT), "0");
        Click(dialog.GetDlgItem(IDC_SETTINGS_APPLY));

        ASSERT_FALSE(m_driver.Boxes().empty());
        EXPECT_EQ(m_driver.Boxes().back().m_text, "Please enter an integer between 10 and 3600.");
        EXPECT_EQ(GetIntOr(GetSettings(), SETTING_LINKS_TREAT_SUBDOMAINS, 0), 1) << "the earlier page is applied";
        EXPECT_EQ(m_saves, 1);
        EXPECT_EQ(m_announcements, 1);
        EXPECT_EQ(GetIntOr(GetSettings(), SETTING_CONNECTIONS_CONNECTION_TIMEOUT, 0), 120);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.GetCurrentPage(), &connections);
        EXPECT_EQ(connections.focusWidget(), connections.GetDlgItem(IDC_CONN_TIMEOUT));
        EXPECT_TRUE(dialog.GetDlgItem(IDC_SETTINGS_APPLY)->isEnabled()) << "the refused page is still modified";

        // The tree does not leave a page that does not validate.
        dialog.GetTree()->SelectItem(TreeItem(dialog, "HTTP"));
        EXPECT_EQ(dialog.GetCurrentPage(), &connections);
        EXPECT_EQ(dialog.GetTree()->GetSelectedItem(), TreeItem(dialog, "Connection"));

        Type(connections.GetDlgItem(IDC_CONN_TIMEOUT), "30");
        Click(dialog.GetDlgItem(IDC_SETTINGS_APPLY));
        EXPECT_EQ(GetIntOr(GetSettings(), SETTING_CONNECTIONS_CONNECTION_TIMEOUT, 0), 30);
        EXPECT_EQ(m_saves, 2);
        EXPECT_EQ(m_announcements, 2);
        EXPECT_FALSE(dialog.GetDlgItem(IDC_SETTINGS_APPLY)->isEnabled());
        Click(dialog.GetDlgItem(IDCANCEL));
    });
    // Cancel does not undo an earlier Apply.
    EXPECT_EQ(GetIntOr(GetSettings(), SETTING_CONNECTIONS_CONNECTION_TIMEOUT, 0), 30);
    EXPECT_EQ(RegistryInt("Connections/Connection Timeout"), 30);
}

TEST_F(SettingsDialogTest, ConnectionLimitsAndRangesAreCheckedOnOk)
{
    struct Case
    {
        const char* m_downloads;
        const char* m_perSite;
        const char* m_expand; // General page's expansion: no range
        const char* m_message;
        int m_focus;
    };
    const Case cases[] = {
        {"5", "6", "0", "Please enter max connection per site integer no more than max downloads value.",
         IDC_CONN_PER_SITE},
        {"5", "5", "500", nullptr, 0},
        {"0", "1", "0", "Please enter an integer between 1 and 200.", IDC_CONN_MAX_CONNECTS},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.m_downloads) + "/" + c.m_perSite);
        m_driver.QueueAnswer(IDOK);
        const size_t boxes = m_driver.Boxes().size();
        Run([&](CSettingsDlg& dialog) {
            Type(Pick(dialog, "General").GetDlgItem(IDC_GENERAL_AUTO_EXPAND), c.m_expand);
            CSettingsPage& connections = Pick(dialog, "Connection");
            Type(connections.GetDlgItem(IDC_CONN_MAX_CONNECTS), c.m_downloads);
            Type(connections.GetDlgItem(IDC_CONN_PER_SITE), c.m_perSite);
            Click(dialog.GetDlgItem(IDOK));
            if (!c.m_message)
            {
                EXPECT_FALSE(dialog.isVisible());
                return;
            }
            EXPECT_TRUE(dialog.isVisible());
            ASSERT_EQ(m_driver.Boxes().size(), boxes + 1);
            EXPECT_EQ(m_driver.Boxes().back().m_text, c.m_message);
            EXPECT_EQ(connections.focusWidget(), connections.GetDlgItem(c.m_focus));
            Click(dialog.GetDlgItem(IDCANCEL));
        });
        if (!c.m_message)
        {
            EXPECT_EQ(GetIntOr(GetSettings(), SETTING_MISC_AUTO_EXPAND, 0), 500);
            EXPECT_EQ(GetIntOr(GetSettings(), SETTING_CONNECTIONS_MAX_CONNECTS_PER_SITE, 0), 5);
        }
    }
}

TEST_F(SettingsDialogTest, OkWithoutChangesOnlyStoresTheLastPage)
{
    GetSettings().SetString(SETTING_LAYOUT_LAST_SETTINGS_PATH, "HTTP");
    Run([&](CSettingsDlg& dialog) { Click(dialog.GetDlgItem(IDOK)); });
    EXPECT_EQ(m_saves, 1);
    EXPECT_EQ(m_announcements, 0);
    EXPECT_EQ(g_broadcasts.size(), 1u);
}

TEST_F(SettingsDialogTest, AMissingDownloadFolderIsCreatedOnlyWhenTheUserAgrees)
{
    const std::string folder = m_temp / "new/downloads";
    for (const int answer : {IDNO, IDYES})
    {
        SCOPED_TRACE(answer);
        m_driver.QueueAnswer(answer);
        m_saves = 0;
        Run([&](CSettingsDlg& dialog) {
            Type(Pick(dialog, "General").GetDlgItem(IDC_GENERAL_DOWNLOAD_FOLDER), folder.c_str());
            Click(dialog.GetDlgItem(IDOK));
            ASSERT_FALSE(m_driver.Boxes().empty());
            EXPECT_EQ(m_driver.Boxes().back().m_text,
                      "Directory \"" + folder + "\" does not exists. Would you like to create it?");
            EXPECT_EQ(m_driver.Boxes().back().m_type, MB_YESNO | MB_ICONQUESTION);
            if (answer == IDNO)
            {
                EXPECT_TRUE(dialog.isVisible());
                EXPECT_EQ(m_saves, 0);
                Click(dialog.GetDlgItem(IDCANCEL));
            }
        });
        EXPECT_EQ(DirectoryExists(folder), answer == IDYES);
        EXPECT_EQ(GetSettings().GetStringValue(SETTING_MISC_DOWNLOAD_FOLDER) == folder, answer == IDYES);
    }
}

TEST_F(SettingsDialogTest, HelpNamesThePageShownAndCtrlTabDoesNotSwitch)
{
    GetSettings().SetString(SETTING_LAYOUT_LAST_SETTINGS_PATH, "Connections\\Proxy");
    Run([&](CSettingsDlg& dialog) {
        Click(dialog.GetDlgItem(IDC_SETTINGS_HELP));
        CSettingsPage* proxy = dialog.GetCurrentPage();
        QWidget* skip = proxy->GetDlgItem(IDC_PROXY_SKIP_LIST);
        skip->setFocus();
        QTest::keyClick(skip, Qt::Key_F1);
        QTest::keyClick(skip, Qt::Key_Tab, Qt::ControlModifier);
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(dialog.GetCurrentPage(), proxy);
        dialog.SelectPageByPath("");
        Click(dialog.GetDlgItem(IDC_SETTINGS_HELP));
        Click(dialog.GetDlgItem(IDCANCEL));
    });
    EXPECT_EQ(m_driver.HelpRequests(), (std::vector<UINT>{IDD_SETTINGS_PROXY, IDD_SETTINGS_PROXY, IDD_SETTINGS}));
}

TEST_F(SettingsDialogTest, HttpSampleFollowsEveryChange)
{
    GetSettings().SetInt(SETTING_HTTP_ENABLE_USER_AGENT, 1);
    GetSettings().SetString(SETTING_HTTP_USER_AGENT, "Tanglewarden");
    GetSettings().SetString(SETTING_LAYOUT_LAST_SETTINGS_PATH, "HTTP");
    Run([&](CSettingsDlg& dialog) {
        CSettingsPage& http = *dialog.GetCurrentPage();
        auto* sample = qobject_cast<QPlainTextEdit*>(http.GetDlgItem(IDC_HTTP_SAMPLE));
        auto* agents = qobject_cast<QComboBox*>(http.GetDlgItem(IDC_HTTP_USER_AGENT));
        ASSERT_NE(sample, nullptr);
        EXPECT_TRUE(sample->toPlainText().startsWith("GET /sample/index.html HTTP/1."));
        EXPECT_TRUE(sample->toPlainText().contains("User-Agent: Tanglewarden\n")) << sample->toPlainText().toStdString();
        EXPECT_EQ(agents->count(), 18);
        EXPECT_EQ(agents->itemText(0), "Tanglewarden 1.0");
        EXPECT_EQ(agents->currentText(), "Tanglewarden");
        EXPECT_TRUE(agents->isEnabled());
        EXPECT_FALSE(http.IsModified());

        Click(http.GetDlgItem(IDC_HTTP_ENABLE_USER_AGENT));
        EXPECT_FALSE(sample->toPlainText().contains("User-Agent:"));
        EXPECT_FALSE(agents->isEnabled());
        EXPECT_FALSE(http.GetDlgItem(IDC_HTTP_USER_AGENT_LABEL)->isEnabled());
        EXPECT_TRUE(http.IsModified());
        EXPECT_TRUE(dialog.GetDlgItem(IDC_SETTINGS_APPLY)->isEnabled());
        Click(dialog.GetDlgItem(IDCANCEL));
    });
    EXPECT_EQ(GetIntOr(GetSettings(), SETTING_HTTP_ENABLE_USER_AGENT, 0), 1) << "Cancel applies nothing";
}

TEST_F(SettingsDialogTest, BrowsingPutsTheChosenFolderIntoTheDownloadPath)
{
    CScriptedFilePicker picker;
    picker.m_answers.push_back(m_temp.Path());
    picker.m_answers.push_back("");
    GetSettings().SetString(SETTING_MISC_DOWNLOAD_FOLDER, "/start/here");
    Run([&](CSettingsDlg& dialog) {
        CSettingsPage& general = Pick(dialog, "General");
        auto* path = qobject_cast<QLineEdit*>(general.GetDlgItem(IDC_GENERAL_DOWNLOAD_FOLDER));
        Click(general.GetDlgItem(IDC_GENERAL_BROWSE));
        EXPECT_EQ(path->text().toStdString(), m_temp.Path());
        EXPECT_TRUE(general.IsModified());
        Click(general.GetDlgItem(IDC_GENERAL_BROWSE)); // cancelled: the text stays
        EXPECT_EQ(path->text().toStdString(), m_temp.Path());
        Click(dialog.GetDlgItem(IDOK));
    });
    ASSERT_EQ(picker.m_folderRequests.size(), 2u);
    EXPECT_EQ(picker.m_folderRequests[0].m_startFolder, "/start/here");
    EXPECT_EQ(picker.m_folderRequests[0].m_title, "Please select a default download folder.");
    EXPECT_EQ(GetSettings().GetStringValue(SETTING_MISC_DOWNLOAD_FOLDER), m_temp.Path());
}

// The banner: a gradient darker at the left, the caption in white right of
// the bitmap, nothing there without a page.
TEST_F(SettingsDialogTest, BannerPaintsTheCaptionOfThePageShown)
{
    GetSettings().SetString(SETTING_LAYOUT_LAST_SETTINGS_PATH, "Connections\\Proxy");
    const auto whitePixels = [](const QImage& image, int fromX) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
        {
            for (int x = fromX; x < image.width(); ++x)
                count += image.pixel(x, y) == qRgb(255, 255, 255) ? 1 : 0;
        }
        return count;
    };
    Run([&](CSettingsDlg& dialog) {
        dialog.resize(dialog.sizeHint());
        QWidget* banner = dialog.GetDlgItem(IDC_SETTINGS_BANNER);
        ASSERT_NE(banner, nullptr);
        const int captionX = LoadBitmapResource(IDB_SETTINGS_BANNER).width() + 32;
        QImage shown = banner->grab().toImage();
        ASSERT_GT(shown.width(), captionX);
        EXPECT_LT(qGray(shown.pixel(2, 2)), qGray(shown.pixel(shown.width() - 2, 2))) << "darker at the left";
        EXPECT_GT(whitePixels(shown, captionX), 0) << "the caption is drawn";
        EXPECT_EQ(whitePixels(shown, 0), whitePixels(shown, captionX)) << "nothing white left of the caption";

        dialog.SelectPageByPath("");
        EXPECT_EQ(whitePixels(banner->grab().toImage(), 0), 0) << "no page, no caption";
        Click(dialog.GetDlgItem(IDCANCEL));
    });
}

} // namespace
