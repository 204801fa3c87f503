// The key table: moves, word moves, deletes and joins, tabs, case change,
// typed characters, and which keys the view claims from the frame.

#include "ViewFixture.h"

#include "editor/EditColorScheme.h"

#include <QAction>
#include <QScrollBar>

namespace
{
struct KeyStroke
{
    Qt::Key m_key;
    Qt::KeyboardModifiers m_modifiers = Qt::NoModifier;
};

struct KeyCase
{
    const char* m_name;
    const char* m_text;
    int m_line;
    int m_column;
    std::vector<KeyStroke> m_keys;
    CEditSelection m_selection; // anchor line, caret line, anchor column, caret column
    const char* m_after;        // the text afterwards
};

class ViewKeysTest : public ViewFixture
{
protected:
    void Press(const std::vector<KeyStroke>& keys)
    {
        for (const KeyStroke& stroke : keys)
            QTest::keyClick(m_view, stroke.m_key, stroke.m_modifiers);
    }
};

TEST_F(ViewKeysTest, KeyTableMovesDeletesAndJoins)
{
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
    const std::vector<KeyCase> cases = {
        {"Right at a line end goes to the next line", "ab\r\ncd", 0, 2, {{Qt::Key_Right}}, {1, 1, 0, 0}, "ab\r\ncd"},
        {"Left at column 0 goes to the previous end", "ab\r\ncd", 1, 0, {{Qt::Key_Left}}, {0, 0, 2, 2}, "ab\r\ncd"},
        {"Left at the start does nothing", "ab", 0, 0, {{Qt::Key_Left}}, {0, 0, 0, 0}, "ab"},
        {"Backspace at the start does nothing", "ab", 0, 0, {{Qt::Key_Backspace}}, {0, 0, 0, 0}, "ab"},
        {"Right at the text end does nothing", "ab\r\ncd", 1, 2, {{Qt::Key_Right}}, {1, 1, 2, 2}, "ab\r\ncd"},
        {"Delete at the text end does nothing", "ab\r\ncd", 1, 2, {{Qt::Key_Delete}}, {1, 1, 2, 2}, "ab\r\ncd"},
        {"Backspace joins across CR LF", "ab\r\ncd", 1, 0, {{Qt::Key_Backspace}}, {0, 0, 2, 2}, "abcd"},
        {"Backspace joins across a lone LF", "ab\ncd", 1, 0, {{Qt::Key_Backspace}}, {0, 0, 2, 2}, "abcd"},
        {"Delete at a line end joins", "ab\r\ncd", 0, 2, {{Qt::Key_Delete}}, {0, 0, 2, 2}, "abcd"},
        {"Right crosses a tab in one step", "\tx", 0, 0, {{Qt::Key_Right}}, {0, 0, 4, 4}, "\tx"},
        {"Backspace removes a whole tab", "\tx", 0, 4, {{Qt::Key_Backspace}}, {0, 0, 0, 0}, "x"},
        {"Down keeps the desired column", "abcdef\r\nab\r\nabcdef", 0, 5,
         {{Qt::Key_Down}}, {1, 1, 2, 2}, "abcdef\r\nab\r\nabcdef"},
        {"The next long line restores it", "abcdef\r\nab\r\nabcdef", 0, 5,
         {{Qt::Key_Down}, {Qt::Key_Down}}, {2, 2, 5, 5}, "abcdef\r\nab\r\nabcdef"},
        {"Home and End", "  abc", 0, 3, {{Qt::Key_End}, {Qt::Key_Home, shift}}, {0, 0, 5, 0}, "  abc"},
        {"Ctrl+End and Ctrl+Home", "ab\r\ncd\r\nef", 1, 1, {{Qt::Key_End, ctrl}}, {2, 2, 2, 2}, "ab\r\ncd\r\nef"},
        {"Ctrl+Home", "ab\r\ncd\r\nef", 2, 1, {{Qt::Key_Home, ctrl}}, {0, 0, 0, 0}, "ab\r\ncd\r\nef"},
        {"Shift+Right extends", "abc", 0, 0, {{Qt::Key_Right, shift}, {Qt::Key_Right, shift}}, {0, 0, 0, 2}, "abc"},
        {"Left collapses a selection to its start", "abc", 0, 0,
         {{Qt::Key_Right, shift}, {Qt::Key_Right, shift}, {Qt::Key_Left}}, {0, 0, 0, 0}, "abc"},
        {"Ctrl+Right moves by word", "foo bar", 0, 0, {{Qt::Key_Right, ctrl}}, {0, 0, 4, 4}, "foo bar"},
        {"Ctrl+Left moves back by word", "foo bar", 0, 7, {{Qt::Key_Left, ctrl}}, {0, 0, 4, 4}, "foo bar"},
        {"Ctrl+Backspace deletes a word", "foo bar", 0, 7, {{Qt::Key_Backspace, ctrl}}, {0, 0, 4, 4}, "foo "},
        {"Ctrl+Delete deletes a word", "foo bar", 0, 0, {{Qt::Key_Delete, ctrl}}, {0, 0, 0, 0}, "bar"},
        {"Enter splits a line", "abcd", 0, 2, {{Qt::Key_Return}}, {1, 1, 0, 0}, "ab\r\ncd"},
        {"Tab inserts a tab", "ab", 0, 1, {{Qt::Key_Tab}}, {0, 0, 4, 4}, "a\tb"},
    };
    for (const KeyCase& c : cases)
    {
        SCOPED_TRACE(c.m_name);
        SetText(c.m_text);
        m_view->SetSelection(c.m_line, c.m_column, c.m_line, c.m_column, true);
        Press(c.m_keys);
        EXPECT_EQ(Selection(), c.m_selection);
        EXPECT_EQ(Text(), c.m_after);
    }
}

TEST_F(ViewKeysTest, ChangeCaseKeepsTheSameCharactersSelected)
{
    SetText("Mixed Case 123!\r\nÄrger");
    m_view->SetSelection(0, 0, 1, 5, true);
    QTest::keyClick(m_view, Qt::Key_U, Qt::ControlModifier);
    EXPECT_EQ(Text(), "mixed case 123!\r\närger");
    EXPECT_EQ(Selection(), (CEditSelection{0, 1, 0, 5}));
    QTest::keyClick(m_view, Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Text(), "MIXED CASE 123!\r\nÄRGER");
    m_view->ChangeCase(2);
    EXPECT_EQ(Text(), "mixed case 123!\r\närger");
    EXPECT_EQ(Selection(), (CEditSelection{0, 1, 0, 5}));
}

TEST_F(ViewKeysTest, PrintableCharactersAreTypedAndControlsAreNot)
{
    SetText("");
    QTest::keyClicks(m_view, "a~");
    QTest::keyClick(m_view, Qt::Key_Space);
    QKeyEvent accented(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QStringLiteral("é"));
    QApplication::sendEvent(m_view, &accented);
    QKeyEvent del(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(0x7F)));
    QApplication::sendEvent(m_view, &del);
    QKeyEvent control(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(0x01)));
    QApplication::sendEvent(m_view, &control);
    EXPECT_EQ(Text(), "a~ é");
    m_view->SetLocked(true);
    QTest::keyClicks(m_view, "b");
    EXPECT_EQ(Text(), "a~ é");
}

