// The settings page base: the binding table loads and saves each kind of
// control, refuses bad input with the user's messages and the focus on the
// control, never wraps a number beyond 32 bits, applies in table order, and
// talks to its owner (modified notifications, Esc, Ctrl+Tab, commands).

#include "dialogs/SettingsPage.h"

#include "foundation/properties/PropertySet.h"
#include "platform/ui/DialogBuilder.h"
#include "platform/ui/RecordingModalDriver.h"

#include "tests/support/QtApplication.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace
{
enum Control
{
    kCheck = 100,
    kList = 101,
    kLimited = 102,
    kNumber = 103,
    kRanged = 104,
    kRadioFirst = 105,
    kRadioSecond = 106,
    kRadioThird = 107,
    kAnyText = 108,
};

enum Property
{
    kPropCheck = 1,
    kPropList = 2,
    kPropLimited = 3,
    kPropNumber = 4,
    kPropRanged = 5,
    kPropRadio = 6,
    kPropAnyText = 7,
};

constexpr ControlDesc kControls[] = {
    {ControlKind::Check, kCheck, "&Check", 7, 7, 100, 10},
    {ControlKind::DropList, kList, "", 7, 21, 100, 60, 0, "zero\none\ntwo"},
    {ControlKind::Edit, kLimited, "", 7, 39, 100, 14},
    {ControlKind::Edit, kNumber, "", 7, 57, 100, 14},
    {ControlKind::Edit, kRanged, "", 7, 75, 100, 14},
    {ControlKind::Radio, kRadioFirst, "&First", 7, 93, 50, 10, kControlGroup},
    {ControlKind::Radio, kRadioSecond, "&Second", 7, 105, 50, 10},
    {ControlKind::Radio, kRadioThird, "&Third", 7, 117, 50, 10},
    {ControlKind::Combo, kAnyText, "", 7, 131, 100, 60},
};
constexpr DialogDesc kDescription = {9001, "Page", 120, 150, kControls};

// A page over every kind of binding, built from its own description.
class CTestPage : public CSettingsPage
{
public:
    CTestPage(IPropertySet* source, IPropertySet* target) : CSettingsPage(9001, source, target, "Test\\Page", "Page")
    {
        AddBinding(kCheck, kPropCheck, CSettingBinding::kCheck);
        AddBinding(kList, kPropList, CSettingBinding::kCombo);
        AddBinding(kLimited, kPropLimited, CSettingBinding::kText, 5);
        AddBinding(kNumber, kPropNumber, CSettingBinding::kInt);
        CSettingBinding& ranged = AddBinding(kRanged, kPropRanged, CSettingBinding::kInt);
        ranged.m_min = 10;
        ranged.m_max = 3600;
        AddBinding(kRadioFirst, kPropRadio, CSettingBinding::kRadio);
        AddBinding(kAnyText, kPropAnyText, CSettingBinding::kText, -1);
        OnCommand(5000, [this] { ++m_ownCommands; });
    }

    bool CreateFromTemplate(QWidget* parent) override { return CreateFromDescription(parent, kDescription); }

    int m_ownCommands = 0;
};

// The host: records what its page tells it.
class CTestOwner : public CDialog, public ISettingsPageOwner
{
public:
    CTestOwner() { OnCommand(5001, [this] { ++m_ownerCommands; }); }

    void OnPageNotify(UINT message, std::uintptr_t param, const std::string& path) override
    {
        m_notes.push_back({message, param, path});
    }

    struct Note
    {
        UINT m_message;
        std::uintptr_t m_param;
        std::string m_path;
    };
    std::vector<Note> m_notes;
    int m_cancels = 0;
    int m_ctrlTabs = 0;
    int m_ownerCommands = 0;

protected:
    void OnCancel() override { ++m_cancels; }
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Tab && (event->modifiers() & Qt::ControlModifier))
            ++m_ctrlTabs;
        CDialog::keyPressEvent(event);
    }
};

class SettingsPageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_owner.show();
        ASSERT_TRUE(m_page.CreatePage(&m_owner, &m_owner, 0x084C));
    }

    template <class T>
    T* Item(int id)
    {
        return qobject_cast<T*>(m_page.GetDlgItem(id));
    }

    QApplication& m_application = TestApplication();
    CRecordingModalDriver m_driver;
    CPropertySet m_source;
    CPropertySet m_target;
    CTestOwner m_owner;
    CTestPage m_page{&m_source, &m_target};
};

