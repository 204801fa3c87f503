// Image lists cut from strips, the list control's index interface (states,
// hit tests, sorting, deletion notices, modes) and the tree control's
// handles (lazy children, sorting, visible walk, selection causes).

#include "platform/ui/ImageList.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/MaskColor.h"
#include "platform/ui/TreeCtrl.h"

#include "tests/support/QtApplication.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

namespace
{
// A strip of count images of size cx x cx on magenta, image i with a dark
// pixel at (i, i) and a white one at (cx-1, 0).
QImage MakeStrip(int cx, int count, int extra = 0)
{
    QImage strip(cx * count + extra, cx, QImage::Format_RGB32);
    strip.fill(QColor(0xFF, 0x00, 0xFF));
    for (int i = 0; i < count; ++i)
    {
        strip.setPixel(i * cx + i, i, qRgb(0x10, 0x20, 0x30));
        strip.setPixel(i * cx + cx - 1, 0, qRgb(0xFF, 0xFF, 0xFF));
    }
    return strip;
}

class ListTreeTest : public ::testing::Test
{
protected:
    // First, before any widget member of a derived fixture.
    QApplication& m_application = TestApplication();
};

TEST_F(ListTreeTest, StripsAreCutWithMagentaTransparent)
{
    CImageList list(16, 16);
    EXPECT_EQ(list.AddStrip(MakeStrip(16, 3)), 0);
    EXPECT_EQ(list.AddStrip(MakeStrip(16, 2, 10)), 3) << "a narrow last part is dropped";
    EXPECT_EQ(list.GetImageCount(), 5);
    EXPECT_EQ(list.AddStrip(QImage()), -1);
    EXPECT_EQ(list.AddStrip(MakeStrip(8, 1)), -1) << "narrower than one image";

    const QImage second = list.GetImage(1);
    ASSERT_EQ(second.size(), QSize(16, 16));
    EXPECT_EQ(qAlpha(second.pixel(0, 0)), 0) << "magenta is transparent";
    EXPECT_EQ(second.pixel(1, 1), qRgb(0x10, 0x20, 0x30));
    EXPECT_TRUE(list.GetImage(5).isNull());

    // Blending tints the image's own pixels and leaves transparency alone.
    QImage canvas(16, 16, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    EXPECT_TRUE(list.Draw(painter, 0, QPoint(0, 0), ILD_BLEND50, QColor(0, 0, 0xFF)));
    EXPECT_FALSE(list.Draw(painter, 9, QPoint(0, 0), ILD_NORMAL));
    painter.end();
    const QColor white = canvas.pixelColor(15, 0);
    EXPECT_NEAR(white.red(), 0x80, 2);
    EXPECT_NEAR(white.blue(), 0xFF, 2);
    EXPECT_EQ(canvas.pixelColor(5, 5).alpha(), 0);
}

TEST_F(ListTreeTest, MaskColourIsReplacedWhateverItsAlpha)
{
    QImage picture(2, 1, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(0xFF, 0x00, 0xFF));
    picture.setPixel(1, 0, qRgb(0xFE, 0x00, 0xFF));
    const QImage faced = ReplaceMaskColor(picture, qRgb(1, 2, 3));
    EXPECT_EQ(faced.pixel(0, 0), qRgb(1, 2, 3));
    EXPECT_EQ(faced.pixel(1, 0), qRgb(0xFE, 0x00, 0xFF)) << "only the mask colour itself";
    EXPECT_EQ(ReplaceMaskColor(picture, 0).pixel(0, 0), 0u);
    EXPECT_EQ(ReplaceMaskColor(picture, 0, qRgb(0xFE, 0x00, 0xFF)).pixel(1, 0), 0u) << "another mask colour";
}

class ListCtrlTest : public ListTreeTest
{
protected:
    void SetUp() override
    {
        m_small.AddStrip(MakeStrip(16, 4));
        m_state = CImageList(12, 16);
        m_state.AddStrip(MakeStrip(12, 2));
        m_list.resize(400, 300);
        m_list.InsertColumn(0, "Name", LVCFMT_LEFT, 150);
        m_list.InsertColumn(1, "Size", LVCFMT_RIGHT, 80);
        for (int i = 0; i < 5; ++i)
        {
            const int row = m_list.InsertItem(i, "item" + std::to_string(i), i % 4);
            m_list.SetItemText(row, 1, std::to_string(i * 10));
            m_list.SetItemData(row, static_cast<DWORD_PTR>(100 - i));
        }
        m_list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_list));
    }

