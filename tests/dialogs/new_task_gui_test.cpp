// The New Task dialog: the action and depth it opens with and remembers, the
// depth that follows the action, the OK rule and title by address and
// action, the refusal of an empty address, the Link properties it runs on a
// copy, and Enter and Esc. Then the task General page: what it loads and
// applies, the depth's range, and Compose, which leaves local paths alone.

#include "dialogs/ComposeUrlDlg.h"
#include "dialogs/LinkGeneralPage.h"
#include "dialogs/LinkPropertiesDlg.h"
#include "dialogs/NewTaskDlg.h"
#include "dialogs/TaskGeneralPage.h"

#include "checker/TaskSettings.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/stores/Settings.h"
#include "foundation/stores/UrlHistory.h"
#include "platform/core/RecordingDesktop.h"
#include "platform/ui/RecordingModalDriver.h"
#include "res/Resources.h"

#include "tests/support/DialogInput.h"
#include "tests/support/QtApplication.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include <functional>
#include <string>

namespace
{
std::string Text(QWidget* control)
{
    if (auto* combo = qobject_cast<QComboBox*>(control))
        return combo->currentText().toStdString();
    return qobject_cast<QLineEdit*>(control)->text().toStdString();
}

// The radio button of an action, by action number.
constexpr int kActionRadios[] = {IDC_NEWTASK_CHECK, IDC_NEWTASK_BROWSE, IDC_NEWTASK_OFFLINE, IDC_NEWTASK_DOWNLOAD,
                                 IDC_NEWTASK_EDIT};

class NewTaskTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterSettings();
        RegisterTaskKeys();
        ClearHistory();
        CNewTaskDlg::ForgetRememberedDepth();
        m_settings.SetInt(SETTING_MISC_MAX_RECURSION, 4);
        m_context.m_settings = &m_settings;
        m_context.m_saveSettings = [this] {
            ++m_saves;
            return true;
        };
    }
    void TearDown() override { ClearHistory(); }

    int Run(CNewTaskDlg& dialog, const std::function<void(CNewTaskDlg&)>& script)
    {
        m_driver.SetDialogScript([&](QDialog& shown) {
            if (auto* ours = dynamic_cast<CNewTaskDlg*>(&shown))
                script(*ours);
            else if (m_other)
                m_other(shown);
        });
        return dialog.DoModal();
    }

    QApplication& m_application = TestApplication();
    CPropertySet m_settings;
    CTaskDialogContext m_context;
    CRecordingModalDriver m_driver;
    std::function<void(QDialog&)> m_other;
    int m_saves = 0;
};

TEST_F(NewTaskTest, OkAndTitleFollowTheAddressAndTheAction)
{
    struct Case
    {
        const char* m_uri;
        int m_action;
        bool m_ok;
        const char* m_title;
    };
    const Case cases[] = {
        {"", 0, false, "New task"},
        {"http://example.com/", 0, true, "New task (HTTP)"},
        {"https://example.com/", 3, true, "New task (HTTPS)"},
        {"ftp://example.com/pub/", 1, true, "New task (FTP)"},
        {"http://example.com/", 4, false, "New task (HTTP)"},
        {"/home/x/site/index.html", 4, true, "New task (local)"},
        {"~/site/index.html", 4, true, "New task (local)"},
        {"file:///home/x/site/a.html", 4, true, "New task (local)"},
        {"/home/x/site", 2, true, "New task (local)"},
        {"example.com", 4, false, "New task"},
    };
    for (const Case& c : cases)
    {
        CNewTaskDlg dialog(m_context);
        Run(dialog, [&](CNewTaskDlg& shown) {
            ClickControl(shown.GetDlgItem(kActionRadios[c.m_action]));
            TypeText(shown.GetDlgItem(IDC_NEWTASK_URI), c.m_uri);
            EXPECT_EQ(shown.GetDlgItem(IDOK)->isEnabled(), c.m_ok) << c.m_uri << " action " << c.m_action;
            EXPECT_EQ(shown.windowTitle().toStdString(), c.m_title) << c.m_uri;
            EXPECT_EQ(shown.GetDlgItem(IDC_NEWTASK_PROPERTIES)->isEnabled(), c.m_action != 4);
            EXPECT_EQ(shown.GetDlgItem(IDC_NEWTASK_FOLDER)->isEnabled(), c.m_action == 3);
            EXPECT_EQ(shown.GetDlgItem(IDC_NEWTASK_BROWSE_FOLDER)->isEnabled(), c.m_action == 3);
            // Enter goes no further than OK would.
            QTest::keyClick(shown.GetDlgItem(IDC_NEWTASK_URI), Qt::Key_Return);
            EXPECT_EQ(shown.result(), c.m_ok ? IDOK : IDCANCEL) << c.m_uri << " action " << c.m_action;
        });
        if (c.m_ok)
        {
            EXPECT_EQ(dialog.m_task.GetUrl(), c.m_uri);
            EXPECT_EQ(GetIntOr(dialog.m_task, TASK_ACTION), c.m_action);
        }
    }
    EXPECT_TRUE(m_driver.Boxes().empty());
}

