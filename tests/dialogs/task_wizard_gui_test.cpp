// The Select New Action dialog and the task wizard, driven as a user does:
// an action chosen in the list, the wizard walked page by page to Finish
// (a web site, a local folder, a URL list), and the task it makes compared
// with the same task written by hand as a project file. Enter never ends
// the wizard; Finish is the last page, whatever the button says.

#include "dialogs/LinkGeneralPage.h"
#include "dialogs/LinkPropertiesDlg.h"
#include "dialogs/SelectActionDlg.h"
#include "dialogs/TaskWizardDlg.h"

#include "checker/TaskSettings.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/stores/Settings.h"
#include "platform/core/Archive.h"
#include "platform/core/RecordingDesktop.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/RecordingModalDriver.h"
#include "res/Resources.h"

#include "tests/support/DialogInput.h"
#include "tests/support/QtApplication.h"
#include "tests/support/SampleHome.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <fstream>
#include <functional>
#include <string>

namespace
{
std::string ProjectText(CTaskSettings task)
{
    CArchive ar;
    EXPECT_TRUE(task.Serialize(ar));
    return std::string(ar.Data().begin(), ar.Data().end());
}

QWidget* PageItem(CTaskWizardDlg& wizard, int id)
{
    CWizardPage* page = wizard.GetCurrentPage();
    return page ? page->GetDlgItem(id) : nullptr;
}

QString NextText(CTaskWizardDlg& wizard)
{
    return qobject_cast<QPushButton*>(wizard.GetDlgItem(IDC_WIZARD_NEXT))->text();
}

// What the user gives the wizard.
struct WizardInput
{
    std::string m_url;
    const char* m_verdict; // the verdict's first line
    std::string m_depth;
    bool m_external = false;
    std::string m_folder; // typed for a download only
};

void WalkWizard(CTaskWizardDlg& wizard, const WizardInput& input)
{
    ASSERT_EQ(wizard.GetCurrentIndex(), 0);
    EXPECT_FALSE(wizard.GetDlgItem(IDC_WIZARD_BACK)->isEnabled());
    ClickControl(wizard.GetDlgItem(IDC_WIZARD_NEXT));
    ASSERT_EQ(wizard.GetCurrentPage()->GetPath(), "url");
    EXPECT_FALSE(wizard.GetDlgItem(IDC_WIZARD_NEXT)->isEnabled()) << "an empty address cannot go on";
    TypeText(PageItem(wizard, IDC_WIZARD_URL), input.m_url);
    const QString verdict = qobject_cast<QLabel*>(PageItem(wizard, IDC_WIZARD_VERDICT))->text();
    EXPECT_TRUE(verdict.startsWith(input.m_verdict)) << verdict.toStdString();
    ASSERT_TRUE(wizard.GetDlgItem(IDC_WIZARD_NEXT)->isEnabled());
    ClickControl(wizard.GetDlgItem(IDC_WIZARD_NEXT));
    ASSERT_EQ(wizard.GetCurrentPage()->GetPath(), "param");
    EXPECT_EQ(NextText(wizard), "Finish");
    TypeText(PageItem(wizard, IDC_WIZARD_RECURSION), input.m_depth);
    auto* external = qobject_cast<QCheckBox*>(PageItem(wizard, IDC_WIZARD_EXTERNAL));
    if (external->isChecked() != input.m_external)
        ClickControl(external);
    if (!input.m_folder.empty())
        TypeText(PageItem(wizard, IDC_WIZARD_FOLDER), input.m_folder);
    ClickControl(wizard.GetDlgItem(IDC_WIZARD_NEXT));
}

class TaskWizardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        MakeSampleHome(m_env, m_temp);
        std::ofstream(m_temp / "sites.urls") << "http://example.com/\n";
        RegisterSettings();
        RegisterTaskKeys();
        m_settings.SetString(SETTING_MISC_DOWNLOAD_FOLDER, (m_temp / "downloads").c_str());
        m_context.m_settings = &m_settings;
    }

    // Runs the Select New Action dialog; each dialog it opens meets the
    // script for its kind.
    int RunSelect(CSelectActionDlg& dialog, const std::function<void(CSelectActionDlg&)>& select,
                  const std::function<void(CTaskWizardDlg&)>& wizard = {})
    {
        m_driver.SetDialogScript([&](QDialog& shown) {
            if (auto* selectDialog = dynamic_cast<CSelectActionDlg*>(&shown))
                select(*selectDialog);
            else if (auto* wizardDialog = dynamic_cast<CTaskWizardDlg*>(&shown); wizardDialog && wizard)
                wizard(*wizardDialog);
        });
        return dialog.DoModal();
    }

    static void Choose(CSelectActionDlg& dialog, int row)
    {
        dialog.GetList()->SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ClickControl(dialog.GetDlgItem(IDOK));
    }

    QApplication& m_application = TestApplication();
    CTempFolder m_temp;
    ScopedEnvironment m_env;
    CPropertySet m_settings;
    CTaskDialogContext m_context;
    CRecordingModalDriver m_driver;
};

