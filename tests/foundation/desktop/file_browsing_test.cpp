#include "foundation/desktop/FileBrowsing.h"

#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/stores/Settings.h"
#include "platform/core/RecordingDesktop.h"
#include "platform/core/RecordingWindow.h"
#include "platform/core/StringResource.h"

#include "tests/support/FileContents.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ShellLinkBytes.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace
{
class FileBrowsingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_temp.Path().empty());
        ::mkdir((m_temp / "site").c_str(), 0700);
        WriteWhole(m_temp / "site/page.html", "<html></html>");
        SetRemembered("/remembered/folder");
    }

    void TearDown() override { GetSettings().SetString(SETTING_MISC_LAST_OPENED_FOLDER, ""); }

    static void SetRemembered(const std::string& folder)
    {
        GetSettings().SetString(SETTING_MISC_LAST_OPENED_FOLDER, folder.c_str());
    }
    static std::string Remembered() { return GetSettingString(SETTING_MISC_LAST_OPENED_FOLDER); }

    // A folder shortcut as Windows makes them, pointing at target.
    void MakeFolderShortcut(const std::string& folder, const std::string& target)
    {
        ::mkdir(folder.c_str(), 0700);
        WriteWhole(folder + "/desktop.ini",
                   "[.ShellClassInfo]\r\nCLSID2={0AFACED1-E828-11D1-9187-B532F1E9575D}\r\nFlags=2\r\n");
        WriteWhole(folder + "/target.lnk", MakeShellLink({target, "", true, {}, {}}));
    }

    CTempFolder m_temp;
    CScriptedFilePicker m_picker;
};

TEST_F(FileBrowsingTest, FileModeStartsInTheFolderOfALocalPathAndOffersItsName)
{
    m_picker.m_answers = {m_temp / "other/chosen.html"};
    const std::string chosen = BrowseForFile(false, "  " + (m_temp / "site/page.html") + " ", true, nullptr,
                                             "title", "HTML files (*.html)|*.html||");
    EXPECT_EQ(chosen, m_temp / "other/chosen.html");
    ASSERT_EQ(m_picker.m_fileRequests.size(), 1u);
    const FileDialogRequest& request = m_picker.m_fileRequests[0];
    EXPECT_TRUE(request.m_save);
    EXPECT_EQ(request.m_folder, m_temp / "site/");
    EXPECT_EQ(request.m_fileName, "page.html");
    EXPECT_EQ(request.m_filter, "HTML files (*.html)|*.html||");
    EXPECT_TRUE(request.m_confirmOverwrite);
    // The start folder is remembered, not the chosen file's folder.
    EXPECT_EQ(Remembered(), m_temp / "site/");
}

TEST_F(FileBrowsingTest, FileModeOffersNoNameWithWildcards)
{
    BrowseForFile(false, m_temp / "site/*.html", false, nullptr, "", "");
    ASSERT_EQ(m_picker.m_fileRequests.size(), 1u);
    EXPECT_FALSE(m_picker.m_fileRequests[0].m_save);
    EXPECT_EQ(m_picker.m_fileRequests[0].m_folder, m_temp / "site/");
    EXPECT_EQ(m_picker.m_fileRequests[0].m_fileName, "");
    EXPECT_EQ(Remembered(), "/remembered/folder") << "cancelled";
}

TEST_F(FileBrowsingTest, AFolderPathStartsInThatFolder)
{
    m_picker.m_answers = {"", m_temp / "picked"};
    BrowseForFile(false, m_temp / "site", false, nullptr, "", "");
    EXPECT_EQ(m_picker.m_fileRequests.at(0).m_folder, m_temp / "site");

    ScopedEnvironment env;
    env.Set("HOME", m_temp.Path());
    BrowseForFile(false, "~/site", false, nullptr, "", "");
    EXPECT_EQ(m_picker.m_fileRequests.at(1).m_folder, m_temp / "site");
}

