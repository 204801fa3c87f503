// Placement, list columns, focus walking and menus on real widgets.

#include "widgets/ListColumns.h"
#include "widgets/WindowHelpers.h"
#include "widgets/WindowPlacement.h"

#include "foundation/properties/PropertySet.h"
#include "platform/core/Text.h"

#include "tests/support/QtApplication.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{
class PlacementGuiTest : public ::testing::Test
{
protected:
    void SetUp() override { TestApplication(); }
    static QSize Screen() { return QGuiApplication::primaryScreen()->geometry().size(); }
};

TEST_F(PlacementGuiTest, SaveAndRestoreKeepsRectangleAndState)
{
    CPropertySet settings;
    QWidget window;
    window.setGeometry(30, 40, 300, 200);
    SaveWindowPlacement(settings, &window, 4200);
    EXPECT_EQ(settings.GetStringValue(4200), "30:40:300:200:0");

    QWidget other;
    RestoreWindowPlacement(settings, &other, 4200, kShowPlacementOnly, false);
    EXPECT_EQ(other.geometry(), QRect(30, 40, 300, 200));
    EXPECT_FALSE(other.isVisible()) << "-1 sets the placement hidden";

    settings.SetString(4200, "10:20:5000:100:1");
    RestoreWindowPlacement(settings, &other, 4200, kShowNormal, false);
    EXPECT_TRUE(other.isVisible());
    EXPECT_TRUE(other.isMaximized()) << "a stored maximised state turns show-normal into maximised";
    EXPECT_EQ(other.normalGeometry().width(), Screen().width()) << "never wider than the screen";
    SaveWindowPlacement(settings, &other, 4201);
    EXPECT_EQ(settings.GetStringValue(4201), Format("0:20:%d:100:1", Screen().width()))
        << "the normal rectangle is saved, with the state";

    QWidget kept;
    kept.resize(123, 45);
    ApplyPlacement("7:8:500:500:0", &kept, kShowHidden, true);
    EXPECT_EQ(kept.geometry(), QRect(7, 8, 123, 45)) << "keep-size moves only";
}

TEST_F(PlacementGuiTest, ListColumnsThroughTheHeader)
{
    CPropertySet settings;
    QTreeWidget list;
    list.setColumnCount(3);
    list.header()->setStretchLastSection(false);
    list.header()->resizeSection(0, 200);
    list.header()->resizeSection(1, 120);
    list.header()->resizeSection(2, 36);
    SaveListColumns(settings, list.header(), 4300);
    EXPECT_EQ(settings.GetStringValue(4300), "200:120:36:");

    settings.SetString(4300, "200:1500:abc");
    list.header()->resizeSection(0, 10);
    EXPECT_EQ(RestoreListColumns(settings, list.header(), 4300), 0);
    EXPECT_EQ(GetColumnWidths(list.header()), (std::vector<int>{200, 1000, 36}));

    settings.SetString(4300, "");
    EXPECT_EQ(RestoreListColumns(settings, list.header(), 4300), 0);

    list.resize(600, 300);
    list.show();
    const int client = list.header()->width();
    ASSERT_GT(client, 400);
    list.header()->resizeSection(0, 200);
    list.header()->resizeSection(1, 100);
    AutoSizeListColumn(list.header(), 2, 20);
    EXPECT_EQ(list.header()->sectionSize(2), client - 300) << "the rest of the width";
    list.header()->resizeSection(1, client);
    AutoSizeListColumn(list.header(), 2, 60);
    EXPECT_EQ(list.header()->sectionSize(2), 60) << "no rest: the minimum";
    AutoSizeListColumns(list.header(), {0.5, 0.25, 0.25}, 400);
    EXPECT_EQ(GetColumnWidths(list.header()), (std::vector<int>{200, 100, 100}));
}

