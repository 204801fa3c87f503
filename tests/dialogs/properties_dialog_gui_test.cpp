// The properties container: pages in tabs, "No properties available"
// without pages, a page that fails its check keeps its tab, and the window
// closes when it loses activation only while unpinned, never because a
// page's message box took the activation.

#include "dialogs/PropertiesDlg.h"

#include "platform/ui/RecordingModalDriver.h"
#include "res/Resources.h"

#include "tests/support/QtApplication.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QTabBar>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

namespace
{
// A page whose check fails (with a message, as a range check's) while
// m_valid is false.
class CCheckedPage : public CSettingsPage
{
public:
    CCheckedPage(std::string caption, bool valid)
        : CSettingsPage(IDD_SETTINGS_LINKS, nullptr, nullptr, caption, caption), m_valid(valid)
    {
    }

    bool UpdateData(bool save = true) override
    {
        if (save && !m_valid)
        {
            AfxMessageBox("Please enter a valid value.", MB_OK | MB_ICONWARNING);
            return false;
        }
        return CSettingsPage::UpdateData(save);
    }

    bool m_valid;
};

// Answers message boxes as a real one behaves: it is shown over the active
// window and takes the activation until it is answered.
class CActivatingDriver : public CRecordingModalDriver
{
public:
    int MessageBox(QWidget* owner, const std::string& text, const std::string& caption, UINT type) override
    {
        // A window of its own, so the owner really loses the activation.
        QMessageBox box(QMessageBox::Warning, QString(), QString::fromStdString(text), QMessageBox::Ok);
        box.show();
        box.activateWindow();
        m_boxTookActivation = QTest::qWaitForWindowActive(&box);
        box.accept();
        // The window manager gives the activation back to the box's owner.
        if (owner)
        {
            owner->activateWindow();
            m_ownerActiveAgain = QTest::qWaitForWindowActive(owner);
        }
        return CRecordingModalDriver::MessageBox(owner, text, caption, type);
    }

    bool m_boxTookActivation = false;
    bool m_ownerActiveAgain = false;
};

std::vector<std::unique_ptr<CSettingsPage>> Pages(std::vector<bool> valid)
{
    std::vector<std::unique_ptr<CSettingsPage>> pages;
    for (size_t index = 0; index < valid.size(); ++index)
        pages.push_back(std::make_unique<CCheckedPage>("Page " + std::to_string(index + 1), valid[index]));
    return pages;
}

// Processes what was posted, deferred deletes included.
void Settle()
{
    for (int round = 0; round < 3; ++round)
    {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

class PropertiesDialogTest : public ::testing::Test
{
protected:
    // A shown, active container with pages of the given validity.
    QPointer<CPropertiesDlg> Open(std::vector<bool> valid)
    {
        auto* dialog = new CPropertiesDlg;
        dialog->SetPages("Link", Pages(std::move(valid)));
        dialog->show();
        dialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
        return dialog;
    }

    // Another window takes the activation, as a click outside does.
    void ActivateElsewhere()
    {
        m_elsewhere.show();
        m_elsewhere.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&m_elsewhere));
        Settle();
    }

    void TearDown() override
    {
        for (QWidget* window : QApplication::topLevelWidgets())
        {
            if (qobject_cast<CPropertiesDlg*>(window))
                delete window;
        }
    }

    QApplication& m_application = TestApplication();
    CActivatingDriver m_driver;
    QWidget m_elsewhere;
};

TEST_F(PropertiesDialogTest, PagesInTabsAndTheNoticeWithoutPages)
{
    QPointer<CPropertiesDlg> dialog = Open({true, true});
    ASSERT_TRUE(dialog);
    QTabBar* tabs = dialog->GetTabs();
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(1).toStdString(), "Page 2");
    EXPECT_EQ(dialog->windowTitle().toStdString(), "Link");
    EXPECT_EQ(dialog->GetCurrentIndex(), 0);
    EXPECT_TRUE(dialog->GetPage(0)->isVisible());
    EXPECT_FALSE(dialog->GetPage(1)->isVisible());
    EXPECT_EQ(dialog->GetPage(1)->GetNotifyParam(), 1u);
    QWidget* notice = dialog->GetDlgItem(IDC_PROPERTIES_NONE);
    ASSERT_NE(notice, nullptr);
    EXPECT_FALSE(notice->isVisible());

