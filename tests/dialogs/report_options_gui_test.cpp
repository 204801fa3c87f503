// The Report options dialog over the live settings: it loads every choice
// from the "Report/" settings, shows the selection in a one-column
// link-group list, stores only what changed on OK (and saves then), keeps
// an untouched template byte for byte, and cannot shrink below its size.

#include "dialogs/ReportOptionsDlg.h"

#include "checker/ui/LinkGroupTree.h"

#include "foundation/desktop/AppIdentity.h"
#include "foundation/desktop/ShellHooks.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/stores/Settings.h"
#include "platform/core/MemoryRegistryBackend.h"
#include "platform/core/Registry.h"
#include "platform/ui/RecordingModalDriver.h"
#include "res/Resources.h"

#include "tests/support/QtApplication.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TemporarySettings.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>

#include <functional>
#include <string>

namespace
{
void IgnoreBroadcast(unsigned, int64_t) {}

class ReportOptionsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestApplication();
        ASSERT_FALSE(m_temp.Path().empty());
        UseTemporarySettings(m_env, m_temp);
        SetInstanceBroadcastHook(IgnoreBroadcast);
    }

    void TearDown() override
    {
        SetInstanceBroadcastHook(nullptr);
        GetRegistry().SetBackend(std::make_unique<CMemoryRegistryBackend>());
        GetSettings().Clear();
    }

    // Runs a dialog over the live settings with script acting as the user;
    // the code it ended with.
    int Run(CReportOptionsDlg& dialog, const std::function<void(CReportOptionsDlg&)>& script)
    {
        m_driver.SetDialogScript([&](QDialog&) { script(dialog); });
        return dialog.DoModal();
    }

    std::function<bool()> Saver()
    {
        return [this]
        {
            ++m_saves;
            return SaveAllSettings();
        };
    }

    template <class Control> static Control* Item(CReportOptionsDlg& dialog, int id)
    {
        auto* control = qobject_cast<Control*>(dialog.GetDlgItem(id));
        EXPECT_NE(control, nullptr) << id;
        return control;
    }

    static void Type(QLineEdit* edit, const char* text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }

    static void Ok(CReportOptionsDlg& dialog) { QTest::mouseClick(dialog.GetDlgItem(IDOK), Qt::LeftButton); }

    CTempFolder m_temp;
    ScopedEnvironment m_env;
    CRecordingModalDriver m_driver;
    int m_saves = 0;
};

TEST_F(ReportOptionsTest, LoadsTheDefaultsIntoItsControlsAndAnUntouchedOkStoresNothing)
{
    CReportOptionsDlg dialog(GetSettings(), Saver());
    EXPECT_EQ(dialog.windowTitle(), "Report");
    const int result = Run(
        dialog,
        [&](CReportOptionsDlg& shown)
        {
            for (int id : {IDC_REPORT_STYLE, IDC_REPORT_OUTPUT, IDC_REPORT_GROUP_BY})
                EXPECT_EQ(Item<QComboBox>(shown, id)->currentIndex(), 0) << id;
            EXPECT_EQ(Item<QComboBox>(shown, IDC_REPORT_STYLE)->itemText(3), "List sub links (HTML)");
            EXPECT_EQ(Item<QLineEdit>(shown, IDC_REPORT_FORMAT)->text(), "Link %order%: %link% (%status%)");
            EXPECT_TRUE(Item<QCheckBox>(shown, IDC_REPORT_INCLUDE_GENERAL)->isChecked());
            EXPECT_TRUE(Item<QCheckBox>(shown, IDC_REPORT_HIDE_REPEATING)->isChecked());

            CLinkGroupTree* groups = shown.GetGroupTree();
            ASSERT_EQ(shown.GetDlgItem(IDC_REPORT_GROUPS), groups);
            EXPECT_TRUE(groups->IsOneColumn());
            EXPECT_TRUE(groups->IsCodeChecked(CLinkGroupTree::kCodeStateFirst + kStateBroken));
            EXPECT_FALSE(groups->IsCodeChecked(CLinkGroupTree::kCodeStateFirst + kStateDownloaded));
            EXPECT_TRUE(groups->IsCodeChecked(CLinkGroupTree::kCodeContainBroken));
            EXPECT_FALSE(groups->IsGroupAll(CLinkGroupTree::kGroupState));
            Ok(shown);
        });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(m_saves, 0);

    const CReportOptions options = dialog.GetReportOptions();
    EXPECT_EQ(options.m_format, 0);
    EXPECT_EQ(options.m_template, "Link %order%: %link% (%status%)");
    EXPECT_TRUE(options.m_statistics);
    EXPECT_EQ(options.m_groupKind, 0);
    EXPECT_EQ(options.m_selection.m_stateMask, 32);
    EXPECT_EQ(options.m_selection.m_typeMask, -1);
    EXPECT_EQ(options.m_selection.m_hideRepeats, 1);
    EXPECT_EQ(options.m_selection.m_containsBroken, 1);
    EXPECT_EQ(dialog.m_output, 0);
}

