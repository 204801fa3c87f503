// The Cache dialog over a real cache folder: the rows (protocol folders in
// their order, site folders only, links left out), Clean and Clean All with
// their questions, and that nothing outside the cache folder is ever
// deleted, through a link inside a site, a link in place of a site or a
// protocol folder swapped for a link after the list was filled.

#include "dialogs/CacheDlg.h"

#include "platform/core/Text.h"
#include "platform/ui/RecordingModalDriver.h"
#include "res/Resources.h"
#include "widgets/OwnerDrawListCtrl.h"

#include "tests/support/QtApplication.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <QTest>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;

void MakeFile(const std::string& path)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path) << "x";
}

std::vector<std::string> Rows(CCacheDlg& dialog)
{
    std::vector<std::string> rows;
    for (int row = 0; row < dialog.GetList()->GetItemCount(); ++row)
        rows.push_back(dialog.GetList()->GetItemText(row, 0));
    return rows;
}

void Click(CDialog& dialog, int id)
{
    QWidget* button = dialog.GetDlgItem(id);
    ASSERT_NE(button, nullptr) << id;
    ASSERT_TRUE(button->isEnabled()) << id;
    QTest::mouseClick(button, Qt::LeftButton);
}

void Select(CCacheDlg& dialog, int row)
{
    dialog.GetList()->SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
}

// Two HTTP sites and an FTP site, a stray file among the HTTPS sites, and
// two links leading out to the outside folder: one inside a site, one in
// place of a site.
void BuildCache(const std::string& cache, const std::string& outside)
{
    MakeFile(cache + "/http/one.example/index.html");
    MakeFile(cache + "/http/two.example/a/b.html");
    MakeFile(cache + "/ftp/files.example/readme.txt");
    MakeFile(cache + "/https/stray-file.txt");
    MakeFile(outside + "/keep.txt");
    MakeFile(outside + "/one.example/keep.txt");
    fs::create_directory_symlink(outside, cache + "/http/one.example/out");
    fs::create_directory_symlink(outside, cache + "/http/linked.example");
}

void ExpectOutsideIntact(const std::string& outside)
{
    EXPECT_TRUE(fs::exists(outside + "/keep.txt"));
    EXPECT_TRUE(fs::exists(outside + "/one.example/keep.txt"));
}

class CacheDialogTest : public ::testing::Test
{
protected:
    void SetUp() override { BuildCache(m_cache, m_outside); }

    // Runs the dialog over folder with script acting as the user.
    void Run(const std::string& folder, const std::function<void(CCacheDlg&)>& script)
    {
        CCacheDlg dialog(folder);
        m_driver.SetDialogScript([&](QDialog&) { script(dialog); });
        dialog.DoModal();
    }

    QApplication& m_application = TestApplication();
    CRecordingModalDriver m_driver;
    CTempFolder m_temp;
    std::string m_cache = m_temp / "cache";
    std::string m_outside = m_temp / "outside";
};

TEST_F(CacheDialogTest, RowsAreSiteFoldersByProtocolAndCleanAllLeavesTheOutsideAlone)
{
    Run(m_cache, [&](CCacheDlg& dialog) {
        EXPECT_EQ(Rows(dialog), (std::vector<std::string>{"http://one.example", "http://two.example",
                                                            "ftp://files.example"}));
        EXPECT_EQ(dialog.GetRowPaths()[2], m_cache + "/ftp/files.example");
        EXPECT_FALSE(dialog.GetDlgItem(IDC_CACHE_CLEAN)->isEnabled()); // nothing selected
        EXPECT_TRUE(dialog.GetDlgItem(IDC_CACHE_CLEAN_ALL)->isEnabled());
        Click(dialog, IDC_CACHE_CLEAN_ALL); // the driver answers Yes
        ASSERT_EQ(m_driver.Boxes().size(), 1u);
        EXPECT_EQ(m_driver.Boxes()[0].m_text, LoadResourceString(IDS_ASK_CLEAN_CACHE));
        EXPECT_TRUE(Rows(dialog).empty());
        EXPECT_FALSE(dialog.GetDlgItem(IDC_CACHE_CLEAN_ALL)->isEnabled());
        Click(dialog, IDCANCEL);
    });
    EXPECT_FALSE(fs::exists(m_cache + "/http/one.example"));
    EXPECT_FALSE(fs::exists(m_cache + "/ftp/files.example"));
    EXPECT_TRUE(fs::is_symlink(m_cache + "/http/linked.example")); // never a row, never touched
    EXPECT_TRUE(fs::exists(m_cache + "/https/stray-file.txt"));
    ExpectOutsideIntact(m_outside);
}

