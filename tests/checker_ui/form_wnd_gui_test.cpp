// The form window: a control for every element kind, filling, submitting
// and resetting a form, scrolling as a block, and Tab between tab stops.

#include "checker/ui/FormControls.h"
#include "checker/ui/FormWnd.h"

#include "tests/support/QtApplication.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <vector>

namespace
{
constexpr const char* kFormSource = R"(<form method="post" action="/send">
<input type="text" name="q" value="a b">
<input type="password" name="pw" value="">
<input type="checkbox" name="c1" value="yes"> Check
<input type="radio" name="r" value="one" checked> One
<input type="radio" name="r" value="two"> Two
<select name="s1"><option>red</option><option selected>green</option></select>
<select name="s3" size="3" multiple><option>x</option><option>y</option><option>z</option></select>
<textarea name="t" rows="2" cols="20">hi</textarea>
<input type="hidden" name="h" value="hid">
<input type="submit" name="go" value="Go">
<input type="submit" name="other" value="Other">
<input type="reset">
<input type="file" name="f">
<input type="image" name="img">
</form>)";

// Records the form commands, as the view that hosts the window would get.
class CRecordingFormWnd : public CFormWnd
{
public:
    struct Command
    {
        std::string m_typeName;
        std::string m_name;
        int m_code;
    };
    std::vector<Command> m_commands;

    void OnFormCommand(CFormItem& item, int code) override
    {
        m_commands.push_back({item.m_typeName, item.m_name, code});
    }
};

class FormWndTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CFormData parsed;
        parsed.SetActionAndMethod(kFormSource, "http://example.test/send");
        m_wnd.GetForm() = parsed;
        m_wnd.resize(700, 300);
        m_wnd.OnFormChanged();
        m_wnd.show();
        m_wnd.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_wnd));
    }

    CFormData& Form() { return m_wnd.GetForm(); }

    // The first element of that name and type name ("" for any).
    CFormItem& Item(const std::string& name, const std::string& typeName = "")
    {
        for (int i = 0; i < Form().GetItemCount(); ++i)
        {
            CFormItem& item = *Form().GetItem(i);
            if (item.m_name == name && (typeName.empty() || item.m_typeName == typeName))
                return item;
        }
        ADD_FAILURE() << "no element " << name;
        return *Form().GetItem(0);
    }

    template <class T> T* Control(const std::string& name, const std::string& typeName = "")
    {
        auto* widget = qobject_cast<T*>(GetControlWidget(Item(name, typeName)));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    CFormItem& PageItem(const std::string& typeName)
    {
        for (int i = 0; i < Form().GetItemCount(); ++i)
        {
            if (Form().GetItem(i)->m_typeName == typeName)
                return *Form().GetItem(i);
        }
        ADD_FAILURE() << "no page control " << typeName;
        return *Form().GetItem(0);
    }

    // What the hosting view does for a submit button or Update.
    void Compose(const std::string& pressed)
    {
        ReadAll(Form(), true);
        Form().ComposeSubmitData(pressed);
        Form().SetSelectedValue();
    }

    QApplication& m_application = TestApplication();
    CRecordingFormWnd m_wnd;
};

TEST_F(FormWndTest, EveryElementKindGetsItsControl)
{
    EXPECT_FALSE(Control<QLineEdit>("q", "TEXT")->isReadOnly());
    EXPECT_EQ(Control<QLineEdit>("q", "TEXT")->text(), "a b");
    EXPECT_EQ(Control<QLineEdit>("pw")->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(Control<QCheckBox>("c1")->isChecked());
    auto* first = qobject_cast<QRadioButton*>(GetControlWidget(*Form().GetItem(Item("r").m_index)));
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isChecked());
    ASSERT_NE(first->group(), nullptr);
    EXPECT_EQ(first->group()->buttons().size(), 2);
    EXPECT_EQ(Control<QComboBox>("s1")->currentText(), "green");
    EXPECT_EQ(Control<QListWidget>("s3")->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(Control<QPlainTextEdit>("t")->toPlainText(), "hi");
    EXPECT_TRUE(Control<QLineEdit>("h")->isReadOnly());
    EXPECT_EQ(Control<QPushButton>("go")->text(), "Go");
    EXPECT_FALSE(Control<QPushButton>("img")->icon().isNull());
    EXPECT_EQ(Control<QLineEdit>("f", "FILE")->text(), "");
    EXPECT_EQ(qobject_cast<QLineEdit*>(GetControlWidget(PageItem("_URL_")))->text(), "http://example.test/send");
    // The tag lines show the page's source read-only.
    EXPECT_TRUE(qobject_cast<QLineEdit*>(GetControlWidget(*Form().GetItem(0)))->isReadOnly());
}

TEST_F(FormWndTest, AFilledFormIsSubmittedAndReset)
{
    auto* q = Control<QLineEdit>("q", "TEXT");
    q->clear();
    QTest::keyClicks(q, "x&y");
    QTest::keyClicks(Control<QLineEdit>("pw"), "pw1");
    QTest::mouseClick(Control<QCheckBox>("c1"), Qt::LeftButton);
    auto* two = qobject_cast<QRadioButton*>(GetControlWidget(*Form().GetItem(Item("r").m_index + 1)));
    ASSERT_NE(two, nullptr);
    QTest::mouseClick(two, Qt::LeftButton);
    Control<QComboBox>("s1")->setCurrentIndex(0);
    auto* list = Control<QListWidget>("s3");
    list->item(1)->setSelected(true);
    list->item(2)->setSelected(true);
    auto* area = Control<QPlainTextEdit>("t");
    area->moveCursor(QTextCursor::End);
    QTest::keyClick(area, Qt::Key_Return);
    QTest::keyClicks(area, "there");

    QTest::mouseClick(Control<QPushButton>("go"), Qt::LeftButton);
    ASSERT_FALSE(m_wnd.m_commands.empty());
    EXPECT_EQ(m_wnd.m_commands.back().m_name, "go");
    EXPECT_EQ(m_wnd.m_commands.back().m_code, kFormClicked);
    Compose(m_wnd.m_commands.back().m_name);
    const std::string expected = "?q=x%26y&pw=pw1&c1=yes&r=two&s1=red&s3=y&s3=z&t=hi%0D%0Athere&h=hid&go=Go";
    EXPECT_EQ(Form().GetSubmitString(), expected);
    auto* result = qobject_cast<QPlainTextEdit*>(GetControlWidget(PageItem("_RESULT_")));
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->toPlainText().toStdString(), expected);

    // Reset: values and selections back to their defaults, check states
    // as the user left them.
    Form().ResetAll();
    ReadAll(Form(), false);
    EXPECT_EQ(q->text(), "a b");
    EXPECT_EQ(Control<QComboBox>("s1")->currentText(), "green");
    EXPECT_TRUE(list->selectedItems().isEmpty());
    EXPECT_EQ(area->toPlainText(), "hi");
    EXPECT_TRUE(Control<QCheckBox>("c1")->isChecked());
    EXPECT_TRUE(two->isChecked());
    Compose("");
    EXPECT_EQ(Form().GetSubmitString(), "?q=a+b&pw=&c1=yes&r=two&s1=green&t=hi&h=hid&go=Go");
}