TEST_F(ReportOptionsTest, ChoicesRoundTripThroughTheSettings)
{
    CReportOptionsDlg first(GetSettings(), Saver());
    ASSERT_EQ(Run(first,
                  [&](CReportOptionsDlg& shown)
                  {
                      Item<QComboBox>(shown, IDC_REPORT_STYLE)->setCurrentIndex(3);
                      Item<QComboBox>(shown, IDC_REPORT_OUTPUT)->setCurrentIndex(1);
                      Item<QComboBox>(shown, IDC_REPORT_GROUP_BY)->setCurrentIndex(4);
                      Type(Item<QLineEdit>(shown, IDC_REPORT_FORMAT), "Link %order%\\t%link%\\n");
                      QTest::mouseClick(Item<QCheckBox>(shown, IDC_REPORT_INCLUDE_GENERAL), Qt::LeftButton);
                      QTest::mouseClick(Item<QCheckBox>(shown, IDC_REPORT_HIDE_REPEATING), Qt::LeftButton);
                      CLinkGroupTree* groups = shown.GetGroupTree();
                      const auto act = [groups](int code)
                      {
                          const int row = groups->FindRow(code);
                          ASSERT_GE(row, 0) << code;
                          groups->OnRowAction(row, true, CLinkGroupTree::kToggle);
                      };
                      act(CLinkGroupTree::kCodeStateFirst + kStateDownloaded);
                      act(CLinkGroupTree::kCodeContainBroken);
                      act(CLinkGroupTree::kGroupType);
                      act(CLinkGroupTree::kCodeTypeFirst + kTypeImage);
                      act(CLinkGroupTree::kCodeInterestFirst + kScopeExternal);
                      Ok(shown);
                  }),
              IDOK);
    EXPECT_EQ(m_saves, 1);

    const CReportOptions chosen = first.GetReportOptions();
    EXPECT_EQ(chosen.m_format, 3);
    EXPECT_EQ(chosen.m_template, "Link %order%\t%link%\r\n");
    EXPECT_FALSE(chosen.m_statistics);
    EXPECT_EQ(chosen.m_groupKind, 4);
    EXPECT_EQ(chosen.m_selection.m_stateMask, 32 | 8);
    EXPECT_EQ(chosen.m_selection.m_containsBroken, 0);
    EXPECT_EQ(chosen.m_selection.m_typeMask, -1 & ~(1 << kTypeImage));
    EXPECT_EQ(chosen.m_selection.m_scopeMask, -1 & ~(1 << kScopeExternal));
    EXPECT_EQ(chosen.m_selection.m_hideRepeats, 0);
    EXPECT_EQ(first.m_output, 1);

    // Back from the registry, as the next start of the program reads them.
    GetSettings().Clear();
    LoadSettings();
    EXPECT_EQ(GetStringOf(GetSettings(), SETTING_REPORT_FORMAT), "Link %order%\t%link%\r\n");
    CReportOptionsDlg second(GetSettings(), Saver());
    ASSERT_EQ(Run(second,
                  [&](CReportOptionsDlg& shown)
                  {
                      EXPECT_EQ(Item<QLineEdit>(shown, IDC_REPORT_FORMAT)->text(),
                                "Link %order%\\t%link%\\n");
                      EXPECT_EQ(Item<QComboBox>(shown, IDC_REPORT_GROUP_BY)->currentIndex(), 4);
                      EXPECT_FALSE(Item<QCheckBox>(shown, IDC_REPORT_HIDE_REPEATING)->isChecked());
                      EXPECT_FALSE(shown.GetGroupTree()->IsCodeChecked(CLinkGroupTree::kCodeContainBroken));
                      Ok(shown);
                  }),
              IDOK);
    EXPECT_EQ(m_saves, 1) << "nothing changed";
    const CReportOptions again = second.GetReportOptions();
    EXPECT_EQ(again.m_format, chosen.m_format);
    EXPECT_EQ(again.m_template, chosen.m_template);
    EXPECT_EQ(again.m_statistics, chosen.m_statistics);
    EXPECT_EQ(again.m_groupKind, chosen.m_groupKind);
    EXPECT_EQ(again.m_selection, chosen.m_selection);
    EXPECT_EQ(second.m_output, first.m_output);
}

