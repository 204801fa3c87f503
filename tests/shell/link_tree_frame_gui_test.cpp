// A task window offscreen: the splitter sizes a user leaves go to the
// settings when the window closes and come back in the next window.

#include "../checker/FakeCrawlTransport.h"

#include "foundation/properties/PropertySet.h"
#include "foundation/stores/PasswordStore.h"
#include "foundation/stores/SettingIds.h"
#include "platform/ui/SplitterWnd.h"
#include "shell/LinkGeneralView.h"
#include "shell/LinkTreeFrame.h"
#include "shell/LinkViewFrame.h"
#include "transfer/base/LogRegistry.h"

#include "tests/support/QtApplication.h"

#include <QCoreApplication>
#include <QPointer>

#include <gtest/gtest.h>

namespace
{
class LinkTreeFrameTest : public ::testing::Test
{
protected:
    CLinkTreeViewServices Services()
    {
        CLinkTreeViewServices services;
        services.m_engine.m_transport = &m_transport;
        services.m_engine.m_settings = &m_settings;
        services.m_settings = &m_settings;
        services.m_passwords = &m_passwords;
        services.m_logs = &m_logs;
        return services;
    }
    // A frame of 900 x 600 with its splitters laid out.
    CLinkTreeFrame* OpenFrame()
    {
        auto* frame = new CLinkTreeFrame(&m_settings, Services());
        frame->resize(900, 600);
        frame->show();
        QCoreApplication::processEvents(); // the window takes its size
        frame->OnCreateClient();
        QCoreApplication::processEvents();
        return frame;
    }

    bool m_application = (TestApplication(), true);
    CFakeCrawlTransport m_transport;
    CPropertySet m_settings;
    CPasswordStore m_passwords;
    CLogRegistry m_logs;
};

TEST_F(LinkTreeFrameTest, ThePanesSitInTheirPlacesAndTheListSlotWaitsForTheList)
{
    std::unique_ptr<CLinkTreeFrame> frame(OpenFrame());
    auto* outer = qobject_cast<CSplitterWnd*>(frame->centralWidget());
    ASSERT_NE(outer, nullptr);
    auto* left = qobject_cast<CSplitterWnd*>(outer->GetPane(0, 0));
    auto* right = qobject_cast<CSplitterWnd*>(outer->GetPane(0, 1));
    ASSERT_NE(left, nullptr);
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(left->GetPane(0, 0), frame->GetTreeView());
    EXPECT_EQ(left->GetPane(1, 0), frame->GetGeneralView());
    EXPECT_EQ(right->GetPane(0, 0)->objectName(), QStringLiteral("LinkListSlot"));
    EXPECT_EQ(right->GetPane(1, 0), frame->GetLinkViewFrame());
    EXPECT_EQ(frame->GetClassIndex(), 4);
}

TEST_F(LinkTreeFrameTest, SplitterSizesGoToTheSettingsOnCloseAndComeBackInTheNextWindow)
{
    {
        QPointer<CLinkTreeFrame> frame = OpenFrame();
        // Without stored sizes: a third of the width, half and two thirds
        // of the height.
        const LinkTreeSplit first = frame->GetSplit();
        const int height = frame->GetTreeView()->parentWidget()->height();
        EXPECT_NEAR(first.m_leftWidth, frame->centralWidget()->width() / 3, 2);
        EXPECT_NEAR(first.m_leftTopHeight, height / 2, 2);
        EXPECT_NEAR(first.m_rightTopHeight, height * 2 / 3, 2);

        // The user drags the three splitters (the room of the panes is the
        // splitter's less its bar).
        const auto drag = [](QWidget* pane, int first) {
            auto* splitter = qobject_cast<CSplitterWnd*>(pane);
            ASSERT_NE(splitter, nullptr);
            const QRect room = splitter->contentsRect();
            const int total = splitter->orientation() == Qt::Horizontal ? room.width() : room.height();
            splitter->setSizes({first, total - splitter->handleWidth() - first});
        };
        auto* outer = qobject_cast<CSplitterWnd*>(frame->centralWidget());
        drag(outer, 220);
        drag(outer->GetPane(0, 0), 150);
        drag(outer->GetPane(0, 1), 260);
        QCoreApplication::processEvents();
        EXPECT_TRUE(frame->close());
        delete frame.data();
    }
    EXPECT_EQ(GetIntOr(m_settings, SETTING_LAYOUT_LINK_TREE_WIDTH_LEFT), 220);
    EXPECT_EQ(GetIntOr(m_settings, SETTING_LAYOUT_LINK_TREE_HEIGHT_LEFT), 150);
    EXPECT_EQ(GetIntOr(m_settings, SETTING_LAYOUT_LINK_TREE_HEIGHT_RIGHT), 260);

    std::unique_ptr<CLinkTreeFrame> again(OpenFrame());
    const LinkTreeSplit back = again->GetSplit();
    EXPECT_EQ(back.m_leftWidth, 220);
    EXPECT_EQ(back.m_leftTopHeight, 150);
    EXPECT_EQ(back.m_rightTopHeight, 260);
}
} // namespace