    CImageList m_small{16, 16};
    CImageList m_state;
    CListCtrl m_list;
};

TEST_F(ListCtrlTest, KeepsTextsDataAndStateBits)
{
    EXPECT_EQ(m_list.GetItemCount(), 5);
    EXPECT_EQ(m_list.GetColumnCount(), 2);
    EXPECT_EQ(m_list.GetItemText(3, 1), "30");
    EXPECT_EQ(m_list.GetItemText(3, 7), "");
    EXPECT_EQ(m_list.GetItemData(2), 98u);
    EXPECT_FALSE(m_list.SetItemText(9, 0, "x"));

    QSignalSpy changed(&m_list, &CListCtrl::itemChanged);
    ASSERT_TRUE(m_list.SetItemState(2, INDEXTOSTATEIMAGEMASK(2) | LVIS_CUT, LVIS_STATEIMAGEMASK | LVIS_CUT));
    EXPECT_EQ(m_list.GetItemState(2, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(2));
    EXPECT_EQ(m_list.GetItemState(2, LVIS_CUT), LVIS_CUT);
    ASSERT_EQ(changed.count(), 1);

    m_list.SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_list.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(m_list.GetSelectedCount(), 2);
    EXPECT_EQ(m_list.GetNextItem(-1, LVNI_SELECTED), 1);
    EXPECT_EQ(m_list.GetNextItem(1, LVNI_SELECTED), 3);
    EXPECT_EQ(m_list.GetNextItem(-1, LVNI_FOCUSED), 1);
    EXPECT_EQ(m_list.GetItemState(1, ~0u), static_cast<UINT>(LVIS_SELECTED | LVIS_FOCUSED));
    bool sawSelection = false;
    for (const QList<QVariant>& call : changed)
        sawSelection |= call[0].toInt() == 3 && (call[2].toUInt() & LVIS_SELECTED) && !(call[1].toUInt() & LVIS_SELECTED);
    EXPECT_TRUE(sawSelection);

    m_list.ModifyStyle(0, LVS_SINGLESEL);
    m_list.SetItemState(4, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(m_list.GetSelectedCount(), 1);
}

TEST_F(ListCtrlTest, HitTestNamesThePartUnderThePoint)
{
    m_list.SetImageList(&m_small, LVSIL_SMALL);
    m_list.SetImageList(&m_state, LVSIL_STATE);
    QRect row;
    ASSERT_TRUE(m_list.GetItemRect(2, row, LVIR_BOUNDS));
    const int y = row.center().y();
    const struct
    {
        int m_x;
        int m_y;
        int m_row;
        UINT m_flags;
    } cases[] = {
        {4, y, 2, LVHT_ONITEMSTATEICON},
        {12 + 5, y, 2, LVHT_ONITEMICON},
        {12 + 16 + 10, y, 2, LVHT_ONITEMLABEL},
        {150 + 20, y, 2, LVHT_ONITEMLABEL},
        {10, row.bottom() + 5 * row.height(), -1, LVHT_NOWHERE},
    };
    for (const auto& c : cases)
    {
        UINT flags = 0;
        EXPECT_EQ(m_list.HitTest(QPoint(c.m_x, c.m_y), &flags), c.m_row) << c.m_x;
        EXPECT_EQ(flags, c.m_flags) << c.m_x;
    }
    QRect label;
    ASSERT_TRUE(m_list.GetSubItemRect(2, 1, LVIR_LABEL, label));
    EXPECT_EQ(label.left(), 150);
    EXPECT_EQ(label.width(), 80);
    EXPECT_FALSE(m_list.GetSubItemRect(2, 2, LVIR_LABEL, label));
}

TEST_F(ListCtrlTest, SortingByDataCarriesTheSelection)
{
    m_list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED); // data 100
    m_list.SortItems([](DWORD_PTR a, DWORD_PTR b) { return a < b ? -1 : a > b ? 1 : 0; });
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(m_list.GetItemData(i), static_cast<DWORD_PTR>(96 + i));
    EXPECT_EQ(m_list.GetItemText(0, 0), "item4");
    EXPECT_EQ(m_list.GetNextItem(-1, LVNI_SELECTED), 4);
}

TEST_F(ListCtrlTest, DeletionTellsTheOwnerEachRowsData)
{
    std::vector<DWORD_PTR> freed;
    QObject::connect(&m_list, &CListCtrl::itemDeleting, [&](int, DWORD_PTR data) { freed.push_back(data); });
    EXPECT_TRUE(m_list.DeleteItem(1));
    EXPECT_FALSE(m_list.DeleteItem(7));
    EXPECT_EQ(freed, std::vector<DWORD_PTR>{99});
    m_list.DeleteAllItems();
    EXPECT_EQ(freed, (std::vector<DWORD_PTR>{99, 100, 98, 97, 96}));
    EXPECT_EQ(m_list.GetItemCount(), 0);
}

TEST_F(ListCtrlTest, HeaderMarkerAndModes)
{
    QSignalSpy clicked(&m_list, &CListCtrl::columnClicked);
    m_list.SetHeaderSortMarker(1, false);
    EXPECT_EQ(m_list.GetHeaderSortColumn(), 1);
    EXPECT_EQ(m_list.ReportView()->header()->sortIndicatorOrder(), Qt::DescendingOrder);
    m_list.SetHeaderSortMarker(-1, true);
    EXPECT_EQ(m_list.GetHeaderSortColumn(), -1);
    QHeaderView* header = m_list.ReportView()->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(1) + 10, 5));
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked[0][0].toInt(), 1);
    EXPECT_EQ(m_list.GetHeaderSortColumn(), -1) << "a click does not sort by itself";

    for (UINT mode : {LVS_ICON, LVS_SMALLICON, LVS_LIST})
    {
        m_list.SetView(mode);
        EXPECT_NE(m_list.RowsWidget(), m_list.ReportView());
        QRect bounds;
        EXPECT_TRUE(m_list.GetItemRect(0, bounds, LVIR_BOUNDS));
        EXPECT_EQ(m_list.HitTest(bounds.center()), 0) << mode;
    }
    m_list.SetView(LVS_REPORT);
    EXPECT_EQ(m_list.RowsWidget(), m_list.ReportView());
}

