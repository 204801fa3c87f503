// The dialog base and data exchange: the exact messages of failed checks
// with the focus left on the field, modal runs ending with any code, radio
// groups, change handlers that fire on user edits only, and a control
// replaced by one the dialog brings.

#include "platform/ui/DataExchange.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/RecordingModalDriver.h"

#include "tests/support/QtApplication.h"

#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QVBoxLayout>

namespace
{
class CTestDialog : public CDialog
{
public:
    CTestDialog() : CDialog(4242)
    {
        auto* layout = new QVBoxLayout(this);
        auto add = [&](int id, QWidget* control, bool groupStart = false) {
            layout->addWidget(control);
            SetDlgItem(id, control, groupStart);
        };
        add(1001, m_depth = new QLineEdit);
        add(1002, m_name = new QLineEdit);
        add(1003, m_check = new QCheckBox("check"));
        m_combo = new QComboBox;
        m_combo->addItems({"zero", "one", "two"});
        add(1004, m_combo);
        for (int id = 1005; id <= 1007; ++id)
            add(id, new QRadioButton(QString::number(id)));
        add(1008, new QRadioButton("a"), true);
        add(1009, new QRadioButton("b"));
        add(IDOK, new QPushButton("OK"));
        add(1010, new QPushButton("Other"));
        for (int id : {1001, 1002, 1003, 1004, 1005})
            OnChange(id, [this, id] { m_changes.push_back(id); });
        OnCommand(1010, [this] { EndDialog(1104); });
    }

    int m_depthValue = 10;
    std::string m_nameValue = "abc";
    int m_checkValue = 1;
    int m_comboValue = 2;
    int m_radioValue = 1;
    int m_secondRadio = -1;
    std::vector<int> m_changes;
    bool m_initialised = false;

    QLineEdit* m_depth;
    QLineEdit* m_name;
    QCheckBox* m_check;
    QComboBox* m_combo;

protected:
    bool OnInitDialog() override
    {
        m_initialised = true;
        return CDialog::OnInitDialog();
    }
    void DoDataExchange(CDataExchange& dx) override
    {
        DDX_Text(dx, 1002, m_nameValue);
        DDV_MaxChars(dx, m_nameValue, 5);
        DDX_Text(dx, 1001, m_depthValue);
        DDV_MinMaxInt(dx, m_depthValue, 1, 99);
        DDX_Check(dx, 1003, m_checkValue);
        DDX_CBIndex(dx, 1004, m_comboValue);
        DDX_Radio(dx, 1005, m_radioValue);
        DDX_Radio(dx, 1008, m_secondRadio);
    }
};

class DialogTest : public ::testing::Test
{
protected:
    void SetUp() override { TestApplication(); }

    // Shows and activates the dialog so that focus can be checked.
    static void Activate(QDialog& dialog)
    {
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }

    CRecordingModalDriver m_driver;
};

TEST_F(DialogTest, LoadingFillsControlsWithoutChangeNotifications)
{
    CTestDialog dialog;
    m_driver.SetDialogScript([](QDialog&) {});
    EXPECT_EQ(dialog.DoModal(), IDCANCEL) << "left open by the script";
    EXPECT_TRUE(dialog.m_initialised);
    EXPECT_EQ(dialog.m_depth->text(), "10");
    EXPECT_EQ(dialog.m_name->text(), "abc");
    EXPECT_EQ(dialog.m_name->maxLength(), 5);
    EXPECT_TRUE(dialog.m_check->isChecked());
    EXPECT_EQ(dialog.m_combo->currentIndex(), 2);
    EXPECT_TRUE(static_cast<QRadioButton*>(dialog.GetDlgItem(1006))->isChecked());
    EXPECT_FALSE(static_cast<QRadioButton*>(dialog.GetDlgItem(1008))->isChecked());
    EXPECT_FALSE(static_cast<QRadioButton*>(dialog.GetDlgItem(1009))->isChecked());
    EXPECT_TRUE(dialog.m_changes.empty());

    dialog.m_depthValue = 33;
    EXPECT_TRUE(dialog.UpdateData(false));
    dialog.m_depth->setText("44"); // code, not the user
    EXPECT_TRUE(dialog.m_changes.empty());
}

TEST_F(DialogTest, UserEditsFireChangeHandlers)
{
    CTestDialog dialog;
    Activate(dialog);
    dialog.m_depth->setFocus();
    QTest::keyClicks(dialog.m_depth, "5");
    // Near the indicator: a stretched button only takes clicks on its text.
    QTest::mouseClick(dialog.m_check, Qt::LeftButton, {}, QPoint(6, dialog.m_check->height() / 2));
    QWidget* radio = dialog.GetDlgItem(1005);
    QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
    EXPECT_EQ(dialog.m_changes, (std::vector<int>{1001, 1003, 1005}));
}

TEST_F(DialogTest, BadValueShowsExactMessageAndKeepsFocusOnTheField)
{
    const struct
    {
        const char* m_name;
        const char* m_depth;
        const char* m_message; // null: valid
        int m_focusId;
    } cases[] = {
        {"abc", "abc", "Please enter an integer.", 1001},
        {"abc", "12x", "Please enter an integer.", 1001},
        {"abc", "", "Please enter an integer.", 1001},
        {"abc", "2147483648", "Please enter an integer.", 1001},
        {"abc", "0", "Please enter an integer between 1 and 99.", 1001},
        {"abc", "100", "Please enter an integer between 1 and 99.", 1001},
        {"abcdef", "7", "Please enter no more than 5 characters.", 1002},
        {"\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", " 12 ", nullptr, 0},
        {"abc", "-5", "Please enter an integer between 1 and 99.", 1001},
        {"abc", "+99", nullptr, 0},
    };
    for (const auto& c : cases)
    {
        CTestDialog dialog;
        dialog.m_name->setMaxLength(100); // the limit is checked, not only enforced
        Activate(dialog);
        dialog.m_name->setText(QString::fromUtf8(c.m_name));
        dialog.m_depth->setText(c.m_depth);
        dialog.m_check->setChecked(false);
        dialog.GetDlgItem(IDOK)->setFocus();
        const size_t boxes = m_driver.Boxes().size();

        const bool ok = dialog.UpdateData(true);
        EXPECT_EQ(ok, c.m_message == nullptr) << c.m_depth;
        if (!c.m_message)
        {
            EXPECT_EQ(m_driver.Boxes().size(), boxes);
            EXPECT_EQ(dialog.m_checkValue, 0) << "every control was read";
            continue;
        }
        ASSERT_EQ(m_driver.Boxes().size(), boxes + 1);
        EXPECT_EQ(m_driver.Boxes().back().m_text, c.m_message);
        EXPECT_TRUE(dialog.GetDlgItem(c.m_focusId)->hasFocus()) << c.m_depth;
        EXPECT_EQ(dialog.m_checkValue, 1) << "the pass stopped at the failure";
    }
}

TEST_F(DialogTest, OkWithBadValueKeepsTheDialogOpen)
{
    CTestDialog dialog;
    m_driver.SetDialogScript([&](QDialog&) {
        dialog.m_depth->setText("x");
        QTest::mouseClick(dialog.GetDlgItem(IDOK), Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(m_driver.Boxes().size(), 1u);
        dialog.m_depth->setText("42");
        QTest::mouseClick(dialog.GetDlgItem(IDOK), Qt::LeftButton);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_depthValue, 42);
}

TEST_F(DialogTest, EndsWithAnyCodeAndRoutesOtherButtonsAsCommands)
{
    CTestDialog dialog;
    m_driver.SetDialogScript([&](QDialog&) { QTest::mouseClick(dialog.GetDlgItem(1010), Qt::LeftButton); });
    EXPECT_EQ(dialog.DoModal(), 1104);

    m_driver.SetDialogScript([&](QDialog&) { QTest::keyClick(&dialog, Qt::Key_Escape); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);

    m_driver.SetDialogScript([&](QDialog&) { QTest::keyClick(&dialog, Qt::Key_F1); });
    dialog.DoModal();
    EXPECT_EQ(m_driver.HelpRequests(), std::vector<UINT>{4242});
}

TEST_F(DialogTest, RadioGroupsAreIndependent)
{
    CTestDialog dialog;
    dialog.m_secondRadio = 1;
    ASSERT_TRUE(dialog.UpdateData(false));
    EXPECT_TRUE(static_cast<QRadioButton*>(dialog.GetDlgItem(1006))->isChecked());
    EXPECT_TRUE(static_cast<QRadioButton*>(dialog.GetDlgItem(1009))->isChecked());
    static_cast<QRadioButton*>(dialog.GetDlgItem(1007))->setChecked(true);
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.m_radioValue, 2);
    EXPECT_EQ(dialog.m_secondRadio, 1);
}
TEST_F(DialogTest, AReplacedControlTakesTheOldOnesPlaceIdAndLabel)
{
    CDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel("&Name:");
    QPointer<QLineEdit> old = new QLineEdit;
    label->setBuddy(old);
    layout->addWidget(label);
    layout->addWidget(old);
    dialog.SetDlgItem(1001, old);

    auto* replacement = new QComboBox;
    ASSERT_TRUE(dialog.ReplaceDlgItem(1001, replacement));
    EXPECT_TRUE(old.isNull());
    EXPECT_EQ(dialog.GetDlgItem(1001), replacement);
    EXPECT_EQ(CDialog::GetDlgCtrlID(replacement), 1001);
    EXPECT_EQ(layout->indexOf(replacement), 1);
    EXPECT_EQ(label->buddy(), replacement);

    auto* stray = new QComboBox(&dialog);
    EXPECT_FALSE(dialog.ReplaceDlgItem(1002, stray)) << "no such control";
    EXPECT_EQ(dialog.GetDlgItem(1002), nullptr);
}
} // namespace