TEST_F(TaskWizardTest, WalkedToFinishMakesTheTaskItsProjectFileDescribes)
{
    struct Case
    {
        int m_action;
        WizardInput m_input;
    };
    const Case cases[] = {
        {0, {"http://example.com/", "URL protocol: HTTP", "3", true, ""}},
        {3, {m_temp / "site", "Existing local folder", "1000", false, m_temp / "mirror"}},
        {0, {"~/sites.urls", "Existing local file", "2", false, ""}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.m_input.m_url);
        CSelectActionDlg dialog(m_context);
        int wizardResult = 0;
        ASSERT_EQ(RunSelect(
                      dialog, [&](CSelectActionDlg& shown) { Choose(shown, c.m_action); },
                      [&](CTaskWizardDlg& wizard) {
                          WalkWizard(wizard, c.m_input);
                          wizardResult = wizard.result();
                      }),
                  IDOK);
        EXPECT_EQ(wizardResult, IDOK);
        const CTaskSettings& made = dialog.m_task;
        EXPECT_EQ(GetIntOr(made, TASK_ACTION), c.m_action);
        EXPECT_EQ(made.GetStringValue(TASK_DOWNLOAD_FOLDER),
                  c.m_input.m_folder.empty() ? m_temp / "downloads" : c.m_input.m_folder);
        EXPECT_EQ(GetIntOr(m_settings, SETTING_LINKS_DEFAULT_TASK), c.m_action);

        // The same task written by hand: the project files agree byte for
        // byte, and the file reads back into the task the wizard made.
        CTaskSettings expected(c.m_input.m_url);
        expected.SetInt(TASK_RECURSION, std::stoi(c.m_input.m_depth));
        expected.SetString(TASK_NAME, c.m_input.m_url.c_str());
        expected.SetInt(TASK_FILTER_EXTERNAL, c.m_input.m_external ? 1 : 0);
        const std::string project = ProjectText(made);
        EXPECT_EQ(project, ProjectText(expected));
        const std::string path = m_temp / "task.vbb";
        std::ofstream(path, std::ios::binary) << project;
        std::ifstream in(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        CTaskSettings opened;
        CArchive ar(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
        ASSERT_TRUE(opened.Serialize(ar));
        EXPECT_EQ(opened.GetUrl(), c.m_input.m_url);
        EXPECT_EQ(opened.GetStringValue(TASK_NAME), c.m_input.m_url);
        EXPECT_EQ(GetIntOr(opened, TASK_RECURSION), std::stoi(c.m_input.m_depth));
        EXPECT_EQ(opened.GetFilter().m_external, c.m_input.m_external);
    }
}

TEST_F(TaskWizardTest, EnterNeverEndsTheWizardAndEscCancelsIt)
{
    CTaskWizardDlg wizard(m_context);
    wizard.m_task.SetInt(TASK_ACTION, 0);
    m_driver.SetDialogScript([&](QDialog&) {
        ClickControl(wizard.GetDlgItem(IDC_WIZARD_NEXT));
        TypeText(PageItem(wizard, IDC_WIZARD_URL), "http://example.com/");
        QTest::keyClick(PageItem(wizard, IDC_WIZARD_URL), Qt::Key_Return);
        EXPECT_EQ(wizard.GetCurrentIndex(), 1);
        ClickControl(wizard.GetDlgItem(IDC_WIZARD_NEXT));
        ASSERT_TRUE(wizard.IsLastPage());
        for (int key : {Qt::Key_Return, Qt::Key_Enter})
        {
            QTest::keyClick(PageItem(wizard, IDC_WIZARD_RECURSION), static_cast<Qt::Key>(key));
            QTest::keyClick(&wizard, static_cast<Qt::Key>(key));
            wizard.GetDlgItem(IDC_WIZARD_NEXT)->setFocus();
            QTest::keyClick(wizard.GetDlgItem(IDC_WIZARD_NEXT), static_cast<Qt::Key>(key));
        }
        EXPECT_TRUE(wizard.isVisible());
        EXPECT_EQ(wizard.result(), IDCANCEL);
        QTest::keyClick(PageItem(wizard, IDC_WIZARD_RECURSION), Qt::Key_Escape);
    });
    EXPECT_EQ(wizard.DoModal(), IDCANCEL);
    EXPECT_TRUE(wizard.m_task.GetStringValue(TASK_NAME).empty()) << "only Finish names the task";
}

TEST_F(TaskWizardTest, FinishIsTheLastPageNotTheButtonsText)
{
    CTaskWizardDlg wizard(m_context);
    m_driver.SetDialogScript([&](QDialog&) {
        auto* next = qobject_cast<QPushButton*>(wizard.GetDlgItem(IDC_WIZARD_NEXT));
        ClickControl(next);
        TypeText(PageItem(wizard, IDC_WIZARD_URL), "http://example.com/");
        next->setText("Finish");
        ClickControl(next);
        EXPECT_EQ(wizard.GetCurrentPage()->GetPath(), "param") << "a button reading Finish is still Next";
        EXPECT_EQ(wizard.result(), IDCANCEL);
        // Back from the last page restores the Next text.
        ClickControl(wizard.GetDlgItem(IDC_WIZARD_BACK));
        EXPECT_EQ(wizard.GetCurrentIndex(), 1);
        EXPECT_EQ(NextText(wizard), "&Next >");
    });
    EXPECT_EQ(wizard.DoModal(), IDCANCEL);
}

TEST_F(TaskWizardTest, NextWaitsForAnAcceptedAddressAndARecursionInRange)
{
    CTaskWizardDlg wizard(m_context);
    m_driver.SetDialogScript([&](QDialog&) {
        QWidget* next = wizard.GetDlgItem(IDC_WIZARD_NEXT);
        ClickControl(next);
        for (const char* refused : {"http://", "http://example.com:70000/"})
        {
            TypeText(PageItem(wizard, IDC_WIZARD_URL), refused);
            EXPECT_FALSE(next->isEnabled()) << refused;
        }
        TypeText(PageItem(wizard, IDC_WIZARD_URL), "/no/such/place");
        EXPECT_TRUE(next->isEnabled());
        EXPECT_TRUE(qobject_cast<QLabel*>(PageItem(wizard, IDC_WIZARD_VERDICT))
                        ->text()
                        .startsWith("Unknown local file or folder"));
        ClickControl(next);
        for (const char* depth : {"0", "1001", "x"})
        {
            TypeText(PageItem(wizard, IDC_WIZARD_RECURSION), depth);
            ClickControl(next);
            EXPECT_EQ(wizard.result(), IDCANCEL) << depth;
        }
        TypeText(PageItem(wizard, IDC_WIZARD_RECURSION), "1000");
        ClickControl(next);
    });
    EXPECT_EQ(wizard.DoModal(), IDOK);
    ASSERT_EQ(m_driver.Boxes().size(), 3u);
    EXPECT_EQ(m_driver.Boxes()[0].m_text, "Please enter an integer between 1 and 1000.");
    EXPECT_EQ(m_driver.Boxes()[2].m_text, "Please enter an integer.");
    EXPECT_EQ(wizard.m_task.GetUrl(), "/no/such/place");
    EXPECT_EQ(GetIntOr(wizard.m_task, TASK_RECURSION), 1000);
}

TEST_F(TaskWizardTest, DownloadPathControlsFollowTheAction)
{
    for (int action : {1, 3})
    {
        CTaskWizardDlg wizard(m_context);
        wizard.m_task.SetInt(TASK_ACTION, action);
        m_driver.SetDialogScript([&](QDialog&) {
            ClickControl(wizard.GetDlgItem(IDC_WIZARD_NEXT));
            TypeText(PageItem(wizard, IDC_WIZARD_URL), "http://example.com/");
            ClickControl(wizard.GetDlgItem(IDC_WIZARD_NEXT));
            for (int id : {IDC_WIZARD_FOLDER_LABEL, IDC_WIZARD_FOLDER, IDC_WIZARD_BROWSE_FOLDER})
                EXPECT_EQ(PageItem(wizard, id)->isEnabled(), action == 3) << action << " " << id;
            EXPECT_EQ(PageItem(wizard, IDC_WIZARD_FOLDER)->toolTip().isEmpty(), action != 3);
            EXPECT_EQ(PageItem(wizard, IDC_WIZARD_RECURSION)->toolTip(), "Enter maximum link recursion here");
        });
        EXPECT_EQ(wizard.DoModal(), IDCANCEL);
    }
}

TEST_F(TaskWizardTest, BrowseAndPropertiesFillTheTask)
{
    CScriptedFilePicker picker;
    picker.m_answers = {m_temp / "site/index.html", m_temp / "mirror"};
    CTaskWizardDlg wizard(m_context);
    wizard.m_task.SetInt(TASK_ACTION, 3);
    m_driver.SetDialogScript([&](QDialog& shown) {
        if (auto* properties = dynamic_cast<CLinkPropertiesDlg*>(&shown))
        {
            TypeText(properties->GetGeneralPage()->GetDlgItem(IDC_LINKGEN_RECURSION), "7");
            ClickControl(properties->GetDlgItem(IDOK));
            return;
        }
        ClickControl(wizard.GetDlgItem(IDC_WIZARD_NEXT));
        ClickControl(PageItem(wizard, IDC_WIZARD_BROWSE_FILE));
        EXPECT_EQ(qobject_cast<QLineEdit*>(PageItem(wizard, IDC_WIZARD_URL))->text().toStdString(),
                  m_temp / "site/index.html");
        EXPECT_TRUE(qobject_cast<QLabel*>(PageItem(wizard, IDC_WIZARD_VERDICT))->text().startsWith("Existing local file"));
        ClickControl(wizard.GetDlgItem(IDC_WIZARD_NEXT));
        ClickControl(PageItem(wizard, IDC_WIZARD_BROWSE_FOLDER));
        ClickControl(PageItem(wizard, IDC_WIZARD_PROPERTIES));
        EXPECT_EQ(qobject_cast<QLineEdit*>(PageItem(wizard, IDC_WIZARD_RECURSION))->text(), "7");
        ClickControl(wizard.GetDlgItem(IDC_WIZARD_NEXT));
    });
    ASSERT_EQ(wizard.DoModal(), IDOK);
    EXPECT_EQ(wizard.m_task.GetUrl(), m_temp / "site/index.html");
    EXPECT_EQ(wizard.m_task.GetStringValue(TASK_DOWNLOAD_FOLDER), m_temp / "mirror");
    EXPECT_EQ(GetIntOr(wizard.m_task, TASK_RECURSION), 7);
}

TEST_F(TaskWizardTest, SelectActionOpensOnTheLastActionAndStaysOpenWhenAStepIsCancelled)
{
    struct Case
    {
        int m_stored;
        int m_selected;
    };
    for (const Case c : {Case{9, 0}, Case{-1, 0}, Case{4, 4}, Case{5, 5}})
    {
        m_settings.SetInt(SETTING_LINKS_DEFAULT_TASK, c.m_stored);
        CSelectActionDlg dialog(m_context);
        RunSelect(dialog, [&](CSelectActionDlg& shown) {
            EXPECT_EQ(shown.GetList()->GetNextItem(-1, LVNI_SELECTED), c.m_selected) << c.m_stored;
            EXPECT_TRUE(shown.GetDlgItem(IDOK)->isEnabled());
            shown.GetList()->SetItemState(c.m_selected, 0, LVIS_SELECTED);
            EXPECT_FALSE(shown.GetDlgItem(IDOK)->isEnabled()) << "OK needs a chosen action";
        });
    }

    // A cancelled wizard and a cancelled file choice leave the dialog open.
    CScriptedFilePicker picker;
    CSelectActionDlg dialog(m_context);
    int wizards = 0;
    EXPECT_EQ(RunSelect(
                  dialog,
                  [&](CSelectActionDlg& shown) {
                      Choose(shown, 2);
                      Choose(shown, 4);
                      EXPECT_EQ(shown.result(), IDCANCEL);
                      EXPECT_TRUE(shown.isVisible());
                      picker.m_answers = {m_temp / "site/index.html"};
                      Choose(shown, 4);
                  },
                  [&](CTaskWizardDlg& wizard) {
                      ++wizards;
                      QTest::keyClick(&wizard, Qt::Key_Escape);
                  }),
              IDOK);
    EXPECT_EQ(wizards, 1);
    EXPECT_EQ(GetIntOr(dialog.m_task, TASK_ACTION), 4);
    EXPECT_EQ(dialog.m_task.GetUrl(), m_temp / "site/index.html");
    ASSERT_EQ(picker.m_fileRequests.size(), 2u);
    EXPECT_EQ(picker.m_fileRequests[0].m_filter,
              "HTML Files (*.html;*.htm)|*.html;*.htm|Text Files (*.txt)|*.txt|All Files (*.*)|*.*||");
}

TEST_F(TaskWizardTest, NewPageNeedsNothingMoreAndEscCancels)
{
    // A double click on an action accepts it.
    CSelectActionDlg page(m_context);
    EXPECT_EQ(RunSelect(page,
                        [](CSelectActionDlg& shown) {
                            shown.SetListView(2);
                            QRect row;
                            ASSERT_TRUE(shown.GetList()->GetItemRect(5, row, LVIR_LABEL));
                            // A double click is a click and then the second press.
                            QWidget* rows = shown.GetList()->ReportView()->viewport();
                            QTest::mouseClick(rows, Qt::LeftButton, {}, row.center());
                            QTest::mouseDClick(rows, Qt::LeftButton, {}, row.center());
                        }),
              IDOK);
    EXPECT_EQ(GetIntOr(page.m_task, TASK_ACTION), 5);
    EXPECT_TRUE(page.m_task.GetUrl().empty());

    // Enter on the list accepts the chosen action once: one wizard, which
    // the user cancels, and the dialog is still open.
    CSelectActionDlg entered(m_context);
    int wizards = 0;
    RunSelect(
        entered,
        [&](CSelectActionDlg& shown) {
            shown.GetList()->SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            shown.GetList()->RowsWidget()->setFocus();
            QTest::keyClick(shown.GetList()->RowsWidget(), Qt::Key_Return);
            EXPECT_EQ(wizards, 1);
            EXPECT_EQ(shown.result(), IDCANCEL);
        },
        [&](CTaskWizardDlg& wizard) {
            ++wizards;
            EXPECT_EQ(GetIntOr(wizard.m_task, TASK_ACTION), 1);
            ClickControl(wizard.GetDlgItem(IDCANCEL));
        });

    CSelectActionDlg cancelled(m_context);
    EXPECT_EQ(RunSelect(cancelled, [](CSelectActionDlg& shown) { QTest::keyClick(shown.GetList(), Qt::Key_Escape); }),
              IDCANCEL);
}

TEST_F(TaskWizardTest, ViewButtonsSwitchAndKeepTheListViewAndTheDialogNeverShrinks)
{
    m_settings.SetInt(SETTING_LAYOUT_NEW_TASK_LIST_TYPE, 2);
    CSelectActionDlg dialog(m_context);
    RunSelect(dialog, [&](CSelectActionDlg& shown) {
        EXPECT_EQ(shown.GetList()->GetView(), LVS_REPORT);
        const struct
        {
            int m_button;
            UINT m_view;
            int m_stored;
        } views[] = {{IDC_ACTION_VIEW_ICONS, LVS_ICON, 0},
                     {IDC_ACTION_VIEW_LIST, LVS_LIST, 1},
                     {IDC_ACTION_VIEW_DETAILS, LVS_REPORT, 2}};
        for (const auto& view : views)
        {
            ClickControl(shown.GetDlgItem(view.m_button));
            EXPECT_EQ(shown.GetList()->GetView(), view.m_view);
            EXPECT_EQ(GetIntOr(m_settings, SETTING_LAYOUT_NEW_TASK_LIST_TYPE), view.m_stored);
            for (const auto& other : views)
                EXPECT_EQ(qobject_cast<QPushButton*>(shown.GetDlgItem(other.m_button))->isChecked(),
                          other.m_button == view.m_button);
        }
        EXPECT_GE(shown.GetList()->GetColumnWidth(0), 100);
        const QSize initial = shown.size();
        shown.resize(initial.width() / 2, initial.height() / 2);
        EXPECT_GE(shown.width(), initial.width());
        EXPECT_GE(shown.height(), initial.height());
    });
}
} // namespace