TEST_F(ReportOptionsTest, AnUntouchedOkKeepsTheTemplateByteForByte)
{
    const struct
    {
        std::string stored;
        const char* shown;
    } cases[] = {
        {"A %link%\r\nB %status%\nC \\n D", "A %link%\\nB %status%\\nC \\\\n D"},
        {"\t%order%\\\r", "\\t%order%\\\\\\n"},
        {"Link %order%: %link% (%status%)", "Link %order%: %link% (%status%)"},
    };
    for (const auto& each : cases)
    {
        SCOPED_TRACE(each.shown);
        GetSettings().SetString(SETTING_REPORT_FORMAT, each.stored.c_str());
        CReportOptionsDlg dialog(GetSettings(), Saver());
        const int saves = m_saves;
        ASSERT_EQ(Run(dialog,
                      [&](CReportOptionsDlg& shown)
                      {
                          EXPECT_EQ(Item<QLineEdit>(shown, IDC_REPORT_FORMAT)->text(), each.shown);
                          Ok(shown);
                      }),
                  IDOK);
        EXPECT_EQ(GetStringOf(GetSettings(), SETTING_REPORT_FORMAT), each.stored);
        EXPECT_EQ(dialog.GetReportOptions().m_template, each.stored);
        EXPECT_EQ(m_saves, saves);
    }
}

TEST_F(ReportOptionsTest, StoredChoicesOutsideTheirListsAreBroughtInside)
{
    GetSettings().SetInt(SETTING_REPORT_STYLE, 9);
    GetSettings().SetInt(SETTING_REPORT_OUTPUT, -3);
    GetSettings().SetInt(SETTING_REPORT_GROUP_LINKS, 6);
    CReportOptionsDlg dialog(GetSettings(), Saver());
    ASSERT_EQ(Run(dialog,
                  [&](CReportOptionsDlg& shown)
                  {
                      EXPECT_EQ(Item<QComboBox>(shown, IDC_REPORT_STYLE)->currentIndex(), 3);
                      EXPECT_EQ(Item<QComboBox>(shown, IDC_REPORT_OUTPUT)->currentIndex(), 0);
                      EXPECT_EQ(Item<QComboBox>(shown, IDC_REPORT_GROUP_BY)->currentIndex(), 5);
                      Ok(shown);
                  }),
              IDOK);
    EXPECT_EQ(GetIntOr(GetSettings(), SETTING_REPORT_STYLE), 3);
    EXPECT_EQ(GetIntOr(GetSettings(), SETTING_REPORT_OUTPUT), 0);
    EXPECT_EQ(GetIntOr(GetSettings(), SETTING_REPORT_GROUP_LINKS), 5);
}

TEST_F(ReportOptionsTest, CancelStoresNothing)
{
    CReportOptionsDlg dialog(GetSettings(), Saver());
    EXPECT_EQ(Run(dialog,
                  [&](CReportOptionsDlg& shown)
                  {
                      Item<QComboBox>(shown, IDC_REPORT_STYLE)->setCurrentIndex(2);
                      Type(Item<QLineEdit>(shown, IDC_REPORT_FORMAT), "x");
                      QTest::mouseClick(shown.GetDlgItem(IDCANCEL), Qt::LeftButton);
                  }),
              IDCANCEL);
    EXPECT_EQ(m_saves, 0);
    EXPECT_EQ(GetIntOr(GetSettings(), SETTING_REPORT_STYLE), 0);
    EXPECT_EQ(GetStringOf(GetSettings(), SETTING_REPORT_FORMAT), "Link %order%: %link% (%status%)");
}

TEST_F(ReportOptionsTest, CannotBeMadeSmallerThanItOpened)
{
    CReportOptionsDlg dialog(GetSettings(), Saver());
    Run(dialog,
        [&](CReportOptionsDlg& shown)
        {
            const QSize opened = shown.size();
            EXPECT_EQ(shown.minimumSize(), opened);
            shown.resize(opened.width() / 2, opened.height() / 2);
            EXPECT_EQ(shown.size(), opened);
            shown.resize(opened.width() + 200, opened.height() + 100);
            QApplication::processEvents();
            // The list grows with the dialog and its one column spans it.
            CLinkGroupTree* groups = shown.GetGroupTree();
            EXPECT_EQ(groups->GetColumnWidth(0), groups->ReportView()->viewport()->width());
            QTest::mouseClick(shown.GetDlgItem(IDCANCEL), Qt::LeftButton);
        });
}
} // namespace
