// The text prompt, Base64 and Wait dialogs driven as a user drives them:
// typing, Enter and Esc, offscreen through the recording modal driver (the
// Wait dialog through the real one, as it is ended by a post from another
// thread).

#include "widgets/Base64Dlg.h"
#include "widgets/TextPromptDlg.h"
#include "widgets/WaitDlg.h"

#include "platform/ui/RecordingModalDriver.h"
#include "platform/ui/WidgetWindow.h"
#include "res/Resources.h"

#include "tests/support/QtApplication.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <future>
#include <thread>

namespace
{
using History = std::vector<std::string>;

// Shows and activates a dialog inside a script, so keys reach it.
void Activate(QDialog& dialog)
{
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
}

class PromptDialogsTest : public ::testing::Test
{
protected:
    void SetUp() override { TestApplication(); }

    CRecordingModalDriver m_driver;
};

// One run of the text prompt: the user replaces the text with typed (null:
// leaves it) and presses key.
struct PromptRun
{
    std::string m_given;
    History m_history;
    const char* m_typed;
    Qt::Key m_key;
};

TEST_F(PromptDialogsTest, TextPromptRecordsWhatWasEnteredAcrossUses)
{
    History history;
    std::string shownText;
    std::string shownLabel;
    std::string shownCaption;
    auto run = [&](const std::string& given, const char* typed, Qt::Key key, std::string& text) {
        CTextPromptDlg dialog;
        dialog.m_caption = "Find in link list";
        dialog.m_label = "Fi&nd what";
        dialog.m_text = given;
        dialog.m_history = history;
        m_driver.SetDialogScript([&](QDialog&) {
            Activate(dialog);
            auto* combo = qobject_cast<QComboBox*>(dialog.GetDlgItem(IDC_PROMPT_TEXT));
            ASSERT_NE(combo, nullptr);
            shownText = combo->currentText().toStdString();
            shownLabel = qobject_cast<QLabel*>(dialog.GetDlgItem(IDC_PROMPT_LABEL))->text().toStdString();
            shownCaption = dialog.windowTitle().toStdString();
            combo->setFocus();
            if (typed)
            {
                combo->lineEdit()->selectAll();
                QTest::keyClicks(combo->lineEdit(), typed);
            }
            QTest::keyClick(combo->lineEdit(), key);
            EXPECT_FALSE(dialog.isVisible()) << "the key ended the dialog";
        });
        const int result = dialog.DoModal();
        text = dialog.m_text;
        history = dialog.m_history;
        return result;
    };

    std::string text;
    EXPECT_EQ(run("last search", "apple", Qt::Key_Return, text), IDOK);
    EXPECT_EQ(shownText, "last search");
    EXPECT_EQ(shownLabel, "Fi&nd what");
    EXPECT_EQ(shownCaption, "Find in link list");
    EXPECT_EQ(text, "apple");
    EXPECT_EQ(history, (History{"apple"})) << "the entered text, not the given one";

    // Second use: the history's first entry replaces the given text.
    EXPECT_EQ(run("ignored", nullptr, Qt::Key_Enter, text), IDOK);
    EXPECT_EQ(shownText, "apple");
    EXPECT_EQ(text, "apple");
    EXPECT_EQ(history, (History{"apple"}));

    EXPECT_EQ(run("", "Banana", Qt::Key_Return, text), IDOK);
    EXPECT_EQ(history, (History{"Banana", "apple"}));
    EXPECT_EQ(run("", "APPLE", Qt::Key_Return, text), IDOK);
    EXPECT_EQ(history, (History{"APPLE", "Banana"}));

    // Esc keeps what the caller had.
    EXPECT_EQ(run("kept", "cherry", Qt::Key_Escape, text), IDCANCEL);
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(history, (History{"APPLE", "Banana"}));
}

class Base64Test : public PromptDialogsTest
{
protected:
    QPlainTextEdit* Encoded() { return qobject_cast<QPlainTextEdit*>(m_dialog.GetDlgItem(IDC_BASE64_ENCODED)); }
    QPlainTextEdit* Real() { return qobject_cast<QPlainTextEdit*>(m_dialog.GetDlgItem(IDC_BASE64_REAL)); }
    QCheckBox* Binary() { return qobject_cast<QCheckBox*>(m_dialog.GetDlgItem(IDC_BASE64_BINARY)); }

    static void Type(QPlainTextEdit* edit, const char* text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        // Line breaks and tabs are keys of their own.
        for (const char* c = text; *c; ++c)
        {
            if (*c == '\n')
                QTest::keyClick(edit, Qt::Key_Return);
            else if (*c == '\t')
                QTest::keyClick(edit, Qt::Key_Tab);
            else
                QTest::keyClick(edit, *c);
        }
    }