TEST_F(ViewKeysTest, CtrlUpAndDownScrollWithoutMovingTheCaret)
{
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "line\r\n";
    SetText(text);
    m_view->SetSelection(5, 0, 5, 0, true);
    QTest::keyClick(m_view, Qt::Key_Down, Qt::ControlModifier);
    QTest::keyClick(m_view, Qt::Key_Down, Qt::ControlModifier);
    int top = 0, left = 0;
    m_view->GetScrollPosition(top, left);
    EXPECT_EQ(top, 2);
    EXPECT_EQ(Selection(), (CEditSelection{5, 5, 0, 0}));
    QTest::keyClick(m_view, Qt::Key_PageDown);
    EXPECT_EQ(Selection().m_caretLine, 5 + m_view->GetVisibleRows() - 1);
}

// Which keys reach the view and which the frame's accelerators, by state.
TEST_F(ViewKeysTest, KeysTheViewDoesNotTakeReachTheFramesAccelerators)
{
    int copies = 0;
    int lowerCases = 0;
    auto* copy = new QAction(m_frame);
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    QObject::connect(copy, &QAction::triggered, [&] { ++copies; });
    auto* lower = new QAction(m_frame);
    lower->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
    QObject::connect(lower, &QAction::triggered, [&] { ++lowerCases; });
    m_frame->addAction(copy);
    m_frame->addAction(lower);

    struct ClaimCase
    {
        const char* m_name;
        bool m_locked;
        bool m_selected;
        Qt::Key m_key;
        bool m_frameGetsIt;
    };
    const ClaimCase cases[] = {
        {"Ctrl+C with a selection copies in the view", false, true, Qt::Key_C, false},
        {"Ctrl+C without a selection goes to the frame", false, false, Qt::Key_C, true},
        {"Ctrl+U while editable changes case in the view", false, true, Qt::Key_U, false},
        {"Ctrl+U while locked goes to the frame", true, true, Qt::Key_U, true},
    };
    for (const ClaimCase& c : cases)
    {
        SCOPED_TRACE(c.m_name);
        SetText("Word");
        m_view->SetLocked(c.m_locked);
        m_view->SetSelection(0, 0, 0, c.m_selected ? 4 : 0, true);
        m_clipboard.m_text.reset();
        const int before = copies + lowerCases;
        QTest::keyClick(m_view, c.m_key, Qt::ControlModifier);
        EXPECT_EQ(copies + lowerCases - before, c.m_frameGetsIt ? 1 : 0);
        if (c.m_key == Qt::Key_C && !c.m_frameGetsIt)
        {
            EXPECT_EQ(m_clipboard.m_text, "Word");
        }
        if (c.m_key == Qt::Key_U && !c.m_frameGetsIt)
        {
            EXPECT_EQ(Text(), "word");
        }
    }
}

TEST_F(ViewKeysTest, WithTheTextAreaDisabledNoKeyIsTaken)
{
    SetText("abc");
    m_view->SetSelection(0, 1, 0, 1, true);
    m_view->EnableTextArea(false, true);
    QTest::keyClicks(m_view, "x");
    QTest::keyClick(m_view, Qt::Key_Right);
    EXPECT_EQ(Text(), "abc");
    EXPECT_EQ(Selection(), (CEditSelection{0, 0, 1, 1}));
    EXPECT_FALSE(m_view->VerticalBar()->isVisible());
    EXPECT_FALSE(m_view->HorizontalBar()->isVisible());
}
}
