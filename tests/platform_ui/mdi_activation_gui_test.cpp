// Children of an MDI frame hear when they become the active one and when they
// give that place up, the old one first; the main window losing and getting
// back its own activation tells them nothing.

#include "platform/ui/FrameWnd.h"

#include "tests/support/QtApplication.h"

#include <gtest/gtest.h>

#include <QEvent>
#include <QMdiArea>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

namespace
{
using Log = std::vector<std::string>;

class CRecordingChild : public CMDIChildWnd
{
public:
    CRecordingChild(Log& log, std::string name) : m_log(log), m_name(std::move(name)) {}

    void OnMDIActivate(bool activate, CMDIChildWnd* activated, CMDIChildWnd* deactivated) override
    {
        const auto nameOf = [](CMDIChildWnd* child) {
            auto* recording = dynamic_cast<CRecordingChild*>(child);
            return recording ? recording->m_name : std::string("-");
        };
        m_log.push_back(m_name + (activate ? " on " : " off ") + nameOf(activated) + "/" + nameOf(deactivated));
    }

private:
    Log& m_log;
    std::string m_name;
};

TEST(MdiActivation, TheChildGivingUpItsPlaceHearsFirst)
{
    TestApplication();
    Log log;
    auto frame = std::make_unique<CMDIFrameWnd>();
    frame->resize(600, 400);
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    auto* a = new CRecordingChild(log, "a");
    auto* b = new CRecordingChild(log, "b");
    frame->AddChild(a);
    frame->AddChild(b);
    frame->MDIActivate(a);
    EXPECT_EQ(log, (Log{"a on a/-", "a off b/a", "b on b/a", "b off a/b", "a on a/b"}));

    // The main window deactivated and activated again: still a, no news.
    log.clear();
    frame->MdiArea()->setActiveSubWindow(nullptr);
    frame->MDIActivate(a);
    EXPECT_EQ(log, Log{});

    // The active child closes: the other one takes its place; the one that
    // went is never called again, not even while the frame goes away.
    a->MDIDestroy();
    QTest::qWait(0);
    EXPECT_EQ(log, (Log{"a off b/a", "b on b/a"}));
    log.clear();
    frame.reset();
    EXPECT_EQ(log, Log{});
}
} // namespace
