// The mouse (wheel, gutter drag, word selection), the clipboard, undo and
// redo, the gutter, deferred colouring and painting.

#include "ViewFixture.h"

#include "editor/EditColorScheme.h"
#include "editor/SyntaxColorizer.h"
#include "editor/ui/PaletteSystemColors.h"

#include "res/ResourceIds.h"

#include <QImage>
#include <QPaintEvent>
#include <QScrollBar>
#include <QWheelEvent>

namespace
{
std::string NumberedLines(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    return text;
}

class ViewEditTest : public ViewFixture
{
protected:
    void Wheel(int delta, Qt::KeyboardModifiers modifiers)
    {
        const QPointF at(100, 50);
        QWheelEvent wheel(at, m_view->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(m_view, &wheel);
    }
};

TEST_F(ViewEditTest, GutterWidthFollowsTheLineCount)
{
    const std::pair<int, int> table[] = {{9, 3},    {10, 4},    {99, 4},    {100, 5},    {999, 5},
                                         {1000, 6}, {9999, 6}, {10000, 7}, {99999, 7}, {100000, 8}};
    for (const auto& [lines, width] : table)
        EXPECT_EQ(CColorEditView::GutterWidthFor(lines), width) << lines;
    SetText("one");
    EXPECT_EQ(m_view->GetGutterWidth(), 3);
    m_view->ShowLineNumbers(false, true);
    EXPECT_EQ(m_view->GetGutterWidth(), 0);
}

TEST_F(ViewEditTest, WheelNotchesScrollThreeLinesOrFourColumns)
{
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += std::string(300, 'x') + "\r\n";
    SetText(text);
    Wheel(-120, Qt::NoModifier);
    int top = 0, left = 0;
    m_view->GetScrollPosition(top, left);
    EXPECT_EQ(top, 3);
    EXPECT_EQ(m_view->VerticalBar()->value(), 3);
    Wheel(-240, Qt::NoModifier);
    m_view->GetScrollPosition(top, left);
    EXPECT_EQ(top, 9);
    Wheel(-120, Qt::ShiftModifier);
    m_view->GetScrollPosition(top, left);
    EXPECT_EQ(left, 4);
    Wheel(120 * 50, Qt::NoModifier);
    m_view->GetScrollPosition(top, left);
    EXPECT_EQ(top, 0);
}

TEST_F(ViewEditTest, AGutterDragSelectsWholeLinesBothWays)
{
    SetText(NumberedLines(20));
    const int gutter = m_view->GetGutterWidth();
    ASSERT_GT(gutter, 0);
    QTest::mousePress(m_view, Qt::LeftButton, Qt::NoModifier, CellPoint(4, 0));
    EXPECT_EQ(Selection(), (CEditSelection{4, 5, 0, 0}));
    QTest::mouseMove(m_view, CellPoint(7, 1));
    EXPECT_EQ(Selection(), (CEditSelection{4, 8, 0, 0}));
    QTest::mouseMove(m_view, CellPoint(2, 1));
    EXPECT_EQ(Selection(), (CEditSelection{5, 2, 0, 0}));
    QTest::mouseRelease(m_view, Qt::LeftButton, Qt::NoModifier, CellPoint(2, 1));
    // A press in the text places the caret; a double click takes the word.
    QTest::mouseClick(m_view, Qt::LeftButton, Qt::NoModifier, CellPoint(3, gutter + 2));
    EXPECT_EQ(Selection(), (CEditSelection{3, 3, 2, 2}));
    QTest::mouseDClick(m_view, Qt::LeftButton, Qt::NoModifier, CellPoint(3, gutter + 1));
    EXPECT_EQ(Selection(), (CEditSelection{3, 3, 0, 4}));
}

TEST_F(ViewEditTest, CutPutsTheTextOnTheClipboardAndPasteInsertsIt)
{
    SetText("abcd");
    m_view->SetSelection(0, 1, 0, 3, true);
    QTest::keyClick(m_view, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(m_clipboard.m_text, "bc");
    EXPECT_EQ(Text(), "ad");
    QTest::keyClick(m_view, Qt::Key_End);
    QTest::keyClick(m_view, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Text(), "adbc");
    EXPECT_EQ(Selection(), (CEditSelection{0, 0, 4, 4}));
}

TEST_F(ViewEditTest, ACutTheClipboardRefusesKeepsTheText)
{
    SetText("abcd");
    m_view->SetSelection(0, 1, 0, 3, true);
    m_clipboard.m_refuseSet = true;
    EXPECT_TRUE(m_view->QueryCommandState(ID_EDIT_CUT).IsEnabled());
    m_view->ExecuteCommand(ID_EDIT_CUT);
    EXPECT_EQ(Text(), "abcd");
    EXPECT_EQ(Selection(), (CEditSelection{0, 0, 1, 3}));
}

TEST_F(ViewEditTest, CommandStatesFollowTheSelectionAndTheLock)
{
    SetText("abcd");
    EXPECT_FALSE(m_view->QueryCommandState(ID_EDIT_COPY).IsEnabled());
    EXPECT_FALSE(m_view->QueryCommandState(ID_EDIT_PASTE).IsEnabled());
    m_clipboard.m_text = "x";
    EXPECT_TRUE(m_view->QueryCommandState(ID_EDIT_PASTE).IsEnabled());
    m_view->ExecuteCommand(ID_EDIT_SELECT_ALL);
    EXPECT_FALSE(m_view->QueryCommandState(ID_EDIT_SELECT_ALL).IsEnabled());
    EXPECT_TRUE(m_view->QueryCommandState(ID_EDIT_COPY).IsEnabled());
    m_view->SetLocked(true);
    EXPECT_TRUE(m_view->QueryCommandState(ID_EDIT_COPY).IsEnabled());
    EXPECT_FALSE(m_view->QueryCommandState(ID_EDIT_CUT).IsEnabled());
    EXPECT_FALSE(m_view->QueryCommandState(ID_EDIT_PASTE).IsEnabled());
}

TEST_F(ViewEditTest, UndoAndRedoRestoreTextAndCaret)
{
    SetText("ab");
    m_view->SetSelection(0, 2, 0, 2, true);
    QTest::keyClicks(m_view, "cd");
    QTest::keyClick(m_view, Qt::Key_Return);
    QTest::keyClicks(m_view, "e");
    ASSERT_EQ(Text(), "abcd\r\ne");
    EXPECT_TRUE(m_view->IsModified());
    while (m_view->CanUndo())
        QTest::keyClick(m_view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Text(), "ab");
    EXPECT_FALSE(m_view->IsModified());
    EXPECT_TRUE(Selection().IsEmpty());
    while (m_view->CanRedo())
        QTest::keyClick(m_view, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Text(), "abcd\r\ne");
    EXPECT_TRUE(Selection().IsEmpty());
}

TEST_F(ViewEditTest, ChangingTheTabSizeKeepsTheSelectedCharacters)
{
    SetText("\ta\tb");
    m_view->SetSelection(0, 4, 0, 8, true); // "a\t"
    m_view->SetTabSize(8, true);
    EXPECT_EQ(Selection(), (CEditSelection{0, 0, 8, 16}));
    int64_t start = 0, end = 0;
    std::string text;
    ASSERT_TRUE(m_view->GetSelectedText(start, end, &text));
    EXPECT_EQ(text, "a\t");
}

TEST_F(ViewEditTest, ColouringOfALargeTextWaitsForItsDelay)
{
    CSyntaxColorizer colorizer(1);
    m_view->SetColorizer(&colorizer, false, true);
    SetText(NumberedLines(5000));
    m_view->SetSelection(10, 0, 10, 0, true);
    const auto typed = std::chrono::steady_clock::now();
    QTest::keyClicks(m_view, "<b>");
    EXPECT_FALSE(m_view->IsColored());
    ASSERT_TRUE(WaitFor([&] { return m_view->IsColored(); }));
    EXPECT_GE(std::chrono::steady_clock::now() - typed, std::chrono::milliseconds(100));
    m_view->SetColorizer(nullptr, false, false);
}

TEST_F(ViewEditTest, ASmallTextIsColouredAtOnce)
{
    m_view->SetColorizer(new CSyntaxColorizer(1), true, true);
    SetText("<p>hello</p>");
    QTest::keyClicks(m_view, "x");
    EXPECT_TRUE(m_view->IsColored());
}

TEST_F(ViewEditTest, PaintingShowsTheTextTheGutterAndTheSelection)
{
    SetText("Hello\r\nWorld");
    m_view->SetSelection(1, 0, 1, 5, true);
    QCoreApplication::processEvents();
    const QImage image = m_view->grab().toImage();
    image.save(QString::fromStdString(::testing::TempDir()) + "color_edit_view.png");
    const int w = m_view->GetCharWidth();
    const int h = m_view->GetLineHeight();
    const int gutter = m_view->GetGutterWidth();
    const QColor selection = ToQColor(m_view->GetScheme().GetBaseColor(kSlotSelection));
    const QColor text = ToQColor(m_view->GetScheme().GetBaseColor(kSlotText));
    // The selected row carries the selection colour; the first row does not.
    const auto rowHas = [&](int row, const QColor& color) {
        for (int x = gutter * w; x < (gutter + 5) * w; ++x)
        {
            for (int y = row * h; y < (row + 1) * h; ++y)
            {
                if (image.pixelColor(x, y) == color)
                    return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(rowHas(1, selection));
    EXPECT_FALSE(rowHas(0, selection));
    // Some pixels of the first row's cells are glyphs, not background.
    int inked = 0;
    for (int x = gutter * w; x < (gutter + 5) * w; ++x)
    {
        for (int y = 0; y < h; ++y)
            inked += image.pixelColor(x, y) != text;
    }
    EXPECT_GT(inked, 10);
}

// Counts the paints of a view's text area (a scroll bar that changes has
// the area behind it painted, which is not the text's).
class CPaintCounter : public QObject
{
public:
    explicit CPaintCounter(QRect area) : m_area(area) {}
    int m_paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            m_paints += static_cast<QPaintEvent*>(event)->rect().intersects(m_area);
        return false;
    }

private:
    QRect m_area;
};

TEST_F(ViewEditTest, TheRedrawLockHoldsPaintingUntilItsLastRelease)
{
    SetText(NumberedLines(50));
    QCoreApplication::processEvents();
    CPaintCounter counter(m_view->ClientRect());
    m_view->installEventFilter(&counter);
    m_view->SetRedraw(false);
    m_view->SetRedraw(false);
    m_view->SetSelection(3, 0, 9, 2, true);
    QTest::keyClicks(m_view, "typed");
    m_view->SetScrollPosition(10, 0);
    m_view->SetRedraw(true);
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_view->IsRedrawLocked());
    EXPECT_EQ(counter.m_paints, 0);
    m_view->SetRedraw(true);
    EXPECT_FALSE(m_view->IsRedrawLocked());
    ASSERT_TRUE(WaitFor([&] { return counter.m_paints > 0; }));
    EXPECT_EQ(m_buffer->GetLine(3)->GetText(), "typedne 9\r\n");
    m_view->removeEventFilter(&counter);
}

TEST_F(ViewEditTest, ADisabledTextAreaPaintsOnlyItsBackground)
{
    SetText("Hello");
    m_view->EnableTextArea(false, true);
    const QImage image = m_view->grab().toImage();
    const QColor background = ToQColor(m_view->GetScheme().GetBaseColor(kSlotEmptyWindow));
    for (int y = 0; y < image.height(); y += 7)
    {
        for (int x = 0; x < image.width(); x += 7)
            ASSERT_EQ(image.pixelColor(x, y), background) << x << "," << y;
    }
}
}

namespace
{
TEST(ViewLifetimeTest, ABufferThatOutlivesTheViewKeepsNoColouriserOfIt)
{
    TestApplication();
    CEditTextBuffer kept;
    CEditTextBuffer replaced;
    {
        CColorEditView view;
        view.AttachBuffer(&replaced, false);
        view.SetColorizer(new CSyntaxColorizer(1), true, false);
        EXPECT_NE(replaced.GetColorizer(), nullptr);
        view.AttachBuffer(&kept, false);
        EXPECT_EQ(replaced.GetColorizer(), nullptr);
        EXPECT_EQ(kept.GetColorizer(), view.GetColorizer());
    }
    EXPECT_EQ(kept.GetColorizer(), nullptr);
    kept.SetText("<p>still usable</p>");
    CEditColorScheme scheme;
    CEditDisplayList list;
    kept.Colorize(list, scheme, 0, 0, true);
}
}