TEST_F(FileBrowsingTest, AnAddressLeavesTheRememberedFolderAsTheStart)
{
    BrowseForFile(false, "http://host.example/dir/page.html", false, nullptr, "", "");
    ASSERT_EQ(m_picker.m_fileRequests.size(), 1u);
    EXPECT_EQ(m_picker.m_fileRequests[0].m_folder, "/remembered/folder");

    BrowseForFile(true, "http://host.example/dir/", false, nullptr, "Pick", "");
    ASSERT_EQ(m_picker.m_folderRequests.size(), 1u);
    EXPECT_EQ(m_picker.m_folderRequests[0].m_startFolder, "/remembered/folder");
    EXPECT_EQ(m_picker.m_folderRequests[0].m_title, "Pick");
}

TEST_F(FileBrowsingTest, FolderModeRemembersTheChosenFolderAndACancelKeepsTheOld)
{
    EXPECT_EQ(BrowseForFile(true, "", false, nullptr, "Folder", ""), "");
    EXPECT_EQ(Remembered(), "/remembered/folder");

    m_picker.m_answers = {m_temp / "site"};
    EXPECT_EQ(BrowseForFile(true, "", false, nullptr, "Folder", ""), m_temp / "site");
    EXPECT_EQ(Remembered(), m_temp / "site");
}

TEST_F(FileBrowsingTest, AChosenFolderShortcutGivesItsTarget)
{
    MakeFolderShortcut(m_temp / "Shortcut to site", m_temp / "site");
    EXPECT_TRUE(IsFolderShortcut(m_temp / "Shortcut to site"));
    EXPECT_FALSE(IsFolderShortcut(m_temp / "site"));

    m_picker.m_answers = {m_temp / "Shortcut to site"};
    EXPECT_EQ(BrowseForFolder("", "", nullptr), m_temp / "site");

    // A folder that merely holds a link, without the shortcut's marking, is
    // an ordinary folder.
    ::mkdir((m_temp / "plain").c_str(), 0700);
    WriteWhole(m_temp / "plain/target.lnk", MakeShellLink({"/elsewhere", "", true, {}, {}}));
    m_picker.m_answers = {m_temp / "plain"};
    EXPECT_EQ(BrowseForFolder("", "", nullptr), m_temp / "plain");

    // A shortcut whose link cannot be read leaves the folder as chosen.
    MakeFolderShortcut(m_temp / "broken", "/x");
    WriteWhole(m_temp / "broken/target.lnk", "not a link");
    m_picker.m_answers = {m_temp / "broken"};
    EXPECT_EQ(BrowseForFolder("", "", nullptr), m_temp / "broken");
}

const char* TitleOf(unsigned id)
{
    return id == 4711 ? "Choose the download folder" : nullptr;
}

TEST_F(FileBrowsingTest, BrowsingIntoAWindowStartsAtItsTextAndACancelKeepsIt)
{
    CRecordingWindow dialog;
    CRecordingWindow owner;
    CRecordingWindow edit;
    CFakeWindowTree tree;
    tree.Add(dialog.Handle(), nullptr);
    tree.Add(edit.Handle(), dialog.Handle(), owner.Handle());
    tree.SetText(edit.Handle(), m_temp / "site");
    SetStringTableLookup(TitleOf);

    BrowseFolderForWindow(edit.Handle(), 4711);
    ASSERT_EQ(m_picker.m_folderRequests.size(), 1u);
    EXPECT_EQ(m_picker.m_folderRequests[0].m_startFolder, m_temp / "site");
    EXPECT_EQ(m_picker.m_folderRequests[0].m_title, "Choose the download folder");
    EXPECT_EQ(m_picker.m_folderRequests[0].m_owner, owner.Handle());
    std::string text;
    ASSERT_TRUE(tree.GetText(edit.Handle(), text));
    EXPECT_EQ(text, m_temp / "site") << "cancelling wiped the field";

    m_picker.m_answers = {m_temp / "picked"};
    BrowseFolderIntoWindow(edit.Handle(), "Folder");
    ASSERT_TRUE(tree.GetText(edit.Handle(), text));
    EXPECT_EQ(text, m_temp / "picked");
    SetStringTableLookup(nullptr);
}
} // namespace