    // The dialog is made with the fixture, so the application must be first.
    bool m_application = (TestApplication(), true);
    CBase64Dlg m_dialog;
};

TEST_F(Base64Test, ConvertsWhileTypingOnEitherSide)
{
    m_driver.SetDialogScript([&](QDialog&) {
        Activate(m_dialog);
        ASSERT_TRUE(Encoded() && Real() && Binary());
        EXPECT_EQ(m_dialog.windowTitle(), "Base64 conversion");
        EXPECT_FALSE(Binary()->isChecked());

        const struct
        {
            const char* m_typed;
            const char* m_real;
        } decodes[] = {
            {"SGVs bG8=", "Hello"},
            {"SGVs\tbG8h\nV29y", "Hello!Wor"},
            {"SGVsbG8h*QUJD", "Hello!"},
            {"SGVs-bG8=", "Hel"},
        };
        for (const auto& d : decodes)
        {
            Type(Encoded(), d.m_typed);
            EXPECT_EQ(Real()->toPlainText().toStdString(), d.m_real) << d.m_typed;
            // Writing the plain side did not convert back over the typing.
            EXPECT_EQ(Encoded()->toPlainText().toStdString(), d.m_typed);
        }

        Type(Real(), "Hi there");
        EXPECT_EQ(Encoded()->toPlainText(), "SGkgdGhlcmU=");
        EXPECT_EQ(Real()->toPlainText(), "Hi there");

        // Enter in the check box closes nothing; Close does.
        Binary()->setFocus();
        QTest::keyClick(Binary(), Qt::Key_Return);
        EXPECT_TRUE(m_dialog.isVisible());
        QTest::mouseClick(m_dialog.GetDlgItem(IDCANCEL), Qt::LeftButton);
    });
    EXPECT_EQ(m_dialog.DoModal(), IDCANCEL);
    EXPECT_FALSE(m_dialog.isVisible());
}

TEST_F(Base64Test, BinaryShowsHexAndLocksThePlainSide)
{
    m_driver.SetDialogScript([&](QDialog&) {
        Activate(m_dialog);
        auto clickBinary = [&] { QTest::mouseClick(Binary(), Qt::LeftButton, {}, QPoint(6, Binary()->height() / 2)); };
        clickBinary();
        EXPECT_TRUE(Binary()->isChecked());
        EXPECT_EQ(m_dialog.m_binary, 1);
        EXPECT_TRUE(Real()->isReadOnly());
        Type(Encoded(), "AAECAwQFBgcICQoLDA0ODxA=");
        EXPECT_EQ(Real()->toPlainText(), "00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f\n10 ");

        // Typing on the locked side changes neither side.
        Real()->setFocus();
        QTest::keyClicks(Real(), "zz");
        EXPECT_EQ(Encoded()->toPlainText(), "AAECAwQFBgcICQoLDA0ODxA=");
        EXPECT_EQ(Real()->toPlainText(), "00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f\n10 ");
        Type(Encoded(), " /w==");
        EXPECT_EQ(Real()->toPlainText(), "ff ");

        // Off again: the Base64 side is decoded again as text, and the plain
        // side can be typed into.
        clickBinary();
        EXPECT_EQ(m_dialog.m_binary, 0);
        EXPECT_FALSE(Real()->isReadOnly());
        EXPECT_EQ(Real()->toPlainText(), "?");
        Type(Real(), "Hello");
        EXPECT_EQ(Encoded()->toPlainText(), "SGVsbG8=");
        QTest::keyClick(Encoded(), Qt::Key_Escape);
        EXPECT_FALSE(m_dialog.isVisible());
    });
    EXPECT_EQ(m_dialog.DoModal(), IDCANCEL);
}

TEST_F(PromptDialogsTest, WaitIgnoresEnterAndEndsOnEsc)
{
    CWaitDlg dialog;
    bool openAfterEnter = false;
    m_driver.SetDialogScript([&](QDialog&) {
        Activate(dialog);
        QWidget* cancel = dialog.GetDlgItem(IDCANCEL);
        ASSERT_NE(cancel, nullptr);
        cancel->setFocus();
        QTest::keyClick(cancel, Qt::Key_Return);
        openAfterEnter = dialog.isVisible();
        QTest::keyClick(cancel, Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(openAfterEnter);
    EXPECT_EQ(dialog.windowTitle(), "Wait");
}

// Stands in for the window that learns of the job's end: on the message it
// ends the Wait dialog, as the task window's view does.
constexpr uint32_t WM_END_WAIT = 0x0AAC;

class CJobEndReceiver : public QWidget
{
public:
    explicit CJobEndReceiver(CWaitDlg& wait) : m_wait(wait) {}

protected:
    bool event(QEvent* event) override
    {
        if (event->type() != CPostedMessageEvent::EventType())
            return QWidget::event(event);
        if (static_cast<CPostedMessageEvent*>(event)->Message().m_message == WM_END_WAIT)
            m_wait.EndDialog(IDCANCEL);
        return true;
    }

private:
    CWaitDlg& m_wait;
};

TEST(WaitDialogTest, EndedByAPostFromAWorkerThread)
{
    TestApplication();
    CWaitDlg dialog;
    CJobEndReceiver receiver(dialog);
    const WindowHandle handle = CWidgetWindow::Attach(&receiver);
    std::promise<void> shown;
    bool visibleWhenShown = false;
    // The worker posts only once the dialog runs, so the post ends a shown
    // dialog rather than one about to be shown.
    QTimer::singleShot(0, &dialog, [&] {
        visibleWhenShown = dialog.isVisible();
        shown.set_value();
    });
    // A failure must not hang the test: end with a code no path gives.
    QTimer::singleShot(20000, &dialog, [&] { dialog.done(999); });
    std::thread worker([&, future = shown.get_future()] {
        future.wait();
        EXPECT_TRUE(PostMessage(handle, WM_END_WAIT, 0, 0));
    });
    const int result = dialog.DoModal(); // the real modal loop
    worker.join();
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(visibleWhenShown);
    EXPECT_FALSE(dialog.isVisible());
}
} // namespace
