#pragma once
// A main window for a gui test: its bars created and the window shown at
// 900 x 600 (the size the tests' layouts are measured in), on screen before
// the test goes on.

#include "shell/MainFrame.h"

#include <QTest>

// False when the bars cannot be made or the window does not come up.
inline bool CreateAndShowMainFrame(CMainFrame& frame)
{
    if (!frame.OnCreate())
        return false;
    frame.resize(900, 600);
    frame.show();
    return QTest::qWaitForWindowExposed(&frame);
}