TEST_F(SettingsPageTest, LoadingShowsEveryKindAndFiresNoChangeHandler)
{
    m_source.SetInt(kPropCheck, 1);
    m_source.SetInt(kPropList, 2);
    m_source.SetString(kPropLimited, "abc");
    m_source.SetInt(kPropNumber, -7);
    m_source.SetInt(kPropRanged, 120);
    m_source.SetInt(kPropRadio, 2);
    m_source.SetString(kPropAnyText, "free text");
    ASSERT_TRUE(m_page.Reload());

    EXPECT_TRUE(Item<QCheckBox>(kCheck)->isChecked());
    EXPECT_EQ(Item<QComboBox>(kList)->currentIndex(), 2);
    EXPECT_EQ(Item<QLineEdit>(kLimited)->text(), "abc");
    EXPECT_EQ(Item<QLineEdit>(kNumber)->text(), "-7");
    EXPECT_EQ(Item<QLineEdit>(kRanged)->text(), "120");
    EXPECT_TRUE(Item<QRadioButton>(kRadioThird)->isChecked());
    EXPECT_EQ(Item<QComboBox>(kAnyText)->currentText(), "free text");
    // A missing value loads as 0 or empty.
    m_source.Clear();
    ASSERT_TRUE(m_page.Reload());
    EXPECT_FALSE(Item<QCheckBox>(kCheck)->isChecked());
    EXPECT_EQ(Item<QLineEdit>(kNumber)->text(), "0");
    EXPECT_EQ(Item<QLineEdit>(kLimited)->text(), "");

    EXPECT_FALSE(m_page.IsModified()) << "loading is no edit";
    EXPECT_TRUE(m_owner.m_notes.empty());
}

// One case: what the user leaves in one control, and what a save makes of it.
struct SaveCase
{
    const char* m_name;
    int m_control;
    std::function<void(CDialog&)> m_set;
    int m_property;
    std::optional<int> m_storedInt;          // the value saved, when it is a number
    std::optional<std::string> m_storedText; // the value saved, when it is a text
    const char* m_message;                   // the refusal; null when accepted
};

void SetText(CDialog& page, int id, const char* text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(page.GetDlgItem(id)))
        edit->setText(text);
    else if (auto* combo = qobject_cast<QComboBox*>(page.GetDlgItem(id)); combo)
        combo->setEditText(text);
}

