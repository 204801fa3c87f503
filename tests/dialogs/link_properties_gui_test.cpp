// The Link properties dialog over a copy of a task: both pages show the
// task, OK applies them and Cancel changes nothing; the depth's range, the
// POST controls, the filter lists and their masks, the remembered tab, and
// the keys (Enter, Esc, Ctrl+Tab, F1).

#include "dialogs/LinkFilterPage.h"
#include "dialogs/LinkGeneralPage.h"
#include "dialogs/LinkPropertiesDlg.h"

#include "checker/LinkNames.h"
#include "checker/TaskSettings.h"
#include "foundation/links/UrlParts.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/stores/Settings.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/RecordingModalDriver.h"
#include "res/Resources.h"

#include "tests/support/DialogInput.h"
#include "tests/support/QtApplication.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTest>

#include <functional>
#include <string>

namespace
{
bool Checked(QWidget* control)
{
    return qobject_cast<QCheckBox*>(control)->isChecked();
}

bool RowChecked(QWidget* list, int row)
{
    return qobject_cast<CListCtrl*>(list)->GetItemState(row, LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

// A task away from the defaults on every field the pages show.
CTaskSettings SampleTask()
{
    CTaskSettings task("http://example.com/");
    task.SetInt(TASK_RECURSION, 7);
    task.SetInt(TASK_FINISH_ON_MAX_REC, 1);
    task.SetInt(TASK_ENABLE_POST, 1);
    task.SetString(TASK_POST_DATA, "a=1&b=2");
    task.SetInt(TASK_USE_POST_FILE, 0);
    task.SetString(TASK_POST_FILE_PATH, "/srv/body.txt");
    CTaskFilter& filter = task.GetFilter();
    filter.SetIncludeEnabled(true);
    filter.SetIncludeText("/docs/;/blog/", ';');
    filter.SetExcludeEnabled(false);
    filter.SetExcludeText("*.zip", ';');
    filter.m_external = true;
    filter.m_keepEmptyTags = false;
    filter.m_containers = true;
    filter.m_tagMask = -1 & ~(1 << 3);
    filter.m_protocolMask = (1 << URL_SCHEME_HTTP) | (1 << URL_SCHEME_FTP);
    return task;
}

class LinkPropertiesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterTaskKeys();
        m_context.m_settings = &m_settings;
        m_context.m_saveSettings = [this] {
            ++m_saves;
            return true;
        };
        m_context.m_showSettings = [this] { ++m_settingsShown; };
    }

    // Runs the dialog on a copy of task with script acting as the user.
    bool Edit(CTaskSettings& task, const std::function<void(CLinkPropertiesDlg&)>& script)
    {
        m_driver.SetDialogScript([&](QDialog& shown) { script(static_cast<CLinkPropertiesDlg&>(shown)); });
        return EditLinkProperties(task, m_context, nullptr);
    }

    QApplication& m_application = TestApplication();
    CPropertySet m_settings;
    CTaskDialogContext m_context;
    CRecordingModalDriver m_driver;
    int m_saves = 0;
    int m_settingsShown = 0;
};

TEST_F(LinkPropertiesTest, PagesShowTheTaskAndOkAppliesWhatWasChanged)
{
    CTaskSettings task = SampleTask();
    ASSERT_TRUE(Edit(task, [&](CLinkPropertiesDlg& dialog) {
        CLinkGeneralPage& general = *dialog.GetGeneralPage();
        EXPECT_EQ(qobject_cast<QLineEdit*>(general.GetDlgItem(IDC_LINKGEN_RECURSION))->text(), "7");
        EXPECT_TRUE(Checked(general.GetDlgItem(IDC_LINKGEN_FINISH_ON_MAX)));
        EXPECT_TRUE(Checked(general.GetDlgItem(IDC_LINKGEN_POST)));
        EXPECT_EQ(qobject_cast<QPlainTextEdit*>(general.GetDlgItem(IDC_LINKGEN_POST_DATA))->toPlainText(), "a=1&b=2");
        EXPECT_EQ(qobject_cast<QLineEdit*>(general.GetDlgItem(IDC_LINKGEN_POST_FILE))->text(), "/srv/body.txt");

        dialog.SelectTab(1);
        CLinkFilterPage& filter = *dialog.GetFilterPage();
        EXPECT_TRUE(filter.isVisible());
        EXPECT_FALSE(general.isVisible());
        EXPECT_TRUE(Checked(filter.GetDlgItem(IDC_LINKFILTER_INCLUDE_ON)));
        EXPECT_EQ(qobject_cast<QLineEdit*>(filter.GetDlgItem(IDC_LINKFILTER_INCLUDE))->text(), "/docs/;/blog/;");
        EXPECT_FALSE(Checked(filter.GetDlgItem(IDC_LINKFILTER_EXCLUDE_ON)));
        EXPECT_FALSE(filter.GetDlgItem(IDC_LINKFILTER_EXCLUDE)->isEnabled());
        EXPECT_TRUE(Checked(filter.GetDlgItem(IDC_LINKFILTER_EXTERNAL)));
        EXPECT_TRUE(Checked(filter.GetDlgItem(IDC_LINKFILTER_IGNORE_EMPTY)));
        EXPECT_TRUE(Checked(filter.GetDlgItem(IDC_LINKFILTER_CONTAINERS)));
        QWidget* tags = filter.GetDlgItem(IDC_LINKFILTER_TAGS);
        ASSERT_EQ(qobject_cast<CListCtrl*>(tags)->GetItemCount(), kTagTypeCount);
        for (int row = 0; row < kTagTypeCount; ++row)
            EXPECT_EQ(RowChecked(tags, row), row != 3) << row;
        QWidget* protocols = filter.GetDlgItem(IDC_LINKFILTER_PROTOCOLS);
        EXPECT_EQ(qobject_cast<CListCtrl*>(protocols)->GetItemText(1, 0), "HTTPS");
        EXPECT_TRUE(RowChecked(protocols, 0));
        EXPECT_FALSE(RowChecked(protocols, 1));
        EXPECT_TRUE(RowChecked(protocols, 2));

        // The user's changes on both pages.
        filter.ToggleRow(IDC_LINKFILTER_TAGS, 3);
        filter.ToggleRow(IDC_LINKFILTER_TAGS, 0);
        filter.ToggleRow(IDC_LINKFILTER_PROTOCOLS, 1);
        EXPECT_TRUE(RowChecked(tags, 3));
        EXPECT_TRUE(RowChecked(protocols, 1));
        TypeText(filter.GetDlgItem(IDC_LINKFILTER_INCLUDE), "/a/;/b/");
        ClickControl(filter.GetDlgItem(IDC_LINKFILTER_EXCLUDE_ON));
        EXPECT_TRUE(filter.GetDlgItem(IDC_LINKFILTER_EXCLUDE)->isEnabled());
        ClickControl(filter.GetDlgItem(IDC_LINKFILTER_IGNORE_EMPTY));
        dialog.SelectTab(0);
        TypeText(general.GetDlgItem(IDC_LINKGEN_RECURSION), "12");
        ClickControl(general.GetDlgItem(IDC_LINKGEN_USE_FILE));
        ClickControl(dialog.GetDlgItem(IDOK));
    }));
    EXPECT_EQ(GetIntOr(task, TASK_RECURSION), 12);
    EXPECT_EQ(GetIntOr(task, TASK_USE_POST_FILE), 1);
    EXPECT_EQ(task.GetStringValue(TASK_POST_DATA), "a=1&b=2");
    const CTaskFilter& filter = task.GetFilter();
    EXPECT_EQ(filter.m_tagMask, -1 & ~1);
    EXPECT_EQ(filter.m_protocolMask, (1 << URL_SCHEME_HTTP) | (1 << URL_SCHEME_HTTPS) | (1 << URL_SCHEME_FTP));
    EXPECT_EQ(filter.GetIncludeText(';'), "/a/;/b/;") << "a text without the last ';' makes the same list";
    EXPECT_TRUE(filter.IsExcludeEnabled());
    EXPECT_EQ(filter.GetExcludeText(';'), "*.zip;");
    EXPECT_TRUE(filter.m_keepEmptyTags);
    EXPECT_TRUE(filter.m_containers);
    EXPECT_EQ(task.GetUrl(), "http://example.com/");
}

TEST_F(LinkPropertiesTest, CancelAndEscLeaveTheCallersTaskAsItWas)
{
    const CTaskSettings original = SampleTask();
    for (bool esc : {false, true})
    {
        CTaskSettings task = original;
        EXPECT_FALSE(Edit(task, [&](CLinkPropertiesDlg& dialog) {
            dialog.GetFilterPage()->ToggleRow(IDC_LINKFILTER_PROTOCOLS, 2);
            TypeText(dialog.GetGeneralPage()->GetDlgItem(IDC_LINKGEN_RECURSION), "99");
            if (esc)
                QTest::keyClick(dialog.GetGeneralPage()->GetDlgItem(IDC_LINKGEN_RECURSION), Qt::Key_Escape);
            else
                ClickControl(dialog.GetDlgItem(IDCANCEL));
        }));
        EXPECT_EQ(GetIntOr(task, TASK_RECURSION), 7);
        EXPECT_TRUE(task.GetFilter() == original.GetFilter());
    }
}

TEST_F(LinkPropertiesTest, EnterInAPageIsOkAndADepthOutOfRangeKeepsTheDialogOpen)
{
    for (const char* depth : {"0", "1001"})
    {
        CTaskSettings task = SampleTask();
        m_driver.QueueAnswer(IDOK);
        EXPECT_TRUE(Edit(task, [&](CLinkPropertiesDlg& dialog) {
            TypeText(dialog.GetGeneralPage()->GetDlgItem(IDC_LINKGEN_RECURSION), depth);
            dialog.SelectTab(1);
            QTest::keyClick(dialog.GetFilterPage()->GetDlgItem(IDC_LINKFILTER_CONTAINERS), Qt::Key_Return);
            EXPECT_EQ(dialog.result(), IDCANCEL) << depth;
            EXPECT_EQ(dialog.GetTabs()->currentIndex(), 0) << "the page with the fault comes to the front";
            TypeText(dialog.GetGeneralPage()->GetDlgItem(IDC_LINKGEN_RECURSION), "1000");
            QTest::keyClick(dialog.GetGeneralPage()->GetDlgItem(IDC_LINKGEN_RECURSION), Qt::Key_Return);
        }));
        EXPECT_EQ(GetIntOr(task, TASK_RECURSION), 1000);
    }
    ASSERT_EQ(m_driver.Boxes().size(), 2u);
    EXPECT_EQ(m_driver.Boxes()[0].m_text, "Please enter an integer between 1 and 1000.");
}

TEST_F(LinkPropertiesTest, PostControlsFollowTheirCheckBoxes)
{
    struct Case
    {
        bool m_post;
        bool m_useFile;
        bool m_data;     // label and text
        bool m_fileBox;  // "Use file"
        bool m_filePath; // path and browse
    };
    const Case cases[] = {
        {false, false, false, false, false},
        {false, true, false, false, false},
        {true, false, true, true, false},
        {true, true, false, true, true},
    };
    for (const Case& c : cases)
    {
        CTaskSettings task = SampleTask();
        task.SetInt(TASK_ENABLE_POST, 0);
        task.SetInt(TASK_USE_POST_FILE, 0);
        Edit(task, [&](CLinkPropertiesDlg& dialog) {
            CLinkGeneralPage& page = *dialog.GetGeneralPage();
            if (c.m_useFile)
            {
                // The file box is clicked while POST is still on.
                ClickControl(page.GetDlgItem(IDC_LINKGEN_POST));
                ClickControl(page.GetDlgItem(IDC_LINKGEN_USE_FILE));
                ClickControl(page.GetDlgItem(IDC_LINKGEN_POST));
            }
            if (c.m_post)
                ClickControl(page.GetDlgItem(IDC_LINKGEN_POST));
            const std::string at = std::to_string(c.m_post) + std::to_string(c.m_useFile);
            EXPECT_EQ(page.GetDlgItem(IDC_LINKGEN_POST_DATA_LABEL)->isEnabled(), c.m_data) << at;
            EXPECT_EQ(page.GetDlgItem(IDC_LINKGEN_POST_DATA)->isEnabled(), c.m_data) << at;
            EXPECT_EQ(page.GetDlgItem(IDC_LINKGEN_USE_FILE)->isEnabled(), c.m_fileBox) << at;
            EXPECT_EQ(page.GetDlgItem(IDC_LINKGEN_POST_FILE)->isEnabled(), c.m_filePath) << at;
            EXPECT_EQ(page.GetDlgItem(IDC_LINKGEN_BROWSE)->isEnabled(), c.m_filePath) << at;
        });
    }
}

TEST_F(LinkPropertiesTest, ProtocolListFollowsExternalLinksAndKeepsItsMask)
{
    CTaskSettings task = SampleTask();
    const int32_t mask = task.GetFilter().m_protocolMask;
    ASSERT_TRUE(Edit(task, [&](CLinkPropertiesDlg& dialog) {
        dialog.SelectTab(1);
        CLinkFilterPage& page = *dialog.GetFilterPage();
        EXPECT_TRUE(page.GetDlgItem(IDC_LINKFILTER_PROTOCOLS)->isEnabled());
        ClickControl(page.GetDlgItem(IDC_LINKFILTER_EXTERNAL));
        EXPECT_FALSE(page.GetDlgItem(IDC_LINKFILTER_PROTOCOLS)->isEnabled());
        ClickControl(page.GetDlgItem(IDC_LINKFILTER_INCLUDE_ON));
        EXPECT_FALSE(page.GetDlgItem(IDC_LINKFILTER_INCLUDE)->isEnabled());
        ClickControl(dialog.GetDlgItem(IDOK));
    }));
    EXPECT_FALSE(task.GetFilter().m_external);
    EXPECT_FALSE(task.GetFilter().IsIncludeEnabled());
    EXPECT_EQ(task.GetFilter().GetIncludeText(';'), "/docs/;/blog/;");
    EXPECT_EQ(task.GetFilter().m_protocolMask, mask);
}

TEST_F(LinkPropertiesTest, OpensOnTheStoredTabAndKeepsTheLastOne)
{
    struct Case
    {
        int m_stored;
        int m_opened;
        int m_closedOn;
        int m_saves; // the tab differs from the stored value
    };
    const Case cases[] = {{1, 1, 1, 0}, {5, 0, 0, 1}, {-1, 0, 1, 1}, {0, 0, 0, 0}};
    for (const Case& c : cases)
    {
        m_settings.SetInt(SETTING_MISC_PROPERTY_PAGE, c.m_stored);
        m_saves = 0;
        CTaskSettings task = SampleTask();
        Edit(task, [&](CLinkPropertiesDlg& dialog) {
            EXPECT_EQ(dialog.GetTabs()->currentIndex(), c.m_opened) << c.m_stored;
            EXPECT_EQ(dialog.GetFilterPage()->isVisible(), c.m_opened == 1);
            dialog.SelectTab(c.m_closedOn);
            ClickControl(dialog.GetDlgItem(IDCANCEL));
        });
        EXPECT_EQ(GetIntOr(m_settings, SETTING_MISC_PROPERTY_PAGE), c.m_closedOn) << c.m_stored;
        EXPECT_EQ(m_saves, c.m_saves) << c.m_stored;
    }
}

TEST_F(LinkPropertiesTest, CtrlTabStepsRoundTheTabsAndHelpAndSettingsAreAsked)
{
    CTaskSettings task = SampleTask();
    Edit(task, [&](CLinkPropertiesDlg& dialog) {
        QWidget* depth = dialog.GetGeneralPage()->GetDlgItem(IDC_LINKGEN_RECURSION);
        QTest::keyClick(depth, Qt::Key_Tab, Qt::ControlModifier);
        EXPECT_EQ(dialog.GetTabs()->currentIndex(), 1);
        EXPECT_TRUE(dialog.GetFilterPage()->isVisible());
        EXPECT_FALSE(dialog.GetGeneralPage()->isEnabled());
        QWidget* external = dialog.GetFilterPage()->GetDlgItem(IDC_LINKFILTER_EXTERNAL);
        QTest::keyClick(external, Qt::Key_Tab, Qt::ControlModifier);
        EXPECT_EQ(dialog.GetTabs()->currentIndex(), 0) << "after the last tab, the first";
        QTest::keyClick(depth, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(dialog.GetTabs()->currentIndex(), 1) << "before the first tab, the last";
        QTest::keyClick(&dialog, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(dialog.GetTabs()->currentIndex(), 0);
        QTest::keyClick(&dialog, Qt::Key_F1);
        ClickControl(dialog.GetDlgItem(IDC_LINKPROP_HELP));
        ClickControl(dialog.GetDlgItem(IDC_LINKPROP_SETTINGS));
        ClickControl(dialog.GetDlgItem(IDCANCEL));
    });
    EXPECT_EQ(m_driver.HelpRequests(), (std::vector<UINT>{IDD_LINK_PROPERTIES, IDD_LINK_PROPERTIES}));
    EXPECT_EQ(m_settingsShown, 1);
}
} // namespace