TEST_F(NewTaskTest, AnAddressOfBlanksIsRefusedAndATrimmedOneTaken)
{
    CNewTaskDlg dialog(m_context);
    EXPECT_EQ(Run(dialog,
                  [&](CNewTaskDlg& shown) {
                      TypeText(shown.GetDlgItem(IDC_NEWTASK_URI), "   ");
                      ASSERT_TRUE(shown.GetDlgItem(IDOK)->isEnabled());
                      ClickControl(shown.GetDlgItem(IDOK));
                      EXPECT_EQ(shown.result(), IDCANCEL);
                      TypeText(shown.GetDlgItem(IDC_NEWTASK_URI), "  http://example.com/  ");
                      ClickControl(shown.GetDlgItem(IDOK));
                  }),
              IDOK);
    ASSERT_EQ(m_driver.Boxes().size(), 1u);
    EXPECT_EQ(m_driver.Boxes()[0].m_text, "Invalid url: <Empty>.");
    EXPECT_EQ(dialog.m_task.GetUrl(), "http://example.com/");
}

TEST_F(NewTaskTest, OpensOnTheLastActionOrTheFirstWhenTheStoredOneIsNotHers)
{
    struct Case
    {
        int m_stored;
        int m_action;
    };
    for (const Case c : {Case{3, 3}, Case{4, 4}, Case{5, 0}, Case{9, 0}, Case{-1, 0}})
    {
        m_settings.SetInt(SETTING_LINKS_DEFAULT_TASK, c.m_stored);
        m_saves = 0;
        CNewTaskDlg dialog(m_context);
        EXPECT_EQ(GetIntOr(dialog.m_task, TASK_ACTION), c.m_action) << c.m_stored;
        Run(dialog, [&](CNewTaskDlg& shown) {
            EXPECT_TRUE(qobject_cast<QRadioButton*>(shown.GetDlgItem(kActionRadios[c.m_action]))->isChecked())
                << c.m_stored;
            QTest::keyClick(shown.GetDlgItem(IDC_NEWTASK_URI), Qt::Key_Escape);
        });
        // Closing keeps the action shown, saving only when it changed.
        EXPECT_EQ(GetIntOr(m_settings, SETTING_LINKS_DEFAULT_TASK), c.m_action);
        EXPECT_EQ(m_saves, c.m_stored == c.m_action ? 0 : 1) << c.m_stored;
    }
}

