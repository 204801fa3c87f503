// A view reaches the tab colour of its window through the top-level window
// it sits in, whatever frames lie between.

#include "platform/ui/ChildTabColor.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/View.h"

#include "tests/support/QtApplication.h"

#include <gtest/gtest.h>

namespace
{
class CTabbedMainWindow : public CFrameWnd, public IChildTabColor
{
public:
    void SetChildTabColor(CFrameWnd* child, int color) override
    {
        m_child = child;
        m_color = color;
    }
    CFrameWnd* m_child = nullptr;
    int m_color = 0;
};

TEST(ChildTabColorTest, AViewFindsTheTabColourOfItsMainWindow)
{
    TestApplication();
    CTabbedMainWindow main;
    auto* child = new CFrameWnd(&main);
    auto* view = new CView(child);
    IChildTabColor* tabs = FindChildTabColor(view);
    ASSERT_EQ(tabs, &main);
    tabs->SetChildTabColor(view->GetParentFrame(), 0x0000FF);
    EXPECT_EQ(main.m_child, child);
    EXPECT_EQ(main.m_color, 0x0000FF);

    CFrameWnd plain;
    EXPECT_EQ(FindChildTabColor(new CView(&plain)), nullptr);
    EXPECT_EQ(FindChildTabColor(nullptr), nullptr);
}
}