TEST_F(SettingsPageTest, SavingEachKindStoresOrRefusesWithTheUsersMessage)
{
    const std::string fiveHundred(500, 'x');
    const SaveCase cases[] = {
        {"check box checked", kCheck, [](CDialog& p) { qobject_cast<QCheckBox*>(p.GetDlgItem(kCheck))->setChecked(true); },
         kPropCheck, 1, {}, nullptr},
        {"check box clear", kCheck, [](CDialog& p) { qobject_cast<QCheckBox*>(p.GetDlgItem(kCheck))->setChecked(false); },
         kPropCheck, 0, {}, nullptr},
        {"combo with a selection", kList,
         [](CDialog& p) { qobject_cast<QComboBox*>(p.GetDlgItem(kList))->setCurrentIndex(1); }, kPropList, 1, {}, nullptr},
        {"combo without a selection", kList,
         [](CDialog& p) { qobject_cast<QComboBox*>(p.GetDlgItem(kList))->setCurrentIndex(-1); }, kPropList, -1, {},
         nullptr},
        {"text at its limit", kLimited, [](CDialog& p) { SetText(p, kLimited, "abcde"); }, kPropLimited, {}, "abcde",
         nullptr},
        {"text over its limit", kLimited, [](CDialog& p) { SetText(p, kLimited, "abcdef"); }, kPropLimited, {}, {},
         "Please enter no more than 5 characters."},
        {"text without a limit", kAnyText, [&](CDialog& p) { SetText(p, kAnyText, fiveHundred.c_str()); },
         kPropAnyText, {}, fiveHundred, nullptr},
        {"negative integer without a range", kNumber, [](CDialog& p) { SetText(p, kNumber, " -42 "); }, kPropNumber,
         -42, {}, nullptr},
        {"largest 32-bit integer", kNumber, [](CDialog& p) { SetText(p, kNumber, "2147483647"); }, kPropNumber,
         2147483647, {}, nullptr},
        {"smallest 32-bit integer", kNumber, [](CDialog& p) { SetText(p, kNumber, "-2147483648"); }, kPropNumber,
         -2147483647 - 1, {}, nullptr},
        {"integer that does not parse", kNumber, [](CDialog& p) { SetText(p, kNumber, "12ab"); }, kPropNumber, {}, {},
         "Please enter an integer."},
        {"empty integer", kNumber, [](CDialog& p) { SetText(p, kNumber, ""); }, kPropNumber, {}, {},
         "Please enter an integer."},
        {"one beyond 32 bits", kNumber, [](CDialog& p) { SetText(p, kNumber, "2147483648"); }, kPropNumber, {}, {},
         "Please enter an integer."},
        {"2^32 would wrap to 0", kNumber, [](CDialog& p) { SetText(p, kNumber, "4294967296"); }, kPropNumber, {}, {},
         "Please enter an integer."},
        {"one below 32 bits", kNumber, [](CDialog& p) { SetText(p, kNumber, "-2147483649"); }, kPropNumber, {}, {},
         "Please enter an integer."},
        {"below the range", kRanged, [](CDialog& p) { SetText(p, kRanged, "9"); }, kPropRanged, {}, {},
         "Please enter an integer between 10 and 3600."},
        {"above the range", kRanged, [](CDialog& p) { SetText(p, kRanged, "3601"); }, kPropRanged, {}, {},
         "Please enter an integer between 10 and 3600."},
        {"top of the range", kRanged, [](CDialog& p) { SetText(p, kRanged, "3600"); }, kPropRanged, 3600, {}, nullptr},
        {"second radio button", kRadioFirst,
         [](CDialog& p) { qobject_cast<QRadioButton*>(p.GetDlgItem(kRadioSecond))->setChecked(true); }, kPropRadio, 1,
         {}, nullptr},
    };
    for (const SaveCase& c : cases)
    {
        SCOPED_TRACE(c.m_name);
        // Valid values everywhere, then the case's own.
        m_source.SetInt(kPropNumber, 5);
        m_source.SetInt(kPropRanged, 100);
        m_source.SetString(kPropLimited, "ok");
        m_source.SetInt(kPropRadio, 0);
        ASSERT_TRUE(m_page.Reload());
        const int storedBefore = GetIntOr(m_source, c.m_property, 0);
        const std::string textBefore = GetStringOf(m_source, c.m_property);
        c.m_set(m_page);
        const size_t boxes = m_driver.Boxes().size();

        const bool saved = m_page.UpdateData(true);

        if (c.m_message)
        {
            EXPECT_FALSE(saved);
            ASSERT_EQ(m_driver.Boxes().size(), boxes + 1);
            EXPECT_EQ(m_driver.Boxes().back().m_text, c.m_message);
            EXPECT_EQ(m_page.focusWidget(), m_page.GetDlgItem(c.m_control)) << "focus on the refused control";
            EXPECT_EQ(m_page.GetFailedControl(), m_page.GetDlgItem(c.m_control));
            EXPECT_EQ(GetIntOr(m_source, c.m_property, 0), storedBefore) << "nothing wrapped or clamped is stored";
            EXPECT_EQ(GetStringOf(m_source, c.m_property), textBefore);
            continue;
        }
        EXPECT_TRUE(saved);
        EXPECT_EQ(m_driver.Boxes().size(), boxes);
        if (c.m_storedInt)
        {
            int value = 12345;
            EXPECT_TRUE(m_source.GetInt(c.m_property, value));
            EXPECT_EQ(value, *c.m_storedInt);
        }
        if (c.m_storedText)
        {
            EXPECT_EQ(GetStringOf(m_source, c.m_property), *c.m_storedText);
        }
    }
}

TEST_F(SettingsPageTest, AFailedSaveKeepsWhatEarlierBindingsStoredAndStopsThere)
{
    m_source.SetString(kPropAnyText, "before");
    ASSERT_TRUE(m_page.Reload());
    Item<QCheckBox>(kCheck)->setChecked(true);
    SetText(m_page, kNumber, "x");
    SetText(m_page, kAnyText, "after");

    EXPECT_FALSE(m_page.UpdateData(true));
    EXPECT_EQ(GetIntOr(m_source, kPropCheck, 0), 1) << "stored before the failure";
    EXPECT_EQ(GetStringOf(m_source, kPropAnyText), "before") << "the pass ended at the failure";
    ASSERT_EQ(m_driver.Boxes().size(), 1u) << "one message for one pass";
}

