// Dialogs built from their descriptions: every control is reached by its
// id, labels and buttons keep their texts, and the rows follow the
// description's positions.

#include "res/Resources.h"

#include "platform/ui/Dialog.h"
#include "platform/ui/DialogBuilder.h"

#include "tests/support/QtApplication.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>

namespace
{
TEST(DialogDescriptions, EveryDescribedDialogBuildsWithItsControls)
{
    TestApplication();
    for (const DialogDesc& description : GetDialogs())
    {
        CDialog dialog(description.m_id);
        ASSERT_TRUE(BuildDialogFromDescription(dialog, description)) << description.m_id;
        EXPECT_FALSE(BuildDialogFromDescription(dialog, description)) << "a second build is refused";
        EXPECT_EQ(dialog.windowTitle().toStdString(), description.m_caption);
        for (const ControlDesc& control : description.m_controls)
        {
            if (control.m_id == 0)
                continue;
            QWidget* widget = dialog.GetDlgItem(control.m_id);
            ASSERT_NE(widget, nullptr) << description.m_id << "/" << control.m_id;
            if (auto* button = qobject_cast<QAbstractButton*>(widget))
            {
                EXPECT_EQ(button->text().toStdString(), control.m_text);
            }
        }
    }
}

TEST(DialogDescriptions, LoginPromptHidesThePasswordAndEndsWithItsButtons)
{
    TestApplication();
    CDialog dialog(IDD_LOGIN_PROMPT);
    ASSERT_TRUE(BuildDialogFromDescription(dialog, *FindDialog(IDD_LOGIN_PROMPT)));
    auto* password = qobject_cast<QLineEdit*>(dialog.GetDlgItem(IDC_LOGIN_PASSWORD));
    ASSERT_NE(password, nullptr);
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    auto* ok = qobject_cast<QPushButton*>(dialog.GetDlgItem(IDOK));
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    // The user and password rows come before the buttons' row, and the
    // second button sits right of the first on its row.
    dialog.layout()->activate();
    const QWidget* user = dialog.GetDlgItem(IDC_LOGIN_USER);
    const QWidget* cancel = dialog.GetDlgItem(IDCANCEL);
    EXPECT_LT(user->geometry().bottom(), password->geometry().top());
    EXPECT_LT(password->geometry().bottom(), ok->geometry().top());
    EXPECT_EQ(ok->geometry().top(), cancel->geometry().top());
    EXPECT_LT(ok->geometry().right(), cancel->geometry().left());
}
} // namespace