TEST_F(PlacementGuiTest, FocusWalksTheTabStopsAndWraps)
{
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* first = new QLineEdit;
    auto* label = new QLabel("not a tab stop");
    auto* disabled = new QLineEdit;
    disabled->setEnabled(false);
    auto* box = new QCheckBox("check");
    auto* last = new QPushButton("OK");
    for (QWidget* w : {static_cast<QWidget*>(first), static_cast<QWidget*>(label), static_cast<QWidget*>(disabled),
                       static_cast<QWidget*>(box), static_cast<QWidget*>(last)})
        layout->addWidget(w);

    ASSERT_TRUE(FocusFirstDlgItem(&dialog, false));
    EXPECT_EQ(dialog.focusWidget(), first);
    ASSERT_TRUE(FocusNextDlgItem(&dialog, false));
    EXPECT_EQ(dialog.focusWidget(), box) << "label and disabled field are skipped";
    ASSERT_TRUE(FocusNextDlgItem(&dialog, false));
    EXPECT_EQ(dialog.focusWidget(), last);
    ASSERT_TRUE(FocusNextDlgItem(&dialog, false));
    EXPECT_EQ(dialog.focusWidget(), first) << "wraps to the first";
    ASSERT_TRUE(FocusNextDlgItem(&dialog, true));
    EXPECT_EQ(dialog.focusWidget(), last) << "and back";
    ASSERT_TRUE(FocusFirstDlgItem(&dialog, true));
    EXPECT_EQ(dialog.focusWidget(), last);

    QDialog empty;
    new QLabel("nothing to focus", &empty);
    EXPECT_FALSE(FocusFirstDlgItem(&empty, false));
    EXPECT_FALSE(FocusNextDlgItem(&empty, false));
}

TEST_F(PlacementGuiTest, MoveResizeScrollAndMenus)
{
    QWidget parent;
    QWidget child(&parent);
    child.setGeometry(10, 20, 100, 50);
    MoveWindowBy(&child, 5, -5, 10, 0, true);
    EXPECT_EQ(child.geometry(), QRect(15, 15, 105, 55));
    MoveWindowBy(nullptr, 1, 1, 1, 1, false);

    QWidget dialog;
    QWidget* inner = new QWidget(new QWidget(&dialog));
    inner->setProperty("twControlId", 1005);
    inner->setGeometry(0, 0, 50, 20);
    MoveDlgItemBy(&dialog, 1005, 0, 0, 30, 10, false);
    EXPECT_EQ(inner->geometry(), QRect(0, 0, 80, 30));
    MoveDlgItemBy(&dialog, 1006, 5, 5, 5, 5, false);
    EXPECT_EQ(inner->geometry(), QRect(0, 0, 80, 30)) << "no such control";

    QLabel framed;
    framed.setFrameStyle(QFrame::Box);
    framed.setLineWidth(3);
    ResizeWindowToClient(&framed, 80, 40);
    EXPECT_EQ(framed.contentsRect().size(), QSize(80, 40));
    EXPECT_EQ(framed.size(), QSize(86, 46));

    QScrollBar bar(Qt::Vertical);
    bar.setRange(0, 100);
    bar.setValue(50);
    EXPECT_EQ(HandleScrollCode(kScrollPageUp, 0, &bar, 1, 30, false), 1);
    EXPECT_EQ(bar.value(), 20);
    EXPECT_EQ(HandleScrollCode(kScrollThumbPosition, 90, &bar, 1, 30, true), 0);
    EXPECT_EQ(bar.value(), 20);

    QMenuBar menuBar;
    QMenu file("&File");
    QMenu items("It.em...");
    menuBar.addMenu(&file);
    menuBar.addMenu(&items);
    items.addMenu("&Nested");
    EXPECT_EQ(FindMenuItemByText(&menuBar, "item"), &items);
    EXPECT_EQ(FindMenuItemByText(&menuBar, "FILE"), &file);
    EXPECT_EQ(FindMenuItemByText(&menuBar, "nested"), nullptr) << "sub-menus are not searched";
}
} // namespace