TEST_F(NewTaskTest, DepthFollowsTheActionAndIsRememberedForTheNextDialog)
{
    m_settings.SetInt(SETTING_LINKS_DEFAULT_TASK, 0);
    CNewTaskDlg first(m_context);
    EXPECT_EQ(GetIntOr(first.m_task, TASK_RECURSION), 4) << "the first dialog starts from Misc/Max Recursion";
    Run(first, [&](CNewTaskDlg& shown) {
        shown.m_task.SetInt(TASK_RECURSION, 5); // as the Link properties would
        ClickControl(shown.GetDlgItem(IDC_NEWTASK_DOWNLOAD));
        EXPECT_EQ(GetIntOr(shown.m_task, TASK_RECURSION), 1000);
        ClickControl(shown.GetDlgItem(IDC_NEWTASK_BROWSE));
        EXPECT_EQ(GetIntOr(shown.m_task, TASK_RECURSION), 1);
        ClickControl(shown.GetDlgItem(IDC_NEWTASK_EDIT));
        EXPECT_EQ(GetIntOr(shown.m_task, TASK_RECURSION), 1) << "Edit changes no depth";
        ClickControl(shown.GetDlgItem(IDC_NEWTASK_CHECK));
        EXPECT_EQ(GetIntOr(shown.m_task, TASK_RECURSION), 5);
        ClickControl(shown.GetDlgItem(IDC_NEWTASK_OFFLINE));
        EXPECT_EQ(GetIntOr(shown.m_task, TASK_RECURSION), 1);
        // Through Edit and back: the depth of "Check links recursively" is kept.
        ClickControl(shown.GetDlgItem(IDC_NEWTASK_CHECK));
        shown.m_task.SetInt(TASK_RECURSION, 6);
        ClickControl(shown.GetDlgItem(IDC_NEWTASK_EDIT));
        EXPECT_EQ(GetIntOr(shown.m_task, TASK_RECURSION), 6);
        ClickControl(shown.GetDlgItem(IDC_NEWTASK_CHECK));
        EXPECT_EQ(GetIntOr(shown.m_task, TASK_RECURSION), 6);
        ClickControl(shown.GetDlgItem(IDC_NEWTASK_DOWNLOAD));
        ClickControl(shown.GetDlgItem(IDC_NEWTASK_CHECK));
        EXPECT_EQ(GetIntOr(shown.m_task, TASK_RECURSION), 6);
        ClickControl(shown.GetDlgItem(IDCANCEL));
    });
    m_settings.SetInt(SETTING_MISC_MAX_RECURSION, 9);
    CNewTaskDlg second(m_context);
    EXPECT_EQ(GetIntOr(second.m_task, TASK_RECURSION), 6) << "the depth the last dialog's task held";
}

TEST_F(NewTaskTest, OffersTheHistoryAndBrowsesIntoItsFields)
{
    GetHistoryList() = {"http://newest.example.com/", "http://older.example.com/"};
    CScriptedFilePicker picker;
    picker.m_answers = {"/srv/site/index.html", "/srv/mirror"};
    m_settings.SetInt(SETTING_LINKS_DEFAULT_TASK, 3);
    CNewTaskDlg dialog(m_context);
    EXPECT_EQ(Run(dialog,
                  [&](CNewTaskDlg& shown) {
                      auto* combo = qobject_cast<QComboBox*>(shown.GetDlgItem(IDC_NEWTASK_URI));
                      ASSERT_EQ(combo->count(), 2);
                      EXPECT_EQ(combo->itemText(0), "http://newest.example.com/");
                      EXPECT_EQ(Text(combo), "http://newest.example.com/");
                      EXPECT_EQ(shown.m_task.GetUrl(), "http://newest.example.com/");
                      EXPECT_EQ(combo->lineEdit()->maxLength(), 1024);
                      ClickControl(shown.GetDlgItem(IDC_NEWTASK_BROWSE_FILE));
                      EXPECT_EQ(shown.windowTitle(), "New task (local)");
                      ClickControl(shown.GetDlgItem(IDC_NEWTASK_BROWSE_FOLDER));
                      ClickControl(shown.GetDlgItem(IDOK));
                  }),
              IDOK);
    EXPECT_EQ(dialog.m_task.GetUrl(), "/srv/site/index.html");
    EXPECT_EQ(dialog.m_task.GetStringValue(TASK_DOWNLOAD_FOLDER), "/srv/mirror");
}

TEST_F(NewTaskTest, PropertiesEditACopyTakenBackOnlyOnOk)
{
    for (bool accept : {false, true})
    {
        m_other = [&](QDialog& shown) {
            auto& properties = dynamic_cast<CLinkPropertiesDlg&>(shown);
            TypeText(properties.GetGeneralPage()->GetDlgItem(IDC_LINKGEN_RECURSION), "33");
            ClickControl(properties.GetDlgItem(accept ? IDOK : IDCANCEL));
        };
        CNewTaskDlg dialog(m_context);
        Run(dialog, [&](CNewTaskDlg& shown) {
            TypeText(shown.GetDlgItem(IDC_NEWTASK_URI), "http://example.com/");
            ClickControl(shown.GetDlgItem(IDC_NEWTASK_PROPERTIES));
            ClickControl(shown.GetDlgItem(IDOK));
        });
        EXPECT_EQ(GetIntOr(dialog.m_task, TASK_RECURSION), accept ? 33 : 4) << accept;
        EXPECT_EQ(dialog.m_task.GetUrl(), "http://example.com/");
    }
}

