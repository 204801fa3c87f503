// The owner-drawn report list: its colour decisions and text alignment as
// tables, and widget grabs where the colour is the behaviour (selection
// with and without focus, an owner's cell painting under the default text,
// an empty list), the callback's buffer coordinates and the hit test's
// state-icon part.

#include "widgets/OwnerDrawListCtrl.h"

#include "tests/support/QtApplication.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <QTreeView>
#include <QVBoxLayout>

namespace
{
using Look = COwnerDrawListCtrl::RowLook;

TEST(OwnerDrawListRules, RowColoursFollowStateFocusAndStyle)
{
    const struct
    {
        UINT m_state;
        bool m_focused;
        bool m_showAlways;
        bool m_lookSelected;
        bool m_focusRect;
        QPalette::ColorRole m_background;
        QPalette::ColorRole m_text;
    } cases[] = {
        {0, true, true, false, false, QPalette::Base, QPalette::Text},
        {LVIS_SELECTED, true, false, true, false, QPalette::Highlight, QPalette::HighlightedText},
        {LVIS_SELECTED, false, true, true, false, QPalette::Button, QPalette::HighlightedText},
        {LVIS_SELECTED, false, false, false, false, QPalette::Base, QPalette::Text},
        {LVIS_DROPHILITED, false, false, true, false, QPalette::Button, QPalette::HighlightedText},
        {LVIS_DROPHILITED, true, false, true, false, QPalette::Highlight, QPalette::HighlightedText},
        {LVIS_FOCUSED, true, false, false, true, QPalette::Base, QPalette::Text},
        {LVIS_FOCUSED | LVIS_SELECTED, false, true, true, false, QPalette::Button, QPalette::HighlightedText},
    };
    for (const auto& c : cases)
    {
        const Look look = COwnerDrawListCtrl::ChooseRowLook(c.m_state, c.m_focused, c.m_showAlways);
        EXPECT_EQ(look.m_lookSelected, c.m_lookSelected) << c.m_state << c.m_focused << c.m_showAlways;
        EXPECT_EQ(look.m_focusRect, c.m_focusRect) << c.m_state << c.m_focused << c.m_showAlways;
        EXPECT_EQ(look.m_background, c.m_background) << c.m_state << c.m_focused << c.m_showAlways;
        EXPECT_EQ(look.m_text, c.m_text) << c.m_state << c.m_focused << c.m_showAlways;
    }
}

TEST(OwnerDrawListRules, AlignedTextThatDoesNotFitIsLeftAligned)
{
    const struct
    {
        int m_format;
        int m_textWidth;
        int m_rectWidth;
        Qt::Alignment m_expected;
    } cases[] = {
        {LVCFMT_RIGHT, 30, 40, Qt::AlignRight},     {LVCFMT_RIGHT, 40, 40, Qt::AlignRight},
        {LVCFMT_RIGHT, 41, 40, Qt::AlignLeft},      {LVCFMT_CENTER, 10, 40, Qt::AlignHCenter},
        {LVCFMT_CENTER, 90, 40, Qt::AlignLeft},     {LVCFMT_LEFT, 10, 40, Qt::AlignLeft},
        {LVCFMT_LEFT, 90, 40, Qt::AlignLeft},
    };
    for (const auto& c : cases)
        EXPECT_EQ(COwnerDrawListCtrl::CellAlignment(c.m_format, c.m_textWidth, c.m_rectWidth), c.m_expected);
}

class OwnerDrawListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_window.resize(500, 300);
        auto* layout = new QVBoxLayout(&m_window);
        layout->addWidget(m_elsewhere = new QLineEdit);
        layout->addWidget(m_list = new COwnerDrawListCtrl);
        m_list->InsertColumn(0, "Name", LVCFMT_LEFT, 120);
        m_list->InsertColumn(1, "Size", LVCFMT_RIGHT, 40);
        for (int i = 0; i < 5; ++i)
        {
            m_list->InsertItem(i, "row" + std::to_string(i));
            m_list->SetItemText(i, 1, "1234567890123");
        }
        m_window.show();
        m_window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_window));
    }

    // The colour in the middle of a row, right of every column.
    QColor RowColour(int row)
    {
        QRect bounds;
        EXPECT_TRUE(m_list->GetItemRect(row, bounds, LVIR_BOUNDS));
        QWidget* viewport = m_list->ReportView()->viewport();
        const QImage image = viewport->grab().toImage();
        return image.pixelColor(viewport->width() - 10, bounds.center().y());
    }

    QApplication& m_application = TestApplication();
    QWidget m_window;
    QLineEdit* m_elsewhere = nullptr;
    COwnerDrawListCtrl* m_list = nullptr;
};