class TreeCtrlTest : public ListTreeTest
{
protected:
    void SetUp() override
    {
        m_a = m_tree.InsertItem("a", 0, 1);
        m_a1 = m_tree.InsertItem("a1", 0, 1, m_a);
        m_a2 = m_tree.InsertItem("a2", 0, 1, m_a);
        m_b = m_tree.InsertItem("b");
        m_lazy = m_tree.InsertItem("lazy", 0, 0, TVI_ROOT, TVI_FIRST);
        m_tree.SetHasChildren(m_lazy, true);
        m_tree.resize(300, 300);
        m_tree.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_tree));
    }

    CTreeCtrl m_tree;
    HTREEITEM m_a, m_a1, m_a2, m_b, m_lazy;
};

TEST_F(TreeCtrlTest, WalksSiblingsAndVisibleItems)
{
    EXPECT_EQ(m_tree.GetRootItem(), m_lazy);
    EXPECT_EQ(m_tree.GetNextSiblingItem(m_lazy), m_a);
    EXPECT_EQ(m_tree.GetChildItem(m_a), m_a1);
    EXPECT_EQ(m_tree.GetParentItem(m_a2), m_a);
    EXPECT_EQ(m_tree.InsertItem("x", 0, 0, m_a, m_b), nullptr) << "after must be a child of parent";

    EXPECT_EQ(m_tree.GetNextVisibleItem(m_a), m_b) << "collapsed: children are skipped";
    m_tree.Expand(m_a, TVE_EXPAND);
    EXPECT_EQ(m_tree.GetNextVisibleItem(m_a), m_a1);
    EXPECT_EQ(m_tree.GetNextVisibleItem(m_a2), m_b);
    EXPECT_EQ(m_tree.GetNextVisibleItem(m_b), nullptr);
    EXPECT_EQ(m_tree.GetPrevVisibleItem(m_b), m_a2);
}