TEST_F(SettingsPageTest, ApplyCopiesEveryBoundValueToTheTarget)
{
    m_source.SetInt(kPropCheck, 1);
    m_source.SetInt(kPropList, -1);
    m_source.SetString(kPropLimited, "abc");
    m_source.SetInt(kPropNumber, -3);
    m_source.SetInt(kPropRadio, 2);
    m_source.SetInt(99, 7); // no binding: not copied
    EXPECT_TRUE(m_page.ApplyBindings());
    EXPECT_EQ(GetIntOr(m_target, kPropCheck, 0), 1);
    EXPECT_EQ(GetIntOr(m_target, kPropList, 0), -1);
    EXPECT_EQ(GetStringOf(m_target, kPropLimited), "abc");
    EXPECT_EQ(GetIntOr(m_target, kPropNumber, 0), -3);
    EXPECT_EQ(GetIntOr(m_target, kPropRadio, 0), 2);
    EXPECT_FALSE(m_target.Has(99));

    // Without a target the page exchanges and applies nothing, and succeeds.
    CTestOwner owner; // before its page, which it would delete as its child
    CTestPage orphan(&m_source, nullptr);
    ASSERT_TRUE(orphan.CreatePage(&owner, &owner, 0));
    EXPECT_TRUE(orphan.ApplyBindings());
    EXPECT_TRUE(orphan.UpdateData(true));
    EXPECT_TRUE(qobject_cast<QLineEdit*>(orphan.GetDlgItem(kLimited))->text().isEmpty());
}

TEST_F(SettingsPageTest, UserEditsNotifyTheOwnerEveryTimeAndFalseNever)
{
    QTest::keyClicks(Item<QLineEdit>(kLimited), "a");
    ASSERT_EQ(m_owner.m_notes.size(), 1u);
    EXPECT_EQ(m_owner.m_notes[0].m_message, 0x084Cu);
    EXPECT_EQ(m_owner.m_notes[0].m_path, "Test\\Page");
    EXPECT_TRUE(m_page.IsModified());

    QTest::mouseClick(Item<QCheckBox>(kCheck), Qt::LeftButton);
    Item<QComboBox>(kList)->setFocus();
    QTest::keyClick(Item<QComboBox>(kList), Qt::Key_Down);
    EXPECT_EQ(m_owner.m_notes.size(), 3u) << "every edit notifies, also when already modified";

    m_page.SetModified(false);
    EXPECT_FALSE(m_page.IsModified());
    EXPECT_EQ(m_owner.m_notes.size(), 3u);

    // A page that was never created ignores SetModified.
    CTestPage loose(&m_source, &m_target);
    loose.SetModified(true);
    EXPECT_FALSE(loose.IsModified());
}

TEST_F(SettingsPageTest, EscCancelsTheHostAndCtrlTabReachesIt)
{
    QLineEdit* edit = Item<QLineEdit>(kNumber);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(m_owner.m_cancels, 1);
    EXPECT_TRUE(m_page.isVisible()) << "the page itself is not ended";

    QTest::keyClick(edit, Qt::Key_Tab, Qt::ControlModifier);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(m_owner.m_ctrlTabs, 1);
    EXPECT_EQ(m_page.focusWidget(), edit) << "Ctrl+Tab does not move within the page";

    QTest::keyClick(edit, Qt::Key_Tab);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(m_owner.m_ctrlTabs, 1);
    EXPECT_NE(m_page.focusWidget(), edit) << "Tab alone moves to the next control";
}

TEST_F(SettingsPageTest, CommandsAskTheOwnerFirst)
{
    EXPECT_TRUE(m_page.ExecuteCommand(5001));
    EXPECT_EQ(m_owner.m_ownerCommands, 1);
    EXPECT_TRUE(m_page.ExecuteCommand(5000));
    EXPECT_EQ(m_page.m_ownCommands, 1);
    EXPECT_FALSE(m_page.ExecuteCommand(5002));
}

TEST_F(SettingsPageTest, ToolTipsFollowActivation)
{
    m_page.AddToolTip(kNumber, "How many");
    EXPECT_EQ(Item<QLineEdit>(kNumber)->toolTip(), "How many");
    m_page.ActivateToolTips(false);
    EXPECT_TRUE(Item<QLineEdit>(kNumber)->toolTip().isEmpty());
    m_page.ActivateToolTips(true);
    EXPECT_EQ(Item<QLineEdit>(kNumber)->toolTip(), "How many");
}

} // namespace