TEST_F(FormWndTest, AClickOnAControlOfNoElementDoesNothing)
{
    m_wnd.OnCommand(99999, kFormClicked);
    EXPECT_TRUE(m_wnd.m_commands.empty());
    QTest::mouseClick(qobject_cast<QPushButton*>(GetControlWidget(PageItem("_UPDATE_"))), Qt::LeftButton);
    ASSERT_EQ(m_wnd.m_commands.size(), 1u);
    EXPECT_EQ(m_wnd.m_commands[0].m_typeName, "_UPDATE_");
}

TEST_F(FormWndTest, ScrollingMovesEveryControlAndKeepsThePosition)
{
    QScrollBar* bar = m_wnd.VerticalBar();
    ASSERT_GT(Form().GetNextTop(), m_wnd.height());
    EXPECT_EQ(bar->maximum(), Form().GetNextTop() - m_wnd.Page()->parentWidget()->height() + 1);
    QWidget* url = GetControlWidget(PageItem("_URL_"));
    QWidget* go = Control<QPushButton>("go");
    const int urlY = url->mapTo(&m_wnd, QPoint()).y();
    const int goY = go->mapTo(&m_wnd, QPoint()).y();
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(bar->value(), 24);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(bar->value(), 25);
    EXPECT_EQ(Form().m_scrollY, 25);
    EXPECT_EQ(url->mapTo(&m_wnd, QPoint()).y(), urlY - 25);
    EXPECT_EQ(go->mapTo(&m_wnd, QPoint()).y(), goY - 25);
    m_wnd.UpdateScrollBars();
    EXPECT_EQ(bar->value(), 25);
    // The wheel does not scroll the form.
    const QPointF at(50, 50);
    QWheelEvent wheel(at, m_wnd.mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&m_wnd, &wheel);
    EXPECT_EQ(bar->value(), 25);
}

TEST_F(FormWndTest, TabWalksTheTabStopsAndStopsAtEitherEnd)
{
    QWidget* first = GetFirstTabStopControl(Form());
    QWidget* last = GetLastTabStopControl(Form());
    ASSERT_EQ(first, GetControlWidget(Item("q", "TEXT")));
    ASSERT_EQ(last, GetControlWidget(PageItem("_SUBMIT_")));
    first->setFocus();
    ASSERT_TRUE(first->hasFocus());
    QTest::keyClick(first, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(first->hasFocus());
    QTest::keyClick(first, Qt::Key_Tab);
    EXPECT_TRUE(Control<QLineEdit>("pw")->hasFocus()); // the tag line between is no tab stop
    last->setFocus();
    QTest::keyClick(last, Qt::Key_Tab);
    EXPECT_TRUE(last->hasFocus());
    EXPECT_TRUE(m_wnd.MoveFocus(true));
    EXPECT_TRUE(GetControlWidget(PageItem("_RESET_"))->hasFocus());
}

TEST_F(FormWndTest, DestroyingTheControlsLeavesTheElements)
{
    const int count = Form().GetItemCount();
    QPointer<QWidget> q = GetControlWidget(Item("q", "TEXT"));
    m_wnd.DestroyControls();
    EXPECT_TRUE(q.isNull());
    EXPECT_EQ(Form().GetItemCount(), count);
    m_wnd.OnFormChanged();
    EXPECT_NE(GetControlWidget(Item("q", "TEXT")), nullptr);
}
}