TEST_F(TreeCtrlTest, LazyChildrenAreFilledWhenTheItemOpens)
{
    EXPECT_TRUE(m_tree.ItemHasChildren(m_lazy));
    EXPECT_EQ(m_tree.GetChildItem(m_lazy), nullptr);
    QObject::connect(&m_tree, &CTreeCtrl::itemExpandedChanged, [&](HTREEITEM item, bool expanded) {
        if (item == m_lazy && expanded && !m_tree.GetChildItem(item))
            m_tree.InsertItem("filled", 0, 0, item);
    });
    m_tree.Expand(m_lazy, TVE_EXPAND);
    ASSERT_NE(m_tree.GetChildItem(m_lazy), nullptr);
    EXPECT_EQ(m_tree.GetItemText(m_tree.GetChildItem(m_lazy)), "filled");
    EXPECT_EQ(m_tree.GetNextVisibleItem(m_lazy), m_tree.GetChildItem(m_lazy));
}

TEST_F(TreeCtrlTest, SortsChildrenByDataAndNotifiesDeletionChildrenFirst)
{
    m_tree.SetItemData(m_a1, 2);
    m_tree.SetItemData(m_a2, 1);
    m_tree.InsertItem("a3", 0, 0, m_a);
    m_tree.SetItemData(m_tree.GetNextSiblingItem(m_a2), 3);
    m_tree.SortChildren(m_a, [](DWORD_PTR x, DWORD_PTR y) { return static_cast<int>(x) - static_cast<int>(y); });
    EXPECT_EQ(m_tree.GetChildItem(m_a), m_a2);
    EXPECT_EQ(m_tree.GetNextSiblingItem(m_a2), m_a1);

    std::vector<std::string> deleted;
    QObject::connect(&m_tree, &CTreeCtrl::itemDeleting,
                     [&](HTREEITEM item, DWORD_PTR) { deleted.push_back(m_tree.GetItemText(item)); });
    m_tree.SelectDropTarget(m_a1);
    EXPECT_TRUE(m_tree.DeleteItem(m_a));
    EXPECT_EQ(deleted, (std::vector<std::string>{"a2", "a1", "a3", "a"}));
    EXPECT_EQ(m_tree.GetDropHilightItem(), nullptr) << "the drop target went with its parent";
}

TEST_F(TreeCtrlTest, SelectionChangesSayWhatCausedThem)
{
    std::vector<int> causes;
    QObject::connect(&m_tree, &CTreeCtrl::selectionChanged, [&](HTREEITEM, HTREEITEM, int cause) { causes.push_back(cause); });
    m_tree.SelectItem(m_a);
    QRect rect;
    ASSERT_TRUE(m_tree.GetItemRect(m_b, rect));
    QTest::mouseClick(m_tree.viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(m_tree.GetSelectedItem(), m_b);
    m_tree.setFocus();
    QTest::keyClick(&m_tree, Qt::Key_Up);
    EXPECT_EQ(m_tree.GetSelectedItem(), m_a);
    EXPECT_EQ(causes, (std::vector<int>{TVC_UNKNOWN, TVC_BYMOUSE, TVC_BYKEYBOARD}));
}
} // namespace