TEST_F(OwnerDrawListTest, SelectedRowColoursFollowTheFocusAndTheStyle)
{
    m_list->SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    const QPalette& colours = m_list->palette();
    ASSERT_NE(colours.color(QPalette::Highlight), colours.color(QPalette::Button));

    m_list->ReportView()->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_list->ReportView()->hasFocus(); }, 2000));
    EXPECT_EQ(RowColour(1), colours.color(QPalette::Highlight));
    EXPECT_EQ(RowColour(2), colours.color(QPalette::Base));

    m_elsewhere->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_elsewhere->hasFocus(); }, 2000));
    EXPECT_EQ(RowColour(1), colours.color(QPalette::Button)) << "unfocused, shown always";

    m_list->ModifyStyle(LVS_SHOWSELALWAYS, 0);
    EXPECT_EQ(RowColour(1), colours.color(QPalette::Base)) << "unfocused, not shown";
}

TEST_F(OwnerDrawListTest, CallbackThatReturnsFalseStillGetsTheDefaultText)
{
    std::vector<QRect> cells;
    bool complete = false;
    m_list->m_drawCallback = [&](COwnerDrawListCtrl&, int row, int column, QPainter& painter, const QRect& cell,
                                 UINT, const ListColumn& info) {
        if (column != 1)
            return false;
        if (row == 2)
            cells.push_back(cell);
        EXPECT_EQ(info.m_format, LVCFMT_RIGHT);
        painter.fillRect(cell, QColor(0xFF, 0, 0));
        return complete;
    };
    QRect sizeCell;
    ASSERT_TRUE(m_list->GetSubItemRect(2, 1, LVIR_LABEL, sizeCell));
    auto countInCell = [&](auto predicate) {
        const QImage image = m_list->ReportView()->viewport()->grab().toImage();
        int count = 0;
        for (int y = sizeCell.top(); y <= sizeCell.bottom(); ++y)
            for (int x = sizeCell.left(); x <= sizeCell.right(); ++x)
                count += predicate(image.pixelColor(x, y)) ? 1 : 0;
        return count;
    };
    const auto red = [](const QColor& c) { return c == QColor(0xFF, 0, 0); };
    const auto ink = [](const QColor& c) { return c.red() < 0xC0; };

    EXPECT_GT(countInCell(red), sizeCell.width() * sizeCell.height() / 2) << "the owner's background";
    EXPECT_GT(countInCell(ink), 5) << "the default text over it";
    ASSERT_FALSE(cells.empty());
    EXPECT_EQ(cells.back().top(), 0) << "cells are in back-buffer coordinates";
    EXPECT_EQ(cells.back().left(), sizeCell.left());

    complete = true;
    m_list->ReportView()->viewport()->repaint();
    EXPECT_EQ(countInCell(ink), 0) << "a complete callback leaves no default text";
}

TEST_F(OwnerDrawListTest, EmptyListPaintsOnlyTheWindowColour)
{
    m_list->DeleteAllItems();
    const QImage image = m_list->ReportView()->viewport()->grab().toImage();
    const QColor window = m_list->palette().color(QPalette::Base);
    int other = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            other += image.pixelColor(x, y) == window ? 0 : 1;
    EXPECT_EQ(other, 0);
}

TEST_F(OwnerDrawListTest, StateIconPartIsKnownOnceAStateImageWasDrawn)
{
    CImageList states(14, 14);
    QImage strip(28, 14, QImage::Format_RGB32);
    strip.fill(Qt::darkGreen);
    ASSERT_EQ(states.AddStrip(strip), 0);
    m_list->SetItemState(3, INDEXTOSTATEIMAGEMASK(2), LVIS_STATEIMAGEMASK);
    QRect bounds;
    ASSERT_TRUE(m_list->GetItemRect(3, bounds, LVIR_BOUNDS));
    const QPoint onState(bounds.left() + 5, bounds.center().y());

    UINT flags = 0;
    EXPECT_EQ(m_list->HitTest(onState, &flags), 3);
    EXPECT_EQ(flags & LVHT_ONITEMSTATEICON, 0u) << "no state image drawn yet";

    m_list->SetImageList(&states, LVSIL_STATE);
    m_list->ReportView()->viewport()->repaint();
    EXPECT_EQ(m_list->HitTest(onState, &flags), 3);
    EXPECT_NE(flags & LVHT_ONITEMSTATEICON, 0u);
    EXPECT_EQ(m_list->HitTest(QPoint(bounds.left() + 60, bounds.center().y()), &flags), 3);
    EXPECT_EQ(flags, LVHT_ONITEMLABEL);
    m_list->SetImageList(nullptr, LVSIL_STATE);
}

TEST_F(OwnerDrawListTest, SortBitmapMarksOnlyOneHeader)
{
    QImage arrow(8, 8, QImage::Format_ARGB32);
    arrow.fill(Qt::black);
    SetHeaderSortBitmap(*m_list, 1, arrow);
    EXPECT_FALSE(m_list->GetColumnHeaderImage(1).isNull());
    SetHeaderSortBitmap(*m_list, 0, arrow);
    EXPECT_TRUE(m_list->GetColumnHeaderImage(1).isNull());
    EXPECT_FALSE(m_list->GetColumnHeaderImage(0).isNull());
    SetHeaderSortBitmap(*m_list, -1, arrow);
    EXPECT_TRUE(m_list->GetColumnHeaderImage(0).isNull());
}
} // namespace