class TaskGeneralPageTest : public NewTaskTest
{
protected:
    // The page inside a plain host, created as a host creates it.
    void Create(CTaskGeneralPage& page)
    {
        m_host.show();
        ASSERT_TRUE(page.CreatePage(&m_host, &m_host, 0));
    }

    CDialog m_host;
};

TEST_F(TaskGeneralPageTest, LoadsTheTaskAndAppliesATrimmedAddressAndADepthInRange)
{
    CTaskSettings task("http://example.com/");
    task.SetInt(TASK_RECURSION, 6);
    CTaskGeneralPage page(task);
    Create(page);
    EXPECT_EQ(Text(page.GetDlgItem(IDC_TASKGEN_URI)), "http://example.com/");
    EXPECT_EQ(Text(page.GetDlgItem(IDC_TASKGEN_RECURSION)), "6");
    TypeText(page.GetDlgItem(IDC_TASKGEN_URI), "  ~/site  ");
    EXPECT_TRUE(page.IsModified());
    for (const char* refused : {"0", "1001"})
    {
        TypeText(page.GetDlgItem(IDC_TASKGEN_RECURSION), refused);
        EXPECT_FALSE(page.ApplyBindings()) << refused;
    }
    ASSERT_EQ(m_driver.Boxes().size(), 2u);
    EXPECT_EQ(m_driver.Boxes()[1].m_text, "Please enter an integer between 1 and 1000.");
    TypeText(page.GetDlgItem(IDC_TASKGEN_RECURSION), "1000");
    ASSERT_TRUE(page.ApplyBindings());
    EXPECT_EQ(page.GetTask().GetUrl(), "~/site");
    EXPECT_EQ(GetIntOr(page.GetTask(), TASK_RECURSION), 1000);
    EXPECT_EQ(task.GetUrl(), "http://example.com/") << "the page works on its own copy";
}

TEST_F(TaskGeneralPageTest, ComposeBuildsARemoteAddressAndLeavesALocalPathAlone)
{
    struct Case
    {
        const char* m_before;
        bool m_runs;
        int m_protocolShown;
        const char* m_hostShown;
        const char* m_after; // after the host is changed to "b.example.org"
    };
    const Case cases[] = {
        {"/home/x/site", false, 0, "", "/home/x/site"},
        {"~/site", false, 0, "", "~/site"},
        {"file:///home/x/site", false, 0, "", "file:///home/x/site"},
        {"https://a.example.com:8443/docs/", true, 2, "a.example.com", "https://b.example.org:8443/docs/"},
        {"http://", true, 1, "", "http://b.example.org"},
    };
    for (const Case& c : cases)
    {
        CTaskGeneralPage page(CTaskSettings(c.m_before));
        Create(page);
        const int runs = m_driver.DialogRuns();
        m_other = [&](QDialog& shown) {
            auto& compose = dynamic_cast<CComposeUrlDlg&>(shown);
            EXPECT_EQ(compose.m_protocol, c.m_protocolShown) << c.m_before;
            EXPECT_EQ(compose.m_host, c.m_hostShown) << c.m_before;
            TypeText(compose.GetDlgItem(IDC_COMPOSE_HOST), "b.example.org");
            ClickControl(compose.GetDlgItem(IDOK));
        };
        m_driver.SetDialogScript([&](QDialog& shown) { m_other(shown); });
        ClickControl(page.GetDlgItem(IDC_TASKGEN_COMPOSE));
        EXPECT_EQ(m_driver.DialogRuns() - runs, c.m_runs ? 1 : 0) << c.m_before;
        EXPECT_EQ(Text(page.GetDlgItem(IDC_TASKGEN_URI)), c.m_after);
        EXPECT_EQ(page.IsModified(), c.m_runs) << c.m_before;
    }
}
} // namespace