TEST_F(CacheDialogTest, CleanAllAnsweredNoDeletesNothing)
{
    m_driver.QueueAnswer(IDNO);
    Run(m_cache, [&](CCacheDlg& dialog) {
        Click(dialog, IDC_CACHE_CLEAN_ALL);
        EXPECT_EQ(Rows(dialog).size(), 3u);
    });
    EXPECT_TRUE(fs::exists(m_cache + "/http/one.example/index.html"));
}

TEST_F(CacheDialogTest, CleanDeletesTheSelectedSiteOnly)
{
    Run(m_cache, [&](CCacheDlg& dialog) {
        Select(dialog, 1);
        Click(dialog, IDC_CACHE_CLEAN);
        EXPECT_EQ(Rows(dialog), (std::vector<std::string>{"http://one.example", "ftp://files.example"}));
        EXPECT_TRUE(m_driver.Boxes().empty());
    });
    EXPECT_FALSE(fs::exists(m_cache + "/http/two.example"));
    EXPECT_TRUE(fs::exists(m_cache + "/http/one.example/index.html"));
}

TEST_F(CacheDialogTest, AProtocolFolderSwappedForALinkIsNeverEntered)
{
    struct Case
    {
        const char* m_name;
        bool m_all;        // Clean All, else Clean of the first row alone
        int m_answer;      // to the question after the first failed row
        size_t m_boxes;    // message boxes shown in all
        bool m_ftpDeleted;
    };
    const Case cases[] = {
        {"clean one row: only the message", false, 0, 1, false},
        {"clean all, go on", true, IDYES, 3, true},
        {"clean all, stop", true, IDNO, 2, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.m_name);
        CTempFolder temp;
        const std::string cache = temp / "cache";
        const std::string outside = temp / "outside";
        BuildCache(cache, outside);
        CRecordingModalDriver driver;
        if (c.m_all)
        {
            driver.QueueAnswer(IDYES); // delete all?
            driver.QueueAnswer(c.m_answer);
        }
        CCacheDlg dialog(cache);
        driver.SetDialogScript([&](QDialog&) {
            ASSERT_EQ(Rows(dialog).size(), 3u);
            // After the fill the http folder becomes a link to the outside
            // folder, which holds a folder named as a listed site.
            fs::rename(cache + "/http", temp / "http-real");
            fs::create_directory_symlink(outside, cache + "/http");
            if (c.m_all)
            {
                Click(dialog, IDC_CACHE_CLEAN_ALL);
            }
            else
            {
                Select(dialog, 0);
                Click(dialog, IDC_CACHE_CLEAN);
            }
        });
        dialog.DoModal();
        const std::string failed = cache + "/http/one.example";
        ASSERT_EQ(driver.Boxes().size(), c.m_boxes);
        const CRecordingModalDriver::Box& box = driver.Boxes()[c.m_all ? 1 : 0];
        EXPECT_EQ(box.m_text, Format(LoadResourceString(c.m_all ? IDS_CANNOT_DELETE_CONTINUE : IDS_CANNOT_DELETE),
                                     failed.c_str()));
        EXPECT_EQ(box.m_type & MB_TYPEMASK, c.m_all ? MB_YESNO : MB_OK);
        EXPECT_EQ(fs::exists(cache + "/ftp/files.example"), !c.m_ftpDeleted);
        ExpectOutsideIntact(outside);
        EXPECT_TRUE(fs::exists(temp / "http-real/two.example/a/b.html"));
    }
}

TEST_F(CacheDialogTest, NoCacheFolderOrAnEmptyOneShowsNoRows)
{
    // The program's working folder holds what looks like a cache: without a
    // cache folder it must not be read (let alone offered for deletion).
    MakeFile(m_temp / "work/http/here.example/page.html");
    struct CWorkingFolder
    {
        explicit CWorkingFolder(const std::string& folder) : m_previous(fs::current_path())
        {
            fs::current_path(folder);
        }
        ~CWorkingFolder() { fs::current_path(m_previous); }
        fs::path m_previous;
    } working(m_temp / "work");
    fs::create_directories(m_temp / "empty");
    for (const std::string& folder : {std::string(), m_temp / "empty", m_temp / "missing"})
    {
        SCOPED_TRACE(folder);
        Run(folder, [&](CCacheDlg& dialog) {
            EXPECT_TRUE(Rows(dialog).empty());
            EXPECT_FALSE(dialog.GetDlgItem(IDC_CACHE_CLEAN_ALL)->isEnabled());
            dialog.OnCleanAll();
        });
    }
    EXPECT_TRUE(m_driver.Boxes().empty());
    EXPECT_TRUE(fs::exists(m_temp / "work/http/here.example/page.html"));
}
} // namespace
