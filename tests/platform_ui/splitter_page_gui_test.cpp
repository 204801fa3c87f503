// Static splitters with their row and column sizes, and dialogs made child
// pages of another window.

#include "platform/ui/DataExchange.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/SplitterWnd.h"

#include "tests/support/QtApplication.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

namespace
{
class SplitterPageTest : public ::testing::Test
{
protected:
    QApplication& m_application = TestApplication();
};

TEST_F(SplitterPageTest, SplitterAppliesIdealSizesAndReportsWhatIsShown)
{
    CSplitterWnd splitter(1, 2);
    EXPECT_EQ(splitter.orientation(), Qt::Horizontal);
    auto* left = new QLabel("left");
    auto* right = new QLabel("right");
    splitter.SetPane(0, 0, left);
    splitter.SetPane(0, 1, right);
    QLabel outside("outside");
    splitter.SetPane(0, 2, &outside); // outside the grid: ignored
    EXPECT_EQ(outside.parentWidget(), nullptr);
    EXPECT_EQ(splitter.GetPane(0, 0), left);
    EXPECT_EQ(splitter.GetPane(0, 1), right);
    EXPECT_EQ(splitter.GetPane(1, 0), nullptr);

    splitter.SetColumnInfo(0, 150, 40);
    splitter.SetColumnInfo(1, 250, 20);
    int current = 0;
    int minimum = 0;
    splitter.GetColumnInfo(0, current, minimum);
    EXPECT_EQ(current, 150) << "before layout: the ideal size";
    EXPECT_EQ(minimum, 40);

    splitter.resize(400 + splitter.handleWidth(), 200);
    splitter.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&splitter));
    splitter.RecalcLayout();
    splitter.GetColumnInfo(0, current, minimum);
    EXPECT_EQ(current, 150);
    splitter.GetColumnInfo(1, current, minimum);
    EXPECT_EQ(current, 250);

    // A size below the minimum is not given.
    splitter.setSizes({10, 390});
    splitter.GetColumnInfo(0, current, minimum);
    EXPECT_GE(current, 40);

    CSplitterWnd rows(2, 1);
    EXPECT_EQ(rows.orientation(), Qt::Vertical);
    rows.SetRowInfo(1, 70, 10);
    rows.GetRowInfo(1, current, minimum);
    EXPECT_EQ(current, 70);
    EXPECT_EQ(minimum, 10);
}

class CPage : public CDialog
{
public:
    CPage()
    {
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(m_edit = new QLineEdit);
        SetDlgItem(1010, m_edit);
        OnChange(1010, [this] { ++m_changes; });
    }
    std::string m_value = "loaded";
    int m_changes = 0;
    QLineEdit* m_edit;

protected:
    void DoDataExchange(CDataExchange& dx) override { DDX_Text(dx, 1010, m_value); }
};

TEST_F(SplitterPageTest, DialogBecomesAChildPageLoadedOnce)
{
    QWidget host;
    host.resize(300, 200);
    CPage page;
    ASSERT_TRUE(page.CreateAsChild(&host));
    EXPECT_FALSE(page.CreateAsChild(&host)) << "a page is created once";
    EXPECT_EQ(page.parentWidget(), &host);
    EXPECT_FALSE(page.isWindow());
    EXPECT_EQ(page.m_edit->text(), "loaded");
    EXPECT_EQ(page.m_changes, 0);

    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    page.m_edit->setFocus();
    QTest::keyClicks(page.m_edit, "!");
    EXPECT_EQ(page.m_changes, 1);
    ASSERT_TRUE(page.UpdateData(true));
    EXPECT_EQ(page.m_value, "loaded!");
    page.setParent(nullptr); // the page is a member; the host must not delete it
}
} // namespace