    tabs->setCurrentIndex(1);
    EXPECT_EQ(dialog->GetCurrentIndex(), 1);
    EXPECT_TRUE(dialog->GetPage(1)->isVisible());
    EXPECT_FALSE(dialog->GetPage(0)->isVisible());

    // Replacing the pages deletes the old ones.
    QPointer<CSettingsPage> old = dialog->GetPage(0);
    dialog->SetPages("Nothing", {});
    EXPECT_FALSE(old);
    EXPECT_EQ(tabs->count(), 0);
    EXPECT_EQ(dialog->GetCurrentIndex(), -1);
    EXPECT_EQ(dialog->windowTitle().toStdString(), "Nothing");
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(qobject_cast<QLabel*>(notice)->text().toStdString(), "No properties available");
    EXPECT_TRUE(m_driver.Boxes().empty());
}

TEST_F(PropertiesDialogTest, AFailingPageKeepsItsTabAndItsMessageBoxClosesNothing)
{
    QPointer<CPropertiesDlg> dialog = Open({false, true});
    ASSERT_TRUE(dialog);
    ASSERT_FALSE(dialog->IsPinned());
    dialog->GetTabs()->setCurrentIndex(1);
    ASSERT_EQ(m_driver.Boxes().size(), 1u);
    EXPECT_TRUE(m_driver.m_boxTookActivation);
    EXPECT_TRUE(m_driver.m_ownerActiveAgain);
    EXPECT_EQ(dialog->GetCurrentIndex(), 0);
    EXPECT_EQ(dialog->GetTabs()->currentIndex(), 0);
    Settle();
    ASSERT_TRUE(dialog); // the box took the activation, the window stays
    EXPECT_TRUE(dialog->isVisible());

    // Once valid, the page lets the user go.
    static_cast<CCheckedPage*>(dialog->GetPage(0))->m_valid = true;
    dialog->GetTabs()->setCurrentIndex(1);
    EXPECT_EQ(dialog->GetCurrentIndex(), 1);
}

TEST_F(PropertiesDialogTest, LosingActivationClosesOnlyAnUnpinnedWindow)
{
    for (bool pinned : {false, true})
    {
        SCOPED_TRACE(pinned ? "pinned" : "unpinned");
        QPointer<CPropertiesDlg> dialog = Open({true});
        ASSERT_TRUE(dialog);
        QPointer<CSettingsPage> page = dialog->GetPage(0);
        if (pinned)
            QTest::mouseClick(dialog->GetDlgItem(IDC_PROPERTIES_PIN), Qt::LeftButton);
        EXPECT_EQ(dialog->IsPinned(), pinned);
        ActivateElsewhere();
        EXPECT_EQ(dialog.isNull(), !pinned);
        EXPECT_EQ(page.isNull(), !pinned); // the pages go with the window
        delete dialog.data();
    }
}

TEST_F(PropertiesDialogTest, OkClosesEvenAPinnedWindow)
{
    QPointer<CPropertiesDlg> dialog = Open({true});
    ASSERT_TRUE(dialog);
    QTest::mouseClick(dialog->GetDlgItem(IDC_PROPERTIES_PIN), Qt::LeftButton);
    ASSERT_TRUE(dialog->IsPinned());
    QTest::mouseClick(dialog->GetDlgItem(IDOK), Qt::LeftButton);
    Settle();
    EXPECT_FALSE(dialog);
}
} // namespace
